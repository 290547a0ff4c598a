#include "toolkit/KsDeleteProbeHost.h"
#include "toolkit/KsWnd.h"
#include "toolkit/KsWndDeleteProbe.h"

KsDeleteProbeHost::~KsDeleteProbeHost() {
  std::vector<IKsDeleteProbe*> probes;
  {
    std::lock_guard lock(m_lock);
    probes.swap(m_probes);
  }
  for (IKsDeleteProbe* probe : probes) probe->OnObjectDeleted(this);
}

void KsDeleteProbeHost::AddDeleteProbe(IKsDeleteProbe* probe) {
  std::lock_guard lock(m_lock);
  m_probes.push_back(probe);
}

void KsDeleteProbeHost::RemoveDeleteProbe(IKsDeleteProbe* probe) {
  std::lock_guard lock(m_lock);
  std::erase(m_probes, probe);
}

KsWndDeleteProbe::KsWndDeleteProbe(KsWnd* window) : m_window(window) { m_window->AddDeleteProbe(this); }

KsWndDeleteProbe::~KsWndDeleteProbe() {
  if (!m_deleted) m_window->RemoveDeleteProbe(this);
}

void KsWndDeleteProbe::OnWndDeleted(KsWnd*) { m_deleted = true; }
