// Starting, waiting for and ending processes; named objects across processes.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"

using namespace ks::sys;

using ProcessContract = TestMachine;

namespace {
BOOL Start(const std::u16string& program, std::u16string line, PROCESS_INFORMATION* process) {
  STARTUPINFO startup{};
  startup.cb = sizeof startup;
  return CreateProcess(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, process);
}
void Close(PROCESS_INFORMATION* process) {
  CloseHandle(process->hThread);
  CloseHandle(process->hProcess);
}
}  // namespace

TEST_F(ProcessContract, ExitCodeAfterWaiting) {
  EXPECT_EQ(RunChild(u"exit 0"), 0);
  EXPECT_EQ(RunChild(u"exit 7"), 7);
}

TEST_F(ProcessContract, ProgramFoundFromTheCommandLine) {
  std::u16string program = ChildProgram();
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(u"", u"\"" + program + u"\" exit 3", &process));
  EXPECT_NE(process.dwProcessId, 0u);
  EXPECT_EQ(GetProcessId(process.hProcess), process.dwProcessId);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 3u);
  Close(&process);
}

TEST_F(ProcessContract, WaitTimesOutThenTerminate) {
  std::u16string program = ChildProgram();
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(program, u"child sleep 30000", &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 50), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_TRUE(TerminateProcess(process.hProcess, 99));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 99u);
  Close(&process);
}

TEST_F(ProcessContract, StartFailures) {
  PROCESS_INFORMATION process{};
  EXPECT_FALSE(Start(Path(u"missing.exe"), u"missing.exe", &process));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(WriteText(Path(u"notes.exe"), "just text"));
  EXPECT_FALSE(Start(Path(u"notes.exe"), u"notes.exe", &process));
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
}

TEST_F(ProcessContract, ChildWorksOnTheSameMachine) {
  EXPECT_EQ(RunChild(u"write \"" + Path(u"from child.txt") + u"\" hello"), 0);
  EXPECT_EQ(ReadText(Path(u"from child.txt")), "hello");
}

TEST_F(ProcessContract, ChildKnowsItsOwnPathAndCommandLine) {
  ASSERT_EQ(RunChild(u"whoami \"" + Path(u"who.txt") + u"\""), 0);
  std::string expected = Narrow(ChildProgram()) + "|\"" + Narrow(ChildProgram()) + "\" whoami \"" +
                         Narrow(Path(u"who.txt")) + "\"";
  EXPECT_EQ(ReadText(Path(u"who.txt")), expected);
}

TEST_F(ProcessContract, NamedMutexIsSeenByOtherProcesses) {
  const char16_t* name = u"Global\\Kestrune Installer Test";
  EXPECT_EQ(RunChild(std::u16string(u"mutex \"") + name + u"\""), 0);  // nobody holds it yet
  HANDLE mutex = CreateMutex(nullptr, TRUE, name);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(RunChild(std::u16string(u"mutex \"") + name + u"\""), 1);  // ERROR_ALREADY_EXISTS there
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
  EXPECT_EQ(RunChild(std::u16string(u"mutex \"") + name + u"\""), 0);
}

// Two processes writing one key at once lose no value.
TEST_F(ProcessContract, ConcurrentRegistryWritersLoseNothing) {
  std::u16string program = ChildProgram();
  const int kCount = 150;
  PROCESS_INFORMATION first{}, second{};
  std::u16string key = KeyPath() + u"\\Shared";
  ASSERT_TRUE(Start(program, u"child regwrite \"" + key + u"\" a 150", &first));
  ASSERT_TRUE(Start(program, u"child regwrite \"" + key + u"\" b 150", &second));
  for (auto* process : {&first, &second}) {
    EXPECT_EQ(WaitForSingleObject(process->hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process->hProcess, &code);
    EXPECT_EQ(code, 0u);
    Close(process);
  }
  HKEY shared = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &shared), 0);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKey(shared, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr),
            0);
  EXPECT_EQ(values, DWORD(2 * kCount));
  DWORD value = 0, size = 4;
  EXPECT_EQ(RegQueryValueEx(shared, u"b149", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), 0);
  EXPECT_EQ(value, 149u);
  RegCloseKey(shared);
}
