#pragma once
// Drawing: the GDI calls the toolkit paints with. On Windows they are the real
// GDI; the simulated machine gives every window a character grid (a cell is
// kCellWidth x kCellHeight pixels, every font measures one cell a character)
// that the same calls draw into, readable through SimGdiControl.h:
// - text goes to the cells its characters' centres fall in; bold fonts mark
//   their cells bold;
// - FillRect blanks the cells whose centres lie inside the rectangle, with '#'
//   for a dark brush (luminance below 128) and ' ' for a light one;
// - FrameRect draws a box of '+', '-' and '|' around a rectangle three cells
//   high or more, and '[' ... ']' on the middle row of a lower one;
// - DrawFocusRect marks the ends of the rectangle's middle row with '>' and '<';
// - a bitmap drawn with StretchBlt shows as a framed box with the bitmap's name.
// Device contexts of windows come from BeginPaint or GetDC.

#include "platform/SysWindow.h"

namespace ks::sys {

using COLORREF = DWORD;
using HGDIOBJ = void*;
using HFONT = struct KsFontHandle*;
using HBITMAP = struct KsBitmapHandle*;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

struct SIZE {
  LONG cx;
  LONG cy;
};

struct LOGFONT {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[32];
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SRCCOPY = 0x00CC0020;

// DrawText formats.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// Pixel size of a cell of the simulated machine's character grid.
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontIndirect(const LOGFONT* font);
// Answers the object it replaces in the context; null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// An object must not be deleted while selected into a context; the simulated
// machine refuses to.
BOOL DeleteObject(HGDIOBJ object);
// BITMAP for a bitmap; answers the bytes written, 0 on failure.
int GetObject(HGDIOBJ object, int size, void* buffer);

COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);

int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL DrawFocusRect(HDC dc, const RECT* rect);
BOOL TextOut(HDC dc, int x, int y, const WCHAR* text, int count);
// count -1: text ends with a null. Answers the text's height; with
// DT_CALCRECT only measures, widening or narrowing rect to the text.
int DrawText(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format);
BOOL GetTextExtentPoint32(HDC dc, const WCHAR* text, int count, SIZE* size);
BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);

}  // namespace ks::sys
