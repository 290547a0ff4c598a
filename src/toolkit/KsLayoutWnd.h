#pragma once
// Layout of a window's content: LayOut() places the content in the client
// area; a window calls it when its size changes.

#include "toolkit/KsCoreWnd.h"

class KsLayoutWnd : public KsCoreWnd {
 public:
  virtual void LayOut() {}
};
