// The documented behaviour of windows, messages, timers, focus, capture and
// monitors, through the seam only.

#include "WindowTestSupport.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"

#include <algorithm>

using namespace ks::sys;
using Log = std::vector<std::string>;

// WM_DESTROY goes down the tree from the window destroyed; WM_NCDESTROY comes
// back up, so a parent outlives its children's last message.
TEST_F(WindowTest, DestroyNotifiesParentFirstAndFreesChildrenFirst) {
  HWND parent = Create(u"parent", nullptr, 0, 0, 100, 100);
  ASSERT_NE(parent, nullptr);
  HWND child = Create(u"child", parent, 0, 0, 50, 50);
  HWND grandchild = Create(u"grandchild", child, 0, 0, 10, 10);
  ASSERT_NE(grandchild, nullptr);
  EXPECT_EQ(GetParent(grandchild), child);
  EXPECT_TRUE(IsChild(parent, grandchild));
  s_log.clear();
  ASSERT_TRUE(DestroyWindow(parent));
  EXPECT_EQ(s_log, (Log{"WM_DESTROY parent", "WM_DESTROY child", "WM_DESTROY grandchild", "WM_NCDESTROY grandchild",
                        "WM_NCDESTROY child", "WM_NCDESTROY parent"}));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(grandchild));
  EXPECT_FALSE(DestroyWindow(parent));
}

// A refused WM_CREATE fails the creation; the half-made window still gets
// its last message and is gone.
TEST_F(WindowTest, CreateAnsweringMinusOneFailsAndDestroysTheWindow) {
  s_createAnswer = -1;
  EXPECT_EQ(Create(u"refused", nullptr, 0, 0, 10, 10), nullptr);
  ASSERT_FALSE(s_log.empty());
  EXPECT_EQ(s_log.front(), "WM_CREATE refused");
  EXPECT_EQ(s_log.back(), "WM_NCDESTROY refused");
  EXPECT_EQ(FindWindow(kClass, u"refused"), nullptr);
}

// Windows destroys a window refused at WM_CREATE as DestroyWindow does, so
// WM_DESTROY comes before WM_NCDESTROY.
TEST_F(WindowTest, RefusedCreateSendsDestroyBeforeNcDestroy) {
  s_createAnswer = -1;
  EXPECT_EQ(Create(u"refused", nullptr, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(s_log, (Log{"WM_CREATE refused", "WM_DESTROY refused", "WM_NCDESTROY refused"}));
}

// The error codes for a handle that names no window and a class nobody registered.
TEST_F(WindowTest, ErrorsForMissingWindowsAndClasses) {
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  ASSERT_TRUE(DestroyWindow(window));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  SetLastError(0);
  EXPECT_EQ(CreateWindowEx(0, u"KsNoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowTest, ClassRegistration) {
  // The program's instance is its own module; other names must be loaded already.
  HINSTANCE program = GetModuleHandle(nullptr);
  ASSERT_NE(program, nullptr);
  char16_t byHandle[260], byNull[260];
  ASSERT_GT(GetModuleFileName(program, byHandle, 260), 0u);
  ASSERT_GT(GetModuleFileName(nullptr, byNull, 260), 0u);
  EXPECT_EQ(std::u16string(byHandle), std::u16string(byNull));
  EXPECT_EQ(GetModuleHandle(u"KsNoSuchModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  WNDCLASSEX again{};
  again.cbSize = sizeof again;
  again.lpfnWndProc = DefWindowProc;
  again.hInstance = program;
  again.lpszClassName = u"KSTESTWINDOW";  // class names ignore case
  EXPECT_EQ(RegisterClassEx(&again), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  WNDCLASSEX found{};
  found.cbSize = sizeof found;
  ASSERT_TRUE(GetClassInfoEx(program, kClass, &found));
  EXPECT_EQ(found.hInstance, program);
  // Without an instance only the system's classes are looked at.
  EXPECT_FALSE(GetClassInfoEx(nullptr, kClass, &found));
  EXPECT_FALSE(GetClassInfoEx(program, u"KsNoSuchClass", &found));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  char16_t name[32];
  EXPECT_EQ(GetClassName(window, name, 32), 12);
  EXPECT_EQ(std::u16string(name), kClass);
  DestroyWindow(window);
}

// Rectangles: a window rectangle in screen coordinates, a client rectangle
// from 0,0; children are placed in their parent's client coordinates.
TEST_F(WindowTest, RectanglesFollowMovesAndParents) {
  HWND parent = Create(u"parent", nullptr, 10, 20, 300, 200);
  HWND child = Create(u"child", parent, 5, 6, 50, 40);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(parent, &rect));
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{10, 20, 310, 220}));
  ASSERT_TRUE(GetClientRect(parent, &rect));
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{0, 0, 300, 200}));
  ASSERT_TRUE(GetWindowRect(child, &rect));
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{15, 26, 65, 66}));
  POINT point{1, 2};
  ASSERT_TRUE(ClientToScreen(child, &point));
  EXPECT_EQ(point.x, 16);
  EXPECT_EQ(point.y, 28);
  ASSERT_TRUE(ScreenToClient(parent, &point));
  EXPECT_EQ(point.x, 6);

  ASSERT_TRUE(MoveWindow(parent, 100, 50, 400, 250, TRUE));
  EXPECT_EQ(s_lastSize, LPARAM(400 | (250 << 16)));  // WM_SIZE: client width and height
  ASSERT_TRUE(GetWindowRect(child, &rect));
  EXPECT_EQ(rect.left, 105);
  ASSERT_TRUE(SetWindowPos(parent, nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(GetWindowRect(parent, &rect));
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{100, 50, 220, 130}));
  DestroyWindow(parent);
}

