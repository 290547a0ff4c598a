// Windows path rules over the machine folder, and what no path may do: leave it.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysSystem.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <filesystem>
#include <fstream>

using namespace ks;
namespace fs = std::filesystem;

using SimPath = TestMachine;

namespace {
bool Inside(const std::string& host, const std::string& folder) {
  std::string canonical = fs::weakly_canonical(host).string();
  return canonical.compare(0, folder.size() + 1, folder + "/") == 0;
}
}  // namespace

// ".." stops at the root as on Windows: no spelling reaches the host outside.
TEST_F(SimPath, DotDotNeverLeavesTheMachine) {
  const std::string machine = fs::canonical(sim::MachineFolder()).string();
  for (const char16_t* path :
       {u"C:\\..\\..\\..\\escape.txt", u"C:\\KsTest\\..\\..\\..\\..\\escape.txt", u"C:/../../escape.txt",
        u"..\\..\\..\\..\\..\\escape.txt", u"\\\\server\\share\\..\\..\\..\\escape.txt",
        u"C:\\KsTest\\.\\..\\KsTest\\..\\..\\escape.txt"}) {
    SCOPED_TRACE(Narrow(path));
    sys::HANDLE file = sys::CreateFile(path, sys::GENERIC_WRITE, 0, nullptr, sys::CREATE_ALWAYS, 0, nullptr);
    if (file != sys::INVALID_HANDLE_VALUE) sys::CloseHandle(file);
    std::string host = sim::HostPath(path);
    if (!host.empty()) {
      EXPECT_TRUE(Inside(host, machine)) << host;
    }
  }
  EXPECT_FALSE(fs::exists(fs::path(machine).parent_path() / "escape.txt"));
  EXPECT_TRUE(fs::exists(machine + "/drives/c/escape.txt"));  // C:\..\escape.txt is C:\escape.txt
}

TEST_F(SimPath, LiteralPathsRefuseDotSegments) {
  sys::HANDLE file = sys::CreateFile(u"\\\\?\\C:\\KsTest\\..\\x.txt", sys::GENERIC_WRITE, 0, nullptr,
                                     sys::CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(file, sys::INVALID_HANDLE_VALUE);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_NAME);
}

TEST_F(SimPath, HugePathsAreRefused) {
  std::u16string huge = u"C:\\" + std::u16string(40000, u'a');
  EXPECT_EQ(sys::GetFileAttributes(huge.c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_FILENAME_EXCED_RANGE);
  huge = u"\\\\?\\" + huge;
  EXPECT_FALSE(sys::CreateDirectory(huge.c_str(), nullptr));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_FILENAME_EXCED_RANGE);
  std::u16string longSegment = u"\\\\?\\C:\\KsTest\\" + std::u16string(300, u'b');
  EXPECT_FALSE(sys::CreateDirectory(longSegment.c_str(), nullptr));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_FILENAME_EXCED_RANGE);
}

// Device names and control characters are refused, whatever the extension.
TEST_F(SimPath, NamesWindowsRefuses) {
  for (const char16_t* name : {u"CON", u"con.txt", u"NUL", u"aux.log", u"COM1", u"lpt9.dat", u"PRN ", u"a\tb"}) {
    SCOPED_TRACE(Narrow(name));
    EXPECT_FALSE(WriteText(Path(name), "x"));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_NAME);
  }
  EXPECT_TRUE(WriteText(Path(u"COM10"), "x"));
  EXPECT_TRUE(WriteText(Path(u"console.txt"), "x"));
}

