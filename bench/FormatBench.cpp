// KsString::Format of a mixed format (text, integers, a real, KsString and
// wide text) against two standard-library ways of building the same UTF-16
// text: appending to_chars pieces to a std::u16string, and snprintf into a
// buffer widened afterwards.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <string>

#include "foundation/KsString.h"

namespace {

constexpr const char16_t* kFileName = u"Sonavel\\Plugins\\Visualizer.dll";
constexpr const char* kFileNameNarrow = "Sonavel\\Plugins\\Visualizer.dll";
constexpr const char16_t* kStep = u"program files";

void BM_KsStringFormatMixed(benchmark::State& state) {
  const KsString name(kFileName);
  KsString result;
  int file = 0;
  for (auto _ : state) {
    ++file;
    result.Format(u"Copying %s: file %d of %d (%.1f%%), step %s", name, file, 1234, file * 0.37, kStep);
    benchmark::DoNotOptimize(result.Chars());
  }
}
BENCHMARK(BM_KsStringFormatMixed);

template <class T>
void AppendNumber(std::u16string& out, T value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void BM_StdU16StringAppendMixed(benchmark::State& state) {
  const std::u16string name(kFileName);
  std::u16string result;
  int file = 0;
  for (auto _ : state) {
    ++file;
    result.clear();
    result += u"Copying ";
    result += name;
    result += u": file ";
    AppendNumber(result, file);
    result += u" of ";
    AppendNumber(result, 1234);
    result += u" (";
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, file * 0.37, std::chars_format::fixed, 1).ptr;
    result.append(digits, end);
    result += u"%), step ";
    result += kStep;
    benchmark::DoNotOptimize(result.data());
  }
}
BENCHMARK(BM_StdU16StringAppendMixed);

void BM_SnprintfWidenMixed(benchmark::State& state) {
  std::u16string result;
  int file = 0;
  for (auto _ : state) {
    ++file;
    char buffer[256];
    const int length = std::snprintf(buffer, sizeof buffer, "Copying %s: file %d of %d (%.1f%%), step %s",
                                     kFileNameNarrow, file, 1234, file * 0.37, "program files");
    result.assign(buffer, buffer + length);
    benchmark::DoNotOptimize(result.data());
  }
}
BENCHMARK(BM_SnprintfWidenMixed);

}  // namespace
