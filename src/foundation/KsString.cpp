#include "foundation/KsString.h"

#include <cstring>
#include <limits>

#include "foundation/KsTextService.h"

namespace {

KsStringGlobals& Manager() noexcept { return KsStringGlobals::Instance(); }

KsChar* EmptyChars() noexcept { return g_ksEmptyString.header.Chars(); }

void CopyChars(KsChar* to, const KsChar* from, int count) noexcept {
  if (count > 0) std::memmove(to, from, sizeof(KsChar) * static_cast<size_t>(count));
}

// Length of text, reading at most limit units.
int BoundedLength(const KsChar* text, int limit) noexcept {
  int length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

bool InSet(KsChar c, const KsChar* set) noexcept {
  for (; *set != 0; ++set) {
    if (*set == c) return true;
  }
  return false;
}

// Capacity rule for a growing buffer: powers of two up to 1 MiB characters,
// then whole MiB steps.
int RoundUpCapacity(int length) noexcept {
  constexpr int kStep = 1048576;
  if (length <= kStep) {
    int rounded = 1;
    while (rounded <= length) rounded <<= 1;
    return rounded;
  }
  const long long steps = (static_cast<long long>(length) + kStep - 1) / kStep;
  const long long rounded = steps * kStep;
  return rounded > std::numeric_limits<int>::max() - 1 ? length : static_cast<int>(rounded);
}

// Start of each run of ten decimal digits that ToInt accepts.
constexpr KsChar kDigitZeros[] = {0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
                                  0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};

int DigitValue(KsChar c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c < 0x0660) return -1;
  for (KsChar zero : kDigitZeros) {
    if (c >= zero && c < zero + 10) return c - zero;
  }
  return -1;
}

int HexDigitValue(KsChar c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Decimal parse shared by ToInt and ToInt64. The magnitude sticks at max on
// overflow; exactly max + 1 is kept for a "-" so the minimum parses.
template <class T>
T ParseDecimal(const KsChar* text) noexcept {
  if (text == nullptr) return 0;
  while (KsIsSpace(*text)) ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  using U = std::make_unsigned_t<T>;
  constexpr U kMax = static_cast<U>(std::numeric_limits<T>::max());
  U value = 0;
  bool overflow = false;
  for (int digit; (digit = DigitValue(*text)) >= 0; ++text) {
    if (overflow) continue;
    if (value > (kMax + 1 - static_cast<U>(digit)) / 10) {
      overflow = true;
      continue;
    }
    value = value * 10 + static_cast<U>(digit);
  }
  if (overflow || value > kMax + (negative ? 1 : 0)) value = kMax;
  if (!negative) return static_cast<T>(value);
  return value == kMax + 1 ? std::numeric_limits<T>::min() : -static_cast<T>(value);
}

template <class T>
T ParseHex(const KsChar* text) noexcept {
  if (text == nullptr) return 0;
  while (KsIsSpace(*text)) ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  using U = std::make_unsigned_t<T>;
  U value = 0;
  for (int digit; (digit = HexDigitValue(*text)) >= 0; ++text) {
    if (value >> (sizeof(U) * 8 - 4)) return static_cast<T>(~U(0));  // all ones on overflow
    value = (value << 4) | static_cast<U>(digit);
  }
  return static_cast<T>(negative ? U(0) - value : value);
}

}  // namespace

int KsTextLength(const KsChar* text) noexcept {
  if (text == nullptr) return 0;
  int length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// --- value and storage ------------------------------------------------------

KsChar* KsString::ShareSlow(KsChar* chars) noexcept {
  KsStringData* data = KsStringData::Of(chars);
  return Manager().Create(chars, data->length, data->length, false, true, true);
}

void KsString::ReleaseSlow(KsChar* chars) noexcept { KsStringData::Of(chars)->manager->Release(chars); }

KsString::KsString(const KsChar* text) : m_chars(EmptyChars()) { Assign(text, -1); }

KsString::KsString(const KsChar* text, int count) : m_chars(EmptyChars()) {
  if (count > 0) Assign(text, count);
}

KsString::KsString(std::u16string_view text) : m_chars(EmptyChars()) {
  if (!text.empty()) m_chars = Manager().Create(text.data(), static_cast<int>(text.size()), -1, false, true, true);
}

void KsString::Assign(const KsChar* text, int count) {
  if (text == nullptr) count = 0;
  count = count < 0 ? KsTextLength(text) : BoundedLength(text, count);
  KsChar* old = m_chars;
  m_chars = count == 0 ? EmptyChars() : Manager().Create(text, count, count, false, true, true);
  ReleaseBuffer(old);  // after the copy: text may live in the old buffer
}

KsString& KsString::operator=(KsString&& other) noexcept {
  if (this != &other) {
    ReleaseBuffer(m_chars);
    m_chars = other.m_chars;
    other.m_chars = EmptyChars();
  }
  return *this;
}

KsString& KsString::operator=(const KsChar* text) {
  Assign(text, -1);
  return *this;
}

void KsString::Empty() {
  KsStringData* data = KsStringData::Of(m_chars);
  const std::int32_t refs = data->refs.load(std::memory_order_relaxed);
  if (refs == kKsStringPermanentRefs) return;
  if (refs == 1 || refs == kKsStringEditingRefs) {
    data->length = 0;
    m_chars[0] = 0;
    return;
  }
  ReleaseBuffer(m_chars);
  m_chars = EmptyChars();
}

KsChar* KsString::BeginEdit(int minLength, bool exact, bool keep) {
  KsStringData* data = KsStringData::Of(m_chars);
  const std::int32_t refs = data->refs.load(std::memory_order_relaxed);
  if (refs > 1) {
    // Shared (the permanent empty buffer counts as shared): a private copy at
    // the exact size asked for.
    const int length = minLength < 0 ? data->length : minLength;
    const int kept = keep ? (data->length < length ? data->length : length) : 0;
    KsChar* chars = Manager().Create(m_chars, kept, length, true, true, true);
    KsStringData::Of(chars)->refs.store(kKsStringEditingRefs, std::memory_order_relaxed);
    ReleaseBuffer(m_chars);
    m_chars = chars;
    return chars;
  }
  if (minLength < 0 || minLength < data->capacity) {
    data->refs.store(kKsStringEditingRefs, std::memory_order_relaxed);
    return m_chars;
  }
  const int length = exact ? minLength : RoundUpCapacity(minLength);
  KsChar* chars = Manager().Allocate(length, true);
  KsStringData* grown = KsStringData::Of(chars);
  const int kept = keep ? data->length : 0;
  CopyChars(chars, m_chars, kept);
  chars[kept] = 0;
  grown->length = kept;
  grown->refs.store(kKsStringEditingRefs, std::memory_order_relaxed);
  data->manager->Release(m_chars);
  m_chars = chars;
  return chars;
}

void KsString::EndEdit(int newLength) {
  KsStringData* data = KsStringData::Of(m_chars);
  if (data->refs.load(std::memory_order_relaxed) == kKsStringPermanentRefs) return;
  const int limit = data->capacity - 1;
  if (newLength < 0 || newLength > limit) newLength = BoundedLength(m_chars, limit);
  m_chars[newLength] = 0;
  data->length = newLength;
  data->refs.store(1, std::memory_order_release);
}

void KsString::Splice(int start, int removeCount, const KsChar* text, int insertCount) {
  const int length = GetLength();
  if (removeCount == 0 && insertCount == 0) return;
  if (removeCount == length && insertCount == 0) {
    Empty();
    return;
  }
  // text may point into this buffer; hold it alive across BeginEdit.
  KsString hold;
  if (text != nullptr && text >= m_chars && text <= m_chars + length) hold = *this;
  const int newLength = length - removeCount + insertCount;
  KsChar* chars = BeginEdit(newLength);
  CopyChars(chars + start + insertCount, chars + start + removeCount, length - start - removeCount);
  CopyChars(chars + start, text, insertCount);
  EndEdit(newLength);
}

// --- comparison ---------------------------------------------------------------

bool KsString::Equals(const KsChar* text) const noexcept {
  if (text == nullptr) return IsEmpty();
  const int length = GetLength();
  return BoundedLength(text, length + 1) == length &&
         std::memcmp(m_chars, text, sizeof(KsChar) * static_cast<size_t>(length)) == 0;
}

int KsString::CompareNoCase(const KsChar* text) const noexcept { return CompareNoCaseN(text, -1); }

int KsString::CompareNoCaseN(const KsChar* text, int count) const noexcept {
  static constexpr KsChar kNone[1] = {0};
  if (count == 0 || count < -1) return 0;
  if (text == nullptr) text = kNone;
  const KsStringGlobals& globals = Manager();
  const KsChar* a = m_chars;
  for (int i = 0; count < 0 || i < count; ++i) {
    const KsChar ca = globals.Fold(a[i]);
    const KsChar cb = globals.Fold(text[i]);
    if (ca != cb || ca == 0) return static_cast<int>(ca) - static_cast<int>(cb);
  }
  return 0;
}

bool KsString::StartsWith(const KsChar* prefix, bool ignoreCase) const noexcept {
  if (prefix == nullptr || *prefix == 0) return false;
  const int length = GetLength();
  const int prefixLength = BoundedLength(prefix, length + 1);
  if (prefixLength > length) return false;
  if (ignoreCase) return CompareNoCaseN(prefix, prefixLength) == 0;
  return std::memcmp(m_chars, prefix, sizeof(KsChar) * static_cast<size_t>(prefixLength)) == 0;
}

int KsString::EndsWith(const KsChar* suffix, bool ignoreCase) const noexcept {
  const int length = GetLength();
  const int suffixLength = suffix == nullptr ? 0 : BoundedLength(suffix, length + 1);
  if (suffixLength == 0 || suffixLength > length) return -1;
  const KsChar* tail = m_chars + length - suffixLength;
  if (!ignoreCase) return std::memcmp(tail, suffix, sizeof(KsChar) * static_cast<size_t>(suffixLength)) == 0 ? 0 : 1;
  const KsStringGlobals& globals = Manager();
  for (int i = 0; i < suffixLength; ++i) {
    if (globals.Fold(tail[i]) != globals.Fold(suffix[i])) return 1;
  }
  return 0;
}

bool KsString::EndsWithBackslash() const noexcept {
  const int length = GetLength();
  return length > 0 && m_chars[length - 1] == u'\\';
}

bool KsString::FirstCharIs(KsChar c) const noexcept { return KsFoldChar(m_chars[0]) == KsFoldChar(c); }

bool operator==(const KsString& a, const KsString& b) noexcept {
  return a.Chars() == b.Chars() || (a.GetLength() == b.GetLength() && a.Equals(b.Chars()));
}

bool operator==(const KsString& a, const KsChar* b) noexcept { return a.Equals(b); }

// --- searching ----------------------------------------------------------------

int KsString::Find(const KsChar* pattern, int start) const noexcept {
  const int length = GetLength();
  if (start < 0) start = 0;
  if (pattern == nullptr || *pattern == 0) return start <= length ? start : -1;
  const int patternLength = BoundedLength(pattern, length + 1);
  const KsChar first = pattern[0];
  for (int i = start; i + patternLength <= length; ++i) {
    if (m_chars[i] == first &&
        std::memcmp(m_chars + i + 1, pattern + 1, sizeof(KsChar) * static_cast<size_t>(patternLength - 1)) == 0) {
      return i;
    }
  }
  return -1;
}

int KsString::FindChar(KsChar c) const noexcept {
  const int length = GetLength();
  for (int i = 0; i < length; ++i) {
    if (m_chars[i] == c) return i;
  }
  return -1;
}

int KsString::ReverseFindChar(KsChar c) const noexcept {
  for (int i = GetLength() - 1; i >= 0; --i) {
    if (m_chars[i] == c) return i;
  }
  return -1;
}

int KsString::FindLineBreak() const noexcept {
  const int length = GetLength();
  for (int i = 0; i < length; ++i) {
    if (m_chars[i] == u'\r' || m_chars[i] == u'\n') return i;
  }
  return -1;
}

int KsString::ReverseFindSeparator(int from) const noexcept {
  const int length = GetLength();
  if (from < 0 || from >= length) from = length - 1;
  for (int i = from; i >= 0; --i) {
    if (m_chars[i] == u'\\' || m_chars[i] == u'/') return i;
  }
  return -1;
}

int KsString::FindNoCase(const KsChar* pattern, int start, bool giveEnd) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return -1;
  const int found = GetTextService()->FindText(m_chars + start, pattern, IKsTextService::kFindNoCase);
  if (found < 0) return -1;
  return start + found + (giveEnd ? KsTextLength(pattern) : 0);
}

bool KsString::Contains(const KsChar* pattern) const {
  return GetTextService()->FindText(m_chars, pattern, IKsTextService::kFindNoCase) != -1;
}

// --- parts of the text ----------------------------------------------------------

KsString KsString::Mid(int start, int count) const {
  const int length = GetLength();
  if (start < 0) start = 0;
  if (start > length) start = length;
  if (count < 0) count = 0;
  if (count > length - start) count = length - start;
  if (start == 0 && count == length) return *this;
  return KsString(m_chars + start, count);
}

KsString KsString::Mid(int start) const { return Mid(start, GetLength()); }

KsString KsString::Left(int count) const { return Mid(0, count); }

KsString KsString::Right(int count) const {
  const int length = GetLength();
  if (count > length) count = length;
  return count <= 0 ? KsString() : Mid(length - count, count);
}

KsString KsString::BeforeFirstOf(const KsChar* set) const {
  if (set == nullptr) return *this;
  const int length = GetLength();
  for (int i = 0; i < length; ++i) {
    if (InSet(m_chars[i], set)) return Left(i);
  }
  return *this;
}

KsString KsString::AfterLastOf(const KsChar* set, bool wholeIfNone) const {
  if (set != nullptr) {
    for (int i = GetLength() - 1; i >= 0; --i) {
      if (InSet(m_chars[i], set)) return Mid(i + 1);
    }
  }
  return wholeIfNone ? *this : KsString();
}

KsString KsString::AfterLast(KsChar c, bool wholeIfNone) const {
  const int found = ReverseFindChar(c);
  if (found >= 0) return Mid(found + 1);
  return wholeIfNone ? *this : KsString();
}

KsString operator+(const KsString& a, const KsString& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  KsString result;
  const int length = a.GetLength() + b.GetLength();
  KsChar* chars = result.BeginEdit(length, true, false);
  CopyChars(chars, a.Chars(), a.GetLength());
  CopyChars(chars + a.GetLength(), b.Chars(), b.GetLength());
  result.EndEdit(length);
  return result;
}

KsString operator+(const KsString& a, const KsChar* b) {
  KsString result(a);
  result.Append(b);
  return result;
}

KsString operator+(const KsChar* a, const KsString& b) {
  KsString result(a);
  result.Append(b);
  return result;
}

// --- changing the text --------------------------------------------------------

void KsString::Append(const KsChar* text, int count) {
  if (text == nullptr || count == 0) return;
  count = count < 0 ? KsTextLength(text) : BoundedLength(text, count);
  const int length = GetLength();
  if (length == 0 && count > 0 && KsStringData::Of(m_chars)->refs.load(std::memory_order_relaxed) > 1) {
    Assign(text, count);
    return;
  }
  Splice(length, 0, text, count);
}

void KsString::Append(const KsString& text) {
  if (IsEmpty()) {
    *this = text;  // shares
    return;
  }
  Splice(GetLength(), 0, text.m_chars, text.GetLength());
}

void KsString::AppendChar(KsChar c) {
  const int length = GetLength();
  KsChar* chars = BeginEdit(length + 1);
  chars[length] = c;
  EndEdit(length + 1);
}

int KsString::Insert(int position, const KsChar* text) {
  if (position >= 0 && position <= GetLength()) Splice(position, 0, text, KsTextLength(text));
  return GetLength();
}

int KsString::InsertChar(int position, KsChar c) {
  if (position >= 0 && position <= GetLength()) Splice(position, 0, &c, 1);
  return GetLength();
}

void KsString::SetAt(int index, KsChar c) {
  if (index < 0 || index >= GetLength()) return;
  const int length = GetLength();
  KsChar* chars = BeginEdit();
  chars[index] = c;
  EndEdit(c == 0 ? index : length);
}

int KsString::Remove(KsChar c) {
  const int found = FindChar(c);
  if (found < 0) return 0;
  const int length = GetLength();
  KsChar* chars = BeginEdit();
  int kept = found;
  for (int i = found; i < length; ++i) {
    if (chars[i] != c) chars[kept++] = chars[i];
  }
  EndEdit(kept);
  return length - kept;
}

void KsString::DeleteLeft(int count) {
  if (count <= 0) return;
  const int length = GetLength();
  Splice(0, count < length ? count : length, nullptr, 0);
}

void KsString::Crop(int left, int right) {
  const int length = GetLength();
  if (left < 0) left = 0;
  if (right < 0) right = 0;
  if (static_cast<long long>(left) + right >= length) {
    if (length > 0) Empty();
    return;
  }
  if (right > 0) Splice(length - right, right, nullptr, 0);
  if (left > 0) Splice(0, left, nullptr, 0);
}

bool KsString::DeleteThrough(int index) {
  if (index < 0) return false;
  DeleteLeft(index + 1);
  return true;
}

bool KsString::RemoveFileName() {
  const int found = ReverseFindChar(u'\\');
  if (found < 0) return false;
  const int length = GetLength();
  if (found + 1 < length) Splice(found + 1, length - found - 1, nullptr, 0);
  return true;
}

void KsString::TrimLeft() {
  int start = 0;
  const int length = GetLength();
  while (start < length && KsIsSpace(m_chars[start])) ++start;
  DeleteLeft(start);
}

void KsString::TrimRight() {
  const int length = GetLength();
  int end = length;
  while (end > 0 && KsIsSpace(m_chars[end - 1])) --end;
  if (end < length) Splice(end, length - end, nullptr, 0);
}

void KsString::Trim() {
  TrimRight();
  TrimLeft();
}

void KsString::TrimLeft(const KsChar* set) {
  if (set == nullptr) return;
  int start = 0;
  const int length = GetLength();
  while (start < length && InSet(m_chars[start], set)) ++start;
  DeleteLeft(start);
}

void KsString::TrimRight(const KsChar* set) {
  if (set == nullptr) return;
  const int length = GetLength();
  int end = length;
  while (end > 0 && InSet(m_chars[end - 1], set)) --end;
  if (end < length) Splice(end, length - end, nullptr, 0);
}

void KsString::Trim(const KsChar* set) {
  TrimRight(set);
  TrimLeft(set);
}

void KsString::TrimLeadingSlashes() { TrimLeft(u"/"); }

void KsString::TrimTrailingBackslashes() { TrimRight(u"\\"); }

void KsString::MakeLower() {
  const KsStringGlobals& globals = Manager();
  const int length = GetLength();
  int first = 0;
  while (first < length && globals.Fold(m_chars[first]) == m_chars[first]) ++first;
  if (first == length) return;
  KsChar* chars = BeginEdit();
  for (int i = first; i < length; ++i) chars[i] = globals.Fold(chars[i]);
  EndEdit(length);
}

int KsString::Replace(KsChar from, KsChar to) {
  if (from == to) return 0;
  int found = FindChar(from);
  if (found < 0) return 0;
  const int length = GetLength();
  KsChar* chars = BeginEdit();
  int count = 0;
  for (int i = found; i < length; ++i) {
    if (chars[i] == from) {
      chars[i] = to;
      ++count;
    }
  }
  EndEdit(to == 0 ? found : length);
  return count;
}

int KsString::Replace(const KsChar* from, const KsChar* to) {
  const KsChar* patterns[1] = {from};
  const KsChar* replacements[1] = {to};
  return ReplaceAll(patterns, replacements, 1, true);
}

int KsString::ReplaceAll(const KsChar* const* patterns, const KsChar* const* replacements, int count,
                         bool caseSensitive, bool keepMatch, const KsChar* before, const KsChar* after) {
  if (count < 1 || patterns == nullptr) return 0;
  for (int i = 0; i < count; ++i) {
    if (patterns[i] == nullptr || *patterns[i] == 0) return 0;
  }
  const bool exact = caseSensitive || !HasInstalledTextService();
  const int length = GetLength();

  // Each pattern's next match at or after the position, kept until passed.
  constexpr int kInlinePatterns = 8;
  int inlineNext[kInlinePatterns];
  int inlineLengths[kInlinePatterns];
  int* next = count <= kInlinePatterns ? inlineNext : new int[static_cast<size_t>(count)];
  int* lengths = count <= kInlinePatterns ? inlineLengths : new int[static_cast<size_t>(count)];
  auto findFrom = [&](int pattern, int position) {
    if (position >= length) return -1;
    return exact ? Find(patterns[pattern], position) : FindNoCase(patterns[pattern], position);
  };
  for (int i = 0; i < count; ++i) {
    lengths[i] = KsTextLength(patterns[i]);
    next[i] = findFrom(i, 0);
  }

  struct Hits {
    KsStringReplaceHit* items = nullptr;
    int size = 0;
    int capacity = 0;
    ~Hits() { delete[] items; }
    void Add(KsStringReplaceHit hit) {
      if (size == capacity) {
        capacity = capacity == 0 ? 16 : capacity * 2;
        auto* grown = new KsStringReplaceHit[static_cast<size_t>(capacity)];
        if (size > 0) std::memcpy(grown, items, sizeof(KsStringReplaceHit) * static_cast<size_t>(size));
        delete[] items;
        items = grown;
      }
      items[size++] = hit;
    }
  } hits;

  const int beforeLength = KsTextLength(before);
  const int afterLength = KsTextLength(after);
  long long newLength = length;
  for (int position = 0;;) {
    int best = -1;
    for (int i = 0; i < count; ++i) {
      if (next[i] >= 0 && next[i] < position) next[i] = findFrom(i, position);
      if (next[i] >= 0 && (best < 0 || next[i] < next[best])) best = i;
    }
    if (best < 0) break;
    hits.Add({best, next[best]});
    const int replacementLength =
        keepMatch ? lengths[best] : (replacements != nullptr ? KsTextLength(replacements[best]) : 0);
    newLength += beforeLength + replacementLength + afterLength - lengths[best];
    position = next[best] + lengths[best];
  }
  if (next != inlineNext) delete[] next;
  if (lengths != inlineLengths) delete[] lengths;
  if (hits.size == 0) return 0;

  KsString result;
  KsChar* out = result.BeginEdit(static_cast<int>(newLength), true, false);
  int copied = 0;
  for (int h = 0; h < hits.size; ++h) {
    const KsStringReplaceHit hit = hits.items[h];
    const int matchLength = KsTextLength(patterns[hit.pattern]);
    CopyChars(out, m_chars + copied, hit.position - copied);
    out += hit.position - copied;
    CopyChars(out, before, beforeLength);
    out += beforeLength;
    if (keepMatch) {
      CopyChars(out, m_chars + hit.position, matchLength);
      out += matchLength;
    } else if (replacements != nullptr && replacements[hit.pattern] != nullptr) {
      const int replacementLength = KsTextLength(replacements[hit.pattern]);
      CopyChars(out, replacements[hit.pattern], replacementLength);
      out += replacementLength;
    }
    CopyChars(out, after, afterLength);
    out += afterLength;
    copied = hit.position + matchLength;
  }
  CopyChars(out, m_chars + copied, length - copied);
  result.EndEdit(static_cast<int>(newLength));
  *this = std::move(result);
  return hits.size;
}

// --- numbers ------------------------------------------------------------------

int KsString::ToInt(const KsChar* text) noexcept { return ParseDecimal<int>(text); }

std::int64_t KsString::ToInt64(const KsChar* text) noexcept { return ParseDecimal<std::int64_t>(text); }

int KsString::HexToInt(const KsChar* text) noexcept { return ParseHex<int>(text); }

std::int64_t KsString::HexToInt64(const KsChar* text) noexcept { return ParseHex<std::int64_t>(text); }

std::int64_t KsString::HexPrefixedToInt64(const KsChar* text) noexcept {
  if (text != nullptr && text[0] == u'0' && text[1] == u'x') text += 2;
  return ParseHex<std::int64_t>(text);
}

double KsString::ToDouble(const KsChar* text, int* used) noexcept {
  if (used) *used = 0;
  if (text == nullptr) return 0;
  const KsChar* p = text;
  bool negative = false;
  for (;; ++p) {
    if (*p == u' ' || *p == u'+') continue;
    if (*p == u'-' || *p == 0x2012) {
      negative = true;
      continue;
    }
    break;
  }
  // Digits beyond what 64 bits hold keep counting as magnitude (integer part)
  // or are dropped (fraction), so a thousand digits cannot overflow.
  constexpr std::uint64_t kAccumulateLimit = 100000000000000000ULL;  // 1e17
  std::uint64_t whole = 0;
  int wholeExcess = 0;
  std::uint64_t fraction = 0;
  int fractionDigits = 0;
  bool inFraction = false;
  for (;; ++p) {
    const int digit = DigitValue(*p);
    if (digit >= 0) {
      if (!inFraction) {
        if (whole < kAccumulateLimit) whole = whole * 10 + static_cast<unsigned>(digit);
        else ++wholeExcess;
      } else if (fraction < kAccumulateLimit) {
        fraction = fraction * 10 + static_cast<unsigned>(digit);
        ++fractionDigits;
      }
      continue;
    }
    if (!inFraction && (*p == u'.' || *p == u',')) {
      inFraction = true;
      continue;
    }
    break;
  }
  long long exponent = 0;
  if (*p == u'e' || *p == u'E') {
    ++p;
    bool negativeExponent = false;
    for (;; ++p) {
      if (*p == u' ' || *p == u'+') continue;
      if (*p == u'-' || *p == 0x2012) {
        negativeExponent = true;
        continue;
      }
      break;
    }
    for (int digit; (digit = DigitValue(*p)) >= 0; ++p) {
      if (exponent < 100000) exponent = exponent * 10 + digit;
    }
    if (negativeExponent) exponent = -exponent;
  }
  double value = static_cast<double>(whole);
  if (fractionDigits > 0 && wholeExcess == 0) {
    double scale = 1;
    for (int i = 0; i < fractionDigits; ++i) scale *= 10;
    value += static_cast<double>(fraction) / scale;
  }
  exponent += wholeExcess;
  if (exponent > 400) exponent = 400;
  if (exponent < -400) exponent = -400;
  if (value != 0) {
    for (long long e = exponent; e > 0; --e) value *= 10;
    for (long long e = exponent; e < 0; ++e) value /= 10;
  }
  if (used) *used = static_cast<int>(p - text);
  return negative ? -value : value;
}
