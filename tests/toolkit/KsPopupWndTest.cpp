// Popups: modal runs and the result each way of ending gives, the owner
// disabled only during the run, the done flag, and the fixed-size popup taking
// its content's size. Whoever acts during a run does so from a window of the
// test whose message was posted before the run began, so the same cases run
// on the simulated machine and on Windows.

#include "RecordingWnd.h"
#include "ToolkitTest.h"
#include "ToolkitTestTools.h"

#include "toolkit/KsFixedSizeOkCancelPopupWnd.h"
#include "toolkit/KsOkCancelPopupWnd.h"

#include <functional>

using namespace ks::sys;

namespace {

std::vector<LONG> Corners(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

LPARAM PointParam(const POINT& point) { return LPARAM((point.y << 16) | (point.x & 0xFFFF)); }

// Clicks the popup's bottom button as a person would: press and release at its centre.
void ClickButton(KsOkCancelPopupWnd& popup, int commandId) {
  RECT rect{};
  ASSERT_TRUE(popup.GetBottomButtons()->GetButtonRect(commandId, &rect));
  POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  PostMessage(popup.GetHandle(), WM_LBUTTONDOWN, 0, PointParam(centre));
  PostMessage(popup.GetHandle(), WM_LBUTTONUP, 0, PointParam(centre));
}

// Acts once when its posted message comes out of the modal loop: the popup is
// running then, and its owner is disabled.
class Actor : public KsControlsWnd {
 public:
  static constexpr UINT kAct = WM_APP + 40;
  bool PreFilterMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (message != kAct) return false;
    if (owner) ownerEnabledDuringRun = owner->IsEnabled();
    if (act) act();
    acted = true;
    *result = 0;
    return true;
  }
  std::function<void()> act;
  KsWnd* owner = nullptr;
  bool ownerEnabledDuringRun = true;
  bool acted = false;
};

}  // namespace

class KsPopupWndTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    ASSERT_TRUE(actor.Create(nullptr, u"KsPopupTestActor", u"", WS_POPUP, 0, RECT{0, 0, 1, 1}));
  }
  void TearDown() override {
    actor.Destroy();
    ToolkitTest::TearDown();
  }
  // Runs popup modally over owner; act runs once, inside the run.
  int RunWith(KsPopupWnd& popup, KsWnd* owner, std::function<void()> act) {
    actor.act = std::move(act);
    actor.owner = owner;
    actor.acted = false;
    actor.PostMessage(Actor::kAct, 0, 0);
    int result = popup.RunModal(owner);
    EXPECT_TRUE(actor.acted);
    return result;
  }
  Actor actor;
};

// Each way of ending a modal OK/Cancel run, and the result it gives.
TEST_F(KsPopupWndTest, ModalResults) {
  struct Case {
    const char* name;
    bool done;
    std::function<void(KsOkCancelPopupWnd&)> act;
    int result;
  } cases[] = {
      {"OK button", false, [](KsOkCancelPopupWnd& p) { ClickButton(p, KsOkCancelPopupWnd::kOkId); }, 1},
      {"Cancel button", false, [](KsOkCancelPopupWnd& p) { ClickButton(p, KsOkCancelPopupWnd::kCancelId); }, 2},
      {"close", false, [](KsOkCancelPopupWnd& p) { p.PostMessage(WM_CLOSE, 0, 0); }, 2},
      {"close when done", true, [](KsOkCancelPopupWnd& p) { p.PostMessage(WM_CLOSE, 0, 0); }, 1},
      {"0x889A with 7", false, [](KsOkCancelPopupWnd& p) { p.PostMessage(0x889A, 7, 0); }, 7},
      {"0x889B", false, [](KsOkCancelPopupWnd& p) { p.PostMessage(0x889B, 0, 0); }, 1},
      {"0x889C", false, [](KsOkCancelPopupWnd& p) { p.PostMessage(0x889C, 0, 0); }, 2},
      {"destroyed from outside", false,
       [](KsOkCancelPopupWnd& p) {
         p.Destroy();
         PostThreadMessage(GetCurrentThreadId(), WM_NULL, 0, 0);  // wakes the loop as any later message would
       },
       -1},
  };
  for (auto& c : cases) {
    RecordingWnd owner;
    ASSERT_TRUE(owner.CreatePopup(Rect(0, 0, 800, 600), nullptr, WS_VISIBLE));
    KsOkCancelPopupWnd popup;
    popup.SetDone(c.done);
    EXPECT_EQ(RunWith(popup, &owner, [&] { c.act(popup); }), c.result) << c.name;
    EXPECT_FALSE(popup.Exists()) << c.name;
    EXPECT_FALSE(actor.ownerEnabledDuringRun) << c.name;
    EXPECT_TRUE(owner.IsEnabled()) << c.name;
    owner.Destroy();
  }
}

