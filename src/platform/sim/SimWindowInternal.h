#pragma once
// State of the simulated window manager shared by SimWindow.cpp and
// SimMessageQueue.cpp. One mutex guards it; it is never held while a window
// procedure, timer procedure or hook runs.

#include "platform/SysWindow.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ks::sim::detail {

struct WindowClassEntry {
  std::u16string name;
  sys::WNDPROC procedure = nullptr;
  sys::HINSTANCE instance = nullptr;
  sys::HCURSOR cursor = nullptr;
  sys::UINT style = 0;
};

struct WindowEntry {
  sys::HWND handle = nullptr;
  std::u16string className;
  sys::WNDPROC procedure = nullptr;
  sys::DWORD style = 0;
  sys::DWORD exStyle = 0;
  sys::HWND parent = nullptr;  // child windows only
  sys::HWND owner = nullptr;   // top-level windows only
  std::vector<sys::HWND> children;
  sys::RECT rect{};  // in the parent's client coordinates; screen coordinates for top-level windows
  std::u16string text;
  sys::LONG_PTR userData = 0;
  sys::DWORD thread = 0;
  bool messageOnly = false;
  bool destroying = false;
  bool invalid = false;
  bool erase = false;
  bool iconic = false;
  bool zoomed = false;
  sys::HWND lastActivePopup = nullptr;
};

struct SentMessage {
  sys::HWND window;
  sys::UINT message;
  sys::WPARAM wParam;
  sys::LPARAM lParam;
  sys::LRESULT result = 0;
  bool done = false;
};

struct ThreadQueue {
  std::deque<sys::MSG> posted;
  std::deque<SentMessage*> sent;
  bool quit = false;
  int quitCode = 0;
  sys::HWND focus = nullptr;
  sys::HWND capture = nullptr;
  sys::HWND active = nullptr;
  bool inHook = false;
};

struct TimerEntry {
  sys::HWND window;
  sys::UINT_PTR id;
  sys::UINT interval;
  std::uint64_t due;
  sys::DWORD thread;
  void* procedure;
};

struct WindowManager {
  std::string machineFolder;
  std::map<std::uintptr_t, WindowEntry> windows;
  std::vector<WindowClassEntry> classes;
  std::map<sys::DWORD, ThreadQueue> queues;
  std::vector<TimerEntry> timers;
  std::uintptr_t nextWindow = 1;
  sys::UINT_PTR nextThreadTimer = 1;
  sys::HWND foreground = nullptr;
  std::function<bool()> hook;
  std::deque<int> messageBoxAnswers;
  std::map<std::u16string, sys::UINT> registeredMessages;  // folded text
};

std::mutex& WindowMutex();
// Wakes threads waiting for messages.
std::condition_variable& WindowSignal();
// The manager of the attached machine, emptied when another machine is attached.
// Call with WindowMutex held.
WindowManager& Windows();
WindowEntry* FindWindowEntry(sys::HWND window);  // WindowMutex held; null when not a live local window
ThreadQueue& QueueOf(sys::DWORD thread);         // WindowMutex held; created on first use
std::uint64_t NowMilliseconds();

sys::HWND DesktopHandle();
bool IsRemoteHandle(sys::HWND window);
// Windows of another process: the window table under objects/.
bool RemoteWindowExists(sys::HWND window);
bool PostToRemote(sys::HWND window, sys::UINT message, sys::WPARAM wParam, sys::LPARAM lParam);
// Moves messages other processes posted to this process's windows into their queues. WindowMutex held.
void DrainInbox();

// Screen position of the client origin. WindowMutex held.
sys::POINT ClientOrigin(const WindowEntry& window);

}  // namespace ks::sim::detail
