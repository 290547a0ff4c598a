#pragma once
// Fixture of the tools-module tests: a fresh machine with a setup's program
// folder C:\KsTest\Sonavel\ holding the built module as KsTools.dll, loaded
// the way the installer loads it (LoadLibrary, GetProcAddress of
// GetKsToolsDLL, Initialize). TearDown shuts the module down and unloads it
// before the machine's handle check, so a handle the module leaks fails the
// test.

#include <string>

#include "TestMachine.h"
#include "foundation/KsTools.h"
#include "platform/SysTypes.h"

// Copies the built module to a Windows path of the machine (ToolsModuleHost.cpp
// or win32/ToolsModuleWin32.cpp).
bool InstallToolsModule(const std::u16string& windowsPath);

class ToolsModuleTest : public TestMachine {
 protected:
  // A product file the tests share: every field set, features 22, 104 and
  // 176, main window class "KsTestFrame", settings below "Testlied 9".
  static const char kProduct[];
  static constexpr char16_t kSettingsKey[] = u"Software\\Quorvane\\Testlied 9";

  void SetUp() override;
  void TearDown() override;

  // The module's folder (ends in a backslash) and a file in it.
  const std::u16string& Folder() const { return m_folder; }
  bool WriteModuleFile(const std::u16string& name, const std::string& text);

  // Loads the module; null root when it cannot.
  IKsTools* LoadModule();
  // Loads the module and the product file text (written as Product.xml).
  IKsTools* LoadProduct(const std::string& productXml = kProduct);
  void UnloadModule();

  IKsTools* Tools() const { return m_root; }
  ks::sys::HMODULE Module() const { return m_module; }
  std::u16string LogPath() const;

 private:
  std::u16string m_folder;
  ks::sys::HMODULE m_module = nullptr;
  IKsTools* m_root = nullptr;
};

std::string Narrow(const KsString& text);
inline std::string Narrow(const char16_t* text) { return Narrow(std::u16string(text)); }
