#pragma once
// Processes and waiting. A process started through the seam is a real process;
// its handle is waited on, queried and closed like any HANDLE.

#include "platform/SysHandle.h"
#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

constexpr DWORD CREATE_NO_WINDOW = 0x08000000;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;
constexpr DWORD ABOVE_NORMAL_PRIORITY_CLASS = 0x8000;

constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr WORD SW_HIDE = 0;
constexpr WORD SW_SHOWNORMAL = 1;
constexpr WORD SW_SHOW = 5;

struct STARTUPINFO {
  DWORD cb;
  WCHAR* lpReserved;
  WCHAR* lpDesktop;
  WCHAR* lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput, hStdOutput, hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

// applicationName null: the program is the first token of commandLine, found
// as Windows finds it (quotes, ".exe" appended, program folder, current folder,
// system folders).
BOOL CreateProcess(const WCHAR* applicationName, WCHAR* commandLine, SECURITY_ATTRIBUTES* processAttributes,
                   SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                   void* environment, const WCHAR* currentDirectory, STARTUPINFO* startupInfo,
                   PROCESS_INFORMATION* processInformation);
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD GetProcessId(HANDLE process);
DWORD GetCurrentProcessId();
// A pseudo handle that needs no closing, as on Windows.
HANDLE GetCurrentProcess();
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);
DWORD GetPriorityClass(HANDLE process);

// Processes, mutexes and events.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

DWORD GetEnvironmentVariable(const WCHAR* name, WCHAR* buffer, DWORD size);
const WCHAR* GetCommandLine();

// Which failures the system reports in its own boxes; answers the old mode.
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;
UINT SetErrorMode(UINT mode);
[[noreturn]] void ExitProcess(UINT exitCode);

}  // namespace ks::sys
