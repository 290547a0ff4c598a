#pragma once
// A window of the toolkit, native or windowless: the event operations plus the
// window operations every kind carries out its own way. Operations on a window
// that does not exist do nothing and answer false or 0.

#include "foundation/KsString.h"
#include "toolkit/KsWndEvents.h"

class IKsWndDeleteProbe;

class KsWnd : public KsWndEvents {
 public:
  using DWORD = ks::sys::DWORD;
  using HWND = ks::sys::HWND;

  virtual bool Exists() = 0;
  virtual DWORD GetWindowThreadId() = 0;
  virtual DWORD GetCurrentThreadId() = 0;
  virtual DWORD GetWindowProcessId() = 0;
  virtual DWORD GetCurrentProcessId() = 0;
  virtual bool Destroy() = 0;
  virtual bool IsMaximized() = 0;
  virtual bool IsMinimized() = 0;
  virtual bool Enable(bool enable) = 0;
  virtual bool IsEnabled() = 0;
  virtual bool Show(int command) = 0;
  virtual bool IsVisible() = 0;
  virtual bool SetText(const KsChar* text) = 0;
  virtual KsString GetText() = 0;
  virtual DWORD GetStyle() = 0;
  virtual DWORD GetExtendedStyle() = 0;
  virtual LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual bool PostMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual bool GetWindowRect(RECT* rect) = 0;
  virtual bool GetClientRect(RECT* rect) = 0;
  virtual bool ClientToScreen(POINT* point) = 0;
  virtual void Invalidate() = 0;
  virtual void Update() = 0;
  virtual KsWnd* GetParentWnd() = 0;
  virtual void SetParentWnd(KsWnd* parent) = 0;
  virtual HWND GetLastActivePopup() = 0;
  virtual void SetCapture() = 0;
  virtual void BringToForeground() = 0;
  virtual bool SetTimer(ks::sys::UINT_PTR id, UINT milliseconds) = 0;
  virtual bool KillTimer(ks::sys::UINT_PTR id) = 0;
  virtual void AddDeleteProbe(IKsWndDeleteProbe* probe) = 0;
  virtual void RemoveDeleteProbe(IKsWndDeleteProbe* probe) = 0;
  virtual UINT GetDoubleClickTime() = 0;
  // Moves and sizes to rect (parent client coordinates; screen for top-level windows).
  virtual bool MoveAndSize(const RECT& rect) = 0;
  // The native handle; for a windowless control, that of the native window hosting it.
  virtual HWND GetHandle() = 0;
  // 5 for a wrapper around a foreign native window (see KsCoreWnd).
  virtual int GetLifecycleState() = 0;
};
