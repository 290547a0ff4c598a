// GDI of the simulated machine: each window's picture is a character grid
// (SysGdi.h says how each call draws into it). A window's device context is
// its handle, as BeginPaint answers; memory contexts and GDI objects are heap
// records whose addresses are their handles. One mutex guards all of it and is
// never held while calling into the window manager.

#include "platform/SysGdi.h"
#include "platform/sim/SimGdiControl.h"
#include "platform/sim/SimGdiInternal.h"
#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace ks::sim::detail {

using namespace ks::sys;

namespace {

enum class ObjectKind { Brush, Font, Bitmap };

struct GdiObject {
  ObjectKind kind = ObjectKind::Brush;
  COLORREF color = 0;
  LONG weight = FW_NORMAL;
  LONG width = 0;
  LONG height = 0;
  std::u16string name;  // a bitmap's: the file it was decoded from
  int selections = 0;   // contexts it is selected into
};

struct DcState {
  GdiObject* font = nullptr;
  GdiObject* bitmap = nullptr;  // memory contexts
  COLORREF textColor = 0;
  int bkMode = OPAQUE;
};

struct Surface {
  int columns = 0;
  int rows = 0;
  std::vector<SurfaceCell> cells;
};

struct Gdi {
  std::mutex mutex;
  std::map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
  std::map<std::uintptr_t, DcState> windowDcs;  // keyed by window handle
  std::map<std::uintptr_t, std::unique_ptr<DcState>> memoryDcs;
  std::map<std::uintptr_t, Surface> surfaces;
  std::string machine;  // the folder of the machine whose windows these are
};

Gdi& State() {
  static Gdi* gdi = new Gdi;  // outlives every static destructor that might still paint
  return *gdi;
}

std::uintptr_t Key(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

// What a context holds before anything is selected into it; selecting them back
// empties the slot.
char g_stockFont;
char g_stockBitmap;

GdiObject* FindObject(Gdi& gdi, HGDIOBJ object) {
  auto it = gdi.objects.find(Key(object));
  return it == gdi.objects.end() ? nullptr : it->second.get();
}

DcState* FindDc(Gdi& gdi, HDC dc) {
  if (auto it = gdi.memoryDcs.find(Key(dc)); it != gdi.memoryDcs.end()) return it->second.get();
  if (auto it = gdi.windowDcs.find(Key(dc)); it != gdi.windowDcs.end()) return &it->second;
  return nullptr;
}

// The context of a window, made when the window is alive. The client size is
// read before the lock is taken (the window manager has its own).
struct WindowTarget {
  bool valid = false;
  int columns = 0;
  int rows = 0;
};

WindowTarget ReadTarget(HDC dc) {
  WindowTarget target;
  HWND window = reinterpret_cast<HWND>(dc);
  RECT client{};
  if (!dc || !IsWindow(window) || !GetClientRect(window, &client)) return target;
  target.valid = true;
  target.columns = std::max<int>(0, (client.right + kCellWidth - 1) / kCellWidth);
  target.rows = std::max<int>(0, (client.bottom + kCellHeight - 1) / kCellHeight);
  return target;
}

// Window handles start again on another machine: what was kept for the old
// machine's windows must not show through in the new ones.
void ForgetOtherMachines(Gdi& gdi) {
  std::string folder = Machine() ? Machine()->folder : std::string();
  if (folder == gdi.machine) return;
  gdi.machine = folder;
  for (auto& [key, state] : gdi.windowDcs)
    if (state.font) --state.font->selections;
  gdi.windowDcs.clear();
  gdi.surfaces.clear();
}

// The surface of a window context, resized (and blanked) to the window's client size.
Surface* SurfaceFor(Gdi& gdi, HDC dc, const WindowTarget& target) {
  ForgetOtherMachines(gdi);
  if (!target.valid) return nullptr;
  if (!gdi.surfaces.count(Key(dc))) {
    // Windows that are gone leave their pictures behind: drop them when a new one starts.
    std::erase_if(gdi.surfaces, [](const auto& entry) { return !IsWindow(reinterpret_cast<HWND>(entry.first)); });
    std::erase_if(gdi.windowDcs, [](const auto& entry) { return !IsWindow(reinterpret_cast<HWND>(entry.first)); });
  }
  Surface& surface = gdi.surfaces[Key(dc)];
  if (surface.columns != target.columns || surface.rows != target.rows) {
    surface.columns = target.columns;
    surface.rows = target.rows;
    surface.cells.assign(std::size_t(target.columns) * std::size_t(target.rows), SurfaceCell{});
  }
  gdi.windowDcs.try_emplace(Key(dc));
  return &surface;
}

// Cells whose centres lie inside rect, as half-open column and row ranges.
struct CellRange {
  int left, top, right, bottom;
};

CellRange CellsOf(const RECT& rect, const Surface& surface) {
  auto first = [](LONG pixel, int cell) {
    // smallest c with c*cell + cell/2 >= pixel
    LONG c = pixel - cell / 2;
    return int(c >= 0 ? (c + cell - 1) / cell : -((-c) / cell));
  };
  CellRange range{first(rect.left, kCellWidth), first(rect.top, kCellHeight), first(rect.right, kCellWidth),
                  first(rect.bottom, kCellHeight)};
  range.left = std::clamp(range.left, 0, surface.columns);
  range.right = std::clamp(range.right, range.left, surface.columns);
  range.top = std::clamp(range.top, 0, surface.rows);
  range.bottom = std::clamp(range.bottom, range.top, surface.rows);
  return range;
}

// The row holding a vertical pixel position.
int RowOf(LONG y) { return int(y >= 0 ? y / kCellHeight : -1 - (-y - 1) / kCellHeight); }

void Put(Surface& surface, int column, int row, char16_t character, bool bold) {
  if (column < 0 || row < 0 || column >= surface.columns || row >= surface.rows) return;
  surface.cells[std::size_t(row) * std::size_t(surface.columns) + std::size_t(column)] = SurfaceCell{character, bold};
}

bool IsBold(const DcState& dc) { return dc.font && dc.font->weight >= 600; }

int Luminance(COLORREF color) {
  int red = int(color & 0xFF), green = int((color >> 8) & 0xFF), blue = int((color >> 16) & 0xFF);
  return (299 * red + 587 * green + 114 * blue) / 1000;
}

// Writes text from the cell at (x, y), skipping cells outside [clipLeft, clipRight).
void WriteText(Surface& surface, LONG x, LONG y, const std::u16string& text, bool bold, int clipLeft,
               int clipRight) {
  int row = RowOf(y + kCellHeight / 2);
  int column = int((x + kCellWidth / 2 >= 0) ? (x + kCellWidth / 2) / kCellWidth : -1);
  for (char16_t character : text) {
    if (column >= clipLeft && column < clipRight) Put(surface, column, row, character < u' ' ? u' ' : character, bold);
    ++column;
  }
}

std::u16string TextOf(const WCHAR* text, int count) {
  if (!text) return {};
  if (count < 0) return Span(text);
  return std::u16string(text, std::size_t(count));
}

}  // namespace

sys::HBITMAP MakeBitmap(int width, int height, const std::u16string& name) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto object = std::make_unique<GdiObject>();
  object->kind = ObjectKind::Bitmap;
  object->width = width;
  object->height = height;
  object->name = name;
  auto handle = reinterpret_cast<sys::HBITMAP>(object.get());
  gdi.objects.emplace(Key(handle), std::move(object));
  return handle;
}

}  // namespace ks::sim::detail

