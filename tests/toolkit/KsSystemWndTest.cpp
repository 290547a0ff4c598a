// Dispatch of native windows: filters first, the self-query, commands, timers
// only while alive, paint flags, minimum track size, and handlers that delete
// their own window.

#include "RecordingWnd.h"
#include "ToolkitTest.h"

#include "toolkit/KsControlWnd.h"
#include "toolkit/KsWndPtr.h"

#include "platform/SysModule.h"

using namespace ks::sys;
using Log = std::vector<std::string>;

namespace {
LPARAM PointParam(int x, int y) { return LPARAM((y << 16) | (x & 0xFFFF)); }
WPARAM CommandParam(int id, int code) { return WPARAM((code << 16) | id); }
}  // namespace

using KsSystemWndTest = ToolkitTest;

TEST_F(KsSystemWndTest, CreateRunsCreateContentAndFailsWhenItRefuses) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80)));
  EXPECT_EQ(window.log, Log{"CreateContent"});
  EXPECT_EQ(window.GetLifecycleState(), 2);
  EXPECT_FALSE(window.CreatePopup(Rect(0, 0, 100, 80)));  // already exists
  window.Destroy();
  EXPECT_EQ(window.GetHandle(), nullptr);
  EXPECT_FALSE(window.IsAlive(false));

  RecordingWnd refusing;
  refusing.createContentAnswer = false;
  EXPECT_FALSE(refusing.CreatePopup(Rect(0, 0, 100, 80)));
  EXPECT_FALSE(refusing.Exists());
  EXPECT_EQ(refusing.GetHandle(), nullptr);
}

TEST_F(KsSystemWndTest, PreFilterAndSelfQueryComeFirst) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80)));
  window.filteredMessage = WM_COMMAND;
  EXPECT_EQ(SendMessage(window.GetHandle(), WM_COMMAND, CommandParam(5, 0), 0), 77);
  EXPECT_EQ(window.log, Log{"CreateContent"});  // the command never reached OnCommand
  EXPECT_EQ(SendMessage(window.GetHandle(), 0x8898, 0, 0), reinterpret_cast<LRESULT>(&window));
  window.Destroy();
}

// Commands pass the filter first; code 0x1800 has its own operation; a window
// that is not alive gets none.
TEST_F(KsSystemWndTest, CommandRouting) {
  struct Case {
    const char* name;
    bool filter;
    bool dead;
    int code;
    Log expected;
  } cases[] = {
      {"plain", false, false, 0, {"OnCommand 5 0"}},
      {"notification 0x1800", false, false, 0x1800, {"OnCommandNotification 5"}},
      {"filtered", true, false, 0, {}},
      {"not alive", false, true, 0, {}},
  };
  for (auto& c : cases) {
    RecordingWnd window;
    ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80)));
    window.log.clear();
    window.filterCommands = c.filter;
    window.pretendDead = c.dead;
    SendMessage(window.GetHandle(), WM_COMMAND, CommandParam(5, c.code), 0);
    EXPECT_EQ(window.log, c.expected) << c.name;
    window.pretendDead = false;
    window.Destroy();
  }
}

TEST_F(KsSystemWndTest, TimersReachOnlyLiveWindows) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80)));
  window.log.clear();
  ASSERT_TRUE(window.SetTimer(3, 100));
  ASSERT_TRUE(RunUntil([&] { return !window.log.empty(); }));
  EXPECT_EQ(window.log, Log{"OnTimer 3"});
  window.pretendDead = true;
  window.log.clear();
  SendMessage(window.GetHandle(), WM_TIMER, 3, 0);
  EXPECT_TRUE(window.log.empty());
  window.pretendDead = false;
  window.Destroy();
}

TEST_F(KsSystemWndTest, PaintIsNeitherReenteredNorRunWhileSuppressed) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80), nullptr, WS_VISIBLE));
  window.log.clear();
  // A repaint asked for while painting does not paint inside the paint.
  window.onPaint = [&] {
    window.onPaint = nullptr;
    SendMessage(window.GetHandle(), WM_PAINT, 0, 0);
  };
  SendMessage(window.GetHandle(), WM_PAINT, 0, 0);
  EXPECT_EQ(window.log, Log{"OnPaint"});
  EXPECT_FALSE(window.IsPainting());
  window.SuppressPainting(true);
  SendMessage(window.GetHandle(), WM_PAINT, 0, 0);
  EXPECT_EQ(window.log, Log{"OnPaint"});
  window.Destroy();
}

