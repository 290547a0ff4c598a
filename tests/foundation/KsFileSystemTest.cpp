#include "foundation/KsFileSystem.h"

#include <string>
#include <vector>

#include "FoundationTestTools.h"
#include "platform/SysDebug.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

namespace {

class KsFileSystemTest : public PathsMachine {
 protected:
  KsString At(const std::u16string& name) const { return Ks(Path(name)); }
  bool Exists(const std::u16string& name) const {
    return sys::GetFileAttributes(Path(name).c_str()) != sys::INVALID_FILE_ATTRIBUTES;
  }
  bool MakeFolder(const std::u16string& name) { return sys::CreateDirectory(Path(name).c_str(), nullptr) != 0; }
  // A path of exactly length characters below the scratch folder, made of
  // 20-character folder names.
  std::u16string LongPath(std::size_t length) const {
    std::u16string path = Root();
    while (path.size() + 21 <= length) path += u"\\" + std::u16string(20, u'd');
    path += u"\\" + std::u16string(length - path.size() - 1, u'f');
    return path;
  }
};

std::string Show(const KsString& text) { return Narrow(std::u16string(text.View())); }

}  // namespace

// Replacing puts the new content under the target name and leaves no backup.
TEST_F(KsFileSystemTest, SafeReplaceFileMovesNewContentIntoPlace) {
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  EXPECT_TRUE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), At(u"missing.dll")));  // a plain move
  EXPECT_EQ(ReadText(Path(u"missing.dll")), "new");
  EXPECT_FALSE(Exists(u"new.dll"));

  ASSERT_TRUE(WriteText(Path(u"a.dll"), "old"));
  ASSERT_TRUE(WriteText(Path(u"a (1).dll"), "someone else's"));
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  EXPECT_TRUE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), At(u"a.dll")));
  EXPECT_EQ(ReadText(Path(u"a.dll")), "new");
  EXPECT_EQ(ReadText(Path(u"a (1).dll")), "someone else's");
  EXPECT_FALSE(Exists(u"a (2).dll")) << "the backup was left behind";
  EXPECT_FALSE(Exists(u"new.dll"));
}

TEST_F(KsFileSystemTest, SafeReplaceFileWithoutANewFileKeepsTheTarget) {
  ASSERT_TRUE(WriteText(Path(u"a.dll"), "old"));
  EXPECT_FALSE(KsFileSystem::SafeReplaceFile(At(u"gone.dll"), At(u"a.dll")));
  EXPECT_EQ(ReadText(Path(u"a.dll")), "old");
}

// A taken name gets " (n)" before the extension, counting up.
TEST_F(KsFileSystemTest, MakeUniqueFileNameCountsUpBeforeTheExtension) {
  ASSERT_TRUE(MakeFolder(u"v1.2"));
  struct Case {
    std::vector<std::u16string> existing;
    std::u16string asked;
    std::u16string expected;
  };
  const Case cases[] = {
      {{}, u"free.txt", u"free.txt"},
      {{u"report.txt"}, u"report.txt", u"report (1).txt"},
      {{u"report.txt", u"report (1).txt"}, u"report.txt", u"report (2).txt"},
      {{u"Copy(3).dat"}, u"Copy(3).dat", u"Copy(4).dat"},
      {{u"v1.2\\readme"}, u"v1.2\\readme", u"v1.2\\readme (1)"},
      {{u"archive.tar.gz"}, u"archive.tar.gz", u"archive.tar (1).gz"},
  };
  for (const Case& test : cases) {
    for (const auto& name : test.existing) ASSERT_TRUE(WriteText(Path(name), "x"));
    EXPECT_EQ(KsFileSystem::MakeUniqueFileName(At(test.asked)), At(test.expected)) << Narrow(test.asked);
    for (const auto& name : test.existing) sys::DeleteFile(Path(name).c_str());
  }
}

