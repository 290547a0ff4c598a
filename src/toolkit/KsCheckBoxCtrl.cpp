#include "toolkit/KsCheckBoxCtrl.h"

#include "toolkit/KsCanvas.h"

#include <algorithm>

using namespace ks::sys;

void KsCheckBoxCtrl::SetChecked(bool checked) {
  if (m_checked == checked) return;
  m_checked = checked;
  Invalidate();
}

void KsCheckBoxCtrl::Press() {
  if (!IsEnabled()) return;
  SetChecked(!m_checked);
  NotifyHost(0);
}

void KsCheckBoxCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  int boxWidth = canvas.TextWidth(u"[x]", 3);
  int lineHeight = canvas.LineHeight();
  int top = (client.bottom - lineHeight) / 2;
  RECT box{0, top, boxWidth, top + lineHeight};
  canvas.Fill(box, KsCanvas::kFieldColor);
  canvas.Frame(box, KsCanvas::kFrameColor);
  if (m_checked) canvas.DrawText(u"x", 1, box, DT_CENTER | DT_VCENTER);
  int gap = canvas.TextWidth(u" ", 1);
  canvas.DrawText(GetText(), RECT{boxWidth + gap, 0, client.right, client.bottom}, DT_LEFT | DT_VCENTER);
}

ks::sys::RECT KsCheckBoxCtrl::GetFocusRect(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  int left = canvas.TextWidth(u"[x]", 3);
  int right = left + 2 * canvas.TextWidth(u" ", 1) + canvas.TextWidth(GetText());
  return RECT{left, 0, std::min<int>(right, client.right), client.bottom};
}

bool KsCheckBoxCtrl::OnLeftUp(POINT point, WPARAM) {
  RECT client{};
  GetClientRect(&client);
  if (point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom) Press();
  return true;
}

bool KsCheckBoxCtrl::OnKeyDown(WPARAM key, LPARAM) {
  if (key != 0x20) return false;  // Space
  Press();
  return true;
}
