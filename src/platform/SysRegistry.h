#pragma once
// Registry calls of the seam. Return values are Win32 error codes (LSTATUS),
// as the real Reg* functions return them; they do not set the last error.

#include "platform/SysTypes.h"

#include <cstdint>

namespace ks::sys {

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t(0x80000000));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t(0x80000002));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t(0x80000003));
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t(0x80000005));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegOpenKeyEx(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result);
LSTATUS RegCreateKeyEx(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                       REGSAM desired, SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition);
LSTATUS RegCloseKey(HKEY key);
// type/data/dataSize may be null; data too small: ERROR_MORE_DATA with the size needed.
LSTATUS RegQueryValueEx(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize);
LSTATUS RegSetValueEx(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize);
LSTATUS RegDeleteValue(HKEY key, const WCHAR* valueName);
// Fails with ERROR_ACCESS_DENIED when the key has subkeys.
LSTATUS RegDeleteKey(HKEY key, const WCHAR* subKey);
LSTATUS RegDeleteKeyEx(HKEY key, const WCHAR* subKey, REGSAM desired, DWORD reserved);
// Subkeys in name order (without regard to case); nameLength in characters,
// without the terminator on return.
LSTATUS RegEnumKeyEx(HKEY key, DWORD index, WCHAR* name, DWORD* nameLength, DWORD* reserved, WCHAR* keyClass,
                     DWORD* classLength, FILETIME* lastWriteTime);
// Values in the order they were first written.
LSTATUS RegEnumValue(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameLength, DWORD* reserved,
                     DWORD* type, BYTE* data, DWORD* dataSize);
LSTATUS RegQueryInfoKey(HKEY key, WCHAR* keyClass, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                        DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                        DWORD* maxValueLength, DWORD* securityDescriptor, FILETIME* lastWriteTime);

}  // namespace ks::sys
