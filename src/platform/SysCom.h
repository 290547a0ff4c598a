#pragma once
// COM's start and end for the calling thread. Each thread chooses its apartment
// with the first successful start; later starts in the same mode only count, a
// start in the other mode is refused until every start has been ended. OleInitialize
// (SysShellLink.h) starts COM in the single-threaded apartment the same way.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);

// S_OK for the thread's first start, S_FALSE for a further one in the same mode
// (both must be ended by CoUninitialize), RPC_E_CHANGED_MODE for the other mode
// while started (must not be ended).
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
// Ends one successful start; the last one ends COM on the thread.
void CoUninitialize();

}  // namespace ks::sys
