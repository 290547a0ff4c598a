#include <gtest/gtest.h>

#include <vector>

#include "foundation/CountedElement.h"
#include "foundation/KsArray.h"
#include "foundation/KsNumberArray.h"
#include "foundation/KsOwnedPtrArray.h"
#include "foundation/KsPointerArray.h"

namespace {

using CountedArray = KsArray<CountedElement>;
using IntArray = KsNumberArray<int>;

IntArray MakeInts(int count) {
  IntArray array;
  for (int i = 0; i < count; ++i) array.Add(i);
  return array;
}

std::vector<int> Values(const IntArray& array) { return {array.begin(), array.end()}; }

// Filling by Add reallocates only at the stepped capacities, then every 65536 elements.
TEST(KsArrayGrowth, AddReallocatesAtTheAutomaticSteps) {
  IntArray array;
  std::vector<int> grewAt;
  std::vector<int> capacities;
  int capacity = array.GetCapacity();
  for (int i = 1; i <= 140000; ++i) {
    array.Add(i);
    if (array.GetCapacity() != capacity) {
      capacity = array.GetCapacity();
      grewAt.push_back(i);
      capacities.push_back(capacity);
    }
  }
  EXPECT_EQ(grewAt, (std::vector<int>{1, 5, 65, 257, 1025, 4097, 16385, 65537, 131074}));
  EXPECT_EQ(capacities, (std::vector<int>{4, 64, 256, 1024, 4096, 16384, 65536, 131073, 196610}));
  for (int i = 0; i < array.GetSize(); ++i) ASSERT_EQ(array[i], i + 1);
}

// The rule gives a whole multiple of a fixed step above n, or the automatic step.
TEST(KsArrayGrowth, GrowthTarget) {
  struct Case {
    int n, growBy, expected;
  } cases[] = {
      {10, 10, 20}, {9, 10, 10}, {1, 10, 10}, {0, 3, 3},         {4, -1, 4},         {5, -1, 64},
      {64, -1, 64}, {65, -1, 256}, {65536, -1, 65536}, {65537, -1, 131073},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " grow-by " << c.growBy);
    EXPECT_EQ(KsArrayBase::GrowthTarget(c.n, c.growBy), c.expected);
  }
}

TEST(KsArrayGrowth, FixedStepAndExactGrow) {
  IntArray array;
  array.SetGrowBy(10);
  array.Grow(10);
  EXPECT_EQ(array.GetCapacity(), 20);
  array.Grow(15);  // enough room: nothing happens
  EXPECT_EQ(array.GetCapacity(), 20);
  array.Grow(21, true);
  EXPECT_EQ(array.GetCapacity(), 21);
  EXPECT_EQ(array.GetSize(), 0);
}

// RemoveAt ignores a start outside the array or an empty count, and cuts the count to what exists.
TEST(KsArrayRemoveAt, ClampsAndIgnores) {
  struct Case {
    int start, count;
    std::vector<int> expected;
  } cases[] = {
      {2, 100, {0, 1}},    {5, 1, {0, 1, 2, 3, 4}},  {-1, 2, {0, 1, 2, 3, 4}}, {0, 0, {0, 1, 2, 3, 4}},
      {1, 2, {0, 3, 4}},   {4, 1, {0, 1, 2, 3}},     {0, 5, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "RemoveAt(" << c.start << ", " << c.count << ")");
    IntArray array = MakeInts(5);
    array.Add(99);
    array.RemoveAt(5);  // back to 0..4 with capacity 64
    array.RemoveAt(c.start, c.count);
    EXPECT_EQ(Values(array), c.expected);
    EXPECT_EQ(array.GetCapacity(), 64);
    for (int i = array.GetSize(); i < 6; ++i) EXPECT_EQ(array.GetData()[i], 0) << "slot " << i << " not cleared";
  }
}

class KsArrayElements : public CountedTest {};

