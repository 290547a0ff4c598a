#pragma once
// A native window hosting windowless controls (KsControlWnd), which it feeds
// the mouse events under their rectangles. It paints them onto a canvas in the
// order they were added (nested controls after their parent) and keeps the
// keyboard focus among them: Tab and Shift+Tab move it through the focusable
// controls in that order; other keys go to the focused control first (a
// focused button takes Enter); Enter left over presses the default button, or
// sends IDOK when there is none, and Esc sends IDCANCEL, as dialog boxes do.

#include "toolkit/KsDrawWnd.h"
#include "toolkit/KsWndPtr.h"

#include <vector>

class KsCanvas;
class KsControlWnd;

class KsControlsWnd : public KsDrawWnd {
 public:
  static constexpr int kIdOk = 1;
  static constexpr int kIdCancel = 2;

  KsControlWnd* GetFocusControl();
  // null clears the focus; a control of another host is refused.
  bool SetFocusControl(KsControlWnd* control);
  // Moves the focus to the next (or previous) focusable control, wrapping round.
  bool MoveFocus(bool backward);
  // Every control of the window, depth first in the order they were added.
  std::vector<KsControlWnd*> GetControls();

  bool OnPaint(ks::sys::HDC dc, const RECT& area) override;
  bool OnKeyDown(WPARAM key, LPARAM flags) override;
  bool OnKeyUp(WPARAM key, LPARAM flags) override;
  bool OnChar(WPARAM character, LPARAM flags) override;
  bool OnLeftDown(POINT point, WPARAM keys) override;

 protected:
  // The window's own drawing below its controls; the default fills the face colour.
  virtual void PaintBackground(KsCanvas& canvas, const RECT& client);

 private:
  KsControlWnd* DefaultButton();
  KsWndPtr m_focus;
};
