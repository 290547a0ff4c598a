// PE resource walking and a minimal PE writer for version fixtures.

#include "platform/PeImage.h"

#include <cstring>

namespace ks::pe {
namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::size_t kMaxDepthEntries = 4096;

bool Read16(const std::uint8_t* image, std::size_t size, std::size_t at, std::uint32_t* value) {
  if (at > size || size - at < 2) return false;
  *value = std::uint32_t(image[at]) | (std::uint32_t(image[at + 1]) << 8);
  return true;
}

bool Read32(const std::uint8_t* image, std::size_t size, std::size_t at, std::uint32_t* value) {
  if (at > size || size - at < 4) return false;
  *value = std::uint32_t(image[at]) | (std::uint32_t(image[at + 1]) << 8) | (std::uint32_t(image[at + 2]) << 16) |
           (std::uint32_t(image[at + 3]) << 24);
  return true;
}

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawSize, rawPointer;
};

bool RvaToOffset(const std::vector<Section>& sections, std::uint32_t rva, std::size_t* offset) {
  for (auto& s : sections) {
    std::uint32_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
      std::uint32_t delta = rva - s.virtualAddress;
      if (delta >= s.rawSize) return false;
      *offset = std::size_t(s.rawPointer) + delta;
      return true;
    }
  }
  return false;
}

// Entry of a resource directory: the one with id (or the first when id is 0).
bool FindEntry(const std::uint8_t* image, std::size_t size, std::size_t base, std::size_t directory, std::uint32_t id,
               std::uint32_t* target) {
  std::uint32_t named, ids;
  if (!Read16(image, size, base + directory + 12, &named) || !Read16(image, size, base + directory + 14, &ids))
    return false;
  std::size_t count = std::size_t(named) + ids;
  if (count > kMaxDepthEntries) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t name, data;
    std::size_t entry = base + directory + 16 + i * 8;
    if (!Read32(image, size, entry, &name) || !Read32(image, size, entry + 4, &data)) return false;
    if (id == 0 || (!(name & 0x80000000u) && name == id)) {
      *target = data;
      return true;
    }
  }
  return false;
}

void Put16(std::vector<std::uint8_t>* out, std::size_t at, std::uint32_t value) {
  (*out)[at] = std::uint8_t(value);
  (*out)[at + 1] = std::uint8_t(value >> 8);
}

void Put32(std::vector<std::uint8_t>* out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*out)[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

void Align(std::vector<std::uint8_t>* out, std::size_t alignment) {
  while (out->size() % alignment) out->push_back(0);
}

// One node of a version block: wLength, wValueLength, wType, key, value, children.
std::vector<std::uint8_t> Node(const std::u16string& key, bool text, const std::vector<std::uint8_t>& value,
                               std::uint32_t valueLength, const std::vector<std::uint8_t>& children) {
  std::vector<std::uint8_t> out(6, 0);
  for (char16_t c : key) out.push_back(std::uint8_t(c)), out.push_back(std::uint8_t(c >> 8));
  out.push_back(0);
  out.push_back(0);
  Align(&out, 4);
  out.insert(out.end(), value.begin(), value.end());
  if (!children.empty()) {
    Align(&out, 4);
    out.insert(out.end(), children.begin(), children.end());
  }
  Put16(&out, 0, std::uint32_t(out.size()));
  Put16(&out, 2, valueLength);
  Put16(&out, 4, text ? 1 : 0);
  return out;
}

void Append(std::vector<std::uint8_t>* out, const std::vector<std::uint8_t>& node) {
  Align(out, 4);
  out->insert(out->end(), node.begin(), node.end());
}

}  // namespace

