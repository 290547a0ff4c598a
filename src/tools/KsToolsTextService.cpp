#include "tools/KsToolsTextService.h"

KsChar KsToolsTextService::Fold(KsChar c) noexcept {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? KsChar(c + 32) : c;
  if (c < 0x100) return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? KsChar(c + 32) : c;
  // Latin Extended-A: pairs of upper case (even or odd by range) and lower case.
  if (c >= 0x100 && c <= 0x137 && c != 0x130 && c != 0x131) return KsChar(c | 1);  // dotted and dotless I stay
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? KsChar(c + 1) : c;
  if (c >= 0x14A && c <= 0x177) return KsChar(c | 1);
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? KsChar(c + 1) : c;
  // Greek and Cyrillic capitals.
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return KsChar(c + 32);
  if (c >= 0x400 && c <= 0x40F) return KsChar(c + 80);
  if (c >= 0x410 && c <= 0x42F) return KsChar(c + 32);
  return c;
}

int KsToolsTextService::FindText(const KsChar* text, const KsChar* pattern, int mode) {
  if (pattern == nullptr || *pattern == 0) return 0;
  if (text == nullptr) return -1;
  const bool fold = mode == kFindNoCase;
  for (const KsChar* start = text; *start != 0; ++start) {
    const KsChar* t = start;
    const KsChar* p = pattern;
    while (*p != 0 && *t != 0 && (fold ? Fold(*t) == Fold(*p) : *t == *p)) {
      ++t;
      ++p;
    }
    if (*p == 0) return static_cast<int>(start - text);
    if (*t == 0) return -1;  // what is left of the text is shorter than the pattern
  }
  return -1;
}

int KsToolsTextService::CompareText(const KsChar* a, const KsChar* b, int mode, int, int length) {
  static constexpr KsChar kNone[1] = {0};
  if (a == nullptr) a = kNone;
  if (b == nullptr) b = kNone;
  const bool fold = (mode & kCompareNoCase) != 0;
  for (int i = 0; length < 0 || i < length; ++i) {
    const KsChar ca = fold ? Fold(a[i]) : a[i];
    const KsChar cb = fold ? Fold(b[i]) : b[i];
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) break;
  }
  return 0;
}
