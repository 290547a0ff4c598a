#pragma once
// A scripted tools root for the installer's tests: product information from
// fields, a language service that can mark what it translated, a message
// service that records each message and answers from a script, a UI service
// that records the skin, a "Properties" settings store in memory and a log.
// It becomes the process's tools root only when Attach is called (as loading
// the module would make it) and leaves it in its destructor.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FakeSettingsStore.h"
#include "foundation/KsTools.h"

struct RecordedMessage {
  std::u16string title;
  std::u16string text;
  std::vector<std::u16string> buttons;
};

class FakeInstallTools final : public IKsTools,
                               public IKsLog,
                               public IKsLanguageService,
                               public IKsMessageService,
                               public IKsProductInfo,
                               public IKsUIService,
                               public IKsWindowService {
 public:
  FakeInstallTools() = default;
  ~FakeInstallTools() {
    if (KsToolsRoot() == this) SetKsToolsRoot(nullptr);
  }
  FakeInstallTools(const FakeInstallTools&) = delete;
  FakeInstallTools& operator=(const FakeInstallTools&) = delete;

  void Attach() { SetKsToolsRoot(this); }

  // Root.
  void Shutdown(ks::sys::HINSTANCE) override { ++shutdowns; }
  void OnProductInfoLoaded(int) override { ++productInfoLoaded; }
  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return this; }
  IKsUIService* GetUIService() override { return this; }
  IKsProductInfo* GetProductInfo(bool create) override { return create || loaded ? this : nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return hasMessageService ? this : nullptr; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return this; }
  IKsSettingsStore* GetSettingsStore(const KsChar* name) override {
    return std::u16string_view(name) == u"Properties" ? &properties : nullptr;
  }
  IKsCompressionService* GetCompressionService() override { return nullptr; }

  // Log.
  void Log(int, const KsChar* tag, const KsChar* text) override {
    lines.push_back(std::u16string(tag) + u": " + std::u16string(text));
  }
  bool HasLine(const std::u16string& part) const {
    for (const auto& line : lines)
      if (line.find(part) != std::u16string::npos) return true;
    return false;
  }
  // Index of the first line holding part, or -1.
  int LineIndex(const std::u16string& part) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(part) != std::u16string::npos) return static_cast<int>(i);
    return -1;
  }

  // Language: with markTranslations every translated text reads "[text]".
  KsString Translate(const KsChar* text) override {
    return markTranslations ? KsString(std::u16string_view(u"[" + std::u16string(text) + u"]")) : KsString(text);
  }
  KsString GetLanguageName() override { return KsString(u"English"); }
  bool ChooseLanguage() override { return ++languageChoices, true; }

  // Messages: answers are button indexes taken from the script, else the default.
  int ShowMessage(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int count,
                  int defaultButton) override {
    RecordedMessage message{title, text, {}};
    for (int i = 0; i < count; ++i) message.buttons.emplace_back(buttons[i]);
    messages.push_back(message);
    if (onMessage) onMessage();
    if (answers.empty()) return defaultButton;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowWaitMessage(const KsChar*, int, bool, void (*)(void*), void*) override {}
  void HideWaitMessage() override {}
  KsString ChooseFolder(const KsChar*, const KsChar*) override { return KsString(); }

  // Product information.
  bool Load(const KsChar*, KsString* error, int) override {
    if (!loadSucceeds) *error = KsString(std::u16string_view(loadError));
    loaded = loadSucceeds;
    return loadSucceeds;
  }
  KsString GetDisplayName(int form) override {
    return KsString(std::u16string_view(form == 0 ? shortName : fullName));
  }
  KsString GetLauncherName() override { return KsString(std::u16string_view(launcherName)); }
  KsString GetLauncherPath() override { return KsString(); }
  KsString GetMainProgramName() override { return KsString(std::u16string_view(mainProgram)); }
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
    auto it = texts.find(key);
    return it != texts.end() ? KsString(std::u16string_view(it->second)) : KsString(defaultValue);
  }
  std::int64_t GetNumber(const KsChar* key, std::int64_t defaultValue) override {
    auto it = numbers.find(key);
    return it != numbers.end() ? it->second : defaultValue;
  }
  bool IsProductRunning() override {
    ++runningQueries;
    return isRunning ? isRunning() : false;
  }
  ks::sys::HWND GetProductWindow() override { return productWindow; }
  void CloseProduct() override {
    ++closeRequests;
    if (onClose) onClose();
  }

  // UI.
  void SetSkinFolder(const KsChar* folder) override { skinFolder = folder; }
  void SetTitleIcon(const KsChar* name, int) override { titleIcon = name; }
  int Scale(int length) override { return length; }
  int GetMetric(int) override { return -1; }
  bool SetSkinnedDialogs(bool) override { return true; }

  // Window service.
  void PumpMessages() override {}

  bool loadSucceeds = true;
  std::u16string loadError;
  bool loaded = false;
  std::u16string fullName = u"Auralis 22";
  std::u16string shortName = u"Auralis";
  std::u16string launcherName = u"Auralis Launcher.exe";
  std::u16string mainProgram = u"Auralis.exe";
  std::map<std::u16string, std::u16string> texts;
  std::map<std::u16string, std::int64_t> numbers;
  std::function<bool()> isRunning;
  std::function<void()> onClose;
  std::function<void()> onMessage;
  ks::sys::HWND productWindow = nullptr;
  int runningQueries = 0;
  int closeRequests = 0;
  int shutdowns = 0;
  int productInfoLoaded = 0;
  int languageChoices = 0;
  bool markTranslations = false;
  bool hasMessageService = true;
  std::deque<int> answers;
  std::vector<RecordedMessage> messages;
  std::vector<std::u16string> lines;
  std::u16string skinFolder;
  std::u16string titleIcon;
  FakeSettingsStore properties;
};