TEST_F(WindowTest, ShowAndEnableAnswerThePreviousState) {
  HWND parent = Create(u"parent", nullptr, 0, 0, 100, 100);
  HWND child = Create(u"child", parent, 0, 0, 10, 10, WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(child));  // a hidden parent hides its children
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(parent, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(parent));

  s_log.clear();
  EXPECT_FALSE(EnableWindow(parent, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(parent));
  EXPECT_TRUE(EnableWindow(parent, FALSE));  // already disabled: no message
  EXPECT_TRUE(EnableWindow(parent, TRUE));
  EXPECT_TRUE(IsWindowEnabled(parent));
  EXPECT_EQ(s_log, (Log{"WM_ENABLE parent 0", "WM_ENABLE parent 1"}));
  DestroyWindow(parent);
}

TEST_F(WindowTest, TextAndUserData) {
  HWND window = Create(u"first", nullptr, 0, 0, 10, 10);
  char16_t buffer[16];
  EXPECT_EQ(GetWindowText(window, buffer, 16), 5);
  EXPECT_EQ(std::u16string(buffer), u"first");
  ASSERT_TRUE(SetWindowText(window, u"second title"));
  EXPECT_EQ(GetWindowTextLength(window), 12);
  EXPECT_EQ(GetWindowText(window, buffer, 4), 3);  // truncated, terminated
  EXPECT_EQ(std::u16string(buffer), u"sec");

  EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 0);
  // A previous value of 0 is told from a failure only through a last error
  // cleared beforehand: success leaves it untouched.
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, 99), 1234);
  EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 99);
  EXPECT_EQ(GetWindowLongPtr(window, GWL_STYLE) & LONG_PTR(WS_POPUP), LONG_PTR(WS_POPUP));
  DestroyWindow(window);
}

// Posted messages come out in order and before WM_QUIT; a filter takes only its range.
TEST_F(WindowTest, SendPostPeekAndQuit) {
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  EXPECT_EQ(SendMessage(window, WM_APP, 21, 0), 42);
  ASSERT_TRUE(PostMessage(window, WM_APP + 1, 1, 0));
  ASSERT_TRUE(PostMessage(window, WM_APP + 2, 2, 0));
  ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER + 5, 3, 0));
  PostQuitMessage(9);
  MSG message{};
  ASSERT_TRUE(PeekMessage(&message, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
  EXPECT_EQ(message.wParam, 2u);
  ASSERT_TRUE(PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, WM_APP + 1);
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, WM_APP + 1);
  DispatchMessage(&message);
  EXPECT_EQ(s_log.back(), "WM_APP+1 w 1");
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.hwnd, nullptr);
  EXPECT_EQ(message.message, WM_USER + 5);
  EXPECT_EQ(GetMessage(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 9u);
  EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(std::uintptr_t(0x7FFF0)), WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  DestroyWindow(window);
}

TEST_F(WindowTest, TimersFireUntilKilled) {
  HWND window = Create(u"w", nullptr, 0, 0, 10, 10);
  ASSERT_NE(SetTimer(window, 7, 10, nullptr), 0u);
  MSG message{};
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_EQ(message.wParam, 7u);
  DispatchMessage(&message);
  EXPECT_EQ(s_log.back(), "WM_TIMER w 7");
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));
  // A timer dies with its window.
  ASSERT_NE(SetTimer(window, 8, 10, nullptr), 0u);
  DestroyWindow(window);
  PostQuitMessage(0);
  ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), FALSE);
}

