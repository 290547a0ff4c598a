// The simulated machine's picture of a window: how each GDI call draws into
// the character grid (8 x 16 pixels a cell).

#include "WindowTestSupport.h"

#include "platform/SysGdi.h"
#include "platform/sim/SimGdiControl.h"

#include <functional>

using namespace ks::sys;

namespace {

class SimGdi : public WindowTest {
 protected:
  // Draws into a fresh 80 x 48 pixel window (10 x 3 cells) and answers its grid.
  std::u16string Draw(const std::function<void(HDC)>& paint) {
    HWND window = Create(u"Grid", nullptr, 0, 0, 80, 48, WS_VISIBLE);
    HDC dc = GetDC(window);
    paint(dc);
    ReleaseDC(window, dc);
    std::u16string text = ks::sim::SurfaceText(window);
    DestroyWindow(window);
    return text;
  }
};

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST_F(SimGdi, CallsDrawIntoTheGrid) {
  HBRUSH dark = CreateSolidBrush(RGB(0, 0, 0)), light = CreateSolidBrush(RGB(250, 250, 250));
  struct Case {
    const char* name;
    std::function<void(HDC)> paint;
    const char16_t* grid;
  } cases[] = {
      {"text at a cell", [](HDC dc) { TextOut(dc, 16, 16, u"Hi", 2); }, u"\n  Hi\n\n"},
      {"text between cells goes to the nearest", [](HDC dc) { TextOut(dc, 13, 23, u"Hi", 2); }, u"\n  Hi\n\n"},
      {"DrawText centred and clipped",
       [](HDC dc) {
         RECT rect{0, 16, 48, 32};
         DrawText(dc, u"abcdefgh", 8, &rect, DT_CENTER | DT_SINGLELINE);
       },
       u"\nbcdefg\n\n"},
      {"DrawText lines", [](HDC dc) {
         RECT rect{0, 0, 80, 48};
         DrawText(dc, u"one\r\ntwo", -1, &rect, DT_LEFT);
       },
       u"one\ntwo\n\n"},
      {"dark fill", [&](HDC dc) {
         RECT rect{8, 0, 32, 32};
         FillRect(dc, &rect, dark);
       },
       u" ###\n ###\n\n"},
      {"light fill blanks", [&](HDC dc) {
         TextOut(dc, 0, 0, u"xxxx", 4);
         RECT rect{8, 0, 24, 16};
         FillRect(dc, &rect, light);
       },
       u"x  x\n\n\n"},
      {"low frame", [&](HDC dc) {
         RECT rect{0, 8, 40, 31};
         FrameRect(dc, &rect, dark);
       },
       u"\n[   ]\n\n"},
      {"box frame", [&](HDC dc) {
         RECT rect{0, 0, 40, 48};
         FrameRect(dc, &rect, dark);
       },
       u"+---+\n|   |\n+---+\n"},
      {"focus frame", [&](HDC dc) {
         RECT rect{8, 16, 48, 32};
         DrawFocusRect(dc, &rect);
       },
       u"\n >   <\n\n"},
      {"nothing outside the window", [](HDC dc) { TextOut(dc, 72, 32, u"long text", 9); }, u"\n\n         l\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Narrow(Draw(c.paint)), Narrow(c.grid));
  }
  DeleteObject(dark);
  DeleteObject(light);
}

// A bold font marks the cells of its text.
TEST_F(SimGdi, BoldFontMarksItsCells) {
  HWND window = Create(u"Grid", nullptr, 0, 0, 80, 16, WS_VISIBLE);
  HDC dc = GetDC(window);
  LOGFONT description{};
  description.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirect(&description);
  TextOut(dc, 0, 0, u"a", 1);
  HGDIOBJ old = SelectObject(dc, bold);
  TextOut(dc, 8, 0, u"b", 1);
  EXPECT_FALSE(DeleteObject(bold)) << "still selected";
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(bold));
  auto rows = ks::sim::ReadSurface(window);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_FALSE(rows[0][0].bold);
  EXPECT_TRUE(rows[0][1].bold);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

}  // namespace
