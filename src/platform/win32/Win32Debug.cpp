// Debugger output, forwarded.

#include "platform/SysDebug.h"

#include "platform/win32/Win32Native.h"

#undef OutputDebugString

namespace ks::sys {

void OutputDebugString(const WCHAR* text) { ::OutputDebugStringW(win32::Wide(text)); }

}  // namespace ks::sys
