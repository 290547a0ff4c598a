#pragma once
// A native window: the window operations carried out on its handle. Built
// around a foreign handle it is a wrapper (state 5) that never destroys the
// window when deleted.

#include "toolkit/KsCallbackWnd.h"

class KsBasicWnd : public KsCallbackWnd {
 public:
  KsBasicWnd() = default;
  explicit KsBasicWnd(HWND foreign);

  bool Exists() override;
  DWORD GetWindowThreadId() override;
  DWORD GetCurrentThreadId() override;
  DWORD GetWindowProcessId() override;
  DWORD GetCurrentProcessId() override;
  bool Destroy() override;
  bool IsMaximized() override;
  bool IsMinimized() override;
  bool Enable(bool enable) override;
  bool IsEnabled() override;
  bool Show(int command) override;
  bool IsVisible() override;
  bool SetText(const KsChar* text) override;
  KsString GetText() override;
  DWORD GetStyle() override;
  DWORD GetExtendedStyle() override;
  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PostMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool GetWindowRect(RECT* rect) override;
  bool GetClientRect(RECT* rect) override;
  bool ClientToScreen(POINT* point) override;
  void Invalidate() override;
  void Update() override;
  HWND GetLastActivePopup() override;
  void SetCapture() override;
  void BringToForeground() override;
  bool SetTimer(ks::sys::UINT_PTR id, UINT milliseconds) override;
  bool KillTimer(ks::sys::UINT_PTR id) override;
  bool MoveAndSize(const RECT& rect) override;
  HWND GetHandle() override { return m_handle; }
  // The toolkit window of the last active popup this window's input belongs to.
  KsWnd* GetLastActivePopupWnd() override;

 protected:
  HWND m_handle = nullptr;
};
