// File version resources read from PE files on the machine.

#include "platform/sim/SimInternal.h"

#include "platform/PeImage.h"
#include "platform/SysError.h"
#include "platform/SysVersion.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace ks::sys {
using namespace ks::sim::detail;

namespace {

constexpr std::size_t kMaxImage = 512u << 20;

bool ReadBlock(const WCHAR* fileName, std::vector<std::uint8_t>* block) {
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return false;
  if (!path.exists) return ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : false;
  if (path.isDirectory) return Fail(ERROR_ACCESS_DENIED);
  std::ifstream in(path.host, std::ios::binary | std::ios::ate);
  if (!in) return Fail(ERROR_ACCESS_DENIED);
  std::streamoff size = in.tellg();
  if (size < 0 || std::size_t(size) > kMaxImage) return Fail(ERROR_BAD_FORMAT);
  std::vector<std::uint8_t> image(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(image.data()), size)) return Fail(ERROR_READ_FAULT);
  std::size_t offset = 0, length = 0;
  bool isPe = false;
  if (!ks::pe::FindVersionResource(image.data(), image.size(), &offset, &length, &isPe))
    return Fail(isPe ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_BAD_EXE_FORMAT);
  block->assign(image.begin() + long(offset), image.begin() + long(offset + length));
  return true;
}

std::uint32_t Word(const std::uint8_t* at) { return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8); }

struct Node {
  std::size_t offset = 0, length = 0;
  std::u16string key;
  std::size_t valueOffset = 0, valueBytes = 0, valueLength = 0, childrenOffset = 0;
};

bool ParseNode(const std::uint8_t* block, std::size_t limit, std::size_t offset, Node* node) {
  if (offset + 6 > limit) return false;
  node->offset = offset;
  node->length = Word(block + offset);
  if (node->length < 6 || offset + node->length > limit) return false;
  const std::size_t end = offset + node->length;
  std::uint32_t valueLength = Word(block + offset + 2), type = Word(block + offset + 4);
  std::size_t at = offset + 6;
  node->key.clear();
  while (true) {
    if (at + 2 > end) return false;
    char16_t c = char16_t(Word(block + at));
    at += 2;
    if (!c) break;
    node->key += c;
  }
  at = (at + 3) & ~std::size_t(3);
  node->valueOffset = at;
  node->valueLength = valueLength;
  node->valueBytes = type == 1 ? std::size_t(valueLength) * 2 : valueLength;
  if (node->valueBytes && at + node->valueBytes > end) return false;
  node->childrenOffset = std::min(end, (at + node->valueBytes + 3) & ~std::size_t(3));
  return true;
}

}  // namespace

DWORD GetFileVersionInfoSize(const WCHAR* fileName, DWORD* handle) {
  std::lock_guard lock(Lock());
  if (handle) *handle = 0;
  std::vector<std::uint8_t> block;
  if (!ReadBlock(fileName, &block)) return 0;
  return DWORD(block.size());
}

BOOL GetFileVersionInfo(const WCHAR* fileName, DWORD, DWORD length, void* data) {
  std::lock_guard lock(Lock());
  if (!data) return Fail(ERROR_INVALID_PARAMETER);
  std::vector<std::uint8_t> block;
  if (!ReadBlock(fileName, &block)) return FALSE;
  std::memcpy(data, block.data(), std::min<std::size_t>(length, block.size()));
  if (length < block.size() && length >= 2) {
    // The copy is cut short: its length field says what is there.
    static_cast<std::uint8_t*>(data)[0] = std::uint8_t(length);
    static_cast<std::uint8_t*>(data)[1] = std::uint8_t(length >> 8);
  }
  return TRUE;
}

BOOL VerQueryValue(const void* blockPointer, const WCHAR* subBlock, void** buffer, UINT* length) {
  if (length) *length = 0;
  if (!blockPointer || !subBlock || !buffer) return FALSE;
  const auto* block = static_cast<const std::uint8_t*>(blockPointer);
  const std::size_t limit = Word(block);
  Node node;
  if (!ParseNode(block, limit, 0, &node)) return FALSE;
  std::u16string path = subBlock;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'\\') continue;
    std::u16string part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty()) continue;
    std::size_t child = node.childrenOffset;
    const std::size_t end = node.offset + node.length;
    bool found = false;
    Node candidate;
    while (child + 6 <= end && ParseNode(block, end, child, &candidate)) {
      if (EqualFolded(candidate.key, part)) {
        found = true;
        break;
      }
      child = (child + candidate.length + 3) & ~std::size_t(3);
    }
    if (!found) return FALSE;
    node = candidate;
  }
  if (node.valueBytes == 0 && node.offset != 0) return FALSE;
  *buffer = const_cast<std::uint8_t*>(block + node.valueOffset);
  if (length) *length = UINT(node.valueLength);
  return TRUE;
}

}  // namespace ks::sys
