#pragma once
// An object whose deletion its registered probes learn of, in registration
// order, from its destructor. Registration is safe from any thread.

#include "toolkit/IKsDeleteProbe.h"

#include <mutex>
#include <vector>

class KsDeleteProbeHost {
 public:
  KsDeleteProbeHost() = default;
  KsDeleteProbeHost(const KsDeleteProbeHost&) = delete;
  KsDeleteProbeHost& operator=(const KsDeleteProbeHost&) = delete;
  virtual ~KsDeleteProbeHost();

  void AddDeleteProbe(IKsDeleteProbe* probe);
  void RemoveDeleteProbe(IKsDeleteProbe* probe);

 private:
  std::mutex m_lock;
  std::vector<IKsDeleteProbe*> m_probes;
};
