#pragma once
// Reading and writing the version resource of PE files (Windows programs and
// modules). The reader bounds-checks everything: any byte string is safe input.
// The writer makes the smallest PE32 image Windows accepts as a data file,
// holding one VS_VERSIONINFO resource: test fixtures of a given version.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ks::pe {

// Finds the RT_VERSION resource: its offset and length inside image. false
// when image is no PE file (*isPe false) or has no version resource.
bool FindVersionResource(const std::uint8_t* image, std::size_t size, std::size_t* offset, std::size_t* length,
                         bool* isPe);

struct VersionSpec {
  std::uint16_t fileVersion[4] = {1, 0, 0, 0};
  std::uint16_t productVersion[4] = {1, 0, 0, 0};
  // StringFileInfo entries of the 040904b0 table, for example {"ProductName", "Auralis"}.
  std::vector<std::pair<std::u16string, std::u16string>> strings;
  bool dll = true;
};

// The VS_VERSIONINFO block alone, as GetFileVersionInfo returns it.
std::vector<std::uint8_t> BuildVersionInfo(const VersionSpec& fixture);
// A whole PE image carrying that block.
std::vector<std::uint8_t> BuildImageWithVersion(const VersionSpec& fixture);

}  // namespace ks::pe
