// Closing a running copy of the product: the question (or none when silent),
// the close through the tools module or, for the server product, the window
// message and the five-second watch on the virtual clock, and the boxes that
// follow when the copy stays; then the installed copy's service is stopped.

#include "Install/CInstallSession.h"
#include "Install/CRunningCopies.h"
#include "InstallTest.h"
#include "foundation/KsProductPaths.h"
#include "platform/SysTime.h"
#include "platform/sim/SimControl.h"

namespace sim = ks::sim;

using CRunningCopiesTest = InstallTest;

TEST_F(CRunningCopiesTest, ClosingTheProduct) {
  enum class Copy { None, Closes, ClosesByHand, Stays };
  struct Case {
    const char* name;
    Copy copy;
    bool silent;
    std::deque<int> answers;  // button indexes: 0 Yes/OK, 1 No
    bool result;
    std::vector<std::u16string> titles;
  } cases[] = {
      {"not running", Copy::None, false, {}, true, {}},
      {"user declines", Copy::Closes, false, {1}, false, {u"Auralis 22 Open"}},
      {"user agrees", Copy::Closes, false, {0}, true, {u"Auralis 22 Open"}},
      {"question closed", Copy::Closes, false, {-1}, false, {u"Auralis 22 Open"}},
      {"silent", Copy::Closes, true, {}, true, {}},
      {"silent, closed by hand", Copy::ClosesByHand, true, {}, true, {u"Please Close Auralis"}},
      {"stays", Copy::Stays, false, {0, 0}, false,
       {u"Auralis 22 Open", u"Please Close Auralis", u"Install Wizard Error"}},
  };
  AttachLoadedTools();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool running = c.copy != Copy::None;
    tools.isRunning = [&] { return running; };
    tools.onClose = [&] { running = running && c.copy == Copy::Stays ? true : c.copy == Copy::ClosesByHand; };
    tools.onMessage = [&] {
      if (c.copy == Copy::ClosesByHand && tools.messages.back().title.rfind(u"Please Close", 0) == 0) running = false;
    };
    tools.messages.clear();
    tools.answers = c.answers;
    tools.closeRequests = 0;
    CInstallSession::Get().Silent = c.silent;
    EXPECT_EQ(CloseRunningCopies(), c.result);
    std::vector<std::u16string> titles;
    for (const auto& m : tools.messages) titles.push_back(m.title);
    EXPECT_EQ(titles, c.titles);
    const bool asked = c.copy != Copy::None && (c.silent || (!c.answers.empty() && c.answers.front() == 0));
    EXPECT_EQ(tools.closeRequests, asked ? 1 : 0);
  }
}

TEST_F(CRunningCopiesTest, MessagesNameTheProduct) {
  AttachLoadedTools();
  tools.markTranslations = true;
  tools.isRunning = [] { return true; };
  tools.answers = {0, 0};
  EXPECT_FALSE(CloseRunningCopies());
  ASSERT_EQ(tools.messages.size(), 3u);
  EXPECT_EQ(tools.messages[0].title, u"Auralis 22[ Open]");
  EXPECT_EQ(tools.messages[0].text, u"[Install Wizard has detected a running copy of Auralis 22.\r\n\r\n]"
                                    u"[Do you want Install Wizard to close Auralis 22 and continue setup?]");
  EXPECT_EQ(tools.messages[0].buttons, (std::vector<std::u16string>{u"[Yes]", u"[No]"}));
  EXPECT_EQ(tools.messages[1].title, u"[Please Close ]Auralis");
  EXPECT_EQ(tools.messages[1].text,
            u"[Install Wizard could not close the running copy of Auralis.\r\n]"
            u"[Please manually close Auralis and then press 'OK'.\r\n\r\n]"
            u"[If you can not close Auralis restart your computer and run Install Wizard again.]");
  EXPECT_EQ(tools.messages[2].title, u"[Install Wizard Error]");
  EXPECT_EQ(tools.messages[2].text, u"[Auralis is still running.  Install Wizard can not continue.\r\n\r\n]"
                                    u"[Please restart your computer and run Install Wizard again.]");
}

// The server product is watched for five seconds of the high-resolution
// clock; each look at it moves the virtual clock by a millisecond.
TEST_F(CRunningCopiesTest, ServerProductGetsFiveSeconds) {
  struct Case {
    const char* name;
    std::uint32_t closesAfterMs;  // 0: never
    bool boxShown;
    std::uint32_t minimumMs, maximumMs;
  } cases[] = {
      {"closes after two seconds", 2000, false, 2000, 2100},
      {"ignores the message", 0, true, 5000, 5100},
  };
  sim::UseVirtualTime(true);
  AttachLoadedTools();
  tools.shortName = u"Torvik Server";
  tools.fullName = u"Torvik Server 22";
  CInstallSession::Get().Silent = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t start = ks::sys::GetTickCount();
    std::uint32_t closedAt = 0;
    tools.isRunning = [&] {
      sim::AdvanceTime(1);
      const std::uint32_t elapsed = ks::sys::GetTickCount() - start;
      if (c.closesAfterMs != 0 && elapsed >= c.closesAfterMs && closedAt == 0) closedAt = elapsed;
      return closedAt == 0;
    };
    tools.messages.clear();
    tools.closeRequests = 0;
    CloseRunningCopies();
    const std::uint32_t watched = c.boxShown ? ks::sys::GetTickCount() - start : closedAt;
    EXPECT_EQ(tools.closeRequests, 0) << "the server is closed by its window message";
    EXPECT_EQ(!tools.messages.empty() && tools.messages[0].title == u"Please Close Torvik Server", c.boxShown);
    EXPECT_GE(watched, c.minimumMs);
    EXPECT_LE(watched, c.maximumMs);
  }
}

TEST_F(CRunningCopiesTest, ServiceIsStoppedOnlyForAnInstalledCopy) {
  AttachLoadedTools();
  StopProductService();
  for (const std::string& line : sim::ReadJournal()) EXPECT_EQ(line.find("KsService"), std::string::npos) << line;

  const std::u16string installed = Root() + u"\\Installed\\";
  MakeFolder(installed);
  KsProductPaths::Get().SetInstallPath(KsString(std::u16string_view(installed)), false, false);
  StopProductService();  // the program is missing: not an error
  EXPECT_TRUE(tools.HasLine(u"Running " + installed + u"KsService.exe /Stop"));
}