namespace ks::sim {
using namespace detail;

std::vector<std::vector<SurfaceCell>> ReadSurface(sys::HWND window) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  ForgetOtherMachines(gdi);
  std::vector<std::vector<SurfaceCell>> rows;
  auto it = gdi.surfaces.find(Key(window));
  if (it == gdi.surfaces.end()) return rows;
  const Surface& surface = it->second;
  for (int row = 0; row < surface.rows; ++row) {
    auto begin = surface.cells.begin() + std::ptrdiff_t(row) * surface.columns;
    rows.emplace_back(begin, begin + surface.columns);
  }
  return rows;
}

std::u16string SurfaceText(sys::HWND window) {
  std::u16string text;
  for (auto& row : ReadSurface(window)) {
    std::u16string line;
    for (auto& cell : row) line += cell.character;
    line.erase(line.find_last_not_of(u' ') + 1);
    text += line;
    text += u'\n';
  }
  return text;
}

}  // namespace ks::sim

namespace ks::sys {
using namespace ks::sim::detail;

HDC GetDC(HWND window) {
  HDC dc = reinterpret_cast<HDC>(window);
  WindowTarget target = ReadTarget(dc);
  if (!target.valid) return Fail(ERROR_INVALID_WINDOW_HANDLE), nullptr;
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  SurfaceFor(gdi, dc, target);
  return dc;
}

int ReleaseDC(HWND, HDC dc) { return dc ? 1 : 0; }

HDC CreateCompatibleDC(HDC) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto state = std::make_unique<DcState>();
  HDC dc = reinterpret_cast<HDC>(state.get());
  gdi.memoryDcs.emplace(Key(dc), std::move(state));
  return dc;
}

