#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/KsString.h"
#include "foundation/KsUtf8Decoder.h"
#include "foundation/PrintableText.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

}  // namespace

// Decoding takes 110xxxxx 10xxxxxx and (E0 or above) 10xxxxxx 10xxxxxx as one
// unit each (the low 16 bits); any other byte, including the start of a cut
// sequence, is the unit of its value. A 0 byte, a sequence that decodes to 0, or
// the count ends the text.
TEST(KsStringUtf8, Decoding) {
  struct Case {
    std::string bytes;
    int count;
    std::u16string expected;
  };
  const Case cases[] = {
      {"A", -1, u"A"},
      {Bytes({0xC3, 0xA9}), -1, u"\u00E9"},
      {Bytes({0xE2, 0x82, 0xAC}), -1, u"\u20AC"},
      {Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), -1, u"\xD83D\xDE00"},  // surrogates one by one
      {Bytes({0xF0, 0x9F, 0x98, 0x80}), -1, u"\x07D8\x0080"},             // four-byte forms are not read
      {Bytes({0xC3}), -1, u"\x00C3"},
      {Bytes({0xE2, 0x82}), -1, u"\x00E2\x0082"},
      {Bytes({0xC3, 0x41}), -1, u"\x00C3\x0041"},
      {Bytes({0x80, 0xBF}), -1, u"\x0080\x00BF"},
      {Bytes({0xC3, 0xA9}), 1, u"\x00C3"},  // the count cuts the sequence
      {Bytes({0xE2, 0x82, 0xAC}), 2, u"\x00E2\x0082"},
      {std::string("A\0B", 3), 3, u"A"},
      {Bytes({0x41, 0xC0, 0x80, 0x42}), -1, u"A"},        // an overlong 0 ends the text too
      {Bytes({0x41, 0xE0, 0x80, 0x80, 0x42}), -1, u"A"},
      {"ABC", 2, u"AB"},
      {"", -1, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(PrintableBytes(c.bytes) + " count " + std::to_string(c.count));
    KsString s(u"old");
    s.FromUtf8(c.bytes.data(), c.count);
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
  KsString s(u"old");
  s.FromUtf8(nullptr);
  EXPECT_TRUE(s.IsEmpty());
}

// Encoding writes each UTF-16 unit by itself: one, two or three bytes, so a
// surrogate pair becomes two three-byte sequences.
TEST(KsStringUtf8, Encoding) {
  struct Case {
    std::u16string text;
    std::string expected;
  };
  const Case cases[] = {
      {u"A", "A"},
      {u"\u00E9", Bytes({0xC3, 0xA9})},
      {u"\u07FF", Bytes({0xDF, 0xBF})},
      {u"\u0800", Bytes({0xE0, 0xA0, 0x80})},
      {u"\uFFFF", Bytes({0xEF, 0xBF, 0xBF})},
      {u"\xD83D\xDE00", Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})},
      {u"\xD800", Bytes({0xED, 0xA0, 0x80})},
      {u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    EXPECT_EQ(PrintableBytes(KsString(c.text).ToUtf8()), PrintableBytes(c.expected));
  }
}

// Every unit but 0 survives encoding and decoding, unpaired surrogates too.
TEST(KsStringUtf8, EveryUnitRoundTrips) {
  std::u16string all;
  for (char32_t unit = 1; unit <= 0xFFFF; ++unit) all.push_back(static_cast<char16_t>(unit));
  const KsString text(all);
  const std::string bytes = text.ToUtf8();
  KsString back;
  back.FromUtf8(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_TRUE(back.View() == all);
  EXPECT_EQ(text.ToWide(), all);
}

TEST(KsStringUtf16, ByteOrderMarkAndTerminator) {
  struct Case {
    std::u16string units;
    int count;  // -1: the whole test string, terminated
    bool honour;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"\xFEFF" u"AB", -1, true, u"AB"},
      {u"\xFEFF" u"AB", -1, false, u"\xFEFF" u"AB"},
      {u"\xFFFE\x4100\x4200", -1, true, u"AB"},
      {u"\xFFFE\x4100", -1, false, u"\xFFFE\x4100"},
      {u"ABC", 2, true, u"AB"},
      {std::u16string(u"A\0B", 3), 3, false, u"A"},
      {u"\xD800" u"A\xDC00", -1, false, u"\xD800" u"A\xDC00"},  // unpaired surrogates stay
      {u"\xFEFF", -1, true, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.units) + (c.honour ? " honouring" : ""));
    KsString s(u"old");
    s.FromUtf16(c.units.c_str(), c.count, c.honour);
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}

