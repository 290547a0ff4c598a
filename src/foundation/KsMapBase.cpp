#include "foundation/KsMapBase.h"

#include <cstring>

#include "foundation/CBlockDataContainer.h"

KsMapBase::~KsMapBase() {
  delete[] m_buckets;
  delete m_pool;
}

void KsMapBase::RemoveAll() {
  for (int i = 0; i < m_bucketCount; ++i) {
    KsMapNodeLink* node = m_buckets[i];
    m_buckets[i] = nullptr;
    while (node != nullptr) {
      KsMapNodeLink* next = node->next;
      FreeNode(node);
      node = next;
    }
  }
  m_count = 0;
  if (m_pool != nullptr) m_pool->Reset();
}

void KsMapBase::EnablePool() {
  RemoveAll();
  if (m_pool == nullptr) m_pool = new CBlockDataContainer(NodeSize());
}

void KsMapBase::Rebuild(int n, bool withSlack) {
  const std::int64_t target = withSlack ? static_cast<std::int64_t>(n) * 120 / 100 : n;
  std::int64_t size = 8;
  while (size <= target) size *= 2;
  const auto bucketCount = static_cast<std::int32_t>(size - 1);

  KsMapNodeLink** old = m_buckets;
  const int oldCount = m_bucketCount;
  m_buckets = new KsMapNodeLink*[bucketCount];
  std::memset(m_buckets, 0, sizeof(KsMapNodeLink*) * static_cast<size_t>(bucketCount));
  m_bucketCount = bucketCount;
  for (int i = 0; i < oldCount; ++i) {
    for (KsMapNodeLink* node = old[i]; node != nullptr;) {
      KsMapNodeLink* next = node->next;
      const std::uint32_t bucket = BucketOf(node);
      node->next = m_buckets[bucket];
      m_buckets[bucket] = node;
      node = next;
    }
  }
  delete[] old;
}

KsMapNodeLink* KsMapBase::FirstFrom(KsMapPosition& position, int bucket) const noexcept {
  for (; bucket < m_bucketCount; ++bucket) {
    if (m_buckets[bucket] != nullptr) {
      position.bucket = bucket;
      position.node = m_buckets[bucket];
      return position.node;
    }
  }
  position = KsMapPosition{};
  return nullptr;
}