BOOL DeleteDC(HDC dc) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto it = gdi.memoryDcs.find(Key(dc));
  if (it == gdi.memoryDcs.end()) return Fail(ERROR_INVALID_HANDLE);
  if (it->second->font) --it->second->font->selections;
  if (it->second->bitmap) --it->second->bitmap->selections;
  gdi.memoryDcs.erase(it);
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto object = std::make_unique<GdiObject>();
  object->kind = ObjectKind::Brush;
  object->color = color;
  auto handle = reinterpret_cast<HBRUSH>(object.get());
  gdi.objects.emplace(Key(handle), std::move(object));
  return handle;
}

HFONT CreateFontIndirect(const LOGFONT* font) {
  if (!font) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto object = std::make_unique<GdiObject>();
  object->kind = ObjectKind::Font;
  object->weight = font->lfWeight ? font->lfWeight : FW_NORMAL;
  auto handle = reinterpret_cast<HFONT>(object.get());
  gdi.objects.emplace(Key(handle), std::move(object));
  return handle;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  SurfaceFor(gdi, dc, target);
  DcState* state = FindDc(gdi, dc);
  if (state && (object == &g_stockFont || object == &g_stockBitmap)) {
    GdiObject*& slot = object == &g_stockFont ? state->font : state->bitmap;
    GdiObject* old = std::exchange(slot, nullptr);
    if (old) --old->selections;
    return old ? static_cast<HGDIOBJ>(old) : object;
  }
  GdiObject* selected = FindObject(gdi, object);
  if (!state || !selected) return Fail(ERROR_INVALID_HANDLE), nullptr;
  GdiObject** slot = nullptr;
  if (selected->kind == ObjectKind::Font) slot = &state->font;
  else if (selected->kind == ObjectKind::Bitmap && gdi.memoryDcs.count(Key(dc))) slot = &state->bitmap;
  else if (selected->kind == ObjectKind::Brush) return object;  // brushes are passed to each call here
  if (!slot) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  GdiObject* old = *slot;
  if (old) --old->selections;
  ++selected->selections;
  *slot = selected;
  if (old) return old;
  return slot == &state->font ? static_cast<HGDIOBJ>(&g_stockFont) : static_cast<HGDIOBJ>(&g_stockBitmap);
}

BOOL DeleteObject(HGDIOBJ object) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  auto it = gdi.objects.find(Key(object));
  if (it == gdi.objects.end()) return Fail(ERROR_INVALID_HANDLE);
  if (it->second->selections > 0) return FALSE;
  gdi.objects.erase(it);
  return TRUE;
}

