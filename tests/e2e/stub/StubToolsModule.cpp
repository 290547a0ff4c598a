// A stand-in tools module for the end-to-end start-up tests, which need a run
// that asks nobody anything: fixed product information for "Auralis 22", messages
// answered with their default button, and a log written line by line to
// "StubTools.log" in the product's module folder (the setup's "Sonavel\").
// On the host it uses the installer's own seam and foundation (the installer
// exports them); on Windows it carries its own copy.

#include "foundation/KsHandle.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsTools.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

namespace {

class StubTools final : public IKsTools,
                        public IKsLog,
                        public IKsMessageService,
                        public IKsProductInfo,
                        public IKsUIService,
                        public IKsWindowService {
 public:
  void Shutdown(sys::HINSTANCE) override { Log(kKsLogInfo, u"StubTools", u"Shutdown"); }
  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return nullptr; }
  IKsUIService* GetUIService() override { return this; }
  IKsProductInfo* GetProductInfo(bool create) override { return create || m_loaded ? this : nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return this; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return this; }
  IKsSettingsStore* GetSettingsStore(const KsChar*) override { return nullptr; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }

  void Log(int, const KsChar* tag, const KsChar* text) override {
    const KsString path = KsProductPaths::Get().GetModuleFolder() + u"StubTools.log";
    KsFileHandle file(sys::CreateFile(path, sys::GENERIC_WRITE, sys::FILE_SHARE_READ, nullptr,
                                      sys::OPEN_ALWAYS, sys::FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    sys::SetFilePointer(file.Get(), 0, nullptr, sys::FILE_END);
    // The log is plain ASCII text; other characters become "?".
    std::string line;
    for (KsChar c : (KsString(tag) + u": " + KsString(text) + u"\r\n").View()) line += c < 0x80 ? char(c) : '?';
    sys::DWORD written = 0;
    sys::WriteFile(file.Get(), line.data(), static_cast<sys::DWORD>(line.size()), &written, nullptr);
  }

  int ShowMessage(const KsChar*, const KsChar*, const KsChar* const*, int, int defaultButton) override {
    return defaultButton;
  }
  void ShowWaitMessage(const KsChar*, int, bool, void (*)(void*), void*) override {}
  void HideWaitMessage() override {}
  KsString ChooseFolder(const KsChar*, const KsChar*) override { return KsString(); }

  bool Load(const KsChar*, KsString*, int) override { return m_loaded = true; }
  KsString GetDisplayName(int form) override { return KsString(form == 0 ? u"Auralis" : u"Auralis 22"); }
  KsString GetLauncherName() override { return KsString(u"Auralis Launcher.exe"); }
  KsString GetLauncherPath() override { return KsString(); }
  KsString GetMainProgramName() override { return KsString(u"Auralis.exe"); }
  KsString GetVersionKey() override { return KsString(u"22"); }
  KsString GetVersionText() override { return KsString(u"22.0"); }
  KsString GetStartMenuName() override { return KsString(u"Auralis"); }
  KsString GetProductExtension() override { return KsString(); }
  KsString GetProductMimeTypes() override { return KsString(); }
  KsString GetProductProtocols() override { return KsString(); }
  KsString GetProductText(int) override { return KsString(); }
  KsString GetWebAddress() override { return KsString(); }
  KsString GetDataFolder() override { return KsString(); }
  bool HasFeature(int) override { return false; }
  KsString GetText(const KsChar* key, const KsChar* defaultValue) override {
    const KsString name(key);
    if (name.Equals(u"/*/General/MegaSkin")) return KsString(u"Aurora");
    if (name.Equals(u"/*/General/MegaSkinStyles")) return KsString(u"Standard;Compact");
    return KsString(defaultValue);
  }
  std::int64_t GetNumber(const KsChar*, std::int64_t defaultValue) override { return defaultValue; }
  bool IsProductRunning() override { return false; }
  sys::HWND GetProductWindow() override { return nullptr; }
  void CloseProduct() override {}

  void SetSkinFolder(const KsChar* folder) override { Log(kKsLogInfo, u"StubTools", KsString(u"Skin folder ") + folder); }
  void SetTitleIcon(const KsChar*, int) override {}
  int Scale(int length) override { return length; }
  int GetMetric(int) override { return -1; }
  bool SetSkinnedDialogs(bool) override { return true; }

  void PumpMessages() override {}

 private:
  bool m_loaded = false;
};

}  // namespace

#ifdef _WIN32
#define KS_STUB_EXPORT __declspec(dllexport)
#else
#define KS_STUB_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_STUB_EXPORT IKsTools* GetKsToolsDLL(int version) {
  static StubTools tools;
  return version == kKsToolsInterfaceVersion ? &tools : nullptr;
}
