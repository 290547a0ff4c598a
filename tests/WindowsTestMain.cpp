// Entry point of the test programs in the Windows build: like the shipped
// program they are Unicode programs (-municode), started through wmain.

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