TEST_F(KsFileSystemTest, TemporaryFileNameCarriesPrefixThreadAndExtension) {
  const KsString expected =
      KsFormat(u"%s\\PostMessage - %d.pmd", Ks(Root()), static_cast<std::int64_t>(sys::GetCurrentThreadId()));
  EXPECT_EQ(KsFileSystem::GetTemporaryFileName(u"PostMessage", u"pmd", Ks(Root())), expected);
  ASSERT_TRUE(WriteText(std::u16string(expected.View()), "taken"));
  const KsString unique = KsFileSystem::GetTemporaryFileName(u"PostMessage", u"pmd", Ks(Root() + u"\\"));
  EXPECT_EQ(unique, KsFormat(u"%s\\PostMessage - %d (1).pmd", Ks(Root()),
                             static_cast<std::int64_t>(sys::GetCurrentThreadId())))
      << Show(unique);

  // Without a folder the product's temporary folder is used, and made.
  const KsString inTemp = KsFileSystem::GetTemporaryFileName(u"Log", u"txt", u"");
  const KsString temp = KsProductPaths::Get().GetTemporaryFolder();
  EXPECT_TRUE(inTemp.StartsWith(temp, true)) << Show(inTemp);
  EXPECT_TRUE(KsFileSystem::FolderExists(temp)) << Show(temp);
}

TEST_F(KsFileSystemTest, FolderIsWritableOnlyWhenATestFileCanBeMade) {
  EXPECT_TRUE(KsFileSystem::IsFolderWritable(Ks(Root())));
  EXPECT_TRUE(KsFileSystem::IsFolderEmpty(Ks(Root()), true, false)) << "the test file was left behind";
  EXPECT_FALSE(KsFileSystem::IsFolderWritable(At(u"missing")));
  EXPECT_FALSE(KsFileSystem::IsFolderWritable(u""));
}

// A folder is empty when it holds no file that counts; subfolders only count
// when looked into.
TEST_F(KsFileSystemTest, FolderIsEmptyCountsFilesOnly) {
  struct Case {
    const char* name;
    std::vector<std::u16string> files;
    bool recurse;
    bool ignoreThumbs;
    bool expected;
  };
  const Case cases[] = {
      {"nothing", {}, true, true, true},
      {"only Thumbs.db, ignored", {u"Thumbs.db"}, false, true, true},
      {"only thumbs.db, any case", {u"thumbs.DB"}, false, true, true},
      {"only Thumbs.db, counted", {u"Thumbs.db"}, false, false, false},
      {"a file", {u"a.txt"}, false, true, false},
      {"file in a subfolder, not looked into", {u"sub\\a.txt"}, false, false, true},
      {"file in a subfolder, looked into", {u"sub\\deeper\\a.txt"}, true, false, false},
      {"Thumbs.db in a subfolder, ignored", {u"sub\\Thumbs.db"}, true, true, true},
  };
  for (const Case& test : cases) {
    ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"e\\sub\\deeper")));
    for (const auto& file : test.files) ASSERT_TRUE(WriteText(Path(u"e\\" + file), "x"));
    EXPECT_EQ(KsFileSystem::IsFolderEmpty(At(u"e"), test.recurse, test.ignoreThumbs), test.expected) << test.name;
    ASSERT_TRUE(KsFileSystem::DeleteFolder(At(u"e")));
  }
  EXPECT_TRUE(KsFileSystem::IsFolderEmpty(At(u"missing"), true, false));
}

TEST_F(KsFileSystemTest, CreateFolderMakesEveryMissingLevel) {
  EXPECT_TRUE(KsFileSystem::CreateFolder(At(u"a\\b\\c\\")));
  EXPECT_TRUE(KsFileSystem::FolderExists(At(u"a\\b\\c")));
  EXPECT_TRUE(KsFileSystem::CreateFolder(At(u"a\\b")));  // already there
  EXPECT_TRUE(KsFileSystem::CreateFolder(At(u"slashes/x/y")));
  EXPECT_TRUE(KsFileSystem::FolderExists(At(u"slashes\\x\\y")));
  ASSERT_TRUE(WriteText(Path(u"file"), "x"));
  EXPECT_FALSE(KsFileSystem::CreateFolder(At(u"file\\sub")));
  EXPECT_FALSE(KsFileSystem::CreateFolder(u""));
}

