// KsString against std::u16string: copies (sharing) and case-insensitive search.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "foundation/KsString.h"

namespace {

std::u16string Text100() {
  std::u16string text;
  for (int i = 0; text.size() < 100; ++i) text += u"C:\\Program Files\\Kestrune\\";
  text.resize(100);
  return text;
}

void BM_KsStringCopy(benchmark::State& state) {
  const KsString source(Text100());
  for (auto _ : state) {
    KsString copy(source);
    benchmark::DoNotOptimize(copy.Chars());
  }
}
BENCHMARK(BM_KsStringCopy);

void BM_StdU16StringCopy(benchmark::State& state) {
  const std::u16string source = Text100();
  for (auto _ : state) {
    std::u16string copy(source);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_StdU16StringCopy);

void BM_KsStringAssign(benchmark::State& state) {
  const KsString a(Text100());
  const KsString b(Text100() + u"x");
  KsString target;
  for (auto _ : state) {
    target = a;
    target = b;
    benchmark::DoNotOptimize(target.Chars());
  }
}
BENCHMARK(BM_KsStringAssign);

void BM_StdU16StringAssign(benchmark::State& state) {
  const std::u16string a = Text100();
  const std::u16string b = Text100() + u"x";
  std::u16string target;
  for (auto _ : state) {
    target = a;
    target = b;
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_StdU16StringAssign);

// A 10 KB haystack with the needle at the end, in another letter case.
std::u16string Haystack() {
  std::u16string text;
  while (text.size() < 10000) text += u"Software\\Classes\\Applications\\player.exe\\shell\\open;";
  return text + u"AURALIS.MEDIAFILE";
}

void BM_KsStringFindNoCase(benchmark::State& state) {
  const KsString haystack(Haystack());
  for (auto _ : state) benchmark::DoNotOptimize(haystack.FindNoCase(u"auralis.mediafile"));
}
BENCHMARK(BM_KsStringFindNoCase);

void BM_StdSearchNoCase(benchmark::State& state) {
  const std::u16string haystack = Haystack();
  const std::u16string needle = u"auralis.mediafile";
  for (auto _ : state) {
    auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(), [](char16_t a, char16_t b) {
      return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
    });
    benchmark::DoNotOptimize(it);
  }
}
BENCHMARK(BM_StdSearchNoCase);

}  // namespace

namespace {

// Assignment into a value that holds nothing yet: the standard string must
// allocate, the shared one only counts.
void BM_KsStringAssignFresh(benchmark::State& state) {
  const KsString source(Text100());
  for (auto _ : state) {
    KsString target;
    target = source;
    benchmark::DoNotOptimize(target.Chars());
  }
}
BENCHMARK(BM_KsStringAssignFresh);

void BM_StdU16StringAssignFresh(benchmark::State& state) {
  const std::u16string source = Text100();
  for (auto _ : state) {
    std::u16string target;
    target = source;
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_StdU16StringAssignFresh);

}  // namespace
