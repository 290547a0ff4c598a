#pragma once
// Replays every file of fuzz/corpus/<target>/ (seeds and every crasher the
// fuzzers found) through the same body the libFuzzer target runs, so the
// normal test presets, sanitizers included, keep them fixed. The corpus is
// found under the source tree the build names (KS_SOURCE_DIR), else relative to
// this header; a compiler cache may make the header's own path relative.
// Test-only host I/O.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct CorpusTarget {
  const char* name;
  bool (*run)(const std::uint8_t*, std::size_t);
};

inline std::string CorpusTargetName(const testing::TestParamInfo<CorpusTarget>& info) { return info.param.name; }

inline void ReplayCorpus(const CorpusTarget& target) {
#ifdef KS_SOURCE_DIR
  const std::filesystem::path source = KS_SOURCE_DIR;
#else
  const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
#endif
  const std::filesystem::path folder = source / "fuzz" / "corpus" / target.name;
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(target.run(bytes.data(), bytes.size()));
    ++files;
  }
  EXPECT_GT(files, 0) << "empty corpus " << folder;
}
