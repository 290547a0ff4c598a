// KsXmlDocument against pugixml (benchmark only) on the same bytes: a 200 KB
// catalogue-like file and a 20 MB document, from UTF-8 bytes (decoding included)
// and from UTF-16 text; and element lookup by a /*/Section/Key path.
// Heap history changes the figures: run one size per process, e.g.
//   ks_bench --benchmark_filter='Xml.*Catalogue'   and   --benchmark_filter='Xml.*Large'

#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <string>

#include "config/KsXmlDocument.h"

namespace {

// A file-type catalogue: types with attributes, nested descriptions, escapes,
// comments, a CDATA section now and then, some non-ASCII text, CR LF lines.
std::string Catalogue(size_t targetBytes) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- file types -->\r\n<SVFA version=\"1.0\">\r\n";
  static const char* const kKinds[] = {"audio", "video", "playlist", "image"};
  for (int i = 0; xml.size() < targetBytes; ++i) {
    const std::string n = std::to_string(i);
    xml += "  <Type Extension=\"ext" + n + "\" Kind=\"" + kKinds[i % 4] + "\" Mime='" + kKinds[i % 4] +
           "/x-type" + n + "' Icon=\"" + std::to_string(i % 40) + "\">\r\n";
    xml += "    <Description>Format n\xC2\xB0" + n + " &amp; friends \xE2\x80\x94 caf\xC3\xA9</Description>\r\n";
    xml += "    <Verbs><Verb Name=\"open\" Default=\"1\"/><Verb Name=\"enqueue\"/><Verb Name=\"play\"/></Verbs>\r\n";
    if (i % 8 == 0) xml += "    <Notes><![CDATA[Raw <text> & more]]></Notes>\r\n";
    if (i % 16 == 0) xml += "    <!-- group " + n + " -->\r\n";
    xml += "    <Flags>AutoPlay;Shell;Capabilities</Flags>\r\n  </Type>\r\n";
  }
  xml += "</SVFA>\r\n";
  return xml;
}

std::u16string Utf16(const std::string& utf8) {
  KsString text;
  text.FromUtf8(utf8.data(), static_cast<int>(utf8.size()));
  return std::u16string(text.View());
}

const std::string& CatalogueBytes() {
  static const std::string bytes = Catalogue(200 * 1024);
  return bytes;
}
const std::string& LargeBytes() {
  static const std::string bytes = Catalogue(20 * 1024 * 1024);
  return bytes;
}

void KsFromUtf8(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    KsXmlDocument document;
    document.SetDocumentBytes(bytes.data(), static_cast<int>(bytes.size()));
    benchmark::DoNotOptimize(document.GetRecordCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void PugiFromUtf8(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    benchmark::DoNotOptimize(result.status);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void KsFromUtf16(benchmark::State& state, const std::string& bytes) {
  const KsString text(Utf16(bytes));
  for (auto _ : state) {
    KsXmlDocument document;
    document.SetDocument(text);
    benchmark::DoNotOptimize(document.GetRecordCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.GetLength() * 2);
}

void PugiFromUtf16(benchmark::State& state, const std::string& bytes) {
  const std::u16string text = Utf16(bytes);
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size() * sizeof(char16_t),
                                                               pugi::parse_default, pugi::encoding_utf16_le);
    benchmark::DoNotOptimize(result.status);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()) * 2);
}

void BM_XmlCatalogue_Ks_Utf8(benchmark::State& state) { KsFromUtf8(state, CatalogueBytes()); }
void BM_XmlCatalogue_Pugi_Utf8(benchmark::State& state) { PugiFromUtf8(state, CatalogueBytes()); }
void BM_XmlCatalogue_Ks_Utf16(benchmark::State& state) { KsFromUtf16(state, CatalogueBytes()); }
void BM_XmlCatalogue_Pugi_Utf16(benchmark::State& state) { PugiFromUtf16(state, CatalogueBytes()); }
void BM_XmlLarge_Ks_Utf8(benchmark::State& state) { KsFromUtf8(state, LargeBytes()); }
void BM_XmlLarge_Pugi_Utf8(benchmark::State& state) { PugiFromUtf8(state, LargeBytes()); }
void BM_XmlLarge_Ks_Utf16(benchmark::State& state) { KsFromUtf16(state, LargeBytes()); }
void BM_XmlLarge_Pugi_Utf16(benchmark::State& state) { PugiFromUtf16(state, LargeBytes()); }
BENCHMARK(BM_XmlCatalogue_Ks_Utf8);
BENCHMARK(BM_XmlCatalogue_Pugi_Utf8);
BENCHMARK(BM_XmlCatalogue_Ks_Utf16);
BENCHMARK(BM_XmlCatalogue_Pugi_Utf16);
BENCHMARK(BM_XmlLarge_Ks_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLarge_Pugi_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLarge_Ks_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLarge_Pugi_Utf16)->Unit(benchmark::kMillisecond);

// A product-information file: the looked-up section is the 40th of 60, its key the 10th.
void BM_XmlPathLookup(benchmark::State& state) {
  std::u16string xml = u"<Product>\r\n";
  for (int section = 0; section < 60; ++section) {
    xml += section == 39 ? u"  <Installer>\r\n" : u"  <Other>\r\n";
    for (int key = 0; key < 12; ++key) xml += key == 9 ? u"    <PromoCount>3</PromoCount>\r\n" : u"    <Value a=\"1\">x</Value>\r\n";
    xml += section == 39 ? u"  </Installer>\r\n" : u"  </Other>\r\n";
  }
  xml += u"</Product>\r\n";
  KsXmlDocument document{KsString(xml)};
  for (auto _ : state) {
    document.ResetPosition();
    benchmark::DoNotOptimize(document.FindNext(u"/*/Installer/PromoCount"));
  }
}
BENCHMARK(BM_XmlPathLookup);

}  // namespace
