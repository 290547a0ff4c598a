#pragma once
// KsQSort<T>: an in-place, non-recursive quicksort of a range of T by an
// IKsQSortCompare. Pending ranges wait on an explicit stack of 60 entries,
// which always suffices because only the larger part is pushed; ranges of up
// to 16 elements are finished by a Shell sort. Elements are swapped as bytes,
// as the arrays relocate them. Not stable.
//
// With the use-worker flag the first pushed range starts a worker thread that
// takes ranges from the shared stack too. A participant that finds the stack
// empty counts itself idle and looks again every 5 ms; the sort is complete
// when every participant is idle, and the owner then stops the worker. The
// comparison must then be safe to call from two threads at once.

#include <atomic>
#include <cstring>
#include <mutex>

#include "foundation/IKsQSortCompare.h"
#include "foundation/KsThread.h"
#include "platform/SysTime.h"

template <class T>
class KsQSort : public KsThread {
 public:
  static constexpr int kStackSize = 60;
  static constexpr int kSmallSortLimit = 16;
  static constexpr int kPollIntervalMs = 20;
  static constexpr ks::sys::DWORD kIdlePollMs = 5;

  explicit KsQSort(IKsQSortCompare<T>* compare, bool useWorker = false) : m_compare(compare), m_useWorker(useWorker) {
    SetPollInterval(kPollIntervalMs);
    SetStopTimeout(-1);  // a sorting worker is never killed
  }
  KsQSort(const KsQSort&) = delete;
  KsQSort& operator=(const KsQSort&) = delete;
  ~KsQSort() override { Stop(); }

  // Sorts the inclusive range [first, last].
  void Sort(T* first, T* last) {
    if (first == nullptr || last == nullptr || last <= first) return;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_stackCount = 0;
      m_idle = 0;
      m_participants = 1;  // 2 once the worker is started
      m_workerStarted = false;
    }
    m_partitions = 0;
    Work(first, last);
    if (m_workerStarted) Stop();
  }

  bool GetUseWorker() const noexcept { return m_useWorker; }
  // The number of partition steps of the last Sort (for tests).
  int GetPartitionCount() const noexcept { return m_partitions; }
  // Whether the last Sort started the worker thread (for tests).
  bool GetWorkerStarted() const noexcept { return m_workerStarted; }

 protected:
  // The worker joins at the stack: it has no range of its own to start with.
  bool Run() override {
    Work(nullptr, nullptr);
    return true;
  }

 private:
  static void Swap(T* a, T* b) noexcept {
    alignas(T) unsigned char temp[sizeof(T)];
    std::memcpy(temp, static_cast<const void*>(a), sizeof(T));
    std::memcpy(static_cast<void*>(a), static_cast<const void*>(b), sizeof(T));
    std::memcpy(static_cast<void*>(b), temp, sizeof(T));
  }

  int Compare(const T* a, const T* b) { return m_compare->Compare(a, b); }

  void Push(T* lo, T* hi) {
    bool startWorker = false;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      // Only the larger part is pushed, so the depth stays below log2 of the size.
      m_stackLo[m_stackCount] = lo;
      m_stackHi[m_stackCount] = hi;
      ++m_stackCount;
      if (m_useWorker && !m_workerStarted) {
        startWorker = true;
        m_workerStarted = true;
        m_participants = 2;
      }
    }
    if (startWorker && !Start(0)) {
      std::lock_guard<std::mutex> lock(m_lock);
      m_participants = 1;
    }
  }

  // Takes the most recent range, waiting while another participant may still
  // push one; false when the sort is complete.
  bool Pop(T*& lo, T*& hi) {
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_stackCount == 0) {
      ++m_idle;
      while (m_stackCount == 0) {
        if (m_idle >= m_participants) return false;
        lock.unlock();
        ks::sys::Sleep(kIdlePollMs);
        lock.lock();
      }
      --m_idle;
    }
    --m_stackCount;
    lo = m_stackLo[m_stackCount];
    hi = m_stackHi[m_stackCount];
    return true;
  }

  // Sorts [lo, hi] (when given), then ranges from the stack until the sort is complete.
  void Work(T* lo, T* hi) {
    if (lo == nullptr && !Pop(lo, hi)) return;
    do {
      for (;;) {
        const int n = static_cast<int>(hi - lo) + 1;
        if (n <= kSmallSortLimit) {
          ShellSort(lo, n);
          break;
        }
        T* loguy;
        T* higuy;
        Partition(lo, hi, loguy, higuy);
        // Parts [lo, higuy] and [loguy, hi]: push the larger, continue with the smaller.
        if (higuy - lo >= hi - loguy) {
          if (lo < higuy) Push(lo, higuy);
          if (loguy >= hi) break;
          lo = loguy;
        } else {
          if (loguy < hi) Push(loguy, hi);
          if (lo >= higuy) break;
          hi = higuy;
        }
      }
    } while (Pop(lo, hi));
  }

  void Partition(T* lo, T* hi, T*& loguy, T*& higuy) {
    ++m_partitions;
    T* mid = lo + (hi - lo + 1) / 2;
    if (Compare(lo, mid) > 0) Swap(lo, mid);
    if (Compare(lo, hi) > 0) Swap(lo, hi);
    if (Compare(mid, hi) > 0) Swap(mid, hi);

    loguy = lo;
    higuy = hi;
    for (;;) {
      if (mid > loguy) {
        do {
          ++loguy;
        } while (loguy < mid && Compare(loguy, mid) <= 0);
      }
      if (mid <= loguy) {
        do {
          ++loguy;
        } while (loguy <= hi && Compare(loguy, mid) <= 0);
      }
      do {
        --higuy;
      } while (higuy > mid && Compare(higuy, mid) > 0);
      if (higuy < loguy) break;
      if (loguy != higuy) Swap(loguy, higuy);
      if (mid == higuy) mid = loguy;
    }

    // Elements equal to the pivot stay between the parts.
    ++higuy;
    if (mid < higuy) {
      do {
        --higuy;
      } while (higuy > mid && Compare(higuy, mid) == 0);
    }
    if (mid >= higuy) {
      do {
        --higuy;
      } while (higuy > lo && Compare(higuy, mid) == 0);
    }
  }

  // Gaps n / 2, then g * 5 / 11 (2 is followed by 1), each pass an insertion
  // sort that moves an element left only past a neighbour that must follow it.
  void ShellSort(T* base, int n) {
    for (int gap = n / 2; gap > 0; gap = gap == 2 ? 1 : gap * 5 / 11) {
      for (int i = gap; i < n; ++i) {
        for (int j = i; j >= gap && Compare(base + j - gap, base + j) > 0; j -= gap) Swap(base + j - gap, base + j);
      }
    }
  }

  IKsQSortCompare<T>* m_compare;
  bool m_useWorker;
  bool m_workerStarted = false;
  int m_participants = 1;
  int m_idle = 0;
  T* m_stackLo[kStackSize];
  T* m_stackHi[kStackSize];
  int m_stackCount = 0;
  std::mutex m_lock;  // guards the stack, the idle count and the participants
  std::atomic<int> m_partitions{0};
};
