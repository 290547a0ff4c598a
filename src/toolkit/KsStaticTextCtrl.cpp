#include "toolkit/KsStaticTextCtrl.h"

#include "toolkit/KsCanvas.h"

void KsStaticTextCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  canvas.SetBold(m_bold);
  canvas.DrawText(GetText(), client, ks::sys::DT_LEFT | ks::sys::DT_VCENTER);
}
