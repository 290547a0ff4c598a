#pragma once
// Fixture of the installer's tests: a fresh machine (TestMachine), a fresh
// install session and product-paths record, a scripted tools root, and a
// setup folder to fill.

#include <string>

#include "InstallTestTools.h"
#include "TestMachine.h"
#include "foundation/KsString.h"

class InstallTest : public TestMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The setup folder, inside the test's scratch folder (trailing backslash).
  std::u16string Setup() const { return Root() + u"\\Setup\\"; }

  // Writes a text file (folders made as needed); path is a Windows path.
  void WriteFile(const std::u16string& path, const std::string& text);
  void MakeFolder(const std::u16string& path);
  bool Exists(const std::u16string& path);
  // A program file carrying the version major.minor.build.revision.
  void WriteVersionedFile(const std::u16string& path, unsigned major, unsigned minor, unsigned build,
                          unsigned revision);
  // The tools root as start-up leaves it once the product information is loaded.
  void AttachLoadedTools() {
    tools.loaded = true;
    tools.Attach();
  }

  FakeInstallTools tools;
};

std::u16string U16(const KsString& text);
