// The PE version reader on damaged input: every cut and every flipped byte of a
// good image is answered without reading outside the buffer.

#include "platform/PeImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> GoodImage() {
  ks::pe::VersionSpec fixture;
  fixture.fileVersion[0] = 22;
  fixture.strings = {{u"ProductName", u"Auralis"}};
  return ks::pe::BuildImageWithVersion(fixture);
}

}  // namespace

TEST(PeImage, FindsTheBlockTheWriterPutThere) {
  std::vector<std::uint8_t> image = GoodImage();
  std::size_t offset = 0, length = 0;
  bool isPe = false;
  ASSERT_TRUE(ks::pe::FindVersionResource(image.data(), image.size(), &offset, &length, &isPe));
  EXPECT_TRUE(isPe);
  std::vector<std::uint8_t> block = ks::pe::BuildVersionInfo({{22, 0, 0, 0}, {1, 0, 0, 0}, {{u"ProductName", u"Auralis"}}, true});
  ASSERT_EQ(length, block.size());
  EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + long(offset)));
}

TEST(PeImage, TruncatedImagesAreRefused) {
  std::vector<std::uint8_t> image = GoodImage();
  for (std::size_t size = 0; size < image.size(); size += 7) {
    // A copy of exactly size bytes, so reading past it is caught by the sanitizers.
    std::vector<std::uint8_t> cut(image.begin(), image.begin() + long(size));
    std::size_t offset = 0, length = 0;
    bool isPe = false;
    if (ks::pe::FindVersionResource(cut.data(), cut.size(), &offset, &length, &isPe)) {
      EXPECT_LE(offset + length, cut.size()) << "size " << size;
    }
  }
}

TEST(PeImage, CorruptedBytesStayInBounds) {
  const std::vector<std::uint8_t> image = GoodImage();
  for (std::size_t at = 0; at < 0x300 && at < image.size(); ++at) {
    for (std::uint8_t value : {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(0x80)}) {
      std::vector<std::uint8_t> damaged = image;
      damaged[at] = value;
      std::size_t offset = 0, length = 0;
      bool isPe = false;
      if (ks::pe::FindVersionResource(damaged.data(), damaged.size(), &offset, &length, &isPe)) {
        EXPECT_LE(offset + length, damaged.size()) << "byte " << at;
      }
    }
  }
}
