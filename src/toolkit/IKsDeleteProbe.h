#pragma once
// Told when an object that is not a window (a KsDeleteProbeHost) is being deleted.

class KsDeleteProbeHost;

class IKsDeleteProbe {
 public:
  virtual void OnObjectDeleted(KsDeleteProbeHost* host) = 0;

 protected:
  ~IKsDeleteProbe() = default;
};