TEST_F(KsFileSystemTest, DeleteFolderRemovesTheTreeWithReadOnlyFiles) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"tree\\x\\y")));
  ASSERT_TRUE(WriteText(Path(u"tree\\top.txt"), "1"));
  ASSERT_TRUE(WriteText(Path(u"tree\\x\\y\\deep.txt"), "2"));
  ASSERT_TRUE(sys::SetFileAttributes(Path(u"tree\\x\\y\\deep.txt").c_str(), sys::FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(KsFileSystem::DeleteFolder(At(u"tree")));
  EXPECT_FALSE(Exists(u"tree"));
  EXPECT_TRUE(KsFileSystem::DeleteFolder(At(u"tree"))) << "nothing left to delete";
  ASSERT_TRUE(WriteText(Path(u"plain"), "x"));
  EXPECT_FALSE(KsFileSystem::DeleteFolder(At(u"plain")));
  EXPECT_TRUE(Exists(u"plain"));
}

TEST_F(KsFileSystemTest, DeleteFileClearsReadOnlyAndFileQueries) {
  ASSERT_TRUE(WriteText(Path(u"ro.txt"), "12345"));
  ASSERT_TRUE(sys::SetFileAttributes(Path(u"ro.txt").c_str(), sys::FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(KsFileSystem::FileExists(At(u"ro.txt")));
  EXPECT_EQ(KsFileSystem::GetFileSize(At(u"ro.txt")), 5);
  EXPECT_TRUE(KsFileSystem::DeleteFile(At(u"ro.txt")));
  EXPECT_FALSE(KsFileSystem::FileExists(At(u"ro.txt")));
  EXPECT_EQ(KsFileSystem::GetFileSize(At(u"ro.txt")), -1);
  EXPECT_FALSE(KsFileSystem::DeleteFile(At(u"ro.txt")));
  // A folder is not a file, and a pattern is not a name.
  EXPECT_FALSE(KsFileSystem::FileExists(Ks(Root())));
  EXPECT_EQ(KsFileSystem::GetFileSize(Ks(Root())), -1);
  ASSERT_TRUE(WriteText(Path(u"x.txt"), "1"));
  EXPECT_EQ(KsFileSystem::GetFileSize(At(u"*.txt")), -1);
}

namespace {
class RecordingProgress final : public IKsCopyProgress {
 public:
  bool OnFileCopied(const KsString&, const KsString& target, int done, int total) override {
    targets.push_back(Narrow(std::u16string(target.View())));
    lastDone = done;
    lastTotal = total;
    return static_cast<int>(targets.size()) < stopAfter;
  }
  std::vector<std::string> targets;
  int lastDone = 0;
  int lastTotal = 0;
  int stopAfter = 1000;
};
}  // namespace

TEST_F(KsFileSystemTest, CopyFolderCopiesTheTreeAndReportsEachFile) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"src\\sub\\empty")));
  ASSERT_TRUE(WriteText(Path(u"src\\a.txt"), "a"));
  ASSERT_TRUE(WriteText(Path(u"src\\sub\\b.txt"), "b"));
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"dst")));
  ASSERT_TRUE(WriteText(Path(u"dst\\a.txt"), "stale"));
  ASSERT_TRUE(sys::SetFileAttributes(Path(u"dst\\a.txt").c_str(), sys::FILE_ATTRIBUTE_READONLY));
  RecordingProgress progress;
  EXPECT_TRUE(KsMoveCopyDirectory(At(u"src"), At(u"dst"), 0, &progress));
  EXPECT_EQ(ReadText(Path(u"dst\\a.txt")), "a") << "a read-only target is replaced";
  EXPECT_EQ(ReadText(Path(u"dst\\sub\\b.txt")), "b");
  EXPECT_TRUE(KsFileSystem::FolderExists(At(u"dst\\sub\\empty")));
  EXPECT_EQ(ReadText(Path(u"src\\a.txt")), "a");
  EXPECT_EQ(progress.targets.size(), 2u);
  EXPECT_EQ(progress.lastDone, 2);
  EXPECT_EQ(progress.lastTotal, 2);

  // Keeping existing files, and a copy into a folder inside the source.
  ASSERT_TRUE(WriteText(Path(u"src\\a.txt"), "changed"));
  EXPECT_TRUE(KsMoveCopyDirectory(At(u"src"), At(u"dst"), KsFileSystem::kKeepExisting, nullptr));
  EXPECT_EQ(ReadText(Path(u"dst\\a.txt")), "a");
  EXPECT_TRUE(KsMoveCopyDirectory(At(u"src"), At(u"src\\sub\\copy"), 0, nullptr));
  EXPECT_EQ(ReadText(Path(u"src\\sub\\copy\\sub\\b.txt")), "b");
  EXPECT_FALSE(Exists(u"src\\sub\\copy\\sub\\copy"));
}

