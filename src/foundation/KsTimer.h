#pragma once
// KsTimer: elapsed milliseconds by the performance counter, checked against
// the tick count: when the two disagree by more than a second (a counter that
// jumped), the tick count is believed. Never negative.

#include <cstdint>

#include "foundation/KsTimerLowPrecision.h"

class KsTimer : public KsTimerLowPrecision {
 public:
  KsTimer();

  void Restart() override;
  double Elapsed(bool restart = false) override;

 private:
  static std::int64_t ReadCounter();

  std::int64_t m_startCounter;         // 0 when there is no counter
  double m_millisecondsPerTick = 0.0;  // 0 when there is no counter
};
