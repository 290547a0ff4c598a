#include "config/KsFileNameFileSystem.h"

#include <string>

#include "TestMachine.h"
#include "config/KsFileName.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

namespace {

class KsFileNameFileSystemTest : public TestMachine {
 protected:
  bool Exists(const std::u16string& name) const {
    return sys::GetFileAttributes(Path(name).c_str()) != sys::INVALID_FILE_ATTRIBUTES;
  }
  // The XMLFN form naming path (escaped as the form needs), with one other value.
  std::u16string XmlForm(const std::u16string& path) const {
    std::u16string escaped;
    for (const char16_t c : path) escaped += c == u'&' ? std::u16string(u"&amp;") : std::u16string(1, c);
    return u"<XMLFN version=\"1.0\"><Item Name=\"Filename\">" + escaped +
           u"</Item><Item Name=\"Volume\">80</Item></XMLFN>";
  }
};

}  // namespace

// Both forms of a KsFileName reach the file its file-name text names: the plain
// text without its ";data" tail, and the XMLFN form's "Filename" item.
TEST_F(KsFileNameFileSystemTest, OperationsActOnTheFileNameText) {
  ASSERT_TRUE(WriteText(Path(u"Rock & Roll.mp3"), "12345"));
  const std::u16string forms[] = {Path(u"Rock & Roll.mp3") + u";start=10", XmlForm(Path(u"Rock & Roll.mp3"))};
  for (const std::u16string& form : forms) {
    SCOPED_TRACE(Narrow(form));
    const KsFileName name(form.c_str());
    EXPECT_TRUE(KsFileNameFileSystem::FileExists(name));
    EXPECT_TRUE(KsFileNameFileSystem::PathExists(name));
    EXPECT_FALSE(KsFileNameFileSystem::FolderExists(name));
    EXPECT_EQ(KsFileNameFileSystem::GetFileSize(name), 5);
    EXPECT_EQ(Narrow(std::u16string(KsFileNameFileSystem::MakeUniqueFileName(name).View())),
              Narrow(Path(u"Rock & Roll (1).mp3")));
  }

  ASSERT_TRUE(WriteText(Path(u"new.mp3"), "new"));
  EXPECT_TRUE(KsFileNameFileSystem::SafeReplaceFile(KsFileName((Path(u"new.mp3") + u";x").c_str()),
                                                    KsFileName(forms[1].c_str())));
  EXPECT_EQ(ReadText(Path(u"Rock & Roll.mp3")), "new");
  EXPECT_FALSE(Exists(u"new.mp3"));

  EXPECT_TRUE(KsFileNameFileSystem::DeleteFile(KsFileName(forms[0].c_str())));
  EXPECT_FALSE(Exists(u"Rock & Roll.mp3"));
}

TEST_F(KsFileNameFileSystemTest, FolderOperations) {
  const KsFileName folder(Path(u"Music\\Jazz\\").c_str());
  ASSERT_TRUE(KsFileNameFileSystem::CreateFolder(folder));
  EXPECT_TRUE(KsFileNameFileSystem::FolderExists(folder));
  EXPECT_TRUE(KsFileNameFileSystem::IsFolderWritable(folder));
  EXPECT_TRUE(KsFileNameFileSystem::IsFolderEmpty(folder, true, false));
  std::int64_t available = 0;
  std::int64_t total = 0;
  EXPECT_TRUE(KsFileNameFileSystem::GetFreeDiskSpace(folder, &available, &total));
  EXPECT_GT(total, 0);

  ASSERT_TRUE(WriteText(Path(u"Music\\Jazz\\a.mp3"), "a"));
  const KsFileName copy(KsString(std::u16string_view(XmlForm(Path(u"Copy")))));
  ASSERT_TRUE(KsFileNameFileSystem::MoveCopyDirectory(KsFileName(Path(u"Music").c_str()), copy, 0,
                                                      nullptr));
  EXPECT_EQ(ReadText(Path(u"Copy\\Jazz\\a.mp3")), "a");
  const KsString temporary = KsFileNameFileSystem::GetTemporaryFileName(u"log", u"txt", copy);
  EXPECT_EQ(temporary.Left(static_cast<int>(Path(u"Copy\\log - ").size())).View(), Path(u"Copy\\log - "));

  EXPECT_TRUE(KsFileNameFileSystem::DeleteFolder(copy));
  EXPECT_FALSE(Exists(u"Copy"));
  EXPECT_TRUE(Exists(u"Music\\Jazz\\a.mp3"));
}

// An XMLFN form without a usable "Filename" item names nothing: every operation
// fails and the scratch folder keeps what it holds.
TEST_F(KsFileNameFileSystemTest, AnEmptyNameTouchesNothing) {
  ASSERT_TRUE(WriteText(Path(u"keep.txt"), "keep"));
  const std::u16string forms[] = {
      u"<XMLFN version=\"1.0\"><Item Name=\"Volume\">80</Item></XMLFN>",
      u"<XMLFN version=\"2.0\"><Item Name=\"Filename\">" + Root() + u"</Item></XMLFN>",
  };
  for (const std::u16string& form : forms) {
    SCOPED_TRACE(Narrow(form));
    const KsFileName name(form.c_str());
    ASSERT_TRUE(name.GetFileName().IsEmpty());
    EXPECT_FALSE(KsFileNameFileSystem::FileExists(name));
    EXPECT_FALSE(KsFileNameFileSystem::DeleteFolder(name));
    EXPECT_FALSE(KsFileNameFileSystem::CreateFolder(name));
    EXPECT_FALSE(KsFileNameFileSystem::DeleteFile(name));
    EXPECT_EQ(KsFileNameFileSystem::GetFileSize(name), -1);
  }
  EXPECT_EQ(ReadText(Path(u"keep.txt")), "keep");
}
