#pragma once
// System identity and control: OS version, processor features, WOW64, system
// folders and their redirection, rights, restart, network state, key state.

#include "platform/SysHandle.h"
#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOEX {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};

// dwOSVersionInfoSize must be set to the size of OSVERSIONINFOEX.
BOOL GetVersionEx(OSVERSIONINFOEX* versionInformation);

constexpr DWORD PF_MMX_INSTRUCTIONS_AVAILABLE = 3;
constexpr DWORD PF_XMMI_INSTRUCTIONS_AVAILABLE = 6;
constexpr DWORD PF_XMMI64_INSTRUCTIONS_AVAILABLE = 10;
constexpr DWORD PF_SSE3_INSTRUCTIONS_AVAILABLE = 13;
BOOL IsProcessorFeaturePresent(DWORD feature);

// TRUE in *wow64 for a 32-bit process on a 64-bit machine.
BOOL IsWow64Process(HANDLE process, BOOL* wow64);

UINT GetWindowsDirectory(WCHAR* buffer, UINT size);
// The 64-bit system folder for a 64-bit process; a 32-bit process on a 64-bit
// machine is redirected from it to SysWOW64 unless redirection is disabled.
UINT GetSystemDirectory(WCHAR* buffer, UINT size);
UINT GetSystemWow64Directory(WCHAR* buffer, UINT size);
BOOL Wow64DisableWow64FsRedirection(void** oldValue);
BOOL Wow64RevertWow64FsRedirection(void* oldValue);
// TRUE enables redirection; the old-style call, still used by installers.
BOOL Wow64EnableWow64FsRedirection(BOOL enable);

BOOL GetUserName(WCHAR* buffer, DWORD* size);
BOOL GetComputerName(WCHAR* buffer, DWORD* size);

// Administrator rights of the process (shell32's IsUserAnAdmin).
BOOL IsUserAnAdmin();

constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD SE_PRIVILEGE_ENABLED = 0x2;
inline constexpr const WCHAR* SE_SHUTDOWN_NAME = u"SeShutdownPrivilege";

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};
struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
BOOL LookupPrivilegeValue(const WCHAR* systemName, const WCHAR* name, LUID* luid);
// Succeeds with ERROR_NOT_ALL_ASSIGNED as last error when a privilege is not held.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength);

constexpr UINT EWX_LOGOFF = 0x0;
constexpr UINT EWX_SHUTDOWN = 0x1;
constexpr UINT EWX_REBOOT = 0x2;
constexpr UINT EWX_FORCE = 0x4;
constexpr UINT EWX_FORCEIFHUNG = 0x10;
// Restart and shut-down need the shutdown privilege enabled in the token.
BOOL ExitWindowsEx(UINT flags, DWORD reason);

constexpr DWORD NETWORK_ALIVE_LAN = 0x1;
// FALSE with last error 0 when there is no connection (sensapi).
BOOL IsNetworkAlive(DWORD* flags);

// High bit: key down; low bit: toggled.
SHORT GetKeyState(int virtualKey);

}  // namespace ks::sys
