// The GDI calls of the seam as Windows documents them: objects made and
// deleted, text measured the same way by DrawText and GetTextExtentPoint32,
// and drawing calls that refuse bad arguments.

#include "WindowTestSupport.h"

#include "platform/SysError.h"
#include "platform/SysGdi.h"

using namespace ks::sys;

namespace {

class GdiContract : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window = Create(u"Gdi", nullptr, 10, 10, 320, 200, WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
  }
  void TearDown() override {
    if (dc) {
      EXPECT_EQ(ReleaseDC(window, dc), 1);
    }
    if (window) DestroyWindow(window);
    WindowTest::TearDown();
  }
  HFONT MakeFont(LONG weight) {
    LOGFONT description{};
    description.lfHeight = -11;
    description.lfWeight = weight;
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) description.lfFaceName[i] = face[i];
    return CreateFontIndirect(&description);
  }
  HWND window = nullptr;
  HDC dc = nullptr;
};

TEST_F(GdiContract, ObjectsAreMadeSelectedAndDeletedOnce) {
  HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
  ASSERT_NE(brush, nullptr);
  HFONT font = MakeFont(FW_BOLD);
  ASSERT_NE(font, nullptr);
  HGDIOBJ original = SelectObject(dc, font);
  ASSERT_NE(original, nullptr);
  EXPECT_EQ(SelectObject(dc, original), static_cast<HGDIOBJ>(font));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));

  HDC memory = CreateCompatibleDC(dc);
  ASSERT_NE(memory, nullptr);
  EXPECT_TRUE(DeleteDC(memory));
}

// DT_CALCRECT measures what GetTextExtentPoint32 measures; a bold font is no narrower.
TEST_F(GdiContract, TextIsMeasuredAlike) {
  HFONT regular = MakeFont(FW_NORMAL), bold = MakeFont(FW_BOLD);
  HGDIOBJ original = SelectObject(dc, regular);
  const char16_t* texts[] = {u"OK", u"Install to:", u"Program Files"};
  for (const char16_t* text : texts) {
    SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
    int length = int(std::char_traits<char16_t>::length(text));
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32(dc, text, length, &size));
    EXPECT_GT(size.cx, 0);
    EXPECT_GT(size.cy, 0);
    RECT rect{5, 7, 5, 7};
    int height = DrawText(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(rect.right - rect.left, size.cx);
    EXPECT_EQ(height, rect.bottom - rect.top);
    EXPECT_EQ(rect.left, 5);
    SelectObject(dc, bold);
    SIZE boldSize{};
    ASSERT_TRUE(GetTextExtentPoint32(dc, text, length, &boldSize));
    EXPECT_GE(boldSize.cx, size.cx);
    SelectObject(dc, regular);
  }
  // Longer text is wider; no text has no width.
  SIZE shorter{}, longer{}, none{};
  GetTextExtentPoint32(dc, u"Cancel", 3, &shorter);
  GetTextExtentPoint32(dc, u"Cancel", 6, &longer);
  EXPECT_LT(shorter.cx, longer.cx);
  ASSERT_TRUE(GetTextExtentPoint32(dc, u"", 0, &none));
  EXPECT_EQ(none.cx, 0);
  SelectObject(dc, original);
  DeleteObject(regular);
  DeleteObject(bold);
}

// Drawing on a window's context succeeds; measuring without a context fails.
TEST_F(GdiContract, DrawingNeedsAContext) {
  RECT rect{0, 0, 50, 20};
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
  EXPECT_NE(FillRect(dc, &rect, brush), 0);
  EXPECT_NE(FrameRect(dc, &rect, brush), 0);
  EXPECT_TRUE(DrawFocusRect(dc, &rect));
  EXPECT_TRUE(TextOut(dc, 0, 0, u"x", 1));
  SIZE size{};
  EXPECT_FALSE(GetTextExtentPoint32(nullptr, u"x", 1, &size));
  DeleteObject(brush);
}

}  // namespace
