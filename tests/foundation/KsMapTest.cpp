#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "foundation/CBlockDataContainer.h"
#include "foundation/CountedElement.h"
#include "foundation/KsMap.h"
#include "foundation/KsOwnedPtrMap.h"
#include "foundation/KsUniqueList.h"

namespace {

using CountedMap = KsMap<int, int, CountedElement, const CountedElement&>;
using IntMap = KsMap<int, int, int, int>;

class KsMapTest : public CountedTest {};

// The table starts at 7 buckets and is rebuilt when an insertion would pass about two entries per bucket.
TEST_F(KsMapTest, BucketCountFollowsTheEntryCount) {
  IntMap map;
  EXPECT_EQ(map.GetBucketCount(), 0);
  std::map<int, int> grewAt;
  int buckets = 0;
  for (int i = 1; i <= 1100; ++i) {
    bool inserted = false;
    map.FindOrInsert(i * 7919, inserted)->value = i;
    ASSERT_TRUE(inserted);
    if (map.GetBucketCount() != buckets) grewAt[i] = buckets = map.GetBucketCount();
  }
  EXPECT_EQ(grewAt, (std::map<int, int>{{1, 7}, {17, 31}, {65, 127}, {257, 511}, {1025, 2047}}));
  for (int i = 1; i <= 1100; ++i) {
    const auto* node = map.Lookup(i * 7919);
    ASSERT_NE(node, nullptr) << i;
    EXPECT_EQ(node->value, i);
  }
  EXPECT_EQ(map.Lookup(5), nullptr);
}

TEST_F(KsMapTest, InitHashTableSizesAndKeepsEntries) {
  struct Case {
    int n;
    bool slack;
    int buckets;
  } cases[] = {{0, false, 7}, {7, false, 7}, {8, false, 15}, {100, false, 127}, {100, true, 127}, {110, true, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " slack " << c.slack);
    IntMap map;
    for (int i = 0; i < 20; ++i) map.SetAt(i, i * 2);
    map.InitHashTable(c.n, c.slack);
    EXPECT_EQ(map.GetBucketCount(), c.buckets);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(map.Lookup(i)->value, i * 2);
  }
}

TEST_F(KsMapTest, FindOrInsertRemoveKeyAndValues) {
  {
    CountedMap map;
    bool inserted = false;
    map.FindOrInsert(1, inserted)->value = 10;
    EXPECT_TRUE(inserted);
    EXPECT_EQ(map.FindOrInsert(1, inserted)->value.value, 10);
    EXPECT_FALSE(inserted);
    map.SetAt(1, 11);
    map.SetAt(2, 20);
    map.SetAt(-3, 30);
    EXPECT_EQ(map.GetCount(), 3);
    EXPECT_EQ(map.Lookup(1)->value.value, 11);
    EXPECT_EQ(CountedElement::s_live, 3);

    EXPECT_TRUE(map.RemoveKey(2));
    EXPECT_FALSE(map.RemoveKey(2));
    EXPECT_EQ(map.Lookup(2), nullptr);
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_EQ(CountedElement::s_live, 2);

    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(map.GetBucketCount(), 7) << "the bucket array stays";
    EXPECT_EQ(CountedElement::s_live, 0);
    map.SetAt(4, 40);
  }
  EXPECT_EQ(CountedElement::s_live, 0) << "the destructor frees the nodes";
}

// Iteration visits every entry exactly once, also after removals in the middle of chains.
TEST_F(KsMapTest, IterationVisitsEveryEntryOnce) {
  IntMap map;
  KsMapPosition position;
  EXPECT_EQ(map.GetFirst(position), nullptr);
  for (int i = 0; i < 300; ++i) map.SetAt(i * 31, i);  // many keys share buckets
  for (int i = 0; i < 300; i += 3) map.RemoveKey(i * 31);
  std::multiset<int> seen;
  int previousBucket = -1;
  for (auto* node = map.GetFirst(position); node != nullptr; node = map.GetNext(position)) {
    EXPECT_GE(position.bucket, previousBucket);
    previousBucket = position.bucket;
    seen.insert(node->key);
  }
  std::multiset<int> expected;
  for (int i = 0; i < 300; ++i) {
    if (i % 3 != 0) expected.insert(i * 31);
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(map.GetNext(position), nullptr) << "past the end stays at the end";
}

// Pointer keys hash by their value.
TEST_F(KsMapTest, PointerKeys) {
  int objects[50];
  KsMap<int*, int*, int, int> map;
  for (int i = 0; i < 50; ++i) map.SetAt(&objects[i], i);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(map.Lookup(&objects[i])->value, i);
  EXPECT_EQ(map.Lookup(nullptr), nullptr);
}

// A pooled map destroys keys and values on clearing and reuses the pool's blocks afterwards.
TEST_F(KsMapTest, PooledMapReusesBlocksAfterRemoveAll) {
  CountedMap map;
  map.SetAt(1, 1);
  map.EnablePool();
  EXPECT_EQ(map.GetCount(), 0);
  EXPECT_EQ(CountedElement::s_live, 0);
  ASSERT_TRUE(map.HasPool());

  for (int i = 0; i < 20000; ++i) map.SetAt(i, i);
  const int blocks = map.GetPool()->GetBlocksAllocated();
  EXPECT_GT(blocks, 1);
  map.RemoveAll();
  EXPECT_EQ(CountedElement::s_live, 0);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 20000; ++i) map.SetAt(i + round, i);
    EXPECT_EQ(map.GetPool()->GetBlocksAllocated(), blocks) << "round " << round;
    EXPECT_EQ(map.Lookup(19999 + round)->value.value, 19999);
    map.RemoveAll();
  }
  map.SetAt(5, 5);
  EXPECT_TRUE(map.RemoveKey(5));
  EXPECT_EQ(CountedElement::s_live, 0);
}

