// Saved popup placements: written under the placement key when the popup is
// closed, read back by the next popup with that key, kept inside the work
// area, and a bad saved value placed anew, logged and replaced.

#include "ToolkitTest.h"
#include "ToolkitTestTools.h"

#include "toolkit/KsPopupWnd.h"

#include <cstring>

using namespace ks::sys;

namespace {

class KeyedPopup : public KsPopupWnd {
 public:
  explicit KeyedPopup(const char16_t* key, int resizeMode = 0, bool restoreSize = true)
      : m_key(key), m_resizeMode(resizeMode), m_restoreSize(restoreSize) {}
  KsString GetPlacementKey() override { return KsString(m_key); }
  int GetResizeMode() override { return m_resizeMode; }
  bool RestoreSize() override { return m_restoreSize; }

 private:
  const char16_t* m_key;
  int m_resizeMode;
  bool m_restoreSize;
};

BOOL KS_SYS_CALLBACK FindPrimaryWork(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfo(monitor, &info) || !(info.dwFlags & MONITORINFOF_PRIMARY)) return TRUE;
  *reinterpret_cast<RECT*>(data) = info.rcWork;
  return FALSE;
}

RECT PrimaryWorkArea() {
  RECT work{};
  EnumDisplayMonitors(nullptr, nullptr, FindPrimaryWork, reinterpret_cast<LPARAM>(&work));
  return work;
}

std::vector<LONG> Corners(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

std::vector<LONG> WindowCorners(KsWnd& window) {
  RECT rect{};
  window.GetWindowRect(&rect);
  return Corners(rect);
}

}  // namespace

class KsPopupPlacementTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    tools.stores[u"Properties"];
    work = PrimaryWorkArea();
    ASSERT_GT(work.right - work.left, 400);
  }
  FakeBinaryStore& Store() { return tools.stores[u"Properties"]; }
  // The placement of a popup closed at rect (screen), as the store keeps it.
  WINDOWPLACEMENT SavedAt(const char16_t* key, const RECT& rect) {
    KeyedPopup popup(key);
    EXPECT_TRUE(popup.CreatePopup(nullptr, rect.right - rect.left, rect.bottom - rect.top, true, true));
    popup.MoveAndSize(rect);
    popup.OkAction();
    WINDOWPLACEMENT placement{};
    EXPECT_EQ(Store().values[key].size(), sizeof placement);
    std::memcpy(&placement, Store().values[key].data(), sizeof placement);
    return placement;
  }
  FakeToolkitTools tools;
  RECT work{};
};

TEST_F(KsPopupPlacementTest, ClosedPopupIsReopenedWhereItWas) {
  RECT moved{work.left + 40, work.top + 30, work.left + 340, work.top + 230};
  WINDOWPLACEMENT saved = SavedAt(u"Mover", moved);
  EXPECT_EQ(saved.length, 44u);

  KeyedPopup again(u"Mover");
  ASSERT_TRUE(again.CreatePopup(nullptr, 300, 200, true, true));
  EXPECT_EQ(WindowCorners(again), Corners(moved));
  EXPECT_TRUE(again.IsVisible());
  again.Destroy();
}

TEST_F(KsPopupPlacementTest, EmptyKeyOrMinimisedPopupSavesNothing) {
  KeyedPopup unkeyed(u"");
  ASSERT_TRUE(unkeyed.CreatePopup(nullptr, 300, 200, true, true));
  unkeyed.OkAction();
  KeyedPopup minimised(u"Small");
  ASSERT_TRUE(minimised.CreatePopup(nullptr, 300, 200, true, true));
  minimised.Show(SW_MINIMIZE);
  minimised.PostMessage(WM_CLOSE, 0, 0);
  ASSERT_TRUE(RunUntil([&] { return !minimised.Exists(); }));
  EXPECT_EQ(Store().writes, 0);
}

