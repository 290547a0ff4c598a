// Windows of the simulated machine: classes, creation and destruction, the
// parent/child tree, rectangles, show and enable state, text, focus, capture,
// monitors, the window table other processes search, beeps, flashes and
// message boxes recorded in the journal.
//
// Simplifications: a window has no non-client area (its client rectangle is
// its window rectangle's size); position changes send WM_SIZE and WM_MOVE
// directly rather than through WM_WINDOWPOSCHANGED.

#include "platform/sim/SimInternal.h"
#include "platform/sim/SimWindowControl.h"
#include "platform/sim/SimWindowInternal.h"

#include "platform/SysError.h"
#include "platform/SysProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace ks::sim::detail {

using namespace ks::sys;

namespace {

std::uintptr_t Value(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }
HWND Handle(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

// Handles carry the owning process in their high half so that every process
// of the machine can tell whose window a handle names.
constexpr std::uintptr_t kDesktopValue = 0x10;
std::uintptr_t ProcessPart() { return std::uintptr_t(::getpid()) << 32; }

std::string TableFolder() { return Machine() ? Machine()->folder + "/objects/windows" : std::string(); }

std::string TableFile(HWND window) {
  char name[32];
  std::snprintf(name, sizeof name, "/%016llx", static_cast<unsigned long long>(Value(window)));
  return TableFolder() + name;
}

bool IsTopLevel(const WindowEntry& window) { return !(window.style & WS_CHILD) && !window.messageOnly; }

// Class, title and thread of a top-level window, for FindWindow in any process.
void WriteTableEntry(const WindowEntry& window) {
  if (!IsTopLevel(window) || !Machine()) return;
  std::error_code ec;
  std::filesystem::create_directories(TableFolder(), ec);
  std::string path = TableFile(window.handle);
  std::ofstream out(path + ".tmp", std::ios::binary | std::ios::trunc);
  out << Utf8(window.className) << "\n" << Utf8(window.text) << "\n" << window.thread << "\n";
  out.close();
  std::filesystem::rename(path + ".tmp", path, ec);
}

void RemoveTableEntry(HWND window) {
  if (!Machine()) return;
  ::unlink(TableFile(window).c_str());
}

WindowClassEntry* FindClass(const std::u16string& name) {
  for (auto& entry : Windows().classes)
    if (EqualFolded(entry.name, name)) return &entry;
  return nullptr;
}

LRESULT Call(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

// Sends to a window of this thread without the queue (creation and destruction).
LRESULT SendDirect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return 0;
    procedure = entry->procedure;
  }
  return Call(procedure, window, message, wParam, lParam);
}

LPARAM MakeLong(LONG low, LONG high) { return LPARAM(DWORD(WORD(low)) | (DWORD(WORD(high)) << 16)); }

void SendSizeAndMove(HWND window, const RECT& rect, bool sized, bool moved) {
  if (sized) SendDirect(window, WM_SIZE, 0, MakeLong(rect.right - rect.left, rect.bottom - rect.top));
  if (moved) SendDirect(window, WM_MOVE, 0, MakeLong(rect.left, rect.top));
}

// Parent first for WM_DESTROY, children first for WM_NCDESTROY, as Windows does.
void CollectTree(HWND window, std::vector<HWND>* order) {
  order->push_back(window);
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return;
  for (HWND child : entry->children) CollectTree(child, order);
}

void ForgetWindow(HWND window) {
  WindowManager& manager = Windows();
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return;
  if (WindowEntry* parent = FindWindowEntry(entry->parent)) std::erase(parent->children, window);
  std::erase_if(manager.timers, [&](const TimerEntry& timer) { return timer.window == window; });
  for (auto& [thread, queue] : manager.queues) {
    if (queue.focus == window) queue.focus = nullptr;
    if (queue.capture == window) queue.capture = nullptr;
    if (queue.active == window) queue.active = nullptr;
  }
  if (manager.foreground == window) manager.foreground = nullptr;
  if (IsTopLevel(*entry)) RemoveTableEntry(window);
  manager.windows.erase(Value(window));
}

const std::vector<MonitorFact>& Monitors() { return Machine()->identity.monitors; }

HMONITOR MonitorHandle(std::size_t index) { return reinterpret_cast<HMONITOR>(std::uintptr_t(index + 1) << 4); }

const MonitorFact* MonitorOf(HMONITOR monitor) {
  if (!Machine()) return nullptr;
  std::uintptr_t value = reinterpret_cast<std::uintptr_t>(monitor) >> 4;
  if (value < 1 || value > Monitors().size() || (reinterpret_cast<std::uintptr_t>(monitor) & 0xF)) return nullptr;
  return &Monitors()[value - 1];
}

RECT RectOf(const MonitorFact& m) { return RECT{m.left, m.top, m.right, m.bottom}; }

long long Overlap(const RECT& a, const RECT& b) {
  long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
  long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

long long DistanceSquared(const RECT& r, POINT p) {
  long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
  long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

HMONITOR FallbackMonitor(DWORD flags, POINT nearTo) {
  if (flags == MONITOR_DEFAULTTOPRIMARY) return MonitorHandle(0);
  if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
  std::size_t best = 0;
  for (std::size_t i = 1; i < Monitors().size(); ++i)
    if (DistanceSquared(RectOf(Monitors()[i]), nearTo) < DistanceSquared(RectOf(Monitors()[best]), nearTo)) best = i;
  return MonitorHandle(best);
}

bool ProcessAlive(std::uintptr_t value) {
  pid_t pid = pid_t(value >> 32);
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

std::mutex& WindowMutex() {
  static std::mutex mutex;
  return mutex;
}

std::condition_variable& WindowSignal() {
  static std::condition_variable signal;
  return signal;
}

WindowManager& Windows() {
  static WindowManager manager;
  std::string folder = Machine() ? Machine()->folder : std::string();
  if (folder != manager.machineFolder) {
    manager = WindowManager();
    manager.machineFolder = folder;
  }
  return manager;
}

WindowEntry* FindWindowEntry(HWND window) {
  auto& windows = Windows().windows;
  auto it = windows.find(Value(window));
  return it == windows.end() ? nullptr : &it->second;
}

ThreadQueue& QueueOf(DWORD thread) { return Windows().queues[thread]; }

HWND DesktopHandle() { return Handle(kDesktopValue); }

bool IsRemoteHandle(HWND window) {
  std::uintptr_t value = Value(window);
  return value != kDesktopValue && (value >> 32) != 0 && (value >> 32) != std::uintptr_t(::getpid());
}

bool RemoteWindowExists(HWND window) {
  struct stat info {};
  return ::stat(TableFile(window).c_str(), &info) == 0 && ProcessAlive(Value(window));
}

POINT ClientOrigin(const WindowEntry& window) {
  POINT origin{window.rect.left, window.rect.top};
  if (WindowEntry* parent = FindWindowEntry(window.parent)) {
    POINT base = ClientOrigin(*parent);
    origin.x += base.x;
    origin.y += base.y;
  }
  return origin;
}

}  // namespace ks::sim::detail

namespace ks::sim {
using namespace detail;

void SetUiDriverHook(std::function<bool()> hook) {
  std::lock_guard lock(WindowMutex());
  Windows().hook = std::move(hook);
}

void PushMessageBoxAnswer(int answer) {
  std::lock_guard lock(WindowMutex());
  Windows().messageBoxAnswers.push_back(answer);
}

std::vector<std::string> LiveWindows() {
  std::lock_guard lock(WindowMutex());
  std::vector<std::string> result;
  for (auto& [value, window] : Windows().windows) result.push_back(Utf8(window.className) + " " + Utf8(window.text));
  return result;
}

}  // namespace ks::sim

namespace ks::sys {
using namespace ks::sim::detail;

ATOM RegisterClassEx(const WNDCLASSEX* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEX) || !windowClass->lpszClassName ||
      !windowClass->lpfnWndProc) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard lock(WindowMutex());
  if (FindClass(Span(windowClass->lpszClassName))) {
    Fail(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowManager& manager = Windows();
  // A class registered without an instance belongs to the program's module.
  HINSTANCE instance = windowClass->hInstance ? windowClass->hInstance : ProgramModule();
  manager.classes.push_back(WindowClassEntry{Span(windowClass->lpszClassName), windowClass->lpfnWndProc, instance,
                                             windowClass->hCursor, windowClass->style});
  return ATOM(0xC000 + manager.classes.size());
}

BOOL UnregisterClass(const WCHAR* className, HINSTANCE) {
  std::lock_guard lock(WindowMutex());
  std::u16string name = Span(className);
  WindowManager& manager = Windows();
  if (!FindClass(name)) return Fail(ERROR_CLASS_DOES_NOT_EXIST);
  for (auto& [value, window] : manager.windows)
    if (EqualFolded(window.className, name)) return Fail(ERROR_CLASS_HAS_WINDOWS);
  std::erase_if(manager.classes, [&](const WindowClassEntry& entry) { return EqualFolded(entry.name, name); });
  return TRUE;
}

// Without an instance only the system's classes are found (the machine has
// none); an application's class is found through the instance it was
// registered under, or from any instance when it is a global class.
BOOL GetClassInfoEx(HINSTANCE instance, const WCHAR* className, WNDCLASSEX* windowClass) {
  std::lock_guard lock(WindowMutex());
  WindowClassEntry* entry = FindClass(Span(className));
  if (!entry || !instance || (entry->instance != instance && !(entry->style & CS_GLOBALCLASS)))
    return Fail(ERROR_CLASS_DOES_NOT_EXIST);
  if (windowClass) {
    *windowClass = WNDCLASSEX{};
    windowClass->cbSize = sizeof(WNDCLASSEX);
    windowClass->style = entry->style;
    windowClass->lpfnWndProc = entry->procedure;
    windowClass->hInstance = entry->instance;
    windowClass->hCursor = entry->cursor;
    windowClass->lpszClassName = className;
  }
  return TRUE;
}

int GetClassName(HWND window, WCHAR* buffer, int size) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  if (!buffer || size < 1) return Fail(ERROR_INSUFFICIENT_BUFFER), 0;
  std::u16string name = entry->className.substr(0, std::size_t(size - 1));
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = 0;
  return int(name.size());
}

HWND CreateWindowEx(DWORD exStyle, const WCHAR* className, const WCHAR* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param) {
  HWND handle;
  CREATESTRUCT create{};
  {
    std::lock_guard lock(WindowMutex());
    if (!Machine()) return nullptr;
    WindowClassEntry* windowClass = FindClass(Span(className));
    if (!windowClass) return Fail(ERROR_CANNOT_FIND_WND_CLASS), nullptr;
    bool messageOnly = parent == HWND_MESSAGE;
    if (messageOnly || parent == DesktopHandle()) parent = nullptr;
    WindowEntry* parentEntry = parent ? FindWindowEntry(parent) : nullptr;
    if (parent && !parentEntry) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
    if ((style & WS_CHILD) && !parentEntry) return Fail(1406 /* ERROR_TLW_WITH_WSCHILD */), nullptr;
    WindowManager& manager = Windows();
    WindowEntry entry;
    handle = Handle(ProcessPart() | (manager.nextWindow++ << 4));
    entry.handle = handle;
    entry.className = windowClass->name;
    entry.procedure = windowClass->procedure;
    entry.style = style;
    entry.exStyle = exStyle;
    entry.messageOnly = messageOnly;
    if (style & WS_CHILD) {
      entry.parent = parent;
      parentEntry->children.push_back(handle);
    } else {
      // The owner of a popup is the top-level window of the window given.
      while (parentEntry && (parentEntry->style & WS_CHILD)) parentEntry = FindWindowEntry(parentEntry->parent);
      entry.owner = parentEntry ? parentEntry->handle : nullptr;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    entry.rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    entry.text = Span(windowName);
    entry.thread = GetCurrentThreadId();
    manager.windows[Value(handle)] = entry;
    WriteTableEntry(entry);
    create = CREATESTRUCT{param,   instance, menu,   parent,    height,    width,
                          y,       x,        LONG(style), windowName, className, exStyle};
  }
  LPARAM createParam = reinterpret_cast<LPARAM>(&create);
  if (!SendDirect(handle, WM_NCCREATE, 0, createParam)) {
    SendDirect(handle, WM_NCDESTROY, 0, 0);
    std::lock_guard lock(WindowMutex());
    ForgetWindow(handle);
    return nullptr;
  }
  if (SendDirect(handle, WM_CREATE, 0, createParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  RECT rect{};
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(handle);
    if (!entry) return nullptr;  // destroyed while being created
    rect = entry->rect;
  }
  SendSizeAndMove(handle, rect, true, true);
  if (style & WS_VISIBLE) SendDirect(handle, WM_SHOWWINDOW, TRUE, 0);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
  std::vector<HWND> tree;
  std::vector<HWND> owned;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (entry->thread != GetCurrentThreadId()) return Fail(ERROR_ACCESS_DENIED);
    if (entry->destroying) return TRUE;
    for (auto& [value, other] : Windows().windows)
      if (other.owner == window && !other.destroying) owned.push_back(other.handle);
    CollectTree(window, &tree);
    for (HWND member : tree) FindWindowEntry(member)->destroying = true;
    if (WindowEntry* owner = FindWindowEntry(entry->owner); owner && owner->lastActivePopup == window)
      owner->lastActivePopup = nullptr;
  }
  for (HWND popup : owned) DestroyWindow(popup);
  for (HWND member : tree) SendDirect(member, WM_DESTROY, 0, 0);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
    SendDirect(*it, WM_NCDESTROY, 0, 0);
    std::lock_guard lock(WindowMutex());
    ForgetWindow(*it);
  }
  return TRUE;
}

BOOL IsWindow(HWND window) {
  if (!window) return FALSE;
  if (window == DesktopHandle()) return TRUE;
  if (IsRemoteHandle(window)) return RemoteWindowExists(window);
  std::lock_guard lock(WindowMutex());
  return FindWindowEntry(window) != nullptr;
}

HWND GetParent(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
  SetLastError(ERROR_SUCCESS);
  if (entry->style & WS_CHILD) return entry->parent;
  return (entry->style & WS_POPUP) ? entry->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(child);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
  if (newParent == DesktopHandle()) newParent = nullptr;
  WindowEntry* parentEntry = newParent ? FindWindowEntry(newParent) : nullptr;
  if (newParent && !parentEntry) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
  HWND old = entry->parent ? entry->parent : DesktopHandle();
  if (WindowEntry* oldParent = FindWindowEntry(entry->parent)) std::erase(oldParent->children, child);
  entry->parent = newParent;
  if (parentEntry) parentEntry->children.push_back(child);
  return old;
}

HWND GetDesktopWindow() { return DesktopHandle(); }

BOOL IsChild(HWND parent, HWND window) {
  std::lock_guard lock(WindowMutex());
  for (WindowEntry* entry = FindWindowEntry(window); entry && (entry->style & WS_CHILD);
       entry = FindWindowEntry(entry->parent))
    if (entry->parent == parent) return TRUE;
  return FALSE;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) {
  if (IsRemoteHandle(window)) {
    std::ifstream in(TableFile(window));
    std::string className, title, thread;
    if (!in || !std::getline(in, className) || !std::getline(in, title) || !std::getline(in, thread))
      return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
    if (processId) *processId = DWORD(Value(window) >> 32);
    return DWORD(std::stoul(thread));
  }
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  if (processId) *processId = DWORD(::getpid());
  return entry->thread;
}

HWND FindWindow(const WCHAR* className, const WCHAR* windowName) {
  std::u16string wantedClass = Span(className), wantedName = Span(windowName);
  std::vector<std::string> names;
  {
    std::lock_guard lock(Lock());
    if (!Machine()) return nullptr;
  }
  std::error_code ec;
  for (auto& item : std::filesystem::directory_iterator(TableFolder(), ec)) {
    std::string name = item.path().filename().string();
    if (name.size() == 16) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  // The newest matching window answers, as the top of the z-order would.
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::uintptr_t value = std::stoull(*it, nullptr, 16);
    if (!ProcessAlive(value)) continue;
    std::ifstream in(TableFolder() + "/" + *it);
    std::string windowClass, title;
    if (!std::getline(in, windowClass) || !std::getline(in, title)) continue;
    if (className && !EqualFolded(Utf16(windowClass), wantedClass)) continue;
    if (windowName && !EqualFolded(Utf16(title), wantedName)) continue;
    return Handle(value);
  }
  SetLastError(ERROR_SUCCESS);
  return nullptr;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (window == DesktopHandle()) {
    std::lock_guard lock(Lock());
    if (!Machine() || !rect) return Fail(ERROR_INVALID_PARAMETER);
    *rect = RectOf(Monitors()[0]);
    return TRUE;
  }
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (!rect) return Fail(ERROR_NOACCESS);
  POINT origin = ClientOrigin(*entry);
  *rect = RECT{origin.x, origin.y, origin.x + entry->rect.right - entry->rect.left,
               origin.y + entry->rect.bottom - entry->rect.top};
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (!rect) return Fail(ERROR_NOACCESS);
  *rect = RECT{0, 0, entry->rect.right - entry->rect.left, entry->rect.bottom - entry->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry || !point) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  POINT origin = ClientOrigin(*entry);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry || !point) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  POINT origin = ClientOrigin(*entry);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  RECT rect{};
  bool sized = false, moved = false;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    RECT old = entry->rect;
    if (flags & SWP_NOMOVE) x = old.left, y = old.top;
    if (flags & SWP_NOSIZE) width = old.right - old.left, height = old.bottom - old.top;
    rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    entry->rect = rect;
    sized = rect.right - rect.left != old.right - old.left || rect.bottom - rect.top != old.bottom - old.top;
    moved = rect.left != old.left || rect.top != old.top;
    if (sized) entry->invalid = true;
  }
  SendSizeAndMove(window, rect, sized, moved);
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL ShowWindow(HWND window, int command) {
  bool wasVisible, show = command != SW_HIDE;
  bool activate = command != SW_HIDE && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                  command != SW_MINIMIZE;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    wasVisible = (entry->style & WS_VISIBLE) != 0;
    bool minimise = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
    entry->iconic = minimise || (entry->iconic && command != SW_RESTORE && command != SW_SHOWMAXIMIZED &&
                                 command != SW_SHOWNORMAL);
    entry->zoomed = command == SW_SHOWMAXIMIZED ||
                    (entry->zoomed && command != SW_RESTORE && command != SW_SHOWNORMAL && !minimise);
    if (show) {
      entry->style |= WS_VISIBLE;
      entry->invalid = true;
    } else {
      entry->style &= ~WS_VISIBLE;
    }
  }
  if (wasVisible != show) SendDirect(window, WM_SHOWWINDOW, show, 0);
  if (activate) SetForegroundWindow(window);
  return wasVisible;
}

BOOL IsWindowVisible(HWND window) {
  std::lock_guard lock(WindowMutex());
  for (WindowEntry* entry = FindWindowEntry(window); entry; entry = FindWindowEntry(entry->parent)) {
    if (!(entry->style & WS_VISIBLE)) return FALSE;
    if (!(entry->style & WS_CHILD)) return TRUE;
  }
  return FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  bool wasDisabled;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    wasDisabled = (entry->style & WS_DISABLED) != 0;
    if (enable) entry->style &= ~WS_DISABLED;
    else entry->style |= WS_DISABLED;
  }
  if (wasDisabled == bool(enable)) SendDirect(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  return entry && !(entry->style & WS_DISABLED);
}

BOOL IsIconic(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  return entry && entry->iconic;
}

BOOL IsZoomed(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  return entry && entry->zoomed;
}

namespace {

// The shift from screen to workspace coordinates of a top-level window: its
// monitor's work area origin against the monitor's own (tool windows and
// child windows use screen coordinates).
POINT WorkspaceShift(const RECT& rect, DWORD exStyle, bool topLevel) {
  if (!topLevel || (exStyle & WS_EX_TOOLWINDOW)) return POINT{0, 0};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfo(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &info)) return POINT{0, 0};
  return POINT{info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

RECT Shifted(RECT rect, LONG dx, LONG dy) {
  return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

}  // namespace

// The simulated window keeps its rectangle while minimised or maximised, so
// that rectangle is the normal one.
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  if (!placement) return Fail(ERROR_NOACCESS);
  RECT rect{};
  DWORD exStyle = 0;
  bool topLevel = false, iconic = false, zoomed = false;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    rect = entry->rect;
    exStyle = entry->exStyle;
    topLevel = IsTopLevel(*entry);
    iconic = entry->iconic;
    zoomed = entry->zoomed;
  }
  POINT shift = WorkspaceShift(rect, exStyle, topLevel);
  placement->length = sizeof(WINDOWPLACEMENT);
  placement->flags = 0;
  placement->showCmd = iconic ? SW_SHOWMINIMIZED : zoomed ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = Shifted(rect, -shift.x, -shift.y);
  return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) return Fail(ERROR_INVALID_PARAMETER);
  DWORD exStyle = 0;
  bool topLevel = false;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(window);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    exStyle = entry->exStyle;
    topLevel = IsTopLevel(*entry);
  }
  POINT shift = WorkspaceShift(placement->rcNormalPosition, exStyle, topLevel);
  RECT rect = Shifted(placement->rcNormalPosition, shift.x, shift.y);
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, int(placement->showCmd));
  return TRUE;
}

