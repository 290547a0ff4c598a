#include "toolkit/KsFixedSizeOkCancelPopupWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

bool KsFixedSizeOkCancelPopupWnd::CreatePopup(KsWnd* owner, int, int, bool unowned, bool sizeGiven) {
  if (!KsOkCancelPopupWnd::CreatePopup(owner, 0, 0, unowned, false)) return false;
  KsFixedSizeLayout layout(GetContentWidth(), kMargin);
  KsWndDeleteProbe probe(this);
  FillContent(&layout);
  if (probe.IsDeleted() || !Exists()) return false;
  // The layout measures the client area; the window adds its frame and caption.
  RECT window{}, client{};
  int frameWidth = 0, frameHeight = 0;
  if (GetWindowRect(&window) && GetClientRect(&client)) {
    frameWidth = (window.right - window.left) - (client.right - client.left);
    frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
  }
  PlaceAndSize(layout.GetWidth() + frameWidth, layout.GetHeight() + BottomRowHeight() + frameHeight);
  return true;
}
