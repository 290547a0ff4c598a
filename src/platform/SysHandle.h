#pragma once
// Closing any HANDLE of the seam: files, processes, threads, named objects,
// tokens. Find handles, keys and modules have their own closing calls.

#include "platform/SysTypes.h"

namespace ks::sys {

BOOL CloseHandle(HANDLE object);

}  // namespace ks::sys
