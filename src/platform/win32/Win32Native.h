#pragma once
// Private to the win32 backend: the real API and the casts between the seam's
// types and its own. Include it after the seam headers: <windows.h> defines
// macros (CP_ACP, TRUE, ERROR_SUCCESS, CreateFile, ...) that share names with
// the seam's declarations.

#include "platform/SysTypes.h"

#include <windows.h>

namespace ks::sys::win32 {

static_assert(sizeof(wchar_t) == sizeof(WCHAR), "the seam's UTF-16 text is passed to the W functions as wchar_t");
static_assert(sizeof(::DWORD) == sizeof(DWORD) && sizeof(::LONG) == sizeof(LONG) && sizeof(::BOOL) == sizeof(BOOL));

inline const wchar_t* Wide(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(WCHAR* text) { return reinterpret_cast<wchar_t*>(text); }
inline WCHAR* Seam(wchar_t* text) { return reinterpret_cast<WCHAR*>(text); }

// DWORD is unsigned long on Windows and std::uint32_t in the seam: same size,
// different types, so out-parameters go through this.
class DwordOut {
 public:
  explicit DwordOut(DWORD* target) : m_target(target), m_value(target ? *target : 0) {}
  ~DwordOut() {
    if (m_target) *m_target = static_cast<DWORD>(m_value);
  }
  DwordOut(const DwordOut&) = delete;
  DwordOut& operator=(const DwordOut&) = delete;
  ::DWORD* get() { return m_target ? &m_value : nullptr; }

 private:
  DWORD* m_target;
  ::DWORD m_value;
};

// Same layout, different declarations (the seam's own and the SDK's).
template <typename Native, typename Ours>
Native* As(Ours* ours) {
  static_assert(sizeof(Native) == sizeof(Ours) && alignof(Native) == alignof(Ours));
  return reinterpret_cast<Native*>(ours);
}
template <typename Native, typename Ours>
const Native* As(const Ours* ours) {
  static_assert(sizeof(Native) == sizeof(Ours) && alignof(Native) == alignof(Ours));
  return reinterpret_cast<const Native*>(ours);
}

}  // namespace ks::sys::win32
