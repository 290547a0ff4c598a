#pragma once
// Told when a window object is being deleted; registered on the window with
// KsWnd::AddDeleteProbe. Probes never keep a window alive.

class KsWnd;

class IKsWndDeleteProbe {
 public:
  virtual void OnWndDeleted(KsWnd* window) = 0;

 protected:
  ~IKsWndDeleteProbe() = default;
};
