#pragma once
// Watches one KsDeleteProbeHost across a call out: IsDeleted() answers whether
// it was deleted meanwhile.

#include "toolkit/KsDeleteProbeHost.h"

class KsDeleteProbe : public IKsDeleteProbe {
 public:
  explicit KsDeleteProbe(KsDeleteProbeHost* host) : m_host(host) { m_host->AddDeleteProbe(this); }
  ~KsDeleteProbe() {
    if (!m_deleted) m_host->RemoveDeleteProbe(this);
  }
  KsDeleteProbe(const KsDeleteProbe&) = delete;
  KsDeleteProbe& operator=(const KsDeleteProbe&) = delete;

  bool IsDeleted() const { return m_deleted; }
  void OnObjectDeleted(KsDeleteProbeHost*) override { m_deleted = true; }

 private:
  KsDeleteProbeHost* m_host;
  bool m_deleted = false;
};
