#include "foundation/KsQSort.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <vector>

#include "TestMachine.h"
#include "platform/SysDebug.h"

namespace {

// Safe from both participants; remembers whether the worker thread compared.
class IntCompare final : public IKsQSortCompare<int> {
 public:
  explicit IntCompare(ks::sys::DWORD owner) : m_owner(owner) {}
  int Compare(const int* a, const int* b) override {
    thread_local const ks::sys::DWORD thisThread = ks::sys::GetCurrentThreadId();  // once per thread
    if (thisThread != m_owner) workerCompared = true;
    return *a < *b ? -1 : *a > *b ? 1 : 0;
  }
  std::atomic<bool> workerCompared{false};

 private:
  ks::sys::DWORD m_owner;
};

class KsQSortWorkerTest : public TestMachine {};

}  // namespace

// With the worker flag the sort shares its ranges with a worker thread and
// still ends in std::sort's order; small inputs never push, so no worker starts.
TEST_F(KsQSortWorkerTest, WorkerSortsTheSharedRanges) {
  struct Case {
    int size;
    bool workerStarts;
  };
  const Case cases[] = {{2, false}, {16, false}, {17, true}, {1000, true}, {200000, true}};
  std::mt19937 random(777);
  for (const Case& item : cases) {
    SCOPED_TRACE("size " + std::to_string(item.size));
    std::vector<int> values(static_cast<std::size_t>(item.size));
    for (int& value : values) value = static_cast<int>(random() % 5000);
    std::vector<int> expected = values;
    std::sort(expected.begin(), expected.end());

    IntCompare compare(ks::sys::GetCurrentThreadId());
    KsQSort<int> sorter(&compare, true);
    sorter.Sort(values.data(), values.data() + values.size() - 1);
    EXPECT_EQ(values, expected);
    EXPECT_EQ(sorter.GetWorkerStarted(), item.workerStarts);
    EXPECT_FALSE(sorter.IsRunning());
    if (item.size >= 200000) {
      EXPECT_TRUE(compare.workerCompared);  // the worker took ranges
    }
  }
}

// One sorter used twice starts a fresh worker for each sort.
TEST_F(KsQSortWorkerTest, SorterCanSortAgain) {
  IntCompare compare(ks::sys::GetCurrentThreadId());
  KsQSort<int> sorter(&compare, true);
  for (int round = 0; round < 2; ++round) {
    std::vector<int> values(5000);
    for (int i = 0; i < 5000; ++i) values[static_cast<std::size_t>(i)] = (i * 7919 + round) % 5000;
    sorter.Sort(values.data(), values.data() + values.size() - 1);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "round " << round;
    EXPECT_EQ(sorter.GetStartCount(), round + 1);
  }
}
