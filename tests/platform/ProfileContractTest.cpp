// INI profiles as GetPrivateProfileString reads them.

#include "TestMachine.h"

#include "platform/SysFile.h"

#include <vector>

using namespace ks::sys;

class ProfileContract : public TestMachine {
 protected:
  void SetUp() override {
    TestMachine::SetUp();
    ASSERT_TRUE(WriteText(Path(u"setup.ini"),
                          "; comment\r\n[Main]\r\nName = Auralis \r\nQuoted=\"  spaced  \"\r\nCount=42\r\n"
                          "Hex=0x1F\r\n[Other]\r\nKey=other\r\n"));
  }
  std::u16string File() { return Path(u"setup.ini"); }
};

TEST_F(ProfileContract, ReadsValues) {
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* fallback;
    const char16_t* expected;
  } cases[] = {
      {u"Main", u"Name", u"", u"Auralis"},
      {u"MAIN", u"name", u"", u"Auralis"},
      {u"Main", u"Quoted", u"", u"  spaced  "},
      {u"Main", u"Missing", u"fallback  ", u"fallback"},
      {u"Nowhere", u"Name", nullptr, u""},
      {u"Other", u"Key", u"", u"other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.section) + "/" + Narrow(c.key));
    WCHAR buffer[512];
    DWORD length = GetPrivateProfileString(c.section, c.key, c.fallback, buffer, 512, File().c_str());
    EXPECT_EQ(std::u16string(buffer), c.expected);
    EXPECT_EQ(length, std::u16string(c.expected).size());
  }
}

TEST_F(ProfileContract, TruncatesToTheBuffer) {
  WCHAR buffer[4];
  EXPECT_EQ(GetPrivateProfileString(u"Main", u"Name", u"", buffer, 4, File().c_str()), 3u);
  EXPECT_EQ(std::u16string(buffer), u"Aur");
}

TEST_F(ProfileContract, ListsSectionsAndKeys) {
  WCHAR buffer[512];
  DWORD length = GetPrivateProfileString(nullptr, nullptr, u"", buffer, 512, File().c_str());
  EXPECT_EQ(std::u16string(buffer, length), std::u16string(u"Main\0Other\0", 11));
  EXPECT_EQ(buffer[length], 0);
  length = GetPrivateProfileString(u"Main", nullptr, u"", buffer, 512, File().c_str());
  EXPECT_EQ(std::u16string(buffer, length), std::u16string(u"Name\0Quoted\0Count\0Hex\0", 22));
  // Too small: cut short and still double-terminated, size - 2 returned.
  length = GetPrivateProfileString(u"Main", nullptr, u"", buffer, 7, File().c_str());
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(buffer[5], 0);
  EXPECT_EQ(buffer[6], 0);
}

TEST_F(ProfileContract, IntegersAndMissingFiles) {
  EXPECT_EQ(GetPrivateProfileInt(u"Main", u"Count", 7, File().c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileInt(u"Main", u"Missing", 7, File().c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileInt(u"Main", u"Name", 7, File().c_str()), 0u);
  WCHAR buffer[16];
  EXPECT_EQ(GetPrivateProfileString(u"Main", u"Name", u"none", buffer, 16, Path(u"absent.ini").c_str()), 4u);
  EXPECT_EQ(std::u16string(buffer), u"none");
}

TEST_F(ProfileContract, WritesAndRemoves) {
  ASSERT_TRUE(WritePrivateProfileString(u"Main", u"Name", u"Changed", File().c_str()));
  ASSERT_TRUE(WritePrivateProfileString(u"New", u"Key", u"v", File().c_str()));
  ASSERT_TRUE(WritePrivateProfileString(u"Other", nullptr, nullptr, File().c_str()));
  WCHAR buffer[64];
  GetPrivateProfileString(u"Main", u"Name", u"", buffer, 64, File().c_str());
  EXPECT_EQ(std::u16string(buffer), u"Changed");
  GetPrivateProfileString(u"New", u"Key", u"", buffer, 64, File().c_str());
  EXPECT_EQ(std::u16string(buffer), u"v");
  DWORD length = GetPrivateProfileString(nullptr, nullptr, u"", buffer, 64, File().c_str());
  EXPECT_EQ(std::u16string(buffer, length), std::u16string(u"Main\0New\0", 9));
}
