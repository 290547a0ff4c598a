#pragma once
// The calling thread's last-error value, as every failing seam call sets it.

#include "platform/SysTypes.h"

namespace ks::sys {

DWORD GetLastError();
void SetLastError(DWORD error);

}  // namespace ks::sys
