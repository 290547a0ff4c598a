// The simulated window manager's own promises: virtual-time timers and the UI
// driver hook, monitors from machine.ini, the journal of beeps, flashes and
// message boxes, key state from key messages, windows of other processes and
// of other threads.

#include "WindowTestSupport.h"

#include "platform/SysError.h"
#include "platform/SysTime.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimWindowControl.h"

#include <sys/wait.h>
#include <unistd.h>

#include <thread>

using namespace ks;
using namespace ks::sys;

namespace {
bool JournalHas(const std::string& line) {
  for (auto& entry : sim::ReadJournal())
    if (entry == line) return true;
  return false;
}
}  // namespace

// A 30-second countdown of one-second timers ends after exactly 30 virtual
// seconds; the hook acts before each jump of the clock.
TEST_F(WindowTest, VirtualTimeRunsTimersWithoutWaiting) {
  sim::UseVirtualTime(true);
  HWND window = Create(u"countdown", nullptr, 0, 0, 10, 10);
  int hookCalls = 0;
  sim::SetUiDriverHook([&] {
    ++hookCalls;
    return false;
  });
  ULONGLONG start = GetTickCount64();
  ASSERT_NE(SetTimer(window, 1, 1000, nullptr), 0u);
  MSG message;
  for (int second = 0; second < 30; ++second) {
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
    ASSERT_EQ(message.message, WM_TIMER);
  }
  KillTimer(window, 1);
  EXPECT_EQ(GetTickCount64() - start, 30000u);
  EXPECT_EQ(hookCalls, 30);
  sim::SetUiDriverHook({});
  DestroyWindow(window);
}

// A hook that acts (here: posts) is given the thread before the clock moves.
TEST_F(WindowTest, HookThatActsPreventsTheClockJump) {
  sim::UseVirtualTime(true);
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  SetTimer(window, 1, 5000, nullptr);
  sim::SetUiDriverHook([&] { return PostMessage(window, WM_APP + 1, 5, 0) != FALSE; });
  ULONGLONG start = GetTickCount64();
  MSG message;
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, WM_APP + 1);
  EXPECT_EQ(GetTickCount64(), start);
  sim::SetUiDriverHook({});
  DestroyWindow(window);
}

TEST_F(WindowTest, MonitorsComeFromTheMachineIdentity) {
  sim::Identity identity = sim::GetIdentity();
  identity.monitors = {sim::MonitorFact{0, 0, 1920, 1080, 0, 0, 1920, 1040},
                       sim::MonitorFact{1920, -200, 3200, 824, 1920, -200, 3200, 800}};
  ASSERT_TRUE(sim::SetIdentity(identity));
  std::string error;
  std::string folder = sim::MachineFolder();
  sim::DetachMachine();
  ASSERT_TRUE(sim::AttachMachine(folder, &error)) << error;  // read back from machine.ini
  ASSERT_EQ(sim::GetIdentity().monitors.size(), 2u);

  HMONITOR second = MonitorFromPoint(POINT{2000, 0}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(second, nullptr);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfo(second, &info));
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(info.rcWork.bottom, 800);
  EXPECT_EQ(info.rcMonitor.top, -200);
  RECT straddling{1800, 0, 2300, 100};  // mostly on the second monitor
  EXPECT_EQ(MonitorFromRect(&straddling, MONITOR_DEFAULTTONULL), second);
  EXPECT_EQ(MonitorFromPoint(POINT{5000, 0}, MONITOR_DEFAULTTONEAREST), second);
  EXPECT_NE(MonitorFromPoint(POINT{5000, 0}, MONITOR_DEFAULTTOPRIMARY), second);
}

TEST_F(WindowTest, BeepFlashAndMessageBoxGoToTheJournal) {
  HWND window = Create(u"Setup", nullptr, 0, 0, 10, 10);
  EXPECT_TRUE(MessageBeep(MB_ICONWARNING));
  FLASHWINFO flash{sizeof(FLASHWINFO), window, FLASHW_ALL, 3, 150};
  FlashWindowEx(&flash);
  EXPECT_TRUE(JournalHas("MessageBeep\t0x30"));
  EXPECT_TRUE(JournalHas("FlashWindowEx\tSetup\tflags=3 count=3 timeout=150"));

  // The default button answers unless a test scripted the answer.
  struct Case {
    UINT type;
    int answer;
  } cases[] = {{MB_OK, IDOK},          {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, {MB_YESNO, IDYES},
               {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, {MB_RETRYCANCEL, IDRETRY}};
  for (auto& c : cases) EXPECT_EQ(MessageBox(window, u"Text", u"Title", c.type), c.answer) << "type " << c.type;
  sim::PushMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBox(nullptr, u"Replace?", u"Auralis", MB_YESNO), IDNO);
  EXPECT_TRUE(JournalHas("MessageBox\tAuralis\tReplace?\ttype=0x4 answer=7"));
  DestroyWindow(window);
}

TEST_F(WindowTest, KeyStateFollowsTakenKeyMessages) {
  sim::SetKeyState(0x10, 0);  // the key state is the process's: another test may have left Shift down
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  PostMessage(window, WM_KEYDOWN, 0x41, 0);
  MSG message;
  ASSERT_TRUE(PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_NE(GetKeyState(0x41) & 0x8000, 0);
  ASSERT_TRUE(TranslateMessage(&message));
  ASSERT_TRUE(PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_CHAR);
  EXPECT_EQ(message.wParam, WPARAM(u'a'));
  PostMessage(window, WM_KEYUP, 0x41, 0);
  Pump();
  EXPECT_EQ(GetKeyState(0x41) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(0x41) & 1, 1);  // toggled by the press
  DestroyWindow(window);
}

// Another process of the machine finds a top-level window by class and posts to it.
TEST_F(WindowTest, AnotherProcessFindsAndPostsToAWindow) {
  HWND window = Create(u"Target", nullptr, 0, 0, 10, 10);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sim::ReattachAfterFork();
    HWND found = FindWindow(kClass, nullptr);
    bool ok = found == window && IsWindow(found) && PostMessage(found, WM_APP + 1, 77, 0);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  MSG message;
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  DispatchMessage(&message);
  EXPECT_EQ(s_log.back(), "WM_APP+1 Target 77");
  DestroyWindow(window);
}

// A message sent from another thread runs on the window's thread while it waits for messages.
TEST_F(WindowTest, SendFromAnotherThreadRunsOnTheOwnerThread) {
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  LRESULT answer = 0;
  std::thread worker([&] {
    answer = SendMessage(window, WM_APP, 50, 0);
    PostMessage(window, WM_APP + 1, 1, 0);
  });
  MSG message;
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  worker.join();
  EXPECT_EQ(answer, 100);
  EXPECT_EQ(message.message, WM_APP + 1);
  EXPECT_FALSE(DestroyWindow(window) == FALSE);
}
