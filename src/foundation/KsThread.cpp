#include "foundation/KsThread.h"

#include <cstdint>

#include "foundation/IKsMainThreadMessageManager.h"
#include "foundation/KsTools.h"
#include "platform/SysCom.h"
#include "platform/SysError.h"
#include "platform/SysExport.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"
#include "platform/SysThread.h"
#include "platform/SysTime.h"

namespace {

constexpr ks::sys::DWORD kRunStepMs = 100;
constexpr ks::sys::DWORD kCancelledIoGraceMs = 100;
constexpr ks::sys::DWORD kLivenessCheckAfterMs = 1000;
constexpr ks::sys::DWORD kHardKillExitCode = 1;

// Looked up by name: the entry exists from Windows Vista on.
bool CancelThreadIo(ks::sys::HANDLE thread) {
  using CancelSynchronousIoFunction = ks::sys::BOOL(KS_SYSAPI*)(ks::sys::HANDLE);
  KsModule kernel(ks::sys::LoadLibraryEx(u"kernel32.dll", nullptr, 0));
  if (!kernel) return false;
  auto cancel =
      reinterpret_cast<CancelSynchronousIoFunction>(ks::sys::GetProcAddress(kernel.Get(), "CancelSynchronousIo"));
  return cancel != nullptr && cancel(thread) != ks::sys::FALSE;
}

}  // namespace

KsThread::~KsThread() { Stop(-1); }

bool KsThread::OnMainThreadMessage(std::uintptr_t first, std::uintptr_t second) { return OnMessage(first, second); }

bool KsThread::OnMessage(std::uintptr_t, std::uintptr_t) { return false; }

bool KsThread::Run() {
  while (!m_stopRequested) ks::sys::Sleep(kRunStepMs);
  return true;
}

void KsThread::Register() {
  if (m_registered) return;
  if (IKsMainThreadMessageManager* manager = KsMainThreadMessageManager()) {
    manager->Register(this);
    m_registered = true;
  }
}

void KsThread::Unregister() {
  if (!m_registered) return;
  if (IKsMainThreadMessageManager* manager = KsMainThreadMessageManager()) manager->Unregister(this);
  m_registered = false;
}

void KsThread::PassToMessageManager() {
  if (!m_registered) return;
  if (IKsMainThreadMessageManager* manager = KsMainThreadMessageManager()) manager->Process(this);
}

bool KsThread::Start(int priority, bool force) {
  if (IsRunning() && !force) return true;
  Stop(-1);
  m_stopRequested = false;
  if (!BeforeStart()) return false;
  if (m_registerOnStart) Register();
  m_stopEvent.Reset(ks::sys::CreateEvent(nullptr, ks::sys::TRUE, ks::sys::FALSE, nullptr));
  return CreateWorker(priority);
}

bool KsThread::CreateWorker(int priority) {
  ks::sys::DWORD id = 0;
  KsHandle thread(ks::sys::CreateThread(nullptr, 0, &KsThread::ThreadRoutine, this, ks::sys::CREATE_SUSPENDED, &id));
  if (!thread) {
    KsLogFormat(kKsLogError, u"KsThread::StartThread", u"Error starting thread, errno=%d", ks::sys::GetLastError());
    return false;
  }
  m_thread = std::move(thread);
  m_threadId = id;
  if (priority != 0) ks::sys::SetThreadPriority(m_thread.Get(), priority);
  ks::sys::ResumeThread(m_thread.Get());
  ++m_startCount;
  return true;
}

ks::sys::DWORD KsThread::ThreadRoutine(void* parameter) {
  auto* self = static_cast<KsThread*>(parameter);
  // COM in the single-threaded apartment for the length of Run; only a start that
  // succeeded (S_FALSE too) is ended. Read before Run: the object must not be
  // touched once Run's result is stored.
  bool comStarted = false;
  if (self->m_initializeCom) {
    const ks::sys::HRESULT result = ks::sys::CoInitializeEx(nullptr, ks::sys::COINIT_APARTMENTTHREADED);
    comStarted = result >= 0;
    if (!comStarted) {
      KsLogFormat(kKsLogError, u"KsThread::ThreadRoutine", u"Error initializing COM, hr=0x%08X",
                  static_cast<std::uint32_t>(result));
    }
  }
  // The owner learns of the end from the signalled handle: nothing here may
  // touch the object after Run's result is stored.
  self->m_runResult = self->Run();
  if (comStarted) ks::sys::CoUninitialize();
  return 0;
}

