// Windows, messages, timers and monitors: forwarders to the real API. Our
// structures have the layouts of the Windows ones (checked below), so pointers
// pass through; handles and text pointers are the same values under other types.

#include "platform/SysWindow.h"

#include <windows.h>

// <windows.h> names the W functions and structures through macros that share
// the seam's names.
#undef CreateWindowEx
#undef RegisterClassEx
#undef UnregisterClass
#undef GetClassInfoEx
#undef GetClassName
#undef FindWindow
#undef SetWindowText
#undef GetWindowText
#undef GetWindowTextLength
#undef GetWindowLongPtr
#undef SetWindowLongPtr
#undef SendMessage
#undef PostMessage
#undef PostThreadMessage
#undef PeekMessage
#undef GetMessage
#undef DispatchMessage
#undef DefWindowProc
#undef CallWindowProc
#undef RegisterWindowMessage
#undef GetMonitorInfo
#undef MessageBox
#undef WNDCLASSEX
#undef CREATESTRUCT

namespace ks::sys {
namespace {

static_assert(sizeof(POINT) == sizeof(::POINT) && sizeof(RECT) == sizeof(::RECT));
static_assert(sizeof(MSG) == sizeof(::MSG) && offsetof(MSG, pt) == offsetof(::MSG, pt));
static_assert(sizeof(PAINTSTRUCT) == sizeof(::PAINTSTRUCT));
static_assert(sizeof(MONITORINFO) == sizeof(::MONITORINFO));
static_assert(sizeof(FLASHWINFO) == sizeof(::FLASHWINFO));
static_assert(sizeof(CREATESTRUCT) == sizeof(::CREATESTRUCTW));
static_assert(sizeof(MINMAXINFO) == sizeof(::MINMAXINFO));

::HWND Native(HWND window) { return reinterpret_cast<::HWND>(window); }
HWND Ours(::HWND window) { return reinterpret_cast<HWND>(window); }
const wchar_t* Wide(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* Wide(WCHAR* text) { return reinterpret_cast<wchar_t*>(text); }
::RECT* Native(RECT* rect) { return reinterpret_cast<::RECT*>(rect); }
const ::RECT* Native(const RECT* rect) { return reinterpret_cast<const ::RECT*>(rect); }
::POINT* Native(POINT* point) { return reinterpret_cast<::POINT*>(point); }
::MSG* Native(MSG* message) { return reinterpret_cast<::MSG*>(message); }
const ::MSG* Native(const MSG* message) { return reinterpret_cast<const ::MSG*>(message); }
::HMONITOR Native(HMONITOR monitor) { return reinterpret_cast<::HMONITOR>(monitor); }
HMONITOR Ours(::HMONITOR monitor) { return reinterpret_cast<HMONITOR>(monitor); }

}  // namespace

DWORD GetCurrentThreadId() { return ::GetCurrentThreadId(); }

ATOM RegisterClassEx(const WNDCLASSEX* windowClass) {
  if (!windowClass) return ::RegisterClassExW(nullptr);
  ::WNDCLASSEXW native{};
  native.cbSize = sizeof native;
  native.style = windowClass->style;
  native.lpfnWndProc = reinterpret_cast<::WNDPROC>(windowClass->lpfnWndProc);
  native.cbClsExtra = windowClass->cbClsExtra;
  native.cbWndExtra = windowClass->cbWndExtra;
  native.hInstance = reinterpret_cast<::HINSTANCE>(windowClass->hInstance);
  native.hIcon = reinterpret_cast<::HICON>(windowClass->hIcon);
  native.hCursor = reinterpret_cast<::HCURSOR>(windowClass->hCursor);
  native.hbrBackground = reinterpret_cast<::HBRUSH>(windowClass->hbrBackground);
  native.lpszMenuName = Wide(windowClass->lpszMenuName);
  native.lpszClassName = Wide(windowClass->lpszClassName);
  native.hIconSm = reinterpret_cast<::HICON>(windowClass->hIconSm);
  return ::RegisterClassExW(&native);
}

BOOL UnregisterClass(const WCHAR* className, HINSTANCE instance) {
  return ::UnregisterClassW(Wide(className), reinterpret_cast<::HINSTANCE>(instance));
}

BOOL GetClassInfoEx(HINSTANCE instance, const WCHAR* className, WNDCLASSEX* windowClass) {
  ::WNDCLASSEXW native{};
  native.cbSize = sizeof native;
  if (!::GetClassInfoExW(reinterpret_cast<::HINSTANCE>(instance), Wide(className), &native)) return FALSE;
  if (windowClass) {
    windowClass->cbSize = sizeof(WNDCLASSEX);
    windowClass->style = native.style;
    windowClass->lpfnWndProc = reinterpret_cast<WNDPROC>(native.lpfnWndProc);
    windowClass->cbClsExtra = native.cbClsExtra;
    windowClass->cbWndExtra = native.cbWndExtra;
    windowClass->hInstance = reinterpret_cast<HINSTANCE>(native.hInstance);
    windowClass->hIcon = reinterpret_cast<HICON>(native.hIcon);
    windowClass->hCursor = reinterpret_cast<HCURSOR>(native.hCursor);
    windowClass->hbrBackground = reinterpret_cast<HBRUSH>(native.hbrBackground);
    windowClass->lpszMenuName = reinterpret_cast<const WCHAR*>(native.lpszMenuName);
    windowClass->lpszClassName = className;
    windowClass->hIconSm = reinterpret_cast<HICON>(native.hIconSm);
  }
  return TRUE;
}

int GetClassName(HWND window, WCHAR* buffer, int size) { return ::GetClassNameW(Native(window), Wide(buffer), size); }

HWND CreateWindowEx(DWORD exStyle, const WCHAR* className, const WCHAR* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param) {
  return Ours(::CreateWindowExW(exStyle, Wide(className), Wide(windowName), style, x, y, width, height, Native(parent),
                                reinterpret_cast<::HMENU>(menu), reinterpret_cast<::HINSTANCE>(instance), param));
}

BOOL DestroyWindow(HWND window) { return ::DestroyWindow(Native(window)); }
BOOL IsWindow(HWND window) { return ::IsWindow(Native(window)); }
HWND GetParent(HWND window) { return Ours(::GetParent(Native(window))); }
HWND SetParent(HWND child, HWND newParent) { return Ours(::SetParent(Native(child), Native(newParent))); }
HWND GetDesktopWindow() { return Ours(::GetDesktopWindow()); }
BOOL IsChild(HWND parent, HWND window) { return ::IsChild(Native(parent), Native(window)); }

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) {
  ::DWORD process = 0;
  DWORD thread = ::GetWindowThreadProcessId(Native(window), &process);
  if (processId) *processId = process;
  return thread;
}

HWND FindWindow(const WCHAR* className, const WCHAR* windowName) {
  return Ours(::FindWindowW(Wide(className), Wide(windowName)));
}

BOOL GetWindowRect(HWND window, RECT* rect) { return ::GetWindowRect(Native(window), Native(rect)); }
BOOL GetClientRect(HWND window, RECT* rect) { return ::GetClientRect(Native(window), Native(rect)); }
BOOL ClientToScreen(HWND window, POINT* point) { return ::ClientToScreen(Native(window), Native(point)); }
BOOL ScreenToClient(HWND window, POINT* point) { return ::ScreenToClient(Native(window), Native(point)); }

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return ::MoveWindow(Native(window), x, y, width, height, repaint);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  return ::SetWindowPos(Native(window), Native(insertAfter), x, y, width, height, flags);
}

