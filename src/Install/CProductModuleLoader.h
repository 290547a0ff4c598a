#pragma once
// CProductModuleLoader: the product's tools module loaded from its file. Load takes
// the module, asks its GetKsToolsDLL export for the root of the interface
// version this program speaks, initialises it and makes it the process's
// tools root; any failure on the way leaves nothing loaded. Unload shuts the
// root down and frees the module.

#include "foundation/KsHandle.h"
#include "foundation/KsString.h"
#include "platform/SysTypes.h"

class IKsTools;

class CProductModuleLoader {
 public:
  CProductModuleLoader() = default;
  CProductModuleLoader(const CProductModuleLoader&) = delete;
  CProductModuleLoader& operator=(const CProductModuleLoader&) = delete;
  ~CProductModuleLoader() { Unload(nullptr); }

  // False (and the reason logged) when the file is missing or no module, the
  // export is missing, or it gives no root.
  bool Load(const KsString& path, ks::sys::HINSTANCE instance);
  // Shutdown(instance) on the root, then the module is freed. Nothing when
  // nothing is loaded.
  void Unload(ks::sys::HINSTANCE instance);
  bool IsLoaded() const noexcept { return m_root != nullptr; }
  IKsTools* Root() const noexcept { return m_root; }

 private:
  KsModule m_module;
  IKsTools* m_root = nullptr;
};
