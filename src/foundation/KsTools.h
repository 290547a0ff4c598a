#pragma once
// The product tools module's interfaces as the installer sees them: a root
// reached through the module's GetKsToolsDLL export and the services it hands
// out. The module supplies the implementations; the installer holds only the
// root pointer (KsToolsRoot). Every caller must cope with an absent root or
// service: it is then skipped silently, as the module is optional below the
// start-up checks.

#include <cstdint>

#include "foundation/KsString.h"
#include "foundation/KsTextService.h"
#include "platform/SysTypes.h"

class KsStringArray;

// Modal messages, the wait window and the folder chooser.
class IKsMessageService {
 public:
  // Shows a modal message with the buttons given by their texts; answers the
  // index of the button chosen, or -1 when the message was closed.
  virtual int ShowMessage(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int buttonCount,
                          int defaultButton) = 0;
  // Shows a wait window after delay ms; cancelled is called when the user
  // cancels. Hidden again with HideWaitMessage.
  virtual void ShowWaitMessage(const KsChar* text, int delayMs, bool cancellable, void (*cancelled)(void* context),
                               void* context) = 0;
  virtual void HideWaitMessage() = 0;
  // The chosen folder, or empty text when the user cancelled.
  virtual KsString ChooseFolder(const KsChar* title, const KsChar* startFolder) = 0;

 protected:
  ~IKsMessageService() = default;
};

// Translation of every text shown to the user.
class IKsLanguageService {
 public:
  virtual KsString Translate(const KsChar* text) = 0;
  virtual KsString GetLanguageName() = 0;
  virtual bool ChooseLanguage() = 0;

 protected:
  ~IKsLanguageService() = default;
};

// Named locks shared by the processes of the machine.
class IKsLockService {
 public:
  virtual bool Lock(const KsChar* name, int timeoutMs, int flags) = 0;
  virtual void Unlock(const KsChar* name) = 0;

 protected:
  ~IKsLockService() = default;
};

class IKsFileService {
 public:
  virtual bool FileExists(const KsChar* path, int flags) = 0;

 protected:
  ~IKsFileService() = default;
};

// Dispatches the calling thread's pending window messages.
class IKsWindowService {
 public:
  virtual void PumpMessages() = 0;

 protected:
  ~IKsWindowService() = default;
};

class IKsCompressionService {
 public:
  // Gzip decoding of count bytes; false on damaged input.
  virtual bool Gunzip(const void* bytes, int count, std::string* out) = 0;

 protected:
  ~IKsCompressionService() = default;
};

// A settings store: a registry key of the product's settings.
class IKsSettingsStore {
 public:
  virtual std::int64_t ReadNumber(const KsChar* name, std::int64_t defaultValue) = 0;
  virtual bool WriteNumber(const KsChar* name, std::int64_t value) = 0;
  virtual KsString ReadText(const KsChar* name, const KsChar* defaultValue) = 0;
  virtual bool WriteText(const KsChar* name, const KsChar* value) = 0;
  // Binary values (a window placement, say): the read succeeds only when the
  // value holds exactly size bytes.
  virtual bool ReadBinary(const KsChar* name, void* data, int size) = 0;
  virtual bool WriteBinary(const KsChar* name, const void* data, int size) = 0;
  virtual bool DeleteValue(const KsChar* name) = 0;
  virtual bool DeleteSubkey(const KsChar* name) = 0;
  virtual bool RemoveAllValues() = 0;
  virtual bool RemoveAllSubkeys() = 0;
  virtual KsString GetStorePath() = 0;

 protected:
  ~IKsSettingsStore() = default;
};

// The product information read from the module's product file.
class IKsProductInfo {
 public:
  // Reads the product file. identifier empty: the module's own product. On
  // failure error receives a text for the user (may stay empty).
  virtual bool Load(const KsChar* identifier, KsString* error, int flags) = 0;
  virtual KsString GetDisplayName(int form) = 0;
  virtual KsString GetLauncherName() = 0;
  virtual KsString GetLauncherPath() = 0;
  virtual KsString GetMainProgramName() = 0;
  virtual KsString GetVersionKey() = 0;
  virtual KsString GetVersionText() = 0;
  virtual KsString GetStartMenuName() = 0;
  virtual KsString GetProductExtension() = 0;
  virtual KsString GetProductMimeTypes() = 0;
  virtual KsString GetProductProtocols() = 0;
  virtual KsString GetProductText(int number) = 0;
  virtual KsString GetWebAddress() = 0;
  virtual KsString GetDataFolder() = 0;
  virtual bool HasFeature(int number) = 0;
  // Keys of the form /*/Section/Key.
  virtual KsString GetText(const KsChar* key, const KsChar* defaultValue) = 0;
  virtual std::int64_t GetNumber(const KsChar* key, std::int64_t defaultValue) = 0;
  // Running copies of the product, found through the machine's window table.
  virtual bool IsProductRunning() = 0;
  virtual ks::sys::HWND GetProductWindow() = 0;
  // Asks the running copy to close and waits a bounded time for it.
  virtual void CloseProduct() = 0;

 protected:
  ~IKsProductInfo() = default;
};

// Skin, title icon and the scaling of fixed layouts.
class IKsUIService {
 public:
  virtual void SetSkinFolder(const KsChar* folder) = 0;
  virtual void SetTitleIcon(const KsChar* name, int flags) = 0;
  // Scales a layout length for the screen's text size.
  virtual int Scale(int length) = 0;
  // Layout metrics; 8 is the spacing between bottom buttons. -1 when unknown.
  virtual int GetMetric(int metric) = 0;
  // Turned off while an effect plug-in's own window code runs.
  virtual bool SetSkinnedDialogs(bool on) = 0;

