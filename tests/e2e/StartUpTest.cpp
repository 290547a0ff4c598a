// Whole start-ups of the assembled sample setup: the installer runs as its
// own process from its setup medium, and the machine shows afterwards what it
// did. Only the seam is used, so these hold on Windows too.

#include "StartUpTest.h"

#include "foundation/KsHandle.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"

namespace sys = ks::sys;

void StartUpTest::SetUp() {
  TestMachine::SetUp();
  m_medium = PrepareSetupMedium(Root());
  ASSERT_FALSE(m_medium.empty()) << "the setup medium could not be prepared";
}

void StartUpTest::TearDown() {
  TestMachine::TearDown();
  RemoveSetupMedium();
}

long StartUpTest::RunInstaller(const std::u16string& arguments) {
  const std::u16string program = m_medium + u"KestruneSetup.exe";
  std::u16string line = u"\"" + program + u"\" " + arguments;
  sys::STARTUPINFO startup{};
  startup.cb = sizeof(startup);
  sys::PROCESS_INFORMATION process{};
  if (!sys::CreateProcess(program.c_str(), line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
    return -1;
  }
  KsHandle processHandle(process.hProcess);
  KsHandle threadHandle(process.hThread);
  if (sys::WaitForSingleObject(process.hProcess, 60000) != 0) {
    sys::TerminateProcess(process.hProcess, 99);
    ADD_FAILURE() << "the installer did not end within a minute";
    return -1;
  }
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(process.hProcess, &code);
  return static_cast<long>(code);
}

bool StartUpTest::OnMedium(const std::u16string& path) {
  return sys::GetFileAttributes((m_medium + path).c_str()) != sys::INVALID_FILE_ATTRIBUTES;
}

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
  EXPECT_NE(log.find("Setup folder " + Narrow(m_medium) + ", product Auralis 22"), std::string::npos) << log;
  EXPECT_NE(log.find("StubTools: Skin folder " + Narrow(m_medium) + "Sonavel\\Skins\\Standard View\\Aurora\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("StubTools: Shutdown"), std::string::npos) << log;
  EXPECT_TRUE(OnMedium(u"System\\Always Overwrite\\Auralis Launcher.exe"));
  EXPECT_FALSE(OnMedium(u"System\\Always Overwrite\\Pellanor Launcher.exe"));
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
  EXPECT_TRUE(OnMedium(u"System\\Always Overwrite\\Pellanor Launcher.exe"));
}
