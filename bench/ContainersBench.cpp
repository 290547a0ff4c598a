// Containers against the standard library: the case-insensitive string map,
// the quicksort, and KsStringArray split and join.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/KsQSort.h"
#include "foundation/KsStringArray.h"
#include "foundation/KsStringMap.h"
#include "foundation/KsTextService.h"

namespace {

constexpr int kMapKeys = 100000;

// Path-like keys: a common prefix, a few folders, a file name.
std::vector<std::u16string> PathKeys(int count, const char16_t* suffix = u"") {
  static const char16_t* const kFolders[] = {u"Music\\", u"Pictures\\", u"Videos\\", u"Podcasts\\", u"Audiobooks\\"};
  std::mt19937 random(42);
  std::vector<std::u16string> keys;
  keys.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::u16string key = u"C:\\Users\\Public\\";
    key += kFolders[i % 5];
    key += u"Artist ";
    for (int n = static_cast<int>(random() % 1000); n > 0; n /= 10) key += static_cast<char16_t>(u'0' + n % 10);
    key += u"\\Track ";
    for (int n = i; n > 0; n /= 10) key += static_cast<char16_t>(u'0' + n % 10);
    key += u".flac";
    key += suffix;
    keys.push_back(key);
  }
  return keys;
}

std::vector<std::u16string> Upper(std::vector<std::u16string> keys) {
  for (auto& key : keys) {
    for (auto& c : key) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
  }
  return keys;
}

struct FoldHash {
  size_t operator()(const std::u16string& key) const noexcept { return KsStringHashNoCase(key.c_str()); }
};
struct FoldEqual {
  bool operator()(const std::u16string& a, const std::u16string& b) const noexcept {
    return a.size() == b.size() && KsStringEqualsNoCase(a.c_str(), b.c_str());
  }
};
using StdFoldMap = std::unordered_map<std::u16string, int, FoldHash, FoldEqual>;

std::vector<KsString> ToKs(const std::vector<std::u16string>& keys) {
  std::vector<KsString> out;
  out.reserve(keys.size());
  for (const auto& key : keys) out.emplace_back(key);
  return out;
}

