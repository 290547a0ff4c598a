#pragma once
// KsStringToOwnedPtrMap<V>: a case-insensitive map from text to objects it
// owns while its owns flag is set; keys as in KsStringMap, ownership as in
// KsOwnedPtrMap.

#include "foundation/KsOwnedPtrMap.h"
#include "foundation/KsStringMap.h"

template <class V>
class KsStringToOwnedPtrMap : public KsOwnedPtrMap<KsString, const KsChar*, V, 1> {
 public:
  using KsOwnedPtrMap<KsString, const KsChar*, V, 1>::KsOwnedPtrMap;

 protected:
  std::uint32_t Hash(const KsChar* key) const override { return KsStringHashNoCase(key); }
  bool KeysEqual(const KsString& a, const KsChar* b) const override { return KsStringEqualsNoCase(a.Chars(), b); }
};
