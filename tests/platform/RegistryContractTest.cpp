// Registry calls: typed values, sizes, case, order and deletion rules of the
// Windows registry, under a scratch key of HKEY_CURRENT_USER.

#include "TestMachine.h"

#include "platform/SysRegistry.h"

#include <cstring>
#include <vector>

using namespace ks::sys;

class RegistryContract : public TestMachine {
 protected:
  void SetUp() override {
    TestMachine::SetUp();
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, KeyPath().c_str(), 0, KEY_ALL_ACCESS, &m_key), 0);
  }
  void TearDown() override {
    RegCloseKey(m_key);
    TestMachine::TearDown();
  }
  HKEY Create(const std::u16string& subKey, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(m_key, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), 0);
    return key;
  }
  LSTATUS SetString(HKEY key, const char16_t* name, const std::u16string& text, DWORD type = REG_SZ) {
    return RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                         DWORD((text.size() + 1) * 2));
  }
  HKEY m_key = nullptr;
};

TEST_F(RegistryContract, CreateReportsWhetherTheKeyIsNew) {
  DWORD disposition = 0;
  HKEY key = Create(u"A\\B\\C", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(key);
  key = Create(u"a\\b\\c", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyEx(m_key, u"A\\Nope", 0, KEY_READ, &missing), LSTATUS(ERROR_FILE_NOT_FOUND));
}

// Every value type comes back byte for byte with its type.
TEST_F(RegistryContract, TypedValuesRoundTrip) {
  const std::u16string text = u"C:\\Program Files\\Auralis";
  const std::u16string multi(u"one\0two\0\0", 9);
  const std::uint32_t dword = 0xA1B2C3D4;
  const std::uint64_t qword = 0x0102030405060708ull;
  const BYTE binary[] = {0, 1, 2, 0xFF};
  struct Case {
    const char16_t* name;
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {
      {u"Text", REG_SZ, text.c_str(), DWORD((text.size() + 1) * 2)},
      {u"Expand", REG_EXPAND_SZ, u"%SystemRoot%\\x", 30},
      {u"Multi", REG_MULTI_SZ, multi.data(), DWORD(multi.size() * 2)},
      {u"Dword", REG_DWORD, &dword, 4},
      {u"Qword", REG_QWORD, &qword, 8},
      {u"Binary", REG_BINARY, binary, 4},
      {u"Empty", REG_BINARY, binary, 0},
  };
  for (const Case& c : cases)
    ASSERT_EQ(RegSetValueEx(m_key, c.name, 0, c.type, static_cast<const BYTE*>(c.data), c.size), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    DWORD type = 0, size = 64;
    BYTE data[64] = {};
    ASSERT_EQ(RegQueryValueEx(m_key, c.name, nullptr, &type, data, &size), 0);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.size);
    EXPECT_EQ(std::memcmp(data, c.data, c.size), 0);
  }
}

TEST_F(RegistryContract, SizeQueriesAndSmallBuffers) {
  ASSERT_EQ(SetString(m_key, u"Name", u"0123456789"), 0);
  DWORD size = 0, type = 0;
  EXPECT_EQ(RegQueryValueEx(m_key, u"Name", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(size, 22u);
  EXPECT_EQ(type, REG_SZ);
  BYTE small[8];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(m_key, u"Name", nullptr, nullptr, small, &size), LSTATUS(ERROR_MORE_DATA));
  EXPECT_EQ(size, 22u);
  EXPECT_EQ(RegQueryValueEx(m_key, u"Missing", nullptr, nullptr, nullptr, &size), LSTATUS(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryContract, DefaultValueIsTheUnnamedOne) {
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(m_key, nullptr, nullptr, nullptr, nullptr, &size), LSTATUS(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(SetString(m_key, nullptr, u"default"), 0);
  WCHAR text[16] = {};
  size = sizeof text;
  EXPECT_EQ(RegQueryValueEx(m_key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), 0);
  EXPECT_EQ(std::u16string(text), u"default");
  EXPECT_EQ(RegDeleteValue(m_key, u""), 0);
  EXPECT_EQ(RegQueryValueEx(m_key, nullptr, nullptr, nullptr, nullptr, &size), LSTATUS(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryContract, NamesIgnoreCaseButKeepIt) {
  HKEY key = Create(u"CamelKey");
  ASSERT_EQ(SetString(key, u"ValueName", u"1"), 0);
  ASSERT_EQ(SetString(key, u"VALUENAME", u"2"), 0);  // the same value
  WCHAR name[32];
  DWORD length = 32;
  ASSERT_EQ(RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(std::u16string(name, length), u"ValueName");
  EXPECT_EQ(RegEnumValue(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), LSTATUS(ERROR_NO_MORE_ITEMS));
  RegCloseKey(key);
  length = 32;
  ASSERT_EQ(RegEnumKeyEx(m_key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(std::u16string(name, length), u"CamelKey");
}

TEST_F(RegistryContract, EnumerationOrder) {
  for (auto name : {u"b", u"C", u"a"}) RegCloseKey(Create(name));
  for (auto name : {u"zeta", u"Alpha", u"mid"}) ASSERT_EQ(SetString(m_key, name, u"x"), 0);
  std::vector<std::u16string> keys, values;
  WCHAR name[32];
  DWORD length = 32;
  for (DWORD i = 0; RegEnumKeyEx(m_key, i, name, &(length = 32), nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    keys.emplace_back(name, length);
  for (DWORD i = 0; RegEnumValue(m_key, i, name, &(length = 32), nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    values.emplace_back(name, length);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"a", u"b", u"C"}));
  // Values come in the order they were written.
  EXPECT_EQ(values, (std::vector<std::u16string>{u"zeta", u"Alpha", u"mid"}));
  length = 1;  // no room for the terminator
  EXPECT_EQ(RegEnumKeyEx(m_key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), LSTATUS(ERROR_MORE_DATA));
  DWORD subKeys = 0, valueCount = 0, longest = 0;
  ASSERT_EQ(RegQueryInfoKey(m_key, nullptr, nullptr, nullptr, &subKeys, &longest, nullptr, &valueCount, nullptr,
                            nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(subKeys, 3u);
  EXPECT_EQ(valueCount, 3u);
  EXPECT_EQ(longest, 1u);
}

TEST_F(RegistryContract, DeleteKeyRefusesKeysWithSubkeys) {
  RegCloseKey(Create(u"Parent\\Child"));
  EXPECT_EQ(RegDeleteKey(m_key, u"Parent"), LSTATUS(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteKey(m_key, u"Parent\\Child"), 0);
  EXPECT_EQ(RegDeleteKey(m_key, u"Parent"), 0);
  EXPECT_EQ(RegDeleteKey(m_key, u"Parent"), LSTATUS(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegDeleteValue(m_key, u"NoSuchValue"), LSTATUS(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryContract, HandleOfADeletedKeyFails) {
  HKEY key = Create(u"Doomed");
  ASSERT_EQ(RegDeleteKey(m_key, u"Doomed"), 0);
  EXPECT_EQ(SetString(key, u"v", u"x"), LSTATUS(ERROR_KEY_DELETED));
  RegCloseKey(key);
}

TEST_F(RegistryContract, ReadOnlyHandleCannotWrite) {
  RegCloseKey(Create(u"Sub"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(m_key, u"Sub", 0, KEY_READ, &key), 0);
  EXPECT_EQ(SetString(key, u"v", u"x"), LSTATUS(ERROR_ACCESS_DENIED));
  RegCloseKey(key);
}

TEST_F(RegistryContract, ClassesRootShowsTheUsersClasses) {
  HKEY classes = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Classes\\.kstest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &classes, nullptr),
            0);
  ASSERT_EQ(SetString(classes, nullptr, u"Kestrune.Test"), 0);
  RegCloseKey(classes);
  HKEY merged = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u".kstest", 0, KEY_READ, &merged), 0);
  WCHAR text[32] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegQueryValueEx(merged, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), 0);
  EXPECT_EQ(std::u16string(text), u"Kestrune.Test");
  RegCloseKey(merged);
  RegDeleteKey(HKEY_CURRENT_USER, u"Software\\Classes\\.kstest");
}
