// Identity, rights, restart, network, key state and time of the simulated machine.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysSystem.h"
#include "platform/SysTime.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>

namespace ks::sim::detail {
namespace {

std::atomic<bool> g_virtualTime{false};
std::atomic<std::uint64_t> g_virtualNanoseconds{0};
std::map<int, sys::SHORT>& KeyStates() {
  static std::map<int, sys::SHORT> states;
  return states;
}

std::uint64_t MonotonicNanoseconds() {
  if (g_virtualTime) return g_virtualNanoseconds.load();
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::uint64_t(now.tv_sec) * 1000000000ull + std::uint64_t(now.tv_nsec);
}

struct TokenObject : HandleObject {
  TokenObject() : HandleObject(HandleKind::Token) {}
};

constexpr sys::DWORD kShutdownLuid = 19;  // SE_SHUTDOWN_PRIVILEGE
bool g_shutdownEnabled = false;

}  // namespace

bool VirtualTime() { return g_virtualTime; }
void AdvanceVirtual(std::uint64_t milliseconds) { g_virtualNanoseconds += milliseconds * 1000000ull; }

}  // namespace ks::sim::detail

namespace ks::sim {
using namespace detail;

void UseVirtualTime(bool virtualTime) {
  if (virtualTime && !g_virtualTime) {
    g_virtualNanoseconds = MonotonicNanoseconds();
    // Start well away from zero, as a machine that has been up a while.
    if (g_virtualNanoseconds < 3600000000000ull) g_virtualNanoseconds += 3600000000000ull;
  }
  g_virtualTime = virtualTime;
}

void AdvanceTime(std::uint32_t milliseconds) { AdvanceVirtual(milliseconds); }

void SetKeyState(int virtualKey, sys::SHORT state) {
  std::lock_guard lock(Lock());
  KeyStates()[virtualKey] = state;
}

}  // namespace ks::sim

namespace ks::sys {
using namespace ks::sim::detail;

DWORD GetTickCount() { return DWORD(MonotonicNanoseconds() / 1000000ull); }
ULONGLONG GetTickCount64() { return MonotonicNanoseconds() / 1000000ull; }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return Fail(ERROR_NOACCESS);
  count->QuadPart = LONGLONG(MonotonicNanoseconds() / 100);
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return Fail(ERROR_NOACCESS);
  frequency->QuadPart = 10000000;  // what Windows 10 reports
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  if (VirtualTime()) {
    AdvanceVirtual(milliseconds == INFINITE ? 0 : milliseconds);
    return;
  }
  struct timespec wait {};
  wait.tv_sec = milliseconds / 1000;
  wait.tv_nsec = long(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&wait, &wait) != 0) {
  }
}

void GetSystemTimeAsFileTime(FILETIME* time) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t ticks = std::uint64_t(now.tv_sec) * 10000000ull + std::uint64_t(now.tv_nsec) / 100 +
                        116444736000000000ull;
  *time = {DWORD(ticks), DWORD(ticks >> 32)};
}

namespace {
void FillSystemTime(const struct tm& parts, long nanoseconds, SYSTEMTIME* time) {
  time->wYear = WORD(parts.tm_year + 1900);
  time->wMonth = WORD(parts.tm_mon + 1);
  time->wDayOfWeek = WORD(parts.tm_wday);
  time->wDay = WORD(parts.tm_mday);
  time->wHour = WORD(parts.tm_hour);
  time->wMinute = WORD(parts.tm_min);
  time->wSecond = WORD(parts.tm_sec);
  time->wMilliseconds = WORD(nanoseconds / 1000000);
}
}  // namespace

void GetSystemTime(SYSTEMTIME* time) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm parts {};
  ::gmtime_r(&now.tv_sec, &parts);
  FillSystemTime(parts, now.tv_nsec, time);
}

void GetLocalTime(SYSTEMTIME* time) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm parts {};
  ::localtime_r(&now.tv_sec, &parts);
  FillSystemTime(parts, now.tv_nsec, time);
}

