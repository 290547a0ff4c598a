// Message queues of the simulated machine: one per thread, with sent
// messages served first, then posted ones, then WM_QUIT, WM_PAINT and due
// timers, as Windows orders them. Timers run on the machine clock; in virtual
// time a thread that would block first lets the UI driver hook act, then moves
// the clock to its next due timer. Messages for windows of another process go
// through that process's inbox file under objects/.

#include "platform/sim/SimInternal.h"
#include "platform/sim/SimWindowInternal.h"

#include "platform/SysError.h"
#include "platform/SysTime.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace ks::sim::detail {

using namespace ks::sys;

namespace {

// A message posted across processes; pointers in it mean nothing to the receiver.
struct InboxRecord {
  std::uint64_t window;
  std::uint32_t message;
  std::uint32_t reserved;
  std::uint64_t wParam;
  std::int64_t lParam;
};

std::string InboxPath(pid_t pid) {
  return Machine() ? Machine()->folder + "/objects/inbox." + std::to_string(pid) : std::string();
}

bool Matches(HWND target, HWND filter, UINT message, UINT filterMin, UINT filterMax) {
  if (filter && target != filter) {
    // A filter window takes its children's messages too.
    WindowEntry* entry = FindWindowEntry(target);
    while (entry && entry->parent != filter) entry = FindWindowEntry(entry->parent);
    if (!entry) return false;
  }
  return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// Keeps GetKeyState in step with the key and button messages the thread takes.
void TrackKeyState(const MSG& message) {
  int key = 0;
  bool down = false;
  switch (message.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: key = int(message.wParam); down = true; break;
    case WM_KEYUP: case WM_SYSKEYUP: key = int(message.wParam); break;
    case WM_LBUTTONDOWN: key = 0x01; down = true; break;
    case WM_LBUTTONUP: key = 0x01; break;
    case WM_RBUTTONDOWN: key = 0x02; down = true; break;
    case WM_RBUTTONUP: key = 0x02; break;
    case WM_MBUTTONDOWN: key = 0x04; down = true; break;
    case WM_MBUTTONUP: key = 0x04; break;
    default: return;
  }
  SHORT toggled = SHORT(GetKeyState(key) & 1);
  if (down) ks::sim::SetKeyState(key, SHORT(0x8000 | (toggled ^ 1)));
  else ks::sim::SetKeyState(key, toggled);
}

// Serves one message sent to this thread from another; true when there was one.
bool ServeSent(std::unique_lock<std::mutex>& lock, DWORD thread) {
  ThreadQueue& queue = QueueOf(thread);
  if (queue.sent.empty()) return false;
  SentMessage* sent = queue.sent.front();
  queue.sent.pop_front();
  WindowEntry* entry = FindWindowEntry(sent->window);
  WNDPROC procedure = entry ? entry->procedure : nullptr;
  lock.unlock();
  LRESULT result = procedure ? procedure(sent->window, sent->message, sent->wParam, sent->lParam) : 0;
  lock.lock();
  sent->result = result;
  sent->done = true;
  WindowSignal().notify_all();
  return true;
}

enum class Take { Message, Quit, Nothing };

// One pass over the thread's queue in Windows' order; the lock stays held.
Take TakeMessage(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove, DWORD thread) {
  DrainInbox();
  WindowManager& manager = Windows();
  ThreadQueue& queue = QueueOf(thread);
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!Matches(it->hwnd, filter, it->message, filterMin, filterMax)) continue;
    *out = *it;
    if (remove) queue.posted.erase(it);
    return Take::Message;
  }
  if (queue.quit) {
    *out = MSG{nullptr, WM_QUIT, WPARAM(queue.quitCode), 0, DWORD(NowMilliseconds()), {}};
    if (remove) queue.quit = false;
    return Take::Quit;
  }
  for (auto& [value, window] : manager.windows) {
    if (window.thread != thread || !window.invalid || !(window.style & WS_VISIBLE) ||
        !Matches(window.handle, filter, WM_PAINT, filterMin, filterMax))
      continue;
    *out = MSG{window.handle, WM_PAINT, 0, 0, DWORD(NowMilliseconds()), {}};
    return Take::Message;
  }
  std::uint64_t now = NowMilliseconds();
  for (auto& timer : manager.timers) {
    if (timer.thread != thread || timer.due > now || !Matches(timer.window, filter, WM_TIMER, filterMin, filterMax))
      continue;
    *out = MSG{timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), DWORD(now), {}};
    if (remove) timer.due = now + timer.interval;
    return Take::Message;
  }
  return Take::Nothing;
}