BOOL ShowWindow(HWND window, int command) { return ::ShowWindow(Native(window), command); }
BOOL IsWindowVisible(HWND window) { return ::IsWindowVisible(Native(window)); }
BOOL EnableWindow(HWND window, BOOL enable) { return ::EnableWindow(Native(window), enable); }
BOOL IsWindowEnabled(HWND window) { return ::IsWindowEnabled(Native(window)); }
BOOL IsIconic(HWND window) { return ::IsIconic(Native(window)); }
BOOL IsZoomed(HWND window) { return ::IsZoomed(Native(window)); }

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  static_assert(sizeof(WINDOWPLACEMENT) == sizeof(::WINDOWPLACEMENT));
  return ::GetWindowPlacement(Native(window), reinterpret_cast<::WINDOWPLACEMENT*>(placement));
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  return ::SetWindowPlacement(Native(window), reinterpret_cast<const ::WINDOWPLACEMENT*>(placement));
}

BOOL SetWindowText(HWND window, const WCHAR* text) { return ::SetWindowTextW(Native(window), Wide(text)); }
int GetWindowText(HWND window, WCHAR* buffer, int size) { return ::GetWindowTextW(Native(window), Wide(buffer), size); }
int GetWindowTextLength(HWND window) { return ::GetWindowTextLengthW(Native(window)); }