// Every element made is destroyed exactly once, whatever path removes it.
TEST_F(KsArrayElements, ConstructionsMatchDestructions) {
  {
    CountedArray array;
    for (int i = 0; i < 100; ++i) array.Add(i);
    EXPECT_EQ(CountedElement::s_live, 100);
    array.RemoveAt(10, 20);
    EXPECT_EQ(CountedElement::s_live, 80);
    EXPECT_EQ(array[10].value, 30);
    array.SetSize(90);
    EXPECT_EQ(CountedElement::s_live, 90);
    EXPECT_EQ(array[89].value, 0);
    array.SetSize(5);
    EXPECT_EQ(CountedElement::s_live, 5);
    array.SetAt(1, CountedElement(42));
    EXPECT_EQ(array[1].value, 42);

    CountedArray copy(array);
    EXPECT_EQ(copy.GetCapacity(), 5);
    copy.Append(copy);  // itself, across a reallocation
    ASSERT_EQ(copy.GetSize(), 10);
    EXPECT_EQ(copy[6].value, 42);
    EXPECT_EQ(CountedElement::s_live, 15);

    CountedArray moved(static_cast<CountedArray&&>(copy));
    EXPECT_EQ(copy.GetSize(), 0);
    EXPECT_EQ(moved.GetSize(), 10);
    array = moved;
    EXPECT_EQ(CountedElement::s_live, 20);
    array.RemoveAll();
    EXPECT_EQ(array.GetCapacity(), 0);
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(CountedElement::s_live, 10);
  }
  EXPECT_EQ(CountedElement::s_live, 0);
}

// Adding an element of the array itself while the buffer moves copies it before the old buffer goes.
TEST_F(KsArrayElements, AddOwnElementAcrossReallocation) {
  CountedArray array;
  for (int i = 0; i < 4; ++i) array.Add(i + 10);
  ASSERT_EQ(array.GetCapacity(), 4);
  array.Add(array[0]);
  EXPECT_EQ(array.GetCapacity(), 64);
  EXPECT_EQ(array[4].value, 10);
}

// Grow without keep removes the elements instead of leaving them unreachable.
TEST_F(KsArrayElements, GrowWithoutKeepRemovesElements) {
  CountedArray array;
  for (int i = 0; i < 3; ++i) array.Add(i);
  array.Grow(100, true, true, false);
  EXPECT_EQ(array.GetSize(), 0);
  EXPECT_EQ(array.GetCapacity(), 100);
  EXPECT_EQ(CountedElement::s_live, 0);
}

TEST(KsArraySetAt, IndexOutsideIsIgnored) {
  IntArray array = MakeInts(3);
  array.SetAt(3, 7);
  array.SetAt(-1, 7);
  array.SetAt(2, 7);
  EXPECT_EQ(Values(array), (std::vector<int>{0, 1, 7}));
}

class KsOwnedPtrArrayTest : public CountedTest {
 protected:
  static void Fill(KsOwnedPtrArray<DeleteProbe>& array, int count) {
    for (int i = 0; i < count; ++i) array.Add(new DeleteProbe(i));
  }
};

// Every path that drops an owned pointer deletes its object once.
TEST_F(KsOwnedPtrArrayTest, DroppedObjectsAreDeleted) {
  {
    KsOwnedPtrArray<DeleteProbe> array;
    Fill(array, 6);
    array.RemoveAt(1);
    EXPECT_EQ(DeleteProbe::s_deleted, 1);
    EXPECT_EQ(array[1]->id, 2);
    array.SetAt(0, new DeleteProbe(10));
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
    array.SetAt(0, array[0]);  // the same object: kept
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
    EXPECT_EQ(array[0]->id, 10);
    DeleteProbe* kept = array[1];
    array.SetAt(1, new DeleteProbe(11), false);  // without destroy-old the caller keeps the old one
    EXPECT_EQ(DeleteProbe::s_deleted, 2);
    delete kept;
    array.RemoveAt(3, 10);
    EXPECT_EQ(DeleteProbe::s_deleted, 5);
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 8) << "the destructor deletes what is left";
}

TEST_F(KsOwnedPtrArrayTest, WithoutOwnsNothingIsDeleted) {
  DeleteProbe a(1), b(2), c(3);
  {
    KsOwnedPtrArray<DeleteProbe> array(false);
    array.Add(&a);
    array.Add(&b);
    array.Add(&c);
    array.RemoveAt(0);
    array.SetAt(0, &a);
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 0);

  // Clearing the flag later hands the objects back to the caller.
  std::vector<DeleteProbe*> handedBack;
  {
    KsOwnedPtrArray<DeleteProbe> array;
    Fill(array, 3);
    handedBack.assign(array.begin(), array.end());
    array.SetOwns(false);
    array.RemoveAll();
  }
  EXPECT_EQ(DeleteProbe::s_deleted, 0);
  for (DeleteProbe* probe : handedBack) delete probe;
  EXPECT_EQ(DeleteProbe::s_deleted, 3);
}

TEST(KsPointerArrayTest, DoesNotOwnAndFinds) {
  int values[3] = {};
  KsPointerArray<int> array;
  for (int& v : values) array.Add(&v);
  EXPECT_EQ(array.Find(&values[2]), 2);
  EXPECT_EQ(array.Find(nullptr), -1);
  array.RemoveAll();  // nothing to delete; ASan reports a bad delete
}

}  // namespace
