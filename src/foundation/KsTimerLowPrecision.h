#pragma once
// KsTimerLowPrecision: elapsed milliseconds by the system tick count (about
// 10-16 ms resolution on Windows); correct across the 49.7-day wrap of the
// 32-bit count.

#include <cstdint>

#include "platform/SysTime.h"

class KsTimerLowPrecision {
 public:
  KsTimerLowPrecision() : m_startTick(ks::sys::GetTickCount()) {}
  virtual ~KsTimerLowPrecision() = default;

  // Takes new start values.
  virtual void Restart() { m_startTick = ks::sys::GetTickCount(); }
  // Milliseconds since the start; with restart the start moves to now.
  virtual double Elapsed(bool restart = false) {
    const std::uint32_t now = ks::sys::GetTickCount();
    const std::uint32_t elapsed = now - m_startTick;
    if (restart) m_startTick = now;
    return static_cast<double>(elapsed);
  }

 protected:
  std::uint32_t m_startTick;
};
