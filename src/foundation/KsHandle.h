#pragma once
// One owning handle type: move-only, closes what it holds when it is
// destroyed or reset, and leaves the thread's last-error value as it found it,
// so a caller can read the error of the call that failed after cleanup. Each
// kind of handle is an alias naming its invalid value and how it closes.

#include <utility>

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysHandle.h"
#include "platform/SysModule.h"
#include "platform/SysRegistry.h"

template <class Traits>
class KsOwnedHandle {
 public:
  using Type = typename Traits::Type;

  KsOwnedHandle() noexcept = default;
  explicit KsOwnedHandle(Type handle) noexcept : m_handle(handle) {}
  KsOwnedHandle(KsOwnedHandle&& other) noexcept : m_handle(other.Release()) {}
  KsOwnedHandle& operator=(KsOwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  KsOwnedHandle(const KsOwnedHandle&) = delete;
  KsOwnedHandle& operator=(const KsOwnedHandle&) = delete;
  ~KsOwnedHandle() { Reset(); }

  Type Get() const noexcept { return m_handle; }
  bool IsValid() const noexcept { return m_handle != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Gives up ownership without closing.
  Type Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
  // Closes the current handle (if any) and takes the new one.
  void Reset(Type handle = Traits::Invalid()) noexcept {
    if (m_handle != Traits::Invalid() && m_handle != handle) {
      const ks::sys::DWORD error = ks::sys::GetLastError();
      Traits::Close(m_handle);
      ks::sys::SetLastError(error);
    }
    m_handle = handle;
  }
  // For calls that return a handle through a pointer: closes the current one.
  Type* Receive() noexcept {
    Reset();
    return &m_handle;
  }

 private:
  Type m_handle = Traits::Invalid();
};

struct KsKernelHandleTraits {  // processes, threads, events, mutexes, mappings
  using Type = ks::sys::HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { ks::sys::CloseHandle(handle); }
};

struct KsFileHandleTraits {  // CreateFile answers INVALID_HANDLE_VALUE on failure
  using Type = ks::sys::HANDLE;
  static Type Invalid() noexcept { return ks::sys::INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ks::sys::CloseHandle(handle); }
};

struct KsFindHandleTraits {
  using Type = ks::sys::HANDLE;
  static Type Invalid() noexcept { return ks::sys::INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ks::sys::FindClose(handle); }
};

struct KsRegKeyTraits {
  using Type = ks::sys::HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type key) noexcept { ks::sys::RegCloseKey(key); }
};

struct KsModuleTraits {
  using Type = ks::sys::HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type module) noexcept { ks::sys::FreeLibrary(module); }
};

using KsHandle = KsOwnedHandle<KsKernelHandleTraits>;
using KsFileHandle = KsOwnedHandle<KsFileHandleTraits>;
using KsFindHandle = KsOwnedHandle<KsFindHandleTraits>;
using KsRegKey = KsOwnedHandle<KsRegKeyTraits>;
using KsModule = KsOwnedHandle<KsModuleTraits>;
