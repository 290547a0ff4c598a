#include "toolkit/KsCompositeWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

#include <algorithm>

void KsCompositeWnd::AddChild(KsWnd* child) {
  RemoveChild(child);
  m_children.push_back(std::make_unique<KsWndPtr>(child));
}

void KsCompositeWnd::RemoveChild(KsWnd* child) {
  std::erase_if(m_children, [&](const std::unique_ptr<KsWndPtr>& pointer) {
    return !pointer->Get() || pointer->Get() == child;
  });
}

std::vector<KsWnd*> KsCompositeWnd::GetChildren() const {
  std::vector<KsWnd*> children;
  for (auto& pointer : m_children)
    if (pointer->Get()) children.push_back(pointer->Get());
  return children;
}

KsWnd* KsCompositeWnd::ChildAt(POINT point) {
  POINT screen = point;
  if (!ClientToScreen(&screen)) return nullptr;
  for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
    KsWnd* child = (*it)->Get();
    RECT rect{};
    if (!child || !child->IsVisible() || !child->GetWindowRect(&rect)) continue;
    if (screen.x >= rect.left && screen.x < rect.right && screen.y >= rect.top && screen.y < rect.bottom) return child;
  }
  return nullptr;
}

bool KsCompositeWnd::RouteMouse(POINT point, WPARAM keys, MouseEvent event) {
  KsWnd* child = ChildAt(point);
  if (!child || !child->IsEnabled()) return false;
  RECT childRect{};
  POINT origin{0, 0};
  child->GetWindowRect(&childRect);
  ClientToScreen(&origin);
  POINT inChild{point.x + origin.x - childRect.left, point.y + origin.y - childRect.top};
  // The child's handler may delete this composite; nothing here touches it afterwards.
  KsWndDeleteProbe probe(this);
  bool handled = (child->*event)(inChild, keys);
  if (probe.IsDeleted()) return true;
  return handled;
}

bool KsCompositeWnd::OnMouseMove(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnMouseMove); }
bool KsCompositeWnd::OnLeftDown(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnLeftDown); }
bool KsCompositeWnd::OnLeftUp(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnLeftUp); }
bool KsCompositeWnd::OnMiddleDown(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnMiddleDown); }
bool KsCompositeWnd::OnMiddleUp(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnMiddleUp); }
bool KsCompositeWnd::OnRightDown(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnRightDown); }
bool KsCompositeWnd::OnRightUp(POINT p, WPARAM k) { return RouteMouse(p, k, &KsWndEvents::OnRightUp); }
bool KsCompositeWnd::OnLeftDoubleClick(POINT p, WPARAM k) {
  return RouteMouse(p, k, &KsWndEvents::OnLeftDoubleClick);
}