std::uint64_t NextTimerDue(DWORD thread) {
  std::uint64_t next = ~std::uint64_t(0);
  for (auto& timer : Windows().timers)
    if (timer.thread == thread && timer.due < next) next = timer.due;
  return next;
}

}  // namespace

std::uint64_t NowMilliseconds() { return GetTickCount64(); }

bool PostToRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!RemoteWindowExists(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  InboxRecord record{reinterpret_cast<std::uint64_t>(window), message, 0, wParam, lParam};
  std::string path = InboxPath(pid_t(reinterpret_cast<std::uintptr_t>(window) >> 32));
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(ERROR_ACCESS_DENIED);
  ::flock(fd, LOCK_EX);
  bool ok = ::write(fd, &record, sizeof record) == ssize_t(sizeof record);
  ::flock(fd, LOCK_UN);
  ::close(fd);
  return ok ? TRUE : Fail(ERROR_WRITE_FAULT);
}

void DrainInbox() {
  std::string path = InboxPath(::getpid());
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || info.st_size == 0) return;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  ::flock(fd, LOCK_EX);
  InboxRecord record;
  while (::read(fd, &record, sizeof record) == ssize_t(sizeof record)) {
    HWND window = reinterpret_cast<HWND>(std::uintptr_t(record.window));
    if (WindowEntry* entry = FindWindowEntry(window))
      QueueOf(entry->thread).posted.push_back(
          MSG{window, record.message, WPARAM(record.wParam), LPARAM(record.lParam), DWORD(NowMilliseconds()), {}});
  }
  [[maybe_unused]] int truncated = ::ftruncate(fd, 0);
  ::flock(fd, LOCK_UN);
  ::close(fd);
  WindowSignal().notify_all();
}

}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;

DWORD GetCurrentThreadId() { return DWORD(::syscall(SYS_gettid)); }

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD self = GetCurrentThreadId();
  std::unique_lock lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) {
    // Another process's window: this machine carries only posted messages across processes.
    SetLastError(IsRemoteHandle(window) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (entry->thread == self) {
    WNDPROC procedure = entry->procedure;
    lock.unlock();
    return procedure ? procedure(window, message, wParam, lParam) : 0;
  }
  // Another thread's window: wait for it to serve the message, serving our own meanwhile.
  SentMessage sent{window, message, wParam, lParam};
  QueueOf(entry->thread).sent.push_back(&sent);
  WindowSignal().notify_all();
  while (!sent.done) {
    if (ServeSent(lock, self)) continue;
    if (!FindWindowEntry(window)) {
      std::erase(QueueOf(entry->thread).sent, &sent);
      return 0;
    }
    WindowSignal().wait_for(lock, std::chrono::milliseconds(20));
  }
  return sent.result;
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
  if (IsRemoteHandle(window)) return PostToRemote(window, message, wParam, lParam);
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  QueueOf(entry->thread).posted.push_back(MSG{window, message, wParam, lParam, DWORD(NowMilliseconds()), {}});
  WindowSignal().notify_all();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(WindowMutex());
  WindowManager& manager = Windows();
  // A thread has a queue once it has used a window or message call.
  if (threadId != GetCurrentThreadId() && !manager.queues.count(threadId)) return Fail(ERROR_INVALID_THREAD_ID);
  QueueOf(threadId).posted.push_back(MSG{nullptr, message, wParam, lParam, DWORD(NowMilliseconds()), {}});
  WindowSignal().notify_all();
  return TRUE;
}

BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (!message) return Fail(ERROR_NOACCESS);
  DWORD self = GetCurrentThreadId();
  std::unique_lock lock(WindowMutex());
  while (ServeSent(lock, self)) {
  }
  Take take = TakeMessage(message, window, filterMin, filterMax, (remove & PM_REMOVE) != 0, self);
  lock.unlock();
  if (take == Take::Nothing) return FALSE;
  if (remove & PM_REMOVE) TrackKeyState(*message);
  return TRUE;
}

BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
  if (!message) return Fail(ERROR_NOACCESS), -1;
  if (window && !IsWindow(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE), -1;
  DWORD self = GetCurrentThreadId();
  std::unique_lock lock(WindowMutex());
  for (;;) {
    if (ServeSent(lock, self)) continue;
    Take take = TakeMessage(message, window, filterMin, filterMax, true, self);
    if (take == Take::Quit) return FALSE;
    if (take == Take::Message) {
      lock.unlock();
      TrackKeyState(*message);
      return TRUE;
    }
    std::uint64_t next = NextTimerDue(self);
    if (VirtualTime()) {
      ThreadQueue& queue = QueueOf(self);
      std::function<bool()> hook = Windows().hook;
      if (hook && !queue.inHook) {
        queue.inHook = true;
        lock.unlock();
        bool acted = hook();
        lock.lock();
        QueueOf(self).inHook = false;
        if (acted) continue;
      }
      if (next != ~std::uint64_t(0)) {
        std::uint64_t now = NowMilliseconds();
        if (next > now) AdvanceVirtual(next - now);
        continue;
      }
      // Nothing will ever come from this thread's clock: wait for another thread or process.
      WindowSignal().wait_for(lock, std::chrono::milliseconds(20));
      continue;
    }
    std::uint64_t now = NowMilliseconds();
    std::uint64_t wait = next > now ? std::min<std::uint64_t>(next - now, 20) : 0;
    if (next == ~std::uint64_t(0)) wait = 20;  // nothing due: look at the inbox now and then
    if (wait) WindowSignal().wait_for(lock, std::chrono::milliseconds(wait));
  }
}

BOOL TranslateMessage(const MSG* message) {
  if (!message || (message->message != WM_KEYDOWN)) return FALSE;
  WPARAM key = message->wParam;
  char16_t character = 0;
  bool shift = (GetKeyState(0x10) & 0x8000) != 0;
  if (key >= 'A' && key <= 'Z') character = shift ? char16_t(key) : char16_t(key - 'A' + 'a');
  else if (key >= '0' && key <= '9') character = char16_t(key);
  else if (key == 0x20 || key == 0x0D || key == 0x1B || key == 0x09 || key == 0x08) character = char16_t(key);
  if (!character) return FALSE;
  PostMessage(message->hwnd, WM_CHAR, character, message->lParam);
  return TRUE;
}

LRESULT DispatchMessage(const MSG* message) {
  if (!message) return 0;
  if (message->message == WM_TIMER && message->lParam) {
    using TimerProc = void(KS_SYS_CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);
    reinterpret_cast<TimerProc>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, message->time);
    return 0;
  }
  WNDPROC procedure;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(message->hwnd);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
    if (entry->thread != GetCurrentThreadId()) return Fail(ERROR_ACCESS_DENIED), 0;
    procedure = entry->procedure;
  }
  return procedure ? procedure(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

void PostQuitMessage(int exitCode) {
  std::lock_guard lock(WindowMutex());
  ThreadQueue& queue = QueueOf(GetCurrentThreadId());
  queue.quit = true;
  queue.quitCode = exitCode;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* timerProc) {
  std::lock_guard lock(WindowMutex());
  DWORD self = GetCurrentThreadId();
  if (window) {
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
    if (entry->thread != self) return Fail(ERROR_ACCESS_DENIED), 0;
  }
  // Windows raises intervals below USER_TIMER_MINIMUM to it.
  milliseconds = std::max<UINT>(milliseconds, 10);
  WindowManager& manager = Windows();
  if (!window) {
    bool known = id && std::any_of(manager.timers.begin(), manager.timers.end(), [&](const TimerEntry& timer) {
                   return !timer.window && timer.id == id && timer.thread == self;
                 });
    if (!known) id = manager.nextThreadTimer++;
  }
  std::erase_if(manager.timers,
                [&](const TimerEntry& timer) { return timer.window == window && timer.id == id && timer.thread == self; });
  manager.timers.push_back(TimerEntry{window, id, milliseconds, NowMilliseconds() + milliseconds, self, timerProc});
  WindowSignal().notify_all();
  return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(WindowMutex());
  DWORD self = GetCurrentThreadId();
  auto removed = std::erase_if(Windows().timers, [&](const TimerEntry& timer) {
    return timer.window == window && timer.id == id && (window || timer.thread == self);
  });
  if (!removed) return Fail(ERROR_INVALID_PARAMETER);
  // A WM_TIMER already posted by this timer is not delivered any more.
  std::erase_if(QueueOf(self).posted,
                [&](const MSG& m) { return m.message == WM_TIMER && m.hwnd == window && m.wParam == id; });
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  entry->invalid = true;
  entry->erase = entry->erase || erase;
  WindowSignal().notify_all();
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  bool paint;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    paint = entry->invalid && (entry->style & WS_VISIBLE);
  }
  if (paint) SendMessage(window, WM_PAINT, 0, 0);
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  bool erase;
  HDC dc = reinterpret_cast<HDC>(window);  // the machine draws nothing; the window names its context
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry || !paint) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = RECT{0, 0, entry->rect.right - entry->rect.left, entry->rect.bottom - entry->rect.top};
    erase = entry->erase;
    entry->invalid = false;
    entry->erase = false;
  }
  paint->fErase = erase && !SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

}  // namespace ks::sys
