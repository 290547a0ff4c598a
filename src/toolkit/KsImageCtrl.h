#pragma once
// A picture from a PNG or JPEG file, stretched to the control's rectangle. Its
// text is the file's path; a file that cannot be decoded leaves the control
// empty (and logged).

#include "toolkit/KsControlWnd.h"

#include "platform/SysGdi.h"

class KsImageCtrl : public KsControlWnd {
 public:
  ~KsImageCtrl() override;

  // false when the file cannot be read or decoded; the old picture is gone either way.
  bool LoadFile(const KsChar* path);
  bool HasPicture() const { return m_bitmap != nullptr; }
  // The picture's own size; 0 by 0 without one.
  void GetPictureSize(int* width, int* height);

  const KsChar* GetRole() override { return u"image"; }
  void Paint(KsCanvas& canvas) override;

 private:
  void Free();

  ks::sys::HBITMAP m_bitmap = nullptr;
};
