#pragma once
// Named mutexes, events, named shared memory and critical sections. Names with
// "Global\" and "Local\" prefixes are seen by every process of the machine;
// creating an existing object succeeds with ERROR_ALREADY_EXISTS.

#include "platform/SysHandle.h"
#include "platform/SysTypes.h"

#include <cstddef>

namespace ks::sys {

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_ALL_ACCESS = 0x1F0001;
constexpr DWORD EVENT_ALL_ACCESS = 0x1F0003;
constexpr DWORD EVENT_MODIFY_STATE = 0x0002;

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;

HANDLE CreateMutex(SECURITY_ATTRIBUTES* security, BOOL initialOwner, const WCHAR* name);
HANDLE OpenMutex(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name);
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateEvent(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState, const WCHAR* name);
HANDLE OpenEvent(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// file INVALID_HANDLE_VALUE: memory backed by the paging file, which the
// simulated machine keeps as a mapped file under objects/.
HANDLE CreateFileMapping(HANDLE file, SECURITY_ATTRIBUTES* security, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, const WCHAR* name);
HANDLE OpenFileMapping(DWORD desiredAccess, BOOL inheritHandle, const WCHAR* name);
void* MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, std::size_t bytes);
BOOL UnmapViewOfFile(const void* baseAddress);

// Storage large enough for the platform's critical section; used only through
// the functions below.
struct CRITICAL_SECTION {
  alignas(8) unsigned char opaque[48];
};

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

}  // namespace ks::sys
