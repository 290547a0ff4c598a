#pragma once
// What controls paint on: a device context of the window being painted, with
// an origin (so each control draws in its own client coordinates), a regular
// and a bold font, and the few drawing operations the controls need. It draws
// through the GDI calls of the seam, so the same code paints real pixels on
// Windows and the character grid of the simulated machine. The canvas owns
// the fonts and brushes it makes and gives the context its font back.

#include "foundation/KsString.h"
#include "platform/SysGdi.h"

class KsCanvas {
 public:
  using COLORREF = ks::sys::COLORREF;
  using RECT = ks::sys::RECT;

  static constexpr COLORREF kFaceColor = ks::sys::RGB(240, 240, 240);
  static constexpr COLORREF kFieldColor = ks::sys::RGB(255, 255, 255);
  static constexpr COLORREF kTextColor = ks::sys::RGB(0, 0, 0);
  static constexpr COLORREF kDisabledTextColor = ks::sys::RGB(140, 140, 140);
  static constexpr COLORREF kFrameColor = ks::sys::RGB(112, 112, 112);
  static constexpr COLORREF kBarColor = ks::sys::RGB(6, 150, 37);

  explicit KsCanvas(ks::sys::HDC dc);
  ~KsCanvas();
  KsCanvas(const KsCanvas&) = delete;
  KsCanvas& operator=(const KsCanvas&) = delete;

  ks::sys::HDC GetDC() const { return m_dc; }
  // Where (0, 0) of the following calls lies in the context.
  void SetOrigin(int x, int y) {
    m_originX = x;
    m_originY = y;
  }

  void Fill(const RECT& rect, COLORREF color);
  void Frame(const RECT& rect, COLORREF color);
  void FocusFrame(const RECT& rect);
  void SetBold(bool bold);
  bool IsBold() const { return m_bold; }
  void SetTextColor(COLORREF color);
  // One line of text placed in rect by DT_ flags (DT_NOPREFIX is implied), clipped to it.
  void DrawText(const KsChar* text, int count, const RECT& rect, ks::sys::UINT format);
  void DrawText(const KsString& text, const RECT& rect, ks::sys::UINT format) {
    DrawText(text, text.GetLength(), rect, format);
  }
  void TextOut(int x, int y, const KsChar* text, int count);
  int TextWidth(const KsChar* text, int count);
  int TextWidth(const KsString& text) { return TextWidth(text, text.GetLength()); }
  int LineHeight();
  // The bitmap stretched into rect.
  void DrawBitmap(ks::sys::HBITMAP bitmap, const RECT& rect);

 private:
  RECT Moved(const RECT& rect) const;
  ks::sys::HFONT Font(bool bold);

  ks::sys::HDC m_dc;
  int m_originX = 0;
  int m_originY = 0;
  bool m_bold = false;
  ks::sys::HFONT m_fonts[2] = {nullptr, nullptr};
  ks::sys::HGDIOBJ m_originalFont = nullptr;
  int m_lineHeight = 0;
};
