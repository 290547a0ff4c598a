// Debugger output kept in memory for tests, and thread ids from the host.

#include "platform/SysDebug.h"
#include "platform/sim/SimDebugControl.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

namespace {

// Enough for any test; older lines are dropped so a chatty run cannot grow it.
constexpr std::size_t kMaxKeptLines = 1000;

std::mutex& DebugMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<std::u16string>& DebugLines() {
  static std::vector<std::u16string> lines;
  return lines;
}

}  // namespace

namespace ks::sys {

void OutputDebugString(const WCHAR* text) {
  std::lock_guard lock(DebugMutex());
  auto& lines = DebugLines();
  if (lines.size() >= kMaxKeptLines) lines.erase(lines.begin());
  lines.emplace_back(text != nullptr ? text : u"");
}


}  // namespace ks::sys

namespace ks::sim {

std::vector<std::u16string> TakeDebugOutput() {
  std::lock_guard lock(DebugMutex());
  std::vector<std::u16string> lines;
  lines.swap(DebugLines());
  return lines;
}

}  // namespace ks::sim
