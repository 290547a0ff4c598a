#pragma once
// A KsWndPtr to a window of a known class: empties itself when the window is deleted.

#include "toolkit/KsWndPtr.h"

template <class Window>
class KsTypedWndPtr : public KsWndPtr {
 public:
  KsTypedWndPtr() = default;
  KsTypedWndPtr(Window* window) : KsWndPtr(window) {}  // NOLINT: as a plain pointer converts
  KsTypedWndPtr& operator=(Window* window) {
    Assign(window);
    return *this;
  }
  Window* Get() const { return static_cast<Window*>(KsWndPtr::Get()); }
  Window* operator->() const { return Get(); }
};
