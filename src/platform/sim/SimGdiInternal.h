#pragma once
// Between the simulated machine's GDI and its picture decoding.

#include "platform/SysGdi.h"

#include <string>

namespace ks::sim::detail {

// A bitmap GDI object of the size, named for the grid (the pixels are not kept:
// the grid shows a bitmap as a box with its name).
sys::HBITMAP MakeBitmap(int width, int height, const std::u16string& name);

}  // namespace ks::sim::detail