class KsOwnedPtrMapTest : public CountedTest {};

TEST_F(KsOwnedPtrMapTest, DroppedObjectsAreDeleted) {
  {
    KsOwnedPtrMap<int, int, DeleteProbe> map;
    for (int i = 0; i < 5; ++i) map.SetAt(i, new DeleteProbe(i));
    EXPECT_TRUE(map.RemoveKey(0));
    EXPECT_EQ(DeleteProbe::s_deleted, 1);
    map.SetAt(1, new DeleteProbe(10));  // replaces, deleting the old object
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
    map.SetAt(1, map.Lookup(1)->value);  // the same object stays
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
    EXPECT_EQ(map.Lookup(1)->value->id, 10);
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 6) << "the destructor deletes the rest";

  DeleteProbe kept(1);
  {
    KsOwnedPtrMap<int, int, DeleteProbe> map(false);
    map.SetAt(1, &kept);
    map.RemoveKey(1);
    map.SetAt(2, &kept);
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 6);
}

TEST_F(KsOwnedPtrMapTest, PooledOwnedMapDeletesOnRemoveAll) {
  KsOwnedPtrMap<int, int, DeleteProbe> map;
  map.EnablePool();
  for (int i = 0; i < 100; ++i) map.SetAt(i, new DeleteProbe(i));
  map.RemoveAll();
  EXPECT_EQ(DeleteProbe::s_deleted, 100);
}

TEST(KsUniqueListTest, AddKeepsTheFirstValue) {
  KsUniqueList<int> list;
  EXPECT_TRUE(list.Add(3, 30));
  EXPECT_FALSE(list.Add(3, 31));
  EXPECT_TRUE(list.Add(4));
  EXPECT_EQ(list.Lookup(3)->value, 30);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list.Contains(4));
  EXPECT_FALSE(list.Contains(5));
}

// The pool serves from the first block with room and retires a block that is nearly full.
TEST(CBlockDataContainerTest, ServesRetiresAndResets) {
  CBlockDataContainer pool(16, 64);
  auto* a = static_cast<std::byte*>(pool.Allocate(40));
  auto* b = static_cast<std::byte*>(pool.Allocate(20));  // 24 bytes free, rounded up to 24
  EXPECT_EQ(b, a + 40);
  EXPECT_EQ(pool.GetBlocksAllocated(), 1);
  auto* c = static_cast<std::byte*>(pool.Allocate(24));  // 0 left, a second block
  EXPECT_EQ(pool.GetBlocksAllocated(), 2);
  EXPECT_NE(c, b + 24);
  pool.Allocate(8);  // the full first block is retired on the way
  EXPECT_EQ(pool.GetRetiredBlockCount(), 1);
  EXPECT_EQ(pool.GetActiveBlockCount(), 1);
  auto* big = static_cast<std::byte*>(pool.Allocate(1000));  // larger than a block: its own block
  EXPECT_EQ(pool.GetBlocksAllocated(), 3);
  big[999] = std::byte{1};

  pool.Reset();
  EXPECT_EQ(pool.GetRetiredBlockCount(), 0);
  EXPECT_EQ(pool.GetActiveBlockCount(), 3);
  EXPECT_EQ(pool.Allocate(40), c) << "after a reset the active blocks serve from their start";
  EXPECT_EQ(pool.GetBlocksAllocated(), 3);
}

// Beyond the eighth position a block that cannot serve a request is retired even with room left.
TEST(CBlockDataContainerTest, ScanRetiresBeyondTheEighthBlock) {
  CBlockDataContainer pool(8, 64);
  for (int i = 0; i < 9; ++i) pool.Allocate(40);  // nine blocks with 24 bytes free each
  EXPECT_EQ(pool.GetActiveBlockCount(), 9);
  pool.Allocate(40);  // the ninth cannot serve it and is retired
  EXPECT_EQ(pool.GetActiveBlockCount(), 9);
  EXPECT_EQ(pool.GetRetiredBlockCount(), 1);
  auto* first = static_cast<std::byte*>(pool.Allocate(24));  // the first eight keep their room
  EXPECT_EQ(pool.GetBlocksAllocated(), 10);
  pool.Reset();
  EXPECT_EQ(pool.Allocate(8), first - 40);
}

}  // namespace
