#pragma once
// A windowless control: a rectangle inside the native window that hosts it
// (its parent), drawn and fed events by that window. Window operations act on
// the rectangle and on the host.

#include "toolkit/KsCallbackWnd.h"

class KsCanvas;
class KsControlsWnd;

class KsControlWnd : public KsCallbackWnd {
 public:
  // rect in the host's client coordinates; the host routes mouse events here.
  bool Create(KsWnd* host, const RECT& rect);

  bool Exists() override { return m_state == kCreated; }
  DWORD GetWindowThreadId() override;
  DWORD GetCurrentThreadId() override { return ks::sys::GetCurrentThreadId(); }
  DWORD GetWindowProcessId() override;
  DWORD GetCurrentProcessId() override { return ks::sys::GetCurrentProcessId(); }
  bool Destroy() override;
  bool IsMaximized() override { return false; }
  bool IsMinimized() override { return false; }
  bool Enable(bool enable) override;
  bool IsEnabled() override { return Exists() && m_enabled; }
  bool Show(int command) override;
  bool IsVisible() override { return Exists() && m_visible; }
  bool SetText(const KsChar* text) override;
  KsString GetText() override { return m_text; }
  DWORD GetStyle() override { return 0; }
  DWORD GetExtendedStyle() override { return 0; }
  LRESULT SendMessage(UINT, WPARAM, LPARAM) override { return 0; }
  bool PostMessage(UINT, WPARAM, LPARAM) override { return false; }
  bool GetWindowRect(RECT* rect) override;
  bool GetClientRect(RECT* rect) override;
  bool ClientToScreen(POINT* point) override;
  void Invalidate() override;
  void Update() override;
  HWND GetLastActivePopup() override;
  void SetCapture() override;
  void BringToForeground() override;
  bool SetTimer(ks::sys::UINT_PTR, UINT) override { return false; }
  bool KillTimer(ks::sys::UINT_PTR) override { return false; }
  bool MoveAndSize(const RECT& rect) override;
  HWND GetHandle() override;

  // What a person and a test see of the control besides its text and rectangle.
  virtual const KsChar* GetRole() { return u"control"; }
  virtual bool IsChecked() { return false; }
  // Whether Tab stops here (when visible and enabled).
  virtual bool IsFocusable() { return false; }
  bool HasFocus();
  void SetFocus();
  virtual void OnFocusChanged(bool focused) {}
  // A default button takes Enter when the focus is on no other button.
  virtual bool IsDefaultButton() { return false; }
  // Carries out what Enter on the control would (a button's click).
  virtual void Press() {}
  // Draws the control in its own client coordinates.
  virtual void Paint(KsCanvas& canvas) {}
  // Where the focus frame goes, in client coordinates; the whole control unless it says otherwise.
  virtual RECT GetFocusRect(KsCanvas& canvas);

  // The native window hosting the control, through nested controls; null when none.
  KsControlsWnd* GetHost();
  // The control's rectangle in its host's client coordinates.
  bool GetRectInHost(RECT* rect);
  int GetCommandId() const { return m_commandId; }
  void SetCommandId(int id) { m_commandId = id; }

 protected:
  // Posts WM_COMMAND with the control's identifier and code to its host.
  void NotifyHost(int code);

 private:
  int m_commandId = 0;
  RECT m_rect{};
  bool m_visible = true;
  bool m_enabled = true;
  KsString m_text;
};