// The saved size is taken only by a resizable popup whose restore-size query agrees.
TEST_F(KsPopupPlacementTest, SavedSizeOnlyWhenResizableAndWanted) {
  struct Case {
    const char* name;
    int resizeMode;
    bool restoreSize;
    int width, height;
  } cases[] = {
      {"fixed size", 0, true, 300, 200},
      {"resizable", 1, true, 360, 260},
      {"resizable, size not restored", 1, false, 300, 200},
      {"resizable, width kept", 2, true, 300, 260},
      {"resizable, height kept", 3, true, 360, 200},
  };
  RECT bigger{work.left + 20, work.top + 20, work.left + 380, work.top + 280};
  SavedAt(u"Sized", bigger);
  for (const Case& c : cases) {
    KeyedPopup popup(u"Sized", c.resizeMode, c.restoreSize);
    ASSERT_TRUE(popup.CreatePopup(nullptr, 300, 200, true, true)) << c.name;
    RECT wanted{bigger.left, bigger.top, bigger.left + c.width, bigger.top + c.height};
    EXPECT_EQ(WindowCorners(popup), Corners(wanted)) << c.name;
    popup.Destroy();
  }
}

// A saved rectangle off every screen comes back inside the work area.
TEST_F(KsPopupPlacementTest, SavedPlacementOffScreenIsMovedIntoTheWorkArea) {
  WINDOWPLACEMENT saved = SavedAt(u"Far", RECT{work.left + 10, work.top + 10, work.left + 310, work.top + 210});
  RECT& far = saved.rcNormalPosition;
  far = RECT{far.left + 30000, far.top + 30000, far.right + 30000, far.bottom + 30000};
  Store().values[u"Far"].assign(reinterpret_cast<const char*>(&saved), sizeof saved);

  KeyedPopup popup(u"Far");
  ASSERT_TRUE(popup.CreatePopup(nullptr, 300, 200, true, true));
  RECT rect{};
  popup.GetWindowRect(&rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor));
  EXPECT_GE(rect.left, monitor.rcWork.left);
  EXPECT_GE(rect.top, monitor.rcWork.top);
  EXPECT_LE(rect.right, monitor.rcWork.right);
  EXPECT_LE(rect.bottom, monitor.rcWork.bottom);
  EXPECT_EQ(rect.right - rect.left, 300);
  popup.Destroy();
}

// A damaged value is not used: the popup is centred as if nothing were saved,
// the log says why, and the store holds the new placement at once.
TEST_F(KsPopupPlacementTest, BadSavedPlacementIsReplacedAndLogged) {
  struct Case {
    const char* name;
    void (*damage)(WINDOWPLACEMENT*);
    const char16_t* logged;
  } cases[] = {
      {"wrong length", [](WINDOWPLACEMENT* p) { p->length = 40; }, u"length 40"},
      {"empty rectangle", [](WINDOWPLACEMENT* p) { p->rcNormalPosition.right = p->rcNormalPosition.left; },
       u"empty rectangle"},
      {"huge rectangle", [](WINDOWPLACEMENT* p) { p->rcNormalPosition.right = 900000; }, u"out of range"},
      {"show command", [](WINDOWPLACEMENT* p) { p->showCmd = 4000; }, u"show command 4000"},
  };
  KsPopupWnd reference;
  ASSERT_TRUE(reference.CreatePopup(nullptr, 300, 200, true, true));
  std::vector<LONG> centred = WindowCorners(reference);
  reference.Destroy();
  for (const Case& c : cases) {
    WINDOWPLACEMENT saved = SavedAt(u"Damaged", RECT{work.left + 5, work.top + 5, work.left + 305, work.top + 205});
    c.damage(&saved);
    Store().values[u"Damaged"].assign(reinterpret_cast<const char*>(&saved), sizeof saved);
    tools.lines.clear();

    KeyedPopup popup(u"Damaged");
    ASSERT_TRUE(popup.CreatePopup(nullptr, 300, 200, true, true)) << c.name;
    EXPECT_EQ(WindowCorners(popup), centred) << c.name;
    EXPECT_TRUE(tools.Logged(c.logged)) << c.name;
    WINDOWPLACEMENT replaced{};
    ASSERT_TRUE(Store().ReadBinary(u"Damaged", &replaced, int(sizeof replaced))) << c.name;
    EXPECT_EQ(replaced.length, 44u) << c.name;
    EXPECT_EQ(replaced.rcNormalPosition.right - replaced.rcNormalPosition.left, 300) << c.name;
    popup.Destroy();
  }
}
