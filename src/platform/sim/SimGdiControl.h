#pragma once
// The simulated machine's picture of a window: its character grid, as the GDI
// calls of SysGdi.h left it.

#include "platform/SysWindow.h"

#include <string>
#include <vector>

namespace ks::sim {

struct SurfaceCell {
  char16_t character = u' ';
  bool bold = false;
};

// Rows of the window's grid (client size in cells); empty when nothing was
// ever drawn into the window or it is gone.
std::vector<std::vector<SurfaceCell>> ReadSurface(sys::HWND window);
// The grid as text, one line a row, trailing blanks cut.
std::u16string SurfaceText(sys::HWND window);

}  // namespace ks::sim
