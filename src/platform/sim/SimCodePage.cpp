// Windows-1252, the ANSI code page of the simulated machine.

#include "platform/SysCodePage.h"

#include "platform/SysError.h"

#include <cstddef>

namespace ks::sys {
namespace {

// 0x80..0x9F; the five bytes 1252 leaves undefined map to the C1 control of the
// same value, as Windows maps them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToUnit(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : char16_t(b);
}

bool UnitToByte(char16_t u, unsigned char* b) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    *b = static_cast<unsigned char>(u);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == u) {
      *b = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool KnownCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_WINDOWS_1252; }

int Failed(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

UINT GetACP() { return CP_WINDOWS_1252; }

int MultiByteToWideChar(UINT codePage, DWORD, const char* text, int count, WCHAR* out, int outCount) {
  if (!KnownCodePage(codePage) || text == nullptr || count == 0 || count < -1 || outCount < 0)
    return Failed(ERROR_INVALID_PARAMETER);
  if (count == -1) {
    count = 0;
    while (text[count] != 0) ++count;
    ++count;  // the terminator is converted too
  }
  if (outCount == 0) return count;
  if (outCount < count) return Failed(ERROR_INSUFFICIENT_BUFFER);
  for (int i = 0; i < count; ++i) out[i] = ByteToUnit(static_cast<unsigned char>(text[i]));
  return count;
}

int WideCharToMultiByte(UINT codePage, DWORD, const WCHAR* text, int count, char* out, int outCount,
                        const char* defaultChar, BOOL* usedDefault) {
  if (!KnownCodePage(codePage) || text == nullptr || count == 0 || count < -1 || outCount < 0)
    return Failed(ERROR_INVALID_PARAMETER);
  if (count == -1) {
    count = 0;
    while (text[count] != 0) ++count;
    ++count;
  }
  if (usedDefault) *usedDefault = FALSE;
  if (outCount != 0 && outCount < count) return Failed(ERROR_INSUFFICIENT_BUFFER);
  const char fallback = defaultChar ? *defaultChar : '?';
  for (int i = 0; i < count; ++i) {
    unsigned char b;
    if (!UnitToByte(text[i], &b)) {
      b = static_cast<unsigned char>(fallback);
      if (usedDefault) *usedDefault = TRUE;
    }
    if (outCount != 0) out[i] = static_cast<char>(b);
  }
  return count;
}

}  // namespace ks::sys
