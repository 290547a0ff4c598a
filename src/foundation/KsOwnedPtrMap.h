#pragma once
// KsOwnedPtrMap<K, ARGK, V, flag>: a map from K to objects it owns while its
// owns flag (set at construction) is set. Removing a key, clearing, replacing
// a value with SetAt and destroying the map delete the objects dropped; with
// the flag cleared they stay with the caller. Not copyable.

#include "foundation/KsMap.h"

template <class K, class ARGK, class V, int flag = 1>
class KsOwnedPtrMap : public KsMap<K, ARGK, V*, V*, flag> {
  using Base = KsMap<K, ARGK, V*, V*, flag>;

 public:
  using Node = typename Base::Node;

  explicit KsOwnedPtrMap(bool owns = true) : m_owns(owns) {}
  ~KsOwnedPtrMap() override { this->RemoveAll(); }

  bool GetOwns() const noexcept { return m_owns; }
  void SetOwns(bool owns) noexcept { m_owns = owns; }

  // Stores object under key; an object it replaces is deleted (when owned).
  void SetAt(ARGK key, V* object) {
    Node* node = this->FindOrInsert(key);
    if (node->value == object) return;
    V* old = node->value;
    node->value = object;
    if (m_owns) delete old;
  }

 protected:
  void DestroyNode(Node* node, bool free) override {
    if (m_owns) {
      V* object = node->value;
      node->value = nullptr;
      delete object;
    }
    Base::DestroyNode(node, free);
  }

 private:
  bool m_owns;
};
