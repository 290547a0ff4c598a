#include "foundation/KsTimer.h"

namespace {
constexpr double kMaximumDisagreementMs = 1000.0;
}  // namespace

KsTimer::KsTimer() : m_startCounter(ReadCounter()) {
  ks::sys::LARGE_INTEGER frequency{};
  if (ks::sys::QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
    m_millisecondsPerTick = 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::int64_t KsTimer::ReadCounter() {
  ks::sys::LARGE_INTEGER counter{};
  return ks::sys::QueryPerformanceCounter(&counter) ? counter.QuadPart : 0;
}

void KsTimer::Restart() {
  KsTimerLowPrecision::Restart();
  m_startCounter = ReadCounter();
}

double KsTimer::Elapsed(bool restart) {
  const std::int64_t counter = ReadCounter();
  const double counterMs = static_cast<double>(counter - m_startCounter) * m_millisecondsPerTick;
  if (restart) m_startCounter = counter;
  const double tickMs = KsTimerLowPrecision::Elapsed(restart);
  double elapsed = counterMs;
  // Without a counter its time would read 0: the ticks are all there is.
  if (m_millisecondsPerTick == 0.0 || counterMs - tickMs > kMaximumDisagreementMs ||
      tickMs - counterMs > kMaximumDisagreementMs)
    elapsed = tickMs;
  return elapsed < 0.0 ? 0.0 : elapsed;
}
