// The installer program's entry: the load-time steps, then the application
// object's program entry with the command line's arguments. The exit code is
// the application's, which is always 0.

#include "Install/CInstallApp.h"
#include "foundation/KsProcess.h"
#include "foundation/KsProductPaths.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"

namespace {

int RunInstaller(ks::sys::HINSTANCE instance, int showCommand) {
  CInstallApp::PrepareProcess();
  int exitCode = 0;
  {
    // Lives for the whole run; ended here rather than among the static
    // objects, whose order of destruction is not ours to choose.
    CInstallApp app;
    app.Arguments().Add(KsCommandLineArguments(ks::sys::GetCommandLine()));
    exitCode = app.ProgramEntry(instance, nullptr, showCommand);
  }
  KsProductPaths::ReleaseInstance();
  return exitCode;
}

}  // namespace

#ifdef _WIN32
#include <windows.h>
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return RunInstaller(reinterpret_cast<ks::sys::HINSTANCE>(instance), showCommand);
}
#else
#include <unistd.h>

#include <memory>

#include "toolkit/KsTerminalDisplay.h"

int main() {
  // A person at a terminal sees the installer's windows there and answers them
  // with keys; a run without one (tests, scripts) draws nothing.
  std::unique_ptr<KsTerminalDisplay> display;
  if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) display = std::make_unique<KsTerminalDisplay>();
  return RunInstaller(ks::sys::GetModuleHandle(nullptr), ks::sys::SW_SHOWNORMAL);
}
#endif