void BM_KsStringMapInsert(benchmark::State& state) {
  const std::vector<KsString> keys = ToKs(PathKeys(kMapKeys));
  for (auto _ : state) {
    KsStringMap<int> map;
    for (int i = 0; i < kMapKeys; ++i) map.SetAt(keys[i], i);
    benchmark::DoNotOptimize(map.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * kMapKeys);
}
BENCHMARK(BM_KsStringMapInsert)->Unit(benchmark::kMillisecond);

void BM_StdMapInsert(benchmark::State& state) {
  const std::vector<std::u16string> keys = PathKeys(kMapKeys);
  for (auto _ : state) {
    StdFoldMap map;
    for (int i = 0; i < kMapKeys; ++i) map[keys[i]] = i;
    benchmark::DoNotOptimize(map.size());
  }
  state.SetItemsProcessed(state.iterations() * kMapKeys);
}
BENCHMARK(BM_StdMapInsert)->Unit(benchmark::kMillisecond);

void BM_KsStringMapLookup(benchmark::State& state) {
  const std::vector<KsString> keys = ToKs(PathKeys(kMapKeys));
  const std::vector<KsString> probes = ToKs(state.range(0) != 0 ? Upper(PathKeys(kMapKeys)) : PathKeys(kMapKeys, u"x"));
  KsStringMap<int> map;
  for (int i = 0; i < kMapKeys; ++i) map.SetAt(keys[i], i);
  for (auto _ : state) {
    int found = 0;
    for (const KsString& probe : probes) found += map.Lookup(probe) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kMapKeys);
}
BENCHMARK(BM_KsStringMapLookup)->ArgName("hit")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_StdMapLookup(benchmark::State& state) {
  const std::vector<std::u16string> keys = PathKeys(kMapKeys);
  const std::vector<std::u16string> probes = state.range(0) != 0 ? Upper(PathKeys(kMapKeys)) : PathKeys(kMapKeys, u"x");
  StdFoldMap map;
  for (int i = 0; i < kMapKeys; ++i) map[keys[i]] = i;
  for (auto _ : state) {
    int found = 0;
    for (const auto& probe : probes) found += map.find(probe) != map.end();
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kMapKeys);
}
BENCHMARK(BM_StdMapLookup)->ArgName("hit")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// --- sorting --------------------------------------------------------------

constexpr int kSortInts = 1000000;
constexpr int kSortStrings = 100000;

std::vector<int> RandomInts() {
  std::mt19937 random(7);
  std::vector<int> values(kSortInts);
  for (int& v : values) v = static_cast<int>(random());
  return values;
}

class IntCompare final : public IKsQSortCompare<int> {
 public:
  int Compare(const int* a, const int* b) override { return *a < *b ? -1 : *a > *b ? 1 : 0; }
};

void BM_KsQSortInts(benchmark::State& state) {
  const std::vector<int> source = RandomInts();
  std::vector<int> values;
  IntCompare compare;
  for (auto _ : state) {
    values = source;
    KsQSort<int> sorter(&compare);
    sorter.Sort(values.data(), values.data() + values.size() - 1);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_KsQSortInts)->Unit(benchmark::kMillisecond);

void BM_StdSortInts(benchmark::State& state) {
  const std::vector<int> source = RandomInts();
  std::vector<int> values;
  for (auto _ : state) {
    values = source;
    std::sort(values.begin(), values.end());
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_StdSortInts)->Unit(benchmark::kMillisecond);

std::vector<std::u16string> RandomStrings() {
  std::vector<std::u16string> keys = PathKeys(kSortStrings);
  std::shuffle(keys.begin(), keys.end(), std::mt19937(9));
  return keys;
}

// KsStringArray::Sort: the quicksort with the text service's case-insensitive comparison.
void BM_KsStringArraySort(benchmark::State& state) {
  KsStringArray source;
  for (const auto& key : RandomStrings()) source.Add(KsString(key));
  for (auto _ : state) {
    KsStringArray values(source);
    values.Sort(IKsTextService::kCompareNoCase);
    benchmark::DoNotOptimize(values.GetData());
  }
}
BENCHMARK(BM_KsStringArraySort)->Unit(benchmark::kMillisecond);

// std::sort with the same comparison on the same values.
void BM_StdSortStrings(benchmark::State& state) {
  std::vector<KsString> source;
  for (const auto& key : RandomStrings()) source.emplace_back(key);
  IKsTextService* service = GetTextService();
  for (auto _ : state) {
    std::vector<KsString> values(source);
    std::sort(values.begin(), values.end(), [service](const KsString& a, const KsString& b) {
      return service->CompareText(a.Chars(), b.Chars(), IKsTextService::kCompareNoCase, 1, -1) < 0;
    });
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_StdSortStrings)->Unit(benchmark::kMillisecond);

// --- split and join -------------------------------------------------------

std::u16string SemicolonList() {
  std::u16string list;
  const std::vector<std::u16string> items = PathKeys(10000);
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) list += u';';
    list += items[i].substr(items[i].size() - 14);  // "Track 1234.flac"-like items
  }
  return list;
}

void BM_KsStringArraySplit(benchmark::State& state) {
  const KsString list(SemicolonList());
  for (auto _ : state) {
    KsStringArray items;
    items.Split(list, u";");
    benchmark::DoNotOptimize(items.GetData());
  }
}
BENCHMARK(BM_KsStringArraySplit)->Unit(benchmark::kMicrosecond);

void BM_StdSplit(benchmark::State& state) {
  const std::u16string list = SemicolonList();
  for (auto _ : state) {
    std::vector<std::u16string> items;
    for (size_t begin = 0;;) {
      const size_t end = list.find(u';', begin);
      items.emplace_back(list, begin, end == std::u16string::npos ? std::u16string::npos : end - begin);
      if (end == std::u16string::npos) break;
      begin = end + 1;
    }
    benchmark::DoNotOptimize(items.data());
  }
}
BENCHMARK(BM_StdSplit)->Unit(benchmark::kMicrosecond);

void BM_KsStringArrayJoin(benchmark::State& state) {
  KsStringArray items;
  items.Split(KsString(SemicolonList()), u";");
  for (auto _ : state) {
    KsString joined = items.Join(u";");
    benchmark::DoNotOptimize(joined.Chars());
  }
}
BENCHMARK(BM_KsStringArrayJoin)->Unit(benchmark::kMicrosecond);

void BM_StdJoin(benchmark::State& state) {
  std::vector<std::u16string> items;
  const std::u16string list = SemicolonList();
  for (size_t begin = 0;;) {
    const size_t end = list.find(u';', begin);
    items.emplace_back(list, begin, end == std::u16string::npos ? std::u16string::npos : end - begin);
    if (end == std::u16string::npos) break;
    begin = end + 1;
  }
  for (auto _ : state) {
    size_t total = items.size() - 1;
    for (const auto& item : items) total += item.size();
    std::u16string joined;
    joined.reserve(total);
    for (size_t i = 0; i < items.size(); ++i) {
      if (i > 0) joined += u';';
      joined += items[i];
    }
    benchmark::DoNotOptimize(joined.data());
  }
}
BENCHMARK(BM_StdJoin)->Unit(benchmark::kMicrosecond);

}  // namespace
