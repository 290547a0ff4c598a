#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/KsString.h"
#include "foundation/KsTextWriter.h"
#include "foundation/PrintableText.h"

namespace {

struct FormatCase {
  const char16_t* format;
  std::vector<KsFormatArg> args;
  std::u16string expected;
};

std::u16string Formatted(const FormatCase& c) {
  KsString s(u"previous");
  s.FormatList(c.format, c.args.data(), static_cast<int>(c.args.size()));
  return std::u16string(s.View());
}

void ExpectFormats(const std::vector<FormatCase>& cases) {
  for (const FormatCase& c : cases) {
    SCOPED_TRACE("format \"" + Printable(c.format) + "\"");
    EXPECT_EQ(Printable(Formatted(c)), Printable(c.expected));
  }
}

// Sets the decimal separator for one test and lets the next use work it out
// again afterwards.
class DecimalSeparator {
 public:
  explicit DecimalSeparator(char16_t separator) { KsSetDecimalSeparatorForTesting(separator); }
  ~DecimalSeparator() { KsSetDecimalSeparatorForTesting(0); }
};

const KsString kAbc(u"abcdefgh");
const std::int64_t kMinusOne = -1;

}  // namespace

// Integers: the minimum digit count is the width, else the precision, else 1;
// zeros pad unless the blank flag is given; the padding counts digits only.
TEST(KsStringFormat, Integers) {
  ExpectFormats({
      {u"%d", {42}, u"42"},
      {u"%2d", {5}, u"05"},
      {u"% 3d", {5}, u"  5"},
      {u"%08d", {1234}, u"00001234"},
      {u"%03d", {-5}, u"-005"},
      {u"% 3d", {-5}, u"-  5"},
      {u"%.3d", {7}, u"007"},
      {u"%i", {-12}, u"-12"},
      {u"%2d", {12345}, u"12345"},
      {u"%d", {std::numeric_limits<std::int64_t>::min()}, u"-9223372036854775808"},
      {u"%u", {kMinusOne}, u"18446744073709551615"},
      {u"%I64d", {5000000000LL}, u"5000000000"},
      {u"%I64u|%ld|%lu|%lx", {1, 2, 3, 255}, u"1|2|3|ff"},
      {u"%c%c", {65, 0x20AC}, u"A\u20AC"},
      {u"[%c%c%c]", {0, 65536, u"x"}, u"[]"},
  });
}

// Hexadecimal: p is X with at least 8 digits, h adds "0x"; a value whose upper
// 32 bits are all ones shows only its lower 32 bits when at most 8 digits are
// asked for.
TEST(KsStringFormat, Hexadecimal) {
  ExpectFormats({
      {u"%x", {kMinusOne}, u"ffffffff"},
      {u"%X", {255}, u"FF"},
      {u"%4x", {255}, u"00ff"},
      {u"%16x", {kMinusOne}, u"ffffffffffffffff"},
      {u"%x", {0x1FFFFFFFFLL}, u"1ffffffff"},
      {u"%x", {std::numeric_limits<std::int64_t>::min()}, u"8000000000000000"},
      {u"%p", {255}, u"000000FF"},
      {u"%p", {kMinusOne}, u"FFFFFFFF"},
      {u"%10p", {1}, u"0000000001"},
      {u"%h", {255}, u"0x000000FF"},
  });
}

// %s copies text (wide, KsString or decoded UTF-8); a width only cuts it.
TEST(KsStringFormat, Text) {
  const char16_t* nullWide = nullptr;
  const char* nullNarrow = nullptr;
  ExpectFormats({
      {u"<%s>", {kAbc}, u"<abcdefgh>"},
      {u"<%5s>", {kAbc}, u"<abcde>"},
      {u"<%5s>", {u"abc"}, u"<abc>"},
      {u"<%0s>", {u"abc"}, u"<>"},
      {u"<%s>", {nullWide}, u"<(null)>"},
      {u"<%s>", {nullNarrow}, u"<(null)>"},
      {u"<%3s>", {nullNarrow}, u"<(nu>"},
      {u"<%s>", {"caf\xC3\xA9"}, u"<caf\u00E9>"},
      {u"<%4s>", {"\xC3\xA9xyz"}, u"<\u00E9xyz>"},
      {u"<%2s>", {"\xC3\xA9xyz"}, u"<\u00E9x>"},
      {u"<%ls>", {u"wide"}, u"<wide>"},
      {u"<%1000000000s>", {u"abc"}, u"<abc>"},
  });
}

