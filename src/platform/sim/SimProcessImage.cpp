// The process's error mode on the simulated machine.

#include <atomic>

#include "platform/SysProcess.h"

namespace ks::sys {

namespace {
std::atomic<UINT> g_errorMode{0};
}  // namespace

UINT SetErrorMode(UINT mode) { return g_errorMode.exchange(mode); }

}  // namespace ks::sys
