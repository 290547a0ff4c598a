// Finding a loaded module: from an address inside it (how a module learns its
// own handle and folder) and by its file name.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"

#include <string>

using namespace ks::sys;

using ModuleContract = TestMachine;

namespace {
const WCHAR* AsName(FARPROC address) { return reinterpret_cast<const WCHAR*>(reinterpret_cast<const void*>(address)); }
}  // namespace

TEST_F(ModuleContract, HandleFromAddressOrName) {
  const std::u16string path = TestModule();
  HMODULE module = LoadLibraryEx(path.c_str(), nullptr, 0);
  ASSERT_NE(module, nullptr);
  FARPROC answer = GetProcAddress(module, "KsAnswer");
  ASSERT_NE(answer, nullptr);

  HMODULE found = nullptr;
  EXPECT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                AsName(answer), &found));
  EXPECT_EQ(found, module);
  found = nullptr;
  EXPECT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, u"MODULE.DLL", &found));
  EXPECT_EQ(found, module);
  found = nullptr;
  EXPECT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, path.c_str(), &found));
  EXPECT_EQ(found, module);

  // Without UNCHANGED_REFCOUNT the answer is a reference of its own: the
  // module stays loaded after the first FreeLibrary.
  HMODULE counted = nullptr;
  ASSERT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, AsName(answer), &counted));
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(counted, "KsAnswer"), answer);
  EXPECT_TRUE(FreeLibrary(counted));

  found = module;
  EXPECT_FALSE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, u"module.dll", &found));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(found, nullptr);
}

// An address in the program itself gives the program's own module.
TEST_F(ModuleContract, AddressInTheProgramGivesItsModule) {
  HMODULE found = nullptr;
  ASSERT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<const WCHAR*>(reinterpret_cast<const void*>(&AsName)), &found));
  EXPECT_EQ(found, GetModuleHandle(nullptr));
}
