// Settings stores (HKCU\Software\<maker>\<product with version>\<store>) and
// registry key objects.

#include <cstdint>
#include <limits>

#include "ToolsModuleTest.h"
#include "foundation/KsStringArray.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"

using namespace ks;

using SettingsStore = ToolsModuleTest;

namespace {
sys::DWORD ValueType(const std::u16string& keyPath, const char16_t* name) {
  sys::HKEY key = nullptr;
  if (sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, keyPath.c_str(), 0, sys::KEY_READ, &key) != 0) return 0xFFFF;
  sys::DWORD type = 0xFFFF;
  sys::RegQueryValueEx(key, name, nullptr, &type, nullptr, nullptr);
  sys::RegCloseKey(key);
  return type;
}
}  // namespace

TEST_F(SettingsStore, StoreIsAKeyNamedAfterTheProduct) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsSettingsStore* store = Tools()->GetSettingsStore(u"Installer\\Finalize");
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(Narrow(store->GetStorePath()), Narrow(std::u16string(kSettingsKey) + u"\\Installer\\Finalize"));
  // The same store for the same name in any case.
  EXPECT_EQ(Tools()->GetSettingsStore(u"installer\\finalize"), store);
  EXPECT_EQ(Tools()->GetSettingsStore(u""), nullptr);
}

// Numbers keep their value and sign: 32-bit ones as REG_DWORD, larger as
// REG_QWORD; a text value holding a number reads as that number.
TEST_F(SettingsStore, NumbersRoundTrip) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsSettingsStore* store = Tools()->GetSettingsStore(u"Properties");
  ASSERT_NE(store, nullptr);
  const std::u16string key = std::u16string(kSettingsKey) + u"\\Properties";
  struct Case {
    std::int64_t value;
    sys::DWORD type;
  };
  const Case cases[] = {
      {0, sys::REG_DWORD},
      {-1, sys::REG_DWORD},
      {std::numeric_limits<std::int32_t>::max(), sys::REG_DWORD},
      {std::numeric_limits<std::int32_t>::min(), sys::REG_DWORD},
      {std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1, sys::REG_QWORD},
      {0xFFFFFFFFll, sys::REG_QWORD},
      {std::numeric_limits<std::int64_t>::min(), sys::REG_QWORD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_TRUE(store->WriteNumber(u"Number", c.value));
    EXPECT_EQ(store->ReadNumber(u"Number", 5), c.value);
    EXPECT_EQ(ValueType(key, u"Number"), c.type);
  }
  EXPECT_EQ(store->ReadNumber(u"Missing", 5), 5);
  ASSERT_TRUE(store->WriteText(u"Text", u"42"));
  EXPECT_EQ(store->ReadNumber(u"Text", 5), 42);
  ASSERT_TRUE(store->WriteText(u"Text", u"none"));
  EXPECT_EQ(store->ReadNumber(u"Text", 5), 5);
  EXPECT_EQ(Narrow(store->ReadText(u"Number", u"")), "-9223372036854775808");
}

TEST_F(SettingsStore, TextAndBinaryValues) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsSettingsStore* store = Tools()->GetSettingsStore(u"Properties");
  ASSERT_NE(store, nullptr);
  for (const char16_t* text : {u"", u"plain", u"C:\\Program Files\\Auralis 22\\", u"\u00c5berg \u0434\u043e\u043c"}) {
    ASSERT_TRUE(store->WriteText(u"Text", text));
    EXPECT_EQ(Narrow(store->ReadText(u"Text", u"default")), Narrow(text));
  }
  EXPECT_EQ(Narrow(store->ReadText(u"Missing", u"default")), "default");

  const unsigned char placement[6] = {1, 0, 255, 7, 0, 9};
  ASSERT_TRUE(store->WriteBinary(u"Placement", placement, 6));
  unsigned char read[6] = {};
  EXPECT_TRUE(store->ReadBinary(u"Placement", read, 6));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(read), 6), std::string(reinterpret_cast<const char*>(placement), 6));
  unsigned char other[8] = {};
  EXPECT_FALSE(store->ReadBinary(u"Placement", other, 8)) << "another size is not this value";
  EXPECT_FALSE(store->ReadBinary(u"Text", read, 6)) << "text is not binary";
  EXPECT_FALSE(store->ReadBinary(u"Missing", read, 6));
}

