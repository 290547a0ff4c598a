#include "foundation/KsProductPaths.h"

#include <cstdint>
#include <cstring>

#include "FoundationTestTools.h"
#include "foundation/KsFileSystem.h"
#include "foundation/KsSharedMemory.h"
#include "platform/SysDebug.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysShell.h"

namespace sys = ks::sys;

namespace {

using KsProductPathsTest = PathsMachine;

std::int32_t Int32At(const void* record, std::size_t offset) {
  std::int32_t value = 0;
  std::memcpy(&value, static_cast<const std::uint8_t*>(record) + offset, sizeof value);
  return value;
}

std::u16string SlotAt(const void* record, std::size_t offset) {
  const auto* chars = reinterpret_cast<const char16_t*>(static_cast<const std::uint8_t*>(record) + offset);
  std::u16string text;
  for (int index = 0; index < 261 && chars[index] != 0; ++index) text += chars[index];
  return text;
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

}  // namespace

// The record other modules read: its name, size and the values of a fresh
// initialisation at their offsets.
TEST_F(KsProductPathsTest, FirstUseInitialisesTheSharedRecord) {
  KsProductPaths paths;
  ASSERT_TRUE(paths.IsShared());
  EXPECT_TRUE(paths.IsOwner());
  const KsString name = KsProductPaths::RecordName();
  EXPECT_EQ(name, KsFormat(u"Kestrune Process v22 (%d)", static_cast<std::int64_t>(sys::GetCurrentProcessId())));

  KsSharedMemory memory;
  ASSERT_TRUE(memory.Open(name, KsProductPaths::kRecordSize));
  const void* record = memory.GetData();
  EXPECT_EQ(static_cast<const std::uint8_t*>(record)[0], 1);
  EXPECT_EQ(SlotAt(record, 2), std::u16string(paths.GetExecutablePath().View()));
  EXPECT_EQ(SlotAt(record, 524), std::u16string(paths.GetProgramFolder().View()));
  EXPECT_EQ(SlotAt(record, 1046), u"");
  EXPECT_EQ(SlotAt(record, 2090), std::u16string(paths.GetApplicationDataRoot().View()));
  EXPECT_EQ(static_cast<std::uint32_t>(Int32At(record, 2616)), sys::GetCurrentThreadId());
  EXPECT_EQ(static_cast<std::uint32_t>(Int32At(record, 2620)), 0x80000001u);
  EXPECT_EQ(Int32At(record, 3160), -1);
  EXPECT_EQ(Int32At(record, 3164), -1);
  EXPECT_EQ(Int32At(record, 3168), 99);
  EXPECT_FALSE(paths.GetExecutablePath().IsEmpty());
  EXPECT_TRUE(paths.GetProgramFolder().IsEmpty());  // no installation is registered
  EXPECT_TRUE(paths.GetApplicationDataRoot().EndsWithBackslash());

  // A second object of the process reads the same record and does not own it.
  KsProductPaths other;
  EXPECT_FALSE(other.IsOwner());
  paths.SetInstallPath(u"C:\\Auralis", true, false);
  EXPECT_EQ(other.GetProgramFolder(), u"C:\\Auralis\\");
  EXPECT_EQ(SlotAt(record, 1568), u"C:\\Auralis\\");
  other.SetInstallPath(u"C:\\Elsewhere", false, true);  // owner-only: ignored
  EXPECT_EQ(paths.GetProgramFolder(), u"C:\\Auralis\\");
  paths.MarkStarted();
  EXPECT_EQ(static_cast<const std::uint8_t*>(record)[2612], 1);
}

// Slots hold at most 259 characters; a longer path is cut there.
TEST_F(KsProductPathsTest, LongPathsAreCutTo259Characters) {
  KsProductPaths paths;
  FakeTools tools;
  const std::u16string longPath = u"C:\\" + std::u16string(400, u'p');
  paths.SetInstallPath(Ks(longPath), false, false);
  const KsString program = paths.GetProgramFolder();
  EXPECT_EQ(program.GetLength(), 260);
  EXPECT_EQ(std::u16string(program.View().substr(0, 259)), longPath.substr(0, 259));
  EXPECT_TRUE(tools.Logged(u"cut to 259")) << tools.AllLines();
  EXPECT_EQ(tools.pathsChanged, 1);
  paths.SetWorkingProgramFolder(Ks(u"C:\\" + std::u16string(40000, u'w')));
  EXPECT_EQ(paths.GetWorkingProgramFolder().GetLength(), 260);
}

// The folders derived from the slots, the Windows folders and the registry.
TEST_F(KsProductPathsTest, DerivedFolders) {
  KsProductPaths paths;
  paths.SetInstallPath(u"C:\\Program Files\\Auralis", false, false);
  const KsString windows = KsProductPaths::GetWindowsFolder();
  sys::WCHAR programFiles[sys::MAX_PATH] = {};
  ASSERT_EQ(sys::SHGetFolderPath(nullptr, sys::CSIDL_PROGRAM_FILES, nullptr, 0, programFiles), sys::S_OK);
  struct Case {
    const char* what;
    KsString actual, expected;
  };
  const Case cases[] = {
      {"data folder without a working folder", paths.GetDataFolder(), u"C:\\Program Files\\Auralis\\Data\\"},
      {"skins", paths.GetSkinsFolder(), u"C:\\Program Files\\Auralis\\Skins\\"},
      {"theater skins", paths.GetViewSkinsFolder(KsProductPaths::View::Theater),
       u"C:\\Program Files\\Auralis\\Skins\\Theater View\\"},
      {"mini skins", paths.GetViewSkinsFolder(KsProductPaths::View::Mini),
       u"C:\\Program Files\\Auralis\\Skins\\Mini View\\"},
      {"application data", paths.GetApplicationDataFolder(),
       paths.GetApplicationDataRoot() + u"Drellan\\Generic\\"},
      {"fonts", KsProductPaths::GetFontsFolder(), windows + u"Fonts\\"},
      {"program files (the process's registry view)", KsProductPaths::GetProgramFilesFolder(),
       KsString(programFiles) + u"\\"},
  };
  for (const Case& test : cases)
    EXPECT_EQ(test.actual, test.expected) << test.what << ": " << Narrow(std::u16string(test.actual.View()));
  EXPECT_TRUE(windows.EndsWithBackslash());
  EXPECT_TRUE(KsProductPaths::GetSystemFolder().StartsWith(windows, true));

  paths.SetWorkingProgramFolder(u"D:\\Setup\\Sonavel");
  EXPECT_EQ(paths.GetDataFolder(), u"D:\\Setup\\Sonavel\\Data\\");
  EXPECT_EQ(paths.GetWorkingProgramFolder(), u"D:\\Setup\\Sonavel\\");
  paths.SetModuleFolder(u"D:\\Setup\\Sonavel\\");
  EXPECT_EQ(paths.GetModuleFolder(), u"D:\\Setup\\Sonavel\\");
}

// With a product key, the installation of that name supplies the install path.
TEST_F(KsProductPathsTest, InstallPathFromTheNamedInstallation) {
  const std::u16string installations = u"Software\\Quorvane\\Pellanor\\Installations";
  ASSERT_TRUE(SetRegistryText(installations + u"\\Auralis 21", u"Path", u"C:\\Old"));
  ASSERT_TRUE(SetRegistryText(installations + u"\\Auralis 22", u"Path", u"C:\\Program Files\\Auralis 22"));
  KsProductPaths paths;
  paths.DiscoverInstallPath(u"auralis 22", true, false);
  EXPECT_EQ(paths.GetProgramFolder(), u"C:\\Program Files\\Auralis 22\\");
  EXPECT_EQ(paths.GetModuleFolder(), u"C:\\Program Files\\Auralis 22\\");
  paths.DiscoverInstallPath(u"Auralis 30", false, false);  // none: no installed copy
  EXPECT_TRUE(paths.GetProgramFolder().IsEmpty());
}

// The configured temp location gains "Drellan"; one that cannot be made is
// removed from the settings and the application data "Temp" is used.
TEST_F(KsProductPathsTest, TemporaryFolder) {
  KsProductPaths paths;
  const KsString fallback = paths.GetApplicationDataFolder() + u"Temp\\";
  EXPECT_EQ(paths.GetTemporaryFolder(), fallback) << "without the tools module";
  EXPECT_TRUE(KsFileSystem::FolderExists(fallback));

  FakeTools tools;
  tools.properties.values[u"File Location - Temp Location"] = Root() + u"\\MyTemp";
  EXPECT_EQ(paths.GetTemporaryFolder(), Ks(Root() + u"\\MyTemp\\Drellan\\"));
  EXPECT_TRUE(KsFileSystem::FolderExists(Ks(Root() + u"\\MyTemp\\Drellan")));

  ASSERT_TRUE(WriteText(Path(u"blocked"), "a file where the folder should be"));
  tools.properties.values[u"File Location - Temp Location"] = Root() + u"\\blocked\\";
  EXPECT_EQ(paths.GetTemporaryFolder(), fallback);
  EXPECT_EQ(tools.properties.values.count(u"File Location - Temp Location"), 0u);
}

TEST_F(KsProductPathsTest, MusicFolderEndsInMyMusic) {
  KsProductPaths paths;
  const KsString music = paths.GetMusicFolder();
  EXPECT_GE(music.FindNoCase(u"My Music"), 0) << Narrow(std::u16string(music.View()));
  EXPECT_TRUE(music.EndsWithBackslash());
  EXPECT_EQ(music.Find(u"My Music"), music.GetLength() - 9) << "My Music appended once";
}

TEST_F(KsProductPathsTest, ProcessWideObjectIsCreatedOnce) {
  KsProductPaths& first = KsProductPaths::Get();
  EXPECT_EQ(&KsProductPaths::Get(), &first);
  EXPECT_TRUE(first.IsOwner());
}
