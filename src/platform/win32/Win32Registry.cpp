// Registry calls, forwarded to the W functions. The seam's predefined keys
// are mapped to the system's (which are sign-extended on 64-bit Windows);
// every other key is a real handle.

#include "platform/SysRegistry.h"

#include <iterator>

namespace {
// The seam's predefined keys, named before <windows.h> makes their names macros.
const ks::sys::HKEY kSeamRoots[] = {ks::sys::HKEY_CLASSES_ROOT, ks::sys::HKEY_CURRENT_USER,
                                    ks::sys::HKEY_LOCAL_MACHINE, ks::sys::HKEY_USERS,
                                    ks::sys::HKEY_CURRENT_CONFIG};
}  // namespace

#include "platform/win32/Win32Native.h"

namespace {
// The same keys as the system declares them (outside ks::sys, where the macros
// name the system's HKEY).
const HKEY kNativeRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                             HKEY_CURRENT_CONFIG};
}  // namespace

#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef RegDeleteKey
#undef RegDeleteKeyEx
#undef RegEnumKeyEx
#undef RegEnumValue
#undef RegQueryInfoKey

namespace ks::sys {
namespace {

using win32::As;
using win32::DwordOut;
using win32::Wide;

::HKEY Native(HKEY key) {
  static_assert(std::size(kNativeRoots) == std::size(kSeamRoots));
  for (std::size_t i = 0; i < std::size(kSeamRoots); ++i) {
    if (key == kSeamRoots[i]) return kNativeRoots[i];
  }
  return reinterpret_cast<::HKEY>(key);
}

}  // namespace

LSTATUS RegOpenKeyEx(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result) {
  ::HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(Native(key), Wide(subKey), options, desired, &opened);
  if (result) *result = status == ERROR_SUCCESS ? reinterpret_cast<HKEY>(opened) : nullptr;
  return status;
}

LSTATUS RegCreateKeyEx(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                       REGSAM desired, SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition) {
  ::HKEY created = nullptr;
  DwordOut how(disposition);
  const LSTATUS status = ::RegCreateKeyExW(Native(key), Wide(subKey), reserved, Wide(keyClass), options, desired,
                                           As<::SECURITY_ATTRIBUTES>(security), &created, how.get());
  if (result) *result = status == ERROR_SUCCESS ? reinterpret_cast<HKEY>(created) : nullptr;
  return status;
}

LSTATUS RegCloseKey(HKEY key) { return ::RegCloseKey(Native(key)); }

LSTATUS RegQueryValueEx(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) {
  DwordOut typeOut(type);
  DwordOut sizeOut(dataSize);
  return ::RegQueryValueExW(Native(key), Wide(valueName), nullptr, typeOut.get(), data, sizeOut.get());
}

LSTATUS RegSetValueEx(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize) {
  return ::RegSetValueExW(Native(key), Wide(valueName), reserved, type, data, dataSize);
}

LSTATUS RegDeleteValue(HKEY key, const WCHAR* valueName) { return ::RegDeleteValueW(Native(key), Wide(valueName)); }

LSTATUS RegDeleteKey(HKEY key, const WCHAR* subKey) { return ::RegDeleteKeyW(Native(key), Wide(subKey)); }

LSTATUS RegDeleteKeyEx(HKEY key, const WCHAR* subKey, REGSAM desired, DWORD reserved) {
  return ::RegDeleteKeyExW(Native(key), Wide(subKey), desired, reserved);
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, WCHAR* name, DWORD* nameLength, DWORD* reserved, WCHAR* keyClass,
                     DWORD* classLength, FILETIME* lastWriteTime) {
  DwordOut nameOut(nameLength);
  DwordOut classOut(classLength);
  return ::RegEnumKeyExW(Native(key), index, Wide(name), nameOut.get(), nullptr, Wide(keyClass), classOut.get(),
                         As<::FILETIME>(lastWriteTime));
}

LSTATUS RegEnumValue(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameLength, DWORD* reserved,
                     DWORD* type, BYTE* data, DWORD* dataSize) {
  DwordOut nameOut(valueNameLength);
  DwordOut typeOut(type);
  DwordOut sizeOut(dataSize);
  return ::RegEnumValueW(Native(key), index, Wide(valueName), nameOut.get(), nullptr, typeOut.get(), data,
                         sizeOut.get());
}

LSTATUS RegQueryInfoKey(HKEY key, WCHAR* keyClass, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                        DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                        DWORD* maxValueLength, DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  DwordOut classOut(classLength), subKeysOut(subKeys), maxSubKeyOut(maxSubKeyLength), maxClassOut(maxClassLength),
      valuesOut(values), maxNameOut(maxValueNameLength), maxValueOut(maxValueLength),
      securityOut(securityDescriptor);
  return ::RegQueryInfoKeyW(Native(key), Wide(keyClass), classOut.get(), nullptr, subKeysOut.get(),
                            maxSubKeyOut.get(), maxClassOut.get(), valuesOut.get(), maxNameOut.get(),
                            maxValueOut.get(), securityOut.get(), As<::FILETIME>(lastWriteTime));
}

}  // namespace ks::sys
