// The folder chooser: the folder it answers for each way of ending, and the
// subfolders it suggests while the user types.

#include "ToolkitTest.h"

#include "toolkit/KsFolderChooserPopupWnd.h"
#include "toolkit/UiDriver.h"

#include "platform/SysFile.h"

#include <functional>

using namespace ks::sys;

namespace {

constexpr WPARAM kEnter = 0x0D, kEscape = 0x1B, kDown = 0x28;

TEST_F(ToolkitTest, FolderChooserAnswers) {
  for (const char16_t* name : {u"Media", u"Music", u"Other"}) ASSERT_TRUE(CreateDirectory(Path(name).c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"Mute.txt"), "a file, not a folder"));
  std::u16string start = Root() + u"\\";
  struct Case {
    const char* name;
    std::function<void(UiDriver&)> act;
    std::u16string answer;
  } cases[] = {
      {"OK keeps the start folder", [](UiDriver& d) { d.Then([] { return UiDriver::PressKey(kEnter); }); }, start},
      {"a suggestion taken, then OK",
       [](UiDriver& d) {
         d.Then([] { return UiDriver::Type(u"Mu"); });
         d.Then([] { return UiDriver::PressKey(kDown) && UiDriver::PressKey(kEnter); });
         d.Then([] { return UiDriver::PressKey(kEnter); });
       },
       start + u"Music\\"},
      {"typed by hand", [](UiDriver& d) { d.Then([] { return UiDriver::Type(u"New  ") && UiDriver::PressKey(kEnter); }); },
       start + u"New"},
      {"Esc", [](UiDriver& d) { d.Then([] { return UiDriver::PressKey(kEscape); }); }, u""},
      {"Cancel button", [](UiDriver& d) { d.ClickWhenShown(u"Pick", u"button", u"Cancel"); }, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiDriver driver;
    c.act(driver);
    KsString answer = KsFolderChooserPopupWnd::ChooseFolder(u"Pick", start.c_str());
    EXPECT_EQ(Narrow(std::u16string(answer.View())), Narrow(c.answer));
  }
}

// Only folders are suggested, those beginning with the typed part, each with a backslash.
TEST_F(ToolkitTest, FolderChooserSuggestsSubfolders) {
  for (const char16_t* name : {u"Media", u"Music", u"Other"}) ASSERT_TRUE(CreateDirectory(Path(name).c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"Mute.txt"), "a file, not a folder"));
  UiDriver driver;
  std::u16string picture;
  driver.Then([] { return UiDriver::Type(u"\\m"); });
  driver.Then([&] {
    picture = UiDriver::Render(UiDriver::ActiveWindow());
    return UiDriver::PressKey(kEscape) && UiDriver::PressKey(kEscape);
  });
  KsFolderChooserPopupWnd::ChooseFolder(u"Pick", Root().c_str());
  EXPECT_NE(picture.find(u"Media\\"), std::u16string::npos) << Narrow(picture);
  EXPECT_NE(picture.find(u"Music\\"), std::u16string::npos) << Narrow(picture);
  EXPECT_EQ(picture.find(u"Other"), std::u16string::npos) << Narrow(picture);
  EXPECT_EQ(picture.find(u"Mute"), std::u16string::npos) << Narrow(picture);
}

}  // namespace
