#pragma once
// A push button: a click (press and release over it), Space or Enter while it
// has the focus, or Enter in its window when it is the default button, posts
// WM_COMMAND with its identifier (code 0, BN_CLICKED) to the host window. A
// default button shows its text in bold.

#include "toolkit/KsControlWnd.h"

#include <functional>

class KsButtonCtrl : public KsControlWnd {
 public:
  const KsChar* GetRole() override { return u"button"; }
  bool IsFocusable() override { return true; }
  bool IsDefaultButton() override { return m_default; }
  void SetDefault(bool isDefault);
  void Press() override;
  // Called on a click instead of the command to the host; it may delete the button.
  void SetClickHandler(std::function<void()> handler) { m_clickHandler = std::move(handler); }
  void Paint(KsCanvas& canvas) override;

  bool OnLeftDown(POINT point, WPARAM keys) override;
  bool OnLeftUp(POINT point, WPARAM keys) override;
  bool OnKeyDown(WPARAM key, LPARAM flags) override;

 private:
  bool m_default = false;
  bool m_pressed = false;
  std::function<void()> m_clickHandler;
};
