#include "foundation/KsTools.h"

#include <atomic>

#include "foundation/KsTraceScope.h"
#include "platform/SysTime.h"

namespace {
std::atomic<IKsTools*> g_root{nullptr};
}  // namespace

IKsTools* KsToolsRoot() noexcept { return g_root.load(std::memory_order_acquire); }

// The root's text service replaces the default while the root is set; a root
// without one leaves the service in force alone.
void SetKsToolsRoot(IKsTools* root) noexcept {
  IKsTools* old = g_root.exchange(root, std::memory_order_acq_rel);
  IKsTextService* service = root != nullptr ? root->GetTextService() : nullptr;
  if (service != nullptr) {
    SetTextService(service);
  } else if (old != nullptr && old->GetTextService() != nullptr && GetTextService() == old->GetTextService()) {
    SetTextService(nullptr);
  }
}

IKsLog* KsToolsLog() noexcept {
  IKsTools* root = KsToolsRoot();
  return root != nullptr ? root->GetLog() : nullptr;
}

IKsWindowService* KsToolsWindowService() noexcept {
  IKsTools* root = KsToolsRoot();
  return root != nullptr ? root->GetWindowService() : nullptr;
}

IKsProductInfo* KsToolsProductInfo() noexcept {
  IKsTools* root = KsToolsRoot();
  return root != nullptr ? root->GetProductInfo(false) : nullptr;
}

IKsSettingsStore* KsToolsSettingsStore(const KsChar* name) noexcept {
  IKsTools* root = KsToolsRoot();
  return root != nullptr ? root->GetSettingsStore(name) : nullptr;
}

void KsToolsNotifyPathsChanged() {
  if (IKsTools* root = KsToolsRoot()) root->OnPathsChanged();
}

void KsLog(int level, const KsChar* tag, const KsChar* text) {
  if (IKsLog* log = KsToolsLog()) log->Log(level, tag, text);
}

KsString KsTranslate(const KsChar* text) {
  IKsTools* root = KsToolsRoot();
  IKsLanguageService* language = root != nullptr ? root->GetLanguageService() : nullptr;
  return language != nullptr ? language->Translate(text) : KsString(text);
}

KsTraceScope::KsTraceScope(const KsChar* tag) : m_tag(tag), m_startTick(ks::sys::GetTickCount()) {
  KsLog(kKsLogTrace, m_tag, u"Start");
}

KsTraceScope::~KsTraceScope() {
  if (KsToolsLog() == nullptr) return;
  const int elapsed = static_cast<int>(ks::sys::GetTickCount() - m_startTick);
  if (m_hasResult) {
    KsLogFormat(kKsLogTrace, m_tag, u"Finish (result: %d) (%d ms)", m_result, elapsed);
  } else {
    KsLogFormat(kKsLogTrace, m_tag, u"Finish (%d ms)", elapsed);
  }
}
