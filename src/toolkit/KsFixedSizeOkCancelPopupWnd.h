#pragma once
// An OK/Cancel popup whose size follows its content: FillContent places the
// controls into a layout of the content width, and the popup takes the
// height that results plus the button row.

#include "toolkit/KsFixedSizeLayout.h"
#include "toolkit/KsOkCancelPopupWnd.h"

class KsFixedSizeOkCancelPopupWnd : public KsOkCancelPopupWnd {
 public:
  virtual void FillContent(KsFixedSizeLayout* layout) {}
  virtual int GetContentWidth() { return 320; }

  bool CreatePopup(KsWnd* owner, int width, int height, bool unowned, bool sizeGiven) override;
};
