// Picture files decoded into bitmaps: PNG and JPEG known by their contents,
// anything else refused with ERROR_INVALID_DATA, a missing file with its own error.

#include "PictureFixtures.h"
#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysImage.h"

using namespace ks::sys;

namespace {

class ImageContract : public TestMachine {};

TEST_F(ImageContract, DecodesPngAndJpegByContent) {
  struct Case {
    const char16_t* name;
    std::string bytes;
    LONG width, height;
  } cases[] = {
      {u"red.png", PngFixture(), 3, 2},
      {u"blue.jpg", JpegFixture(), 4, 5},
      {u"named-wrong.png", JpegFixture(), 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    ASSERT_TRUE(WriteText(Path(c.name), c.bytes));
    HBITMAP bitmap = LoadImageFile(Path(c.name).c_str());
    ASSERT_NE(bitmap, nullptr) << GetLastError();
    BITMAP info{};
    ASSERT_EQ(GetObject(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, c.width);
    EXPECT_EQ(info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, c.height);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_TRUE(DeleteObject(bitmap));
  }
}

TEST_F(ImageContract, RefusesWhatIsNoPicture) {
  std::string png = PngFixture();
  struct Case {
    const char16_t* name;
    std::string bytes;
  } cases[] = {
      {u"text.png", "just some text"},
      {u"empty.jpg", ""},
      {u"cut.png", png.substr(0, png.size() / 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    ASSERT_TRUE(WriteText(Path(c.name), c.bytes));
    SetLastError(0);
    EXPECT_EQ(LoadImageFile(Path(c.name).c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  }
  EXPECT_EQ(LoadImageFile(Path(u"missing.png").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
