#include "toolkit/KsHeaderCtrl.h"

#include "toolkit/KsCanvas.h"

void KsHeaderCtrl::AddColumn(const KsChar* title, int width) {
  m_columns.push_back(Column{KsString(title ? title : u""), width});
  Invalidate();
}

int KsHeaderCtrl::GetColumnLeft(int index) const {
  int left = 0;
  for (int i = 0; i < index && i < int(m_columns.size()); ++i) left += m_columns[std::size_t(i)].width;
  return left;
}

// The titles, tab-separated, so a test or a reader sees every column.
KsString KsHeaderCtrl::GetText() {
  KsString text;
  for (std::size_t i = 0; i < m_columns.size(); ++i) {
    if (i) text += u'\t';
    text += m_columns[i].title;
  }
  return text;
}

void KsHeaderCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, KsCanvas::kFaceColor);
  canvas.SetBold(true);
  for (std::size_t i = 0; i < m_columns.size(); ++i) {
    int left = GetColumnLeft(int(i));
    int right = i + 1 == m_columns.size() ? client.right : left + m_columns[i].width;
    canvas.DrawText(m_columns[i].title, RECT{left, 0, right, client.bottom}, ks::sys::DT_LEFT | ks::sys::DT_VCENTER);
  }
  canvas.SetBold(false);
}