// "%%" is a percent sign; an unknown conversion writes its character and
// takes no argument; a missing or mismatched argument counts as 0 or nothing.
TEST(KsStringFormat, UnusualConversionsAndArguments) {
  ExpectFormats({
      {u"%%", {}, u"%"},
      {u"%q%d", {7}, u"q7"},
      {u"%d|%s|%c|%x|%f", {}, u"0|||0|0"},
      {u"%d|%s", {u"text", 5}, u"0|"},
      {u"%f", {5}, u"0"},
      {u"%d %d", {1}, u"1 0"},
      {u"%I64x", {1}, u"I64x"},
      {u"", {1}, u""},
  });
}

// A format that ends inside a conversion keeps the unfinished conversion.
TEST(KsStringFormat, FormatEndingInsideAConversion) {
  ExpectFormats({
      {u"100%", {1}, u"100%"},
      {u"%", {}, u"%"},
      {u"a%5", {1}, u"a%5"},
      {u"a% ", {1}, u"a% "},
      {u"a%3.", {1}, u"a%3."},
      {u"a%l", {1}, u"al"},  // "l" before nothing it sizes is a conversion of its own
  });
}

// Reals: integers stay integers without a precision; a precision pads and
// rounds half up, carrying into the integer part; no precision means up to 16
// decimals without trailing zeros.
TEST(KsStringFormat, Reals) {
  DecimalSeparator point(u'.');
  ExpectFormats({
      {u"%.1f", {2.25}, u"2.3"},
      {u"%.0f", {999.5}, u"1000"},
      {u"%.2f", {1.5}, u"1.50"},
      {u"%f", {0.25}, u"0.25"},
      {u"%f", {3.0}, u"3"},
      {u"%.2f", {3.0}, u"3.00"},
      {u"%f", {-2.5}, u"-2.5"},
      {u"%.2f", {9.999}, u"10.00"},
      {u"%.1f", {-0.96}, u"-1.0"},
      {u"%3f", {5.0}, u"005"},
      {u"% 3f", {5.0}, u"  5"},
      {u"%3.1f", {1.25}, u"001.3"},
      {u"%.f", {2.5}, u"3"},
      {u"%.20f", {0.5}, u"0.5000000000000000"},
      {u"%f", {0.1}, u"0.1"},
      {u"%f", {1e20}, u"100000000000000000000"},
      {u"%.2f", {-1e19}, u"-10000000000000000000.00"},
      {u"%f", {std::numeric_limits<double>::infinity()}, u"inf"},
      {u"%f", {-std::numeric_limits<double>::infinity()}, u"-inf"},
      {u"%f", {std::nan("")}, u"nan"},
  });
}

TEST(KsStringFormat, DecimalSeparatorComesFromTheLocale) {
  {
    DecimalSeparator comma(u',');
    EXPECT_EQ(KsFormat(u"%.1f", 2.25), u"2,3");
    EXPECT_EQ(KsFormat(u"%f", 3.0), u"3");
  }
  // Worked out afresh: the "C" locale the tests run under writes 1.1.
  EXPECT_EQ(KsDecimalSeparator(), u'.');
  EXPECT_EQ(KsFormat(u"%.1f", 2.25), u"2.3");
  KsSetDecimalSeparatorForTesting(0);
  if (KsStringGlobals::Instance().SwitchLocale("de_DE.UTF-8")) {
    EXPECT_EQ(KsFormat(u"%.1f", 2.25), u"2,3");
    KsStringGlobals::Instance().SwitchLocale("C");
    KsSetDecimalSeparatorForTesting(0);
  }
}

// Absurd widths are clamped to 256 digits instead of allocating without limit.
TEST(KsStringFormat, HugeWidthsAreClamped) {
  for (const char16_t* format : {u"%999999999d", u"%99999999999999999999999d", u"%.999999999d", u"%999999999x"}) {
    SCOPED_TRACE(Printable(format));
    const KsString s = KsFormat(format, 1);
    ASSERT_EQ(s.GetLength(), 256);
    EXPECT_EQ(s[0], u'0');
    EXPECT_EQ(s[255], u'1');
  }
  EXPECT_EQ(KsFormat(u"%999999999f", 1.5).GetLength(), 256 + 2);
  EXPECT_EQ(KsFormat(u"%.999999999f", 1.5), u"1.5000000000000000");
}