// UTF-32 drops a leading FEFF; characters beyond U+FFFF become surrogate
// pairs and invalid values U+FFFD, instead of being cut to 16 bits.
TEST(KsStringUtf32, Units) {
  struct Case {
    std::u32string units;
    std::u16string expected;
  };
  const Case cases[] = {
      {U"\xFEFF" U"AB", u"AB"},
      {U"A\U0001F600", u"A\xD83D\xDE00"},
      {U"\U0010FFFF", u"\xDBFF\xDFFF"},
      {std::u32string(1, char32_t{0x110000}), u"\xFFFD"},
      {std::u32string(1, char32_t{0xFFFFFFFF}), u"\xFFFD"},
      {std::u32string(U"A\0B", 3), u"A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(KsString(c.expected).View()));
    KsString s(u"old");
    s.FromUtf32(c.units.data(), static_cast<int>(c.units.size()));
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}

// The ANSI code page goes through the platform's Windows-1252.
TEST(KsStringAnsi, ConversionBothWays) {
  KsString s;
  s.FromAnsi("\x80 caf\xE9\x81");
  EXPECT_EQ(Printable(s.View()), Printable(u"\u20AC caf\u00E9\u0081"));
  s.FromAnsi("abc", 2);
  EXPECT_EQ(s, u"ab");
  s.FromAnsi(nullptr);
  EXPECT_TRUE(s.IsEmpty());

  EXPECT_EQ(KsString(u"\u20AC caf\u00E9").ToAnsi(), std::optional<std::string>("\x80 caf\xE9"));
  EXPECT_EQ(KsString(u"\u03A9\u0142").ToAnsi(), std::optional<std::string>("Ol"));  // best fit
  EXPECT_EQ(KsString(u"\u0416").ToAnsi(), std::optional<std::string>("?"));  // no look-alike
  EXPECT_EQ(KsString().ToAnsi(), std::optional<std::string>(""));
}

// Detection: byte-order marks first; then a 0 byte means UTF-16 (UTF-32 when
// two more follow); else UTF-8 when it holds a sequence and nothing invalid,
// the ANSI code page otherwise. Explicit encodings decode as told.
TEST(KsStringDecodeText, DetectionAndExplicitEncodings) {
  struct Case {
    std::string bytes;
    int encoding;
    std::u16string expected;
  };
  const Case cases[] = {
      {Bytes({0x41, 0x00, 0x42, 0x00}), kKsEncodingDetect, u"AB"},
      {Bytes({0xC3, 0xA9}), kKsEncodingDetect, u"\u00E9"},
      {Bytes({0xE9}), kKsEncodingDetect, u"\u00E9"},                       // ANSI
      {Bytes({0x80}), kKsEncodingDetect, u"\u20AC"},                       // ANSI
      {Bytes({0xC3, 0xA9, 0xE9}), kKsEncodingDetect, u"\u00C3\u00A9\u00E9"},  // one invalid byte: ANSI
      {Bytes({0xFF, 0xFE, 0x41, 0x00}), kKsEncodingDetect, u"A"},
      {Bytes({0xFE, 0xFF, 0x00, 0x41}), kKsEncodingDetect, u"A"},
      {Bytes({0xEF, 0xBB, 0xBF, 0xC3, 0xA9}), kKsEncodingDetect, u"\u00E9"},
      {Bytes({0x41, 0, 0, 0, 0x42, 0, 0, 0}), kKsEncodingDetect, u"AB"},
      {Bytes({0x41, 0, 0, 0}), kKsEncodingDetect, u"A"},  // trailing zeros ignored: ANSI
      {Bytes({0x41, 0x00, 0x42}), kKsEncodingDetect, u"A"},  // odd count: the last byte is dropped
      {Bytes({0x00, 0x00}), kKsEncodingDetect, u""},
      {"plain", kKsEncodingDetect, u"plain"},
      {Bytes({0xE9}), kKsEncodingAnsi, u"\u00E9"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x41}), kKsEncodingUtf8, u"\uFEFF" u"A"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x41}), kKsEncodingUtf8Bom, u"A"},
      {Bytes({0x41}), kKsEncodingUtf8Bom, u"A"},
      {Bytes({0xFF, 0xFE, 0x41, 0x00}), kKsEncodingUtf16, u"A"},
      {Bytes({0x41, 0x00, 0x00, 0x00, 0x42, 0x00}), kKsEncodingUtf16, u"A"},
      {Bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0}), kKsEncodingUtf32, u"A"},
      {Bytes({0x00, 0xF6, 0x01, 0x00, 0x41}), kKsEncodingUtf32, u"\xD83D\xDE00"},
      {"text", 4, u""},
      {"text", -1, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(PrintableBytes(c.bytes) + " encoding " + std::to_string(c.encoding));
    const std::string original = c.bytes;
    KsString s(u"old");
    s.DecodeText(c.bytes.data(), static_cast<int>(c.bytes.size()), c.encoding);
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
    EXPECT_EQ(c.bytes, original);
  }
  KsString s(u"old");
  s.DecodeText(nullptr, 5, kKsEncodingDetect);
  EXPECT_TRUE(s.IsEmpty());
}

// Decoding reads only the bytes it is given, however the text ends.
TEST(KsStringDecodeText, TruncatedInputStaysInBounds) {
  const std::vector<std::string> inputs = {
      Bytes({0xC3}), Bytes({0xE2, 0x82}), Bytes({0xFF}), Bytes({0xFF, 0xFE, 0x41}), Bytes({0x41, 0x00, 0x00}),
      Bytes({0xEF, 0xBB}), Bytes({0xEF, 0xBB, 0xBF})};
  for (const std::string& input : inputs) {
    for (int encoding = -1; encoding <= 7; ++encoding) {
      SCOPED_TRACE(PrintableBytes(input) + " encoding " + std::to_string(encoding));
      // An exact-size heap copy lets the address sanitizer see any overread.
      const std::vector<char> exact(input.begin(), input.end());
      KsString s;
      s.DecodeText(exact.data(), static_cast<int>(exact.size()), encoding);
      EXPECT_LE(s.GetLength(), static_cast<int>(exact.size()));
    }
  }
}

// The one-pass decoder gives what the per-byte path gives, for every encoding.
// The cases put each kind of byte on either side of the sixteen-byte steps.
TEST(KsStringDecodeText, OnePassEqualsPerByte) {
  const std::string ascii = "<r a=\"0123456789abcdef\">0123456789abcdefghijklmnopqrstuvwxyz</r>";
  std::vector<std::string> cases = {
      ascii,
      ascii + std::string(3, '\0'),                                     // trailing zeros
      "<r>caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5" + ascii + "</r>",  // sequences, a 4-byte lead
      "<r>caf\xE9 " + ascii + "</r>",                                   // not UTF-8: the ANSI code page
      "<r>\xC3\xA9 and \xE9</r>",                                       // a sequence and an invalid byte
      "\xEF\xBB\xBF<r>\xE9\xC3\xA9" + ascii + "</r>",                   // after a UTF-8 mark nothing is checked
      "\xEF\xBB\xBF<r>x</r>" + std::string(1, '\0') + "tail",           // ... and a 0 byte ends the text
      std::string("<\0r\0>\0<\0/\0r\0>\0", 14),                         // UTF-16 without a mark
      "\xFF\xFE<\0r\0/\0>\0",                                           // UTF-16 with a mark
      ascii.substr(0, 31) + "\xC3",                                     // a sequence cut by the end
      std::string(1, '\0') + ascii,
      ascii + "\xC0\x80" + ascii,  // an overlong 0 ends the text
  };
  const std::string specials[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xE9", std::string(1, '\0'), "\x7F"};
  for (const std::string& special : specials) {
    for (size_t at : {0, 1, 14, 15, 16, 17, 31, 32, 47}) {
      std::string bytes = ascii;
      bytes.insert(at, special);
      cases.push_back(bytes);
      cases.push_back(bytes.substr(0, at + special.size() - 1));  // cut inside the special bytes
    }
  }
  for (const std::string& bytes : cases) {
    for (int encoding : {kKsEncodingDetect, kKsEncodingUtf8, kKsEncodingUtf8Bom}) {
      SCOPED_TRACE(PrintableBytes(bytes) + " encoding " + std::to_string(encoding));
      const std::vector<char> exact(bytes.begin(), bytes.end());  // so the sanitizer sees an overread
      KsString onePass;
      onePass.DecodeText(exact.data(), static_cast<int>(exact.size()), encoding);
      KsString perByte;
      KsDecodeTextPerByte(perByte, exact.data(), static_cast<int>(exact.size()), encoding);
      EXPECT_EQ(Printable(onePass.View()), Printable(perByte.View()));
    }
  }
}

// The same on random mixes of ASCII, sequences, invalid bytes and zeros.
TEST(KsStringDecodeText, OnePassEqualsPerByteOnRandomBytes) {
  static const char* const kPieces[] = {"abcdefgh", "x",     "\xC3\xA9",         "\xE2\x82\xAC", "\xEF\xBB\xBF",
                                        "\xE9",     "\x80", "\xF0\x9F\x8E\xB5", "\xC3",         "\xC0\x80"};
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    const int pieces = static_cast<int>(random() % 40);
    for (int i = 0; i < pieces; ++i) {
      // Mostly ASCII; the rest spread over the other pieces, a 0 byte now and then.
      const unsigned pick = random() % 64;
      if (pick < 40) {
        bytes += kPieces[pick % 2];
      } else if (pick == 63 && round % 4 == 0) {
        bytes += '\0';
      } else {
        bytes += kPieces[2 + pick % 8];
      }
    }
    for (int encoding : {kKsEncodingDetect, kKsEncodingUtf8, kKsEncodingUtf8Bom}) {
      const std::vector<char> exact(bytes.begin(), bytes.end());
      KsString onePass;
      onePass.DecodeText(exact.data(), static_cast<int>(exact.size()), encoding);
      KsString perByte;
      KsDecodeTextPerByte(perByte, exact.data(), static_cast<int>(exact.size()), encoding);
      ASSERT_EQ(Printable(onePass.View()), Printable(perByte.View()))
          << PrintableBytes(bytes) << " encoding " << encoding;
    }
  }
}

// "&", "<" and ">" always; quotes and control characters by flag; tab, line
// feed and carriage return never.
TEST(KsStringEscapeXML, Flags) {
  struct Case {
    std::u16string text;
    int flags;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"a&b<c>d", 0, u"a&amp;b&lt;c&gt;d"},
      {u"\"'", 0, u"\"'"},
      {u"\"'", 8, u"&quot;'"},
      {u"\"'", 4, u"\"&apos;"},
      {u"\"'", 12, u"&quot;&apos;"},
      {u"\x01\x1F\t\n\r\x0B\x0C\x0E", 0, u"\x01\x1F\t\n\r\x0B\x0C\x0E"},
      {u"\x01\x1F\t\n\r\x0B\x0C\x0E", 16, u"&#x1;&#x1f;\t\n\r&#xb;&#xc;&#xe;"},
      {u"\x01\x1F\t\n\r\x02", 48, u"&#x1;?\t\n\r?"},
      {u"\x02", 32, u"\x02"},
      {u"a<\u00E9\x7F", 16, u"a&lt;\u00E9\x7F"},
      {u"", 60, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " flags " + std::to_string(c.flags));
    KsString s(c.text);
    s.EscapeXML(c.flags);
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}

// Text with nothing to escape keeps its buffer, even a shared one; escaping
// does not show through a copy.
TEST(KsStringEscapeXML, NothingToEscapeKeepsTheBuffer) {
  KsString s(u"plain \"text\"\t");
  const KsString copy = s;
  const KsStringData* buffer = s.Buffer();
  s.EscapeXML(4 | 16 | 32);
  EXPECT_EQ(s.Buffer(), buffer);
  EXPECT_EQ(s.Buffer()->refs.load(), 2);

  s.EscapeXML(8);
  EXPECT_EQ(s, u"plain &quot;text&quot;\t");
  EXPECT_EQ(copy, u"plain \"text\"\t");
}

