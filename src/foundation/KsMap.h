#pragma once
// KsMap<K, ARGK, V, ARGV, flag>: a chained hash map from K to V that owns its
// nodes, keys and values. Keys are passed in as ARGK and values as ARGV. At
// most about two entries share a bucket: the table is rebuilt as it fills.
// Hash and KeysEqual default to the key's own value (numbers, pointers);
// string maps override them. flag is not used by the map itself. A lookup of
// a missing key returns null; removing a missing key changes nothing.

#include <cstdint>
#include <new>
#include <type_traits>

#include "foundation/CBlockDataContainer.h"
#include "foundation/KsMapBase.h"

template <class K, class ARGK, class V, class ARGV, int flag = 0>
class KsMap : public KsMapBase {
 public:
  struct Node : KsMapNodeLink {
    K key;
    V value;
    explicit Node(ARGK k) : KsMapNodeLink{nullptr}, key(k), value() {}
    Node* Next() const noexcept { return static_cast<Node*>(next); }
  };
  static_assert(alignof(Node) <= CBlockDataContainer::kAlignment, "pooled nodes are 8-byte aligned");

  KsMap() = default;
  ~KsMap() override { RemoveAll(); }

  Node* Lookup(ARGK key) const {
    if (m_bucketCount <= 0) return nullptr;
    for (KsMapNodeLink* node = m_buckets[Hash(key) % static_cast<std::uint32_t>(m_bucketCount)]; node != nullptr;
         node = node->next) {
      if (KeysEqual(static_cast<Node*>(node)->key, key)) return static_cast<Node*>(node);
    }
    return nullptr;
  }
  bool Contains(ARGK key) const { return Lookup(key) != nullptr; }

  // The node of key; a new node (with a default value) when there was none,
  // which sets inserted.
  Node* FindOrInsert(ARGK key, bool& inserted) {
    const std::uint32_t hash = Hash(key);
    KsMapNodeLink** link = nullptr;
    if (m_bucketCount > 0) {
      link = &m_buckets[hash % static_cast<std::uint32_t>(m_bucketCount)];
      for (; *link != nullptr; link = &(*link)->next) {
        if (KeysEqual(static_cast<Node*>(*link)->key, key)) {
          inserted = false;
          return static_cast<Node*>(*link);
        }
      }
    }
    inserted = true;
    if (m_bucketCount < 1 || 2 * static_cast<std::int64_t>(m_bucketCount) + 2 < m_count + 1) {
      Rebuild(m_count + 1, false);
      link = &m_buckets[hash % static_cast<std::uint32_t>(m_bucketCount)];
      while (*link != nullptr) link = &(*link)->next;
    }
    Node* node = NewNode(key);
    *link = node;
    ++m_count;
    return node;
  }
  Node* FindOrInsert(ARGK key) {
    bool inserted;
    return FindOrInsert(key, inserted);
  }

  void SetAt(ARGK key, ARGV value) { FindOrInsert(key)->value = value; }

  // False when the key was not there.
  bool RemoveKey(ARGK key) {
    if (m_bucketCount <= 0) return false;
    KsMapNodeLink** link = &m_buckets[Hash(key) % static_cast<std::uint32_t>(m_bucketCount)];
    for (; *link != nullptr; link = &(*link)->next) {
      KsMapNodeLink* node = *link;
      if (KeysEqual(static_cast<Node*>(node)->key, key)) {
        *link = node->next;
        FreeNode(node);
        --m_count;
        return true;
      }
    }
    return false;
  }

  // Iteration in bucket order, then along each chain:
  //   KsMapPosition position;
  //   for (auto* node = map.GetFirst(position); node; node = map.GetNext(position)) ...
  // Inserting or removing during iteration invalidates the position.
  Node* GetFirst(KsMapPosition& position) const noexcept { return static_cast<Node*>(FirstFrom(position, 0)); }
  Node* GetNext(KsMapPosition& position) const noexcept {
    if (position.node == nullptr) return nullptr;
    if (position.node->next != nullptr) {
      position.node = position.node->next;
      return static_cast<Node*>(position.node);
    }
    return static_cast<Node*>(FirstFrom(position, position.bucket + 1));
  }

 protected:
  void FreeNode(KsMapNodeLink* node) override { DestroyNode(static_cast<Node*>(node), true); }
  std::uint32_t BucketOf(const KsMapNodeLink* node) const override {
    return Hash(static_cast<const Node*>(node)->key) % static_cast<std::uint32_t>(m_bucketCount);
  }
  int NodeSize() const override { return static_cast<int>(sizeof(Node)); }

  virtual std::uint32_t Hash(ARGK key) const {
    if constexpr (std::is_pointer_v<std::remove_cvref_t<ARGK>>) {
      return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    } else if constexpr (std::is_class_v<std::remove_cvref_t<ARGK>>) {
      return key.Hash();  // record keys bring their own
    } else {
      return static_cast<std::uint32_t>(key);
    }
  }
  virtual bool KeysEqual(const K& a, ARGK b) const { return a == b; }
  // With free set, destroys the key and value and gives the memory back (to
  // the pool, when there is one, until its next reset).
  virtual void DestroyNode(Node* node, bool free) {
    if (!free) return;
    node->~Node();
    if (m_pool == nullptr) ::operator delete(static_cast<void*>(node));
  }
  virtual Node* NewNode(ARGK key) {
    void* memory = m_pool != nullptr ? m_pool->Allocate(NodeSize()) : ::operator new(sizeof(Node));
    return ::new (memory) Node(key);
  }
};
