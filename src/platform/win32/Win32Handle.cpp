// Closing handles, forwarded.

#include "platform/SysHandle.h"

#include "platform/win32/Win32Native.h"

namespace ks::sys {

BOOL CloseHandle(HANDLE object) { return ::CloseHandle(object); }

}  // namespace ks::sys
