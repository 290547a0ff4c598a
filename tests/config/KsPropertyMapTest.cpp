#include "config/KsPropertyMap.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "config/KsFileName.h"
#include "config/KsXmlDocument.h"
#include "config/TestText.h"

namespace {

std::string Dump(const KsPropertyMap& map) { return Printable(map.ToText(u"", u";")); }

}  // namespace

// Keys ignore case and keep their first spelling; an empty value is a value unless
// the caller asks for removal.
TEST(KsPropertyMapEntries, KeysIgnoreCaseAndKeepTheirSpelling) {
  KsPropertyMap map;
  EXPECT_EQ(map.GetEntries(), nullptr);
  EXPECT_EQ(Printable(map.GetString(u"missing", u"dflt")), "dflt");
  EXPECT_EQ(Printable(map.GetString(u"missing")), "");
  map.SetString(u"Path", u"a");
  map.SetString(u"PATH", u"b");
  EXPECT_TRUE(map.Exists(u"path"));
  EXPECT_EQ(Printable(map.GetString(u"pAtH")), "b");
  EXPECT_EQ(Dump(map), "Path: b;");
  EXPECT_EQ(map.GetCount(), 1);

  map.SetString(u"Empty", u"", false);
  EXPECT_TRUE(map.Exists(u"empty"));
  map.SetString(u"EMPTY", u"", true);
  EXPECT_FALSE(map.Exists(u"empty"));
  map.Remove(u"path");
  EXPECT_EQ(map.GetEntries(), nullptr) << "the last removal drops the inner map";
  map.SetString(u"x", u"1");
  map.Clear();
  EXPECT_EQ(map.GetEntries(), nullptr);
}

// The 17th key grows the table from 7 to 31 buckets, the 65th to 127; every key stays reachable.
TEST(KsPropertyMapEntries, GrowsAndIteratesEveryEntry) {
  KsPropertyMap map;
  const int growthPoints[][2] = {{1, 7}, {16, 7}, {17, 31}, {64, 31}, {65, 127}, {300, 511}};
  int inserted = 0;
  for (const auto& [count, buckets] : growthPoints) {
    for (; inserted < count; ++inserted) map.SetInt(KsFormat(u"Key%d", inserted), inserted);
    SCOPED_TRACE(count);
    EXPECT_EQ(map.GetEntries()->GetBucketCount(), buckets);
  }
  int visited = 0;
  KsMapPosition position;
  for (auto* node = map.GetEntries()->GetFirst(position); node; node = map.GetEntries()->GetNext(position)) {
    EXPECT_EQ(map.GetInt(node->key), node->key.Mid(3).ToInt());
    ++visited;
  }
  EXPECT_EQ(visited, 300);
  EXPECT_EQ(map.GetInt(u"KEY299", -1), 299);
}

