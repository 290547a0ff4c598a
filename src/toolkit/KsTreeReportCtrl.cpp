#include "toolkit/KsTreeReportCtrl.h"

#include "toolkit/KsCanvas.h"

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr WPARAM kKeySpace = 0x20, kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;
// Where a row's check box starts, in characters: a group leaves room for its fold mark.
constexpr int kGroupIndent = 2;
constexpr int kItemIndent = 4;

}  // namespace

KsTreeReportCtrl::KsTreeReportCtrl() = default;
KsTreeReportCtrl::~KsTreeReportCtrl() = default;

void KsTreeReportCtrl::AddColumn(const KsChar* title, int width) {
  if (!m_header) {
    m_header = std::make_unique<KsHeaderCtrl>();
    RECT client{};
    GetClientRect(&client);
    if (!m_header->Create(this, RECT{0, 0, client.right, kRowHeight})) return;
  }
  m_header->AddColumn(title, width);
}

int KsTreeReportCtrl::AddGroup(const std::vector<KsString>& texts) {
  m_rows.push_back(Row{texts, true, -1, false, true});
  if (m_current < 0) m_current = int(m_rows.size()) - 1;
  Invalidate();
  return int(m_rows.size()) - 1;
}

int KsTreeReportCtrl::AddItem(int group, const std::vector<KsString>& texts) {
  if (group != -1 && !IsGroup(group)) return -1;
  // Rows keep the index they were given; ShownRows puts items under their group.
  m_rows.push_back(Row{texts, false, group, false, false});
  if (m_current < 0) m_current = int(m_rows.size()) - 1;
  Invalidate();
  return int(m_rows.size()) - 1;
}

KsString KsTreeReportCtrl::GetRowText(int row, int column) const {
  if (!Valid(row) || column < 0 || column >= int(m_rows[std::size_t(row)].texts.size())) return KsString();
  return m_rows[std::size_t(row)].texts[std::size_t(column)];
}

bool KsTreeReportCtrl::IsRowChecked(int row) const {
  if (!Valid(row)) return false;
  if (!m_rows[std::size_t(row)].group) return m_rows[std::size_t(row)].checked;
  bool any = false;
  for (const Row& item : m_rows) {
    if (item.parent != row) continue;
    if (!item.checked) return false;
    any = true;
  }
  return any || m_rows[std::size_t(row)].checked;
}

void KsTreeReportCtrl::SetRowChecked(int row, bool checked) {
  if (!Valid(row)) return;
  m_rows[std::size_t(row)].checked = checked;
  if (m_rows[std::size_t(row)].group)
    for (Row& item : m_rows)
      if (item.parent == row) item.checked = checked;
  Invalidate();
}

void KsTreeReportCtrl::SetExpanded(int group, bool expanded) {
  if (!IsGroup(group)) return;
  m_rows[std::size_t(group)].expanded = expanded;
  // The current row may not vanish into a folded group: its group takes over.
  if (!expanded && Valid(m_current) && m_rows[std::size_t(m_current)].parent == group) m_current = group;
  ScrollToCurrent();
  Invalidate();
}

void KsTreeReportCtrl::SetCurrentRow(int row) {
  if (!Valid(row)) return;
  int parent = m_rows[std::size_t(row)].parent;
  if (parent != -1 && !m_rows[std::size_t(parent)].expanded) SetExpanded(parent, true);
  m_current = row;
  ScrollToCurrent();
  Invalidate();
}

std::vector<int> KsTreeReportCtrl::ShownRows() const {
  std::vector<int> shown;
  for (int i = 0; i < int(m_rows.size()); ++i) {
    const Row& row = m_rows[std::size_t(i)];
    if (row.parent != -1) continue;
    shown.push_back(i);
    if (!row.group || !row.expanded) continue;
    for (int item = i + 1; item < int(m_rows.size()); ++item)
      if (m_rows[std::size_t(item)].parent == i) shown.push_back(item);
  }
  return shown;
}

int KsTreeReportCtrl::VisibleRowCount() {
  RECT client{};
  GetClientRect(&client);
  return std::max(1, int(client.bottom - kRowHeight) / kRowHeight);
}

void KsTreeReportCtrl::ScrollToCurrent() {
  std::vector<int> shown = ShownRows();
  auto it = std::find(shown.begin(), shown.end(), m_current);
  if (it == shown.end()) return;
  int index = int(it - shown.begin());
  int visible = VisibleRowCount();
  if (index < m_firstShown) m_firstShown = index;
  if (index >= m_firstShown + visible) m_firstShown = index - visible + 1;
  m_firstShown = std::clamp(m_firstShown, 0, std::max(0, int(shown.size()) - visible));
}

