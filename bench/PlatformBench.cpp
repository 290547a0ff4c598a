// Benchmarks of the simulated machine: registry value writes and reads, and a
// 300 MB tree of 2,500 files copied through the seam against `cp -r` of the
// same tree on the same disk.

#include "platform/SysFile.h"
#include "platform/SysRegistry.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ks;
namespace fs = std::filesystem;

// The tree: folders x files per folder, megabytes in all (the full run: 50 x 50, 300 MB).
struct TreeShape {
  int folders;
  int filesPerFolder;
  std::size_t bytes;
};
TreeShape ShapeOf(const benchmark::State& state) {
  return {int(state.range(0)), int(state.range(1)), std::size_t(state.range(2)) << 20};
}

// One machine for the whole run, removed at exit.
class BenchMachine {
 public:
  BenchMachine() {
    m_folder = (fs::temp_directory_path() / ("ks-bench-" + std::to_string(::getpid()))).string();
    fs::remove_all(m_folder);
    std::string error;
    if (!sim::CreateMachine(m_folder, sim::Identity(), &error) || !sim::AttachMachine(m_folder, &error)) {
      std::fprintf(stderr, "bench machine: %s\n", error.c_str());
      std::abort();
    }
  }
  ~BenchMachine() {
    sim::DetachMachine();
    fs::remove_all(m_folder);
  }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
};

BenchMachine& Machine() {
  static BenchMachine machine;
  return machine;
}

sys::HKEY BenchKey() {
  Machine();
  sys::HKEY key = nullptr;
  sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, u"Software\\Kestrune\\Bench", 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                      nullptr, &key, nullptr);
  return key;
}

std::vector<std::u16string> ValueNames() {
  std::vector<std::u16string> names;
  for (int i = 0; i < 1000; ++i) names.push_back(u"Value" + sim::ToUtf16(std::to_string(i)));
  return names;
}

void BM_RegistryWrite(benchmark::State& state) {
  sys::HKEY key = BenchKey();
  auto names = ValueNames();
  sys::DWORD value = 0;
  for (auto _ : state) {
    const auto& name = names[value % names.size()];
    ++value;
    if (sys::RegSetValueEx(key, name.c_str(), 0, sys::REG_DWORD, reinterpret_cast<const sys::BYTE*>(&value), 4))
      state.SkipWithError("RegSetValueEx failed");
  }
  state.SetItemsProcessed(state.iterations());
  sys::RegCloseKey(key);
}
BENCHMARK(BM_RegistryWrite);

void BM_RegistryRead(benchmark::State& state) {
  sys::HKEY key = BenchKey();
  auto names = ValueNames();
  for (sys::DWORD i = 0; i < names.size(); ++i)
    sys::RegSetValueEx(key, names[i].c_str(), 0, sys::REG_DWORD, reinterpret_cast<const sys::BYTE*>(&i), 4);
  std::size_t index = 0;
  for (auto _ : state) {
    sys::DWORD value = 0, size = 4;
    if (sys::RegQueryValueEx(key, names[index++ % names.size()].c_str(), nullptr, nullptr,
                             reinterpret_cast<sys::BYTE*>(&value), &size))
      state.SkipWithError("RegQueryValueEx failed");
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
  sys::RegCloseKey(key);
}
BENCHMARK(BM_RegistryRead);

// C:\Tree: files of varied size in folders, made once per shape.
const std::string& SourceTree(const TreeShape& shape) {
  static std::string host;
  static std::size_t madeBytes = 0;
  if (!host.empty() && madeBytes == shape.bytes) return host;
  host = Machine().Folder() + "/drives/c/Tree";
  fs::remove_all(host);
  madeBytes = shape.bytes;
  const int kFolders = shape.folders, kFilesPerFolder = shape.filesPerFolder;
  const std::size_t kTreeBytes = shape.bytes;
  std::mt19937 random(22);
  std::vector<char> block(1 << 20);
  for (auto& c : block) c = char(random());
  const std::size_t files = std::size_t(kFolders) * kFilesPerFolder;
  const std::size_t average = kTreeBytes / files;
  for (int folder = 0; folder < kFolders; ++folder) {
    fs::create_directories(host + "/Folder" + std::to_string(folder));
    for (int file = 0; file < kFilesPerFolder; ++file) {
      std::size_t size = average / 2 + random() % average;  // averages out to the total
      std::ofstream out(host + "/Folder" + std::to_string(folder) + "/File" + std::to_string(file) + ".bin",
                        std::ios::binary);
      for (std::size_t written = 0; written < size;) {
        std::size_t chunk = std::min(size - written, block.size() - 4096);
        out.write(block.data() + (written + file) % 4096, std::streamsize(chunk));
        written += chunk;
      }
    }
  }
  return host;
}

bool CopyTree(const std::u16string& from, const std::u16string& to) {
  if (!sys::CreateDirectory(to.c_str(), nullptr)) return false;
  sys::WIN32_FIND_DATA data;
  sys::HANDLE find = sys::FindFirstFile((from + u"\\*").c_str(), &data);
  if (find == sys::INVALID_HANDLE_VALUE) return true;
  bool ok = true;
  do {
    std::u16string name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_DIRECTORY)
      ok = CopyTree(from + u"\\" + name, to + u"\\" + name) && ok;
    else
      ok = sys::CopyFile((from + u"\\" + name).c_str(), (to + u"\\" + name).c_str(), sys::TRUE) && ok;
  } while (sys::FindNextFile(find, &data));
  sys::FindClose(find);
  return ok;
}

void BM_TreeCopyThroughSeam(benchmark::State& state) {
  const TreeShape shape = ShapeOf(state);
  SourceTree(shape);
  const std::string target = Machine().Folder() + "/drives/c/SeamCopy";
  [[maybe_unused]] int synced = std::system("sync");  // both copies start from a clean page cache state
  for (auto _ : state) {
    if (!CopyTree(u"C:\\Tree", u"C:\\SeamCopy")) state.SkipWithError("copy failed");
    state.PauseTiming();
    fs::remove_all(target);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(shape.bytes));
}

void BM_TreeCopyCpR(benchmark::State& state) {
  const TreeShape shape = ShapeOf(state);
  const std::string source = SourceTree(shape);
  const std::string target = Machine().Folder() + "/drives/c/CpCopy";
  const std::string command = "cp -r '" + source + "' '" + target + "'";
  [[maybe_unused]] int synced = std::system("sync");
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp -r failed");
    state.PauseTiming();
    fs::remove_all(target);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(shape.bytes));
}

// The small tree is for quick checks (--benchmark_filter=/10/); the big one is
// the figure that counts, copied once per run.
BENCHMARK(BM_TreeCopyCpR)->Args({10, 25, 30})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TreeCopyThroughSeam)->Args({10, 25, 30})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TreeCopyCpR)->Args({50, 50, 300})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TreeCopyThroughSeam)->Args({50, 50, 300})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
