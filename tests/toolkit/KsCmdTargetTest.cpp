// Command targets: records run in order on the owner thread, a command that
// deletes its target stops the queue, timers requested from another thread
// start only when the owner processes its queue.

#include "ToolkitTest.h"

#include "toolkit/KsCmdTarget.h"

#include <thread>

using namespace ks::sys;
using Log = std::vector<std::string>;

namespace {

class RecordingTarget : public KsCmdTarget {
 public:
  explicit RecordingTarget(Log* log) : m_log(log) {}
  void OnCommand(const KsCmdRecord& record) override {
    m_log->push_back("command " + std::to_string(record.values[0]));
    if (record.values[0] == kDeleteSelf) delete this;
  }
  void OnTimer(unsigned id) override { m_log->push_back("timer " + std::to_string(id)); }

  static constexpr std::uint32_t kDeleteSelf = 99;

 private:
  Log* m_log;
};

}  // namespace

using KsCmdTargetTest = ToolkitTest;

TEST_F(KsCmdTargetTest, PostedCommandsRunInOrderOnTheOwnerThread) {
  Log log;
  RecordingTarget target(&log);
  ASSERT_TRUE(target.Create());
  std::thread worker([&] {
    target.PostCommand(1, 0, 0, 0);
    target.ProcessQueue();  // not the owner: takes nothing
  });
  worker.join();
  target.PostCommand(2, 0, 0, 0);
  EXPECT_TRUE(log.empty());
  Pump();
  EXPECT_EQ(log, (Log{"command 1", "command 2"}));
  target.SendCommand(3, 0, 0, 0);
  EXPECT_EQ(log.back(), "command 3");
  target.Destroy();
  target.PostCommand(4, 0, 0, 0);  // dropped: not alive
  Pump();
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(KsCmdTargetTest, CommandDeletingItsTargetStopsTheQueue) {
  Log log;
  auto* target = new RecordingTarget(&log);
  ASSERT_TRUE(target->Create());
  target->PostCommand(1, 0, 0, 0);
  target->PostCommand(RecordingTarget::kDeleteSelf, 0, 0, 0);
  target->PostCommand(3, 0, 0, 0);
  target->ProcessQueue();
  EXPECT_EQ(log, (Log{"command 1", "command 99"}));
  Pump();  // the messages the posts left behind find no target
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(KsCmdTargetTest, ZeroMillisecondTimerStillFires) {
  Log log;
  RecordingTarget target(&log);
  ASSERT_TRUE(target.Create());
  target.SetTimer(4, 0);
  ASSERT_TRUE(RunUntil([&] { return !log.empty(); }));
  EXPECT_EQ(log.front(), "timer 4");
  target.KillTimer(4);
}

// A worker's timer request waits for the owner; a kill from the main thread
// first carries out the pending request, so the timer does not survive it.
TEST_F(KsCmdTargetTest, TimerRequestedFromWorkerThread) {
  Log log;
  RecordingTarget target(&log);
  ASSERT_TRUE(target.Create());
  std::thread([&] { target.SetTimer(7, 50); }).join();
  ASSERT_TRUE(RunUntil([&] { return !log.empty(); }));
  EXPECT_EQ(log.front(), "timer 7");

  log.clear();
  std::thread([&] { target.SetTimer(8, 50); }).join();
  target.KillTimer(8);
  target.KillTimer(7);
  bool fired = RunUntil([&] { return !log.empty(); }, 1000);  // twenty times its interval
  EXPECT_FALSE(fired) << log.front();
}
