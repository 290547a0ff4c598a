#pragma once
// State every window shares: its lifecycle state, a pointer to its parent, its
// delete probes (told from the destructor, in registration order), and the
// thread and process that created it.

#include "toolkit/KsWnd.h"
#include "toolkit/KsWndPtr.h"

#include <memory>
#include <vector>

class KsCoreWnd : public KsWnd {
 public:
  enum State { kNone = 0, kBeingCreated = 1, kCreated = 2, kForeignWrapper = 5, kAdopted = 6 };

  KsCoreWnd() = default;
  KsCoreWnd(const KsCoreWnd&) = delete;
  KsCoreWnd& operator=(const KsCoreWnd&) = delete;
  ~KsCoreWnd() override;

  int GetLifecycleState() override { return m_state; }
  KsWnd* GetParentWnd() override { return m_parent.Get(); }
  void SetParentWnd(KsWnd* parent) override { m_parent = parent; }
  void AddDeleteProbe(IKsWndDeleteProbe* probe) override;
  void RemoveDeleteProbe(IKsWndDeleteProbe* probe) override;
  UINT GetDoubleClickTime() override;
  bool IsAlive(bool wholeChain) override;

 protected:
  int m_state = kNone;
  KsWndPtr m_parent;
  DWORD m_creatingThread = 0;
  DWORD m_creatingProcess = 0;

 private:
  std::unique_ptr<std::vector<IKsWndDeleteProbe*>> m_probes;  // made on first registration
  UINT m_doubleClickTime = 0;
};
