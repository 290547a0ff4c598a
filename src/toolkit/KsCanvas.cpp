#include "toolkit/KsCanvas.h"

using namespace ks::sys;

namespace {

// Deletes a brush made for one call.
class ScopedBrush {
 public:
  explicit ScopedBrush(COLORREF color) : m_brush(CreateSolidBrush(color)) {}
  ~ScopedBrush() {
    if (m_brush) DeleteObject(m_brush);
  }
  ScopedBrush(const ScopedBrush&) = delete;
  ScopedBrush& operator=(const ScopedBrush&) = delete;
  HBRUSH Get() const { return m_brush; }

 private:
  HBRUSH m_brush;
};

}  // namespace

KsCanvas::KsCanvas(HDC dc) : m_dc(dc) {
  if (!m_dc) return;
  SetBkMode(m_dc, TRANSPARENT);
  ks::sys::SetTextColor(m_dc, kTextColor);
  if (HFONT font = Font(false)) m_originalFont = SelectObject(m_dc, font);
}

KsCanvas::~KsCanvas() {
  if (m_dc && m_originalFont) SelectObject(m_dc, m_originalFont);
  for (HFONT font : m_fonts)
    if (font) DeleteObject(font);
}

HFONT KsCanvas::Font(bool bold) {
  HFONT& font = m_fonts[bold ? 1 : 0];
  if (!font) {
    LOGFONT description{};
    description.lfHeight = -11;  // 8 points at 96 dots an inch
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = 1;  // DEFAULT_CHARSET
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) description.lfFaceName[i] = face[i];
    font = CreateFontIndirect(&description);
  }
  return font;
}

RECT KsCanvas::Moved(const RECT& rect) const {
  return RECT{rect.left + m_originX, rect.top + m_originY, rect.right + m_originX, rect.bottom + m_originY};
}

void KsCanvas::Fill(const RECT& rect, COLORREF color) {
  ScopedBrush brush(color);
  RECT moved = Moved(rect);
  if (brush.Get()) FillRect(m_dc, &moved, brush.Get());
}

void KsCanvas::Frame(const RECT& rect, COLORREF color) {
  ScopedBrush brush(color);
  RECT moved = Moved(rect);
  if (brush.Get()) FrameRect(m_dc, &moved, brush.Get());
}

void KsCanvas::FocusFrame(const RECT& rect) {
  RECT moved = Moved(rect);
  DrawFocusRect(m_dc, &moved);
}

void KsCanvas::SetBold(bool bold) {
  if (bold == m_bold) return;
  if (HFONT font = Font(bold)) {
    SelectObject(m_dc, font);
    m_bold = bold;
  }
}

void KsCanvas::SetTextColor(COLORREF color) { ks::sys::SetTextColor(m_dc, color); }

void KsCanvas::DrawText(const KsChar* text, int count, const RECT& rect, UINT format) {
  RECT moved = Moved(rect);
  ks::sys::DrawText(m_dc, text, count, &moved, format | DT_NOPREFIX | DT_SINGLELINE);
}

void KsCanvas::TextOut(int x, int y, const KsChar* text, int count) {
  ks::sys::TextOut(m_dc, x + m_originX, y + m_originY, text, count);
}

int KsCanvas::TextWidth(const KsChar* text, int count) {
  SIZE size{};
  if (count <= 0 || !GetTextExtentPoint32(m_dc, text, count, &size)) return 0;
  return int(size.cx);
}

int KsCanvas::LineHeight() {
  if (!m_lineHeight) {
    SIZE size{};
    m_lineHeight = GetTextExtentPoint32(m_dc, u"Mg", 2, &size) ? int(size.cy) : kCellHeight;
  }
  return m_lineHeight;
}

void KsCanvas::DrawBitmap(HBITMAP bitmap, const RECT& rect) {
  BITMAP info{};
  if (!bitmap || !GetObject(bitmap, sizeof info, &info)) return;
  HDC memory = CreateCompatibleDC(m_dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT moved = Moved(rect);
  StretchBlt(m_dc, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, memory, 0, 0,
             info.bmWidth, info.bmHeight, SRCCOPY);
  if (old) SelectObject(memory, old);
  DeleteDC(memory);
}
