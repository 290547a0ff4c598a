#include "toolkit/KsBasicWnd.h"

#include "toolkit/KsWndTable.h"

#include "platform/SysProcess.h"

#include <vector>

using namespace ks::sys;

KsBasicWnd::KsBasicWnd(HWND foreign) : m_handle(foreign) { m_state = kForeignWrapper; }

bool KsBasicWnd::Exists() { return m_handle && IsWindow(m_handle); }

DWORD KsBasicWnd::GetWindowThreadId() { return Exists() ? GetWindowThreadProcessId(m_handle, nullptr) : 0; }
DWORD KsBasicWnd::GetCurrentThreadId() { return ks::sys::GetCurrentThreadId(); }
DWORD KsBasicWnd::GetWindowProcessId() {
  DWORD process = 0;
  if (Exists()) GetWindowThreadProcessId(m_handle, &process);
  return process;
}
DWORD KsBasicWnd::GetCurrentProcessId() { return ks::sys::GetCurrentProcessId(); }

bool KsBasicWnd::Destroy() { return Exists() && DestroyWindow(m_handle); }
bool KsBasicWnd::IsMaximized() { return Exists() && IsZoomed(m_handle); }
bool KsBasicWnd::IsMinimized() { return Exists() && IsIconic(m_handle); }
bool KsBasicWnd::Enable(bool enable) { return Exists() && EnableWindow(m_handle, enable ? TRUE : FALSE); }
bool KsBasicWnd::IsEnabled() { return Exists() && IsWindowEnabled(m_handle); }
bool KsBasicWnd::Show(int command) { return Exists() && ShowWindow(m_handle, command); }
bool KsBasicWnd::IsVisible() { return Exists() && IsWindowVisible(m_handle); }
bool KsBasicWnd::SetText(const KsChar* text) { return Exists() && SetWindowText(m_handle, text); }

KsString KsBasicWnd::GetText() {
  if (!Exists()) return KsString();
  int length = GetWindowTextLength(m_handle);
  std::vector<KsChar> buffer(std::size_t(length) + 1);
  int copied = GetWindowText(m_handle, buffer.data(), length + 1);
  return KsString(buffer.data(), copied);
}

DWORD KsBasicWnd::GetStyle() { return Exists() ? DWORD(GetWindowLongPtr(m_handle, GWL_STYLE)) : 0; }
DWORD KsBasicWnd::GetExtendedStyle() { return Exists() ? DWORD(GetWindowLongPtr(m_handle, GWL_EXSTYLE)) : 0; }

LRESULT KsBasicWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Exists() ? ks::sys::SendMessage(m_handle, message, wParam, lParam) : 0;
}

bool KsBasicWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Exists() && ks::sys::PostMessage(m_handle, message, wParam, lParam);
}

bool KsBasicWnd::GetWindowRect(RECT* rect) { return Exists() && ks::sys::GetWindowRect(m_handle, rect); }
bool KsBasicWnd::GetClientRect(RECT* rect) { return Exists() && ks::sys::GetClientRect(m_handle, rect); }
bool KsBasicWnd::ClientToScreen(POINT* point) { return Exists() && ks::sys::ClientToScreen(m_handle, point); }

void KsBasicWnd::Invalidate() {
  if (Exists()) InvalidateRect(m_handle, nullptr, FALSE);
}

void KsBasicWnd::Update() {
  if (Exists()) UpdateWindow(m_handle);
}

HWND KsBasicWnd::GetLastActivePopup() { return Exists() ? ks::sys::GetLastActivePopup(m_handle) : nullptr; }

KsWnd* KsBasicWnd::GetLastActivePopupWnd() {
  HWND popup = GetLastActivePopup();
  return popup && popup != m_handle ? KsWndTable::Find(popup) : nullptr;
}

void KsBasicWnd::SetCapture() {
  if (Exists()) ks::sys::SetCapture(m_handle);
}

void KsBasicWnd::BringToForeground() {
  if (Exists()) SetForegroundWindow(m_handle);
}

bool KsBasicWnd::SetTimer(UINT_PTR id, UINT milliseconds) {
  return Exists() && ks::sys::SetTimer(m_handle, id, milliseconds, nullptr) != 0;
}

bool KsBasicWnd::KillTimer(UINT_PTR id) { return Exists() && ks::sys::KillTimer(m_handle, id); }

bool KsBasicWnd::MoveAndSize(const RECT& rect) {
  return Exists() && SetWindowPos(m_handle, nullptr, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
