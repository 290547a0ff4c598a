// Start-ups whose outcome only the simulated machine can show: the platform's
// own message box, which on Windows would wait for a person.

#include "StartUpTest.h"
#include "platform/SysFile.h"
#include "platform/sim/SimControl.h"

// A tools module that is missing or no module: the "Critical Error" box names
// the installer and the reason, and the run ends with exit code 0.
TEST_F(StartUpTest, MissingOrBrokenToolsModuleGivesTheCriticalErrorBox) {
  for (const char* content : {"", "not a module"}) {
    SCOPED_TRACE(content);
    ks::sys::DeleteFile((m_medium + u"Sonavel\\KsTools.dll").c_str());
    if (*content != 0) WriteText(m_medium + u"Sonavel\\KsTools.dll", content);
    EXPECT_EQ(RunInstaller(u"/Silent"), 0);
    const std::vector<std::string> journal = ks::sim::ReadJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().rfind("MessageBox\tCritical Error\tThe following module has failed to load:\r " +
                                       Narrow(m_medium) +
                                       "KestruneSetup.exe\r \r It has reported the following error:\r \r "
                                       "Failed to load KsTools\r ",
                                   0),
              0u)
        << journal.back();
    EXPECT_TRUE(OnMedium(u"System\\Always Overwrite\\Pellanor Launcher.exe"));
  }
}
