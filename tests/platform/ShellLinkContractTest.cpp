// Shell links: what is saved reads back, COM must be started first, and file
// errors come back as HRESULTs of their Win32 codes.

#include "platform/SysShellLink.h"

#include <gtest/gtest.h>

#include <string>

#include "TestMachine.h"
#include "platform/SysFile.h"

class ShellLinkContract : public TestMachine {
 protected:
  void SetUp() override {
    TestMachine::SetUp();
    ASSERT_EQ(ks::sys::OleInitialize(nullptr), ks::sys::S_OK);
  }
  void TearDown() override {
    ks::sys::OleUninitialize();
    TestMachine::TearDown();
  }
};

TEST_F(ShellLinkContract, SavedFieldsReadBack) {
  const std::u16string link = Path(u"Auralis.lnk");
  const std::u16string target = Path(u"Auralis.exe");
  ASSERT_TRUE(WriteText(target, "MZ"));
  ASSERT_EQ(ks::sys::CreateShellLink(link.c_str(), target.c_str(), u"/play \"a b.mp3\"", Root().c_str(),
                                     u"Plays music \u266B", target.c_str(), 2, 3),
            ks::sys::S_OK);
  ks::sys::SHELL_LINK_DATA read{};
  ASSERT_EQ(ks::sys::ReadShellLink(link.c_str(), &read), ks::sys::S_OK);
  EXPECT_EQ(Narrow(read.target), Narrow(target));
  EXPECT_EQ(std::u16string(read.arguments), u"/play \"a b.mp3\"");
  EXPECT_EQ(Narrow(read.workingDirectory), Narrow(Root()));
  EXPECT_EQ(std::u16string(read.description), u"Plays music \u266B");
  EXPECT_EQ(Narrow(read.iconPath), Narrow(target));
  EXPECT_EQ(read.iconIndex, 2);

  // Saving again replaces the link; absent texts read back empty.
  ASSERT_EQ(ks::sys::CreateShellLink(link.c_str(), target.c_str(), nullptr, nullptr, nullptr, nullptr, 0, 1),
            ks::sys::S_OK);
  ASSERT_EQ(ks::sys::ReadShellLink(link.c_str(), &read), ks::sys::S_OK);
  EXPECT_EQ(read.arguments[0], 0);
  EXPECT_EQ(read.description[0], 0);
}

TEST_F(ShellLinkContract, ShowCommandReadsBack) {
  const std::u16string link = Path(u"Maximized.lnk");
  ASSERT_EQ(ks::sys::CreateShellLink(link.c_str(), Root().c_str(), nullptr, nullptr, nullptr, nullptr, 0, 3),
            ks::sys::S_OK);
  ks::sys::SHELL_LINK_DATA read{};
  ASSERT_EQ(ks::sys::ReadShellLink(link.c_str(), &read), ks::sys::S_OK);
  EXPECT_EQ(read.showCommand, 3);  // SW_SHOWMAXIMIZED
}

TEST_F(ShellLinkContract, Failures) {
  const std::u16string missingFolder = Path(u"no such folder\\x.lnk");
  EXPECT_EQ(ks::sys::CreateShellLink(missingFolder.c_str(), Root().c_str(), nullptr, nullptr, nullptr, nullptr, 0, 1),
            ks::sys::HresultFromWin32(ks::sys::ERROR_PATH_NOT_FOUND));
  ks::sys::SHELL_LINK_DATA read{};
  EXPECT_EQ(ks::sys::ReadShellLink(Path(u"missing.lnk").c_str(), &read),
            ks::sys::HresultFromWin32(ks::sys::ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(WriteText(Path(u"plain.lnk"), "not a link"));
  EXPECT_LT(ks::sys::ReadShellLink(Path(u"plain.lnk").c_str(), &read), 0);
}

TEST_F(ShellLinkContract, NeedsComOnTheThread) {
  ks::sys::OleUninitialize();
  EXPECT_EQ(ks::sys::CreateShellLink(Path(u"x.lnk").c_str(), Root().c_str(), nullptr, nullptr, nullptr, nullptr, 0, 1),
            ks::sys::CO_E_NOTINITIALIZED);
  EXPECT_EQ(ks::sys::GetFileAttributes(Path(u"x.lnk").c_str()), ks::sys::INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(ks::sys::OleInitialize(nullptr), ks::sys::S_OK);
}