bool FindVersionResource(const std::uint8_t* image, std::size_t size, std::size_t* offset, std::size_t* length,
                         bool* isPe) {
  *isPe = false;
  std::uint32_t peOffset, signature, sectionCount, optionalSize, magic;
  if (size < 64 || image[0] != 'M' || image[1] != 'Z' || !Read32(image, size, 0x3C, &peOffset) ||
      !Read32(image, size, peOffset, &signature) || signature != 0x00004550)
    return false;
  const std::size_t coff = std::size_t(peOffset) + 4;
  if (!Read16(image, size, coff + 2, &sectionCount) || !Read16(image, size, coff + 16, &optionalSize)) return false;
  const std::size_t optional = coff + 20;
  if (!Read16(image, size, optional, &magic) || (magic != 0x10B && magic != 0x20B)) return false;
  *isPe = true;
  const std::size_t directories = optional + (magic == 0x10B ? 96 : 112);
  std::uint32_t directoryCount, resourceRva, resourceSize;
  if (!Read32(image, size, directories - 4, &directoryCount) || directoryCount < 3 ||
      !Read32(image, size, directories + 16, &resourceRva) || !Read32(image, size, directories + 20, &resourceSize) ||
      resourceRva == 0)
    return false;
  std::vector<Section> sections;
  const std::size_t table = optional + optionalSize;
  if (sectionCount > 96) return false;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    Section s{};
    std::size_t at = table + i * 40;
    if (!Read32(image, size, at + 8, &s.virtualSize) || !Read32(image, size, at + 12, &s.virtualAddress) ||
        !Read32(image, size, at + 16, &s.rawSize) || !Read32(image, size, at + 20, &s.rawPointer))
      return false;
    sections.push_back(s);
  }
  std::size_t base;
  if (!RvaToOffset(sections, resourceRva, &base)) return false;
  std::uint32_t level;
  if (!FindEntry(image, size, base, 0, kRtVersion, &level) || !(level & 0x80000000u)) return false;
  if (!FindEntry(image, size, base, level & 0x7FFFFFFF, 0, &level) || !(level & 0x80000000u)) return false;
  if (!FindEntry(image, size, base, level & 0x7FFFFFFF, 0, &level) || (level & 0x80000000u)) return false;
  std::uint32_t dataRva, dataSize;
  if (!Read32(image, size, base + level, &dataRva) || !Read32(image, size, base + level + 4, &dataSize)) return false;
  std::size_t dataOffset;
  if (!RvaToOffset(sections, dataRva, &dataOffset) || dataOffset > size || size - dataOffset < dataSize ||
      dataSize < 6)
    return false;
  std::uint32_t blockLength = 0;
  Read16(image, size, dataOffset, &blockLength);
  if (blockLength < 6 || blockLength > dataSize) return false;
  *offset = dataOffset;
  *length = blockLength;
  return true;
}

std::vector<std::uint8_t> BuildVersionInfo(const VersionSpec& fixture) {
  std::vector<std::uint8_t> fixed(52, 0);
  auto pack = [](const std::uint16_t v[4], std::uint32_t* high, std::uint32_t* low) {
    *high = (std::uint32_t(v[0]) << 16) | v[1];
    *low = (std::uint32_t(v[2]) << 16) | v[3];
  };
  std::uint32_t fileHigh, fileLow, productHigh, productLow;
  pack(fixture.fileVersion, &fileHigh, &fileLow);
  pack(fixture.productVersion, &productHigh, &productLow);
  Put32(&fixed, 0, 0xFEEF04BD);
  Put32(&fixed, 4, 0x00010000);
  Put32(&fixed, 8, fileHigh);
  Put32(&fixed, 12, fileLow);
  Put32(&fixed, 16, productHigh);
  Put32(&fixed, 20, productLow);
  Put32(&fixed, 24, 0x3F);
  Put32(&fixed, 32, 0x00040004);             // VOS_NT_WINDOWS32
  Put32(&fixed, 36, fixture.dll ? 2u : 1u);     // VFT_DLL or VFT_APP

  std::vector<std::uint8_t> strings;
  for (auto& [name, text] : fixture.strings) {
    std::vector<std::uint8_t> value;
    for (char16_t c : text) value.push_back(std::uint8_t(c)), value.push_back(std::uint8_t(c >> 8));
    value.push_back(0);
    value.push_back(0);
    Append(&strings, Node(name, true, value, std::uint32_t(text.size() + 1), {}));
  }
  std::vector<std::uint8_t> table = Node(u"040904b0", true, {}, 0, strings);
  std::vector<std::uint8_t> stringInfo = Node(u"StringFileInfo", true, {}, 0, table);
  std::vector<std::uint8_t> translation = Node(u"Translation", false, {0x09, 0x04, 0xB0, 0x04}, 4, {});
  std::vector<std::uint8_t> varInfo = Node(u"VarFileInfo", true, {}, 0, translation);
  std::vector<std::uint8_t> children;
  Append(&children, stringInfo);
  Append(&children, varInfo);
  return Node(u"VS_VERSION_INFO", false, fixed, 52, children);
}

