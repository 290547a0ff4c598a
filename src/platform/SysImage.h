#pragma once
// Picture files: a PNG or JPEG file decoded into a 32-bit bitmap (the Windows
// Imaging Component on Windows; libpng and libjpeg on the simulated machine,
// whose grid shows the bitmap as a framed box with the file's name). The
// bitmap is a GDI object: draw it with StretchBlt from a memory context, size
// it with GetObject, free it with DeleteObject.

#include "platform/SysGdi.h"

namespace ks::sys {

constexpr DWORD ERROR_INVALID_DATA = 13;

// Null on failure, with the last error: the file's own error when it cannot be
// read, ERROR_INVALID_DATA when it is no PNG or JPEG or is damaged.
HBITMAP LoadImageFile(const WCHAR* path);

}  // namespace ks::sys
