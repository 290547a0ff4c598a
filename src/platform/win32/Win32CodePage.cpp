// The ANSI code page conversions, forwarded to the system's.

#include "platform/SysCodePage.h"

#include "platform/win32/Win32Native.h"

namespace ks::sys {

using win32::Wide;

UINT GetACP() { return ::GetACP(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* out, int outCount) {
  return ::MultiByteToWideChar(codePage, flags, text, count, Wide(out), outCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int outCount,
                        const char* defaultChar, BOOL* usedDefault) {
  return ::WideCharToMultiByte(codePage, flags, Wide(text), count, out, outCount, defaultChar, usedDefault);
}

}  // namespace ks::sys
