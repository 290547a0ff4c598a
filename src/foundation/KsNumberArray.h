#pragma once
// KsNumberArray<T>: an array of numbers or non-owning pointers, passed by value.
// Nothing is released with the elements.

#include "foundation/KsArray.h"

template <class T>
class KsNumberArray : public KsArray<T, T, 1> {
 public:
  using KsArray<T, T, 1>::KsArray;

  // Index of the first element equal to value, or -1.
  int Find(T value) const noexcept {
    for (int i = 0; i < this->m_size; ++i) {
      if (this->m_data[i] == value) return i;
    }
    return -1;
  }
};