int KsTreeReportCtrl::RowAt(POINT point) {
  if (point.y < kRowHeight) return -1;
  std::vector<int> shown = ShownRows();
  int index = m_firstShown + int(point.y - kRowHeight) / kRowHeight;
  return index >= 0 && index < int(shown.size()) ? shown[std::size_t(index)] : -1;
}

void KsTreeReportCtrl::Toggle(int row) {
  if (!Valid(row) || !IsEnabled()) return;
  SetRowChecked(row, !IsRowChecked(row));
  NotifyHost(kCheckChangedCode);
}

bool KsTreeReportCtrl::OnSize(int, int width, int) {
  if (m_header) m_header->MoveAndSize(RECT{0, 0, width, kRowHeight});
  ScrollToCurrent();
  return false;
}

bool KsTreeReportCtrl::OnLeftUp(POINT point, WPARAM) {
  int row = RowAt(point);
  if (row < 0) return true;
  m_current = row;
  int indent = m_rows[std::size_t(row)].group ? kGroupIndent : kItemIndent;
  if (point.x >= indent * m_charWidth && point.x < (indent + 3) * m_charWidth) Toggle(row);
  else if (m_rows[std::size_t(row)].group && point.x < indent * m_charWidth) SetExpanded(row, !IsExpanded(row));
  Invalidate();
  return true;
}

bool KsTreeReportCtrl::OnKeyDown(WPARAM key, LPARAM) {
  std::vector<int> shown = ShownRows();
  auto it = std::find(shown.begin(), shown.end(), m_current);
  int index = it == shown.end() ? -1 : int(it - shown.begin());
  switch (key) {
    case kKeyUp:
      if (index > 0) SetCurrentRow(shown[std::size_t(index - 1)]);
      return true;
    case kKeyDown:
      if (index + 1 < int(shown.size())) SetCurrentRow(shown[std::size_t(index + 1)]);
      return true;
    case kKeySpace: Toggle(m_current); return true;
    case kKeyLeft:
      if (IsGroup(m_current)) SetExpanded(m_current, false);
      else if (Valid(m_current) && m_rows[std::size_t(m_current)].parent != -1)
        SetCurrentRow(m_rows[std::size_t(m_current)].parent);
      return true;
    case kKeyRight:
      if (IsGroup(m_current)) SetExpanded(m_current, true);
      return true;
    default: return false;
  }
}

void KsTreeReportCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, KsCanvas::kFieldColor);
  m_charWidth = std::max(1, canvas.TextWidth(u"x", 1));
  std::vector<int> shown = ShownRows();
  int visible = VisibleRowCount();
  for (int i = 0; i < visible && m_firstShown + i < int(shown.size()); ++i) {
    int index = shown[std::size_t(m_firstShown + i)];
    const Row& row = m_rows[std::size_t(index)];
    int top = kRowHeight * (i + 1);
    int indent = (row.group ? kGroupIndent : kItemIndent) * m_charWidth;
    canvas.SetBold(false);
    if (index == m_current && HasFocus()) canvas.DrawText(u">", 1, RECT{0, top, m_charWidth, top + kRowHeight}, DT_LEFT);
    if (row.group)
      canvas.DrawText(row.expanded ? u"-" : u"+", 1, RECT{m_charWidth, top, 2 * m_charWidth, top + kRowHeight},
                      DT_LEFT | DT_VCENTER);
    canvas.DrawText(IsRowChecked(index) ? u"[x]" : u"[ ]", 3, RECT{indent, top, indent + 3 * m_charWidth, top + kRowHeight},
                    DT_LEFT | DT_VCENTER);
    canvas.SetBold(row.group);
    for (std::size_t column = 0; column < row.texts.size(); ++column) {
      int left = m_header ? m_header->GetColumnLeft(int(column)) : 0;
      int right = m_header && column + 1 < m_header->GetColumns().size() ? m_header->GetColumnLeft(int(column) + 1)
                                                                          : client.right;
      if (column == 0) left = indent + 4 * m_charWidth;
      canvas.DrawText(row.texts[column], RECT{left, top, right - m_charWidth / 2, top + kRowHeight}, DT_LEFT | DT_VCENTER);
    }
  }
  canvas.SetBold(false);
}