TEST_F(KsFileSystemTest, MoveFolderEmptiesTheSourceAndCancelStops) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(At(u"src\\sub")));
  ASSERT_TRUE(WriteText(Path(u"src\\a.txt"), "a"));
  ASSERT_TRUE(WriteText(Path(u"src\\sub\\b.txt"), "b"));
  EXPECT_TRUE(KsMoveCopyDirectory(At(u"src"), At(u"moved"), KsFileSystem::kMoveFiles, nullptr));
  EXPECT_FALSE(Exists(u"src"));
  EXPECT_EQ(ReadText(Path(u"moved\\sub\\b.txt")), "b");

  RecordingProgress cancelAfterOne;
  cancelAfterOne.stopAfter = 1;
  EXPECT_FALSE(KsMoveCopyDirectory(At(u"moved"), At(u"again"), 0, &cancelAfterOne));
  EXPECT_EQ(cancelAfterOne.targets.size(), 1u);
  EXPECT_FALSE(KsMoveCopyDirectory(At(u"missing"), At(u"again"), 0, nullptr));
}

// Characters Windows refuses in a name become "_", control characters a
// blank; backslashes stay.
TEST(KsFileSystemText, CleanFileName) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"C:\\Music\\Why?.mp3", u"C_\\Music\\Why_.mp3"},
      {u"a/b*c\"d<e>f|g", u"a_b_c_d_e_f_g"},
      {u"tab\there\x1f", u"tab here "},
      {u"", u""},
      {u"plain name.txt", u"plain name.txt"},
  };
  for (const Case& test : cases) {
    const KsString cleaned = KsFileSystem::CleanFileName(KsString(std::u16string_view(test.in)));
    EXPECT_EQ(std::u16string(cleaned.View()), test.out) << Narrow(test.in);
  }
}

TEST(KsFileSystemText, FormatSizeText) {
  struct Case {
    std::int64_t bytes;
    const char16_t* text;
  };
  const Case cases[] = {
      {0, u"0 bytes"},
      {1023, u"1023 bytes"},
      {1024, u"1.0 KB"},
      {1536, u"1.5 KB"},
      {150ll << 20, u"150 MB"},
      {(99ll << 30) + (1ll << 29), u"99.5 GB"},
      {3ll << 40, u"3.0 TB"},
      {5ll << 50, u"5.0 PB"},
      {-1536, u"-1.5 KB"},
      {-5, u"-5 bytes"},
      {INT64_MIN, u"-8192 PB"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(KsFileSystem::FormatSizeText(test.bytes), test.text) << test.bytes;
  }
}

// Paths of MAX_PATH characters or more reach Windows with the long-path
// prefix, once.
TEST(KsFileSystemText, ToLongPath) {
  const std::u16string tail(300, u'x');
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"C:\\short", u"C:\\short"},
      {u"C:\\" + std::u16string(256, u'x'), u"C:\\" + std::u16string(256, u'x')},
      {u"C:\\" + std::u16string(257, u'x'), u"\\\\?\\C:\\" + std::u16string(257, u'x')},
      {u"C:\\" + tail, u"\\\\?\\C:\\" + tail},
      {u"C:/dir/" + tail, u"\\\\?\\C:\\dir\\" + tail},
      {u"\\\\?\\C:\\" + tail, u"\\\\?\\C:\\" + tail},
      {u"\\\\server\\share\\" + tail, u"\\\\?\\UNC\\server\\share\\" + tail},
      {u"relative\\" + tail, u"relative\\" + tail},
  };
  for (const Case& test : cases) {
    const KsString result = KsFileSystem::ToLongPath(KsString(std::u16string_view(test.in)));
    EXPECT_EQ(std::u16string(result.View()), test.out) << Narrow(test.in.substr(0, 20)) << " (" << test.in.size()
                                                        << " characters)";
  }
}

