// Host-only: drives the simulated machine's virtual clock.
#include "foundation/KsTimer.h"

#include "TestMachine.h"
#include "platform/sim/SimControl.h"

namespace {
class KsTimerSimTest : public TestMachine {
 protected:
  void SetUp() override {
    TestMachine::SetUp();
    ks::sim::UseVirtualTime(true);
  }
};
}  // namespace

// Both timers follow the clock; the restart flag answers the time so far and
// starts again from now.
TEST_F(KsTimerSimTest, ElapsedFollowsTheClockAndRestarts) {
  KsTimerLowPrecision low;
  KsTimer timer;
  EXPECT_EQ(timer.Elapsed(), 0.0);
  ks::sim::AdvanceTime(250);
  EXPECT_EQ(low.Elapsed(), 250.0);
  EXPECT_EQ(timer.Elapsed(), 250.0);
  EXPECT_EQ(timer.Elapsed(true), 250.0);
  EXPECT_EQ(low.Elapsed(true), 250.0);
  ks::sim::AdvanceTime(40);
  EXPECT_EQ(timer.Elapsed(), 40.0);
  EXPECT_EQ(low.Elapsed(), 40.0);
  timer.Restart();
  low.Restart();
  EXPECT_EQ(timer.Elapsed(), 0.0);
  EXPECT_EQ(low.Elapsed(), 0.0);
}

// Long waits stay exact through the counter (no tick fallback within a second).
TEST_F(KsTimerSimTest, LongIntervalsStayExact) {
  KsTimer timer;
  ks::sim::AdvanceTime(15001);
  EXPECT_EQ(timer.Elapsed(), 15001.0);
}
