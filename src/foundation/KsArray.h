#pragma once
// KsArray<T, ARG, flag>: the general array of values (records, rectangles,
// commands). It owns its elements; see KsCoreArray for the rules.

#include "foundation/KsCoreArray.h"

template <class T, class ARG = const T&, int flag = 0>
class KsArray : public KsCoreArray<T, ARG, flag> {
 public:
  using KsCoreArray<T, ARG, flag>::KsCoreArray;
};
