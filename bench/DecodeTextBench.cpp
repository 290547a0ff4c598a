// DecodeText from UTF-8 bytes to UTF-16: ASCII-heavy text (about one non-ASCII
// character in a hundred, like a catalogue or a product file) and pure ASCII, with
// the encoding detected and given. The bytes-per-second counter is the figure.

#include <benchmark/benchmark.h>

#include <string>

#include "foundation/KsString.h"

namespace {

std::string AsciiHeavy(size_t targetBytes) {
  static const char* const kLines[] = {
      "  <Type Extension=\"flac\" Kind=\"audio\" Mime=\"audio/x-flac\" Icon=\"12\">\r\n",
      "    <Description>Free lossless audio \xE2\x80\x94 caf\xC3\xA9 edition n\xC2\xB0 7</Description>\r\n",
      "    <Verbs><Verb Name=\"open\" Default=\"1\"/><Verb Name=\"enqueue\"/><Verb Name=\"play\"/></Verbs>\r\n",
      "    <Flags>AutoPlay;Shell;Capabilities;DefaultPrograms;ContextMenu;Thumbnails</Flags>\r\n",
      "  </Type>\r\n",
  };
  std::string text;
  for (size_t i = 0; text.size() < targetBytes; ++i) text += kLines[i % 5];
  return text;
}

void Decode(benchmark::State& state, const std::string& bytes, int encoding) {
  for (auto _ : state) {
    KsString text;
    text.DecodeText(bytes.data(), static_cast<int>(bytes.size()), encoding);
    benchmark::DoNotOptimize(text.Chars());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

const std::string& Heavy() {
  static const std::string bytes = AsciiHeavy(static_cast<size_t>(1) << 20);
  return bytes;
}
const std::string& Ascii() {
  static const std::string bytes(static_cast<size_t>(1) << 20, 'x');
  return bytes;
}

void BM_DecodeText_AsciiHeavy_Detect(benchmark::State& state) { Decode(state, Heavy(), kKsEncodingDetect); }
void BM_DecodeText_AsciiHeavy_Utf8(benchmark::State& state) { Decode(state, Heavy(), kKsEncodingUtf8); }
void BM_DecodeText_Ascii_Detect(benchmark::State& state) { Decode(state, Ascii(), kKsEncodingDetect); }
BENCHMARK(BM_DecodeText_AsciiHeavy_Detect);
BENCHMARK(BM_DecodeText_AsciiHeavy_Utf8);
BENCHMARK(BM_DecodeText_Ascii_Detect);

}  // namespace
