// Threads of the simulated machine: host threads behind thread handles. A
// handle shares the thread's state, so the state outlives whichever of the two
// ends first. TerminateThread cancels the host thread, which ends at its next
// blocking call with its stack unwound.

#include "platform/sim/SimInternal.h"

#include "platform/SysDebug.h"
#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysThread.h"
#include "platform/SysTime.h"

#include <pthread.h>
#include <unistd.h>

#include <condition_variable>

namespace ks::sim::detail {
namespace {

using Guard = std::lock_guard<std::recursive_mutex>;
constexpr unsigned kPollMicroseconds = 1000;
constexpr int kTerminateWaitMilliseconds = 2000;

struct ThreadState {
  std::mutex mutex;
  std::condition_variable resumed;
  sys::DWORD suspendCount = 0;
  std::atomic<bool> ended{false};
  std::atomic<bool> terminated{false};
  std::atomic<sys::DWORD> exitCode{sys::STILL_ACTIVE};
  int priority = sys::THREAD_PRIORITY_NORMAL;
  sys::DWORD id = 0;
  pthread_t thread{};
};

struct ThreadHandle : HandleObject {
  explicit ThreadHandle(std::shared_ptr<ThreadState> state) : HandleObject(HandleKind::Thread), state(std::move(state)) {}
  std::shared_ptr<ThreadState> state;
};

struct StartBlock {
  std::shared_ptr<ThreadState> state;
  sys::THREAD_START_ROUTINE routine;
  void* parameter;
};

thread_local ThreadState* t_thread = nullptr;

// Marks the thread ended however it leaves: return, ExitThread or cancellation.
struct EndMark {
  ThreadState* state;
  ~EndMark() { state->ended = true; }
};

void* ThreadMain(void* raw) {
  int previous = 0;
  ::pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous);
  std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(raw));
  std::shared_ptr<ThreadState> state = start->state;
  EndMark mark{state.get()};
  t_thread = state.get();
  {
    std::unique_lock lock(state->mutex);
    state->id = sys::GetCurrentThreadId();  // CreateThread waits for it
    state->resumed.notify_all();
    state->resumed.wait(lock, [&] { return state->suspendCount == 0 || state->terminated; });
  }
  if (state->terminated) return nullptr;
  ::pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &previous);
  sys::DWORD code = start->routine(start->parameter);
  ::pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous);
  if (!state->terminated) state->exitCode = code;
  return nullptr;
}

ThreadState* FindThread(sys::HANDLE handle) {
  auto* object = dynamic_cast<ThreadHandle*>(FindHandle(handle, HandleKind::Thread));
  if (!object) {
    sys::SetLastError(sys::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object->state.get();
}

}  // namespace

bool IsWorkerThread(const HandleObject* object) { return dynamic_cast<const ThreadHandle*>(object) != nullptr; }

bool WorkerThreadEnded(const HandleObject* object) {
  return static_cast<const ThreadHandle*>(object)->state->ended;
}

}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;

HANDLE CreateThread(SECURITY_ATTRIBUTES*, std::size_t stackSize, THREAD_START_ROUTINE startAddress, void* parameter,
                    DWORD creationFlags, DWORD* threadId) {
  if (!startAddress) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  auto state = std::make_shared<ThreadState>();
  state->suspendCount = (creationFlags & CREATE_SUSPENDED) ? 1 : 0;
  pthread_attr_t attributes;
  ::pthread_attr_init(&attributes);
  ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (stackSize != 0) ::pthread_attr_setstacksize(&attributes, stackSize);
  auto* start = new StartBlock{state, startAddress, parameter};
  int error = ::pthread_create(&state->thread, &attributes, ThreadMain, start);
  ::pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete start;
    return Fail(ERROR_NOT_ENOUGH_MEMORY), nullptr;
  }
  {
    std::unique_lock threadLock(state->mutex);
    state->resumed.wait(threadLock, [&] { return state->id != 0; });
  }
  Guard lock(Lock());
  auto handle = std::make_unique<ThreadHandle>(state);
  handle->description = "thread " + std::to_string(state->id);
  if (threadId) *threadId = state->id;
  return AddHandle(std::move(handle));
}

DWORD ResumeThread(HANDLE handle) {
  Guard lock(Lock());
  ThreadState* state = FindThread(handle);
  if (!state) return 0xFFFFFFFF;
  std::lock_guard threadLock(state->mutex);
  DWORD previous = state->suspendCount;
  if (state->suspendCount > 0 && --state->suspendCount == 0) state->resumed.notify_all();
  return previous;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
  Guard lock(Lock());
  ThreadState* state = FindThread(handle);
  if (!state) return FALSE;
  bool valid = (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
               priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
  if (!valid) return Fail(ERROR_INVALID_PARAMETER);
  state->priority = priority;  // host threads keep the host's scheduling
  return TRUE;
}

int GetThreadPriority(HANDLE handle) {
  Guard lock(Lock());
  ThreadState* state = FindThread(handle);
  return state ? state->priority : THREAD_PRIORITY_ERROR_RETURN;
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode) {
  Guard lock(Lock());
  ThreadState* state = FindThread(handle);
  if (!state) return FALSE;
  if (!exitCode) return Fail(ERROR_NOACCESS);
  *exitCode = state->ended ? state->exitCode.load() : STILL_ACTIVE;
  return TRUE;
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode) {
  std::shared_ptr<ThreadState> state;
  {
    Guard lock(Lock());
    auto* object = dynamic_cast<ThreadHandle*>(FindHandle(handle, HandleKind::Thread));
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    state = object->state;
  }
  if (state->ended) return TRUE;
  if (state.get() == t_thread) ExitThread(exitCode);
  {
    std::lock_guard threadLock(state->mutex);
    state->exitCode = exitCode;
    state->terminated = true;
    state->resumed.notify_all();
  }
  ::pthread_cancel(state->thread);
  // The handle is signalled once the thread is gone; give it the time to reach
  // its next blocking call. Real time: a cancelled host thread needs it.
  for (int waited = 0; waited < kTerminateWaitMilliseconds && !state->ended; ++waited) ::usleep(kPollMicroseconds);
  return TRUE;
}

BOOL CancelSynchronousIo(HANDLE handle) {
  Guard lock(Lock());
  if (!FindThread(handle)) return FALSE;
  return Fail(ERROR_NOT_FOUND);  // the machine's file calls never block
}

void ExitThread(DWORD exitCode) {
  if (t_thread && !t_thread->terminated) t_thread->exitCode = exitCode;
  ::pthread_exit(nullptr);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) return Fail(ERROR_INVALID_PARAMETER), WAIT_FAILED;
  if (waitAll) return Fail(ERROR_NOT_SUPPORTED), WAIT_FAILED;
  ULONGLONG start = GetTickCount64();
  while (true) {
    for (DWORD i = 0; i < count; ++i) {
      DWORD result = WaitForSingleObject(handles[i], 0);
      if (result == WAIT_OBJECT_0) return WAIT_OBJECT_0 + i;
      if (result != WAIT_TIMEOUT) return result;
    }
    if (milliseconds == 0) return WAIT_TIMEOUT;
    if (VirtualTime() && milliseconds != INFINITE) {
      // Nothing else moves the virtual clock: waiting would only pass the time.
      AdvanceVirtual(milliseconds);
      return WAIT_TIMEOUT;
    }
    if (milliseconds != INFINITE && GetTickCount64() - start >= milliseconds) return WAIT_TIMEOUT;
    ::usleep(kPollMicroseconds);
  }
}

}  // namespace ks::sys
