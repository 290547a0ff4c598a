#include "toolkit/KsCmdTarget.h"

#include "toolkit/IKsCmdTargetEvents.h"
#include "toolkit/KsDeleteProbe.h"

#include "platform/SysModule.h"
#include "platform/SysTime.h"

#include <atomic>

using namespace ks::sys;

namespace {
std::atomic<DWORD> g_mainThread{0};

constexpr std::uint32_t kSetTimer = 1;
constexpr std::uint32_t kKillTimer = 2;

// The procedure a dying hidden window gets, in the platform's callback convention.
LRESULT KS_SYS_CALLBACK DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}
}  // namespace

KsCmdTarget::KsCmdTarget(IKsCmdTargetEvents* events) : m_events(events) {}

KsCmdTarget::~KsCmdTarget() { Destroy(); }

void KsCmdTarget::SetMainThreadId(DWORD thread) { g_mainThread = thread; }

bool KsCmdTarget::OnMainThread() const {
  DWORD main = g_mainThread;
  return GetCurrentThreadId() == (main ? main : m_ownerThread);
}

bool KsCmdTarget::Create() {
  if (m_window) return true;
  m_ownerThread = GetCurrentThreadId();
  // A class of its own: the address keeps targets apart, the tick count a
  // reused address, the module the same address in another module.
  HINSTANCE program = GetModuleHandle(nullptr);
  std::uint32_t unique = std::uint32_t(reinterpret_cast<std::uintptr_t>(this)) + 33u * GetTickCount() +
                         1089u * std::uint32_t(reinterpret_cast<std::uintptr_t>(program));
  m_className = KsFormat(u"%s0x%X", kClassPrefix, unique);
  WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &KsCmdTarget::WindowProcedure;
  windowClass.hInstance = program;
  windowClass.lpszClassName = m_className;
  if (!RegisterClassEx(&windowClass)) return false;
  m_window = CreateWindowEx(WS_EX_NOACTIVATE | WS_EX_NOPARENTNOTIFY, m_className, u"", 0, 0, 0, 0, 0,
                            GetDesktopWindow(), nullptr, program, nullptr);
  if (!m_window) {
    UnregisterClass(m_className, program);
    return false;
  }
  SetWindowLongPtr(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

bool KsCmdTarget::IsAlive() { return m_window && IsWindow(m_window); }

void KsCmdTarget::PostCommand(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  PostRecord(KsCmdRecord{{a, b, c, d}, 0});
}

void KsCmdTarget::PostRecord(const KsCmdRecord& record) {
  if (!IsAlive()) return;
  {
    std::lock_guard lock(m_lock);
    m_queue.push_back(record);
  }
  PostMessage(m_window, kProcessQueueMessage, reinterpret_cast<WPARAM>(this), 0);
}

void KsCmdTarget::SendCommand(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  CarryOut(KsCmdRecord{{a, b, c, d}, 0});
}

void KsCmdTarget::CarryOut(const KsCmdRecord& record) {
  if (!IsAlive()) return;
  if (!record.isRequest) {
    OnCommand(record);
    return;
  }
  if (record.values[0] == kSetTimer) ks::sys::SetTimer(m_window, record.values[1], record.values[2], nullptr);
  else if (record.values[0] == kKillTimer) ks::sys::KillTimer(m_window, record.values[1]);
}

void KsCmdTarget::ProcessQueue(const Filter& filter) {
  if (!filter && GetCurrentThreadId() != m_ownerThread) return;
  std::unique_lock lock(m_lock);
  for (std::size_t i = 0; i < m_queue.size();) {
    KsCmdRecord record = m_queue[i];
    FilterAnswer answer = filter ? filter(record) : FilterAnswer::CarryOut;
    if (answer == FilterAnswer::Skip) {
      ++i;
      continue;
    }
    m_queue.erase(m_queue.begin() + std::ptrdiff_t(i));
    if (answer == FilterAnswer::Drop) continue;
    if (record.isRequest) {
      CarryOut(record);
      continue;
    }
    lock.unlock();
    KsDeleteProbe probe(this);
    CarryOut(record);
    if (probe.IsDeleted()) {
      lock.release();  // the mutex died with the target
      return;
    }
    lock.lock();
  }
}

void KsCmdTarget::PumpPendingTimers() {
  ProcessQueue([](const KsCmdRecord& record) {
    return record.isRequest ? FilterAnswer::CarryOut : FilterAnswer::Skip;
  });
}

void KsCmdTarget::SetTimer(unsigned id, unsigned milliseconds) {
  if (!IsAlive()) return;
  if (milliseconds < 1) milliseconds = 1;
  if (OnMainThread()) {
    PumpPendingTimers();
    ks::sys::SetTimer(m_window, id, milliseconds, nullptr);
  } else {
    PostRecord(KsCmdRecord{{kSetTimer, id, milliseconds, 0}, 1});
  }
}

void KsCmdTarget::KillTimer(unsigned id) {
  if (!IsAlive()) return;
  if (OnMainThread()) {
    PumpPendingTimers();
    ks::sys::KillTimer(m_window, id);
  } else {
    PostRecord(KsCmdRecord{{kKillTimer, id, 0, 0}, 1});
  }
}

void KsCmdTarget::Destroy() {
  {
    std::lock_guard lock(m_lock);
    m_queue.clear();
  }
  if (!m_window) return;
  // No message of the dying window may reach this object any more.
  SetWindowLongPtr(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefaultProcedure));
  DestroyWindow(m_window);
  UnregisterClass(m_className, GetModuleHandle(nullptr));
  m_window = nullptr;
}

void KsCmdTarget::OnCommand(const KsCmdRecord& record) {
  if (m_events) m_events->OnCmdTargetCommand(record);
}

void KsCmdTarget::OnTimer(unsigned id) {
  if (m_events) m_events->OnCmdTargetTimer(id);
}

LRESULT KS_SYS_CALLBACK KsCmdTarget::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* target = reinterpret_cast<KsCmdTarget*>(GetWindowLongPtr(window, GWLP_USERDATA));
  if (target && (message == WM_TIMER || message == kProcessQueueMessage)) {
    // Only a window of a command target's own class leads to that target.
    char16_t className[128];
    int length = GetClassName(window, className, 128);
    KsString name(className, length > 0 ? length : 0);
    if (!name.StartsWith(kClassPrefix, true) || name.CompareNoCase(target->m_className) != 0) target = nullptr;
  }
  if (target && message == WM_TIMER) target->OnTimer(unsigned(wParam));
  else if (target && message == kProcessQueueMessage) target->ProcessQueue();
  return DefWindowProc(window, message, wParam, lParam);
}