TEST_F(SimPath, HostLinksInsideDrivesAreNotFollowed) {
  std::string outside = sim::MachineFolder() + "/../outside";
  fs::create_directories(outside);
  std::ofstream(outside + "/secret.txt") << "secret";
  fs::create_directory_symlink(outside, sim::HostPath(Root()) + "/link");
  EXPECT_EQ(sys::GetFileAttributes(Path(u"link\\secret.txt").c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WriteText(Path(u"link\\new.txt"), "x"));
  EXPECT_FALSE(fs::exists(outside + "/new.txt"));
}

TEST_F(SimPath, MappedDrivesAndShares) {
  std::string medium = sim::MachineFolder() + "/../medium";
  fs::create_directories(medium + "/Setup");
  std::ofstream(medium + "/Setup/Install.xml") << "<KsIC/>";
  sim::Identity identity = sim::GetIdentity();
  identity.mappedDrives['D'] = medium;
  ASSERT_TRUE(sim::SetIdentity(identity));
  EXPECT_EQ(ReadText(u"d:\\setup\\install.XML"), "<KsIC/>");
  EXPECT_EQ(sys::GetFileAttributes(u"E:\\"), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_PATH_NOT_FOUND);

  fs::create_directories(sim::MachineFolder() + "/unc/Server/Share");
  EXPECT_TRUE(WriteText(u"\\\\SERVER\\share\\file.txt", "unc"));
  EXPECT_EQ(ReadText(u"\\\\?\\UNC\\server\\Share\\FILE.txt"), "unc");
  EXPECT_TRUE(fs::exists(sim::MachineFolder() + "/unc/Server/Share/file.txt"));
  EXPECT_EQ(sys::GetFileAttributes(u"\\\\nobody\\share\\x"), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_BAD_NETPATH);
}

TEST_F(SimPath, RelativePathsUseTheCurrentFolder) {
  ASSERT_TRUE(sys::SetCurrentDirectory(Root().c_str()));
  ASSERT_TRUE(WriteText(u"relative.txt", "r"));
  EXPECT_EQ(ReadText(Path(u"relative.txt")), "r");
  EXPECT_EQ(ReadText(u"\\KsTest\\relative.txt"), "r");
  sys::WCHAR full[sys::MAX_PATH];
  sys::WCHAR* name = nullptr;
  ASSERT_GT(sys::GetFullPathName(u"sub\\..\\relative.txt", sys::MAX_PATH, full, &name), 0u);
  EXPECT_EQ(std::u16string(full), u"C:\\KsTest\\relative.txt");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string(name), u"relative.txt");
}

// A 32-bit program on a 64-bit machine sees SysWOW64 as System32.
TEST_F(SimPath, System32RedirectionOfA32BitProcess) {
  ASSERT_TRUE(WriteText(u"C:\\Windows\\SysWOW64\\only32.dll", "32"));
  ASSERT_TRUE(WriteText(u"C:\\Windows\\Sysnative\\only64.dll", "64"));
  EXPECT_EQ(ReadText(u"C:\\Windows\\System32\\only32.dll"), "32");
  EXPECT_EQ(sys::GetFileAttributes(u"C:\\Windows\\System32\\only64.dll"), sys::INVALID_FILE_ATTRIBUTES);
  void* old = nullptr;
  ASSERT_TRUE(sys::Wow64DisableWow64FsRedirection(&old));
  EXPECT_EQ(ReadText(u"C:\\Windows\\System32\\only64.dll"), "64");
  ASSERT_TRUE(sys::Wow64RevertWow64FsRedirection(old));
  EXPECT_EQ(ReadText(u"C:\\Windows\\System32\\only32.dll"), "32");
  sys::WCHAR path[sys::MAX_PATH];
  ASSERT_GT(sys::GetSystemWow64Directory(path, sys::MAX_PATH), 0u);
  EXPECT_EQ(std::u16string(path), u"C:\\Windows\\SysWOW64");
  sys::BOOL wow64 = sys::FALSE;
  ASSERT_TRUE(sys::IsWow64Process(sys::GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
  sim::SetProcess64(true);
  EXPECT_EQ(ReadText(u"C:\\Windows\\System32\\only64.dll"), "64");
  EXPECT_FALSE(sys::Wow64DisableWow64FsRedirection(&old));
  ASSERT_TRUE(sys::IsWow64Process(sys::GetCurrentProcess(), &wow64));
  EXPECT_FALSE(wow64);
}
