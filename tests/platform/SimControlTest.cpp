// The test controls of the simulated machine: faults, files in use, rights,
// free space, the handle report, time and key state.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"
#include "platform/SysSystem.h"
#include "platform/SysTime.h"
#include "platform/sim/SimControl.h"

#include <string>

using namespace ks;

using SimControl = TestMachine;

TEST_F(SimControl, FaultOnceFailsOnlyTheNthCall) {
  sim::InjectFault(sim::FaultKind::FileCreate, 2, sys::ERROR_DISK_FULL, false);
  EXPECT_TRUE(WriteText(Path(u"1.txt"), "1"));
  EXPECT_FALSE(WriteText(Path(u"2.txt"), "2"));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_DISK_FULL);
  EXPECT_EQ(sys::GetFileAttributes(Path(u"2.txt").c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(WriteText(Path(u"3.txt"), "3"));
}

TEST_F(SimControl, PersistentFaultsAndCounts) {
  sim::ResetCallCounts();
  ASSERT_TRUE(WriteText(Path(u"a.txt"), "a"));
  sim::InjectFault(sim::FaultKind::FileCopy, 1, sys::ERROR_ACCESS_DENIED, true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(sys::CopyFile(Path(u"a.txt").c_str(), Path(u"b.txt").c_str(), sys::FALSE));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(sim::CallCount(sim::FaultKind::FileCopy), 3);
  EXPECT_EQ(sim::CallCount(sim::FaultKind::FileCreate), 1);
  EXPECT_EQ(sim::CallCount(sim::FaultKind::FileWrite), 1);
  sim::ClearFaults();
  EXPECT_TRUE(sys::CopyFile(Path(u"a.txt").c_str(), Path(u"b.txt").c_str(), sys::FALSE));
}

TEST_F(SimControl, RegistryAndMoveFaults) {
  sim::InjectFault(sim::FaultKind::RegistryWrite, 1, sys::ERROR_ACCESS_DENIED, false);
  sys::HKEY key = nullptr;
  EXPECT_EQ(sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, u"Software\\Faulty", 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            sys::LSTATUS(sys::ERROR_ACCESS_DENIED));
  ASSERT_TRUE(WriteText(Path(u"m.txt"), "m"));
  sim::InjectFault(sim::FaultKind::FileMove, 1, sys::ERROR_SHARING_VIOLATION, false);
  EXPECT_FALSE(sys::MoveFile(Path(u"m.txt").c_str(), Path(u"n.txt").c_str()));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(sys::MoveFile(Path(u"m.txt").c_str(), Path(u"n.txt").c_str()));
}

// A file another program holds: no replace, delete or move until released.
TEST_F(SimControl, LockedFiles) {
  ASSERT_TRUE(WriteText(Path(u"in use.dll"), "old"));
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  ASSERT_TRUE(sim::LockFile(Path(u"IN USE.dll")));
  EXPECT_FALSE(sys::CopyFile(Path(u"new.dll").c_str(), Path(u"in use.dll").c_str(), sys::FALSE));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(sys::DeleteFile(Path(u"in use.dll").c_str()));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
  // A rename onto an open file is refused as access, as Windows does.
  EXPECT_FALSE(sys::MoveFileEx(Path(u"new.dll").c_str(), Path(u"in use.dll").c_str(), sys::MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadText(Path(u"in use.dll")), "<cannot open>");
  ASSERT_TRUE(sim::UnlockFile(Path(u"in use.dll")));
  EXPECT_TRUE(sys::CopyFile(Path(u"new.dll").c_str(), Path(u"in use.dll").c_str(), sys::FALSE));
  EXPECT_EQ(ReadText(Path(u"in use.dll")), "new");
}

TEST_F(SimControl, DeniedRights) {
  ASSERT_TRUE(sys::CreateDirectory(Path(u"Protected").c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"Protected\\f.txt"), "f"));
  sim::DenyAccess(Path(u"protected"));
  EXPECT_FALSE(WriteText(Path(u"Protected\\g.txt"), "g"));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(sys::DeleteFile(Path(u"Protected\\f.txt").c_str()));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  EXPECT_TRUE(WriteText(Path(u"ProtectedNot.txt"), "x"));  // a prefix of the name is not the folder
  sim::AllowAccess(Path(u"Protected"));
  EXPECT_TRUE(WriteText(Path(u"Protected\\g.txt"), "g"));
}

// Writes and copies past the free space fail and leave no partial file.
TEST_F(SimControl, DiskFull) {
  ASSERT_TRUE(WriteText(Path(u"big.bin"), std::string(5000, 'b')));
  ASSERT_TRUE(sim::SetFreeSpace('C', 3000));
  sys::ULARGE_INTEGER free{};
  ASSERT_TRUE(sys::GetDiskFreeSpaceEx(u"C:\\", &free, nullptr, nullptr));
  EXPECT_EQ(free.QuadPart, 3000u);
  EXPECT_FALSE(sys::CopyFile(Path(u"big.bin").c_str(), Path(u"copy.bin").c_str(), sys::FALSE));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_DISK_FULL);
  EXPECT_EQ(sys::GetFileAttributes(Path(u"copy.bin").c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(WriteText(Path(u"w.bin"), std::string(3001, 'w')));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_DISK_FULL);
  EXPECT_TRUE(WriteText(Path(u"fits.bin"), std::string(2000, 'w')));
  ASSERT_TRUE(sys::GetDiskFreeSpaceEx(u"C:\\", &free, nullptr, nullptr));
  EXPECT_EQ(free.QuadPart, 1000u);
  ASSERT_TRUE(sys::DeleteFile(Path(u"big.bin").c_str()));
  ASSERT_TRUE(sys::GetDiskFreeSpaceEx(u"C:\\", &free, nullptr, nullptr));
  EXPECT_EQ(free.QuadPart, 6000u);
}

TEST_F(SimControl, LeakedAndDoubleClosedHandlesAreReported) {
  sys::HANDLE event = sys::CreateEvent(nullptr, sys::TRUE, sys::FALSE, nullptr);
  sys::HANDLE file = sys::CreateFile(Path(u"leak.txt").c_str(), sys::GENERIC_WRITE, 0, nullptr, sys::CREATE_ALWAYS,
                                     0, nullptr);
  ASSERT_NE(file, sys::INVALID_HANDLE_VALUE);
  EXPECT_TRUE(sys::CloseHandle(event));
  EXPECT_FALSE(sys::CloseHandle(event));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_HANDLE);
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, KeyPath().c_str(), 0, sys::KEY_READ, &key), 0);
  std::vector<std::string> problems = sim::TakeHandleProblems();
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_NE(problems[0].find("closed twice"), std::string::npos) << problems[0];
  std::string all = problems[1] + problems[2];
  EXPECT_NE(all.find("leak.txt"), std::string::npos) << all;
  EXPECT_NE(all.find("KestruneTest"), std::string::npos) << all;
  EXPECT_TRUE(sim::TakeHandleProblems().empty());
}

