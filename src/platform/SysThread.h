#pragma once
// Threads of the process and waiting on several objects. A thread handle is
// signalled when the thread ends and is closed with CloseHandle. In the
// simulated machine a thread is a host thread; waits and sleeps on it follow
// the machine's (possibly virtual) clock.

#include "platform/SysHandle.h"
#include "platform/SysTypes.h"

#include <cstddef>

namespace ks::sys {

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

using THREAD_START_ROUTINE = DWORD (*)(void* parameter);

// stackSize 0: the default. With CREATE_SUSPENDED the routine runs only after
// ResumeThread. On Windows this is the C runtime's thread creation, so the
// runtime is set up for the new thread.
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, std::size_t stackSize, THREAD_START_ROUTINE startAddress,
                    void* parameter, DWORD creationFlags, DWORD* threadId);
// The previous suspend count, or 0xFFFFFFFF on failure.
DWORD ResumeThread(HANDLE thread);
BOOL SetThreadPriority(HANDLE thread, int priority);
// THREAD_PRIORITY_ERROR_RETURN on failure (an invalid or closed handle).
int GetThreadPriority(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
// Last resort: the thread ends without cleanup. In the simulated machine the
// thread ends at its next blocking call (a wait or a sleep).
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
// Cancels a synchronous I/O call the thread is blocked in; FALSE with
// ERROR_NOT_FOUND when there is none.
BOOL CancelSynchronousIo(HANDLE thread);
// GetCurrentThreadId is in SysDebug.h; CreateThread reports the same id.
// Ends the calling thread; only from a thread made by CreateThread.
[[noreturn]] void ExitThread(DWORD exitCode);

// WAIT_OBJECT_0 + i for the first signalled object i (waitAll FALSE only),
// WAIT_TIMEOUT, or WAIT_FAILED.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

}  // namespace ks::sys
