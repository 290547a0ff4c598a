// Run-time modules, forwarded.

#include "platform/SysModule.h"

#include "platform/win32/Win32Native.h"

#undef LoadLibraryEx
#undef LoadLibrary
#undef GetModuleFileName
#undef GetModuleHandle
#undef GetModuleHandleEx

namespace ks::sys {

using win32::Wide;

HMODULE LoadLibraryEx(const WCHAR* fileName, HANDLE reserved, DWORD flags) {
  return reinterpret_cast<HMODULE>(::LoadLibraryExW(Wide(fileName), reserved, flags));
}

HMODULE LoadLibrary(const WCHAR* fileName) { return reinterpret_cast<HMODULE>(::LoadLibraryW(Wide(fileName))); }

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  return reinterpret_cast<FARPROC>(::GetProcAddress(reinterpret_cast<::HMODULE>(module), procName));
}

BOOL FreeLibrary(HMODULE module) { return ::FreeLibrary(reinterpret_cast<::HMODULE>(module)); }

DWORD GetModuleFileName(HMODULE module, WCHAR* fileName, DWORD size) {
  return ::GetModuleFileNameW(reinterpret_cast<::HMODULE>(module), Wide(fileName), size);
}

BOOL GetModuleHandleEx(DWORD flags, const WCHAR* moduleName, HMODULE* module) {
  ::HMODULE handle = nullptr;
  const BOOL found = ::GetModuleHandleExW(flags, Wide(moduleName), &handle);
  if (module) *module = reinterpret_cast<HMODULE>(handle);
  return found;
}

HMODULE GetModuleHandle(const WCHAR* moduleName) {
  return reinterpret_cast<HMODULE>(::GetModuleHandleW(Wide(moduleName)));
}

}  // namespace ks::sys

