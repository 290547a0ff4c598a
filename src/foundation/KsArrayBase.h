#pragma once
// KsArrayBase: the counters and growth rule shared by every array. It owns
// nothing; KsCoreArray adds the element buffer.

#include <cstdint>

class KsArrayBase {
 public:
  static constexpr std::int32_t kGrowAutomatic = -1;

  int GetSize() const noexcept { return m_size; }
  int GetCount() const noexcept { return m_size; }
  bool IsEmpty() const noexcept { return m_size == 0; }
  int GetCapacity() const noexcept { return m_capacity; }
  int GetGrowBy() const noexcept { return m_growBy; }
  // A positive step, or kGrowAutomatic for the stepped capacities.
  void SetGrowBy(int growBy) noexcept { m_growBy = growBy > 0 ? growBy : kGrowAutomatic; }

  // The capacity the growth rule gives for n elements: a whole multiple of
  // the fixed step above n, or the automatic steps 4, 64, 256, ... 65536 and
  // then n + 65536.
  static int GrowthTarget(int n, int growBy) noexcept {
    if (growBy > 0) return growBy * (n / growBy + 1);
    static constexpr int kSteps[] = {4, 64, 256, 1024, 4096, 16384, 65536};
    for (int step : kSteps) {
      if (n <= step) return step;
    }
    return n + 65536;
  }

 protected:
  KsArrayBase() = default;
  ~KsArrayBase() = default;

  std::int32_t m_size = 0;
  std::int32_t m_capacity = 0;
  std::int32_t m_growBy = kGrowAutomatic;
};
