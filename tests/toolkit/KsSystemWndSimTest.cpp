// The set-cursor rule, which the simulated machine's journal lets a test see:
// a press on a window disabled by a modal popup keeps the popup in front.

#include "RecordingWnd.h"
#include "ToolkitSimTest.h"
#include "ToolkitTest.h"

using namespace ks::sys;

using KsSystemWndSimTest = ToolkitTest;

// Pressing a window disabled by a modal popup brings the popup to the front;
// pressing it again while the popup is in front beeps and flashes the popup.
TEST_F(KsSystemWndSimTest, PressOnWindowDisabledByPopupKeepsThePopupInFront) {
  RecordingWnd owner, popup;
  ASSERT_TRUE(owner.CreatePopup(Rect(0, 0, 400, 300), nullptr, WS_VISIBLE));
  ASSERT_TRUE(popup.CreatePopup(Rect(50, 50, 250, 150), &owner));
  popup.Show(SW_SHOW);
  owner.Enable(false);
  owner.BringToForeground();
  LPARAM press = LPARAM((WM_LBUTTONDOWN << 16) | (HTERROR & 0xFFFF));
  EXPECT_EQ(SendMessage(owner.GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(owner.GetHandle()), press), TRUE);
  EXPECT_EQ(GetForegroundWindow(), popup.GetHandle());
  EXPECT_FALSE(JournalHas("MessageBeep\t0x0"));
  SendMessage(owner.GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(owner.GetHandle()), press);
  EXPECT_TRUE(JournalHas("MessageBeep\t0x0"));
  EXPECT_TRUE(JournalHas("FlashWindowEx\tRecording\tflags=3 count=3 timeout=150"));
  popup.Destroy();
  owner.Destroy();
}
