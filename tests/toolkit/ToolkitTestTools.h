#pragma once
// Test doubles of the tools module for toolkit tests: settings stores in
// memory that keep binary values, a recording log, translation that marks
// the text, a folder chooser that answers what the test scripted, and a UI
// service with a chosen scale and button spacing.

#include "foundation/KsTools.h"

#include <map>
#include <string>
#include <vector>

class FakeBinaryStore final : public IKsSettingsStore {
 public:
  std::int64_t ReadNumber(const KsChar*, std::int64_t defaultValue) override { return defaultValue; }
  bool WriteNumber(const KsChar*, std::int64_t) override { return false; }
  KsString ReadText(const KsChar*, const KsChar* defaultValue) override { return KsString(defaultValue); }
  bool WriteText(const KsChar*, const KsChar*) override { return false; }
  bool ReadBinary(const KsChar* name, void* data, int size) override {
    auto it = values.find(name);
    if (it == values.end() || int(it->second.size()) != size) return false;
    it->second.copy(static_cast<char*>(data), it->second.size());
    return true;
  }
  bool WriteBinary(const KsChar* name, const void* data, int size) override {
    ++writes;
    values[name].assign(static_cast<const char*>(data), std::size_t(size));
    return true;
  }
  bool DeleteValue(const KsChar* name) override { return values.erase(name) > 0; }
  bool DeleteSubkey(const KsChar*) override { return false; }
  bool RemoveAllValues() override { return false; }
  bool RemoveAllSubkeys() override { return false; }
  KsString GetStorePath() override { return KsString(); }

  std::map<std::u16string, std::string> values;
  int writes = 0;
};

// Installs itself as the tools root for its lifetime.
class FakeToolkitTools final : public IKsTools,
                               public IKsLog,
                               public IKsLanguageService,
                               public IKsMessageService,
                               public IKsUIService {
 public:
  FakeToolkitTools() { SetKsToolsRoot(this); }
  ~FakeToolkitTools() { SetKsToolsRoot(nullptr); }
  FakeToolkitTools(const FakeToolkitTools&) = delete;
  FakeToolkitTools& operator=(const FakeToolkitTools&) = delete;

  void Log(int, const KsChar* tag, const KsChar* text) override {
    lines.push_back(std::u16string(tag) + u": " + std::u16string(text));
  }
  KsString Translate(const KsChar* text) override {
    return KsString(std::u16string_view(u"T:" + std::u16string(text)));
  }
  KsString GetLanguageName() override { return KsString(); }
  bool ChooseLanguage() override { return false; }

  int ShowMessage(const KsChar*, const KsChar*, const KsChar* const*, int, int) override { return -1; }
  void ShowWaitMessage(const KsChar*, int, bool, void (*)(void*), void*) override {}
  void HideWaitMessage() override {}
  KsString ChooseFolder(const KsChar* title, const KsChar* startFolder) override {
    chooserAsked.push_back(std::u16string(title) + u"|" + std::u16string(startFolder));
    return KsString(std::u16string_view(chooserAnswer));
  }

  void SetSkinFolder(const KsChar*) override {}
  void SetTitleIcon(const KsChar*, int) override {}
  int Scale(int length) override { return length * scalePercent / 100; }
  int GetMetric(int metric) override { return metric == 8 ? buttonSpacing : -1; }
  bool SetSkinnedDialogs(bool) override { return false; }

  IKsUIService* GetUIService() override { return offerUiService ? this : nullptr; }
  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return this; }
  IKsProductInfo* GetProductInfo(bool) override { return nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return offerMessageService ? this : nullptr; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return nullptr; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }
  IKsSettingsStore* GetSettingsStore(const KsChar* name) override {
    auto it = stores.find(name);
    return it != stores.end() ? &it->second : nullptr;
  }

  bool Logged(const std::u16string& text) const {
    for (const auto& line : lines)
      if (line.find(text) != std::u16string::npos) return true;
    return false;
  }

  // Only the stores a test names exist.
  std::map<std::u16string, FakeBinaryStore> stores;
  std::vector<std::u16string> lines;
  bool offerMessageService = true;
  bool offerUiService = false;
  int scalePercent = 100;
  int buttonSpacing = -1;
  std::u16string chooserAnswer;
  std::vector<std::u16string> chooserAsked;
};
