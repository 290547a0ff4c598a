#pragma once
// A window with child windows (usually windowless controls): mouse events go
// to the visible, enabled child under the point, in that child's coordinates.
// Children are held weakly; a deleted child drops out by itself.

#include "toolkit/KsLayoutWnd.h"
#include "toolkit/KsWndPtr.h"

#include <memory>
#include <vector>

class KsCompositeWnd : public KsLayoutWnd {
 public:
  void AddChild(KsWnd* child);
  void RemoveChild(KsWnd* child);
  // The visible child whose window rectangle holds the client point, the last added first.
  KsWnd* ChildAt(POINT point);
  // The live children in the order they were added.
  std::vector<KsWnd*> GetChildren() const;

  bool OnMouseMove(POINT point, WPARAM keys) override;
  bool OnLeftDown(POINT point, WPARAM keys) override;
  bool OnLeftUp(POINT point, WPARAM keys) override;
  bool OnMiddleDown(POINT point, WPARAM keys) override;
  bool OnMiddleUp(POINT point, WPARAM keys) override;
  bool OnRightDown(POINT point, WPARAM keys) override;
  bool OnRightUp(POINT point, WPARAM keys) override;
  bool OnLeftDoubleClick(POINT point, WPARAM keys) override;

 private:
  using MouseEvent = bool (KsWndEvents::*)(POINT, WPARAM);
  bool RouteMouse(POINT point, WPARAM keys, MouseEvent event);

  std::vector<std::unique_ptr<KsWndPtr>> m_children;
};
