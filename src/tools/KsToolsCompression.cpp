#include "tools/KsToolsCompression.h"

#include <zlib.h>

#include <string>

namespace {
constexpr KsChar kTag[] = u"Compression";
}  // namespace

bool KsToolsCompression::Gunzip(const void* bytes, int count, std::string* out) {
  if (out == nullptr) return false;
  out->clear();
  if (bytes == nullptr || count <= 0) return false;
  z_stream stream{};
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return false;  // 16: gzip header and trailer
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(bytes));
  stream.avail_in = static_cast<uInt>(count);
  char buffer[65536];
  int status = Z_OK;
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    out->append(buffer, sizeof buffer - stream.avail_out);
    if (out->size() > kMaxOutputBytes) {
      status = Z_MEM_ERROR;
      break;
    }
    if (status == Z_STREAM_END) {
      if (stream.avail_in == 0) break;
      inflateReset(&stream);  // the next member
      continue;
    }
    if (stream.avail_in == 0 && stream.avail_out != 0) {
      status = Z_BUF_ERROR;  // input ended inside a member
      break;
    }
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) {
    KsLogFormat(kKsLogWarning, kTag, u"gzip data of %d bytes is damaged (zlib %d)", count, status);
    out->clear();
    return false;
  }
  return true;
}
