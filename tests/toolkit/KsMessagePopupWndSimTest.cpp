// The message popup: the index of the button chosen by mouse or keyboard, -1
// when closed, Enter on the default button, and what it shows.

#include "ToolkitTest.h"

#include "toolkit/KsButtonCtrl.h"
#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsMessagePopupWnd.h"
#include "toolkit/UiDriver.h"

#include <functional>

using namespace ks::sys;

namespace {

const KsChar* const kButtons[] = {u"Yes", u"No", u"Cancel"};

// Each way of answering and the index it gives.
TEST_F(ToolkitTest, MessagePopupAnswers) {
  constexpr WPARAM kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B, kSpace = 0x20, kRight = 0x27;
  struct Case {
    const char* name;
    int defaultButton;
    std::function<bool()> act;
    int result;
  } cases[] = {
      {"click No", 0, [] { return UiDriver::Click(u"button", u"No"); }, 1},
      {"click Cancel", 0, [] { return UiDriver::Click(u"button", u"Cancel"); }, 2},
      {"Enter takes the default", 1, [] { return UiDriver::PressKey(kEnter); }, 1},
      {"Space on the focused default", 2, [] { return UiDriver::PressKey(kSpace); }, 2},
      {"Tab then Enter takes the next", 0, [] { return UiDriver::PressKey(kTab) && UiDriver::PressKey(kEnter); }, 1},
      {"Shift+Tab wraps to the last", 0,
       [] { return UiDriver::PressKey(kTab, true) && UiDriver::PressKey(kEnter); }, 2},
      {"Escape closes", 0, [] { return UiDriver::PressKey(kEscape); }, -1},
      {"close button", 0, [] { return UiDriver::ActiveWindow() && UiDriver::ActiveWindow()->PostMessage(WM_CLOSE, 0, 0); },
       -1},
      {"keys it does not know change nothing", 0,
       [] { return UiDriver::PressKey(kRight) && UiDriver::PressKey(kEnter); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiDriver driver;
    driver.Then(c.act);
    EXPECT_EQ(KsMessagePopupWnd::Run(u"Question", u"Go on?", kButtons, 3, c.defaultButton), c.result);
    EXPECT_TRUE(driver.IsDone());
    EXPECT_FALSE(driver.HasFailed());
  }
}

// Without a valid default button, Enter picks nothing and the popup stays.
TEST_F(ToolkitTest, MessagePopupWithoutDefaultIgnoresEnter) {
  for (int defaultButton : {-1, 3, 99}) {
    SCOPED_TRACE(defaultButton);
    UiDriver driver;
    bool stillShown = false;
    driver.Then([] { return UiDriver::PressKey(0x0D); });
    driver.Then([&] {
      stillShown = UiDriver::Find(u"button", u"Yes") != nullptr;
      return UiDriver::Click(u"button", u"Yes");
    });
    EXPECT_EQ(KsMessagePopupWnd::Run(u"Question", u"Go on?", kButtons, 3, defaultButton), 0);
    EXPECT_TRUE(stillShown);
  }
}

// Ending from outside (0x889A) and destruction leave -1 or the posted value; a
// message with no buttons can still be closed.
TEST_F(ToolkitTest, MessagePopupEndedFromOutside) {
  {
    UiDriver driver;
    driver.Then([] { return UiDriver::ActiveWindow() && UiDriver::ActiveWindow()->PostMessage(0x889A, 5, 0); });
    EXPECT_EQ(KsMessagePopupWnd::Run(u"Note", u"Text", kButtons, 3, 0), 5);
  }
  {
    UiDriver driver;
    driver.Then([] { return UiDriver::PressKey(0x1B); });
    EXPECT_EQ(KsMessagePopupWnd::Run(u"Note", u"Text", nullptr, 0, 0), -1);
  }
}

// The popup shows its title, its text broken at CR LF with the bold part
// marked, and its buttons in order, the default one focused.
TEST_F(ToolkitTest, MessagePopupShowsTitleTextAndButtons) {
  UiDriver driver;
  std::u16string picture;
  std::vector<UiDriver::ControlState> controls;
  driver.Then([&] {
    KsControlsWnd* window = UiDriver::ActiveWindow();
    if (!window) return false;
    picture = UiDriver::Render(window);
    controls = UiDriver::Describe(window);
    return UiDriver::PressKey(0x1B);
  });
  const KsChar* buttons[] = {u"Retry", u"Cancel"};
  EXPECT_EQ(KsMessagePopupWnd::Run(u"Setup", u"The file is <b>in use</b>.\r\nClose the program.", buttons, 2, 0), -1);
  EXPECT_NE(picture.find(u"+- Setup -"), std::u16string::npos) << Narrow(picture);
  std::size_t first = picture.find(u"The file is in use.");
  std::size_t second = picture.find(u"Close the program.");
  ASSERT_NE(first, std::u16string::npos) << Narrow(picture);
  ASSERT_NE(second, std::u16string::npos) << Narrow(picture);
  EXPECT_NE(picture.substr(first, second - first).find(u'\n'), std::u16string::npos) << "one line each";
  std::size_t retry = picture.find(u"> Retry <");
  std::size_t cancel = picture.find(u"[ Cancel");
  EXPECT_NE(retry, std::u16string::npos) << Narrow(picture);
  EXPECT_LT(retry, cancel) << Narrow(picture);
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(Narrow(std::u16string(controls[0].role.View())), "formattedtext");
  EXPECT_TRUE(controls[1].focused);
  EXPECT_FALSE(controls[2].focused);
}

}  // namespace

namespace {

// A step waiting for a control that never shows ends the run instead of hanging it.
TEST_F(ToolkitTest, DriverGivesUpOnAStepThatNeverHolds) {
  UiDriver driver;
  driver.SetPatience(5);
  driver.Then([] { return UiDriver::Click(u"button", u"Maybe"); });
  const KsChar* buttons[] = {u"Yes", u"No"};
  EXPECT_EQ(KsMessagePopupWnd::Run(u"Question", u"Go on?", buttons, 2, 0), -1);
  EXPECT_TRUE(driver.HasFailed());
  EXPECT_TRUE(driver.IsDone());
}

// Waiting steps hold the script until the window and the text are there; a
// second message shown from the first one's answer is answered in turn.
TEST_F(ToolkitTest, DriverWaitsForWindowsAndTexts) {
  UiDriver driver;
  driver.WaitForWindow(u"Question");
  driver.WaitForText(u"Go on?");
  driver.ClickWhenShown(u"Question", u"button", u"No");
  driver.WaitForWindow(u"Sure");
  driver.ClickWhenShown(u"Sure", u"button", u"Yes");
  const KsChar* buttons[] = {u"Yes", u"No"};
  int first = KsMessagePopupWnd::Run(u"Question", u"Go on?", buttons, 2, 0);
  int second = first == 1 ? KsMessagePopupWnd::Run(u"Sure", u"Really stop?", buttons, 2, 1) : -2;
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_TRUE(driver.IsDone());
  EXPECT_FALSE(driver.HasFailed());
}

}  // namespace