void KsThread::SetStopRequest(bool stop) {
  m_stopRequested = stop;
  if (!m_stopEvent) return;
  if (stop)
    ks::sys::SetEvent(m_stopEvent.Get());
  else
    ks::sys::ResetEvent(m_stopEvent.Get());
}

bool KsThread::SetPriority(int priority) {
  return IsRunning() && ks::sys::SetThreadPriority(m_thread.Get(), priority) != ks::sys::FALSE;
}

bool KsThread::IsRunning() const {
  return m_thread && ks::sys::WaitForSingleObject(m_thread.Get(), 0) == ks::sys::WAIT_TIMEOUT;
}

void KsThread::WaitForEnd() {
  if (m_thread) ks::sys::WaitForSingleObject(m_thread.Get(), ks::sys::INFINITE);
}

ks::sys::DWORD KsThread::Wait(int timeoutMs, ks::sys::HANDLE extra) {
  ks::sys::HANDLE handles[3];
  ks::sys::DWORD count = 0;
  if (m_stopEvent) handles[count++] = m_stopEvent.Get();
  if (m_thread) handles[count++] = m_thread.Get();
  if (extra != nullptr) handles[count++] = extra;
  if (count == 0) return ks::sys::WAIT_FAILED;
  const ks::sys::DWORD limit = timeoutMs < 0 ? ks::sys::INFINITE : static_cast<ks::sys::DWORD>(timeoutMs);
  return ks::sys::WaitForMultipleObjects(count, handles, ks::sys::FALSE, limit);
}

ks::sys::DWORD KsThread::WaitWithHandle(int timeoutMs, const ks::sys::HANDLE* extra) {
  return Wait(timeoutMs, extra != nullptr ? *extra : nullptr);
}

bool KsThread::Stop(int timeoutMs) {
  if (m_startCount == 0) return true;
  if (!m_stopRequested || !m_stopEvent) SetStopRequest(true);
  if (timeoutMs == -1) timeoutMs = m_stopTimeoutMs;
  const ks::sys::DWORD start = ks::sys::GetTickCount();
  bool cancelTried = false;
  while (IsRunning()) {
    const ks::sys::DWORD elapsed = ks::sys::GetTickCount() - start;
    if (timeoutMs >= 0 && elapsed > static_cast<ks::sys::DWORD>(timeoutMs) && AllowHardKill()) {
      KsLogFormat(kKsLogWarning, u"KsThread::Stop",
                  u"Hard killing thread (handle=%x, threadId=%d), it exceeded timeout=%d MS",
                  static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_thread.Get())), m_threadId.load(),
                  timeoutMs);
      if (!cancelTried) {
        cancelTried = true;
        if (CancelThreadIo(m_thread.Get())) {
          ks::sys::Sleep(kCancelledIoGraceMs);
          continue;
        }
      }
      ks::sys::TerminateThread(m_thread.Get(), kHardKillExitCode);
      break;
    }
    if (elapsed > kLivenessCheckAfterMs &&
        ks::sys::GetThreadPriority(m_thread.Get()) == ks::sys::THREAD_PRIORITY_ERROR_RETURN) {
      KsLogFormat(kKsLogError, u"KsThread::Stop", u"GetThreadPriority returned error, errno=%d",
                  ks::sys::GetLastError());
      break;
    }
    if (m_pumpMessages) {
      // Windows and messages are not in the seam yet: the tools module pumps them.
      if (IKsWindowService* windows = KsToolsWindowService()) windows->PumpMessages();
    }
    ks::sys::Sleep(static_cast<ks::sys::DWORD>(m_pollIntervalMs));
  }
  if (m_registered) {
    if (m_callBeforeUnregister) PassToMessageManager();
    Unregister();
  }
  const bool result = m_runResult;
  m_stopEvent.Reset();
  m_thread.Reset();
  m_threadId = 0;
  m_runResult = false;
  return result;
}
