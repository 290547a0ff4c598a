// The terminal display: an OK/Cancel popup drawn in a terminal and answered
// with the terminal's keys.

#include "ToolkitTest.h"

#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsOkCancelPopupWnd.h"
#include "toolkit/KsTerminalDisplay.h"

#include "platform/sim/SimTerminal.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

using ks::sim::SimTerminal;

namespace {

// Keys given by the test, one each time the display asks; what it wrote, kept.
class ScriptedTerminal : public KsTerminalDisplay::Terminal {
 public:
  explicit ScriptedTerminal(std::deque<int> keys) : m_keys(std::move(keys)) {}
  int ReadKey(int) override {
    // The first ask only looks: the picture is drawn before any key.
    if (!m_started || m_keys.empty()) {
      m_started = true;
      return -1;
    }
    int key = m_keys.front();
    m_keys.pop_front();
    return key;
  }
  void Write(const std::string& utf8) override { written.push_back(utf8); }
  std::vector<std::string> written;

 private:
  std::deque<int> m_keys;
  bool m_started = false;
};

class QuestionPopup : public KsOkCancelPopupWnd {
 public:
  KsString GetTitle() override { return u"Kestrune Setup"; }
  void GetPreferredSize(int* width, int* height) override {
    *width = 320;
    *height = 96;
  }
  bool CreateContent() override {
    if (!KsOkCancelPopupWnd::CreateContent()) return false;
    m_text = std::make_unique<KsFormattedTextCtrl>();
    if (!m_text->Create(this, ks::sys::RECT{16, 16, 304, 48})) return false;
    m_text->SetText(u"Install <b>Auralis 22</b> now?");
    return true;
  }

 private:
  std::unique_ptr<KsFormattedTextCtrl> m_text;
};

std::string Plain(std::string text) {
  for (const char* escape : {"\x1b[1m", "\x1b[0m", "\x1b[H\x1b[2J"})
    for (std::size_t at; (at = text.find(escape)) != std::string::npos;) text.erase(at, std::strlen(escape));
  return text;
}

// Enter answers OK, Esc Cancel; each run draws the popup before the key.
TEST_F(ToolkitTest, TerminalDisplayRunsAnOkCancelPopup) {
  struct Case {
    int key;
    int result;
  } cases[] = {{SimTerminal::kEnter, 1}, {SimTerminal::kEscape, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ScriptedTerminal terminal({c.key});
    KsTerminalDisplay display(terminal);
    QuestionPopup popup;
    EXPECT_EQ(popup.RunModal(nullptr), c.result);
    ASSERT_FALSE(terminal.written.empty());
    std::string shown = Plain(terminal.written.front());
    EXPECT_NE(shown.find("+- Kestrune Setup -"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Install Auralis 22 now?"), std::string::npos) << shown;
    EXPECT_NE(shown.find("OK"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Cancel"), std::string::npos) << shown;
    for (const char* bold : {"\x1b[1mAuralis\x1b[0m", "\x1b[1m22\x1b[0m", "\x1b[1mOK\x1b[0m"})
      EXPECT_NE(terminal.written.front().find(bold), std::string::npos) << "bold in the terminal: " << bold + 4;
    if (c.result == 1) std::printf("%s", shown.c_str());  // the picture, for a person reading the log
  }
}

}  // namespace
