#include "foundation/KsThread.h"

#include <string>

#include "foundation/IKsMainThreadMessageManager.h"

#include "TestMachine.h"
#include "platform/SysCom.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"
#include "platform/SysThread.h"

#include <atomic>

namespace {

// A worker that waits for the stop event and answers a chosen result.
class WaitingThread : public KsThread {
 public:
  explicit WaitingThread(bool result = true) : m_result(result) {}
  ~WaitingThread() override { Stop(); }

  bool allowStart = true;
  std::atomic<int> runs{0};

 protected:
  bool Run() override {
    ++runs;
    Wait(-1);
    return m_result;
  }
  bool BeforeStart() override { return allowStart; }

 private:
  bool m_result;
};

// A message manager that records what it is asked, in order.
class RecordingManager final : public IKsMainThreadMessageManager {
 public:
  RecordingManager() { SetKsMainThreadMessageManager(this); }
  ~RecordingManager() { SetKsMainThreadMessageManager(nullptr); }
  void Register(IMainThreadMessageManagerCallback*) override { calls += "register "; }
  void Unregister(IMainThreadMessageManagerCallback*) override { calls += "unregister "; }
  void Process(IMainThreadMessageManagerCallback*) override { calls += "process "; }
  std::string calls;
};

class RegisteringThread : public WaitingThread {
 public:
  RegisteringThread() { m_registerOnStart = true; }
};

class KsThreadTest : public TestMachine {};

}  // namespace

TEST_F(KsThreadTest, NeverStartedThreadStopsAtOnce) {
  WaitingThread thread;
  EXPECT_TRUE(thread.Stop(0));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.GetStartCount(), 0);
}

// Stop answers what Run answered, and leaves no thread, id or event behind.
TEST_F(KsThreadTest, StopAnswersTheRunResult) {
  for (bool result : {true, false}) {
    SCOPED_TRACE(result ? "Run answers true" : "Run answers false");
    WaitingThread thread(result);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(thread.GetThreadId(), 0u);
    EXPECT_NE(thread.GetStopEvent(), nullptr);
    EXPECT_EQ(thread.Stop(), result);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetThreadId(), 0u);
    EXPECT_EQ(thread.GetStopEvent(), nullptr);
    EXPECT_EQ(thread.runs, 1);
  }
}

TEST_F(KsThreadTest, StartKeepsARunningThreadUnlessForced) {
  WaitingThread thread;
  ASSERT_TRUE(thread.Start());
  const ks::sys::DWORD firstId = thread.GetThreadId();
  EXPECT_TRUE(thread.Start());
  EXPECT_EQ(thread.GetStartCount(), 1);
  EXPECT_EQ(thread.GetThreadId(), firstId);

  ASSERT_TRUE(thread.Start(0, true));
  EXPECT_EQ(thread.GetStartCount(), 2);
  EXPECT_NE(thread.GetThreadId(), firstId);
  EXPECT_FALSE(thread.IsStopRequested());
  EXPECT_TRUE(thread.Stop());
  EXPECT_EQ(thread.runs, 2);
}

TEST_F(KsThreadTest, BeforeStartCanCancelTheStart) {
  WaitingThread thread;
  thread.allowStart = false;
  EXPECT_FALSE(thread.Start());
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.GetStartCount(), 0);
  EXPECT_EQ(thread.runs, 0);
}

TEST_F(KsThreadTest, PriorityIsSetOnlyWhileRunning) {
  WaitingThread thread;
  EXPECT_FALSE(thread.SetPriority(ks::sys::THREAD_PRIORITY_BELOW_NORMAL));
  ASSERT_TRUE(thread.Start(ks::sys::THREAD_PRIORITY_ABOVE_NORMAL));
  EXPECT_TRUE(thread.SetPriority(ks::sys::THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_TRUE(thread.Stop());
  EXPECT_FALSE(thread.SetPriority(ks::sys::THREAD_PRIORITY_NORMAL));
}

// Wait names the first signalled object: stop event, thread, extra handle.
TEST_F(KsThreadTest, WaitReportsWhichObjectWasSignalled) {
  WaitingThread thread;
  KsHandle extra(ks::sys::CreateEvent(nullptr, ks::sys::TRUE, ks::sys::TRUE, nullptr));
  ASSERT_TRUE(extra);
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(thread.Wait(0, extra.Get()), ks::sys::WAIT_OBJECT_0 + 2);
  ks::sys::HANDLE extraHandle = extra.Get();
  EXPECT_EQ(thread.WaitWithHandle(0, &extraHandle), ks::sys::WAIT_OBJECT_0 + 2);
  EXPECT_EQ(thread.Wait(0), ks::sys::WAIT_TIMEOUT);

  thread.SetStopRequest(true);
  EXPECT_TRUE(thread.IsStopRequested());
  EXPECT_EQ(thread.Wait(-1), ks::sys::WAIT_OBJECT_0);
  thread.WaitForEnd();
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_TRUE(thread.Stop());
}

TEST_F(KsThreadTest, DefaultRunEndsOnAStopRequest) {
  KsThread thread;
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.Stop());
}

// A thread that registers on start is unregistered at stop, after the
// manager's per-object operation when asked; without a manager nothing happens.
TEST_F(KsThreadTest, RegistersWithTheMessageManagerWhileRunning) {
  struct Case {
    bool callBeforeUnregister;
    const char* calls;
  };
  const Case cases[] = {{false, "register unregister "}, {true, "register process unregister "}};
  for (const Case& item : cases) {
    SCOPED_TRACE(item.calls);
    RecordingManager manager;
    RegisteringThread thread;
    thread.SetCallBeforeUnregister(item.callBeforeUnregister);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop());
    EXPECT_EQ(manager.calls, item.calls);
  }
  RegisteringThread alone;
  ASSERT_TRUE(alone.Start());
  EXPECT_TRUE(alone.Stop());
}

// With the flag the worker runs in COM's single-threaded apartment: a further start
// in that mode only counts and the other mode is refused. Without it COM is not
// started for Run.
TEST_F(KsThreadTest, InitializeComStartsTheApartmentForRun) {
  class ComProbe : public KsThread {
   public:
    ~ComProbe() override { Stop(); }
    ks::sys::HRESULT sameMode = 0;
    ks::sys::HRESULT otherMode = 0;

   protected:
    bool Run() override {
      sameMode = ks::sys::CoInitializeEx(nullptr, ks::sys::COINIT_APARTMENTTHREADED);
      if (sameMode >= 0) ks::sys::CoUninitialize();
      otherMode = ks::sys::CoInitializeEx(nullptr, ks::sys::COINIT_MULTITHREADED);
      if (otherMode >= 0) ks::sys::CoUninitialize();
      return true;
    }
  };
  struct Case {
    bool initialize;
    ks::sys::HRESULT sameMode;
    ks::sys::HRESULT otherMode;
  };
  for (const Case& c : {Case{true, ks::sys::S_FALSE, ks::sys::RPC_E_CHANGED_MODE}, Case{false, ks::sys::S_OK, ks::sys::S_OK}}) {
    SCOPED_TRACE(c.initialize ? "with the flag" : "without the flag");
    ComProbe thread;
    thread.SetInitializeCom(c.initialize);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop());
    EXPECT_EQ(thread.sameMode, c.sameMode);
    EXPECT_EQ(thread.otherMode, c.otherMode);
  }
}
