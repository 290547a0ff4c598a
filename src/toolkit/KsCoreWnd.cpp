#include "toolkit/KsCoreWnd.h"

#include "toolkit/IKsWndDeleteProbe.h"

#include <algorithm>
#include <mutex>

namespace {
// One lock for every window's probe list: probes register from any thread.
std::mutex& ProbeLock() {
  static std::mutex lock;
  return lock;
}
}  // namespace

KsCoreWnd::~KsCoreWnd() {
  std::unique_ptr<std::vector<IKsWndDeleteProbe*>> probes;
  {
    std::lock_guard lock(ProbeLock());
    probes = std::move(m_probes);
  }
  if (probes)
    for (IKsWndDeleteProbe* probe : *probes) probe->OnWndDeleted(this);
}

void KsCoreWnd::AddDeleteProbe(IKsWndDeleteProbe* probe) {
  std::lock_guard lock(ProbeLock());
  if (!m_probes) m_probes = std::make_unique<std::vector<IKsWndDeleteProbe*>>();
  m_probes->push_back(probe);
}

void KsCoreWnd::RemoveDeleteProbe(IKsWndDeleteProbe* probe) {
  std::lock_guard lock(ProbeLock());
  if (!m_probes) return;
  auto it = std::find(m_probes->begin(), m_probes->end(), probe);
  if (it != m_probes->end()) m_probes->erase(it);
}

ks::sys::UINT KsCoreWnd::GetDoubleClickTime() {
  if (!m_doubleClickTime) m_doubleClickTime = ks::sys::GetDoubleClickTime();
  return m_doubleClickTime;
}

bool KsCoreWnd::IsAlive(bool wholeChain) {
  if (m_state == kAdopted) return Exists();
  if (m_state != kCreated) return false;
  if (!wholeChain) return true;
  KsWnd* parent = GetParentWnd();
  return !parent || parent->IsAlive(true);
}
