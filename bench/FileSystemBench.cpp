// Folder copy and delete through the file-system helpers on a fresh simulated
// machine: a tree of 8 folders of 25 files of 4 KB, copied with
// KsMoveCopyDirectory and removed with DeleteFolder, against the same work
// done with the seam's CopyFile in a plain loop (the helpers' own cost is the
// difference: listing, folder creation, long-path checks, progress).

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "foundation/KsFileSystem.h"
#include "platform/SysFile.h"
#include "platform/sim/SimMachine.h"

namespace {

constexpr int kFolders = 8;
constexpr int kFilesPerFolder = 25;
constexpr const KsChar* kSource = u"C:\\BenchSource";
constexpr const KsChar* kTarget = u"C:\\BenchTarget";

// Attaches a fresh machine holding the source tree for the benchmark's life.
class BenchMachine {
 public:
  BenchMachine() {
    char folder[] = "/tmp/ks-bench-XXXXXX";
    std::string error;
    if (::mkdtemp(folder) != nullptr) m_folder = folder;
    m_ok = !m_folder.empty() && ks::sim::CreateMachine(m_folder + "/m", ks::sim::Identity(), &error) &&
           ks::sim::AttachMachine(m_folder + "/m", &error);
    const std::string content(4096, 'x');
    for (int f = 0; m_ok && f < kFolders; ++f) {
      const KsString sub = KsFormat(u"%s\\Folder %d", kSource, f);
      m_ok = KsFileSystem::CreateFolder(sub);
      for (int i = 0; m_ok && i < kFilesPerFolder; ++i) {
        const KsString file = KsFormat(u"%s\\File %d.dat", sub, i);
        ks::sys::HANDLE handle = ks::sys::CreateFile(file.Chars(), ks::sys::GENERIC_WRITE, 0, nullptr,
                                                     ks::sys::CREATE_ALWAYS, 0, nullptr);
        ks::sys::DWORD written = 0;
        m_ok = handle != ks::sys::INVALID_HANDLE_VALUE &&
               ks::sys::WriteFile(handle, content.data(), static_cast<ks::sys::DWORD>(content.size()), &written,
                                  nullptr);
        if (handle != ks::sys::INVALID_HANDLE_VALUE) ks::sys::CloseHandle(handle);
      }
    }
  }
  ~BenchMachine() {
    ks::sim::DetachMachine();
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  bool Ok() const { return m_ok; }

 private:
  std::string m_folder;
  bool m_ok = false;
};

void BM_KsMoveCopyDirectory(benchmark::State& state) {
  BenchMachine machine;
  if (!machine.Ok()) return state.SkipWithError("no machine");
  for (auto _ : state) {
    if (!KsMoveCopyDirectory(kSource, kTarget, 0, nullptr)) return state.SkipWithError("copy failed");
    if (!KsFileSystem::DeleteFolder(kTarget)) return state.SkipWithError("delete failed");
  }
  state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
BENCHMARK(BM_KsMoveCopyDirectory)->Unit(benchmark::kMillisecond);

void BM_PlainCopyFileLoop(benchmark::State& state) {
  BenchMachine machine;
  if (!machine.Ok()) return state.SkipWithError("no machine");
  for (auto _ : state) {
    ks::sys::CreateDirectory(kTarget, nullptr);
    for (int f = 0; f < kFolders; ++f) {
      const KsString from = KsFormat(u"%s\\Folder %d", kSource, f);
      const KsString to = KsFormat(u"%s\\Folder %d", kTarget, f);
      ks::sys::CreateDirectory(to.Chars(), nullptr);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        const KsString name = KsFormat(u"\\File %d.dat", i);
        ks::sys::CopyFile((from + name).Chars(), (to + name).Chars(), ks::sys::FALSE);
      }
    }
    for (int f = 0; f < kFolders; ++f) {
      const KsString to = KsFormat(u"%s\\Folder %d", kTarget, f);
      for (int i = 0; i < kFilesPerFolder; ++i)
        ks::sys::DeleteFile((to + KsFormat(u"\\File %d.dat", i)).Chars());
      ks::sys::RemoveDirectory(to.Chars());
    }
    ks::sys::RemoveDirectory(kTarget);
  }
  state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
BENCHMARK(BM_PlainCopyFileLoop)->Unit(benchmark::kMillisecond);

}  // namespace
