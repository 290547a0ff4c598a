// Window frames of the simulated machine: there are none (no caption, no
// borders), so a window's rectangle is its client rectangle.

#include "platform/SysWindow.h"

#include "platform/SysError.h"

namespace ks::sys {

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

}  // namespace ks::sys
