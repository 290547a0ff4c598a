// The message service and the language chooser on the toolkit's message popup,
// answered by keys posted to the popup as a person would press them (the
// popup belongs to the module's toolkit, so the program's UiDriver reaches it
// through the machine only).

#include <functional>
#include <vector>

#include "ToolsModuleTest.h"
#include "platform/SysWindow.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimGdiControl.h"
#include "toolkit/UiDriver.h"

using namespace ks;

namespace {

constexpr sys::WPARAM kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B;

sys::HWND ShownPopup() {
  sys::HWND active = sys::GetActiveWindow();
  if (active == nullptr) return nullptr;
  sys::HWND popup = sys::GetLastActivePopup(active);
  return popup != nullptr ? popup : active;
}

bool Press(sys::WPARAM key) {
  sys::HWND popup = ShownPopup();
  if (popup == nullptr) return false;
  sys::PostMessage(popup, sys::WM_KEYDOWN, key, 1);
  sys::PostMessage(popup, sys::WM_KEYUP, key, sys::LPARAM(0xC0000001u));
  return true;
}

class MessagePopup : public ToolsModuleTest {
 protected:
  void SetUp() override {
    ToolsModuleTest::SetUp();
    sim::UseVirtualTime(true);
  }
};

}  // namespace

TEST_F(MessagePopup, ShowMessageAnswersTheButtonChosen) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsMessageService* messages = Tools()->GetMessageService();
  const KsChar* buttons[] = {u"Yes", u"No"};
  struct Case {
    const char* what;
    int defaultButton;
    std::vector<sys::WPARAM> keys;
    int expected;
  };
  const Case cases[] = {
      {"Enter takes the default", 1, {kEnter}, 1},
      {"Tab moves to the next", 0, {kTab, kEnter}, 1},
      {"Escape closes", 0, {kEscape}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UiDriver driver;
    std::u16string title;
    std::u16string shown;
    driver.Then([&] {
      sys::HWND popup = ShownPopup();
      if (popup == nullptr) return false;
      sys::WCHAR text[64] = {};
      sys::GetWindowText(popup, text, 64);
      title = text;
      shown = sim::SurfaceText(popup);
      return true;
    });
    for (sys::WPARAM key : c.keys) driver.Then([key] { return Press(key); });
    EXPECT_EQ(messages->ShowMessage(u"Auralis 22 Open", u"Close Auralis 22 and go on?", buttons, 2, c.defaultButton),
              c.expected);
    EXPECT_TRUE(driver.IsDone());
    EXPECT_EQ(Narrow(title), "Auralis 22 Open");
    EXPECT_NE(Narrow(shown).find("Close Auralis 22 and go on?"), std::string::npos) << Narrow(shown);
  }
  const std::string log = ReadText(LogPath());
  EXPECT_NE(log.find("Auralis 22 Open: Close Auralis 22 and go on? -> No"), std::string::npos) << log;
  EXPECT_NE(log.find("-> (closed)"), std::string::npos) << log;
}

// The folder chooser answers the folder in its field on Enter, nothing on Esc.
TEST_F(MessagePopup, ChooseFolderAnswersTheField) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsMessageService* messages = Tools()->GetMessageService();
  {
    UiDriver driver;
    driver.Then([] { return Press(kEscape); });
    EXPECT_TRUE(messages->ChooseFolder(u"Destination", Root().c_str()).IsEmpty());
  }
  {
    UiDriver driver;
    driver.Then([] { return Press(kEnter); });
    const KsString chosen = messages->ChooseFolder(u"Destination", Root().c_str());
    EXPECT_EQ(Narrow(chosen).rfind(Narrow(Root()), 0), 0u) << Narrow(chosen);
  }
  EXPECT_NE(ReadText(LogPath()).find("Choose folder: Destination"), std::string::npos);
}

// The chooser offers the languages by name, in order, and keeps the answer;
// closing it keeps the language in force.
TEST_F(MessagePopup, LanguageChooserKeepsTheAnswer) {
  ASSERT_TRUE(WriteModuleFile(u"Languages\\English.lang", "Language: English\r\n"));
  ASSERT_TRUE(WriteModuleFile(u"Languages\\Deutsch.lang", "Language: Deutsch\r\nYes => Ja\r\n"));
  ASSERT_NE(LoadProduct(), nullptr);
  IKsLanguageService* language = Tools()->GetLanguageService();
  ASSERT_EQ(Narrow(language->GetLanguageName()), "English");
  {
    UiDriver driver;
    driver.Then([] { return Press(kEscape); });
    EXPECT_FALSE(language->ChooseLanguage());
    EXPECT_EQ(Narrow(language->GetLanguageName()), "English");
  }
  {
    // Buttons "Deutsch", "English"; English, the current one, is the default.
    UiDriver driver;
    std::u16string shown;
    driver.Then([&] {
      shown = sim::SurfaceText(ShownPopup());
      return Press(kTab) && Press(kEnter);
    });
    EXPECT_TRUE(language->ChooseLanguage());
    EXPECT_NE(Narrow(shown).find("Deutsch"), std::string::npos) << Narrow(shown);
  }
  EXPECT_EQ(Narrow(language->GetLanguageName()), "Deutsch");
  EXPECT_EQ(Narrow(language->Translate(u"Yes")), "Ja");
  EXPECT_EQ(Narrow(Tools()->GetSettingsStore(u"Properties")->ReadText(u"Language", u"")), "Deutsch");
}
