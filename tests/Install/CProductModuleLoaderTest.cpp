// Loading the tools module from its file: anything that is not a module with
// the GetKsToolsDLL export leaves nothing loaded and no root behind.

#include "Install/CProductModuleLoader.h"
#include "InstallTest.h"
#include "foundation/KsTools.h"

using CProductModuleLoaderTest = InstallTest;

TEST_F(CProductModuleLoaderTest, FilesThatAreNoToolsModuleAreRefused) {
  struct Case {
    const char* name;
    std::u16string path;
  } cases[] = {
      {"missing file", Setup() + u"Sonavel\\KsTools.dll"},
      {"text file", Setup() + u"Text\\KsTools.dll"},
      {"empty file", Setup() + u"Empty\\KsTools.dll"},
      {"module without the export", TestModule()},
      {"folder", Setup()},
  };
  WriteFile(Setup() + u"Text\\KsTools.dll", "MZ this is not a module");
  WriteFile(Setup() + u"Empty\\KsTools.dll", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CProductModuleLoader module;
    EXPECT_FALSE(module.Load(KsString(std::u16string_view(c.path)), nullptr));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(KsToolsRoot(), nullptr);
  }
}
