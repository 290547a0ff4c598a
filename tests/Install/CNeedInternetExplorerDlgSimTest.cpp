// The browser check: the control must be creatable and the registry's
// browser version at least the product's minimum (5.0.0.0 by default); when
// it fails the warning dialog shows, its Download button opens the download
// page, and setup ends either way.

#include "Install/CNeedInternetExplorerDlg.h"
#include "InstallTest.h"
#include "foundation/KsHandle.h"
#include "platform/SysRegistry.h"
#include "platform/SysWindow.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimWindowControl.h"
#include "toolkit/KsPopupWnd.h"

namespace sys = ks::sys;
namespace sim = ks::sim;

class CNeedInternetExplorerDlgTest : public InstallTest {
 protected:
  void TearDown() override {
    sim::SetUiDriverHook({});
    InstallTest::TearDown();
  }
  void SetBrowser(bool control, const char16_t* version) {
    sim::Identity identity = sim::GetIdentity();
    identity.webBrowserControl = control;
    ASSERT_TRUE(sim::SetIdentity(identity));
    const char16_t* path = u"Software\\Microsoft\\Internet Explorer";
    KsRegKey key;
    ASSERT_EQ(sys::RegCreateKeyEx(sys::HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, sys::KEY_ALL_ACCESS, nullptr,
                                  key.Receive(), nullptr),
              0);
    sys::RegDeleteValue(key.Get(), u"Version");
    if (version != nullptr) {
      const auto bytes = static_cast<sys::DWORD>((std::u16string(version).size() + 1) * sizeof(char16_t));
      ASSERT_EQ(sys::RegSetValueEx(key.Get(), u"Version", 0, sys::REG_SZ,
                                   reinterpret_cast<const sys::BYTE*>(version), bytes),
                0);
    }
  }
  // Ends the dialog, once it is up, as a click on the given button would.
  void AnswerDialogWith(int button) {
    sim::SetUiDriverHook([button] {
      sys::HWND popup = sys::FindWindow(KsPopupWnd::kClass, nullptr);
      if (popup == nullptr) return false;
      sys::PostMessage(popup, button == 1 ? 0x889B : 0x889C, 0, 0);
      return true;
    });
  }
  int OpenedCount(const std::string& part) {
    int count = 0;
    for (const std::string& line : sim::ReadJournal())
      if (line.rfind("open", 0) == 0 && line.find(part) != std::string::npos) ++count;
    return count;
  }
};

TEST_F(CNeedInternetExplorerDlgTest, BrowserIsSufficient) {
  struct Case {
    const char* name;
    bool control;
    const char16_t* version;  // null: no Version value
    const char16_t* minimum;  // null: no key in the product information
    bool sufficient;
  } cases[] = {
      {"new browser, default minimum", true, u"11.0.0.0", nullptr, true},
      {"equal to the minimum", true, u"5.0.0.0", u"5.0.0.0", true},
      {"older than the default", true, u"4.72.0.0", nullptr, false},
      {"no control", false, u"11.0.0.0", nullptr, false},
      {"minimum 6 read as 6.0.0.0", true, u"6.0.0.0", u"6", true},
      {"below minimum 6", true, u"5.9.9.9", u"6", false},
      {"empty minimum", true, u"5.0.0.0", u"", true},
      {"no version value", true, nullptr, nullptr, false},
      {"no version, minimum 1", true, nullptr, u"1.0", true},
      {"garbage version", true, u"eleven", nullptr, false},
  };
  AttachLoadedTools();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetBrowser(c.control, c.version);
    tools.texts.erase(u"/*/SpecialFeatures/MinIEVersion");
    if (c.minimum != nullptr) tools.texts[u"/*/SpecialFeatures/MinIEVersion"] = c.minimum;
    CNeedInternetExplorerDlg dialog;
    EXPECT_EQ(dialog.IsBrowserControlAvailable(), c.control);
    EXPECT_EQ(dialog.IsBrowserSufficient(), c.sufficient);
  }
}

TEST_F(CNeedInternetExplorerDlgTest, OldBrowserShowsTheDialogAndEndsSetup) {
  struct Case {
    const char* name;
    int button;
    bool pageOpened;
  } cases[] = {
      {"Download", 1, true},
      {"Quit Setup", 2, false},
  };
  sim::UseVirtualTime(true);
  AttachLoadedTools();
  tools.markTranslations = true;
  SetBrowser(true, u"4.72.0.0");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnswerDialogWith(c.button);
    const int opened = OpenedCount("internet-explorer");
    EXPECT_FALSE(CheckBrowserVersion());
    EXPECT_EQ(OpenedCount("internet-explorer") - opened, c.pageOpened ? 1 : 0);
    EXPECT_EQ(sys::FindWindow(KsPopupWnd::kClass, nullptr), nullptr) << "the dialog is destroyed";
  }
  EXPECT_TRUE(tools.HasLine(u"Dialog ended with 1"));
  EXPECT_TRUE(tools.HasLine(u"Dialog ended with 2"));
}

TEST_F(CNeedInternetExplorerDlgTest, DialogTextsAndButtons) {
  AttachLoadedTools();
  tools.markTranslations = true;
  sim::UseVirtualTime(true);
  CNeedInternetExplorerDlg dialog;
  EXPECT_EQ(U16(dialog.GetTitle()), u"[Internet Explorer Warning]");
  EXPECT_EQ(U16(dialog.GetHeadline()),
            u"[Install Wizard did not detect a new enough version of Microsoft Internet Explorer.  Setup cannot "
            u"continue.]");
  EXPECT_EQ(U16(dialog.GetAdvice()),
            u"[Click on 'Download' to download and install the latest version of Internet Explorer.  Please re-run "
            u"setup after installing Internet Explorer.]");
  ASSERT_TRUE(dialog.CreatePopup(nullptr, 0, 0, true, false));
  std::vector<std::pair<int, std::u16string>> buttons;
  for (const auto& button : dialog.GetBottomButtons()->GetButtons()) buttons.emplace_back(button.commandId, U16(button.text));
  EXPECT_EQ(buttons, (std::vector<std::pair<int, std::u16string>>{{1, u"[Download]"}, {2, u"[Quit Setup]"}}));
  ASSERT_NE(dialog.GetHeadlineCtrl(), nullptr);
  ASSERT_NE(dialog.GetAdviceCtrl(), nullptr);
  EXPECT_EQ(U16(dialog.GetHeadlineCtrl()->GetPlainText()), U16(dialog.GetHeadline()));
  EXPECT_EQ(U16(dialog.GetAdviceCtrl()->GetPlainText()), U16(dialog.GetAdvice()));
  ks::sys::RECT headline{}, advice{};
  dialog.GetHeadlineCtrl()->GetClientRect(&headline);
  dialog.GetAdviceCtrl()->GetClientRect(&advice);
  EXPECT_GT(headline.bottom, 0) << "the texts take the height they need";
  EXPECT_GT(advice.bottom, 0);
  dialog.Destroy();
}