BOOL GetVersionEx(OSVERSIONINFOEX* info) {
  std::lock_guard lock(Lock());
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEX)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  const auto& id = machine->identity;
  DWORD size = info->dwOSVersionInfoSize;
  *info = {};
  info->dwOSVersionInfoSize = size;
  info->dwMajorVersion = id.major;
  info->dwMinorVersion = id.minor;
  info->dwBuildNumber = id.build;
  info->dwPlatformId = id.platformId;
  size_t count = std::min<size_t>(id.servicePack.size(), 127);
  std::copy(id.servicePack.begin(), id.servicePack.begin() + long(count), info->szCSDVersion);
  // "Service Pack 3" -> 3
  size_t digit = id.servicePack.find_first_of(u"0123456789");
  if (digit != std::u16string::npos) info->wServicePackMajor = WORD(id.servicePack[digit] - u'0');
  info->wProductType = 1;  // VER_NT_WORKSTATION
  return TRUE;
}

BOOL IsProcessorFeaturePresent(DWORD feature) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine || feature >= 64) return FALSE;
  return (machine->identity.cpuFeatures >> feature) & 1 ? TRUE : FALSE;
}

BOOL IsWow64Process(HANDLE, BOOL* wow64) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!wow64) return Fail(ERROR_INVALID_PARAMETER);
  *wow64 = machine->identity.is64Bit && !machine->process64;
  return TRUE;
}

BOOL GetUserName(WCHAR* buffer, DWORD* size) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  const auto& name = machine->identity.userName;
  if (!buffer || *size < name.size() + 1) {
    *size = DWORD(name.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  CopyOut(name, buffer, *size);
  *size = DWORD(name.size() + 1);  // with the terminator, as GetUserName counts
  return TRUE;
}

BOOL GetComputerName(WCHAR* buffer, DWORD* size) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  const auto& name = machine->identity.computerName;
  if (!buffer || *size < name.size() + 1) {
    *size = DWORD(name.size() + 1);
    return Fail(111);  // ERROR_BUFFER_OVERFLOW
  }
  CopyOut(name, buffer, *size);
  *size = DWORD(name.size());
  return TRUE;
}

BOOL IsUserAnAdmin() {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  return machine && machine->identity.administrator;
}

BOOL OpenProcessToken(HANDLE process, DWORD, HANDLE* token) {
  std::lock_guard lock(Lock());
  if (!token) return Fail(ERROR_INVALID_PARAMETER);
  if (process != GetCurrentProcess()) return Fail(ERROR_ACCESS_DENIED);
  auto object = std::make_unique<TokenObject>();
  object->description = "process token";
  *token = AddHandle(std::move(object));
  return TRUE;
}

BOOL LookupPrivilegeValue(const WCHAR*, const WCHAR* name, LUID* luid) {
  if (!name || !luid) return Fail(ERROR_INVALID_PARAMETER);
  if (std::u16string(name) != SE_SHUTDOWN_NAME) return Fail(ERROR_NO_SUCH_PRIVILEGE);
  *luid = {kShutdownLuid, 0};
  return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD, TOKEN_PRIVILEGES*,
                           DWORD*) {
  std::lock_guard lock(Lock());
  if (!FindHandle(token, HandleKind::Token)) return FALSE;
  if (disableAll) {
    g_shutdownEnabled = false;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  if (!newState) return Fail(ERROR_INVALID_PARAMETER);
  for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
    if (newState->Privileges[i].Luid.LowPart != kShutdownLuid) {
      SetLastError(ERROR_NOT_ALL_ASSIGNED);
      return TRUE;
    }
    g_shutdownEnabled = newState->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED;
    Journal("privilege", g_shutdownEnabled ? "SeShutdownPrivilege enabled" : "SeShutdownPrivilege disabled");
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL ExitWindowsEx(UINT flags, DWORD reason) {
  std::lock_guard lock(Lock());
  if (!Machine()) return FALSE;
  UINT action = flags & 0xF & ~EWX_FORCE;
  if (action != EWX_LOGOFF && !g_shutdownEnabled) return Fail(ERROR_PRIVILEGE_NOT_HELD);
  const char* what = action == EWX_REBOOT ? "restart" : action == EWX_LOGOFF ? "logoff" : "shutdown";
  char details[64];
  std::snprintf(details, sizeof details, "%s flags=0x%x reason=0x%x", what, flags, reason);
  Journal("exitwindows", details);
  return TRUE;
}

BOOL IsNetworkAlive(DWORD* flags) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!machine->identity.networkUp) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  if (flags) *flags = NETWORK_ALIVE_LAN;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

SHORT GetKeyState(int virtualKey) {
  std::lock_guard lock(Lock());
  auto it = KeyStates().find(virtualKey);
  return it == KeyStates().end() ? SHORT(0) : it->second;
}

}  // namespace ks::sys
