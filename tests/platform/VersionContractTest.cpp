// File version resources of PE files, read through the Version.dll calls.

#include "TestMachine.h"

#include "platform/PeImage.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysVersion.h"

#include <vector>

using namespace ks::sys;

class VersionContract : public TestMachine {
 protected:
  std::u16string WriteImage(const std::u16string& name, const ks::pe::VersionSpec& fixture) {
    std::vector<std::uint8_t> image = ks::pe::BuildImageWithVersion(fixture);
    EXPECT_TRUE(WriteText(Path(name), std::string(image.begin(), image.end())));
    return Path(name);
  }
};

TEST_F(VersionContract, ReadsFixedInfoStringsAndTranslation) {
  ks::pe::VersionSpec fixture;
  fixture.fileVersion[0] = 22;
  fixture.fileVersion[1] = 0;
  fixture.fileVersion[2] = 37;
  fixture.fileVersion[3] = 1234;
  fixture.productVersion[0] = 22;
  fixture.strings = {{u"ProductName", u"Auralis"}, {u"CompanyName", u"Kestrune"}};
  std::u16string file = WriteImage(u"Auralis.dll", fixture);
  DWORD handle = 99;
  DWORD size = GetFileVersionInfoSize(file.c_str(), &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::vector<std::uint8_t> block(size);
  ASSERT_TRUE(GetFileVersionInfo(file.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValue(block.data(), u"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, (22u << 16) | 0u);
  EXPECT_EQ(fixed->dwFileVersionLS, (37u << 16) | 1234u);
  EXPECT_EQ(fixed->dwProductVersionMS, 22u << 16);
  ASSERT_TRUE(VerQueryValue(block.data(), u"\\StringFileInfo\\040904b0\\ProductName", &value, &length));
  EXPECT_EQ(std::u16string(static_cast<WCHAR*>(value)), u"Auralis");
  EXPECT_EQ(length, 8u);  // characters, with the terminator
  ASSERT_TRUE(VerQueryValue(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0409);
  EXPECT_EQ(static_cast<WORD*>(value)[1], 0x04B0);
  EXPECT_FALSE(VerQueryValue(block.data(), u"\\StringFileInfo\\040904b0\\Missing", &value, &length));
}

TEST_F(VersionContract, FilesWithoutAVersion) {
  ASSERT_TRUE(WriteText(Path(u"plain.txt"), "not a program"));
  DWORD handle = 0;
  EXPECT_EQ(GetFileVersionInfoSize(Path(u"plain.txt").c_str(), &handle), 0u);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(GetFileVersionInfoSize(Path(u"missing.dll").c_str(), &handle), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