std::vector<std::uint8_t> BuildImageWithVersion(const VersionSpec& fixture) {
  const std::vector<std::uint8_t> block = BuildVersionInfo(fixture);
  constexpr std::uint32_t kFileAlignment = 0x200, kSectionAlignment = 0x1000, kResourceRva = 0x1000;
  // .rsrc: three directory levels (type, name, language), one data entry, the block.
  std::vector<std::uint8_t> rsrc(88, 0);
  Put16(&rsrc, 14, 1);
  Put32(&rsrc, 16, kRtVersion);
  Put32(&rsrc, 20, 0x80000000u | 24);
  Put16(&rsrc, 24 + 14, 1);
  Put32(&rsrc, 24 + 16, 1);
  Put32(&rsrc, 24 + 20, 0x80000000u | 48);
  Put16(&rsrc, 48 + 14, 1);
  Put32(&rsrc, 48 + 16, 0x0409);
  Put32(&rsrc, 48 + 20, 72);
  Put32(&rsrc, 72, kResourceRva + 88);
  Put32(&rsrc, 76, std::uint32_t(block.size()));
  rsrc.insert(rsrc.end(), block.begin(), block.end());
  const std::uint32_t rsrcSize = std::uint32_t(rsrc.size());
  const std::uint32_t rawSize = (rsrcSize + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
  const std::uint32_t virtualSize = (rsrcSize + kSectionAlignment - 1) / kSectionAlignment * kSectionAlignment;

  std::vector<std::uint8_t> image(kFileAlignment + rawSize, 0);
  image[0] = 'M';
  image[1] = 'Z';
  Put32(&image, 0x3C, 0x40);
  const std::size_t pe = 0x40;
  Put32(&image, pe, 0x00004550);
  const std::size_t coff = pe + 4;
  Put16(&image, coff, 0x14C);  // i386
  Put16(&image, coff + 2, 1);
  Put16(&image, coff + 16, 224);
  Put16(&image, coff + 18, fixture.dll ? 0x2102 : 0x0102);
  const std::size_t optional = coff + 20;
  Put16(&image, optional, 0x10B);
  image[optional + 2] = 14;  // linker version
  Put32(&image, optional + 8, rawSize);           // SizeOfInitializedData
  Put32(&image, optional + 28, 0x10000000);       // ImageBase
  Put32(&image, optional + 32, kSectionAlignment);
  Put32(&image, optional + 36, kFileAlignment);
  Put16(&image, optional + 40, 5);                // OS version 5.1
  Put16(&image, optional + 42, 1);
  Put16(&image, optional + 48, 5);                // subsystem version 5.1
  Put16(&image, optional + 50, 1);
  Put32(&image, optional + 56, kSectionAlignment + virtualSize);  // SizeOfImage
  Put32(&image, optional + 60, kFileAlignment);                   // SizeOfHeaders
  Put16(&image, optional + 68, 2);                                // GUI
  Put16(&image, optional + 70, 0x0540);                           // NX compatible, no SEH, dynamic base
  Put32(&image, optional + 72, 0x100000);
  Put32(&image, optional + 76, 0x1000);
  Put32(&image, optional + 80, 0x100000);
  Put32(&image, optional + 84, 0x1000);
  Put32(&image, optional + 92, 16);
  Put32(&image, optional + 96 + 16, kResourceRva);
  Put32(&image, optional + 96 + 20, rsrcSize);
  const std::size_t section = optional + 224;
  std::memcpy(&image[section], ".rsrc", 5);
  Put32(&image, section + 8, rsrcSize);
  Put32(&image, section + 12, kResourceRva);
  Put32(&image, section + 16, rawSize);
  Put32(&image, section + 20, kFileAlignment);
  Put32(&image, section + 36, 0x40000040);
  for (std::size_t i = 0; i < rsrc.size(); ++i) image[kFileAlignment + i] = rsrc[i];
  return image;
}

}  // namespace ks::pe
