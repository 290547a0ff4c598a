// Popup placement on the simulated machine's monitors: centred on the owner or
// on the primary monitor's work area, kept inside the work area it lands on,
// and a saved placement brought back to its own monitor.

#include "ToolkitTest.h"
#include "ToolkitTestTools.h"

#include "RecordingWnd.h"
#include "platform/sim/SimMachine.h"
#include "toolkit/KsPopupWnd.h"

using namespace ks;
using namespace ks::sys;

namespace {

std::vector<LONG> WindowCorners(KsWnd& window) {
  RECT rect{};
  window.GetWindowRect(&rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

class KsPopupWndSimTest : public ToolkitTest {
 protected:
  // Gives the machine these monitors, the first one primary.
  void UseMonitors(std::vector<sim::MonitorFact> monitors) {
    sim::Identity identity = sim::GetIdentity();
    identity.monitors = std::move(monitors);
    ASSERT_TRUE(sim::SetIdentity(identity));
    std::string error, folder = sim::MachineFolder();
    sim::DetachMachine();
    ASSERT_TRUE(sim::AttachMachine(folder, &error)) << error;
  }
};

TEST_F(KsPopupWndSimTest, PlacementOnOwnerOrPrimaryWorkArea) {
  UseMonitors({sim::MonitorFact{-1920, 0, 0, 1080, -1920, 0, 0, 1040},  // primary, left of the origin
               sim::MonitorFact{0, 0, 1600, 900, 0, 0, 1600, 860}});

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

// A placement saved on the second monitor comes back on that monitor, pushed
// inside its work area, not onto the primary one.
TEST_F(KsPopupWndSimTest, SavedPlacementStaysOnItsMonitor) {
  UseMonitors({sim::MonitorFact{0, 0, 1920, 1080, 0, 0, 1920, 1040},
               sim::MonitorFact{1920, 0, 3520, 900, 1920, 40, 3520, 900}});  // task bar at its top
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
