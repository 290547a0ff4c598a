#pragma once
// KsStringHashBase: a fingerprint standing for a text without storing it: the
// case-insensitive map hash and a CRC-32 of the folded text. Two texts that
// differ only in case have the same fingerprint.

#include <cstdint>

#include "foundation/KsStringGlobals.h"

struct KsStringHashBase {
  std::uint32_t hash = 0;  // h * 65599 + fold(c), as KsStringMap hashes
  std::uint32_t crc = 0;   // CRC-32 (reflected 0xEDB88320) of the folded units, low byte first

  KsStringHashBase() = default;
  explicit KsStringHashBase(const KsChar* text) noexcept;

  std::uint32_t Hash() const noexcept { return hash; }
  bool operator==(const KsStringHashBase& other) const noexcept = default;
};
