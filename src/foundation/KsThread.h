#pragma once
// KsThread: runs an object's Run on a worker thread and stops it with a
// bounded wait. The owner (one thread, normally the UI thread) calls Start and
// Stop; the worker sees a stop request through IsStopRequested or the stop
// event. Stop waits up to its timeout, then cancels the worker's synchronous
// I/O once and, if that does not end it, terminates the thread.
//
// The object keeps its thread handle until Stop, so waits and priority calls
// never meet a handle closed underneath them; the worker is finished once that
// handle is signalled. A subclass whose Run uses its own members must call
// Stop in its own destructor: the base destructor runs after they are gone.

#include <atomic>
#include <cstdint>

#include "foundation/IMainThreadMessageManagerCallback.h"
#include "foundation/KsHandle.h"
#include "platform/SysTypes.h"

class KsThread : public IMainThreadMessageManagerCallback {
 public:
  static constexpr int kDefaultStopTimeoutMs = 5000;
  static constexpr int kDefaultPollIntervalMs = 50;

  KsThread() = default;
  KsThread(const KsThread&) = delete;
  KsThread& operator=(const KsThread&) = delete;

  // Forwards to OnMessage.
  bool OnMainThreadMessage(std::uintptr_t first, std::uintptr_t second) override;
  // Stops with the default timeout.
  virtual ~KsThread();

  // Starts the worker (priority 0 keeps the default). A running worker is kept
  // unless force is set, which stops it and starts a new one.
  virtual bool Start(int priority = 0, bool force = false);
  // timeoutMs -1: the default; a negative default waits without limit.
  // Answers Run's result (true when the thread was never started).
  virtual bool Stop(int timeoutMs = -1);
  virtual void SetStopRequest(bool stop);
  // The message manager's per-object operation, while registered.
  virtual void PassToMessageManager();
  virtual bool SetPriority(int priority);
  virtual bool IsRunning() const;
  virtual void WaitForEnd();
  // Waits for the stop event, the thread's end or extra (when not null):
  // WAIT_OBJECT_0 + index in that order, WAIT_TIMEOUT or WAIT_FAILED.
  // timeoutMs -1: no limit.
  virtual ks::sys::DWORD Wait(int timeoutMs, ks::sys::HANDLE extra = nullptr);
  // The same, with the extra handle passed by pointer (null: none).
  virtual ks::sys::DWORD WaitWithHandle(int timeoutMs, const ks::sys::HANDLE* extra);
  virtual bool GetRunResult() const { return m_runResult; }
  virtual ks::sys::DWORD GetThreadId() const { return m_threadId; }
  virtual bool IsStopRequested() const { return m_stopRequested; }
  virtual ks::sys::HANDLE GetStopEvent() const { return m_stopEvent.Get(); }
  virtual bool AllowHardKill() { return true; }
  virtual int GetStartCount() const { return m_startCount; }
  virtual void SetStopTimeout(int timeoutMs) { m_stopTimeoutMs = timeoutMs; }
  virtual void SetCallBeforeUnregister(bool call) { m_callBeforeUnregister = call; }
  // The worker runs in COM's single-threaded apartment.
  virtual void SetInitializeCom(bool initialize) { m_initializeCom = initialize; }
  virtual void SetPumpMessages(bool pump) { m_pumpMessages = pump; }
  virtual void SetPollInterval(int intervalMs) { m_pollIntervalMs = intervalMs; }

 protected:
  // The work. The default sleeps in 100 ms steps until a stop is requested.
  virtual bool Run();
  virtual bool OnMessage(std::uintptr_t first, std::uintptr_t second);
  // false cancels the start.
  virtual bool BeforeStart() { return true; }
  virtual bool CreateWorker(int priority);

  bool m_registerOnStart = false;

 private:
  static ks::sys::DWORD ThreadRoutine(void* parameter);
  void Register();
  void Unregister();

  KsHandle m_thread;
  std::atomic<ks::sys::DWORD> m_threadId{0};
  std::atomic<bool> m_stopRequested{false};
  KsHandle m_stopEvent;
  int m_stopTimeoutMs = kDefaultStopTimeoutMs;
  int m_pollIntervalMs = kDefaultPollIntervalMs;
  int m_startCount = 0;
  std::atomic<bool> m_runResult{false};
  bool m_registered = false;
  bool m_pumpMessages = false;
  bool m_callBeforeUnregister = false;
  bool m_initializeCom = false;
};
