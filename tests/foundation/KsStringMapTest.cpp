#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/CountedElement.h"
#include "foundation/KsStringCRCUniqueList.h"
#include "foundation/KsStringMap.h"
#include "foundation/KsStringToOwnedPtrMap.h"
#include "foundation/KsStringUniqueList.h"

namespace {

std::u16string Key(int i) { return u"C:\\Program Files\\Kestrune\\Item" + std::u16string(1, u'A' + i % 26) + u"\\" +
                                   std::u16string(1, u'0' + i / 26 % 10) + std::u16string(1, u'0' + i / 260 % 10); }

// The hash folds each code unit: h = h * 65599 + fold(c), from 0; null and empty text hash to 0.
TEST(KsStringMapHash, FoldsAndMultiplies) {
  EXPECT_EQ(KsStringHashNoCase(nullptr), 0u);
  EXPECT_EQ(KsStringHashNoCase(u""), 0u);
  EXPECT_EQ(KsStringHashNoCase(u"a"), 97u);
  EXPECT_EQ(KsStringHashNoCase(u"Ab"), 97u * 65599u + 98u);
  EXPECT_EQ(KsStringHashNoCase(u"PATH\\To"), KsStringHashNoCase(u"path\\to"));
  std::uint32_t expected = 0;
  for (KsChar c : std::u16string(u"a longer text that wraps around")) expected = expected * 65599u + c;
  EXPECT_EQ(KsStringHashNoCase(u"A LONGER TEXT THAT WRAPS AROUND"), expected);
}

TEST(KsStringMapEquality, IgnoresCaseOnly) {
  struct Case {
    const KsChar* a;
    const KsChar* b;
    bool equal;
  } cases[] = {
      {u"abc", u"ABC", true},  {u"abc", u"abd", false}, {u"abc", u"ab", false}, {u"ab", u"abc", false},
      {u"", nullptr, true},    {nullptr, u"x", false},  {u"a\\B", u"A\\b", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(KsStringEqualsNoCase(c.a, c.b), c.equal);
  }
}

class KsStringMapTest : public CountedTest {};

// Keys are found in any letter case, and the 17th distinct key grows the table from 7 to 31 buckets.
TEST_F(KsStringMapTest, CaseInsensitiveKeysAndGrowth) {
  {
    KsStringMap<CountedElement> map;
    map.SetAt(u"abc", 1);
    ASSERT_NE(map.Lookup(u"ABC"), nullptr);
    EXPECT_EQ(map.Lookup(u"aBc")->value.value, 1);
    EXPECT_EQ(map.Lookup(u"abc")->key, u"abc") << "the first spelling is kept";
    bool inserted = true;
    map.FindOrInsert(u"ABC", inserted);
    EXPECT_FALSE(inserted);
    EXPECT_EQ(map.Lookup(u"abcd"), nullptr);

    for (int i = 1; i < 16; ++i) map.SetAt(KsString(Key(i)), i);
    EXPECT_EQ(map.GetCount(), 16);
    EXPECT_EQ(map.GetBucketCount(), 7);
    map.SetAt(KsString(Key(16)), 16);
    EXPECT_EQ(map.GetBucketCount(), 31);
    for (int i = 1; i <= 16; ++i) {
      KsString upper(Key(i));
      upper.MakeLower();
      ASSERT_NE(map.Lookup(upper), nullptr) << i;
      EXPECT_EQ(map.Lookup(upper)->value.value, i);
    }
    EXPECT_TRUE(map.RemoveKey(u"ABC"));
    EXPECT_EQ(map.GetCount(), 16);
  }
  EXPECT_EQ(CountedElement::s_live, 0);
}

// Pooled string maps release keys and values on clearing (the pool only keeps node memory).
// The value shares the buffer; the key is copied from its characters (LeakSanitizer sees a lost key).
TEST_F(KsStringMapTest, PooledStringMapReleasesKeys) {
  KsStringMap<KsString> map;
  map.EnablePool();
  KsString key(u"Shared Key Text");
  for (int i = 0; i < 3; ++i) {
    map.SetAt(key, key);
    EXPECT_EQ(key.Buffer()->refs.load(), 2);
    map.RemoveAll();
    EXPECT_EQ(key.Buffer()->refs.load(), 1) << "round " << i;
  }
}

TEST_F(KsStringMapTest, StringToOwnedPtrMap) {
  {
    KsStringToOwnedPtrMap<DeleteProbe> map;
    map.SetAt(u"One", new DeleteProbe(1));
    map.SetAt(u"Two", new DeleteProbe(2));
    map.SetAt(u"ONE", new DeleteProbe(3));  // the same key: replaces and deletes
    EXPECT_EQ(DeleteProbe::s_deleted, 1);
    EXPECT_EQ(map.Lookup(u"one")->value->id, 3);
    EXPECT_TRUE(map.RemoveKey(u"two"));
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 3);
}

TEST(KsStringUniqueListTest, CaseInsensitiveSet) {
  KsStringUniqueList list;
  EXPECT_TRUE(list.Add(u"Music\\Album", 5));
  EXPECT_FALSE(list.Add(u"MUSIC\\album", 6));
  EXPECT_TRUE(list.Add(u"Music\\Albums"));
  EXPECT_EQ(list.Lookup(u"music\\ALBUM")->value, 5);
  EXPECT_EQ(list.GetCount(), 2);
}

// The fingerprint is the map hash plus a CRC-32 of the folded text.
TEST(KsStringCRCUniqueListTest, FingerprintsStandForTexts) {
  const KsStringHashBase empty(u"");
  EXPECT_EQ(empty.hash, 0u);
  EXPECT_EQ(empty.crc, 0u);
  EXPECT_EQ(KsStringHashBase(nullptr), empty);
  // CRC-32 of the bytes "a\0" (one folded UTF-16 unit, low byte first).
  EXPECT_EQ(KsStringHashBase(u"A").crc, 0x3D3F4819u);
  EXPECT_EQ(KsStringHashBase(u"A").hash, KsStringHashNoCase(u"a"));
  EXPECT_EQ(KsStringHashBase(u"Path\\File"), KsStringHashBase(u"PATH\\file"));
  EXPECT_NE(KsStringHashBase(u"Path\\File"), KsStringHashBase(u"Path\\Filf"));

  KsStringCRCUniqueList list;
  EXPECT_TRUE(list.HasPool());
  for (int i = 0; i < 500; ++i) ASSERT_TRUE(list.Add(KsString(Key(i)), i)) << i;
  EXPECT_FALSE(list.Add(u"c:\\program files\\kestrune\\itemb\\00", 99));
  EXPECT_EQ(list.Lookup(KsStringHashBase(KsString(Key(1))))->value, 1);
  EXPECT_TRUE(list.ContainsText(u"C:\\PROGRAM FILES\\KESTRUNE\\ITEMC\\00"));
  EXPECT_FALSE(list.ContainsText(u"C:\\Program Files"));
  EXPECT_EQ(list.GetCount(), 500);
}

}  // namespace