BOOL SetWindowText(HWND window, const WCHAR* text) {
  if (!IsWindow(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  return SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowText(HWND window, WCHAR* buffer, int size) {
  if (!IsWindow(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  if (!buffer || size < 1) return 0;
  return int(SendMessage(window, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND window) {
  if (!IsWindow(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  return int(SendMessage(window, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  switch (index) {
    case GWLP_USERDATA: return entry->userData;
    case GWL_STYLE: return LONG_PTR(entry->style);
    case GWL_EXSTYLE: return LONG_PTR(entry->exStyle);
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(entry->procedure);
    default: return Fail(1413 /* ERROR_INVALID_INDEX */), 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), 0;
  // Success leaves the last error as it was, so a previous value of 0 is told
  // from a failure only by clearing the error first, as Windows documents.
  LONG_PTR old;
  switch (index) {
    case GWLP_USERDATA: old = entry->userData; entry->userData = value; return old;
    case GWL_STYLE: old = LONG_PTR(entry->style); entry->style = DWORD(value); return old;
    case GWL_EXSTYLE: old = LONG_PTR(entry->exStyle); entry->exStyle = DWORD(value); return old;
    case GWLP_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(entry->procedure);
      entry->procedure = reinterpret_cast<WNDPROC>(value);
      return old;
    default: return Fail(1413 /* ERROR_INVALID_INDEX */), 0;
  }
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SETTEXT: {
      std::lock_guard lock(WindowMutex());
      WindowEntry* entry = FindWindowEntry(window);
      if (!entry) return FALSE;
      entry->text = Span(reinterpret_cast<const WCHAR*>(lParam));
      WriteTableEntry(*entry);
      return TRUE;
    }
    case WM_GETTEXT: {
      std::lock_guard lock(WindowMutex());
      WindowEntry* entry = FindWindowEntry(window);
      auto* buffer = reinterpret_cast<WCHAR*>(lParam);
      if (!entry || !buffer || wParam == 0) return 0;
      std::u16string text = entry->text.substr(0, wParam - 1);
      std::copy(text.begin(), text.end(), buffer);
      buffer[text.size()] = 0;
      return LRESULT(text.size());
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard lock(WindowMutex());
      WindowEntry* entry = FindWindowEntry(window);
      return entry ? LRESULT(entry->text.size()) : 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCHITTEST: return HTCLIENT;
    case WM_ERASEBKGND: return 1;
    default: return 0;
  }
}

LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Call(procedure, window, message, wParam, lParam);
}

UINT RegisterWindowMessage(const WCHAR* text) {
  std::u16string name = Fold(Span(text));
  if (name.empty()) return Fail(ERROR_INVALID_PARAMETER), 0;
  std::lock_guard lock(WindowMutex());
  WindowManager& manager = Windows();
  if (auto it = manager.registeredMessages.find(name); it != manager.registeredMessages.end()) return it->second;
  if (!Machine()) return 0;
  // The machine's list of registered names, one a line; the line number gives the message.
  std::string path = Machine()->folder + "/objects/windowmessages.txt";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(ERROR_ACCESS_DENIED), 0;
  ::flock(fd, LOCK_EX);
  std::string content, line = Utf8(name);
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) content.append(buffer, std::size_t(n));
  UINT index = 0, found = 0;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    if (content.compare(start, end - start, line) == 0) found = 0xC000 + index;
    ++index;
    start = end + 1;
  }
  if (!found) {
    std::string record = line + "\n";
    [[maybe_unused]] ssize_t written = ::write(fd, record.data(), record.size());
    found = 0xC000 + index;
  }
  ::flock(fd, LOCK_UN);
  ::close(fd);
  manager.registeredMessages[name] = found;
  return found;
}

HWND SetFocus(HWND window) {
  HWND old;
  {
    std::lock_guard lock(WindowMutex());
    ThreadQueue& queue = QueueOf(GetCurrentThreadId());
    if (window) {
      WindowEntry* entry = FindWindowEntry(window);
      if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
      if (entry->thread != GetCurrentThreadId()) return Fail(ERROR_ACCESS_DENIED), nullptr;
    }
    old = queue.focus;
    if (old == window) return old;
    queue.focus = window;
  }
  if (old) SendDirect(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window) SendDirect(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  std::lock_guard lock(WindowMutex());
  return QueueOf(GetCurrentThreadId()).focus;
}

HWND SetCapture(HWND window) {
  HWND old;
  {
    std::lock_guard lock(WindowMutex());
    if (!FindWindowEntry(window)) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
    ThreadQueue& queue = QueueOf(GetCurrentThreadId());
    old = queue.capture;
    queue.capture = window;
  }
  if (old && old != window) SendDirect(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  return old;
}

HWND GetCapture() {
  std::lock_guard lock(WindowMutex());
  return QueueOf(GetCurrentThreadId()).capture;
}

BOOL ReleaseCapture() {
  HWND old;
  {
    std::lock_guard lock(WindowMutex());
    ThreadQueue& queue = QueueOf(GetCurrentThreadId());
    old = queue.capture;
    queue.capture = nullptr;
  }
  if (old) SendDirect(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetForegroundWindow() {
  std::lock_guard lock(WindowMutex());
  return Windows().foreground;
}

BOOL SetForegroundWindow(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  while (entry && (entry->style & WS_CHILD)) entry = FindWindowEntry(entry->parent);
  if (!entry) return FALSE;
  Windows().foreground = entry->handle;
  QueueOf(entry->thread).active = entry->handle;
  if (WindowEntry* owner = FindWindowEntry(entry->owner)) owner->lastActivePopup = entry->handle;
  return TRUE;
}

HWND GetActiveWindow() {
  std::lock_guard lock(WindowMutex());
  return QueueOf(GetCurrentThreadId()).active;
}

HWND GetLastActivePopup(HWND window) {
  std::lock_guard lock(WindowMutex());
  WindowEntry* entry = FindWindowEntry(window);
  if (!entry) return nullptr;
  WindowEntry* popup = FindWindowEntry(entry->lastActivePopup);
  return popup && (popup->style & WS_VISIBLE) ? popup->handle : window;
}

UINT GetDoubleClickTime() { return 500; }

BOOL EnumDisplayMonitors(HDC, const RECT* clip, MONITORENUMPROC callback, LPARAM data) {
  std::vector<RECT> rects;
  {
    std::lock_guard lock(Lock());
    if (!Machine() || !callback) return Fail(ERROR_INVALID_PARAMETER);
    for (auto& monitor : Monitors()) rects.push_back(RectOf(monitor));
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (clip && !Overlap(*clip, rects[i])) continue;
    RECT rect = rects[i];
    if (!callback(MonitorHandle(i), nullptr, &rect, data)) break;
  }
  return TRUE;
}

BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  std::lock_guard lock(Lock());
  const ks::sim::MonitorFact* fact = MonitorOf(monitor);
  if (!fact || !info || info->cbSize < sizeof(MONITORINFO)) return Fail(ERROR_INVALID_PARAMETER);
  info->rcMonitor = RectOf(*fact);
  info->rcWork = RECT{fact->workLeft, fact->workTop, fact->workRight, fact->workBottom};
  info->dwFlags = fact == &Monitors()[0] ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  std::lock_guard lock(Lock());
  if (!Machine() || !rect) return nullptr;
  long long best = 0;
  HMONITOR answer = nullptr;
  for (std::size_t i = 0; i < Monitors().size(); ++i) {
    long long overlap = Overlap(*rect, RectOf(Monitors()[i]));
    if (overlap > best) best = overlap, answer = MonitorHandle(i);
  }
  if (answer) return answer;
  return FallbackMonitor(flags, POINT{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2});
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  RECT rect{point.x, point.y, point.x + 1, point.y + 1};
  return MonitorFromRect(&rect, flags);
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorFromRect(&rect, flags);
  if (rect.right == rect.left) ++rect.right;
  if (rect.bottom == rect.top) ++rect.bottom;
  return MonitorFromRect(&rect, flags);
}

BOOL MessageBeep(UINT type) {
  char details[16];
  std::snprintf(details, sizeof details, "0x%X", type);
  std::lock_guard lock(Lock());
  Journal("MessageBeep", details);
  return TRUE;
}

BOOL FlashWindowEx(const FLASHWINFO* info) {
  if (!info || info->cbSize != sizeof(FLASHWINFO)) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string title;
  bool active;
  {
    std::lock_guard lock(WindowMutex());
    WindowEntry* entry = FindWindowEntry(info->hwnd);
    if (!entry) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    title = entry->text;
    active = Windows().foreground == info->hwnd;
  }
  char details[96];
  std::snprintf(details, sizeof details, "\tflags=%u count=%u timeout=%u", info->dwFlags, info->uCount,
                info->dwTimeout);
  std::lock_guard lock(Lock());
  Journal("FlashWindowEx", Utf8(title) + details);
  return active;
}

int MessageBox(HWND, const WCHAR* text, const WCHAR* caption, UINT type) {
  static constexpr int kButtons[][3] = {{IDOK, 0, 0},        {IDOK, IDCANCEL, 0},    {IDABORT, IDRETRY, IDIGNORE},
                                        {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0},   {IDRETRY, IDCANCEL, 0}};
  int answer;
  {
    std::lock_guard lock(WindowMutex());
    auto& answers = Windows().messageBoxAnswers;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    } else {
      std::size_t kind = std::min<std::size_t>(type & 0xF, 5);
      std::size_t button = (type >> 8) & 0xF;
      answer = button < 3 && kButtons[kind][button] ? kButtons[kind][button] : kButtons[kind][0];
    }
  }
  char details[48];
  std::snprintf(details, sizeof details, "\ttype=0x%X answer=%d", type, answer);
  std::lock_guard lock(Lock());
  Journal("MessageBox", Utf8(Span(caption)) + "\t" + Utf8(Span(text)) + details);
  return answer;
}

}  // namespace ks::sys
