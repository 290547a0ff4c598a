// GDI: forwarders to the real API. The seam's structures have the layouts of
// the Windows ones (checked below).

#include "platform/SysGdi.h"

#include <windows.h>

#undef CreateFontIndirect
#undef GetObject
#undef TextOut
#undef DrawText
#undef GetTextExtentPoint32
#undef RGB
#undef TRANSPARENT
#undef OPAQUE
#undef SRCCOPY

namespace ks::sys {
namespace {

static_assert(sizeof(SIZE) == sizeof(::SIZE));
static_assert(sizeof(LOGFONT) == sizeof(::LOGFONTW));
static_assert(sizeof(BITMAP) == sizeof(::BITMAP) && offsetof(BITMAP, bmBits) == offsetof(::BITMAP, bmBits));

::HDC Native(HDC dc) { return reinterpret_cast<::HDC>(dc); }
HDC Ours(::HDC dc) { return reinterpret_cast<HDC>(dc); }
::HWND Native(HWND window) { return reinterpret_cast<::HWND>(window); }
const ::RECT* Native(const RECT* rect) { return reinterpret_cast<const ::RECT*>(rect); }
::RECT* Native(RECT* rect) { return reinterpret_cast<::RECT*>(rect); }
const wchar_t* Wide(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

HDC GetDC(HWND window) { return Ours(::GetDC(Native(window))); }
int ReleaseDC(HWND window, HDC dc) { return ::ReleaseDC(Native(window), Native(dc)); }
HDC CreateCompatibleDC(HDC dc) { return Ours(::CreateCompatibleDC(Native(dc))); }
BOOL DeleteDC(HDC dc) { return ::DeleteDC(Native(dc)); }

HBRUSH CreateSolidBrush(COLORREF color) { return reinterpret_cast<HBRUSH>(::CreateSolidBrush(color)); }
HFONT CreateFontIndirect(const LOGFONT* font) {
  return reinterpret_cast<HFONT>(::CreateFontIndirectW(reinterpret_cast<const ::LOGFONTW*>(font)));
}
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return ::SelectObject(Native(dc), static_cast<::HGDIOBJ>(object)); }
BOOL DeleteObject(HGDIOBJ object) { return ::DeleteObject(static_cast<::HGDIOBJ>(object)); }
int GetObject(HGDIOBJ object, int size, void* buffer) { return ::GetObjectW(static_cast<::HGDIOBJ>(object), size, buffer); }

COLORREF SetTextColor(HDC dc, COLORREF color) { return ::SetTextColor(Native(dc), color); }
int SetBkMode(HDC dc, int mode) { return ::SetBkMode(Native(dc), mode); }

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  return ::FillRect(Native(dc), Native(rect), reinterpret_cast<::HBRUSH>(brush));
}
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  return ::FrameRect(Native(dc), Native(rect), reinterpret_cast<::HBRUSH>(brush));
}
BOOL DrawFocusRect(HDC dc, const RECT* rect) { return ::DrawFocusRect(Native(dc), Native(rect)); }
BOOL TextOut(HDC dc, int x, int y, const WCHAR* text, int count) {
  return ::TextOutW(Native(dc), x, y, Wide(text), count);
}
int DrawText(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format) {
  return ::DrawTextW(Native(dc), Wide(text), count, Native(rect), format);
}
BOOL GetTextExtentPoint32(HDC dc, const WCHAR* text, int count, SIZE* size) {
  return ::GetTextExtentPoint32W(Native(dc), Wide(text), count, reinterpret_cast<::SIZE*>(size));
}
BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop) {
  ::SetStretchBltMode(Native(target), HALFTONE);
  return ::StretchBlt(Native(target), x, y, width, height, Native(source), sourceX, sourceY, sourceWidth,
                      sourceHeight, rop);
}

}  // namespace ks::sys
