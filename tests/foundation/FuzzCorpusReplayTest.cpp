// Replays every file of fuzz/corpus/<target>/ (seeds and every crasher the
// fuzzers found) through the same bodies the libFuzzer targets run, so the
// normal test presets, sanitizers included, keep them fixed.
//
// The corpus is found beside this source file (the build passes absolute
// source paths, so __FILE__ names it). This is test-only host I/O.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../fuzz/FuzzTargets.h"

namespace {

std::filesystem::path CorpusFolder() {
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Target {
  const char* name;
  bool (*run)(const std::uint8_t*, std::size_t);
};

class FuzzCorpusReplay : public testing::TestWithParam<Target> {};

}  // namespace

TEST_P(FuzzCorpusReplay, EveryFileKeepsItsProperties) {
  const std::filesystem::path folder = CorpusFolder() / GetParam().name;
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    const std::vector<std::uint8_t> bytes = ReadBytes(entry.path());
    EXPECT_TRUE(GetParam().run(bytes.data(), bytes.size()));
    ++files;
  }
  EXPECT_GT(files, 0) << "empty corpus " << folder;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusReplay,
                         testing::Values(Target{"fuzz_decode_text", ks::fuzz::FuzzDecodeText},
                                         Target{"fuzz_format", ks::fuzz::FuzzFormat},
                                         Target{"fuzz_numbers", ks::fuzz::FuzzNumbers}),
                         [](const testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });
