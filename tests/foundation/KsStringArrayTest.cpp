#include "foundation/KsStringArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/KsStringGetLeadingCharacters.h"
#include "foundation/KsTextService.h"

namespace {

std::string Narrow(const KsChar* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
  return out;
}

std::vector<std::string> Items(const KsStringArray& array) {
  std::vector<std::string> items;
  for (const KsString& item : array) items.push_back(Narrow(item));
  return items;
}

KsStringArray MakeArray(std::initializer_list<const KsChar*> items) {
  KsStringArray array;
  for (const KsChar* item : items) array.Add(item);
  return array;
}

int Refs(const KsString& s) { return s.Buffer()->refs.load(); }

// Items share their buffers with the values they were made from and release them on every path out.
TEST(KsStringArrayItems, ShareAndRelease) {
  const KsString text(u"shared text");
  {
    KsStringArray array;
    array.Add(text);
    array.Add(text);
    array.Add(text);
    EXPECT_EQ(Refs(text), 4);
    array.RemoveAt(0);
    EXPECT_EQ(Refs(text), 3);
    array.SetAt(0, KsString(u"other"));
    EXPECT_EQ(Refs(text), 2);
    array.SetSize(6);
    EXPECT_TRUE(array[5].IsEmpty()) << "new items are empty text";
    KsStringArray copy(array);
    EXPECT_EQ(Refs(text), 3);
    copy.Split(u"a;b", u";");  // replaced items release theirs
    EXPECT_EQ(Refs(text), 2);
    array.SetSize(1);
    EXPECT_EQ(Refs(text), 1);
    array.Add(text);
  }
  EXPECT_EQ(Refs(text), 1);
}

// Pieces between delimiters, empty ones included except after a final delimiter.
TEST(KsStringArraySplit, Table) {
  struct Case {
    const KsChar* text;
    const KsChar* delimiter;
    bool trim;
    std::vector<std::string> expected;
  } cases[] = {
      {u"a;;b", u";", false, {"a", "", "b"}},
      {u"a;", u";", false, {"a"}},
      {u";a", u";", false, {"", "a"}},
      {u";", u";", false, {""}},
      {u";;", u";", false, {"", ""}},
      {u"", u";", false, {}},
      {nullptr, u";", false, {}},
      {u"abc", u"", false, {"abc"}},
      {u"abc", nullptr, false, {"abc"}},
      {u"abc", u";", false, {"abc"}},
      {u"a<>b<>>c", u"<>", false, {"a", "b", ">c"}},
      {u"aaa", u"aa", false, {"", "a"}},
      {u"x", u"long delimiter", false, {"x"}},
      {u" a ; b ;\tc\t", u";", true, {" a", "b", "c"}},
      {u" a ; b ;  ", u";", true, {" a", "b"}},
      {u" a ; b ;  ", u";", false, {" a ", " b ", "  "}},
      {u"a ;  ; b", u";", true, {"a", "", "b"}},
      {u" solo ", u";", true, {" solo "}},
      {u"a <> b<>\tc ", u"<>", true, {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Split(\"" << Narrow(c.text) << "\", \"" << Narrow(c.delimiter) << "\", "
                                    << c.trim << ")");
    KsStringArray array;
    array.Split(c.text, c.delimiter, c.trim);
    EXPECT_EQ(Items(array), c.expected);
  }
}

// Every short text over a small alphabet splits as a plain left-to-right scan
// would: delimiters at each position, neighbours that differ in one bit, code
// units above 0x8000.
TEST(KsStringArraySplit, AgreesWithAPlainScan) {
  const std::u16string alphabet = u";:\uFF1B\uFF1A";
  for (KsChar delimiter : {u';', u'\uFF1B'}) {
    for (int length = 1; length <= 7; ++length) {
      int combinations = 1;
      for (int i = 0; i < length; ++i) combinations *= static_cast<int>(alphabet.size());
      for (int n = 0; n < combinations; ++n) {
        std::u16string text;
        for (int i = 0, rest = n; i < length; ++i, rest /= static_cast<int>(alphabet.size())) {
          text += alphabet[rest % alphabet.size()];
        }
        std::vector<std::u16string> expected(1);
        for (KsChar c : text) {
          if (c == delimiter) {
            expected.emplace_back();
          } else {
            expected.back() += c;
          }
        }
        if (expected.size() > 1 && expected.back().empty()) expected.pop_back();

        const KsChar delimiterText[2] = {delimiter, 0};
        KsStringArray array;
        array.Split(text.c_str(), delimiterText);
        std::vector<std::u16string> items;
        for (const KsString& item : array) items.emplace_back(item.View());
        ASSERT_EQ(items, expected) << "text " << n << " of length " << length;
      }
    }
  }
}

// Splitting again replaces the items, whether there were more or fewer before.
TEST(KsStringArraySplit, ReplacesPreviousItems) {
  KsStringArray array = MakeArray({u"old1", u"old2", u"old3", u"old4"});
  array.Split(u"x;y", u";");
  EXPECT_EQ(Items(array), (std::vector<std::string>{"x", "y"}));
  array.Split(u"1;2;3;4;5", u";");
  EXPECT_EQ(Items(array), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  array.Split(u"", u";");
  EXPECT_EQ(array.GetSize(), 0);

  // The text may be an item of the array itself, replaced while the rest is still being read
  // (a buffer this long is freed at once, where AddressSanitizer sees it).
  const std::u16string longItem = u"alpha;" + std::u16string(2000, u'b') + u";gamma";
  array = MakeArray({longItem.c_str(), u"other", u"more"});
  array.Split(array[0].Chars(), u";");
  ASSERT_EQ(array.GetSize(), 3);
  EXPECT_EQ(array[0], u"alpha");
  EXPECT_EQ(array[1].GetLength(), 2000);
  EXPECT_EQ(array[2], u"gamma");
  array.Split(array[2], u"m");
  EXPECT_EQ(Items(array), (std::vector<std::string>{"ga", "", "a"}));
}

TEST(KsStringArrayJoin, Table) {
  struct Case {
    std::vector<const KsChar*> items;
    const KsChar* separator;
    bool reverse;
    std::string expected;
  } cases[] = {
      {{}, u";", false, ""},
      {{u"one"}, u";", true, "one"},
      {{u"a", u"b", u"c"}, u";", false, "a;b;c"},
      {{u"a", u"b", u"c"}, u", ", true, "c, b, a"},
      {{u"a", u"", u"c"}, u"", false, "ac"},
      {{u"a", u"b"}, nullptr, false, "ab"},
      {{u"", u""}, u"", false, ""},
      {{u"", u""}, u"|", false, "|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "expected \"" << c.expected << "\"");
    KsStringArray array;
    for (const KsChar* item : c.items) array.Add(item);
    KsString joined = array.Join(c.separator, c.reverse);
    EXPECT_EQ(Narrow(joined), c.expected);
    EXPECT_EQ(joined.GetLength(), static_cast<int>(c.expected.size()));
  }
  KsStringArray path = MakeArray({u"C:", u"Program Files", u"Kestrune"});
  EXPECT_EQ(path.JoinPath(), u"C:\\Program Files\\Kestrune");
  KsStringArray single = MakeArray({u"shared"});
  EXPECT_EQ(single.Join(u";").Chars(), single[0].Chars()) << "one item: a shared copy";
}

// Split and Join undo each other for any list without empty trailing item.
TEST(KsStringArrayJoin, RoundTripsSplit) {
  std::u16string text;
  for (int i = 0; i < 3000; ++i) {
    if (i > 0) text += u';';
    text.append(static_cast<size_t>(i % 7), static_cast<char16_t>(u'a' + i % 26));
  }
  text += u'z';
  KsStringArray array;
  array.Split(text.c_str(), u";");
  EXPECT_EQ(array.GetSize(), 3000);
  EXPECT_EQ(array.Join(u";").View(), text);
}

TEST(KsStringArrayFind, Table) {
  const KsStringArray array = MakeArray({u"", u"Alpha", u"beta", u"ALPHA", u"Gamma Ray"});
  struct Case {
    const KsChar* text;
    bool caseSensitive, whole;
    int expected;
  } cases[] = {
      {u"ALPHA", true, true, 3},  {u"alpha", false, true, 1}, {u"alpha", true, true, -1},
      {u"ph", true, false, 1},    {u"PH", true, false, 3},    {u"RAY", false, false, 4},
      {u"ray", true, false, -1},  {u"", true, true, 0},       {u"", true, false, 1},
      {u"delta", false, false, -1}, {nullptr, false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Find(\"" << Narrow(c.text) << "\", " << c.caseSensitive << ", " << c.whole
                                    << ")");
    EXPECT_EQ(array.Find(c.text, c.caseSensitive, c.whole), c.expected);
  }
}

// Sort orders by the text service's comparison in the given mode.
TEST(KsStringArraySort, OrdersByTheTextService) {
  KsStringArray array = MakeArray({u"delta", u"Bravo", u"alpha", u"Charlie", u"bravo"});
  array.Sort(IKsTextService::kCompareNoCase);
  ASSERT_EQ(array.GetSize(), 5);
  EXPECT_EQ(Narrow(array[0]), "alpha");
  EXPECT_EQ(array[1].CompareNoCase(u"bravo"), 0);
  EXPECT_EQ(array[2].CompareNoCase(u"bravo"), 0);
  EXPECT_EQ(Narrow(array[3]), "Charlie");
  EXPECT_EQ(Narrow(array[4]), "delta");

  array.Sort(0);  // exact: upper case first
  EXPECT_EQ(Items(array), (std::vector<std::string>{"Bravo", "Charlie", "alpha", "bravo", "delta"}));

  std::mt19937 random(3);
  std::vector<std::string> expected;
  KsStringArray many;
  for (int i = 0; i < 5000; ++i) {
    std::string item = std::to_string(random() % 100000);
    expected.push_back(item);
    many.Add(KsString(std::u16string(item.begin(), item.end())));
  }
  std::sort(expected.begin(), expected.end());
  many.Sort(0);
  EXPECT_EQ(Items(many), expected);
}

// Runs of one character class; the word class takes inner apostrophes and hyphens before letters.
TEST(KsStringLeadingCharacters, Runs) {
  const KsStringLeadingWhitespaceCharacters space;
  const KsStringLeadingAlphaCharacters alpha;
  const KsStringLeadingDigitCharacters digit;
  const KsStringLeadingWordCharacters word;
  struct Case {
    const KsStringGetLeadingCharacters* cls;
    const char* name;
    const KsChar* text;
    int expected;
  } cases[] = {
      {&space, "space", u" \t\r\nx", 4}, {&space, "space", u"x ", 0},       {&alpha, "alpha", u"abc1", 3},
      {&alpha, "alpha", u"it's", 2},     {&digit, "digit", u"2024-01", 4},  {&digit, "digit", u"", 0},
      {&digit, "digit", nullptr, 0},     {&word, "word", u"it's ok", 4},    {&word, "word", u"'tis", 0},
      {&word, "word", u"rock'n'roll!", 11}, {&word, "word", u"well-known.", 10},
      {&word, "word", u"-x", 2},         {&word, "word", u"end-", 3},       {&word, "word", u"a'", 1},
      {&word, "word", u"up\u2012to", 5}, {&word, "word", u"a--b", 1},       {&word, "word", u"42", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " \"" << Narrow(c.text) << "\"");
    EXPECT_EQ(c.cls->GetLeadingCount(c.text), c.expected);
  }
}

}  // namespace
