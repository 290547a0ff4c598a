// Clocks and sleeping, forwarded.

#include "platform/SysTime.h"

#include "platform/win32/Win32Native.h"

namespace ks::sys {

using win32::As;

DWORD GetTickCount() { return ::GetTickCount(); }
ULONGLONG GetTickCount64() { return ::GetTickCount64(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  ::LARGE_INTEGER native;
  const BOOL ok = ::QueryPerformanceCounter(&native);
  if (count) count->QuadPart = native.QuadPart;
  return ok;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  ::LARGE_INTEGER native;
  const BOOL ok = ::QueryPerformanceFrequency(&native);
  if (frequency) frequency->QuadPart = native.QuadPart;
  return ok;
}

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
void GetSystemTimeAsFileTime(FILETIME* time) { ::GetSystemTimeAsFileTime(As<::FILETIME>(time)); }
void GetSystemTime(SYSTEMTIME* time) { ::GetSystemTime(As<::SYSTEMTIME>(time)); }
void GetLocalTime(SYSTEMTIME* time) { ::GetLocalTime(As<::SYSTEMTIME>(time)); }

}  // namespace ks::sys
