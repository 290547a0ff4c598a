#pragma once
// Test doubles of the tools module (a recording log, settings stores in
// memory, a language name, an optional file service) and a machine fixture
// that gives each test a fresh process path record.

#include <map>
#include <string>
#include <vector>

#include "FakeSettingsStore.h"
#include "TestMachine.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsTools.h"

// Installs itself as the tools root for its lifetime.
class FakeTools final : public IKsTools, public IKsLog, public IKsLanguageService, public IKsFileService {
 public:
  FakeTools() { SetKsToolsRoot(this); }
  ~FakeTools() { SetKsToolsRoot(nullptr); }
  FakeTools(const FakeTools&) = delete;
  FakeTools& operator=(const FakeTools&) = delete;

  void Log(int, const KsChar* tag, const KsChar* text) override {
    lines.push_back(std::u16string(tag) + u": " + std::u16string(text));
  }
  KsString Translate(const KsChar* text) override { return KsString(text); }
  KsString GetLanguageName() override { return KsString(std::u16string_view(languageName)); }
  bool ChooseLanguage() override { return false; }
  bool FileExists(const KsChar* path, int) override {
    fileServiceAsked.emplace_back(path);
    return false;
  }
  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return this; }
  IKsProductInfo* GetProductInfo(bool) override { return nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return nullptr; }
  IKsFileService* GetFileService() override { return offerFileService ? this : nullptr; }
  IKsWindowService* GetWindowService() override { return nullptr; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }
  IKsSettingsStore* GetSettingsStore(const KsChar* name) override {
    return std::u16string_view(name) == u"Properties" ? &properties : nullptr;
  }
  void OnPathsChanged() override { ++pathsChanged; }

  bool Logged(const std::u16string& text) const {
    for (const auto& line : lines)
      if (line.find(text) != std::u16string::npos) return true;
    return false;
  }
  std::string AllLines() const {
    std::string all;
    for (const auto& line : lines) all += Narrow(line) + "\n";
    return all;
  }

  std::vector<std::u16string> lines;
  std::u16string languageName;
  bool offerFileService = false;
  std::vector<std::u16string> fileServiceAsked;
  FakeSettingsStore properties;
  int pathsChanged = 0;
};

// A fresh machine whose process path record is made anew by the first user
// in the test and dropped before the machine's handle check.
class PathsMachine : public TestMachine {
 protected:
  void SetUp() override {
    KsProductPaths::ReleaseInstance();
    TestMachine::SetUp();
  }
  void TearDown() override {
    KsProductPaths::ReleaseInstance();
    TestMachine::TearDown();
  }
  static KsString Ks(const std::u16string& text) { return KsString(std::u16string_view(text)); }
};
