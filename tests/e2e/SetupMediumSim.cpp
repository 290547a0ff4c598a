// The simulated machine's medium: a host copy of the setup folder shown as
// drive D:.

#include <filesystem>

#include "SetupMedium.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace {
std::string g_medium;
}  // namespace

std::u16string PrepareSetupMedium(const std::u16string&) {
  g_medium = ks::sim::MachineFolder() + "-medium";
  std::error_code error;
  fs::remove_all(g_medium, error);
  fs::copy(KS_SAMPLE_SETUP, g_medium, fs::copy_options::recursive, error);
  if (error) return {};
  fs::copy_file(KS_STUB_TOOLS, g_medium + "/Sonavel/KsTools.dll", fs::copy_options::overwrite_existing, error);
  if (error) return {};
  ks::sim::Identity identity = ks::sim::GetIdentity();
  identity.mappedDrives['D'] = g_medium;
  return ks::sim::SetIdentity(identity) ? u"D:\\" : u"";
}

void RemoveSetupMedium() {
  std::error_code error;
  if (!g_medium.empty()) fs::remove_all(g_medium, error);
  g_medium.clear();
}
