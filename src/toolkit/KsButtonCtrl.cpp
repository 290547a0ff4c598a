#include "toolkit/KsButtonCtrl.h"

#include "toolkit/KsCanvas.h"

using namespace ks::sys;

void KsButtonCtrl::SetDefault(bool isDefault) {
  m_default = isDefault;
  Invalidate();
}

void KsButtonCtrl::Press() {
  if (!IsEnabled()) return;
  if (!m_clickHandler) {
    NotifyHost(0);
    return;
  }
  std::function<void()> handler = m_clickHandler;  // a copy: the call may delete this button
  handler();
}

void KsButtonCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, m_pressed ? KsCanvas::kFrameColor : KsCanvas::kFaceColor);
  canvas.Frame(client, KsCanvas::kFrameColor);
  canvas.SetBold(m_default);
  int inset = canvas.TextWidth(u" ", 1);  // clear of the frame, whatever the font
  RECT inner{client.left + inset, client.top, client.right - inset, client.bottom};
  canvas.DrawText(GetText(), inner, DT_CENTER | DT_VCENTER);
}

bool KsButtonCtrl::OnLeftDown(POINT, WPARAM) {
  m_pressed = true;
  Invalidate();
  return true;
}

bool KsButtonCtrl::OnLeftUp(POINT point, WPARAM) {
  RECT client{};
  GetClientRect(&client);
  bool inside = point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom;
  bool click = m_pressed && inside;
  m_pressed = false;
  Invalidate();
  if (click) Press();
  return true;
}

bool KsButtonCtrl::OnKeyDown(WPARAM key, LPARAM) {
  if (key != 0x20 && key != 0x0D) return false;  // Space, Enter
  Press();
  return true;
}