int GetObject(HGDIOBJ object, int size, void* buffer) {
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  GdiObject* found = FindObject(gdi, object);
  if (!found || found->kind != ObjectKind::Bitmap || size < int(sizeof(BITMAP)) || !buffer) return 0;
  *static_cast<BITMAP*>(buffer) = BITMAP{0, found->width, found->height, found->width * 4, 1, 32, nullptr};
  return int(sizeof(BITMAP));
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  SurfaceFor(gdi, dc, target);
  DcState* state = FindDc(gdi, dc);
  if (!state) return 0xFFFFFFFF;  // CLR_INVALID
  return std::exchange(state->textColor, color);
}

int SetBkMode(HDC dc, int mode) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  SurfaceFor(gdi, dc, target);
  DcState* state = FindDc(gdi, dc);
  if (!state || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(state->bkMode, mode);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, dc, target);
  GdiObject* fill = FindObject(gdi, brush);
  if (!rect || !fill || fill->kind != ObjectKind::Brush) return Fail(ERROR_INVALID_PARAMETER), 0;
  if (!surface) return gdi.memoryDcs.count(Key(dc)) ? 1 : (Fail(ERROR_INVALID_HANDLE), 0);
  char16_t character = Luminance(fill->color) < 128 ? u'#' : u' ';
  CellRange cells = CellsOf(*rect, *surface);
  for (int row = cells.top; row < cells.bottom; ++row)
    for (int column = cells.left; column < cells.right; ++column) Put(*surface, column, row, character, false);
  return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, dc, target);
  GdiObject* frame = FindObject(gdi, brush);
  if (!rect || !frame || frame->kind != ObjectKind::Brush) return Fail(ERROR_INVALID_PARAMETER), 0;
  if (!surface) return gdi.memoryDcs.count(Key(dc)) ? 1 : (Fail(ERROR_INVALID_HANDLE), 0);
  CellRange cells = CellsOf(*rect, *surface);
  if (cells.right - cells.left < 2 || cells.bottom <= cells.top) return 1;
  if (cells.bottom - cells.top < 3) {
    int row = RowOf((rect->top + rect->bottom) / 2);
    Put(*surface, cells.left, row, u'[', false);
    Put(*surface, cells.right - 1, row, u']', false);
    return 1;
  }
  for (int column = cells.left; column < cells.right; ++column) {
    Put(*surface, column, cells.top, u'-', false);
    Put(*surface, column, cells.bottom - 1, u'-', false);
  }
  for (int row = cells.top; row < cells.bottom; ++row) {
    Put(*surface, cells.left, row, u'|', false);
    Put(*surface, cells.right - 1, row, u'|', false);
  }
  for (int row : {cells.top, cells.bottom - 1}) {
    Put(*surface, cells.left, row, u'+', false);
    Put(*surface, cells.right - 1, row, u'+', false);
  }
  return 1;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, dc, target);
  if (!rect) return Fail(ERROR_INVALID_PARAMETER);
  if (!surface) return FindDc(gdi, dc) ? TRUE : Fail(ERROR_INVALID_HANDLE);
  CellRange cells = CellsOf(*rect, *surface);
  if (cells.right - cells.left < 2) return TRUE;
  int row = RowOf((rect->top + rect->bottom) / 2);
  Put(*surface, cells.left, row, u'>', false);
  Put(*surface, cells.right - 1, row, u'<', false);
  return TRUE;
}

BOOL TextOut(HDC dc, int x, int y, const WCHAR* text, int count) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, dc, target);
  DcState* state = FindDc(gdi, dc);
  if (!state) return Fail(ERROR_INVALID_HANDLE);
  if (!text || count < 0) return Fail(ERROR_INVALID_PARAMETER);
  if (surface) WriteText(*surface, x, y, TextOf(text, count), IsBold(*state), 0, surface->columns);
  return TRUE;
}

