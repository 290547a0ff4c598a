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

// WC_NO_BEST_FIT_CHARS: only exact mappings.
constexpr DWORD kNoBestFit = 0x400;

// Windows' one-way best-fit mappings for 1252 outside the fullwidth block:
// letters with diacritics beyond the code page, some Greek letters, symbols.
struct BestFit {
  char16_t unit;
  unsigned char byte;
};
constexpr BestFit kBestFit[] = {
    {0x0100, 'A'}, {0x0101, 'a'}, {0x0102, 'A'}, {0x0103, 'a'}, {0x0104, 'A'}, {0x0105, 'a'},
    {0x0106, 'C'}, {0x0107, 'c'}, {0x0108, 'C'}, {0x0109, 'c'}, {0x010A, 'C'}, {0x010B, 'c'},
    {0x010C, 'C'}, {0x010D, 'c'}, {0x010E, 'D'}, {0x010F, 'd'}, {0x0110, 0xD0}, {0x0111, 'd'},
    {0x0112, 'E'}, {0x0113, 'e'}, {0x0114, 'E'}, {0x0115, 'e'}, {0x0116, 'E'}, {0x0117, 'e'},
    {0x0118, 'E'}, {0x0119, 'e'}, {0x011A, 'E'}, {0x011B, 'e'}, {0x011C, 'G'}, {0x011D, 'g'},
    {0x011E, 'G'}, {0x011F, 'g'}, {0x0120, 'G'}, {0x0121, 'g'}, {0x0122, 'G'}, {0x0123, 'g'},
    {0x0124, 'H'}, {0x0125, 'h'}, {0x0126, 'H'}, {0x0127, 'h'}, {0x0128, 'I'}, {0x0129, 'i'},
    {0x012A, 'I'}, {0x012B, 'i'}, {0x012C, 'I'}, {0x012D, 'i'}, {0x012E, 'I'}, {0x012F, 'i'},
    {0x0130, 'I'}, {0x0131, 'i'}, {0x0134, 'J'}, {0x0135, 'j'}, {0x0136, 'K'}, {0x0137, 'k'},
    {0x0139, 'L'}, {0x013A, 'l'}, {0x013B, 'L'}, {0x013C, 'l'}, {0x013D, 'L'}, {0x013E, 'l'},
    {0x0141, 'L'}, {0x0142, 'l'}, {0x0143, 'N'}, {0x0144, 'n'}, {0x0145, 'N'}, {0x0146, 'n'},
    {0x0147, 'N'}, {0x0148, 'n'}, {0x014C, 'O'}, {0x014D, 'o'}, {0x014E, 'O'}, {0x014F, 'o'},
    {0x0150, 'O'}, {0x0151, 'o'}, {0x0154, 'R'}, {0x0155, 'r'}, {0x0156, 'R'}, {0x0157, 'r'},
    {0x0158, 'R'}, {0x0159, 'r'}, {0x015A, 'S'}, {0x015B, 's'}, {0x015C, 'S'}, {0x015D, 's'},
    {0x015E, 'S'}, {0x015F, 's'}, {0x0162, 'T'}, {0x0163, 't'}, {0x0164, 'T'}, {0x0165, 't'},
    {0x0166, 'T'}, {0x0167, 't'}, {0x0168, 'U'}, {0x0169, 'u'}, {0x016A, 'U'}, {0x016B, 'u'},
    {0x016C, 'U'}, {0x016D, 'u'}, {0x016E, 'U'}, {0x016F, 'u'}, {0x0170, 'U'}, {0x0171, 'u'},
    {0x0172, 'U'}, {0x0173, 'u'}, {0x0174, 'W'}, {0x0175, 'w'}, {0x0176, 'Y'}, {0x0177, 'y'},
    {0x0179, 'Z'}, {0x017A, 'z'}, {0x017B, 'Z'}, {0x017C, 'z'}, {0x0180, 'b'}, {0x0189, 0xD0},
    {0x0191, 0x83}, {0x0197, 'I'}, {0x019A, 'l'}, {0x019F, 'O'}, {0x01A0, 'O'}, {0x01A1, 'o'},
    {0x01AB, 't'}, {0x01AE, 'T'}, {0x01AF, 'U'}, {0x01B0, 'u'}, {0x01B6, 'z'}, {0x01C0, '|'},
    {0x01C3, '!'}, {0x01CD, 'A'}, {0x01CE, 'a'}, {0x01CF, 'I'}, {0x01D0, 'i'}, {0x01D1, 'O'},
    {0x01D2, 'o'}, {0x01D3, 'U'}, {0x01D4, 'u'}, {0x01D5, 'U'}, {0x01D6, 'u'}, {0x01D7, 'U'},
    {0x01D8, 'u'}, {0x01D9, 'U'}, {0x01DA, 'u'}, {0x01DB, 'U'}, {0x01DC, 'u'}, {0x01DE, 'A'},
    {0x01DF, 'a'}, {0x01E4, 'G'}, {0x01E5, 'g'}, {0x01E6, 'G'}, {0x01E7, 'g'}, {0x01E8, 'K'},
    {0x01E9, 'k'}, {0x01EA, 'O'}, {0x01EB, 'o'}, {0x01EC, 'O'}, {0x01ED, 'o'}, {0x01F0, 'j'},
    {0x0261, 'g'}, {0x02B9, '\''}, {0x02BA, '"'}, {0x02BC, '\''}, {0x02C4, '^'}, {0x02C8, '\''},
    {0x02C9, 0xAF}, {0x02CA, 0xB4}, {0x02CB, '`'}, {0x02CD, '_'}, {0x02DA, 0xB0}, {0x0300, '`'},
    {0x0301, 0xB4}, {0x0302, '^'}, {0x0303, '~'}, {0x0304, 0xAF}, {0x0305, 0xAF}, {0x0308, 0xA8},
    {0x030A, 0xB0}, {0x030E, '"'}, {0x0327, 0xB8}, {0x0331, '_'}, {0x0332, '_'}, {0x037E, ';'},
    {0x0393, 'G'}, {0x0398, 'T'}, {0x03A3, 'S'}, {0x03A6, 'F'}, {0x03A9, 'O'}, {0x03B1, 'a'},
    {0x03B2, 0xDF}, {0x03B4, 'd'}, {0x03B5, 'e'}, {0x03BC, 0xB5}, {0x03C0, 'p'}, {0x03C3, 's'},
    {0x03C4, 't'}, {0x03C6, 'f'}, {0x04BB, 'h'}, {0x2000, ' '}, {0x2001, ' '}, {0x2002, ' '},
    {0x2003, ' '}, {0x2004, ' '}, {0x2005, ' '}, {0x2006, ' '}, {0x2010, '-'}, {0x2011, '-'},
    {0x2017, '='}, {0x2024, 0xB7}, {0x2032, '\''}, {0x2035, '`'}, {0x2044, '/'}, {0x2070, 0xB0},
    {0x2074, '4'}, {0x2075, '5'}, {0x2076, '6'}, {0x2077, '7'}, {0x2078, '8'}, {0x207F, 'n'},
    {0x2080, '0'}, {0x2081, '1'}, {0x2082, '2'}, {0x2083, '3'}, {0x2084, '4'}, {0x2085, '5'},
    {0x2086, '6'}, {0x2087, '7'}, {0x2088, '8'}, {0x2089, '9'}, {0x2102, 'C'}, {0x2107, 'E'},
    {0x212A, 'K'}, {0x212B, 0xC5}, {0x2205, 0xD8}, {0x2212, '-'}, {0x2213, 0xB1}, {0x2215, '/'},
    {0x2216, '\\'}, {0x2217, '*'}, {0x2219, 0xB7}, {0x221E, '8'}, {0x2223, '|'}, {0x2236, ':'},
    {0x223C, '~'}, {0x2248, 0x98}, {0x2261, '='}, {0x2264, '='}, {0x2265, '='}, {0x226A, 0xAB},
    {0x226B, 0xBB}, {0x22C5, 0xB7}, {0x2329, '<'}, {0x232A, '>'}, {0x3000, ' '}, {0x3008, '<'},
    {0x3009, '>'}, {0x300A, 0xAB}, {0x300B, 0xBB}, {0x30FB, 0xB7}};

bool BestFitByte(char16_t u, unsigned char* b) {
  if (u >= 0xFF01 && u <= 0xFF5E) {  // fullwidth ASCII
    *b = static_cast<unsigned char>(u - 0xFEE0);
    return true;
  }
  for (const BestFit& f : kBestFit) {
    if (f.unit == u) {
      *b = f.byte;
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

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int outCount,
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
    if (!UnitToByte(text[i], &b) && ((flags & kNoBestFit) != 0 || !BestFitByte(text[i], &b))) {
      b = static_cast<unsigned char>(fallback);
      if (usedDefault) *usedDefault = TRUE;
    }
    if (outCount != 0) out[i] = static_cast<char>(b);
  }
  return count;
}

}  // namespace ks::sys
