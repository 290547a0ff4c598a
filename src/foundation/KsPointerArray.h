#pragma once
// KsPointerArray<T>: an array of pointers it does not own; nothing is deleted
// with the array.

#include "foundation/KsNumberArray.h"

template <class T>
class KsPointerArray : public KsNumberArray<T*> {
 public:
  using KsNumberArray<T*>::KsNumberArray;
};
