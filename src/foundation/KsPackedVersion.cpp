#include "foundation/KsPackedVersion.h"

KsPackedVersion ParseVersion(const KsChar* text) {
  KsString version(text);
  if (version.FindChar(u'.') < 0) version.Replace(u',', u'.');
  KsPackedVersion packed = 0;
  int start = 0;
  for (int part = 0; part < 4; ++part) {
    const int value = KsString::ToInt(version.Chars() + start);  // stops at the next "."
    packed |= static_cast<KsPackedVersion>(static_cast<std::uint16_t>(value)) << (48 - 16 * part);
    const int dot = version.Find(u".", start);
    if (dot < 0) break;
    start = dot + 1;
  }
  return packed;
}
