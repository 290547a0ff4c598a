// File version resources, forwarded to Version.dll.

#include "platform/SysVersion.h"

#include "platform/win32/Win32Native.h"

#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

namespace ks::sys {

using win32::DwordOut;
using win32::Wide;

DWORD GetFileVersionInfoSize(const WCHAR* fileName, DWORD* handle) {
  DwordOut handleOut(handle);
  return ::GetFileVersionInfoSizeW(Wide(fileName), handleOut.get());
}

BOOL GetFileVersionInfo(const WCHAR* fileName, DWORD handle, DWORD length, void* data) {
  return ::GetFileVersionInfoW(Wide(fileName), handle, length, data);
}

BOOL VerQueryValue(const void* block, const WCHAR* subBlock, void** buffer, UINT* length) {
  return ::VerQueryValueW(block, Wide(subBlock), buffer, length);
}

}  // namespace ks::sys
