#pragma once
// Conversion between the ANSI code page and UTF-16, as MultiByteToWideChar and
// WideCharToMultiByte do it. The simulated machine's ANSI code page is
// Windows-1252; on Windows it is the system's.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr UINT CP_ACP = 0;
constexpr UINT CP_WINDOWS_1252 = 1252;

UINT GetACP();

// count -1: up to and including the terminator. outCount 0: returns the units
// needed. Returns 0 on failure (buffer too small, unknown code page).
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* out, int outCount);

// Characters the code page lacks become defaultChar ("?" when null) and set
// *usedDefault when given.
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int outCount,
                        const char* defaultChar, BOOL* usedDefault);

}  // namespace ks::sys