// Typed reads convert the stored text; the default applies only when the key is absent.
TEST(KsPropertyMapTyped, ReadsAndWrites) {
  KsPropertyMap map;
  struct IntCase {
    const char16_t* stored;
    int read;
  } ints[] = {{u"abc", 0}, {u" -12x", -12}, {u"+7", 7}, {u"99999999999", 2147483647},
              {u"-99999999999", -2147483647}, {u"", 0}};
  for (const IntCase& c : ints) {
    SCOPED_TRACE(Printable(c.stored));
    map.SetString(u"n", c.stored);
    EXPECT_EQ(map.GetInt(u"n", 5), c.read);
  }
  EXPECT_EQ(map.GetInt(u"absent", 5), 5);
  EXPECT_EQ(map.GetInt(u"absent", -2147483647 - 1), -2147483647 - 1);

  map.SetDouble(u"d", 2.5);
  EXPECT_EQ(Printable(map.GetString(u"d")), "2.5");
  map.SetDouble(u"d", 3.0);
  EXPECT_EQ(Printable(map.GetString(u"d")), "3");
  map.SetDouble(u"d", -0.125);
  EXPECT_EQ(Printable(map.GetString(u"d")), "-0.125");
  map.SetString(u"d", u"2,5");
  EXPECT_EQ(map.GetDouble(u"d"), 2.5);
  map.SetString(u"d", u" +1.5e2z");
  EXPECT_EQ(map.GetDouble(u"d", 9), 150);
  EXPECT_EQ(map.GetDouble(u"absent", 0.25), 0.25);

  map.SetPointer(u"p", 0x1A2B);
  EXPECT_EQ(Printable(map.GetString(u"p")), "00001A2B");
  EXPECT_EQ(map.GetPointer(u"p"), 0x1A2B);
  map.SetString(u"p", u"  ff");
  EXPECT_EQ(map.GetPointer(u"p"), 0xFF);
  map.SetString(u"p", u"FFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(map.GetPointer(u"p"), static_cast<std::intptr_t>(-1)) << "saturates";
  EXPECT_EQ(map.GetPointer(u"absent", 0x1234), 0x1234);
  map.SetInt(u"i", -42);
  EXPECT_EQ(Printable(map.GetString(u"i")), "-42");
}

// Equality compares counts and exact values; copies are made with Assign.
TEST(KsPropertyMapCompare, EqualsAndAssign) {
  KsPropertyMap a;
  KsPropertyMap b;
  a.SetString(u"k", u"");
  EXPECT_FALSE(a.Equals(b));
  EXPECT_FALSE(b.Equals(a));
  b.SetString(u"K", u"");
  EXPECT_TRUE(a.Equals(b));
  a.SetString(u"Name", u"Value");
  b.SetString(u"NAME", u"value");
  EXPECT_FALSE(a.Equals(b)) << "values compare exactly";
  b.SetString(u"name", u"Value");
  EXPECT_TRUE(a.Equals(b));
  EXPECT_TRUE(a.Equals(a));

  KsPropertyMap copy;
  copy.SetString(u"old", u"x");
  EXPECT_TRUE(copy.Assign(a));
  EXPECT_TRUE(copy.Equals(a));
  EXPECT_FALSE(copy.Exists(u"old"));
  EXPECT_TRUE(copy.Assign(copy));
  EXPECT_TRUE(copy.Equals(a));
  EXPECT_TRUE(copy.Assign(KsPropertyMap()));
  EXPECT_EQ(copy.GetEntries(), nullptr);
}

// Serialize writes length-prefixed tokens; Deserialize reads them back, and reads a
// token that does not fit the text as empty.
TEST(KsPropertyMapSerialize, RoundTripsAndToleratesDamage) {
  KsPropertyMap map;
  map.SetString(u"A", u"x");
  map.SetString(u"Bc", u"");
  KsString text;
  map.Serialize(text);
  EXPECT_EQ(Printable(text), "(1:2)(2:Bc)(0:)(1:A)(1:x)") << "entries in bucket order: hash(Bc) % 7 = 1, hash(A) % 7 = 6";
  KsString none(u"prefix");
  map.Serialize(none, false);
  EXPECT_EQ(Printable(none), "prefix(1:0)");

  map.SetString(u"odd)(keys:", u"(3:v)\r\n\xD800");
  KsString full;
  map.Serialize(full);
  KsPropertyMap back;
  int position = 0;
  back.Deserialize(full, position);
  EXPECT_TRUE(back.Equals(map));
  EXPECT_EQ(position, full.GetLength());

  struct Case {
    const char16_t* text;
    const char* entries;
  } cases[] = {
      {u"(1:1)(1:k)(5:v)", "k: ;"},
      {u"(1:1)(1:k)(3:v)w)", "k: v)w;"},
      {u"(1:1)(1:k)(1:v)trailing", "k: v;"},
      {u"(2:-5)(1:k)(1:v)", ""},
      {u"(10:2147483647)(1:k)(1:v)", ": ;k: v;"},  // past the text, empty pairs: one is stored, no spinning
      {u"(1:2)(1:a)(1:1)(1:a)(1:2)", "a: 2;"},
      {u"(99999999999999999999:1)", ""},
      {u"(1:x)(1:k)(1:v)", ""},
      {u"(:1)", ""},
      {u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    KsPropertyMap damaged;
    damaged.SetString(u"stale", u"1");
    damaged.Deserialize(KsString(c.text));
    EXPECT_EQ(Dump(damaged), c.entries);
  }

  // Every prefix of a serialized map reads without fault.
  for (int length = 0; length <= full.GetLength(); ++length) {
    KsPropertyMap prefix;
    int at = 0;
    prefix.Deserialize(full.Left(length), at);
    EXPECT_LE(at, length);
  }
  KsPropertyMap outside;
  int far = 1000;
  outside.Deserialize(full, far);
  EXPECT_EQ(outside.GetCount(), 0);
}

// The XMLPH form: a root with version "1.0", one CR LF terminated Item per entry.
TEST(KsPropertyMapXml, WritesAndReadsTheItemForm) {
  KsPropertyMap map;
  EXPECT_EQ(Printable(map.ToXML(u"XMLPH", true, 1.0)), "");
  EXPECT_EQ(Printable(map.ToXML(u"XMLPH", false, 1.0)), Printable(u"<XMLPH version=\"1.0\">\r\n</XMLPH>"));
  map.SetString(u"Path", u"C:\\Music & More");
  EXPECT_EQ(Printable(map.ToXML(u"XMLPH", false, 1.0)),
            Printable(u"<XMLPH version=\"1.0\">\r\n<Item Name=\"Path\">C:\\Music &amp; More</Item>\r\n</XMLPH>"));

  map.SetInt(u"Volume", 80);
  map.SetString(u"Quote\"'<Key>", u"<tag> & \"quoted\"");
  map.SetString(u"Empty", u"");
  const KsString xml = map.ToXML(u"XMLPH", false, 1.0);
  KsPropertyMap back;
  back.SetString(u"stale", u"1");
  EXPECT_TRUE(back.FromXML(xml, u"XMLPH", 1.0)) << Printable(xml);
  EXPECT_TRUE(back.Equals(map)) << Dump(back);
  EXPECT_NE(xml.Find(u"<Item Name=\"Empty\"/>\r\n"), -1);

  struct Case {
    const char16_t* xml;
    bool result;
    const char* entries;
  } cases[] = {
      {u"", true, ""},
      {u"<XMLPH version=\"2.0\"><Item Name=\"a\">1</Item></XMLPH>", false, ""},
      {u"<Other version=\"1.0\"><Item Name=\"a\">1</Item></Other>", false, ""},
      {u"<xmlph version='1,0'><Item Name=\"A\">1</Item><Item Name=\"a\">2</Item></xmlph>", true, "A: 2;"},
      {u"<XMLPH version=\"1.0\"><Other Name=\"o\">x</Other><Item>nameless</Item><Item Name=\"e\"/></XMLPH>",
       true, ": nameless;e: ;"},
      // An unended root hands its items to the top level, so a truncated form reads empty.
      {u"<XMLPH version=\"1.0\"><Item Name=\"a\">1</Item>", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.xml));
    KsPropertyMap read;
    read.SetString(u"stale", u"1");
    EXPECT_EQ(read.FromXML(KsString(c.xml), u"XMLPH", 1.0), c.result);
    EXPECT_EQ(Dump(read), c.entries);
  }

  // ReadXMLItems inside an element of a larger document.
  KsXmlDocument document(KsString(u"<Pkg><Options><Item Name=\"k\">v</Item></Options></Pkg>"));
  ASSERT_TRUE(document.FindNext(u"/Pkg/Options"));
  ASSERT_TRUE(document.EnterElement());
  KsPropertyMap options;
  options.ReadXMLItems(document);
  EXPECT_EQ(Dump(options), "k: v;");
}

// A file name takes its values from the XMLFN form or from a ";" tail after a short extension.
TEST(KsFileNameTest, InterpretsItsText) {
  struct Case {
    const char16_t* text;
    const char16_t* fileName;
    const char* properties;
  } cases[] = {
      {u"C:\\Music\\a.mp3", u"C:\\Music\\a.mp3", ""},
      {u"C:\\Music\\a.mp3;12", u"C:\\Music\\a.mp3", "PostExtensionData: 12;"},
      {u"a.b;c;d", u"a.b;c", "PostExtensionData: d;"},
      {u"a.toolong;x", u"a.toolong;x", ""},
      {u"a.;x", u"a.;x", ""},
      {u"a;x", u"a;x", ""},
      {u"x.cue;", u"x.cue", "PostExtensionData: ;"},
      {u"http://host/a.mp3;x", u"http://host/a.mp3;x", ""},
      {u"C:\\a.b;c\\", u"C:\\a.b;c\\", ""},
      {u"<XMLFN version=\"1.0\"><Item Name=\"FILENAME\">C:\\a &amp; b.mp3</Item>"
       u"<Item Name=\"Start\">10</Item><Skip>x</Skip></XMLFN>",
       u"C:\\a & b.mp3", "Start: 10;"},
      {u"<xmlfn VERSION=\"1.0\"><Item Name=\"Filename\">f</Item></xmlfn>", u"f", ""},
      {u"<XMLFN version=\"1.00\"><Item Name=\"Filename\">f</Item></XMLFN>", u"", ""},
      {u"<XMLFN version=", u"", ""},
      {u"", u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    KsFileName name(c.text);
    EXPECT_EQ(Printable(name.GetFileName()), Printable(c.fileName));
    EXPECT_EQ(Dump(name.GetProperties()), c.properties);
    EXPECT_TRUE(name.IsConstructed());
  }
  KsFileName kept(u"a.mp3;1");
  kept.Set(u"b.wav", false);
  EXPECT_EQ(Dump(kept.GetProperties()), "PostExtensionData: 1;");
  kept.Set(u"b.wav");
  EXPECT_EQ(Dump(kept.GetProperties()), "");
}

// The operations are virtual: typed access, Deserialize, FromXML and ToXML go
// through the overridable string operations and item readers and writers.
TEST(KsPropertyMapSlots, CompositeOperationsUseTheVirtualOnes) {
  class Traced : public KsPropertyMap {
   public:
    KsString GetString(const KsChar* key, const KsChar* defaultValue) const override {
      ++reads;
      return KsPropertyMap::GetString(key, defaultValue);
    }
    void SetString(const KsChar* key, const KsChar* value, bool removeIfEmpty) override {
      ++writes;
      KsPropertyMap::SetString(key, value, removeIfEmpty);
    }
    void WriteXMLItems(KsXmlDocument& document) const override {
      document.AddElement(u"Extra", u"1");
      KsPropertyMap::WriteXMLItems(document);
    }
    mutable int reads = 0;
    int writes = 0;
  };
  Traced map;
  map.SetInt(u"a", 1);
  map.SetDouble(u"b", 1.5);
  map.SetPointer(u"c", 2);
  EXPECT_EQ(map.writes, 3);
  EXPECT_EQ(map.GetInt(u"a") + map.GetDouble(u"b") + static_cast<double>(map.GetPointer(u"c")), 4.5);
  EXPECT_EQ(map.reads, 3);
  map.Deserialize(KsString(u"(1:2)(1:x)(1:1)(1:y)(1:2)"));
  EXPECT_EQ(map.writes, 5);
  KsPropertyMap& base = map;
  EXPECT_NE(base.ToXML(u"XMLPH", false, 1.0).Find(u"<Extra>1</Extra>\r\n"), -1);
  EXPECT_TRUE(base.FromXML(KsString(u"<XMLPH version=\"1.0\"><Item Name=\"k\">v</Item></XMLPH>"), u"XMLPH", 1.0));
  EXPECT_EQ(map.writes, 6);
}
