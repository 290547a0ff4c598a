// Processes, waiting and the environment, forwarded.

#include "platform/SysProcess.h"

#include "platform/win32/Win32Native.h"

#undef CreateProcess
#undef GetEnvironmentVariable
#undef GetCommandLine

namespace ks::sys {

using win32::As;
using win32::DwordOut;
using win32::Wide;

BOOL CreateProcess(const WCHAR* applicationName, WCHAR* commandLine, SECURITY_ATTRIBUTES* processAttributes,
                   SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                   void* environment, const WCHAR* currentDirectory, STARTUPINFO* startupInfo,
                   PROCESS_INFORMATION* processInformation) {
  return ::CreateProcessW(Wide(applicationName), Wide(commandLine), As<::SECURITY_ATTRIBUTES>(processAttributes),
                          As<::SECURITY_ATTRIBUTES>(threadAttributes), inheritHandles, creationFlags, environment,
                          Wide(currentDirectory), As<::STARTUPINFOW>(startupInfo),
                          As<::PROCESS_INFORMATION>(processInformation));
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  DwordOut code(exitCode);
  return ::GetExitCodeProcess(process, code.get());
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) { return ::TerminateProcess(process, exitCode); }
DWORD GetProcessId(HANDLE process) { return ::GetProcessId(process); }
DWORD GetCurrentProcessId() { return ::GetCurrentProcessId(); }
HANDLE GetCurrentProcess() { return ::GetCurrentProcess(); }
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass) { return ::SetPriorityClass(process, priorityClass); }
DWORD GetPriorityClass(HANDLE process) { return ::GetPriorityClass(process); }
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) { return ::WaitForSingleObject(object, milliseconds); }

DWORD GetEnvironmentVariable(const WCHAR* name, WCHAR* buffer, DWORD size) {
  return ::GetEnvironmentVariableW(Wide(name), Wide(buffer), size);
}

const WCHAR* GetCommandLine() { return reinterpret_cast<const WCHAR*>(::GetCommandLineW()); }

void ExitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

}  // namespace ks::sys

namespace ks::sys {
UINT SetErrorMode(UINT mode) { return ::SetErrorMode(mode); }
}  // namespace ks::sys