TEST_F(SimControl, VirtualTime) {
  sim::UseVirtualTime(true);
  sys::DWORD start = sys::GetTickCount();
  sys::Sleep(30000);
  EXPECT_EQ(sys::GetTickCount() - start, 30000u);
  sys::HANDLE event = sys::CreateEvent(nullptr, sys::TRUE, sys::FALSE, nullptr);
  EXPECT_EQ(sys::WaitForSingleObject(event, 5000), sys::WAIT_TIMEOUT);
  EXPECT_EQ(sys::GetTickCount() - start, 35000u);
  sim::AdvanceTime(250);
  sys::LARGE_INTEGER counter{}, frequency{};
  sys::QueryPerformanceCounter(&counter);
  sys::QueryPerformanceFrequency(&frequency);
  EXPECT_EQ(sys::GetTickCount() - start, 35250u);
  sys::CloseHandle(event);
}

TEST_F(SimControl, KeyStateAndJournal) {
  EXPECT_EQ(sys::GetKeyState(0x10), 0);
  sim::SetKeyState(0x10, sys::SHORT(0x8000));
  EXPECT_LT(sys::GetKeyState(0x10), 0);
  sim::AppendJournal("note", "from the test");
  std::vector<std::string> journal = sim::ReadJournal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), "note\tfrom the test");
}

TEST_F(SimControl, RestartIsJournaledWithThePrivilege) {
  EXPECT_FALSE(sys::ExitWindowsEx(sys::EWX_REBOOT, 0));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_PRIVILEGE_NOT_HELD);
  sys::HANDLE token = nullptr;
  ASSERT_TRUE(sys::OpenProcessToken(sys::GetCurrentProcess(), sys::TOKEN_ADJUST_PRIVILEGES, &token));
  sys::TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  sys::LookupPrivilegeValue(nullptr, sys::SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  privileges.Privileges[0].Attributes = sys::SE_PRIVILEGE_ENABLED;
  ASSERT_TRUE(sys::AdjustTokenPrivileges(token, sys::FALSE, &privileges, 0, nullptr, nullptr));
  sys::CloseHandle(token);
  EXPECT_TRUE(sys::ExitWindowsEx(sys::EWX_REBOOT, 0x80020002));
  std::vector<std::string> journal = sim::ReadJournal();
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[journal.size() - 2], "privilege\tSeShutdownPrivilege enabled");
  EXPECT_EQ(journal.back(), "exitwindows\trestart flags=0x2 reason=0x80020002");
  privileges.Privileges[0].Attributes = 0;
  ASSERT_TRUE(sys::OpenProcessToken(sys::GetCurrentProcess(), sys::TOKEN_ADJUST_PRIVILEGES, &token));
  sys::AdjustTokenPrivileges(token, sys::FALSE, &privileges, 0, nullptr, nullptr);
  sys::CloseHandle(token);
}
