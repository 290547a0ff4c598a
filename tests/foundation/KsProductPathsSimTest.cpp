// Host only: the program's own path, debugger output, shared-memory faults and
// special folders of the simulated machine.

#include "foundation/KsProductPaths.h"

#include "FoundationTestTools.h"
#include "foundation/KsFileSystem.h"
#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysShell.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimDebugControl.h"

namespace sys = ks::sys;
namespace sim = ks::sim;

namespace {

// Runs the test as a program at a path of its choosing.
class KsProductPathsSimTest : public PathsMachine {
 protected:
  void TearDown() override {
    KsProductPaths::ReleaseInstance();
    sim::SetProgramPath(u"");
    PathsMachine::TearDown();
  }
  bool SetRegistryText(const std::u16string& keyPath, const char16_t* name, const std::u16string& value) {
    sys::HKEY key = nullptr;
    if (sys::RegCreateKeyEx(sys::HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != 0) {
      return false;
    }
    const bool ok = sys::RegSetValueEx(key, name, 0, sys::REG_SZ, reinterpret_cast<const sys::BYTE*>(value.c_str()),
                                       static_cast<sys::DWORD>((value.size() + 1) * 2)) == 0;
    sys::RegCloseKey(key);
    return ok;
  }
  const std::u16string m_installations = u"Software\\Quorvane\\Pellanor\\Installations";
};

}  // namespace

// "Portable.dat" beside the program makes its folder the install path and
// keeps application data inside it.
TEST_F(KsProductPathsSimTest, PortableFolderIsTheInstallPath) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(Ks(Path(u"Portable"))));
  ASSERT_TRUE(WriteText(Path(u"Portable\\Portable.dat"), ""));
  sim::SetProgramPath(Path(u"Portable\\KestruneSetup.exe"));
  KsProductPaths paths;
  EXPECT_TRUE(paths.IsPortable());
  EXPECT_EQ(paths.GetExecutablePath(), Ks(Path(u"Portable\\KestruneSetup.exe")));
  EXPECT_EQ(paths.GetProgramFolder(), Ks(Path(u"Portable\\")));
  EXPECT_EQ(paths.GetApplicationDataRoot(), Ks(Path(u"Portable\\Application Data\\")));
  EXPECT_EQ(KsProductPaths::GetSetupFolder(), Ks(Path(u"Portable\\")));
}

// Without a product key the current installation counts only when the
// program runs from inside it; otherwise no installed copy is known.
TEST_F(KsProductPathsSimTest, CurrentInstallationMustContainTheProgram) {
  ASSERT_TRUE(SetRegistryText(m_installations, u"", u"Auralis 22"));
  ASSERT_TRUE(SetRegistryText(m_installations + u"\\Auralis 21", u"Path", Path(u"Old")));
  ASSERT_TRUE(SetRegistryText(m_installations + u"\\Auralis 22", u"Path", Path(u"App")));
  struct Case {
    std::u16string program;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"App\\bin\\Auralis.exe", u"App\\"},
      {u"APP\\Auralis.exe", u"App\\"},
      {u"Apples\\Auralis.exe", u""},  // a longer name is not inside
      {u"Old\\Auralis.exe", u""},     // not the current installation
  };
  for (const Case& test : cases) {
    sim::SetProgramPath(Path(test.program));
    KsProductPaths::ReleaseInstance();
    KsProductPaths paths;
    const std::u16string expected = test.expected.empty() ? u"" : Path(test.expected);
    EXPECT_EQ(std::u16string(paths.GetProgramFolder().View()), expected) << Narrow(test.program);
  }
}

TEST_F(KsProductPathsSimTest, SettingTheInstallPathTellsTheDebuggerAndTheTools) {
  KsProductPaths paths;
  sim::TakeDebugOutput();
  FakeTools tools;
  paths.SetInstallPath(u"C:\\Auralis\\", false, true);
  const auto lines = sim::TakeDebugOutput();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], u"Kestrune install path (process: " +
                          std::u16string(KsFormat(u"%d", static_cast<std::int64_t>(sys::GetCurrentProcessId())).View()) +
                          u"): C:\\Auralis\\\r\n");
  EXPECT_EQ(tools.pathsChanged, 1);
}

// Without shared memory the paths still answer, from a private record.
TEST_F(KsProductPathsSimTest, PrivateRecordWhenSharedMemoryFails) {
  FakeTools tools;
  sim::InjectFault(sim::FaultKind::SharedMemoryOpen, 1, sys::ERROR_ACCESS_DENIED, false);
  KsProductPaths paths;
  EXPECT_FALSE(paths.IsShared());
  EXPECT_TRUE(paths.IsOwner());
  paths.SetInstallPath(u"C:\\Auralis", false, false);
  EXPECT_EQ(paths.GetProgramFolder(), u"C:\\Auralis\\");
  EXPECT_TRUE(tools.Logged(u"CreateFileMapping")) << tools.AllLines();
}

// With no music folder the personal folder's "My Music" is used.
TEST_F(KsProductPathsSimTest, MusicFolderFallsBackToPersonal) {
  sys::WCHAR music[sys::MAX_PATH] = {};
  sys::WCHAR personal[sys::MAX_PATH] = {};
  ASSERT_EQ(sys::SHGetFolderPath(nullptr, sys::CSIDL_PERSONAL, nullptr, 0, personal), sys::S_OK);
  KsProductPaths paths;
  if (sys::SHGetFolderPath(nullptr, sys::CSIDL_MYMUSIC, nullptr, 0, music) == sys::S_OK) {
    EXPECT_EQ(paths.GetMusicFolder(), KsString(music) + u"\\My Music\\");
    ASSERT_TRUE(KsFileSystem::DeleteFolder(music));
  }
  EXPECT_EQ(paths.GetMusicFolder(), KsString(personal) + u"\\My Music\\");
}
