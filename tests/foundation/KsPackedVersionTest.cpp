#include "foundation/KsPackedVersion.h"

#include <gtest/gtest.h>

#include <string>

// Version texts to packed values: missing parts are 0, a fifth is ignored,
// each part keeps its low 16 bits, commas count only when there is no dot.
TEST(ParseVersion, Table) {
  struct Case {
    const KsChar* text;
    KsPackedVersion want;
  } cases[] = {
      {u"5.0.0.0", KsPackVersion(5, 0, 0, 0)},
      {u"5", KsPackVersion(5, 0, 0, 0)},
      {u"", 0},
      {nullptr, 0},
      {u"9,0,81,16", KsPackVersion(9, 0, 81, 16)},
      {u"9.0,1", KsPackVersion(9, 0, 0, 0)},
      {u"1.2.3.4.5", KsPackVersion(1, 2, 3, 4)},
      {u"65536.65535", KsPackVersion(0, 65535, 0, 0)},
      {u" 7a.1", KsPackVersion(7, 1, 0, 0)},
      {u"99999999999.1", KsPackVersion(0xFFFF, 1, 0, 0)},
      {u"1..3", KsPackVersion(1, 0, 3, 0)},
      {u"\u0661\u0662.3", KsPackVersion(12, 3, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)) : "null");
    EXPECT_EQ(ParseVersion(c.text), c.want);
  }
}

TEST(ParseVersion, PackedValuesOrderAsVersions) {
  EXPECT_LT(ParseVersion(u"9.0.81.16"), ParseVersion(u"9.0.82.0"));
  EXPECT_LT(ParseVersion(u"9.65535.65535.65535"), ParseVersion(u"10"));
  EXPECT_EQ(ParseVersion(u"22.0"), ParseVersion(u"22,0,0,0"));
}
