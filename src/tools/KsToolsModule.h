#pragma once
// The module's root: owns every service for the life of the module. Initialize
// finds the module's folder (where the product information and translations
// live) and opens the log; Shutdown closes what is open (settings stores,
// locks) and leaves the root ready for another Initialize. Settings stores
// exist once the product information is loaded, since their key is named after
// the product. Without zlib (or minizip) in the build, the compression (or
// archive) service is absent and its first request logs why.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/KsTools.h"
#include "tools/KsToolsArchive.h"
#include "tools/KsToolsCompression.h"
#include "tools/KsToolsFileService.h"
#include "tools/KsToolsLanguage.h"
#include "tools/KsToolsLockService.h"
#include "tools/KsToolsLogFile.h"
#include "tools/KsToolsMessageService.h"
#include "tools/KsProductInformation.h"
#include "tools/KsToolsTextService.h"
#include "tools/KsToolsUIService.h"
#include "tools/KsMessagePump.h"

class KsToolsRegistryKey;

class KsToolsModule final : public IKsTools {
 public:
  KsToolsModule();
  ~KsToolsModule();
  KsToolsModule(const KsToolsModule&) = delete;
  KsToolsModule& operator=(const KsToolsModule&) = delete;

  static KsToolsModule& Instance();

  bool Initialize(int flags, ks::sys::HINSTANCE instance) override;
  void Shutdown(ks::sys::HINSTANCE instance) override;
  void OnProductInfoLoaded(int reserved) override;
  IKsTextService* GetTextService() override { return &m_text; }
  IKsLockService* GetLockService() override { return &m_locks; }
  IKsLanguageService* GetLanguageService() override { return &m_language; }
  IKsUIService* GetUIService() override { return &m_ui; }
  IKsProductInfo* GetProductInfo(bool create) override;
  IKsLog* GetLog() override { return &m_log; }
  IKsMessageService* GetMessageService() override { return &m_messages; }
  IKsFileService* GetFileService() override { return &m_files; }
  IKsWindowService* GetWindowService() override { return &m_windows; }
  IKsSettingsStore* GetSettingsStore(const KsChar* name) override;
  IKsRegistryKey* OpenRegistryKey(ks::sys::HKEY root, const KsChar* path) override;
  IKsCompressionService* GetCompressionService() override;
  bool ImportSettings(int reserved, const KsChar* folder) override;
  IKsArchiveService* GetArchiveService() override;

  // The module's folder, ending in a backslash.
  const KsString& GetFolder();

 private:
  void CloseStores();

  std::recursive_mutex m_mutex;
  KsString m_folder;
  KsToolsLogFile m_log;
  KsToolsTextService m_text;
  KsToolsLockService m_locks;
  KsToolsLanguage m_language;
  KsToolsUIService m_ui;
  KsToolsMessageService m_messages;
  KsToolsFileService m_files;
  KsMessagePump m_windows;
  std::unique_ptr<KsProductInformation> m_product;
  std::map<std::u16string, KsToolsRegistryKey*> m_stores;
  KsString m_storesRoot;  // the settings key the stores are below
#if KS_TOOLS_HAVE_ZLIB
  KsToolsCompression m_compression;
#endif
#if KS_TOOLS_HAVE_MINIZIP
  KsToolsArchive m_archive;
#endif
  bool m_initialized = false;
};
