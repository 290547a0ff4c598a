// Host-only: drives the simulated machine's virtual clock.
#include "foundation/KsThread.h"

#include "RecordingTools.h"
#include "TestMachine.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"
#include "platform/SysTime.h"
#include "platform/sim/SimControl.h"

namespace {

// A worker stuck in a wait that never ends, ignoring stop requests.
class StuckThread : public KsThread {
 public:
  StuckThread() : m_never(ks::sys::CreateEvent(nullptr, ks::sys::TRUE, ks::sys::FALSE, nullptr)) {}
  ~StuckThread() override { Stop(); }

 protected:
  bool Run() override {
    ks::sys::WaitForSingleObject(m_never.Get(), ks::sys::INFINITE);
    return true;
  }

 private:
  KsHandle m_never;
};

class KsThreadSimTest : public TestMachine {};

}  // namespace

// Past its timeout a stuck worker is cancelled (nothing to cancel here) and
// then terminated; the owner kept pumping messages while it waited.
TEST_F(KsThreadSimTest, StuckWorkerIsHardKilledAfterTheTimeout) {
#if defined(__SANITIZE_ADDRESS__)
  // The simulated hard kill ends the host thread by forced unwinding, which
  // AddressSanitizer's own runtime cannot follow (it stops on a failed
  // internal check in the killed thread); the plain and release builds run it.
  GTEST_SKIP() << "forced unwinding of a killed thread is beyond AddressSanitizer";
#endif
  RecordingTools tools;
  StuckThread thread;
  thread.SetPumpMessages(true);
  thread.SetPollInterval(20);
  ASSERT_TRUE(thread.Start());
  const ks::sys::DWORD id = thread.GetThreadId();
  ks::sim::UseVirtualTime(true);
  const ks::sys::DWORD start = ks::sys::GetTickCount();

  EXPECT_FALSE(thread.Stop(1000));

  EXPECT_GE(ks::sys::GetTickCount() - start, 1000u);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_GE(tools.pumps, 40);
  const auto kills = tools.LinesStartingWith(u"Hard killing thread (handle=");
  ASSERT_EQ(kills.size(), 1u);
  const std::u16string expectedEnd =
      u"threadId=" + ks::sim::ToUtf16(std::to_string(id)) + u"), it exceeded timeout=1000 MS";
  EXPECT_EQ(kills[0].rfind(u"KsThread::Stop: ", 0), 0u) << Narrow(kills[0]);
  EXPECT_EQ(kills[0].substr(kills[0].size() - expectedEnd.size()), expectedEnd) << Narrow(kills[0]);
}

// A negative timeout waits as long as the worker runs.
TEST_F(KsThreadSimTest, NegativeTimeoutNeverKills) {
  RecordingTools tools;
  KsThread thread;
  thread.SetStopTimeout(-5);
  ASSERT_TRUE(thread.Start());
  ks::sim::UseVirtualTime(true);
  EXPECT_TRUE(thread.Stop());
  EXPECT_TRUE(tools.LinesStartingWith(u"Hard killing").empty());
}
