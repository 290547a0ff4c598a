#pragma once
// Watches one window across a call out: IsDeleted() answers whether the window
// object was deleted meanwhile. Deregisters itself when it goes out of scope.

#include "toolkit/IKsWndDeleteProbe.h"

class KsWndDeleteProbe : public IKsWndDeleteProbe {
 public:
  explicit KsWndDeleteProbe(KsWnd* window);
  ~KsWndDeleteProbe();
  KsWndDeleteProbe(const KsWndDeleteProbe&) = delete;
  KsWndDeleteProbe& operator=(const KsWndDeleteProbe&) = delete;

  bool IsDeleted() const { return m_deleted; }
  void OnWndDeleted(KsWnd* window) override;

 private:
  KsWnd* m_window;
  bool m_deleted = false;
};
