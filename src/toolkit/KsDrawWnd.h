#pragma once
// Painting of native windows: WM_PAINT calls OnPaint between BeginPaint and
// EndPaint, never re-entered, and not at all while painting is suppressed.

#include "toolkit/KsSystemWnd.h"

class KsDrawWnd : public KsSystemWnd {
 public:
  void SuppressPainting(bool suppress) { m_suppressPainting = suppress; }
  bool IsPainting() const { return m_painting; }
};
