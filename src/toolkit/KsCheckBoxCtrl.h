#pragma once
// A check box with its text at the right: a click or Space toggles it and
// posts WM_COMMAND with its identifier to the host window.

#include "toolkit/KsControlWnd.h"

class KsCheckBoxCtrl : public KsControlWnd {
 public:
  const KsChar* GetRole() override { return u"checkbox"; }
  bool IsFocusable() override { return true; }
  bool IsChecked() override { return m_checked; }
  void SetChecked(bool checked);
  void Press() override;
  void Paint(KsCanvas& canvas) override;
  // Around the text, clear of the box.
  RECT GetFocusRect(KsCanvas& canvas) override;

  bool OnLeftUp(POINT point, WPARAM keys) override;
  bool OnKeyDown(WPARAM key, LPARAM flags) override;

 private:
  bool m_checked = false;
};
