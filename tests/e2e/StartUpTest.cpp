// Whole start-ups of the assembled sample setup on a fresh machine: the setup
// medium is drive D:, the installer runs as its own process, and the machine
// shows afterwards what it did.

#include <sys/stat.h>

#include <filesystem>

#include "TestMachine.h"
#include "foundation/KsHandle.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

namespace sys = ks::sys;
namespace sim = ks::sim;
namespace fs = std::filesystem;

class StartUpTest : public TestMachine {
 protected:
  void SetUp() override {
    TestMachine::SetUp();
    // A copy of the setup medium per test: the installer renames a file on it.
    m_medium = sim::MachineFolder() + "-medium";
    fs::remove_all(m_medium);
    fs::copy(KS_SAMPLE_SETUP, m_medium, fs::copy_options::recursive);
    if (!fs::exists(m_medium + "/Sonavel/KsTools.dll")) {
      fs::copy_file(KS_STUB_TOOLS, m_medium + "/Sonavel/KsTools.dll");
    }
    sim::Identity identity = sim::GetIdentity();
    identity.mappedDrives['D'] = m_medium;
    ASSERT_TRUE(sim::SetIdentity(identity));
  }
  void TearDown() override {
    TestMachine::TearDown();
    fs::remove_all(m_medium);
  }

  // Runs D:\KestruneSetup.exe with arguments; answers its exit code.
  long RunInstaller(const std::u16string& arguments) {
    std::u16string line = u"\"D:\\KestruneSetup.exe\" " + arguments;
    sys::STARTUPINFO startup{};
    startup.cb = sizeof(startup);
    sys::PROCESS_INFORMATION process{};
    if (!sys::CreateProcess(u"D:\\KestruneSetup.exe", line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
      return -1;
    }
    KsHandle processHandle(process.hProcess);
    KsHandle threadHandle(process.hThread);
    sys::WaitForSingleObject(process.hProcess, 60000);
    sys::DWORD code = 0;
    sys::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
  }
  std::string Log() { return ReadText(u"C:\\StubTools.log"); }
  bool OnMedium(const std::string& path) { return fs::exists(m_medium + "/" + path); }

  std::string m_medium;
};

TEST_F(StartUpTest, StartUpRunsEveryStepUpToTheWizard) {
  EXPECT_EQ(RunInstaller(u"/Silent"), 0);
  const std::string log = Log();
  std::size_t previous = 0;
  for (int step = 1; step <= 14; ++step) {
    const std::size_t at = log.find("CInstallApp: Step " + std::to_string(step) + ":");
    ASSERT_NE(at, std::string::npos) << "step " << step << "\n" << log;
    EXPECT_GE(at, previous) << "step " << step;
    previous = at;
  }
  EXPECT_NE(log.find("The wizard would open here"), std::string::npos) << log;
  EXPECT_NE(log.find("Setup folder D:\\, product Auralis 22"), std::string::npos) << log;
  EXPECT_NE(log.find("StubTools: Skin folder D:\\Sonavel\\Skins\\Standard View\\Aurora\r\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("StubTools: Shutdown"), std::string::npos) << log;
  EXPECT_TRUE(OnMedium("System/Always Overwrite/Auralis Launcher.exe"));
  EXPECT_FALSE(OnMedium("System/Always Overwrite/Pellanor Launcher.exe"));
  KsRegKey probe;
  EXPECT_NE(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"Software\\Quorvane\\Rights Check", 0, sys::KEY_READ,
                              probe.Receive()),
            0);
}

TEST_F(StartUpTest, SecondInstallerEndsWithItsMessage) {
  KsHandle first(sys::CreateMutex(nullptr, sys::FALSE, u"Global\\Kestrune Installer"));
  ASSERT_TRUE(first);
  EXPECT_EQ(RunInstaller(u""), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("Message: Kestrune Installer: Another instance of the Kestrune installer is already running"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("Step 11:"), std::string::npos) << log;
  EXPECT_TRUE(OnMedium("System/Always Overwrite/Pellanor Launcher.exe"));
}

TEST_F(StartUpTest, MissingOrBrokenToolsModuleGivesTheCriticalErrorBox) {
  for (const char* content : {"", "not a module"}) {
    SCOPED_TRACE(content);
    fs::remove(m_medium + "/Sonavel/KsTools.dll");
    if (*content != 0) WriteText(u"D:\\Sonavel\\KsTools.dll", content);
    EXPECT_EQ(RunInstaller(u"/Silent"), 0);
    const std::vector<std::string> journal = sim::ReadJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().rfind("MessageBox\tCritical Error\tThe following module has failed to load:\r "
                                   "D:\\KestruneSetup.exe\r \r It has reported the following error:\r \r "
                                   "Failed to load KsTools\r ",
                                   0),
              0u)
        << journal.back();
    EXPECT_TRUE(OnMedium("System/Always Overwrite/Pellanor Launcher.exe"));
  }
}