// Deleting and emptying: subkeys go with everything below them.
TEST_F(SettingsStore, DeleteAndRemoveAll) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsSettingsStore* store = Tools()->GetSettingsStore(u"Properties");
  IKsSettingsStore* deep = Tools()->GetSettingsStore(u"Properties\\Libraries\\Main\\Deep");
  IKsSettingsStore* other = Tools()->GetSettingsStore(u"Properties\\Views");
  ASSERT_TRUE(store != nullptr && deep != nullptr && other != nullptr);
  ASSERT_TRUE(deep->WriteText(u"Value", u"x"));
  ASSERT_TRUE(other->WriteText(u"Value", u"y"));
  ASSERT_TRUE(store->WriteText(u"A", u"1"));
  ASSERT_TRUE(store->WriteNumber(u"B", 2));

  EXPECT_TRUE(store->DeleteValue(u"A"));
  EXPECT_FALSE(store->DeleteValue(u"A"));
  EXPECT_TRUE(store->DeleteSubkey(u"Libraries"));
  KsStringArray names;
  IKsRegistryKey* key = Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, std::u16string(kSettingsKey).c_str());
  ASSERT_NE(key, nullptr);
  IKsRegistryKey* properties =
      Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, (std::u16string(kSettingsKey) + u"\\Properties").c_str());
  ASSERT_NE(properties, nullptr);
  ASSERT_TRUE(properties->EnumerateSubkeys(&names));
  ASSERT_EQ(names.GetSize(), 1);
  EXPECT_EQ(Narrow(names[0]), "Views");

  EXPECT_TRUE(store->RemoveAllValues());
  EXPECT_TRUE(store->RemoveAllSubkeys());
  names.RemoveAll();
  EXPECT_TRUE(properties->EnumerateSubkeys(&names));
  EXPECT_TRUE(names.IsEmpty());
  EXPECT_TRUE(properties->EnumerateValues(&names));
  EXPECT_TRUE(names.IsEmpty());
  properties->Release();
  key->Release();
}

// A folder path below the user's profile is stored with its variable, so it
// follows the user, and reads back as plain text.
TEST_F(SettingsStore, FolderPathValuesFollowTheUser) {
  ASSERT_NE(LoadModule(), nullptr);
  sys::WCHAR appData[sys::MAX_PATH];
  const sys::DWORD length = sys::GetEnvironmentVariable(u"APPDATA", appData, sys::MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::u16string folder = std::u16string(appData, length) + u"\\Kestrune\\Library\\";
  sys::WCHAR profile[sys::MAX_PATH];
  const sys::DWORD profileLength = sys::GetEnvironmentVariable(u"USERPROFILE", profile, sys::MAX_PATH);
  ASSERT_GT(profileLength, 0u);
  const std::u16string keyPath = KeyPath() + u"\\Paths";
  IKsRegistryKey* key = Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, keyPath.c_str());
  ASSERT_NE(key, nullptr);
  struct Case {
    const char16_t* name;
    std::u16string value;
    int kind;
    sys::DWORD type;
  };
  const Case cases[] = {
      {u"Library", folder, IKsRegistryKey::kFolderPath, sys::REG_EXPAND_SZ},
      {u"Elsewhere", u"D:\\Music\\", IKsRegistryKey::kFolderPath, sys::REG_SZ},
      {u"Plain", folder, IKsRegistryKey::kPlainText, sys::REG_SZ},
      // A folder that only starts like the profile folder is not below it.
      {u"Lookalike", std::u16string(profile, profileLength) + u"2\\Music\\", IKsRegistryKey::kFolderPath, sys::REG_SZ},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    ASSERT_TRUE(key->WriteText(c.name, c.value.c_str(), c.kind));
    EXPECT_EQ(ValueType(keyPath, c.name), c.type);
    EXPECT_EQ(Narrow(key->ReadText(c.name, u"")), Narrow(c.value));
  }
  sys::HKEY raw = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, keyPath.c_str(), 0, sys::KEY_READ, &raw), 0);
  sys::WCHAR stored[sys::MAX_PATH] = {};
  sys::DWORD size = sizeof stored;
  EXPECT_EQ(sys::RegQueryValueEx(raw, u"Library", nullptr, nullptr, reinterpret_cast<sys::BYTE*>(stored), &size), 0);
  sys::RegCloseKey(raw);
  EXPECT_EQ(Narrow(stored), "%APPDATA%\\Kestrune\\Library\\");
  key->Release();
}

TEST_F(SettingsStore, KeyObjectsCopyValuesUnchanged) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsRegistryKey* from = Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, (KeyPath() + u"\\Old").c_str());
  IKsRegistryKey* to = Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, (KeyPath() + u"\\New").c_str());
  ASSERT_TRUE(from != nullptr && to != nullptr);
  sys::HKEY raw = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, (KeyPath() + u"\\Old").c_str(), 0, sys::KEY_ALL_ACCESS, &raw), 0);
  const char16_t multi[] = u"one\0two\0";
  ASSERT_EQ(sys::RegSetValueEx(raw, u"List", 0, sys::REG_MULTI_SZ, reinterpret_cast<const sys::BYTE*>(multi),
                               sizeof multi),
            0);
  sys::RegCloseKey(raw);
  EXPECT_TRUE(to->CopyValue(from, u"List"));
  EXPECT_FALSE(to->CopyValue(from, u"Missing"));
  EXPECT_EQ(ValueType(KeyPath() + u"\\New", u"List"), sys::REG_MULTI_SZ);
  ASSERT_TRUE(from->WriteNumber(u"Count", 3));
  KsStringArray names;
  ASSERT_TRUE(from->EnumerateValues(&names));
  ASSERT_EQ(names.GetSize(), 2);
  from->Release();
  to->Release();
  // A key that cannot be made gives no object.
  EXPECT_EQ(Tools()->OpenRegistryKey(sys::HKEY_CURRENT_USER, u""), nullptr);
}