TEST_F(KsPopupWndTest, DoneFlagShowsDoneWithoutCancel) {
  KsOkCancelPopupWnd popup;
  popup.SetDone(true);
  ASSERT_TRUE(popup.CreatePopup(nullptr, 300, 200, true, true));
  std::vector<std::string> texts;
  for (auto& button : popup.GetBottomButtons()->GetButtons()) texts.push_back(Narrow(button.text.Chars()));
  EXPECT_EQ(texts, std::vector<std::string>{"Done"});
  popup.Destroy();
}

TEST_F(KsPopupWndTest, PlainPopupClosedDuringModalRunAnswersMinusOne) {
  KsPopupWnd popup;
  EXPECT_EQ(RunWith(popup, nullptr, [&] { popup.CancelAction(); }), -1);
  EXPECT_FALSE(popup.Exists());
}

TEST_F(KsPopupWndTest, FixedSizePopupTakesItsContentSize) {
  struct Content : KsControlWnd {};
  struct Popup : KsFixedSizeOkCancelPopupWnd {
    int GetContentWidth() override { return 200; }
    void FillContent(KsFixedSizeLayout* layout) override {
      text.Create(this, Rect(0, 0, 1, 1));
      layout->AddRow(&text, 50);
    }
    Content text;
  };
  Popup popup;
  ASSERT_TRUE(popup.CreatePopup(nullptr, 0, 0, true, true));
  RECT client{}, row{};
  popup.GetClientRect(&client);
  EXPECT_EQ(Corners(client), (std::vector<LONG>{0, 0, 216, 66 + KsOkCancelPopupWnd::BottomRowHeight()}));
  popup.text.GetClientRect(&row);
  EXPECT_EQ(Corners(row), (std::vector<LONG>{0, 0, 200, 50}));
  RECT ok{};
  ASSERT_TRUE(popup.GetBottomButtons()->GetButtonRect(KsOkCancelPopupWnd::kOkId, &ok));
  EXPECT_EQ(ok.bottom, client.bottom - KsOkCancelPopupWnd::kMargin);
  popup.Destroy();
}

// Without a size of its own a popup gets 320 x 180, scaled by the UI service
// when there is one.
TEST_F(KsPopupWndTest, DefaultSizeIsScaledByTheUiService) {
  struct Case {
    const char* name;
    bool uiService;
    LONG width, height;
  } cases[] = {{"no UI service", false, 320, 180}, {"scaled by 150%", true, 480, 270}};
  for (const Case& c : cases) {
    FakeToolkitTools tools;
    tools.offerUiService = c.uiService;
    tools.scalePercent = 150;
    KsPopupWnd popup;
    ASSERT_TRUE(popup.CreatePopup(nullptr, 0, 0, true, true)) << c.name;
    RECT rect{};
    popup.GetWindowRect(&rect);
    EXPECT_EQ(rect.right - rect.left, c.width) << c.name;
    EXPECT_EQ(rect.bottom - rect.top, c.height) << c.name;
    popup.Destroy();
  }
}

// The bottom buttons stand apart by the UI service's spacing, else by the default.
TEST_F(KsPopupWndTest, BottomButtonSpacingComesFromTheUiService) {
  struct Case {
    const char* name;
    bool uiService;
    int spacing;
    int gap;
  } cases[] = {{"no UI service", false, -1, KsOkCancelPopupWnd::kDefaultSpacing},
               {"service without the metric", true, -1, KsOkCancelPopupWnd::kDefaultSpacing},
               {"service spacing 13", true, 13, 13}};
  for (const Case& c : cases) {
    FakeToolkitTools tools;
    tools.offerUiService = c.uiService;
    tools.buttonSpacing = c.spacing;
    KsOkCancelPopupWnd popup;
    ASSERT_TRUE(popup.CreatePopup(nullptr, 400, 200, true, true)) << c.name;
    RECT ok{}, cancel{};
    ASSERT_TRUE(popup.GetBottomButtons()->GetButtonRect(KsOkCancelPopupWnd::kOkId, &ok)) << c.name;
    ASSERT_TRUE(popup.GetBottomButtons()->GetButtonRect(KsOkCancelPopupWnd::kCancelId, &cancel)) << c.name;
    EXPECT_EQ(cancel.left - ok.right, c.gap) << c.name;
    popup.Destroy();
  }
}