 protected:
  ~IKsUIService() = default;
};

// A registry key of the product, created when missing.
class IKsRegistryKey {
 public:
  enum : int { kPlainText = 0, kFolderPath = 2 };
  virtual KsString ReadText(const KsChar* name, const KsChar* defaultValue) = 0;
  // kind kFolderPath marks a folder path (stored so it follows the install).
  virtual bool WriteText(const KsChar* name, const KsChar* value, int kind) = 0;
  virtual bool WriteNumber(const KsChar* name, std::int64_t value) = 0;
  virtual bool EnumerateSubkeys(KsStringArray* names) = 0;
  virtual bool EnumerateValues(KsStringArray* names) = 0;
  // Copies a value of any type unchanged from another key.
  virtual bool CopyValue(IKsRegistryKey* from, const KsChar* name) = 0;
  virtual bool DeleteValue(const KsChar* name) = 0;
  virtual bool DeleteSubkey(const KsChar* name) = 0;
  virtual bool RemoveAllValues() = 0;
  virtual bool RemoveAllSubkeys() = 0;
  // Closes the key and frees the object.
  virtual void Release() = 0;

 protected:
  ~IKsRegistryKey() = default;
};

class IKsArchiveService {
 public:
  // Unzips archive into folder (trailing backslash), keeping the archive's
  // folders or putting every file straight into folder.
  virtual bool Unzip(const KsChar* archive, const KsChar* folder, bool keepFolders) = 0;

 protected:
  ~IKsArchiveService() = default;
};

// The object input plug-ins receive; opaque to the installer.
class IKsPluginServices {
 protected:
  ~IKsPluginServices() = default;
};

enum KsLogLevel : int { kKsLogError = 1, kKsLogWarning = 2, kKsLogInfo = 3, kKsLogTrace = 4 };

// The log sink: one readable line per call.
class IKsLog {
 public:
  virtual void Log(int level, const KsChar* tag, const KsChar* text) = 0;

 protected:
  ~IKsLog() = default;
};

// The module's root, its operations in interface order. A null service means
// the module does not offer it; the operations with bodies are those a module
// may leave out.
class IKsTools {
 public:
  // flags bit 0: the caller is a program (not a plug-in host).
  virtual bool Initialize(int flags, ks::sys::HINSTANCE instance) { return (void)flags, (void)instance, true; }
  virtual void Shutdown(ks::sys::HINSTANCE instance) { (void)instance; }
  // Called with 0 once the product information is loaded.
  virtual void OnProductInfoLoaded(int reserved) { (void)reserved; }
  virtual IKsTextService* GetTextService() = 0;
  virtual IKsLockService* GetLockService() = 0;
  virtual IKsLanguageService* GetLanguageService() = 0;
  virtual IKsUIService* GetUIService() { return nullptr; }
  // create false: only an object already loaded; true: made when missing (Load
  // still has to be called).
  virtual IKsProductInfo* GetProductInfo(bool create) = 0;
  virtual IKsLog* GetLog() = 0;
  virtual IKsMessageService* GetMessageService() = 0;
  virtual IKsPluginServices* GetPluginServices() { return nullptr; }
  virtual IKsFileService* GetFileService() = 0;
  virtual IKsWindowService* GetWindowService() = 0;
  // The store named under the product's settings key; null when it cannot be
  // opened. Owned by the module.
  virtual IKsSettingsStore* GetSettingsStore(const KsChar* name) = 0;
  // A key below root (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE), created when
  // missing; the caller releases it.
  virtual IKsRegistryKey* OpenRegistryKey(ks::sys::HKEY root, const KsChar* path) { return (void)root, (void)path, nullptr; }
  virtual IKsCompressionService* GetCompressionService() = 0;
  // Imports the settings files of folder (trailing backslash) into the
  // product's settings.
  virtual bool ImportSettings(int reserved, const KsChar* folder) { return (void)reserved, (void)folder, false; }
  virtual IKsArchiveService* GetArchiveService() { return nullptr; }
  // The product paths of the process changed (install path, program or module
  // folder); the module re-reads what it caches. Nothing to do by default.
  virtual void OnPathsChanged() {}

 protected:
  ~IKsTools() = default;
};

// The module's export: GetKsToolsDLL(kKsToolsInterfaceVersion) answers the
// root, or null for another version.
inline constexpr int kKsToolsInterfaceVersion = 200048;
using GetKsToolsDLLFunction = IKsTools* (*)(int version);

// The process-wide root; null until start-up loads the module. Setting a root
// installs its text service (SetTextService); clearing it goes back to the
// default, so clear the root before the module is unloaded.
IKsTools* KsToolsRoot() noexcept;
void SetKsToolsRoot(IKsTools* root) noexcept;

// The services of the loaded module, or null.
IKsLog* KsToolsLog() noexcept;
IKsWindowService* KsToolsWindowService() noexcept;
IKsProductInfo* KsToolsProductInfo() noexcept;
IKsSettingsStore* KsToolsSettingsStore(const KsChar* name) noexcept;

// Tells the loaded module that the product paths changed; nothing without one.
void KsToolsNotifyPathsChanged();
// Writes one line to the log sink, if there is one.
void KsLog(int level, const KsChar* tag, const KsChar* text);
template <class... Args>
void KsLogFormat(int level, const KsChar* tag, const KsChar* format, const Args&... args) {
  if (KsToolsLog() == nullptr) return;
  KsLog(level, tag, KsFormat(format, args...));
}

// Translates through the language service; the text itself without one.
KsString KsTranslate(const KsChar* text);