TEST(KsStringFormat, AppendFormatExtendsAndFormatReplaces) {
  KsString s(u"x=");
  s.AppendFormat(u"%d", 5);
  EXPECT_EQ(s, u"x=5");
  const KsString copy = s;
  s.Format(u"y=%d", 6);
  EXPECT_EQ(s, u"y=6");
  EXPECT_EQ(copy, u"x=5");
  KsString appended = copy;
  appended.AppendFormat(u"%s", u"!");
  EXPECT_EQ(appended, u"x=5!");
  EXPECT_EQ(copy, u"x=5");

  // Growing through many appends keeps every piece.
  KsString text;
  std::u16string expected;
  for (int i = 0; i < 2000; ++i) {
    text.AppendFormat(u"%s%d,", kAbc, i);
    expected += u"abcdefgh" + std::u16string(KsFormat(u"%d", i).View()) + u",";
  }
  EXPECT_EQ(text.View(), expected);
}

// The value itself may be an argument or hold the format text.
TEST(KsStringFormat, OwnValueAsArgumentOrFormat) {
  KsString s(u"ab");
  s.Format(u"%s-%s", s, s);
  EXPECT_EQ(s, u"ab-ab");
  s.AppendFormat(u"[%s]", s);
  EXPECT_EQ(s, u"ab-ab[ab-ab]");
  KsString format(u"%d and %s");
  format.Format(format.Chars(), 5, format.Chars() + 3);
  EXPECT_EQ(format, u"5 and and %s");
  KsString empty;
  empty.Format(empty.Chars(), 1);
  EXPECT_TRUE(empty.IsEmpty());
  empty.AppendFormat(empty.Chars(), 1);
  EXPECT_TRUE(empty.IsEmpty());
  // A copy taken before keeps its text.
  KsString shared(u"v%d");
  const KsString copy = shared;
  shared.Format(shared.Chars(), 1);
  EXPECT_EQ(shared, u"v1");
  EXPECT_EQ(copy, u"v%d");
}

TEST(KsStringFormat, FromInt) {
  struct Case {
    std::int64_t value;
    int minimumDigits;
    int radix;
    const char16_t* expected;
  };
  const Case cases[] = {
      {5, 3, 10, u"005"},
      {-5, 3, 10, u"-005"},
      {0, 0, 10, u"0"},
      {std::numeric_limits<std::int64_t>::min(), 1, 10, u"-9223372036854775808"},
      {255, 1, 16, u"ff"},
      {-1, 1, 16, u"ffffffff"},
      {-1, 9, 16, u"ffffffffffffffff"},
      {5, 1, 2, u"101"},
      {35, 1, 36, u"z"},
      {7, 1, 99, u"7"},
      {-7, 1, 1, u"-7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " digits " << c.minimumDigits << " radix " << c.radix);
    KsString s(u"old");
    s.FromInt(c.value, c.minimumDigits, c.radix);
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}

TEST(KsStringFormat, FormatGmtDate) {
  KsString s;
  s.FormatGmtDate(u"Sun", 6, u"Nov", 1994, 8, 49, 7);
  EXPECT_EQ(s, u"Sun, 6 Nov 1994 08:49:07 GMT");
}

// A number of one to four digits, not starting with 0, in the last
// parentheses counts up; anything else starts the series with " (1)".
TEST(KsStringFormat, MakeUniqueName) {
  struct Case {
    const char16_t* name;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"Auralis 22", u"Auralis 22 (1)"},
      {u"Auralis 22 (1)", u"Auralis 22 (2)"},
      {u"Auralis 22 (9)", u"Auralis 22 (10)"},
      {u"Copy(3)", u"Copy(4)"},
      {u"Copy  (3)", u"Copy  (4)"},
      {u"Copy (05)", u"Copy (05) (1)"},
      {u"Copy (9999)", u"Copy (10000)"},
      {u"Copy (12345)", u"Copy (12345) (1)"},
      {u"Copy (x)", u"Copy (x) (1)"},
      {u"Copy ()", u"Copy () (1)"},
      {u"Copy (1 )", u"Copy (1 ) (1)"},
      {u"(7)", u"(8)"},
      {u"a (1) (2)", u"a (1) (3)"},
      {u"a(1)b", u"a(1)b (1)"},
      {u")", u") (1)"},
      {u"", u" (1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.name));
    KsString s(c.name);
    s.MakeUniqueName();
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}