TEST_F(WindowTest, FocusAndCaptureTellTheWindowsConcerned) {
  HWND parent = Create(u"parent", nullptr, 0, 0, 100, 100, WS_VISIBLE);
  HWND a = Create(u"a", parent, 0, 0, 10, 10, WS_VISIBLE);
  HWND b = Create(u"b", parent, 20, 0, 10, 10, WS_VISIBLE);
  SetFocus(a);
  s_log.clear();
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(s_log, (Log{"WM_KILLFOCUS a", "WM_SETFOCUS b"}));

  s_log.clear();
  SetCapture(a);
  EXPECT_EQ(GetCapture(), a);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s_log, (Log{"WM_CAPTURECHANGED a", "WM_CAPTURECHANGED b"}));
  DestroyWindow(parent);
  EXPECT_NE(GetFocus(), b);
}

namespace {
BOOL KS_SYS_CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
  return TRUE;
}
}  // namespace

// One primary monitor at the origin; work areas lie inside their monitors.
TEST_F(WindowTest, MonitorsAndWorkAreas) {
  std::vector<HMONITOR> monitors;
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors)));
  ASSERT_FALSE(monitors.empty());
  int primaries = 0;
  for (HMONITOR monitor : monitors) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfo(monitor, &info));
    EXPECT_GE(info.rcWork.left, info.rcMonitor.left);
    EXPECT_LE(info.rcWork.right, info.rcMonitor.right);
    EXPECT_LE(info.rcWork.bottom, info.rcMonitor.bottom);
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
      ++primaries;
      EXPECT_EQ(info.rcMonitor.left, 0);
      EXPECT_EQ(info.rcMonitor.top, 0);
      EXPECT_EQ(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL), monitor);
    }
  }
  EXPECT_EQ(primaries, 1);
  POINT far{-100000, -100000};
  EXPECT_EQ(MonitorFromPoint(far, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_NE(MonitorFromPoint(far, MONITOR_DEFAULTTONEAREST), nullptr);
  HWND window = Create(u"w", nullptr, 10, 10, 50, 50);
  EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTONULL), MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL));
  DestroyWindow(window);
}

TEST_F(WindowTest, RegisteredMessagesAndFindWindow) {
  UINT first = RegisterWindowMessage(u"Ks Test Message");
  EXPECT_GE(first, 0xC000u);
  EXPECT_EQ(RegisterWindowMessage(u"KS TEST MESSAGE"), first);
  EXPECT_NE(RegisterWindowMessage(u"Ks Other Message"), first);

  HWND window = Create(u"Findable", nullptr, 0, 0, 10, 10);
  HWND child = Create(u"Inner", window, 0, 0, 5, 5);
  EXPECT_EQ(FindWindow(kClass, u"Findable"), window);
  EXPECT_EQ(FindWindow(kClass, u"Inner"), nullptr);  // only top-level windows are found
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(child, &process), GetCurrentThreadId());
  EXPECT_NE(process, 0u);
  DestroyWindow(window);
  EXPECT_EQ(FindWindow(kClass, u"Findable"), nullptr);
}

// A placement read back sets the same rectangle again; the normal rectangle is
// in workspace coordinates and survives minimising.
TEST_F(WindowTest, PlacementRoundTripsThroughWorkspaceCoordinates) {
  HWND window = Create(u"placed", nullptr, 100, 60, 300, 200, WS_VISIBLE);
  ASSERT_NE(window, nullptr);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor));
  LONG dx = monitor.rcWork.left - monitor.rcMonitor.left, dy = monitor.rcWork.top - monitor.rcMonitor.top;

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(window, &placement));
  EXPECT_EQ(placement.length, 44u);
  EXPECT_EQ(placement.showCmd, UINT(SW_SHOWNORMAL));
  const RECT& normal = placement.rcNormalPosition;
  EXPECT_EQ((std::vector<LONG>{normal.left, normal.top, normal.right, normal.bottom}),
            (std::vector<LONG>{100 - dx, 60 - dy, 400 - dx, 260 - dy}));

  placement.rcNormalPosition = RECT{50 - dx, 40 - dy, 250 - dx, 190 - dy};
  ASSERT_TRUE(SetWindowPlacement(window, &placement));
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{50, 40, 250, 190}));

  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(GetWindowPlacement(window, &placement));
  EXPECT_EQ(placement.showCmd, UINT(SW_SHOWMINIMIZED));
  EXPECT_EQ(placement.rcNormalPosition.left, 50 - dx);
  EXPECT_EQ(placement.rcNormalPosition.bottom, 190 - dy);
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));

  placement.length = 40;
  SetLastError(0);
  EXPECT_FALSE(SetWindowPlacement(window, &placement));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  DestroyWindow(window);
}
