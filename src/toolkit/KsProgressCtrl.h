#pragma once
// A progress bar: a position within a range, drawn as a filled part of a
// frame. Its text is the percentage done ("40%").

#include "toolkit/KsControlWnd.h"

class KsProgressCtrl : public KsControlWnd {
 public:
  // A range below 1 counts as 1; the position is kept inside the range.
  void SetRange(int range);
  void SetPosition(int position);
  int GetPosition() const { return m_position; }
  int GetRange() const { return m_range; }
  int GetPercent() const;

  KsString GetText() override;
  const KsChar* GetRole() override { return u"progress"; }
  void Paint(KsCanvas& canvas) override;

 private:
  int m_range = 100;
  int m_position = 0;
};
