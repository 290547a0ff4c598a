#include "foundation/KsString.h"

#include <gtest/gtest.h>

#include "TestMachine.h"
#include "platform/SysFile.h"

class KsStringSaveToFile : public TestMachine {};

// Each encoding writes its exact bytes, creating the folders above the file.
TEST_F(KsStringSaveToFile, EncodingsAndFolders) {
  const KsString text(u"caf\u00E9 \u20AC");
  struct Case {
    int encoding;
    std::string bytes;
  } cases[] = {
      {kKsEncodingAnsi, "caf\xE9 \x80"},
      {kKsEncodingUtf8, "caf\xC3\xA9 \xE2\x82\xAC"},
      {kKsEncodingUtf16, std::string("\xFF\xFE" "c\0a\0f\0\xE9\0 \0\xAC\x20", 14)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    const std::u16string path = Path(u"new\\deeper\\file" + std::u16string(1, u'0' + c.encoding) + u".txt");
    ASSERT_TRUE(text.SaveToFile(path.c_str(), c.encoding));
    EXPECT_EQ(ReadText(path), c.bytes);
  }
}

TEST_F(KsStringSaveToFile, ReplacesAndReportsFailures) {
  const std::u16string path = Path(u"file.txt");
  ASSERT_TRUE(WriteText(path, "an older and longer text"));
  EXPECT_TRUE(KsString(u"new").SaveToFile(path.c_str(), kKsEncodingUtf8));
  EXPECT_EQ(ReadText(path), "new");
  EXPECT_FALSE(KsString(u"x").SaveToFile(path.c_str(), kKsEncodingDetect));  // not a writing encoding
  EXPECT_FALSE(KsString(u"x").SaveToFile(u"", kKsEncodingUtf8));
  EXPECT_FALSE(KsString(u"x").SaveToFile(Path(u"bad|name.txt").c_str(), kKsEncodingUtf8));
  ASSERT_TRUE(ks::sys::SetFileAttributes(path.c_str(), ks::sys::FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(KsString(u"x").SaveToFile(path.c_str(), kKsEncodingUtf8));
  EXPECT_EQ(ReadText(path), "new");
  ks::sys::SetFileAttributes(path.c_str(), ks::sys::FILE_ATTRIBUTE_NORMAL);
}
