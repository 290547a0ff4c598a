#include "toolkit/KsFixedSizeOkCancelPopupWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

bool KsFixedSizeOkCancelPopupWnd::CreatePopup(KsWnd* owner, int, int, bool unowned, bool sizeGiven) {
  if (!KsOkCancelPopupWnd::CreatePopup(owner, 0, 0, unowned, false)) return false;
  KsFixedSizeLayout layout(GetContentWidth(), kMargin);
  KsWndDeleteProbe probe(this);
  FillContent(&layout);
  if (probe.IsDeleted() || !Exists()) return false;
  PlaceAndSize(layout.GetWidth(), layout.GetHeight() + BottomRowHeight());
  return true;
}
