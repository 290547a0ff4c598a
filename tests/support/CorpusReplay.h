#pragma once
// Replays every file of fuzz/corpus/<target>/ (seeds and every crasher the
// fuzzers found) through the same body the libFuzzer target runs, so the
// normal test presets, sanitizers included, keep them fixed. The corpus is
// found relative to this header (the build passes absolute source paths).
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
  const std::filesystem::path folder =
      std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus" / target.name;
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
