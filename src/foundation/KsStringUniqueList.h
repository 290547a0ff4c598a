#pragma once
// KsStringUniqueList: a case-insensitive set of texts, each with an int.
// Owns its nodes and key strings.

#include "foundation/KsStringMap.h"

class KsStringUniqueList : public KsStringMap<int, int, 0> {
 public:
  // True when text was new; its int is then value (an existing one is kept).
  bool Add(const KsChar* text, int value = 0) {
    bool inserted;
    Node* node = FindOrInsert(text, inserted);
    if (inserted) node->value = value;
    return inserted;
  }
};
