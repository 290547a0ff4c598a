// The ANSI code page conversions, forwarded to the system's.

#include "platform/SysCodePage.h"
// After the seam headers: <windows.h> defines macros (CP_ACP, TRUE, ...) that
// share names with the seam's constants.
#include <windows.h>

namespace ks::sys {

static_assert(sizeof(wchar_t) == sizeof(WCHAR), "the seam's UTF-16 text is passed to the W functions as wchar_t");

UINT GetACP() { return ::GetACP(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* out, int outCount) {
  return ::MultiByteToWideChar(codePage, flags, text, count, reinterpret_cast<wchar_t*>(out), outCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int outCount,
                        const char* defaultChar, BOOL* usedDefault) {
  return ::WideCharToMultiByte(codePage, flags, reinterpret_cast<const wchar_t*>(text), count, out, outCount,
                               defaultChar, usedDefault);
}

}  // namespace ks::sys
