#pragma once
// KsStringCRCUniqueList: a case-insensitive set of texts kept as fingerprints
// (KsStringHashBase), each with an int; the texts themselves are not stored.
// Nodes come from a pool from construction on. Two different texts with the
// same fingerprint count as one.

#include "foundation/KsMap.h"
#include "foundation/KsStringHashBase.h"

class KsStringCRCUniqueList : public KsMap<KsStringHashBase, KsStringHashBase, int, int, 0> {
 public:
  KsStringCRCUniqueList() { EnablePool(); }

  // True when text was new; its int is then value (an existing one is kept).
  bool Add(const KsChar* text, int value = 0) {
    bool inserted;
    Node* node = FindOrInsert(KsStringHashBase(text), inserted);
    if (inserted) node->value = value;
    return inserted;
  }
  bool ContainsText(const KsChar* text) const { return Contains(KsStringHashBase(text)); }

 protected:
  std::uint32_t Hash(KsStringHashBase key) const override { return key.hash; }
  bool KeysEqual(const KsStringHashBase& a, KsStringHashBase b) const override { return a == b; }
};
