#include "foundation/IKsMainThreadMessageManager.h"

#include <atomic>

namespace {
std::atomic<IKsMainThreadMessageManager*> g_manager{nullptr};
}  // namespace

IKsMainThreadMessageManager* KsMainThreadMessageManager() noexcept { return g_manager.load(); }
void SetKsMainThreadMessageManager(IKsMainThreadMessageManager* manager) noexcept { g_manager.store(manager); }