// "%" and two hex digits at the end of the output become one unit, so a
// decoded "%" starts the next escape; values of 128 and above are UTF-8.
TEST(KsStringDecodeURL, Escapes) {
  struct Case {
    std::u16string text;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"%2541", u"A"},
      {u"%C3%A9", u"\u00E9"},
      {u"%c3%a9", u"\u00E9"},
      {u"100%", u"100%"},
      {u"a%20b", u"a b"},
      {u"%%41", u"%A"},
      {u"%41%", u"A%"},
      {u"%4", u"%4"},
      {u"%zz%4g", u"%zz%4g"},
      {u"%252", u"%2"},
      {u"%E9", u"\u00E9"},                         // not a UTF-8 sequence: the byte's own unit
      {u"%E2%82", u"\u00E2\u0082"},                // cut sequence
      {u"\u03A9%C3%A9", u"\u03A9\u00E9"},          // units beyond a byte are kept
      {u"a%C3%A9b\u4E2D%E2%82%AC", u"a\u00E9b\u4E2D\u20AC"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    KsString s(c.text);
    s.DecodeURL();
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
  KsString plain(u"no escapes 100%");
  const KsString copy = plain;
  plain.DecodeURL();
  EXPECT_EQ(plain.Buffer(), copy.Buffer());
}

TEST(KsStringBase64, Encoding) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"", u""}, {"f", u"Zg=="}, {"fo", u"Zm8="}, {"foo", u"Zm9v"}, {"foob", u"Zm9vYg=="}, {"foobar", u"Zm9vYmFy"},
      {Bytes({0xFB, 0xFF}), u"+/8="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(PrintableBytes(c.bytes));
    KsString s(u"old");
    s.ToBase64(c.bytes.data(), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(Printable(s.View()), Printable(c.expected));
  }
}

// A line feed follows every 64 characters, but never ends the text.
TEST(KsStringBase64, LineFeeds) {
  const std::string bytes(96, 'x');
  KsString s;
  s.ToBase64(bytes.data(), 48);
  EXPECT_EQ(s.GetLength(), 64);
  EXPECT_EQ(s.FindChar(u'\n'), -1);
  s.ToBase64(bytes.data(), 49);
  ASSERT_EQ(s.GetLength(), 64 + 1 + 4);
  EXPECT_EQ(s[64], u'\n');
  EXPECT_EQ(s.Right(2), u"==");
  s.ToBase64(bytes.data(), 96);
  EXPECT_EQ(s.GetLength(), 128 + 1);
  EXPECT_EQ(s.ReverseFindChar(u'\n'), 64);
}

// Decoding is lenient: line breaks are skipped, anything outside the alphabet
// is 0, a short group is zero-filled, and "=" in the last group shortens the
// output, never by more than that group's three bytes.
TEST(KsStringBase64, Decoding) {
  struct Case {
    std::u16string text;
    std::string expected;
  };
  const Case cases[] = {
      {u"Zm9vYmFy", "foobar"},
      {u"Zm9vYg==", "foob"},
      {u"Zm9v\r\nYmE=\n", "fooba"},
      {u"Zg", Bytes({'f', 0, 0})},
      {u"!!!!", Bytes({0, 0, 0})},
      {u"\x100\x100\x100\x100", Bytes({0, 0, 0})},
      {u"====", ""},
      {u"Zm9v====", "foo"},
      {u"Zm9v=", Bytes({'f', 'o', 'o', 0, 0})},  // a lone "=" still makes a group
      {u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    EXPECT_EQ(PrintableBytes(KsString(c.text).FromBase64()), PrintableBytes(c.expected));
  }
}

TEST(KsStringBase64, EveryLengthRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i * 7));
  for (int length = 0; length <= 300; ++length) {
    SCOPED_TRACE(length);
    KsString s;
    s.ToBase64(bytes.data(), length);
    ASSERT_EQ(s.FromBase64(), bytes.substr(0, static_cast<std::size_t>(length)));
  }
}

// A source that lies in the value's own buffer is read before the buffer is
// reused or released.
TEST(KsStringDecodeText, SourceInsideTheValue) {
  KsString s(u"ABCD");
  s.DecodeText(s.Chars(), 8, kKsEncodingUtf16);
  EXPECT_EQ(s, u"ABCD");
  s.FromUtf16(s.Chars() + 1, -1, false);
  EXPECT_EQ(s, u"BCD");
  s.ToBase64(s.Chars(), 6);
  EXPECT_EQ(s, u"QgBDAEQA");
  s.FromUtf8(reinterpret_cast<const char*>(s.Chars()), 3);  // "Q\0g": stops at the 0 byte
  EXPECT_EQ(s, u"Q");
}
