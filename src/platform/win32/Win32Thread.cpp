// Threads and multi-object waits, forwarded. The seam's thread routine has the
// default calling convention, so the thread starts in a __stdcall trampoline
// through the C runtime (which sets up its per-thread state).

#include "platform/SysThread.h"

#include "platform/win32/Win32Native.h"

#include <process.h>

#undef CreateThread

namespace ks::sys {
namespace {

struct ThreadStart {
  THREAD_START_ROUTINE routine;
  void* parameter;
};

unsigned __stdcall Trampoline(void* argument) {
  ThreadStart start = *static_cast<ThreadStart*>(argument);
  delete static_cast<ThreadStart*>(argument);
  return start.routine(start.parameter);
}

}  // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES* security, std::size_t stackSize, THREAD_START_ROUTINE startAddress,
                    void* parameter, DWORD creationFlags, DWORD* threadId) {
  auto* start = new ThreadStart{startAddress, parameter};
  unsigned id = 0;
  const std::uintptr_t handle =
      ::_beginthreadex(security, static_cast<unsigned>(stackSize), Trampoline, start, creationFlags, &id);
  if (handle == 0) {
    delete start;
    return nullptr;
  }
  if (threadId) *threadId = id;
  return reinterpret_cast<HANDLE>(handle);
}

DWORD ResumeThread(HANDLE thread) { return ::ResumeThread(thread); }
BOOL SetThreadPriority(HANDLE thread, int priority) { return ::SetThreadPriority(thread, priority); }
int GetThreadPriority(HANDLE thread) { return ::GetThreadPriority(thread); }

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  win32::DwordOut code(exitCode);
  return ::GetExitCodeThread(thread, code.get());
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) { return ::TerminateThread(thread, exitCode); }
BOOL CancelSynchronousIo(HANDLE thread) { return ::CancelSynchronousIo(thread); }
void ExitThread(DWORD exitCode) { ::_endthreadex(exitCode); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  return ::WaitForMultipleObjects(count, handles, waitAll, milliseconds);
}

}  // namespace ks::sys
