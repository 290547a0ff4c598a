// Benchmarks of what a person and a test see: a window of controls repainted
// and read back as text from the simulated machine's grid (what UiDriver and
// the terminal display do on every change), for a message-like window with a
// long formatted text and for a report of many rows.

#include "platform/SysWindow.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"
#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsTreeReportCtrl.h"
#include "toolkit/UiDriver.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace ks;
namespace fs = std::filesystem;

// One machine for the whole run, removed at exit.
class ToolkitBenchMachine {
 public:
  ToolkitBenchMachine() {
    m_folder = (fs::temp_directory_path() / ("ks-toolkit-bench-" + std::to_string(::getpid()))).string();
    fs::remove_all(m_folder);
    std::string error;
    if (!sim::CreateMachine(m_folder, sim::Identity(), &error) || !sim::AttachMachine(m_folder, &error)) {
      std::fprintf(stderr, "bench machine: %s\n", error.c_str());
      std::abort();
    }
  }
  ~ToolkitBenchMachine() {
    sim::DetachMachine();
    fs::remove_all(m_folder);
  }

 private:
  std::string m_folder;
};

void EnsureMachine() { static ToolkitBenchMachine machine; }

// A 640 x 480 window (80 x 30 cells) holding one control that fills it.
struct Window {
  KsControlsWnd host;
  std::unique_ptr<KsControlWnd> control;
  Window() {
    EnsureMachine();
    host.Create(nullptr, u"KsBenchWnd", u"Bench", sys::WS_POPUP | sys::WS_VISIBLE, 0, sys::RECT{0, 0, 640, 480});
  }
  ~Window() {
    control.reset();
    host.Destroy();
  }
};

void BM_RenderFormattedText(benchmark::State& state) {
  Window window;
  auto text = std::make_unique<KsFormattedTextCtrl>();
  text->Create(&window.host, sys::RECT{8, 8, 632, 472});
  std::u16string body;
  for (int i = 0; i < state.range(0); ++i) body += u"The file <b>Auralis.exe</b> is in use.\tClose it and try again. ";
  text->SetText(body.c_str());
  window.control = std::move(text);
  std::size_t characters = 0;
  for (auto _ : state) characters += UiDriver::Render(&window.host).size();
  benchmark::DoNotOptimize(characters);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderFormattedText)->Arg(1)->Arg(20);

void BM_RenderTreeReport(benchmark::State& state) {
  Window window;
  auto tree = std::make_unique<KsTreeReportCtrl>();
  tree->Create(&window.host, sys::RECT{0, 0, 640, 480});
  tree->AddColumn(u"Type", 200);
  tree->AddColumn(u"Description", 400);
  for (int group = 0; group < state.range(0) / 10; ++group) {
    int id = tree->AddGroup({u"Audio"});
    for (int item = 0; item < 9; ++item) tree->AddItem(id, {u".mp3", u"MPEG audio"});
  }
  window.control = std::move(tree);
  std::size_t characters = 0;
  for (auto _ : state) characters += UiDriver::Render(&window.host).size();
  benchmark::DoNotOptimize(characters);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderTreeReport)->Arg(30)->Arg(1000);

}  // namespace
