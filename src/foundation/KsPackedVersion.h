#pragma once
// Four-part versions packed into one unsigned 64-bit value, major first, so
// that two versions compare as plain integers.

#include <cstdint>

#include "foundation/KsString.h"

using KsPackedVersion = std::uint64_t;

constexpr KsPackedVersion KsPackVersion(unsigned major, unsigned minor, unsigned build, unsigned revision) {
  return (static_cast<KsPackedVersion>(major & 0xFFFF) << 48) | (static_cast<KsPackedVersion>(minor & 0xFFFF) << 32) |
         (static_cast<KsPackedVersion>(build & 0xFFFF) << 16) | static_cast<KsPackedVersion>(revision & 0xFFFF);
}

// "1.2.3.4" (or resource-style "1,2,3,4" when the text has no ".") to a packed
// version. Missing parts are 0, parts beyond the fourth are ignored, and each
// part keeps the low 16 bits of its integer value.
KsPackedVersion ParseVersion(const KsChar* text);
