// Popups: placement on the owner or the primary monitor's work area, modal
// runs and the result each way of ending gives, the owner disabled only
// during the run, and the fixed-size popup taking its content's size.

#include "RecordingWnd.h"
#include "ToolkitTest.h"
#include "ToolkitTestTools.h"

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimWindowControl.h"
#include "toolkit/KsFixedSizeOkCancelPopupWnd.h"
#include "toolkit/KsOkCancelPopupWnd.h"

#include <functional>

using namespace ks;
using namespace ks::sys;

namespace {

std::vector<LONG> Corners(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

std::vector<LONG> WindowCorners(KsWnd& window) {
  RECT rect{};
  window.GetWindowRect(&rect);
  return Corners(rect);
}

LPARAM PointParam(const POINT& point) { return LPARAM((point.y << 16) | (point.x & 0xFFFF)); }

// Clicks the popup's bottom button as a person would: press and release at its centre.
void ClickButton(KsOkCancelPopupWnd& popup, int commandId) {
  RECT rect{};
  ASSERT_TRUE(popup.GetBottomButtons()->GetButtonRect(commandId, &rect));
  POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  PostMessage(popup.GetHandle(), WM_LBUTTONDOWN, 0, PointParam(centre));
  PostMessage(popup.GetHandle(), WM_LBUTTONUP, 0, PointParam(centre));
}

}  // namespace

class KsPopupWndTest : public ToolkitTest {
 protected:
  void TearDown() override {
    sim::SetUiDriverHook({});
    ToolkitTest::TearDown();
  }
  // Runs popup modally over owner; act runs once, when the loop first waits.
  int RunWith(KsPopupWnd& popup, KsWnd* owner, std::function<void()> act) {
    bool acted = false;
    sim::SetUiDriverHook([&] {
      if (acted) return false;
      acted = true;
      if (owner) ownerEnabledDuringRun = owner->IsEnabled();
      act();
      return true;
    });
    int result = popup.RunModal(owner);
    sim::SetUiDriverHook({});
    return result;
  }
  bool ownerEnabledDuringRun = true;
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
    ownerEnabledDuringRun = true;
    EXPECT_EQ(RunWith(popup, &owner, [&] { c.act(popup); }), c.result) << c.name;
    EXPECT_FALSE(popup.Exists()) << c.name;
    EXPECT_FALSE(ownerEnabledDuringRun) << c.name;
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

TEST_F(KsPopupWndTest, PlacementOnOwnerOrPrimaryWorkArea) {
  sim::Identity identity = sim::GetIdentity();
  identity.monitors = {sim::MonitorFact{-1920, 0, 0, 1080, -1920, 0, 0, 1040},  // primary, left of the origin
                       sim::MonitorFact{0, 0, 1600, 900, 0, 0, 1600, 860}};
  // The primary monitor is the first listed.
  ASSERT_TRUE(sim::SetIdentity(identity));
  std::string error, folder = sim::MachineFolder();
  sim::DetachMachine();
  ASSERT_TRUE(sim::AttachMachine(folder, &error)) << error;

  KsPopupWnd unowned;
  ASSERT_TRUE(unowned.CreatePopup(nullptr, 0, 0, true, true));
  // 320 x 180 by default, centred on the primary work area.
  EXPECT_EQ(WindowCorners(unowned), (std::vector<LONG>{-1120, 430, -800, 610}));
  EXPECT_TRUE(unowned.IsVisible());
  unowned.Destroy();

  RecordingWnd owner;
  ASSERT_TRUE(owner.CreatePopup(Rect(100, 100, 500, 400), nullptr, WS_VISIBLE));
  KsPopupWnd onOwner;
  ASSERT_TRUE(onOwner.CreatePopup(&owner, 200, 100, false, true));
  EXPECT_EQ(WindowCorners(onOwner), (std::vector<LONG>{200, 200, 400, 300}));
  onOwner.Destroy();

  // Centred on an owner near the bottom edge, the popup is pushed up into the work area.
  owner.MoveAndSize(Rect(1000, 760, 1400, 900));
  KsPopupWnd pushed;
  ASSERT_TRUE(pushed.CreatePopup(&owner, 300, 200, false, true));
  EXPECT_EQ(WindowCorners(pushed), (std::vector<LONG>{1050, 660, 1350, 860}));
  pushed.Destroy();
  owner.Destroy();
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

// A placement saved on the second monitor comes back on that monitor, pushed
// inside its work area, not onto the primary one.
TEST_F(KsPopupWndTest, SavedPlacementStaysOnItsMonitor) {
  sim::Identity identity = sim::GetIdentity();
  identity.monitors = {sim::MonitorFact{0, 0, 1920, 1080, 0, 0, 1920, 1040},
                       sim::MonitorFact{1920, 0, 3520, 900, 1920, 40, 3520, 900}};  // task bar at its top
  ASSERT_TRUE(sim::SetIdentity(identity));
  std::string error, folder = sim::MachineFolder();
  sim::DetachMachine();
  ASSERT_TRUE(sim::AttachMachine(folder, &error)) << error;
  FakeToolkitTools tools;
  tools.stores[u"Properties"];
  struct Keyed : KsPopupWnd {
    KsString GetPlacementKey() override { return KsString(u"Second"); }
  };

  Keyed first;
  ASSERT_TRUE(first.CreatePopup(nullptr, 300, 200, true, true));
  first.MoveAndSize(Rect(3400, 10, 3700, 210));  // past the right edge, over the task bar
  first.OkAction();
  Keyed second;
  ASSERT_TRUE(second.CreatePopup(nullptr, 300, 200, true, true));
  EXPECT_EQ(WindowCorners(second), (std::vector<LONG>{3220, 40, 3520, 240}));
  second.Destroy();
}
