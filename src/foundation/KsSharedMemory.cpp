#include "foundation/KsSharedMemory.h"

#include <utility>

#include "foundation/KsTools.h"
#include "platform/SysError.h"
#include "platform/SysSync.h"

namespace {
constexpr const KsChar* kLogTag = u"KsSharedMemory";
}  // namespace

KsSharedMemory::KsSharedMemory(KsSharedMemory&& other) noexcept
    : m_mapping(std::move(other.m_mapping)),
      m_view(std::exchange(other.m_view, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_existed(std::exchange(other.m_existed, false)) {}

KsSharedMemory& KsSharedMemory::operator=(KsSharedMemory&& other) noexcept {
  if (this != &other) {
    Close();
    m_mapping = std::move(other.m_mapping);
    m_view = std::exchange(other.m_view, nullptr);
    m_size = std::exchange(other.m_size, 0);
    m_existed = std::exchange(other.m_existed, false);
  }
  return *this;
}

bool KsSharedMemory::Create(const KsChar* name, std::size_t size) {
  Close();
  const auto high = static_cast<ks::sys::DWORD>(static_cast<std::uint64_t>(size) >> 32);
  const auto low = static_cast<ks::sys::DWORD>(size & 0xFFFFFFFFu);
  m_mapping.Reset(ks::sys::CreateFileMapping(ks::sys::INVALID_HANDLE_VALUE, nullptr, ks::sys::PAGE_READWRITE, high,
                                             low, name));
  if (!m_mapping) {
    KsLogFormat(kKsLogError, kLogTag, u"CreateFileMapping %s (%d bytes) failed (error %d)", name,
                static_cast<std::int64_t>(size), ks::sys::GetLastError());
    return false;
  }
  m_existed = ks::sys::GetLastError() == ks::sys::ERROR_ALREADY_EXISTS;
  return MapView(name, size, u"CreateFileMapping");
}

bool KsSharedMemory::Open(const KsChar* name, std::size_t size) {
  Close();
  m_mapping.Reset(ks::sys::OpenFileMapping(ks::sys::FILE_MAP_READ | ks::sys::FILE_MAP_WRITE, ks::sys::FALSE, name));
  if (!m_mapping) {
    KsLogFormat(kKsLogError, kLogTag, u"OpenFileMapping %s failed (error %d)", name, ks::sys::GetLastError());
    return false;
  }
  m_existed = true;
  return MapView(name, size, u"OpenFileMapping");
}

bool KsSharedMemory::MapView(const KsChar* name, std::size_t size, const KsChar* operation) {
  m_view = ks::sys::MapViewOfFile(m_mapping.Get(), ks::sys::FILE_MAP_READ | ks::sys::FILE_MAP_WRITE, 0, 0, size);
  if (m_view == nullptr) {
    KsLogFormat(kKsLogError, kLogTag, u"MapViewOfFile %s after %s failed (error %d)", name, operation,
                ks::sys::GetLastError());
    m_mapping.Reset();
    m_existed = false;
    return false;
  }
  m_size = size;
  return true;
}

void KsSharedMemory::Close() noexcept {
  if (m_view != nullptr) ks::sys::UnmapViewOfFile(m_view);
  m_view = nullptr;
  m_size = 0;
  m_existed = false;
  m_mapping.Reset();
}
