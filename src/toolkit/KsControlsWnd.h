#pragma once
// A native window hosting windowless controls (KsControlWnd), which it feeds
// the mouse events under their rectangles.

#include "toolkit/KsDrawWnd.h"

class KsControlsWnd : public KsDrawWnd {};
