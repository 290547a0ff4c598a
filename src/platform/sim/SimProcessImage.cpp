// The process's own image on the simulated machine: its module handle and
// error mode.

#include <atomic>
#include <cstdint>

#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"

namespace ks::sys {

namespace {
std::atomic<UINT> g_errorMode{0};
// The program's image base as Windows usually places a 32-bit program.
HMODULE const kProgramModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000));
}  // namespace

UINT SetErrorMode(UINT mode) { return g_errorMode.exchange(mode); }

HMODULE GetModuleHandle(const WCHAR* moduleName) {
  if (moduleName == nullptr) return kProgramModule;
  SetLastError(126);  // ERROR_MOD_NOT_FOUND: only the program's own module is known by name lookup
  return nullptr;
}

}  // namespace ks::sys
