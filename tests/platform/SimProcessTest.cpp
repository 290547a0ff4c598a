// Programs, documents and modules on the simulated machine.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysShell.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <algorithm>
#include <filesystem>

using namespace ks;

class SimProcess : public TestMachine {
 protected:
  bool JournalHas(const std::string& line) {
    auto journal = sim::ReadJournal();
    return std::find(journal.begin(), journal.end(), line) != journal.end();
  }
};

// [Programs] gives a file name a host command; the file itself need only exist.
TEST_F(SimProcess, ProgramsMapToHostCommands) {
  sim::Identity identity = sim::GetIdentity();
  identity.programs[u"PackageInstaller.exe"] = std::string("\"") + KS_TEST_CHILD + "\" exit";
  ASSERT_TRUE(sim::SetIdentity(identity));
  ASSERT_TRUE(WriteText(Path(u"PackageInstaller.exe"), "MZ placeholder"));
  sys::STARTUPINFO startup{};
  startup.cb = sizeof startup;
  sys::PROCESS_INFORMATION process{};
  std::u16string line = Path(u"packageinstaller.exe");
  line.insert(line.begin(), u'"');
  line.append(u"\" 5");
  ASSERT_TRUE(sys::CreateProcess(nullptr, line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
  EXPECT_EQ(sys::WaitForSingleObject(process.hProcess, 60000), sys::WAIT_OBJECT_0);
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 5u);
  sys::CloseHandle(process.hThread);
  sys::CloseHandle(process.hProcess);
  EXPECT_TRUE(JournalHas("run\tC:\\KsTest\\PackageInstaller.exe " + Narrow(line)));
}

TEST_F(SimProcess, ShellExecuteOpensDocumentsAndAddresses) {
  ASSERT_TRUE(WriteText(Path(u"License.txt"), "licence"));
  sys::SHELLEXECUTEINFO info{};
  info.cbSize = sizeof info;
  info.fMask = sys::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = u"https://example.com/auralis";
  ASSERT_TRUE(sys::ShellExecuteEx(&info));
  EXPECT_GT(reinterpret_cast<std::intptr_t>(info.hInstApp), 32);
  EXPECT_EQ(info.hProcess, nullptr);
  std::u16string license = Path(u"license.TXT");
  info.lpFile = license.c_str();
  ASSERT_TRUE(sys::ShellExecuteEx(&info));
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_TRUE(JournalHas("open\topen https://example.com/auralis"));
  EXPECT_TRUE(JournalHas("open\topen C:\\KsTest\\License.txt"));
  std::u16string missing = Path(u"missing.txt");
  info.lpFile = missing.c_str();
  EXPECT_FALSE(sys::ShellExecuteEx(&info));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(info.hInstApp), sys::SE_ERR_FNF);
}

TEST_F(SimProcess, ShellExecuteStartsProgramsWithAProcessHandle) {
  std::u16string program = ChildProgram();
  sys::SHELLEXECUTEINFO info{};
  info.cbSize = sizeof info;
  info.fMask = sys::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = program.c_str();
  info.lpParameters = u"exit 4";
  ASSERT_TRUE(sys::ShellExecuteEx(&info));
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(sys::WaitForSingleObject(info.hProcess, 60000), sys::WAIT_OBJECT_0);
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 4u);
  sys::CloseHandle(info.hProcess);
}

TEST_F(SimProcess, ModulesLoadAndExport) {
  std::u16string module = TestModule();
  sys::HMODULE handle = sys::LoadLibraryEx(module.c_str(), nullptr, 0);
  ASSERT_NE(handle, nullptr);
  auto answer = reinterpret_cast<int (*)()>(sys::GetProcAddress(handle, "KsAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(sys::GetProcAddress(handle, "NoSuchExport"), nullptr);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_PROC_NOT_FOUND);
  sys::WCHAR path[sys::MAX_PATH];
  ASSERT_GT(sys::GetModuleFileName(handle, path, sys::MAX_PATH), 0u);
  EXPECT_EQ(std::u16string(path), module);
  EXPECT_TRUE(sys::FreeLibrary(handle));
  ASSERT_TRUE(WriteText(Path(u"fake.dll"), "MZ not really"));
  EXPECT_EQ(sys::LoadLibraryEx(Path(u"fake.dll").c_str(), nullptr, 0), nullptr);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(sys::LoadLibraryEx(Path(u"none.dll").c_str(), nullptr, 0), nullptr);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_MOD_NOT_FOUND);
  sim::InjectFault(sim::FaultKind::ModuleLoad, 1, sys::ERROR_ACCESS_DENIED, false);
  EXPECT_EQ(sys::LoadLibraryEx(module.c_str(), nullptr, 0), nullptr);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
}

// The machine's RegSvr32 loads the module and calls its registration export.
TEST_F(SimProcess, RegSvr32CallsTheRegistrationExports) {
  std::u16string module = TestModule();
  struct Case {
    const char16_t* options;
    sys::DWORD exitCode;
    const char* journal;
  } cases[] = {
      {u"/s", 0, "DllRegisterServer C:\\KsTest\\module.dll exit 0"},
      {u"/s /u", 5, "DllUnregisterServer C:\\KsTest\\module.dll exit 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.options));
    std::u16string line = std::u16string(u"regsvr32.exe ") + c.options + u" \"" + module + u"\"";
    EXPECT_EQ(RunCommandLine(line), long(c.exitCode));
    EXPECT_TRUE(JournalHas(std::string("regsvr32\t") + c.journal));
  }
}

TEST_F(SimProcess, ProgramStartedFromAMappedDriveKnowsItsPath) {
  std::string medium = sim::MachineFolder() + "/../medium";
  std::filesystem::create_directories(medium);
  std::filesystem::copy_file(KS_TEST_CHILD, medium + "/KestruneSetup.exe");
  sim::Identity identity = sim::GetIdentity();
  identity.mappedDrives['D'] = medium;
  ASSERT_TRUE(sim::SetIdentity(identity));
  std::u16string line = u"D:\\KestruneSetup.exe whoami " + Path(u"who.txt");
  RunCommandLine(line);
  EXPECT_EQ(ReadText(Path(u"who.txt")), "D:\\KestruneSetup.exe|" + Narrow(line));
}

// A program copied on the machine starts like its source: the copy keeps the
// host's execute permission.
TEST_F(SimProcess, CopiedProgramStarts) {
  std::string medium = sim::MachineFolder() + "/../medium";
  std::filesystem::create_directories(medium);
  std::filesystem::copy_file(KS_TEST_CHILD, medium + "/KestruneSetup.exe");
  sim::Identity identity = sim::GetIdentity();
  identity.mappedDrives['D'] = medium;
  ASSERT_TRUE(sim::SetIdentity(identity));
  ASSERT_TRUE(sys::CopyFile(u"D:\\KestruneSetup.exe", Path(u"Copied.exe").c_str(), sys::TRUE));
  std::u16string line = u"\"" + Path(u"Copied.exe") + u"\" exit 7";
  EXPECT_EQ(RunCommandLine(line), 7);
}

TEST_F(SimProcess, ProcessStartFault) {
  sim::InjectFault(sim::FaultKind::ProcessStart, 1, sys::ERROR_NOT_ENOUGH_MEMORY, false);
  EXPECT_EQ(RunChild(u"exit 0"), -1);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RunChild(u"exit 0"), 0);
}
