// Unzipping (only the host build has minizip; the fixtures are made with the
// same library).

#include <minizip/zip.h>

#include <string>
#include <vector>

#include "ToolsModuleTest.h"
#include "platform/SysFile.h"
#include "platform/sim/SimControl.h"

using namespace ks;

namespace {

struct Entry {
  const char* name;
  std::string data;
};

// A zip archive on the machine, written on the host with minizip.
void MakeZip(const std::u16string& windowsPath, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen(sim::HostPath(windowsPath).c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const Entry& entry : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zip, entry.name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6), ZIP_OK);
    if (!entry.data.empty()) zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

}  // namespace

using Compression = ToolsModuleTest;

TEST_F(Compression, UnzipKeepsOrFlattensFolders) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsArchiveService* archive = Tools()->GetArchiveService();
  ASSERT_NE(archive, nullptr);
  const std::u16string zip = Path(u"skin.zip");
  MakeZip(zip, {{"main.xml", "<SVMS/>"}, {"images/", ""}, {"images/a.png", "PNG-A"}, {"images/deep/b.png", "PNG-B"}});

  ASSERT_TRUE(archive->Unzip(zip.c_str(), Path(u"Kept").c_str(), true));
  EXPECT_EQ(ReadText(Path(u"Kept\\main.xml")), "<SVMS/>");
  EXPECT_EQ(ReadText(Path(u"Kept\\images\\a.png")), "PNG-A");
  EXPECT_EQ(ReadText(Path(u"Kept\\images\\deep\\b.png")), "PNG-B");

  ASSERT_TRUE(archive->Unzip(zip.c_str(), (Path(u"Flat") + u"\\").c_str(), false));
  EXPECT_EQ(ReadText(Path(u"Flat\\a.png")), "PNG-A");
  EXPECT_EQ(ReadText(Path(u"Flat\\b.png")), "PNG-B");
  EXPECT_EQ(sys::GetFileAttributes(Path(u"Flat\\images").c_str()), sys::INVALID_FILE_ATTRIBUTES);
}

// Entries that would leave the target folder are refused and written nowhere.
TEST_F(Compression, UnzipRefusesEscapingEntries) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsArchiveService* archive = Tools()->GetArchiveService();
  for (const char* name : {"../evil.txt", "sub/../../evil.txt", "/evil.txt", "C:/evil.txt", "..\\evil.txt"}) {
    SCOPED_TRACE(name);
    const std::u16string zip = Path(u"evil.zip");
    sys::DeleteFile(zip.c_str());
    MakeZip(zip, {{name, "gotcha"}});
    EXPECT_FALSE(archive->Unzip(zip.c_str(), Path(u"Target\\Inner").c_str(), true));
    EXPECT_EQ(sys::GetFileAttributes(Path(u"Target\\evil.txt").c_str()), sys::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(sys::GetFileAttributes(Path(u"evil.txt").c_str()), sys::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(sys::GetFileAttributes(u"C:\\evil.txt"), sys::INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(Compression, UnzipOfWhatIsNoArchiveFails) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsArchiveService* archive = Tools()->GetArchiveService();
  ASSERT_TRUE(WriteText(Path(u"fake.zip"), "PK but not really an archive"));
  EXPECT_FALSE(archive->Unzip(Path(u"fake.zip").c_str(), Path(u"Out").c_str(), true));
  EXPECT_FALSE(archive->Unzip(Path(u"missing.zip").c_str(), Path(u"Out").c_str(), true));
  // A damaged entry is not left behind half written.
  const std::u16string zip = Path(u"damaged.zip");
  MakeZip(zip, {{"data.bin", std::string(5000, 'x') + "tail"}});
  std::string bytes = ReadText(zip);
  const std::size_t at = bytes.find("data.bin") + 8 + 10;  // inside the compressed data
  bytes[at] = static_cast<char>(bytes[at] ^ 0xFF);
  ASSERT_TRUE(WriteText(zip, bytes));
  EXPECT_FALSE(archive->Unzip(zip.c_str(), Path(u"Damaged").c_str(), true));
  EXPECT_EQ(sys::GetFileAttributes(Path(u"Damaged\\data.bin").c_str()), sys::INVALID_FILE_ATTRIBUTES);
}
