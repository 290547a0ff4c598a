// AdjustWindowRectEx: a frameless popup's window is its client area; a frame
// and caption only ever add to it.

#include "TestMachine.h"

#include "platform/SysWindow.h"

using namespace ks::sys;

namespace {

class WindowFrameContract : public TestMachine {};

TEST_F(WindowFrameContract, WindowRectHoldsTheClientRect) {
  RECT bare{10, 20, 110, 70};
  ASSERT_TRUE(AdjustWindowRectEx(&bare, WS_POPUP, FALSE, 0));
  EXPECT_EQ(bare.left, 10);
  EXPECT_EQ(bare.top, 20);
  EXPECT_EQ(bare.right, 110);
  EXPECT_EQ(bare.bottom, 70);
  RECT framed{10, 20, 110, 70};
  ASSERT_TRUE(AdjustWindowRectEx(&framed, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0));
  EXPECT_LE(framed.left, 10);
  EXPECT_LE(framed.top, 20);
  EXPECT_GE(framed.right, 110);
  EXPECT_GE(framed.bottom, 70);
}

}  // namespace