int DrawText(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, dc, target);
  DcState* state = FindDc(gdi, dc);
  if (!state) return Fail(ERROR_INVALID_HANDLE), 0;
  if (!text || !rect) return Fail(ERROR_INVALID_PARAMETER), 0;
  std::u16string all = TextOf(text, count);
  // Without DT_SINGLELINE a line feed (after an optional carriage return) starts a new line.
  std::vector<std::u16string> lines;
  if (format & DT_SINGLELINE) {
    lines.push_back(all);
  } else {
    std::size_t start = 0;
    for (;;) {
      std::size_t end = all.find(u'\n', start);
      std::u16string line = all.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      lines.push_back(line);
      if (end == std::u16string::npos) break;
      start = end + 1;
    }
  }
  LONG widest = 0;
  for (auto& line : lines) widest = std::max<LONG>(widest, LONG(line.size()) * kCellWidth);
  int height = int(lines.size()) * kCellHeight;
  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  if (!surface) return height;
  CellRange clip = CellsOf(*rect, *surface);
  if (format & DT_NOCLIP) clip = CellRange{0, 0, surface->columns, surface->rows};
  LONG y = rect->top;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = (rect->top + rect->bottom - kCellHeight) / 2;
  // Centred and right-aligned text is placed by whole cells within the cells the
  // rectangle covers, so it sits evenly between frame characters.
  CellRange span = CellsOf(*rect, *surface);
  for (auto& line : lines) {
    LONG x = rect->left;
    int cells = int(line.size());
    if (format & DT_CENTER) x = LONG(span.left + (span.right - span.left - cells) / 2) * kCellWidth;
    else if (format & DT_RIGHT) x = LONG(span.right - cells) * kCellWidth;
    // A line shows on the row holding its middle when that row overlaps the
    // rectangle: text placed between two rows still shows on one of them.
    int row = RowOf(y + kCellHeight / 2);
    bool inside = (format & DT_NOCLIP) ||
                  (LONG(row) * kCellHeight < rect->bottom && LONG(row + 1) * kCellHeight > rect->top);
    if (inside) WriteText(*surface, x, y, line, IsBold(*state), clip.left, clip.right);
    y += kCellHeight;
  }
  return height;
}

BOOL GetTextExtentPoint32(HDC dc, const WCHAR* text, int count, SIZE* size) {
  WindowTarget target = ReadTarget(dc);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  SurfaceFor(gdi, dc, target);
  if (!FindDc(gdi, dc)) return Fail(ERROR_INVALID_HANDLE);
  if (!size || (count > 0 && !text) || count < 0) return Fail(ERROR_INVALID_PARAMETER);
  *size = SIZE{LONG(count) * kCellWidth, kCellHeight};
  return TRUE;
}

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int, int, int, int, DWORD) {
  WindowTarget window = ReadTarget(target);
  Gdi& gdi = State();
  std::lock_guard lock(gdi.mutex);
  Surface* surface = SurfaceFor(gdi, target, window);
  auto it = gdi.memoryDcs.find(Key(source));
  if (it == gdi.memoryDcs.end() || !it->second->bitmap) return Fail(ERROR_INVALID_HANDLE);
  if (!surface) return FindDc(gdi, target) ? TRUE : Fail(ERROR_INVALID_HANDLE);
  RECT rect{x, y, x + width, y + height};
  CellRange cells = CellsOf(rect, *surface);
  if (cells.right - cells.left < 2 || cells.bottom - cells.top < 1) return TRUE;
  for (int row = cells.top; row < cells.bottom; ++row)
    for (int column = cells.left; column < cells.right; ++column) {
      bool edgeRow = row == cells.top || row == cells.bottom - 1;
      bool edgeColumn = column == cells.left || column == cells.right - 1;
      Put(*surface, column, row, edgeRow && edgeColumn ? u'+' : edgeRow ? u'-' : edgeColumn ? u'|' : u' ', false);
    }
  std::u16string name = it->second->bitmap->name;
  int inner = cells.right - cells.left - 2;
  if (int(name.size()) > inner) name.resize(std::size_t(std::max(0, inner)));
  int row = (cells.top + cells.bottom - 1) / 2;
  int column = cells.left + 1 + (inner - int(name.size())) / 2;
  for (char16_t character : name) Put(*surface, column++, row, character, false);
  return TRUE;
}

}  // namespace ks::sys
