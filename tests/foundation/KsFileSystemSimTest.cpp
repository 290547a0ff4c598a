// Host only: files in use, injected faults, denied folders and full disks of
// the simulated machine.

#include "foundation/KsFileSystem.h"

#include "FoundationTestTools.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/sim/SimControl.h"

namespace sys = ks::sys;
namespace sim = ks::sim;

namespace {

class KsFileSystemSimTest : public PathsMachine {
 protected:
  KsString At(const std::u16string& name) const { return Ks(Path(name)); }
  bool Exists(const std::u16string& name) const {
    return sys::GetFileAttributes(Path(name).c_str()) != sys::INVALID_FILE_ATTRIBUTES;
  }
  FakeTools m_tools;
};

}  // namespace

// A target in use cannot be moved aside: it stays as it was and the new file
// goes.
TEST_F(KsFileSystemSimTest, SafeReplaceOfALockedTargetKeepsIt) {
  ASSERT_TRUE(WriteText(Path(u"a.dll"), "old"));
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  ASSERT_TRUE(sim::LockFile(Path(u"a.dll")));
  EXPECT_FALSE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), At(u"a.dll")));
  ASSERT_TRUE(sim::UnlockFile(Path(u"a.dll")));
  EXPECT_EQ(ReadText(Path(u"a.dll")), "old");
  EXPECT_FALSE(Exists(u"new.dll"));
  EXPECT_FALSE(Exists(u"a (1).dll"));
  EXPECT_TRUE(m_tools.Logged(u"KsFileSystem::SafeReplaceFile: Error renaming original file")) << m_tools.AllLines();
  EXPECT_TRUE(m_tools.Logged(u"(error 32)")) << m_tools.AllLines();
}

// When the new file cannot take the target's place, the old file is put back.
TEST_F(KsFileSystemSimTest, SafeReplaceRestoresTheOriginalWhenTheNewFileCannotMove) {
  ASSERT_TRUE(WriteText(Path(u"a.dll"), "old"));
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  sim::InjectFault(sim::FaultKind::FileMove, 2, sys::ERROR_ACCESS_DENIED, false);
  EXPECT_FALSE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), At(u"a.dll")));
  EXPECT_EQ(ReadText(Path(u"a.dll")), "old");
  EXPECT_FALSE(Exists(u"a (1).dll"));
  EXPECT_FALSE(Exists(u"new.dll"));
  EXPECT_TRUE(m_tools.Logged(u"SafeReplaceFile: Error moving new file into place of original name"))
      << m_tools.AllLines();
}

// If even the restore fails, neither file is deleted: nothing is lost.
TEST_F(KsFileSystemSimTest, SafeReplaceKeepsBothFilesWhenTheRestoreFails) {
  ASSERT_TRUE(WriteText(Path(u"a.dll"), "old"));
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  sim::InjectFault(sim::FaultKind::FileMove, 2, sys::ERROR_ACCESS_DENIED, true);
  EXPECT_FALSE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), At(u"a.dll")));
  sim::ClearFaults();
  EXPECT_EQ(ReadText(Path(u"a (1).dll")), "old");
  EXPECT_EQ(ReadText(Path(u"new.dll")), "new");
  EXPECT_TRUE(m_tools.Logged(u"Error restoring original file")) << m_tools.AllLines();
}

TEST_F(KsFileSystemSimTest, DeniedFolderIsNotWritable) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"locked")));
  sim::DenyAccess(Path(u"locked"));
  EXPECT_FALSE(KsFileSystem::IsFolderWritable(At(u"locked")));
  EXPECT_FALSE(KsFileSystem::CreateFolder(At(u"locked\\sub")));
  EXPECT_TRUE(m_tools.Logged(u"(error 5)")) << m_tools.AllLines();
  sim::AllowAccess(Path(u"locked"));
  EXPECT_TRUE(KsFileSystem::IsFolderWritable(At(u"locked")));
}

// A full disk stops a folder copy with a failure and a log line naming the file.
TEST_F(KsFileSystemSimTest, FullDiskFailsTheFolderCopy) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"src")));
  ASSERT_TRUE(WriteText(Path(u"src\\big.bin"), std::string(4096, 'b')));
  ASSERT_TRUE(sim::SetFreeSpace('C', 100));
  EXPECT_FALSE(KsMoveCopyDirectory(At(u"src"), At(u"dst"), 0, nullptr));
  EXPECT_TRUE(m_tools.Logged(u"big.bin")) << m_tools.AllLines();
  EXPECT_TRUE(m_tools.Logged(u"(error 112)")) << m_tools.AllLines();

  std::int64_t available = -1, total = -1;
  EXPECT_TRUE(KsFileSystem::GetFreeDiskSpace(At(u"not\\made"), &available, &total));
  EXPECT_EQ(available, 100);
}

// A folder that cannot be read is not called empty, and the failure is logged.
TEST_F(KsFileSystemSimTest, UnreadableFolderIsNotEmpty) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"hidden\\sub")));
  sim::DenyAccess(Path(u"hidden\\sub"));
  EXPECT_FALSE(KsFileSystem::IsFolderEmpty(At(u"hidden"), true, false));
  sim::AllowAccess(Path(u"hidden\\sub"));
  EXPECT_TRUE(KsFileSystem::IsFolderEmpty(At(u"hidden"), true, false));
}