TEST_F(KsSystemWndTest, MinimumTrackSizeReplacesOnlyWhatIsGiven) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 100, 80)));
  window.minTrackWidth = 300;
  MINMAXINFO info{};
  info.ptMinTrackSize = POINT{10, 20};
  SendMessage(window.GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 300);
  EXPECT_EQ(info.ptMinTrackSize.y, 20);
  window.Destroy();
}

// A handler that deletes its window ends the dispatch without touching the object.
TEST_F(KsSystemWndTest, HandlerMayDeleteItsWindow) {
  auto* window = new RecordingWnd;
  ASSERT_TRUE(window->CreatePopup(Rect(0, 0, 100, 80)));
  HWND handle = window->GetHandle();
  KsWndPtr pointer(window);
  window->onLeftDown = [window] { delete window; };
  SendMessage(handle, WM_LBUTTONDOWN, 0, PointParam(5, 5));
  EXPECT_FALSE(pointer);
  EXPECT_FALSE(IsWindow(handle));  // deleting the object destroyed its native window
}

// A press goes to the control under the point, in the control's coordinates.
TEST_F(KsSystemWndTest, MouseGoesToTheControlUnderThePoint) {
  struct Control : KsControlWnd {
    bool OnLeftDown(POINT point, WPARAM) override {
      presses.push_back(std::to_string(point.x) + "," + std::to_string(point.y));
      return true;
    }
    std::vector<std::string> presses;
  };
  RecordingWnd host;
  ASSERT_TRUE(host.CreatePopup(Rect(100, 100, 300, 200), nullptr, WS_VISIBLE));
  Control control;
  ASSERT_TRUE(control.Create(&host, Rect(10, 10, 60, 40)));
  SendMessage(host.GetHandle(), WM_LBUTTONDOWN, 0, PointParam(15, 12));
  SendMessage(host.GetHandle(), WM_LBUTTONDOWN, 0, PointParam(70, 12));  // beside it
  control.Enable(false);
  SendMessage(host.GetHandle(), WM_LBUTTONDOWN, 0, PointParam(15, 12));
  EXPECT_EQ(control.presses, (std::vector<std::string>{"5,2"}));
  host.Destroy();
}

// An adopted native window reaches the event operations first and its own
// procedure for the rest; deleting the object hands the window back alive.
TEST_F(KsSystemWndTest, AdoptedWindowKeepsItsOwnProcedureForTheRest) {
  static std::vector<UINT> ownMessages;
  ownMessages.clear();
  struct Own {
    static LRESULT KS_SYS_CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      if (message >= WM_APP) ownMessages.push_back(message);
      return DefWindowProc(window, message, wParam, lParam);
    }
  };
  WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Own::Procedure;
  windowClass.hInstance = GetModuleHandle(nullptr);
  windowClass.lpszClassName = u"KsForeignAdopted";
  ASSERT_NE(RegisterClassEx(&windowClass), 0);
  HWND handle = CreateWindowEx(0, u"KsForeignAdopted", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtr(handle, GWLP_USERDATA, 1234);  // the window's own data stays its own
  {
    RecordingWnd adopter;
    ASSERT_TRUE(adopter.Adopt(handle));
    EXPECT_TRUE(adopter.IsAlive(true));
    SendMessage(handle, WM_COMMAND, CommandParam(6, 0), 0);
    SendMessage(handle, WM_APP + 1, 0, 0);
    EXPECT_EQ(adopter.log, Log{"OnCommand 6 0"});
    EXPECT_EQ(ownMessages, std::vector<UINT>{WM_APP + 1});
    EXPECT_EQ(SendMessage(handle, 0x8898, 0, 0), reinterpret_cast<LRESULT>(&adopter));
  }
  ASSERT_TRUE(IsWindow(handle));
  EXPECT_EQ(GetWindowLongPtr(handle, GWLP_USERDATA), 1234);
  EXPECT_EQ(SendMessage(handle, 0x8898, 0, 0), 0);
  SendMessage(handle, WM_APP + 2, 0, 0);
  EXPECT_EQ(ownMessages.back(), WM_APP + 2);
  DestroyWindow(handle);
  UnregisterClass(u"KsForeignAdopted", GetModuleHandle(nullptr));
}
