#pragma once
// Clocks and sleeping. In the simulated machine time is real, or virtual for
// tests: then it moves only when Sleep or a blocking wait would let it.

#include "platform/SysTypes.h"

namespace ks::sys {

struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

DWORD GetTickCount();
ULONGLONG GetTickCount64();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void Sleep(DWORD milliseconds);
void GetSystemTimeAsFileTime(FILETIME* time);
void GetSystemTime(SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);

}  // namespace ks::sys
