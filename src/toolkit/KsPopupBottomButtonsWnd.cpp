#include "toolkit/KsPopupBottomButtonsWnd.h"

#include "toolkit/KsCanvas.h"

void KsPopupBottomButtonsWnd::AddButton(int commandId, const KsChar* text) {
  m_buttons.push_back(Button{commandId, KsString(text), RECT{}});
}

void KsPopupBottomButtonsWnd::LayOutButtons(int spacing, int leftId) {
  RECT client{};
  if (!GetClientRect(&client)) return;
  int right = client.right;
  for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it) {
    if (it->commandId == leftId) {
      it->rect = RECT{0, 0, kButtonWidth, kButtonHeight};
      continue;
    }
    it->rect = RECT{right - kButtonWidth, 0, right, kButtonHeight};
    right -= kButtonWidth + spacing;
  }
}

bool KsPopupBottomButtonsWnd::GetButtonRect(int commandId, RECT* rect) {
  RECT row{};
  if (!KsControlWnd::GetWindowRect(&row) || !GetParentWnd()) return false;
  POINT origin{0, 0};
  GetParentWnd()->ClientToScreen(&origin);
  for (auto& button : m_buttons) {
    if (button.commandId != commandId) continue;
    int left = row.left - origin.x + button.rect.left, top = row.top - origin.y + button.rect.top;
    *rect = RECT{left, top, left + kButtonWidth, top + kButtonHeight};
    return true;
  }
  return false;
}

int KsPopupBottomButtonsWnd::ButtonAt(POINT point) const {
  for (auto& button : m_buttons)
    if (point.x >= button.rect.left && point.x < button.rect.right && point.y >= button.rect.top &&
        point.y < button.rect.bottom)
      return button.commandId;
  return -1;
}

bool KsPopupBottomButtonsWnd::OnLeftDown(POINT point, WPARAM) {
  m_pressed = ButtonAt(point);
  return m_pressed != -1;
}

bool KsPopupBottomButtonsWnd::OnLeftUp(POINT point, WPARAM) {
  int released = ButtonAt(point);
  bool click = released != -1 && released == m_pressed;
  m_pressed = -1;
  if (click && GetParentWnd()) GetParentWnd()->PostMessage(ks::sys::WM_COMMAND, ks::sys::WPARAM(released), 0);
  return click;
}

void KsPopupBottomButtonsWnd::Paint(KsCanvas& canvas) {
  for (auto& button : m_buttons) {
    canvas.Fill(button.rect, KsCanvas::kFaceColor);
    canvas.Frame(button.rect, KsCanvas::kFrameColor);
    canvas.SetBold(button.commandId == 1);
    int inset = canvas.TextWidth(u" ", 1);  // clear of the frame, whatever the font
    RECT inner{button.rect.left + inset, button.rect.top, button.rect.right - inset, button.rect.bottom};
    canvas.DrawText(button.text, inner, ks::sys::DT_CENTER | ks::sys::DT_VCENTER);
  }
  canvas.SetBold(false);
}
