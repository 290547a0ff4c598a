#pragma once
// KsStringMap<V, ARGV, flag>: a map from text to V that ignores case: keys
// are stored as KsString, looked up as character pointers (null is empty
// text), hashed and compared after folding each code unit. Owns its nodes,
// keys and values; see KsMap.

#include <cstdint>

#include "foundation/KsMap.h"
#include "foundation/KsString.h"

// h = h * 65599 + fold(c) over the code units; null text hashes to 0.
inline std::uint32_t KsStringHashNoCase(const KsChar* text) noexcept {
  std::uint32_t hash = 0;
  if (text == nullptr) return hash;
  const KsStringGlobals& globals = KsStringGlobals::Instance();
  for (; *text != 0; ++text) hash = hash * 65599u + globals.Fold(*text);
  return hash;
}

// The string manager's case-insensitive equality; null is empty text.
inline bool KsStringEqualsNoCase(const KsChar* a, const KsChar* b) noexcept {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return (a == nullptr ? *b : *a) == 0;
  const KsStringGlobals& globals = KsStringGlobals::Instance();
  for (;; ++a, ++b) {
    const KsChar ca = *a;
    const KsChar cb = *b;
    if (ca != cb && globals.Fold(ca) != globals.Fold(cb)) return false;
    if (ca == 0) return true;
  }
}

template <class V, class ARGV = const V&, int flag = 0>
class KsStringMap : public KsMap<KsString, const KsChar*, V, ARGV, flag> {
 protected:
  std::uint32_t Hash(const KsChar* key) const override { return KsStringHashNoCase(key); }
  bool KeysEqual(const KsString& a, const KsChar* b) const override { return KsStringEqualsNoCase(a.Chars(), b); }
};
