#pragma once
// The window size that gives a window its client size, frame and caption added
// as its styles ask (nothing on the simulated machine, which draws no frames).

#include "toolkit/KsWnd.h"

inline void KsWindowSizeForClient(KsWnd* window, int* width, int* height) {
  ks::sys::RECT rect{0, 0, *width, *height};
  if (!ks::sys::AdjustWindowRectEx(&rect, window->GetStyle(), 0, window->GetExtendedStyle())) return;
  *width = int(rect.right - rect.left);
  *height = int(rect.bottom - rect.top);
}
