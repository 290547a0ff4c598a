#pragma once
// Debugger output and the calling thread's identity.

#include "platform/SysTypes.h"

namespace ks::sys {

// Sends a line to the debugger (the simulated machine keeps the recent ones).
void OutputDebugString(const WCHAR* text);

DWORD GetCurrentThreadId();

}  // namespace ks::sys
