#pragma once
// The row of standard buttons at the bottom of a popup: windowless, inside the
// popup. A click (press and release on the same button) posts WM_COMMAND with
// the button's identifier to the popup.

#include "toolkit/KsControlWnd.h"

#include <vector>

class KsPopupBottomButtonsWnd : public KsControlWnd {
 public:
  struct Button {
    int commandId;
    KsString text;
    RECT rect;  // in the row's client coordinates
  };

  void AddButton(int commandId, const KsChar* text);
  // Right-aligned in reverse order of addition, spacing apart; the button
  // with leftId (if any) at the left edge.
  void LayOutButtons(int spacing, int leftId);
  const std::vector<Button>& GetButtons() const { return m_buttons; }
  // The button's rectangle in the popup's client coordinates; false when there is none.
  bool GetButtonRect(int commandId, RECT* rect);

  static constexpr int kButtonWidth = 75;
  static constexpr int kButtonHeight = 23;

  // Each button framed with its text; OK, the button Enter takes, in bold.
  void Paint(KsCanvas& canvas) override;
  const KsChar* GetRole() override { return u"buttonrow"; }

  bool OnLeftDown(POINT point, WPARAM keys) override;
  bool OnLeftUp(POINT point, WPARAM keys) override;

 private:
  int ButtonAt(POINT point) const;

  std::vector<Button> m_buttons;
  int m_pressed = -1;
};
