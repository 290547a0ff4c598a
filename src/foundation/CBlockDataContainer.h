#pragma once
// CBlockDataContainer: a node pool. Hands out memory from large blocks and
// never frees a single allocation; Reset makes every block's memory available
// again (the caller must have destroyed what it placed there), and the
// destructor releases all blocks. Allocations are 8-byte aligned.

#include <cstdint>

#include "foundation/KsPointerArray.h"

class CBlockDataContainer {
 public:
  static constexpr int kDefaultBlockSize = 65536;
  static constexpr int kAlignment = 8;
  // A scan retires a block that cannot serve a request when it sits beyond this position.
  static constexpr int kMaxScannedBlocks = 8;

  // Blocks with less free room than minimumFree are retired from the scan.
  explicit CBlockDataContainer(int minimumFree, int blockSize = kDefaultBlockSize);
  CBlockDataContainer(const CBlockDataContainer&) = delete;
  CBlockDataContainer& operator=(const CBlockDataContainer&) = delete;
  virtual ~CBlockDataContainer();

  // n bytes (rounded up to the alignment), from the first active block with
  // room, else from a new block of max(block size, n) bytes.
  void* Allocate(int n);
  // Every block becomes active again with all its bytes free.
  void Reset();

  int GetActiveBlockCount() const noexcept { return m_active.GetSize(); }
  int GetRetiredBlockCount() const noexcept { return m_retired.GetSize(); }
  // Blocks allocated over the pool's life (for tests and diagnostics).
  int GetBlocksAllocated() const noexcept { return m_blocksAllocated; }

 private:
  struct Block {
    std::uint32_t capacity;  // bytes of data
    std::uint32_t free;      // bytes not yet handed out, at the end of the data
    std::byte* Data() noexcept { return reinterpret_cast<std::byte*>(this + 1); }
  };
  static_assert(sizeof(Block) % kAlignment == 0);

  std::int32_t m_blockSize;
  std::int32_t m_minimumFree;
  std::int32_t m_extraBytes = 0;
  KsPointerArray<Block> m_active;
  KsPointerArray<Block> m_retired;
  int m_blocksAllocated = 0;
};
