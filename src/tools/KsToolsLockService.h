#pragma once
// Named locks shared by every process of the machine: named mutexes. A lock is
// held by the thread that took it and may be taken again by that thread (each
// Lock needs its Unlock); the mutex handle is closed with the last Unlock. A
// lock abandoned by a process that ended counts as taken. Backslashes in a
// name other than a "Global\" or "Local\" prefix become "_", as Windows
// refuses them.

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "foundation/KsHandle.h"
#include "foundation/KsTools.h"

class KsToolsLockService final : public IKsLockService {
 public:
  // timeoutMs < 0 waits without limit.
  bool Lock(const KsChar* name, int timeoutMs, int flags) override;
  void Unlock(const KsChar* name) override;
  // Releases whatever is still held (module shut-down).
  void ReleaseAll();

 private:
  struct Held {
    KsHandle mutex;
    int count = 0;
  };
  using Key = std::pair<ks::sys::DWORD, std::u16string>;
  static std::u16string ObjectName(const KsChar* name);

  std::mutex m_mutex;
  std::map<Key, Held> m_held;
};
