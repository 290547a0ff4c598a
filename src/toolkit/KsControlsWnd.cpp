#include "toolkit/KsControlsWnd.h"

#include "toolkit/KsCanvas.h"
#include "toolkit/KsControlWnd.h"
#include "toolkit/KsWndDeleteProbe.h"

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr WPARAM kKeyTab = 0x09;
constexpr WPARAM kKeyEnter = 0x0D;
constexpr WPARAM kKeyShift = 0x10;
constexpr WPARAM kKeyEscape = 0x1B;

void Collect(KsCompositeWnd* parent, std::vector<KsControlWnd*>* out) {
  for (KsWnd* child : parent->GetChildren()) {
    auto* control = dynamic_cast<KsControlWnd*>(child);
    if (!control) continue;
    out->push_back(control);
    Collect(control, out);
  }
}

// Visible and enabled up to the host: a hidden group hides its controls.
bool Reachable(KsControlWnd* control, KsWnd* host) {
  for (KsWnd* window = control; window && window != host; window = window->GetParentWnd())
    if (!window->IsVisible() || !window->IsEnabled()) return false;
  return true;
}

bool Contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace

std::vector<KsControlWnd*> KsControlsWnd::GetControls() {
  std::vector<KsControlWnd*> controls;
  Collect(this, &controls);
  return controls;
}

KsControlWnd* KsControlsWnd::GetFocusControl() { return static_cast<KsControlWnd*>(m_focus.Get()); }

bool KsControlsWnd::SetFocusControl(KsControlWnd* control) {
  if (control && control->GetHost() != this) return false;
  KsControlWnd* old = GetFocusControl();
  if (old == control) return true;
  m_focus = control;
  KsWndDeleteProbe probe(this);
  if (old) old->OnFocusChanged(false);
  if (probe.IsDeleted()) return false;
  if (control && m_focus.Get() == control) control->OnFocusChanged(true);
  if (probe.IsDeleted()) return false;
  Invalidate();
  return true;
}

bool KsControlsWnd::MoveFocus(bool backward) {
  std::vector<KsControlWnd*> stops;
  for (KsControlWnd* control : GetControls())
    if (control->IsFocusable() && Reachable(control, this)) stops.push_back(control);
  if (stops.empty()) return false;
  auto current = std::find(stops.begin(), stops.end(), GetFocusControl());
  std::size_t next;
  if (current == stops.end()) next = backward ? stops.size() - 1 : 0;
  else if (backward) next = (std::size_t(current - stops.begin()) + stops.size() - 1) % stops.size();
  else next = (std::size_t(current - stops.begin()) + 1) % stops.size();
  return SetFocusControl(stops[next]);
}

KsControlWnd* KsControlsWnd::DefaultButton() {
  for (KsControlWnd* control : GetControls())
    if (control->IsDefaultButton() && Reachable(control, this)) return control;
  return nullptr;
}

void KsControlsWnd::PaintBackground(KsCanvas& canvas, const RECT& client) { canvas.Fill(client, KsCanvas::kFaceColor); }

bool KsControlsWnd::OnPaint(HDC dc, const RECT&) {
  RECT client{};
  if (!GetClientRect(&client)) return false;
  KsCanvas canvas(dc);
  PaintBackground(canvas, client);
  KsControlWnd* focus = GetFocusControl();
  for (KsControlWnd* control : GetControls()) {
    RECT rect{};
    bool hidden = false;
    for (KsWnd* window = control; window && window != this; window = window->GetParentWnd())
      hidden = hidden || !window->IsVisible();
    if (hidden || !control->GetRectInHost(&rect)) continue;
    canvas.SetOrigin(rect.left, rect.top);
    canvas.SetBold(false);
    canvas.SetTextColor(control->IsEnabled() ? KsCanvas::kTextColor : KsCanvas::kDisabledTextColor);
    control->Paint(canvas);
    if (control == focus) canvas.FocusFrame(control->GetFocusRect(canvas));
  }
  return true;
}

bool KsControlsWnd::OnKeyDown(WPARAM key, LPARAM flags) {
  KsWndDeleteProbe probe(this);
  KsControlWnd* focus = GetFocusControl();
  if (focus && Reachable(focus, this) && key != kKeyTab) {
    bool handled = focus->OnKeyDown(key, flags);
    if (probe.IsDeleted() || handled) return true;
  }
  switch (key) {
    case kKeyTab: MoveFocus((GetKeyState(int(kKeyShift)) & 0x8000) != 0); return true;
    case kKeyEnter: {
      // A focused button took Enter itself above.
      if (KsControlWnd* target = DefaultButton()) target->Press();
      else PostMessage(WM_COMMAND, WPARAM(kIdOk), 0);
      return true;
    }
    case kKeyEscape: PostMessage(WM_COMMAND, WPARAM(kIdCancel), 0); return true;
    default: return false;
  }
}

bool KsControlsWnd::OnKeyUp(WPARAM key, LPARAM flags) {
  KsControlWnd* focus = GetFocusControl();
  return focus && Reachable(focus, this) && focus->OnKeyUp(key, flags);
}

bool KsControlsWnd::OnChar(WPARAM character, LPARAM flags) {
  KsControlWnd* focus = GetFocusControl();
  return focus && Reachable(focus, this) && focus->OnChar(character, flags);
}

// A press moves the focus to the deepest focusable control under the point, then goes the usual way.
bool KsControlsWnd::OnLeftDown(POINT point, WPARAM keys) {
  KsControlWnd* target = nullptr;
  for (KsControlWnd* control : GetControls()) {
    RECT rect{};
    if (control->IsFocusable() && Reachable(control, this) && control->GetRectInHost(&rect) && Contains(rect, point))
      target = control;
  }
  KsWndDeleteProbe probe(this);
  if (target) SetFocusControl(target);
  if (probe.IsDeleted()) return true;
  return KsDrawWnd::OnLeftDown(point, keys);
}
