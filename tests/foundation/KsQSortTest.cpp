#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "foundation/KsQSort.h"

namespace {

struct Item {
  int key;
  int id;  // position before sorting
};

// Orders by key and records which positions it was asked about.
class RecordingCompare final : public IKsQSortCompare<Item> {
 public:
  explicit RecordingCompare(const Item* base) : m_base(base) {}
  int Compare(const Item* a, const Item* b) override {
    pairs.emplace_back(static_cast<int>(a - m_base), static_cast<int>(b - m_base));
    return a->key < b->key ? -1 : a->key > b->key ? 1 : 0;
  }
  std::vector<std::pair<int, int>> pairs;

 private:
  const Item* m_base;
};

std::vector<Item> MakeItems(const std::vector<int>& keys) {
  std::vector<Item> items;
  for (int key : keys) items.push_back({key, static_cast<int>(items.size())});
  return items;
}

std::vector<int> Keys(const std::vector<Item>& items) {
  std::vector<int> keys;
  for (const Item& item : items) keys.push_back(item.key);
  return keys;
}

std::vector<int> Sorted(std::vector<Item> items, int* partitions = nullptr,
                        std::vector<std::pair<int, int>>* pairs = nullptr) {
  RecordingCompare compare(items.data());
  KsQSort<Item> sorter(&compare);
  if (!items.empty()) sorter.Sort(items.data(), items.data() + items.size() - 1);
  if (partitions != nullptr) *partitions = sorter.GetPartitionCount();
  if (pairs != nullptr) *pairs = compare.pairs;
  return Keys(items);
}

// Every shape of input ends in the order std::sort gives.
TEST(KsQSortTest, MatchesStdSort) {
  std::mt19937 random(12345);
  const int sizes[] = {1, 2, 3, 15, 16, 17, 18, 33, 100, 1000, 30011};
  enum Shape { kSorted, kReversed, kRandom, kFewDistinct, kOrganPipe, kAllEqual };
  const char* names[] = {"sorted", "reversed", "random", "few distinct", "organ pipe", "all equal"};
  for (int size : sizes) {
    for (Shape shape : {kSorted, kReversed, kRandom, kFewDistinct, kOrganPipe, kAllEqual}) {
      SCOPED_TRACE(testing::Message() << size << " elements, " << names[shape]);
      std::vector<int> keys(size);
      for (int i = 0; i < size; ++i) {
        switch (shape) {
          case kSorted: keys[i] = i; break;
          case kReversed: keys[i] = size - i; break;
          case kRandom: keys[i] = static_cast<int>(random()); break;
          case kFewDistinct: keys[i] = static_cast<int>(random() % 4); break;
          case kOrganPipe: keys[i] = i < size / 2 ? i : size - i; break;
          case kAllEqual: keys[i] = 7; break;
        }
      }
      std::vector<int> expected = keys;
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(Sorted(MakeItems(keys)), expected);
    }
  }
}

// Up to 16 elements only the Shell sort runs: gaps 8, 3, 1 for 16 elements.
TEST(KsQSortTest, SixteenElementsUseOnlyTheShellSort) {
  std::vector<int> keys = {9, 3, 15, 0, 12, 6, 1, 14, 4, 11, 8, 2, 13, 5, 10, 7};
  int partitions = -1;
  std::vector<std::pair<int, int>> pairs;
  Sorted(MakeItems(keys), &partitions, &pairs);
  EXPECT_EQ(partitions, 0);
  ASSERT_FALSE(pairs.empty());
  std::vector<int> gaps;
  for (auto [a, b] : pairs) {
    if (gaps.empty() || gaps.back() != b - a) gaps.push_back(b - a);
  }
  EXPECT_EQ(gaps, (std::vector<int>{8, 3, 1}));
}

// 17 elements take one partition step, which starts with the median of first, middle and last.
TEST(KsQSortTest, SeventeenElementsPartitionOnce) {
  std::vector<int> keys = {9, 3, 15, 0, 12, 6, 1, 14, 4, 11, 8, 2, 13, 5, 10, 7, 16};
  int partitions = -1;
  std::vector<std::pair<int, int>> pairs;
  std::vector<int> sorted = Sorted(MakeItems(keys), &partitions, &pairs);
  EXPECT_EQ(partitions, 1);
  ASSERT_GE(pairs.size(), 3u);
  EXPECT_EQ(pairs[0], std::make_pair(0, 8));
  EXPECT_EQ(pairs[1], std::make_pair(0, 16));
  EXPECT_EQ(pairs[2], std::make_pair(8, 16));
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
}

// Equal elements are never swapped, and the partition finishes in one pass.
TEST(KsQSortTest, EqualElementsStayInPlace) {
  for (int size : {17, 1000, 100000}) {
    SCOPED_TRACE(testing::Message() << size << " equal elements");
    std::vector<Item> items = MakeItems(std::vector<int>(size, 5));
    RecordingCompare compare(items.data());
    KsQSort<Item> sorter(&compare);
    sorter.Sort(items.data(), items.data() + size - 1);
    EXPECT_EQ(sorter.GetPartitionCount(), 1);
    EXPECT_LE(compare.pairs.size(), static_cast<size_t>(2 * size));
    for (int i = 0; i < size; ++i) ASSERT_EQ(items[i].id, i);
  }
}

// A degenerate pivot sequence still sorts: the stack only ever holds the larger parts.
TEST(KsQSortTest, ManyDuplicatesAtScale) {
  std::mt19937 random(7);
  std::vector<int> keys(200000);
  for (int& key : keys) key = static_cast<int>(random() % 3);
  std::vector<int> expected = keys;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Sorted(MakeItems(keys)), expected);
}

}  // namespace
