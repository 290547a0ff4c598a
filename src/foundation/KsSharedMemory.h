#pragma once
// KsSharedMemory: a named block of memory on the paging file, shared by every
// process that opens the same name. The object owns the mapping and its view
// and releases both when it is closed or destroyed; a failed open leaves it
// closed, with the reason logged.

#include <cstddef>

#include "foundation/KsHandle.h"
#include "foundation/KsString.h"

class KsSharedMemory {
 public:
  KsSharedMemory() = default;
  KsSharedMemory(KsSharedMemory&& other) noexcept;
  KsSharedMemory& operator=(KsSharedMemory&& other) noexcept;
  KsSharedMemory(const KsSharedMemory&) = delete;
  KsSharedMemory& operator=(const KsSharedMemory&) = delete;
  ~KsSharedMemory() { Close(); }

  // Creates the block, or opens it when it exists already (AlreadyExisted then
  // tells). A new block starts zeroed.
  bool Create(const KsChar* name, std::size_t size);
  // Opens an existing block; fails when nobody created it.
  bool Open(const KsChar* name, std::size_t size);
  void Close() noexcept;

  bool IsOpen() const noexcept { return m_view != nullptr; }
  bool AlreadyExisted() const noexcept { return m_existed; }
  void* GetData() const noexcept { return m_view; }
  std::size_t GetSize() const noexcept { return m_size; }

 private:
  bool MapView(const KsChar* name, std::size_t size, const KsChar* operation);

  KsHandle m_mapping;
  void* m_view = nullptr;
  std::size_t m_size = 0;
  bool m_existed = false;
};
