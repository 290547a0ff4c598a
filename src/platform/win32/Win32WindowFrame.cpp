// Window frames: forwarder to the real API.

#include "platform/SysWindow.h"

#include <windows.h>

namespace ks::sys {

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  return ::AdjustWindowRectEx(reinterpret_cast<::RECT*>(rect), style, menu, exStyle);
}

}  // namespace ks::sys
