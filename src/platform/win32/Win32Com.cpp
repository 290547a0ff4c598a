// COM's start and end for the thread, forwarded.

#include "platform/SysCom.h"

#include "platform/win32/Win32Native.h"

#include <objbase.h>

namespace ks::sys {

HRESULT CoInitializeEx(void* reserved, DWORD coInit) { return ::CoInitializeEx(reserved, coInit); }
void CoUninitialize() { ::CoUninitialize(); }

}  // namespace ks::sys
