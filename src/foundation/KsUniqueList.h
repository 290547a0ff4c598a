#pragma once
// KsUniqueList<K, ARGK>: a set of keys, each with an int. Owns its nodes.

#include "foundation/KsMap.h"

template <class K, class ARGK = K>
class KsUniqueList : public KsMap<K, ARGK, int, int, 0> {
 public:
  // True when key was new; its int is then value (an existing one is kept).
  bool Add(ARGK key, int value = 0) {
    bool inserted;
    auto* node = this->FindOrInsert(key, inserted);
    if (inserted) node->value = value;
    return inserted;
  }
};
