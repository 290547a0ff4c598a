#pragma once
// A line of plain text, left-aligned and vertically centred in its rectangle.

#include "toolkit/KsControlWnd.h"

class KsStaticTextCtrl : public KsControlWnd {
 public:
  const KsChar* GetRole() override { return u"text"; }
  void Paint(KsCanvas& canvas) override;
  void SetBold(bool bold) { m_bold = bold; }

 private:
  bool m_bold = false;
};
