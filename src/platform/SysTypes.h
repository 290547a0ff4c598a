#pragma once
// Win32-shaped basic types and error codes of the platform seam. Our own
// declarations: the values are those of the Windows API.

#include <cstdint>

namespace ks::sys {

using BOOL = int;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using WCHAR = char16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

}  // namespace ks::sys