// Long paths work through every helper; absurd ones fail cleanly.
TEST_F(KsFileSystemTest, LongPathsWorkAndHugeOnesFail) {
  const std::u16string deep = LongPath(300);
  ASSERT_EQ(deep.size(), 300u);
  const KsString folder = Ks(deep);
  EXPECT_TRUE(KsFileSystem::CreateFolder(folder));
  EXPECT_TRUE(KsFileSystem::IsFolderWritable(folder));
  const KsString file = folder + u"\\file.txt";
  ASSERT_TRUE(WriteText(std::u16string(KsFileSystem::ToLongPath(file).View()), "long"));
  EXPECT_EQ(KsFileSystem::GetFileSize(file), 4);
  EXPECT_EQ(KsFileSystem::MakeUniqueFileName(file), folder + u"\\file (1).txt");
  EXPECT_FALSE(KsFileSystem::IsFolderEmpty(At(u"dddddddddddddddddddd"), true, false));
  std::int64_t available = 0, total = 0;
  EXPECT_TRUE(KsFileSystem::GetFreeDiskSpace(folder, &available, &total));
  EXPECT_GT(total, 0);
  EXPECT_TRUE(KsMoveCopyDirectory(At(u"dddddddddddddddddddd"), At(u"copy"), 0, nullptr));
  EXPECT_TRUE(KsFileSystem::DeleteFolder(At(u"dddddddddddddddddddd")));
  EXPECT_TRUE(KsFileSystem::DeleteFolder(At(u"copy")));
  EXPECT_TRUE(KsFileSystem::IsFolderEmpty(Ks(Root()), true, false));

  const KsString huge = Ks(LongPath(40000));
  EXPECT_FALSE(KsFileSystem::CreateFolder(huge));
  EXPECT_FALSE(KsFileSystem::DeleteFolder(huge));
  EXPECT_FALSE(KsFileSystem::IsFolderWritable(huge));
  EXPECT_FALSE(KsFileSystem::FileExists(huge));
  EXPECT_EQ(KsFileSystem::GetFileSize(huge), -1);
  EXPECT_FALSE(KsFileSystem::SafeReplaceFile(huge, At(u"target")));
  EXPECT_FALSE(KsMoveCopyDirectory(huge, At(u"copy"), 0, nullptr));
  EXPECT_FALSE(KsFileSystem::GetFreeDiskSpace(huge, &available, &total));
  EXPECT_EQ(available, 0);
}

// Free space of a folder not made yet is that of its nearest existing parent.
TEST_F(KsFileSystemTest, FreeDiskSpaceAsksTheNearestExistingFolder) {
  std::int64_t rootAvailable = -1, rootTotal = -1;
  ASSERT_TRUE(KsFileSystem::GetFreeDiskSpace(u"C", &rootAvailable, &rootTotal));
  EXPECT_GT(rootTotal, 0);
  std::int64_t available = -1, total = -1;
  EXPECT_TRUE(KsFileSystem::GetFreeDiskSpace(At(u"not\\made\\yet"), &available, &total));
  EXPECT_EQ(total, rootTotal);
  EXPECT_FALSE(KsFileSystem::GetFreeDiskSpace(u"Q:\\nothing\\here", &available, &total));
  EXPECT_EQ(available, 0);
  EXPECT_EQ(total, 0);
}

// Names Windows refuses give a plain failure, never a crash or a stray file.
TEST_F(KsFileSystemTest, RefusedNamesFailCleanly) {
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  for (const std::u16string name : {u"bad<name", u"bad|name", u"bad?name", u"bad\"name"}) {
    const KsString path = At(name);
    EXPECT_FALSE(KsFileSystem::CreateFolder(path)) << Narrow(name);
    EXPECT_FALSE(KsFileSystem::IsFolderWritable(path)) << Narrow(name);
    EXPECT_FALSE(KsFileSystem::FileExists(path)) << Narrow(name);
    EXPECT_FALSE(KsFileSystem::SafeReplaceFile(At(u"new.dll"), path)) << Narrow(name);
    EXPECT_EQ(ReadText(Path(u"new.dll")), "new") << Narrow(name);
    EXPECT_FALSE(KsMoveCopyDirectory(path, At(u"copy"), 0, nullptr)) << Narrow(name);
  }
  EXPECT_FALSE(Exists(u"copy"));
}
