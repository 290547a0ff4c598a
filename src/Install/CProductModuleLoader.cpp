#include "Install/CProductModuleLoader.h"

#include "foundation/KsTools.h"
#include "platform/SysError.h"
#include "platform/SysModule.h"

namespace sys = ks::sys;

namespace {
constexpr const KsChar* kLogTag = u"CProductModuleLoader";
// Bit 0 of Initialize's flags: the caller is a program, not a plug-in host.
constexpr int kProgramFlag = 1;
}  // namespace

bool CProductModuleLoader::Load(const KsString& path, sys::HINSTANCE instance) {
  Unload(instance);
  m_module.Reset(sys::LoadLibraryEx(path, nullptr, sys::LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!m_module) {
    KsLogFormat(kKsLogError, kLogTag, u"LoadLibrary failed: %s (error %d)", path,
                static_cast<std::int64_t>(sys::GetLastError()));
    return false;
  }
  auto entry = reinterpret_cast<GetKsToolsDLLFunction>(sys::GetProcAddress(m_module.Get(), "GetKsToolsDLL"));
  IKsTools* root = entry != nullptr ? entry(kKsToolsInterfaceVersion) : nullptr;
  if (root == nullptr) {
    m_module.Reset();
    return false;
  }
  if (!root->Initialize(kProgramFlag, instance)) {
    root->Shutdown(instance);
    m_module.Reset();
    return false;
  }
  m_root = root;
  SetKsToolsRoot(root);
  return true;
}

void CProductModuleLoader::Unload(sys::HINSTANCE instance) {
  if (m_root != nullptr) {
    m_root->Shutdown(instance);
    if (KsToolsRoot() == m_root) SetKsToolsRoot(nullptr);
    m_root = nullptr;
  }
  m_module.Reset();
}
