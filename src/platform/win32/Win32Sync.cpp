// Named mutexes, events, shared memory and critical sections, forwarded.

#include "platform/SysSync.h"

#include "platform/win32/Win32Native.h"

#undef CreateMutex
#undef OpenMutex
#undef CreateEvent
#undef OpenEvent
#undef CreateFileMapping
#undef OpenFileMapping

namespace ks::sys {
namespace {

using win32::As;
using win32::Wide;

::CRITICAL_SECTION* Native(CRITICAL_SECTION* section) {
  static_assert(sizeof(::CRITICAL_SECTION) <= sizeof(CRITICAL_SECTION) &&
                alignof(::CRITICAL_SECTION) <= alignof(CRITICAL_SECTION));
  return reinterpret_cast<::CRITICAL_SECTION*>(section->opaque);
}

}  // namespace

HANDLE CreateMutex(SECURITY_ATTRIBUTES* security, BOOL initialOwner, const WCHAR* name) {
  return ::CreateMutexW(As<::SECURITY_ATTRIBUTES>(security), initialOwner, Wide(name));
}

HANDLE OpenMutex(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name) {
  return ::OpenMutexW(desiredAccess, inheritHandle, Wide(name));
}

BOOL ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(mutex); }

HANDLE CreateEvent(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState, const WCHAR* name) {
  return ::CreateEventW(As<::SECURITY_ATTRIBUTES>(security), manualReset, initialState, Wide(name));
}

HANDLE OpenEvent(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name) {
  return ::OpenEventW(desiredAccess, inheritHandle, Wide(name));
}

BOOL SetEvent(HANDLE event) { return ::SetEvent(event); }
BOOL ResetEvent(HANDLE event) { return ::ResetEvent(event); }

HANDLE CreateFileMapping(HANDLE file, SECURITY_ATTRIBUTES* security, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, const WCHAR* name) {
  return ::CreateFileMappingW(file, As<::SECURITY_ATTRIBUTES>(security), protect, maximumSizeHigh, maximumSizeLow,
                              Wide(name));
}

HANDLE OpenFileMapping(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name) {
  return ::OpenFileMappingW(desiredAccess, inheritHandle, Wide(name));
}

void* MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, std::size_t bytes) {
  return ::MapViewOfFile(mapping, desiredAccess, offsetHigh, offsetLow, bytes);
}

BOOL UnmapViewOfFile(const void* baseAddress) { return ::UnmapViewOfFile(baseAddress); }

void InitializeCriticalSection(CRITICAL_SECTION* section) { ::InitializeCriticalSection(Native(section)); }
void EnterCriticalSection(CRITICAL_SECTION* section) { ::EnterCriticalSection(Native(section)); }
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) { return ::TryEnterCriticalSection(Native(section)); }
void LeaveCriticalSection(CRITICAL_SECTION* section) { ::LeaveCriticalSection(Native(section)); }
void DeleteCriticalSection(CRITICAL_SECTION* section) { ::DeleteCriticalSection(Native(section)); }

}  // namespace ks::sys
