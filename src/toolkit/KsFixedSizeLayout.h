#pragma once
// Stacks controls from the top of a fixed-width area, a margin from the left,
// each as tall as asked; the area grows to hold them.

#include "toolkit/KsWnd.h"

class KsFixedSizeLayout {
 public:
  KsFixedSizeLayout(int width, int margin) : m_width(width), m_margin(margin), m_height(margin) {}

  // Places control below the previous one at the full content width.
  void AddRow(KsWnd* control, int height) {
    control->MoveAndSize(ks::sys::RECT{m_margin, m_height, m_margin + m_width, m_height + height});
    m_height += height + m_margin;
  }
  int GetWidth() const { return m_width + 2 * m_margin; }
  int GetHeight() const { return m_height; }

 private:
  int m_width;
  int m_margin;
  int m_height;
};
