#pragma once
// Windows, messages, timers, focus, capture and monitors. Window procedures run
// on the thread that created the window; another thread reaches a window by
// posting to it (SendMessage waits for the owner thread). Key state is read
// with GetKeyState (SysSystem.h), which follows the key messages a thread has
// taken from its queue.

#include "platform/SysProcess.h"  // SW_HIDE, SW_SHOWNORMAL, SW_SHOW
#include "platform/SysSystem.h"
#include "platform/SysTypes.h"

#include <cstdint>

// Window procedures and enumeration callbacks use the platform's callback
// convention (stdcall on 32-bit Windows).
#if defined(_WIN32) && !defined(_WIN64)
#define KS_SYS_CALLBACK __stdcall
#else
#define KS_SYS_CALLBACK
#endif

namespace ks::sys {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ATOM = WORD;
using HMONITOR = struct KsMonitorHandle*;
using HDC = struct KsDeviceContextHandle*;
using HCURSOR = struct KsCursorHandle*;
using HICON = struct KsIconHandle*;
using HBRUSH = struct KsBrushHandle*;

using WNDPROC = LRESULT(KS_SYS_CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  LONG x;
  LONG y;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct WNDCLASSEX {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const WCHAR* lpszMenuName;
  const WCHAR* lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCT {
  void* lpCreateParams;
  HINSTANCE hInstance;
  void* hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const WCHAR* lpszName;
  const WCHAR* lpszClass;
  DWORD dwExStyle;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};

// A top-level window's show state and its restored ("normal") rectangle, in
// workspace coordinates: screen coordinates moved by the offset of its
// monitor's work area (a task bar at the top or left shifts them). 44 bytes,
// kept by the toolkit as a saved window placement.
struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

struct FLASHWINFO {
  UINT cbSize;
  HWND hwnd;
  DWORD dwFlags;
  UINT uCount;
  DWORD dwTimeout;
};

using MONITORENUMPROC = BOOL(KS_SYS_CALLBACK*)(HMONITOR, HDC, RECT*, LPARAM);

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCCALCSIZE = 0x0083;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_GESTURE = 0x0119;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_XBUTTONDOWN = 0x020B;
constexpr UINT WM_XBUTTONUP = 0x020C;
constexpr UINT WM_MOUSEHWHEEL = 0x020E;
constexpr UINT WM_SIZING = 0x0214;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOVING = 0x0216;
constexpr UINT WM_POWERBROADCAST = 0x0218;
constexpr UINT WM_DEVICECHANGE = 0x0219;
constexpr UINT WM_TOUCH = 0x0240;
constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
constexpr UINT WM_CHANGECBCHAIN = 0x030D;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr UINT WM_APPCOMMAND = 0x0319;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
// Parent of a message-only window.
inline HWND const HWND_MESSAGE = reinterpret_cast<HWND>(std::intptr_t(-3));

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;

constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

constexpr DWORD FLASHW_STOP = 0;
constexpr DWORD FLASHW_CAPTION = 1;
constexpr DWORD FLASHW_TRAY = 2;
constexpr DWORD FLASHW_ALL = 3;

constexpr int HTERROR = -2;
constexpr int HTCLIENT = 1;

// MessageBox types and answers.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_TOPMOST = 0x40000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_TIMEOUT = 1460;

// The calling thread's identifier, the key of its message queue.
DWORD GetCurrentThreadId();

constexpr UINT CS_GLOBALCLASS = 0x4000;

// A class registered without an instance belongs to the program's module
// (GetModuleHandle(null)); GetClassInfoEx without an instance finds only the
// system's classes, so a program looks its own classes up with its instance.
ATOM RegisterClassEx(const WNDCLASSEX* windowClass);
BOOL UnregisterClass(const WCHAR* className, HINSTANCE instance);
BOOL GetClassInfoEx(HINSTANCE instance, const WCHAR* className, WNDCLASSEX* windowClass);
int GetClassName(HWND window, WCHAR* buffer, int size);

// Sends WM_NCCREATE and WM_CREATE; null when either refuses (WM_CREATE
// answering -1), after WM_DESTROY and WM_NCDESTROY have been sent.
HWND CreateWindowEx(DWORD exStyle, const WCHAR* className, const WCHAR* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param);
// WM_DESTROY goes to the window, then to its children; WM_NCDESTROY goes to
// the children first and to the window last.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetParent(HWND window);
HWND SetParent(HWND child, HWND newParent);
HWND GetDesktopWindow();
BOOL IsChild(HWND parent, HWND window);
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);
// Top-level window of the class (and title, when given) in any process.
HWND FindWindow(const WCHAR* className, const WCHAR* windowName);

BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// Grows a client rectangle to the window rectangle of a window with the styles.
// The simulated machine's windows have no non-client area: it stays as it is.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// Answers whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
// Visible when the window and every parent have WS_VISIBLE.
BOOL IsWindowVisible(HWND window);
// Answers whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);
// length must be sizeof(WINDOWPLACEMENT). showCmd answers SW_SHOWMINIMIZED,
// SW_SHOWMAXIMIZED or SW_SHOWNORMAL; the normal rectangle survives minimising.
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
// Sets the normal rectangle (the window moves there unless minimised or
// maximised) and shows the window with showCmd; a wrong length fails with
// ERROR_INVALID_PARAMETER.
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);

BOOL SetWindowText(HWND window, const WCHAR* text);
int GetWindowText(HWND window, WCHAR* buffer, int size);
int GetWindowTextLength(HWND window);

LONG_PTR GetWindowLongPtr(HWND window, int index);
// Answers the previous value. Success leaves the last error untouched, so a
// previous value of 0 is told from failure by clearing the error beforehand.
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove);
// 0 for WM_QUIT, -1 on error, otherwise non-zero.
BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessage(const MSG* message);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// 0xC000 to 0xFFFF; the same text gives the same message in every process.
UINT RegisterWindowMessage(const WCHAR* text);

// window null: a thread timer with a new identifier, answered.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* timerProc);
BOOL KillTimer(HWND window, UINT_PTR id);

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

HWND SetFocus(HWND window);
HWND GetFocus();
HWND SetCapture(HWND window);
HWND GetCapture();
BOOL ReleaseCapture();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetActiveWindow();
HWND GetLastActivePopup(HWND window);
UINT GetDoubleClickTime();

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM data);
BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);

BOOL MessageBeep(UINT type);
BOOL FlashWindowEx(const FLASHWINFO* info);
// The platform's own message box; the simulated machine answers a scripted or
// the default button without showing anything.
int MessageBox(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type);

}  // namespace ks::sys
