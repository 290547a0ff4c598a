// Gzip decoding of the tools module (zlib in both builds; the fixtures are
// compressed here with the same library).

#include <zlib.h>

#include <string>

#include "ToolsModuleTest.h"

namespace {

std::string Gzip(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

using Compression = ToolsModuleTest;

TEST_F(Compression, GunzipDecodesAndRefusesDamage) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsCompressionService* service = Tools()->GetCompressionService();
  ASSERT_NE(service, nullptr);
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) % 251);
  const std::string one = Gzip("Auralis 22 ");
  const std::string two = Gzip("and more");
  std::string badChecksum = one;
  badChecksum[badChecksum.size() - 6] ^= 0x55;  // the CRC of the trailer
  struct Case {
    const char* what;
    std::string input;
    bool ok;
    std::string output;
  };
  const Case cases[] = {
      {"one member", one, true, "Auralis 22 "},
      {"two members", one + two, true, "Auralis 22 and more"},
      {"larger than a buffer", Gzip(big), true, big},
      {"empty text", Gzip(""), true, ""},
      {"cut short", one.substr(0, one.size() - 5), false, ""},
      {"wrong checksum", badChecksum, false, ""},
      {"not gzip", "plain text, not compressed", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out = "stale";
    EXPECT_EQ(service->Gunzip(c.input.data(), static_cast<int>(c.input.size()), &out), c.ok);
    EXPECT_TRUE(out == c.output) << out.size() << " bytes";
  }
  std::string out;
  EXPECT_FALSE(service->Gunzip(nullptr, 4, &out));
  EXPECT_FALSE(service->Gunzip(one.data(), 0, &out));
}
