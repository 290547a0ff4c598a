// The host side: the module is the host shared object the build made, copied
// into the simulated machine's file system.

#include "ToolsModuleTest.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/sim/SimControl.h"

bool InstallToolsModule(const std::u16string& windowsPath) {
  std::error_code error;
  const std::string target = ks::sim::HostPath(windowsPath);
  std::filesystem::copy_file(KS_TOOLS_MODULE, target, std::filesystem::copy_options::overwrite_existing, error);
  return !error && ::chmod(target.c_str(), 0755) == 0;
}
