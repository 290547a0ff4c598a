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

 protected:
  ~IKsProductInfo() = default;
};

enum KsLogLevel : int { kKsLogError = 1, kKsLogWarning = 2, kKsLogInfo = 3, kKsLogTrace = 4 };

// The log sink: one readable line per call.
class IKsLog {
 public:
  virtual void Log(int level, const KsChar* tag, const KsChar* text) = 0;

 protected:
  ~IKsLog() = default;
};

// The module's root. A null service means the module does not offer it.
class IKsTools {
 public:
  virtual IKsTextService* GetTextService() = 0;
  virtual IKsLockService* GetLockService() = 0;
  virtual IKsLanguageService* GetLanguageService() = 0;
  virtual IKsProductInfo* GetProductInfo() = 0;
  virtual IKsLog* GetLog() = 0;
  virtual IKsMessageService* GetMessageService() = 0;
  virtual IKsFileService* GetFileService() = 0;
  virtual IKsWindowService* GetWindowService() = 0;
  virtual IKsCompressionService* GetCompressionService() = 0;
  // The store named under the product's settings key; null when it cannot be
  // opened. Owned by the module.
  virtual IKsSettingsStore* GetSettingsStore(const KsChar* name) = 0;
  // The product paths of the process changed (install path, program or module
  // folder); the module re-reads what it caches. Nothing to do by default.
  virtual void OnPathsChanged() {}

 protected:
  ~IKsTools() = default;
};

// The process-wide root; null until start-up loads the module.
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
