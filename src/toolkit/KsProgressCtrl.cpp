#include "toolkit/KsProgressCtrl.h"

#include "toolkit/KsCanvas.h"

#include <algorithm>

void KsProgressCtrl::SetRange(int range) {
  m_range = std::max(1, range);
  m_position = std::clamp(m_position, 0, m_range);
  Invalidate();
}

void KsProgressCtrl::SetPosition(int position) {
  position = std::clamp(position, 0, m_range);
  if (position == m_position) return;
  m_position = position;
  Invalidate();
}

int KsProgressCtrl::GetPercent() const { return int(static_cast<long long>(m_position) * 100 / m_range); }

KsString KsProgressCtrl::GetText() { return KsFormat(u"%d%%", GetPercent()); }

void KsProgressCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, KsCanvas::kFieldColor);
  int inner = client.right - 2;
  int filled = int(static_cast<long long>(inner) * m_position / m_range);
  if (filled > 0) canvas.Fill(RECT{1, 1, 1 + filled, client.bottom - 1}, KsCanvas::kBarColor);
  canvas.Frame(client, KsCanvas::kFrameColor);
}
