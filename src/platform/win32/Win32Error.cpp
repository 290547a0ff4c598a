// The last-error value, forwarded.

#include "platform/SysError.h"

#include "platform/win32/Win32Native.h"

namespace ks::sys {

DWORD GetLastError() { return ::GetLastError(); }
void SetLastError(DWORD error) { ::SetLastError(error); }

}  // namespace ks::sys
