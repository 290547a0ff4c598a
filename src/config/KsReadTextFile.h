#pragma once
// KsReadTextFile: reads a whole local file and decodes it with the encoding
// detection of DecodeText (byte-order marks, UTF-16/32 by zero bytes, UTF-8 when
// valid, else the ANSI code page). False, with text untouched, when the file
// cannot be read. Paths go through the platform seam (the simulated machine on the host).

#include "foundation/KsString.h"

bool KsReadTextFile(const KsChar* path, KsString& text);
