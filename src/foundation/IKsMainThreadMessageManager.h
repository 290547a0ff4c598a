#pragma once
// IKsMainThreadMessageManager: the widget toolkit's main-thread message
// manager as objects of the foundation see it. Until the toolkit installs one,
// KsMainThreadMessageManager() is null and registering does nothing.

class IMainThreadMessageManagerCallback;

class IKsMainThreadMessageManager {
 public:
  virtual void Register(IMainThreadMessageManagerCallback* callback) = 0;
  virtual void Unregister(IMainThreadMessageManagerCallback* callback) = 0;
  // The manager's per-object operation, run for a registered object.
  virtual void Process(IMainThreadMessageManagerCallback* callback) = 0;

 protected:
  ~IKsMainThreadMessageManager() = default;
};

// The process's manager, or null; set by the toolkit on the main thread.
IKsMainThreadMessageManager* KsMainThreadMessageManager() noexcept;
void SetKsMainThreadMessageManager(IKsMainThreadMessageManager* manager) noexcept;
