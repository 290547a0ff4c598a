#pragma once
// The event operations of every window, in the order native dispatch knows
// them. Each default does nothing and answers false ("not handled"); a window
// overrides the ones it cares about. Points are in client coordinates.

#include "platform/SysWindow.h"

class KsWnd;

class KsWndEvents {
 public:
  using WPARAM = ks::sys::WPARAM;
  using LPARAM = ks::sys::LPARAM;
  using LRESULT = ks::sys::LRESULT;
  using UINT = ks::sys::UINT;
  using POINT = ks::sys::POINT;
  using RECT = ks::sys::RECT;

  virtual ~KsWndEvents() = default;

  // Every message dispatch does not consume; a native window hands it to DefWindowProc.
  virtual LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
  // false fails the creation (WM_CREATE answers -1).
  virtual bool OnCreate() { return false; }
  virtual bool OnDestroy() { return false; }
  // The window stays unless the handler destroys it.
  virtual bool OnClose() { return false; }
  virtual bool OnNcDestroy() { return false; }
  virtual bool OnNcCalcSize(WPARAM wParam, LPARAM lParam) { return false; }
  virtual bool OnShow(bool show) { return false; }
  virtual bool OnEnable(bool enable) { return false; }
  virtual bool OnPositionChanging(void* windowPos) { return false; }
  virtual bool OnPositionChanged(void* windowPos) { return false; }
  // Only while the window counts as alive.
  virtual bool OnTimer(ks::sys::UINT_PTR id) { return false; }
  virtual bool OnPaint(ks::sys::HDC dc, const RECT& area) { return false; }
  virtual bool OnSize(int type, int width, int height) { return false; }
  virtual bool OnSizing(int edge, RECT* rect) { return false; }
  virtual bool OnMoving(RECT* rect) { return false; }
  virtual bool OnMinMaxInfo(ks::sys::MINMAXINFO* info) { return false; }
  virtual bool OnMouseMove(POINT point, WPARAM keys) { return false; }
  virtual bool OnLeftDown(POINT point, WPARAM keys) { return false; }
  virtual bool OnLeftUp(POINT point, WPARAM keys) { return false; }
  virtual bool OnMiddleDown(POINT point, WPARAM keys) { return false; }
  virtual bool OnMiddleUp(POINT point, WPARAM keys) { return false; }
  virtual bool OnRightDown(POINT point, WPARAM keys) { return false; }
  virtual bool OnRightUp(POINT point, WPARAM keys) { return false; }
  virtual bool OnExtraDown(POINT point, int button) { return false; }
  virtual bool OnExtraUp(POINT point, int button) { return false; }
  virtual bool OnLeftDoubleClick(POINT point, WPARAM keys) { return false; }
  virtual bool OnHorizontalWheel(int delta, POINT point) { return false; }
  virtual bool OnCaptureChanged(ks::sys::HWND newCapture) { return false; }
  virtual bool OnNcHitTest(POINT screenPoint, LRESULT* result) { return false; }
  virtual bool OnNcMouseMove(int hitTest, POINT screenPoint) { return false; }
  virtual bool OnKeyDown(WPARAM key, LPARAM flags) { return false; }
  virtual bool OnKeyUp(WPARAM key, LPARAM flags) { return false; }
  virtual bool OnChar(WPARAM character, LPARAM flags) { return false; }
  // Message 0x2CB; answered with 1 whatever the handler says.
  virtual bool OnMessage2CB(WPARAM wParam, LPARAM lParam) { return false; }
  virtual bool OnVerticalScroll(int code, int position) { return false; }
  virtual bool OnHorizontalScroll(int code, int position) { return false; }
  // true consumes the message.
  virtual bool OnContextMenu(POINT screenPoint) { return false; }
  virtual bool OnActivateApp(bool active) { return false; }
  virtual bool OnActivate(int state) { return false; }
  virtual bool OnNcActivate(bool active, LRESULT* result) { return false; }
  virtual bool OnGetFont(LRESULT* result) { return false; }
  virtual bool OnGetDialogCode(LRESULT* result) { return false; }
  virtual bool OnClipboardDraw() { return false; }
  virtual bool OnClipboardChainChange(ks::sys::HWND removed, ks::sys::HWND next) { return false; }
  virtual bool OnQueryEndSession(LRESULT* result) { return false; }
  virtual bool OnEndSession(bool ending) { return false; }
  virtual bool OnPowerBroadcast(WPARAM event, LRESULT* result) { return false; }
  virtual bool OnDeviceChange(WPARAM event, LPARAM data, LRESULT* result) { return false; }
  virtual bool OnDisplayChange() { return false; }
  virtual bool OnSystemColorChange() { return false; }
  virtual bool OnHotKey(WPARAM id) { return false; }
  virtual bool OnAppCommand(LPARAM command, LRESULT* result) { return false; }
  virtual bool OnSystemCommand(WPARAM command, LPARAM lParam, LRESULT* result) { return false; }
  // The toolkit's own posted command (message 0x83E8).
  virtual bool OnPostedCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }
  virtual bool OnTouch(WPARAM count, LPARAM input) { return false; }
  virtual bool OnGesture(WPARAM wParam, LPARAM lParam) { return false; }
  // Asked after creation: true registers the window for touch input.
  virtual bool WantsTouchInput() { return false; }
  virtual bool OnCommand(int id, int code, ks::sys::HWND control) { return false; }
  // Commands whose notification code is 0x1800.
  virtual bool OnCommandNotification(int id, ks::sys::HWND control) { return false; }
  virtual bool OnNotify(int id, void* header, LRESULT* result) { return false; }
  // true while the window exists and, with wholeChain, every parent up to the top too.
  virtual bool IsAlive(bool wholeChain) { return false; }
  // Sees every WM_COMMAND first; true hands it to default processing instead.
  virtual bool CommandFilter(WPARAM wParam, LPARAM lParam) { return false; }
  // -1 keeps the minimum track width or height the system proposes.
  virtual void GetMinTrackSize(int* width, int* height) {
    *width = -1;
    *height = -1;
  }
  // The modal popup that owns this window's input, if any.
  virtual KsWnd* GetLastActivePopupWnd() { return nullptr; }
  virtual bool OnWheel(int delta, POINT point) { return false; }
  // Sees every message first; true consumes it and *result is answered.
  virtual bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }
  virtual bool OnEraseBackground(ks::sys::HDC dc, LRESULT* result) { return false; }
  // true consumes the message (result 1).
  virtual bool OnSetCursor(ks::sys::HWND window, int hitTest, UINT mouseMessage) { return false; }
};
