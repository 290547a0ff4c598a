#include "toolkit/KsImageCtrl.h"

#include "toolkit/KsCanvas.h"

#include "foundation/KsTools.h"
#include "platform/SysError.h"
#include "platform/SysImage.h"

using namespace ks::sys;

KsImageCtrl::~KsImageCtrl() { Free(); }

void KsImageCtrl::Free() {
  if (m_bitmap) DeleteObject(m_bitmap);
  m_bitmap = nullptr;
}

bool KsImageCtrl::LoadFile(const KsChar* path) {
  Free();
  SetText(path ? path : u"");
  if (!path || !*path) return false;
  m_bitmap = LoadImageFile(path);
  if (!m_bitmap) {
    KsLogFormat(1, u"Image", u"Cannot show the picture %s (error %u)", path, unsigned(GetLastError()));
    return false;
  }
  Invalidate();
  return true;
}

void KsImageCtrl::GetPictureSize(int* width, int* height) {
  BITMAP info{};
  bool known = m_bitmap && GetObject(m_bitmap, sizeof info, &info);
  *width = known ? int(info.bmWidth) : 0;
  *height = known ? int(info.bmHeight < 0 ? -info.bmHeight : info.bmHeight) : 0;
}

void KsImageCtrl::Paint(KsCanvas& canvas) {
  if (!m_bitmap) return;
  RECT client{};
  GetClientRect(&client);
  canvas.DrawBitmap(m_bitmap, client);
}
