#pragma once
// The compression service: gzip decoding with zlib. Several gzip members in a
// row decode as one stream, as gunzip does. Damaged or cut-short input, or
// output past kMaxOutputBytes, answers false with out emptied.

#include "foundation/KsTools.h"

class KsToolsCompression final : public IKsCompressionService {
 public:
  static constexpr std::size_t kMaxOutputBytes = std::size_t(1) << 30;

  bool Gunzip(const void* bytes, int count, std::string* out) override;
};
