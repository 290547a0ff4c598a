#include "foundation/KsHandle.h"

#include <gtest/gtest.h>

#include <utility>

#include "TestMachine.h"

class KsHandleTest : public TestMachine {
 protected:
  KsFileHandle Open(const std::u16string& path) {
    return KsFileHandle(ks::sys::CreateFile(path.c_str(), ks::sys::GENERIC_READ, ks::sys::FILE_SHARE_READ, nullptr,
                                            ks::sys::OPEN_EXISTING,
                                            0, nullptr));
  }
};

// Every handle is closed exactly once (the fixture reports leaks and double
// closes), ownership moves, and closing keeps the caller's last error.
TEST_F(KsHandleTest, ClosesOnceAndKeepsTheLastError) {
  ASSERT_TRUE(WriteText(Path(u"a.txt"), "a"));
  KsFileHandle first = Open(Path(u"a.txt"));
  ASSERT_TRUE(first);
  KsFileHandle moved = std::move(first);
  EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
  EXPECT_TRUE(moved);

  KsFileHandle missing = Open(Path(u"missing.txt"));
  EXPECT_FALSE(missing);
  EXPECT_EQ(ks::sys::GetLastError(), ks::sys::ERROR_FILE_NOT_FOUND);
  ks::sys::SetLastError(ks::sys::ERROR_FILE_NOT_FOUND);
  moved.Reset();  // the close must not disturb the error being reported
  EXPECT_EQ(ks::sys::GetLastError(), ks::sys::ERROR_FILE_NOT_FOUND);

  KsFileHandle released = Open(Path(u"a.txt"));
  ks::sys::HANDLE raw = released.Release();
  EXPECT_FALSE(released);
  KsFileHandle adopted(raw);
  adopted = Open(Path(u"a.txt"));  // closes the adopted one
  EXPECT_TRUE(adopted);
}

TEST_F(KsHandleTest, RegistryKeysThroughReceive) {
  KsRegKey key;
  ASSERT_EQ(ks::sys::RegOpenKeyEx(ks::sys::HKEY_CURRENT_USER, KeyPath().c_str(), 0, ks::sys::KEY_READ, key.Receive()),
            0);
  EXPECT_TRUE(key);
  EXPECT_NE(ks::sys::RegOpenKeyEx(ks::sys::HKEY_CURRENT_USER, u"Software\\NoSuchKey", 0, ks::sys::KEY_READ,
                                  key.Receive()),
            0);
  EXPECT_FALSE(key);
}
