#include "foundation/CBlockDataContainer.h"

CBlockDataContainer::CBlockDataContainer(int minimumFree, int blockSize)
    : m_blockSize(blockSize), m_minimumFree(minimumFree) {}

CBlockDataContainer::~CBlockDataContainer() {
  for (Block* block : m_active) delete[] reinterpret_cast<std::byte*>(block);
  for (Block* block : m_retired) delete[] reinterpret_cast<std::byte*>(block);
}

void* CBlockDataContainer::Allocate(int n) {
  const auto size = static_cast<std::uint32_t>((n + kAlignment - 1) & ~(kAlignment - 1));
  Block* block = nullptr;
  for (int i = 0; i < m_active.GetSize();) {
    Block* candidate = m_active[i];
    if (candidate->free >= size) {
      block = candidate;
      break;
    }
    if (i >= kMaxScannedBlocks || candidate->free < static_cast<std::uint32_t>(m_minimumFree)) {
      m_retired.Add(candidate);
      m_active.RemoveAt(i);
    } else {
      ++i;
    }
  }
  if (block == nullptr) {
    const std::uint32_t capacity = size > static_cast<std::uint32_t>(m_blockSize) ? size : m_blockSize;
    auto* memory = new std::byte[sizeof(Block) + capacity + m_extraBytes];
    block = ::new (memory) Block{capacity, capacity};
    m_active.Add(block);
    ++m_blocksAllocated;
  }
  void* result = block->Data() + (block->capacity - block->free);
  block->free -= size;
  return result;
}

void CBlockDataContainer::Reset() {
  m_active.Append(m_retired);
  m_retired.RemoveAt(0, m_retired.GetSize());
  for (Block* block : m_active) block->free = block->capacity;
}
