#pragma once
// IKsQSortCompare<T>: the order KsQSort sorts by. Compare answers more than 0
// when a must come after b, 0 when they are equal, less than 0 otherwise.

template <class T>
class IKsQSortCompare {
 public:
  virtual int Compare(const T* a, const T* b) = 0;

 protected:
  ~IKsQSortCompare() = default;
};