LONG_PTR GetWindowLongPtr(HWND window, int index) { return ::GetWindowLongPtrW(Native(window), index); }
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  return ::SetWindowLongPtrW(Native(window), index, value);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(Native(window), message, wParam, lParam);
}
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(Native(window), message, wParam, lParam);
}
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostThreadMessageW(threadId, message, wParam, lParam);
}
BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  return ::PeekMessageW(Native(message), Native(window), filterMin, filterMax, remove);
}
BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
  return ::GetMessageW(Native(message), Native(window), filterMin, filterMax);
}
BOOL TranslateMessage(const MSG* message) { return ::TranslateMessage(Native(message)); }
LRESULT DispatchMessage(const MSG* message) { return ::DispatchMessageW(Native(message)); }
void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(Native(window), message, wParam, lParam);
}
LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(reinterpret_cast<::WNDPROC>(procedure), Native(window), message, wParam, lParam);
}
UINT RegisterWindowMessage(const WCHAR* text) { return ::RegisterWindowMessageW(Wide(text)); }

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* timerProc) {
  return ::SetTimer(Native(window), id, milliseconds, reinterpret_cast<::TIMERPROC>(timerProc));
}
BOOL KillTimer(HWND window, UINT_PTR id) { return ::KillTimer(Native(window), id); }

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  return ::InvalidateRect(Native(window), Native(rect), erase);
}
BOOL UpdateWindow(HWND window) { return ::UpdateWindow(Native(window)); }
HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  return reinterpret_cast<HDC>(::BeginPaint(Native(window), reinterpret_cast<::PAINTSTRUCT*>(paint)));
}
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  return ::EndPaint(Native(window), reinterpret_cast<const ::PAINTSTRUCT*>(paint));
}

HWND SetFocus(HWND window) { return Ours(::SetFocus(Native(window))); }
HWND GetFocus() { return Ours(::GetFocus()); }
HWND SetCapture(HWND window) { return Ours(::SetCapture(Native(window))); }
HWND GetCapture() { return Ours(::GetCapture()); }
BOOL ReleaseCapture() { return ::ReleaseCapture(); }
HWND GetForegroundWindow() { return Ours(::GetForegroundWindow()); }
BOOL SetForegroundWindow(HWND window) { return ::SetForegroundWindow(Native(window)); }
HWND GetActiveWindow() { return Ours(::GetActiveWindow()); }
HWND GetLastActivePopup(HWND window) { return Ours(::GetLastActivePopup(Native(window))); }
UINT GetDoubleClickTime() { return ::GetDoubleClickTime(); }

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM data) {
  return ::EnumDisplayMonitors(reinterpret_cast<::HDC>(dc), Native(clip), reinterpret_cast<::MONITORENUMPROC>(callback),
                               data);
}
BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  return ::GetMonitorInfoW(Native(monitor), reinterpret_cast<::MONITORINFO*>(info));
}
HMONITOR MonitorFromWindow(HWND window, DWORD flags) { return Ours(::MonitorFromWindow(Native(window), flags)); }
HMONITOR MonitorFromPoint(POINT point, DWORD flags) { return Ours(::MonitorFromPoint(::POINT{point.x, point.y}, flags)); }
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) { return Ours(::MonitorFromRect(Native(rect), flags)); }

BOOL MessageBeep(UINT type) { return ::MessageBeep(type); }
BOOL FlashWindowEx(const FLASHWINFO* info) {
  ::FLASHWINFO native{};
  if (!info) return FALSE;
  native.cbSize = sizeof native;
  native.hwnd = Native(info->hwnd);
  native.dwFlags = info->dwFlags;
  native.uCount = info->uCount;
  native.dwTimeout = info->dwTimeout;
  return ::FlashWindowEx(&native);
}
int MessageBox(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type) {
  return ::MessageBoxW(Native(owner), Wide(text), Wide(caption), type);
}

}  // namespace ks::sys
