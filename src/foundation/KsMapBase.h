#pragma once
// KsMapBase: the hash table of the map family: entry count, bucket array and
// an optional node pool, all owned. Chains are singly linked; the bucket count
// is 0 before the first insertion and 2^k - 1 afterwards. Key and value
// handling lives in KsMap; a derived map's destructor must call RemoveAll,
// since the node operations are out of reach here.

#include <cstdint>

class CBlockDataContainer;

// The link every node starts with; the key and value follow it.
struct KsMapNodeLink {
  KsMapNodeLink* next;
};

// An iteration position: a bucket index and a node in its chain.
struct KsMapPosition {
  std::int32_t bucket = -1;
  KsMapNodeLink* node = nullptr;
};

class KsMapBase {
 public:
  KsMapBase(const KsMapBase&) = delete;
  KsMapBase& operator=(const KsMapBase&) = delete;
  virtual ~KsMapBase();

  int GetCount() const noexcept { return m_count; }
  bool IsEmpty() const noexcept { return m_count == 0; }
  int GetBucketCount() const noexcept { return m_bucketCount; }
  bool HasPool() const noexcept { return m_pool != nullptr; }
  const CBlockDataContainer* GetPool() const noexcept { return m_pool; }

  // Frees every node; the bucket array stays. A pool is reset, so the next
  // insertions reuse its memory.
  void RemoveAll();
  // Sizes the table for n entries (20% more with slack), keeping the entries.
  void InitHashTable(int n, bool withSlack = true) { Rebuild(n, withSlack); }
  // Clears the map and from then on takes nodes from a pool.
  void EnablePool();

 protected:
  KsMapBase() = default;

  virtual void FreeNode(KsMapNodeLink* node) = 0;
  virtual std::uint32_t BucketOf(const KsMapNodeLink* node) const = 0;
  virtual int NodeSize() const = 0;

  // Replaces the bucket array by one for n entries and relinks every node at
  // the head of its new chain.
  void Rebuild(int n, bool withSlack);
  // First node from the bucket at position.bucket on (ascending), or null.
  KsMapNodeLink* FirstFrom(KsMapPosition& position, int bucket) const noexcept;

  std::int32_t m_count = 0;
  std::int32_t m_bucketCount = 0;
  CBlockDataContainer* m_pool = nullptr;
  KsMapNodeLink** m_buckets = nullptr;
};
