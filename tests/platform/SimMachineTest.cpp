// The simulated machine's folder and identity.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysRegistry.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace ks;
namespace fs = std::filesystem;

class SimMachine : public TestMachine {
 protected:
  std::string Scratch(const std::string& name) {
    std::string folder = sim::MachineFolder() + "/../" + name;
    fs::remove_all(folder);
    return folder;
  }
  void SetFacts(void (*change)(sim::Identity*)) {
    sim::Identity identity = sim::GetIdentity();
    change(&identity);
    ASSERT_TRUE(sim::SetIdentity(identity));
  }
};

// A folder that is no whole machine is refused with a reason, never used.
TEST_F(SimMachine, DamagedFoldersAreRefused) {
  const std::string machine = sim::MachineFolder();
  std::string other = Scratch("other");
  std::string error;
  EXPECT_FALSE(sim::AttachMachine(other, &error));
  EXPECT_NE(error.find("no machine folder"), std::string::npos) << error;

  struct Case {
    const char* name;
    void (*damage)(const std::string& folder);
    const char* reason;
  } cases[] = {
      {"no machine.ini", [](const std::string& f) { fs::remove(f + "/machine.ini"); }, "cannot read"},
      {"foreign ini", [](const std::string& f) { std::ofstream(f + "/machine.ini") << "[Other]\nx=1\n"; }, "Format"},
      {"bad number", [](const std::string& f) { std::ofstream(f + "/machine.ini") << "[Machine]\nFormat=1\n[Identity]\nMajor=ten\n"; }, "Major"},
      {"garbage registry", [](const std::string& f) {
         fs::remove(f + "/registry.db-wal");
         fs::remove(f + "/registry.db-shm");
         std::ofstream(f + "/registry.db", std::ios::trunc) << std::string(8192, 'x');
       }, "registry"},
      {"no registry", [](const std::string& f) { fs::remove(f + "/registry.db"); }, "registry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string folder = Scratch(std::string("damaged-") + c.name);
    ASSERT_TRUE(sim::CreateMachine(folder, sim::Identity(), &error)) << error;
    c.damage(folder);
    error.clear();
    EXPECT_FALSE(sim::AttachMachine(folder, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder + "/registry.db") && fs::file_size(folder + "/registry.db") == 0);
  }
  // The machine attached before is still the one in use.
  EXPECT_EQ(sim::MachineFolder(), machine);
}

TEST_F(SimMachine, FolderOfAnotherUserIsRefused) {
  std::string folder = Scratch("foreign"), error;
  ASSERT_TRUE(sim::CreateMachine(folder, sim::Identity(), &error)) << error;
  if (::chown(folder.c_str(), ::geteuid() + 1, ::getegid()) != 0) GTEST_SKIP() << "cannot give the folder away here";
  EXPECT_FALSE(sim::AttachMachine(folder, &error));
  EXPECT_NE(error.find("another user"), std::string::npos) << error;
}

TEST_F(SimMachine, CreateRefusesAFolderInUse) {
  std::string error;
  EXPECT_FALSE(sim::CreateMachine(sim::MachineFolder(), sim::Identity(), &error));
  EXPECT_NE(error.find("not empty"), std::string::npos);
}

TEST_F(SimMachine, IdentityFactsReachTheSeam) {
  SetFacts([](sim::Identity* id) {
    id->major = 5;
    id->minor = 1;
    id->servicePack = u"Service Pack 3";
    id->cpuFeatures = 1u << 3;  // MMX only
    id->networkUp = false;
    id->userName = u"Ada";
  });
  sys::OSVERSIONINFOEX version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(sys::GetVersionEx(&version));
  EXPECT_EQ(version.dwMajorVersion, 5u);
  EXPECT_EQ(version.dwMinorVersion, 1u);
  EXPECT_EQ(std::u16string(version.szCSDVersion), u"Service Pack 3");
  EXPECT_EQ(version.wServicePackMajor, 3);
  EXPECT_FALSE(sys::IsProcessorFeaturePresent(sys::PF_XMMI64_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(sys::IsProcessorFeaturePresent(sys::PF_MMX_INSTRUCTIONS_AVAILABLE));
  sys::DWORD flags = 0;
  EXPECT_FALSE(sys::IsNetworkAlive(&flags));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_SUCCESS);
  sys::WCHAR name[16];
  sys::DWORD size = 16;
  ASSERT_TRUE(sys::GetUserName(name, &size));
  EXPECT_EQ(std::u16string(name), u"Ada");
}

TEST_F(SimMachine, StandardUserCannotWriteTheMachine) {
  SetFacts([](sim::Identity* id) { id->administrator = false; });
  EXPECT_FALSE(sys::IsUserAnAdmin());
  sys::HKEY key = nullptr;
  EXPECT_EQ(sys::RegCreateKeyEx(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Kestrune", 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            sys::LSTATUS(sys::ERROR_ACCESS_DENIED));
  EXPECT_EQ(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft", 0, sys::KEY_SET_VALUE, &key),
            sys::LSTATUS(sys::ERROR_ACCESS_DENIED));
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft", 0, sys::KEY_READ, &key), 0);
  sys::RegCloseKey(key);
  ASSERT_TRUE(WriteText(Path(u"a.txt"), "a"));
  EXPECT_FALSE(sys::MoveFileEx(Path(u"a.txt").c_str(), nullptr, sys::MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
  // The user's own hive stays writable.
  EXPECT_EQ(sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, u"Software\\Kestrune", 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            0);
  sys::RegCloseKey(key);
}

TEST_F(SimMachine, FreshWindows10Registry) {
  struct Case {
    sys::REGSAM view;
    const char16_t* key;
    const char16_t* value;
    const char16_t* expected;
  } cases[] = {
      {sys::KEY_WOW64_64KEY, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir", u"C:\\Program Files"},
      {sys::KEY_WOW64_32KEY, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir",
       u"C:\\Program Files (x86)"},
      {0, u"SOFTWARE\\Microsoft\\Internet Explorer", u"svcVersion", u"11.789.19041.0"},
      {0, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", u"Common AppData",
       u"C:\\ProgramData"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.key) + " " + Narrow(c.value));
    sys::HKEY key = nullptr;
    ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, c.key, 0, sys::KEY_READ | c.view, &key), 0);
    sys::WCHAR text[128] = {};
    sys::DWORD size = sizeof text;
    EXPECT_EQ(sys::RegQueryValueEx(key, c.value, nullptr, nullptr, reinterpret_cast<sys::BYTE*>(text), &size), 0);
    EXPECT_EQ(std::u16string(text), c.expected);
    sys::RegCloseKey(key);
  }
}

// Folders of a Windows 10 profile, and of XP when the machine says XP.
TEST_F(SimMachine, SpecialFoldersFollowTheWindowsVersion) {
  struct Case {
    int folder;
    const char16_t* windows10;
    const char16_t* xp;
  } cases[] = {
      {sys::CSIDL_APPDATA, u"C:\\Users\\User\\AppData\\Roaming", u"C:\\Documents and Settings\\User\\Application Data"},
      {sys::CSIDL_COMMON_PROGRAMS, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
       u"C:\\Documents and Settings\\All Users\\Start Menu\\Programs"},
      {sys::CSIDL_PERSONAL, u"C:\\Users\\User\\Documents", u"C:\\Documents and Settings\\User\\My Documents"},
      {sys::CSIDL_PROGRAM_FILES, u"C:\\Program Files (x86)", u"C:\\Program Files"},
  };
  for (const Case& c : cases) {
    sys::WCHAR path[sys::MAX_PATH];
    ASSERT_EQ(sys::SHGetFolderPath(nullptr, c.folder, nullptr, 0, path), sys::S_OK);
    EXPECT_EQ(std::u16string(path), c.windows10);
  }
  std::string folder = Scratch("xp"), error;
  sim::Identity xp;
  xp.major = 5;
  xp.minor = 1;
  xp.is64Bit = false;
  ASSERT_TRUE(sim::CreateMachine(folder, xp, &error)) << error;
  ASSERT_TRUE(sim::AttachMachine(folder, &error)) << error;
  for (const Case& c : cases) {
    sys::WCHAR path[sys::MAX_PATH];
    ASSERT_EQ(sys::SHGetFolderPath(nullptr, c.folder, nullptr, 0, path), sys::S_OK);
    EXPECT_EQ(std::u16string(path), c.xp);
  }
}
