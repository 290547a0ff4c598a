// System identity and control, forwarded. Calls that older or 32-bit systems
// lack (the WOW64 ones) and sensapi's IsNetworkAlive are looked up at run
// time, so the program starts everywhere and answers as such a system would.

#include "platform/SysSystem.h"

#include "platform/win32/Win32Native.h"

#include <shlobj.h>

#undef GetVersionEx
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef GetSystemWow64Directory
#undef GetUserName
#undef GetComputerName
#undef LookupPrivilegeValue

namespace ks::sys {
namespace {

using win32::As;
using win32::DwordOut;
using win32::Wide;

template <typename Function>
Function* Find(const wchar_t* module, const char* name) {
  ::HMODULE handle = ::GetModuleHandleW(module);
  if (handle == nullptr) handle = ::LoadLibraryW(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace

BOOL GetVersionEx(OSVERSIONINFOEX* versionInformation) {
  return ::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(As<::OSVERSIONINFOEXW>(versionInformation)));
}

BOOL IsProcessorFeaturePresent(DWORD feature) { return ::IsProcessorFeaturePresent(feature); }

BOOL IsWow64Process(HANDLE process, BOOL* wow64) {
  using Function = ::BOOL WINAPI(::HANDLE, ::PBOOL);
  static Function* const isWow64 = Find<Function>(L"kernel32.dll", "IsWow64Process");
  if (isWow64 == nullptr) {
    if (wow64) *wow64 = FALSE;
    return TRUE;
  }
  return isWow64(process, wow64);
}

UINT GetWindowsDirectory(WCHAR* buffer, UINT size) { return ::GetWindowsDirectoryW(Wide(buffer), size); }
UINT GetSystemDirectory(WCHAR* buffer, UINT size) { return ::GetSystemDirectoryW(Wide(buffer), size); }
UINT GetSystemWow64Directory(WCHAR* buffer, UINT size) { return ::GetSystemWow64DirectoryW(Wide(buffer), size); }

BOOL Wow64DisableWow64FsRedirection(void** oldValue) {
  using Function = ::BOOL WINAPI(::PVOID*);
  static Function* const disable = Find<Function>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
  if (disable == nullptr) {
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  return disable(oldValue);
}

BOOL Wow64RevertWow64FsRedirection(void* oldValue) {
  using Function = ::BOOL WINAPI(::PVOID);
  static Function* const revert = Find<Function>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
  if (revert == nullptr) {
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  return revert(oldValue);
}

BOOL Wow64EnableWow64FsRedirection(BOOL enable) {
  using Function = ::BOOLEAN WINAPI(::BOOLEAN);
  static Function* const change = Find<Function>(L"kernel32.dll", "Wow64EnableWow64FsRedirection");
  if (change == nullptr) {
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  return change(enable ? TRUE : FALSE) ? TRUE : FALSE;
}

BOOL GetUserName(WCHAR* buffer, DWORD* size) {
  DwordOut sizeOut(size);
  return ::GetUserNameW(Wide(buffer), sizeOut.get());
}

BOOL GetComputerName(WCHAR* buffer, DWORD* size) {
  DwordOut sizeOut(size);
  return ::GetComputerNameW(Wide(buffer), sizeOut.get());
}

BOOL IsUserAnAdmin() { return ::IsUserAnAdmin(); }

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) {
  return ::OpenProcessToken(process, desiredAccess, token);
}

BOOL LookupPrivilegeValue(const WCHAR* systemName, const WCHAR* name, LUID* luid) {
  return ::LookupPrivilegeValueW(Wide(systemName), Wide(name), As<::LUID>(luid));
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength) {
  DwordOut returned(returnLength);
  return ::AdjustTokenPrivileges(token, disableAll, As<::TOKEN_PRIVILEGES>(newState), bufferLength,
                                 As<::TOKEN_PRIVILEGES>(previousState), returned.get());
}

BOOL ExitWindowsEx(UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason); }

BOOL IsNetworkAlive(DWORD* flags) {
  using Function = ::BOOL WINAPI(::LPDWORD);
  static Function* const isAlive = Find<Function>(L"sensapi.dll", "IsNetworkAlive");
  if (isAlive == nullptr) {
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  DwordOut flagsOut(flags);
  return isAlive(flagsOut.get());
}

SHORT GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

}  // namespace ks::sys
