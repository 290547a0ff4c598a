// The installer's messages: what each kind answers for each way of ending it,
// with and without a message service, and that every message is logged.

#include "Install/CInstallMessages.h"
#include "InstallTest.h"
#include "platform/SysWindow.h"

namespace sys = ks::sys;

using CInstallMessagesTest = InstallTest;

TEST_F(CInstallMessagesTest, AnswersForEachWayOfEnding) {
  struct Case {
    const char* name;
    bool service;
    int button;  // index the service answers (-1: closed); ignored without a service
    int information;
    int question;
  } cases[] = {
      {"first button", true, 0, sys::IDOK, sys::IDYES},
      {"second button", true, 1, sys::IDCANCEL, sys::IDNO},
      {"closed", true, -1, sys::IDCANCEL, sys::IDNO},
      {"no message service: the default", false, 1, sys::IDOK, sys::IDYES},
  };
  AttachLoadedTools();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tools.hasMessageService = c.service;
    tools.answers = {c.button, c.button};
    tools.lines.clear();
    EXPECT_EQ(ShowInformation(KsString(u"Title"), KsString(u"Body")), c.information);
    EXPECT_EQ(AskYesNo(KsString(u"Question"), KsString(u"Go on?")), c.question);
    EXPECT_TRUE(tools.HasLine(u"Message: Title: Body"));
    EXPECT_TRUE(tools.HasLine(u"Message: Question: Go on?"));
  }
}
