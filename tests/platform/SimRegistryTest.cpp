// Registry views of the simulated machine: WOW64 redirection and the merged
// HKEY_CLASSES_ROOT.

#include "TestMachine.h"

#include "platform/SysRegistry.h"
#include "platform/sim/SimControl.h"

using namespace ks;

class SimRegistry : public TestMachine {
 protected:
  sys::LSTATUS Write(sys::HKEY root, const std::u16string& path, sys::REGSAM view, const std::u16string& text) {
    sys::HKEY key = nullptr;
    sys::LSTATUS status =
        sys::RegCreateKeyEx(root, path.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    if (status) return status;
    status = sys::RegSetValueEx(key, u"v", 0, sys::REG_SZ, reinterpret_cast<const sys::BYTE*>(text.c_str()),
                                sys::DWORD((text.size() + 1) * 2));
    sys::RegCloseKey(key);
    return status;
  }
  std::u16string Read(sys::HKEY root, const std::u16string& path, sys::REGSAM view = 0) {
    sys::HKEY key = nullptr;
    if (sys::RegOpenKeyEx(root, path.c_str(), 0, sys::KEY_READ | view, &key)) return u"<no key>";
    sys::WCHAR text[64] = {};
    sys::DWORD size = sizeof text;
    sys::LSTATUS status = sys::RegQueryValueEx(key, u"v", nullptr, nullptr, reinterpret_cast<sys::BYTE*>(text), &size);
    sys::RegCloseKey(key);
    return status ? u"<no value>" : text;
  }
};

// Which stored key each view reaches, for a 32-bit process on a 64-bit machine.
TEST_F(SimRegistry, Wow64Views) {
  struct Case {
    const char16_t* written;
    sys::REGSAM view;
    const char16_t* stored;
  } cases[] = {
      {u"SOFTWARE\\Kestrune\\A", 0, u"SOFTWARE\\Wow6432Node\\Kestrune\\A"},
      {u"SOFTWARE\\Kestrune\\B", sys::KEY_WOW64_32KEY, u"SOFTWARE\\Wow6432Node\\Kestrune\\B"},
      {u"SOFTWARE\\Kestrune\\C", sys::KEY_WOW64_64KEY, u"SOFTWARE\\Kestrune\\C"},
      {u"SOFTWARE\\Classes\\.ksa", 0, u"SOFTWARE\\Classes\\.ksa"},
      {u"SOFTWARE\\Classes\\CLSID\\{K}", 0, u"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{K}"},
      {u"SYSTEM\\Kestrune", 0, u"SYSTEM\\Kestrune"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.written));
    ASSERT_EQ(Write(sys::HKEY_LOCAL_MACHINE, c.written, c.view, u"x"), 0);
    EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, c.stored, sys::KEY_WOW64_64KEY), u"x");
    EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, c.written, c.view), u"x");
  }
  EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Kestrune\\A", sys::KEY_WOW64_64KEY), u"<no key>");
  sim::SetProcess64(true);
  EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Kestrune\\C"), u"x");
  EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Kestrune\\A"), u"<no key>");
}

// HKEY_CLASSES_ROOT: the user's classes win; new keys go to the machine's.
TEST_F(SimRegistry, MergedClassesRoot) {
  ASSERT_EQ(Write(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\.ksm", 0, u"machine"), 0);
  EXPECT_EQ(Read(sys::HKEY_CLASSES_ROOT, u".ksm"), u"machine");
  ASSERT_EQ(Write(sys::HKEY_CURRENT_USER, u"Software\\Classes\\.ksm", 0, u"user"), 0);
  EXPECT_EQ(Read(sys::HKEY_CLASSES_ROOT, u".KSM"), u"user");
  ASSERT_EQ(Write(sys::HKEY_CLASSES_ROOT, u".ksm", 0, u"through root"), 0);
  EXPECT_EQ(Read(sys::HKEY_CURRENT_USER, u"Software\\Classes\\.ksm"), u"through root");
  EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\.ksm"), u"machine");
  ASSERT_EQ(Write(sys::HKEY_CLASSES_ROOT, u"Kestrune.File\\shell", 0, u"new"), 0);
  EXPECT_EQ(Read(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\Kestrune.File\\shell"), u"new");
  // Enumeration shows both hives once each.
  sys::HKEY root = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CLASSES_ROOT, nullptr, 0, sys::KEY_READ, &root), 0);
  int seen = 0;
  sys::WCHAR name[64];
  for (sys::DWORD i = 0;; ++i) {
    sys::DWORD length = 64;
    if (sys::RegEnumKeyEx(root, i, name, &length, nullptr, nullptr, nullptr, nullptr)) break;
    if (std::u16string(name) == u".ksm") ++seen;
  }
  EXPECT_EQ(seen, 1);
  sys::RegCloseKey(root);
}
