#include "toolkit/KsRadioArray.h"

#include "toolkit/KsCanvas.h"

using namespace ks::sys;

KsRadioArray::KsRadioArray() = default;
KsRadioArray::~KsRadioArray() = default;

int KsRadioArray::AddOption(const KsChar* title, const KsChar* description) {
  int index = int(m_options.size());
  auto option = std::make_unique<KsRadioOptionCtrl>(this, index, description);
  if (!option->Create(this, RECT{0, 0, 0, 0})) return -1;
  option->SetText(title);
  option->SetCommandId(GetCommandId());
  m_options.push_back(std::move(option));
  LayOutOptions();
  return index;
}

KsRadioOptionCtrl* KsRadioArray::GetOption(int index) {
  return index >= 0 && index < int(m_options.size()) ? m_options[std::size_t(index)].get() : nullptr;
}

void KsRadioArray::SetSelection(int index) {
  if (index < -1 || index >= int(m_options.size())) return;
  m_selection = index;
  Invalidate();
}

void KsRadioArray::Choose(int index) {
  KsRadioOptionCtrl* option = GetOption(index);
  if (!option || !IsEnabled()) return;
  bool changed = index != m_selection;
  SetSelection(index);
  option->SetFocus();
  if (changed) NotifyHost(0);
}

int KsRadioArray::GetContentHeight() {
  int height = GetText().IsEmpty() ? 0 : kRowHeight + kRowHeight / 2;
  for (auto& option : m_options) height += (option->GetDescription().IsEmpty() ? 1 : 2) * kRowHeight + kRowHeight / 2;
  return height;
}

void KsRadioArray::LayOutOptions() {
  RECT client{};
  if (!GetClientRect(&client)) return;
  int top = GetText().IsEmpty() ? 0 : kRowHeight + kRowHeight / 2;
  for (auto& option : m_options) {
    int height = (option->GetDescription().IsEmpty() ? 1 : 2) * kRowHeight;
    option->MoveAndSize(RECT{0, top, client.right, top + height});
    top += height + kRowHeight / 2;
  }
}

bool KsRadioArray::OnSize(int, int, int) {
  LayOutOptions();
  return false;
}

void KsRadioArray::Paint(KsCanvas& canvas) {
  if (GetText().IsEmpty()) return;
  RECT client{};
  GetClientRect(&client);
  canvas.SetBold(true);
  canvas.DrawText(GetText(), RECT{0, 0, client.right, kRowHeight}, DT_LEFT | DT_VCENTER);
}

bool KsRadioOptionCtrl::IsFocusable() {
  int selection = m_group->GetSelection();
  return selection == m_index || (selection == -1 && m_index == 0);
}

void KsRadioOptionCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  const KsChar* mark = IsChecked() ? u"(o)" : u"( )";
  int markWidth = canvas.TextWidth(mark, 3);
  int indent = markWidth + canvas.TextWidth(u" ", 1);
  int row = KsRadioArray::kRowHeight;
  canvas.DrawText(mark, 3, RECT{0, 0, markWidth, row}, DT_LEFT | DT_VCENTER);
  canvas.DrawText(GetText(), RECT{indent, 0, client.right, row}, DT_LEFT | DT_VCENTER);
  if (!m_description.IsEmpty())
    canvas.DrawText(m_description, RECT{indent, row, client.right, 2 * row}, DT_LEFT | DT_VCENTER);
}

ks::sys::RECT KsRadioOptionCtrl::GetFocusRect(KsCanvas& canvas) {
  int space = canvas.TextWidth(u" ", 1);
  int left = canvas.TextWidth(u"( )", 3);
  return RECT{left, 0, left + 2 * space + canvas.TextWidth(GetText()), KsRadioArray::kRowHeight};
}

bool KsRadioOptionCtrl::OnLeftUp(POINT point, WPARAM) {
  RECT client{};
  GetClientRect(&client);
  if (point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom) Press();
  return true;
}

bool KsRadioOptionCtrl::OnKeyDown(WPARAM key, LPARAM) {
  int count = m_group->GetOptionCount();
  switch (key) {
    case 0x25: case 0x26: m_group->Choose((m_index + count - 1) % count); return true;  // Left, Up
    case 0x27: case 0x28: m_group->Choose((m_index + 1) % count); return true;          // Right, Down
    case 0x20: Press(); return true;                                                       // Space
    default: return false;
  }
}
