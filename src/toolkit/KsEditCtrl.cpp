#include "toolkit/KsEditCtrl.h"

#include "toolkit/KsCanvas.h"
#include "toolkit/KsControlsWnd.h"

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr WPARAM kKeyBack = 0x08, kKeyEnter = 0x0D, kKeyEscape = 0x1B, kKeyEnd = 0x23, kKeyHome = 0x24,
                 kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28, kKeyDelete = 0x2E;

KsString Joined(const KsString& left, const KsString& right) {
  KsString text = left;
  text += right;
  return text;
}

}  // namespace

KsEditCtrl::KsEditCtrl() = default;
KsEditCtrl::~KsEditCtrl() = default;

bool KsEditCtrl::SetText(const KsChar* text) {
  if (!KsControlWnd::SetText(text)) return false;
  m_caret = GetText().GetLength();
  CloseList();
  return true;
}

std::vector<KsString> KsEditCtrl::GetSuggestions(const KsString& text) {
  return m_source ? m_source(text) : std::vector<KsString>();
}

std::vector<KsString> KsEditCtrl::GetShownSuggestions() const {
  return m_list && m_list->IsVisible() ? m_list->GetItems() : std::vector<KsString>();
}

int KsEditCtrl::PartStart() {
  if (!m_separator) return 0;
  return GetText().ReverseFindChar(m_separator) + 1;
}

void KsEditCtrl::AcceptSuggestion(const KsString& suggestion) {
  KsString text = Joined(GetText().Left(PartStart()), suggestion);
  KsControlWnd::SetText(text);
  m_caret = text.GetLength();
  CloseList();
  NotifyHost(kChangedCode);
}

void KsEditCtrl::Edited() {
  Invalidate();
  NotifyHost(kChangedCode);
  UpdateSuggestions();
}

void KsEditCtrl::UpdateSuggestions() {
  KsString text = GetText();
  KsString part = text.Mid(PartStart());
  std::vector<KsString> matches;
  if (!part.IsEmpty() || m_separator)
    for (KsString& suggestion : GetSuggestions(text))
      if (suggestion.StartsWith(part, true) && !suggestion.Equals(part)) matches.push_back(suggestion);
  if (matches.empty()) {
    CloseList();
    return;
  }
  KsControlsWnd* host = GetHost();
  RECT rect{};
  if (!host || !GetRectInHost(&rect)) return;
  if (!m_list) {
    m_list = std::make_unique<KsSuggestionListCtrl>(this);
    if (!m_list->Create(host, RECT{0, 0, 0, 0})) {
      m_list.reset();
      return;
    }
  }
  int rows = std::min<int>(kListRows, int(matches.size()));
  int rowHeight = rect.bottom - rect.top;
  m_list->MoveAndSize(RECT{rect.left, rect.bottom, rect.right, rect.bottom + rows * rowHeight});
  m_list->SetItems(std::move(matches));
  m_list->Show(SW_SHOW);
}

void KsEditCtrl::CloseList() {
  if (m_list) m_list->Show(SW_HIDE);
}

void KsEditCtrl::OnFocusChanged(bool focused) {
  if (!focused) CloseList();
  Invalidate();
}

bool KsEditCtrl::OnDestroy() {
  if (m_list) m_list->Destroy();
  return KsControlWnd::OnDestroy();
}

bool KsEditCtrl::OnKeyDown(WPARAM key, LPARAM) {
  KsString text = GetText();
  bool listShown = m_list && m_list->IsVisible();
  switch (key) {
    case kKeyBack:
      if (m_caret == 0) return true;
      KsControlWnd::SetText(Joined(text.Left(m_caret - 1), text.Mid(m_caret)));
      --m_caret;
      Edited();
      return true;
    case kKeyDelete:
      if (m_caret >= text.GetLength()) return true;
      KsControlWnd::SetText(Joined(text.Left(m_caret), text.Mid(m_caret + 1)));
      Edited();
      return true;
    case kKeyLeft: m_caret = std::max(0, m_caret - 1); Invalidate(); return true;
    case kKeyRight: m_caret = std::min(text.GetLength(), m_caret + 1); Invalidate(); return true;
    case kKeyHome: m_caret = 0; Invalidate(); return true;
    case kKeyEnd: m_caret = text.GetLength(); Invalidate(); return true;
    case kKeyDown:
    case kKeyUp:
      if (!listShown) return false;
      m_list->MovePick(key == kKeyDown ? 1 : -1);
      return true;
    case kKeyEnter:
      if (!listShown || m_list->GetPick() < 0) return false;
      AcceptSuggestion(m_list->GetItems()[std::size_t(m_list->GetPick())]);
      return true;
    case kKeyEscape:
      if (!listShown) return false;
      CloseList();
      return true;
    default: return false;
  }
}

bool KsEditCtrl::OnChar(WPARAM character, LPARAM) {
  if (character < 0x20 || character == 0x7F || !IsEnabled()) return character < 0x20;
  KsString text = GetText();
  KsChar typed[2] = {KsChar(character), 0};
  KsControlWnd::SetText(Joined(Joined(text.Left(m_caret), typed), text.Mid(m_caret)));
  ++m_caret;
  Edited();
  return true;
}

void KsEditCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, KsCanvas::kFieldColor);
  canvas.Frame(client, KsCanvas::kFrameColor);
  // Shows the end of a text too long for the field, so the caret stays in view.
  KsString text = GetText();
  int inset = canvas.TextWidth(u" ", 1);  // clear of the frame, whatever the font
  int room = client.right - 2 * inset;
  int first = 0;
  while (first < m_caret && canvas.TextWidth(text.Chars() + first, m_caret - first) > room) ++first;
  RECT inner{inset, client.top, client.right - inset, client.bottom};
  canvas.DrawText(text.Chars() + first, text.GetLength() - first, inner, DT_LEFT | DT_VCENTER);
}

void KsSuggestionListCtrl::SetItems(std::vector<KsString> items) {
  m_items = std::move(items);
  m_pick = -1;
  Invalidate();
}

void KsSuggestionListCtrl::MovePick(int step) {
  if (m_items.empty()) return;
  int count = int(m_items.size());
  m_pick = m_pick < 0 ? (step > 0 ? 0 : count - 1) : (m_pick + step + count) % count;
  Invalidate();
}

void KsSuggestionListCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.Fill(client, KsCanvas::kFieldColor);
  int rows = std::min<int>(KsEditCtrl::kListRows, int(m_items.size()));
  if (rows == 0) return;
  int rowHeight = client.bottom / rows;
  int markWidth = canvas.TextWidth(u"> ", 2);
  for (int i = 0; i < rows; ++i) {
    RECT row{0, i * rowHeight, client.right, (i + 1) * rowHeight};
    if (i == m_pick) canvas.DrawText(u">", 1, row, DT_LEFT | DT_VCENTER);
    canvas.DrawText(m_items[std::size_t(i)], RECT{markWidth, row.top, row.right, row.bottom}, DT_LEFT | DT_VCENTER);
  }
}

bool KsSuggestionListCtrl::OnLeftUp(POINT point, WPARAM) {
  int rows = std::min<int>(KsEditCtrl::kListRows, int(m_items.size()));
  RECT client{};
  GetClientRect(&client);
  if (rows == 0 || client.bottom <= 0) return true;
  int index = point.y * rows / client.bottom;
  if (index >= 0 && index < rows) m_edit->AcceptSuggestion(m_items[std::size_t(index)]);
  return true;
}
