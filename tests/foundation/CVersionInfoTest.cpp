#include "foundation/CVersionInfo.h"

#include "TestMachine.h"
#include "platform/PeImage.h"

namespace {

class CVersionInfoTest : public TestMachine {
 protected:
  // A module file carrying the given file version.
  std::u16string WriteModule(const std::u16string& name, std::uint16_t major, std::uint16_t minor,
                             std::uint16_t build, std::uint16_t revision) {
    ks::pe::VersionSpec fixture;
    fixture.fileVersion[0] = major;
    fixture.fileVersion[1] = minor;
    fixture.fileVersion[2] = build;
    fixture.fileVersion[3] = revision;
    fixture.productVersion[0] = 99;  // must not be mistaken for the file version
    const std::vector<std::uint8_t> image = ks::pe::BuildImageWithVersion(fixture);
    const std::u16string path = Path(name);
    EXPECT_TRUE(WriteText(path, std::string(image.begin(), image.end())));
    return path;
  }
};

}  // namespace

TEST_F(CVersionInfoTest, FormatsAndPacksTheFileVersion) {
  struct Case {
    std::uint16_t parts[4];
    const char16_t* four;
    const char16_t* three;
  };
  const Case cases[] = {
      {{5, 0, 81, 16}, u"5.0.81.16", u"5.0.81"},
      {{22, 1, 0, 2}, u"22.1.0.2", u"22.1.0"},
      {{65535, 65534, 1, 65535}, u"65535.65534.1.65535", u"65535.65534.1"},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(Narrow(item.four));
    const std::u16string path = WriteModule(u"codec.dll", item.parts[0], item.parts[1], item.parts[2], item.parts[3]);
    CVersionInfo info(path.c_str());
    KsString text;
    ASSERT_EQ(info.FormatVersion(text, true), ks::sys::S_OK);
    EXPECT_EQ(text, item.four);
    ASSERT_EQ(info.FormatVersion(text, false), ks::sys::S_OK);
    EXPECT_EQ(text, item.three);
    KsPackedVersion packed = 1;
    EXPECT_EQ(info.GetPackedVersion(packed), ks::sys::S_OK);
    EXPECT_EQ(packed, KsPackVersion(item.parts[0], item.parts[1], item.parts[2], item.parts[3]));
  }
}

// No file, no resource or nothing loaded: E_FAIL everywhere and version 0.
TEST_F(CVersionInfoTest, MissingVersionReadsAsNone) {
  ASSERT_TRUE(WriteText(Path(u"readme.txt"), "not a program"));
  const std::u16string cases[] = {Path(u"missing.dll"), Path(u"readme.txt"), u""};
  for (const std::u16string& path : cases) {
    SCOPED_TRACE(Narrow(path));
    CVersionInfo info;
    EXPECT_EQ(info.Load(path.c_str()), ks::sys::E_FAIL);
    KsString text = u"unchanged";
    EXPECT_EQ(info.FormatVersion(text, true), ks::sys::E_FAIL);
    EXPECT_EQ(text, u"unchanged");
    KsPackedVersion packed = 1;
    EXPECT_EQ(info.GetPackedVersion(packed), ks::sys::E_FAIL);
    EXPECT_EQ(packed, 0u);
  }
}

// A failed reload releases the earlier file's resource.
TEST_F(CVersionInfoTest, FailedReloadForgetsTheEarlierFile) {
  CVersionInfo info(WriteModule(u"codec.dll", 1, 2, 3, 4).c_str());
  KsPackedVersion packed = 0;
  ASSERT_EQ(info.GetPackedVersion(packed), ks::sys::S_OK);
  EXPECT_EQ(info.Load(Path(u"missing.dll").c_str()), ks::sys::E_FAIL);
  EXPECT_EQ(info.GetPackedVersion(packed), ks::sys::E_FAIL);
  EXPECT_EQ(packed, 0u);
  ASSERT_EQ(info.Load(WriteModule(u"other.dll", 7, 0, 0, 1).c_str()), ks::sys::S_OK);
  EXPECT_EQ(info.GetPackedVersion(packed), ks::sys::S_OK);
  EXPECT_EQ(packed, KsPackVersion(7, 0, 0, 1));
}
