#include "foundation/KsStringHashBase.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

KsStringHashBase::KsStringHashBase(const KsChar* text) noexcept {
  if (text == nullptr) return;
  const KsStringGlobals& globals = KsStringGlobals::Instance();
  std::uint32_t crc32 = 0xFFFFFFFFu;
  for (; *text != 0; ++text) {
    const KsChar c = globals.Fold(*text);
    hash = hash * 65599u + c;
    crc32 = kCrcTable[(crc32 ^ (c & 0xFF)) & 0xFF] ^ (crc32 >> 8);
    crc32 = kCrcTable[(crc32 ^ (c >> 8)) & 0xFF] ^ (crc32 >> 8);
  }
  crc = ~crc32;
}
