// The host side of the fixture: each test gets its own simulated machine in a
// temporary folder, removed afterwards.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <filesystem>
#include <sys/stat.h>

using namespace ks;

std::string Narrow(const std::u16string& text) { return sim::ToUtf8(text); }

void TestMachine::SetUp() {
  std::string base = std::filesystem::temp_directory_path().string() + "/ks-machine-XXXXXX";
  ASSERT_NE(::mkdtemp(base.data()), nullptr);
  m_folder = base;
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(m_folder + "/m", sim::Identity(), &error)) << error;
  ASSERT_TRUE(sim::AttachMachine(m_folder + "/m", &error)) << error;
  sim::SetProcess64(false);
  sim::ClearFaults();
  sim::TakeHandleProblems();
  m_root = u"C:\\KsTest";
  ASSERT_TRUE(sys::CreateDirectory(m_root.c_str(), nullptr));
  m_keyPath = u"Software\\KestruneTest";
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            0);
  sys::RegCloseKey(key);
}

void TestMachine::TearDown() {
  std::vector<std::string> problems = sim::TakeHandleProblems();
  for (auto& problem : problems) ADD_FAILURE() << "handle problem: " << problem;
  sim::ClearFaults();
  sim::UseVirtualTime(false);
  sim::DetachMachine();
  std::error_code ec;
  std::filesystem::remove_all(m_folder, ec);
}

namespace {
std::u16string InstallHostFile(const std::u16string& windowsPath, const char* hostFile) {
  std::string target = sim::HostPath(windowsPath);
  std::error_code ec;
  std::filesystem::copy_file(hostFile, target, std::filesystem::copy_options::overwrite_existing, ec);
  ::chmod(target.c_str(), 0755);
  return windowsPath;
}
}  // namespace

std::u16string TestMachine::ChildProgram() { return InstallHostFile(Path(u"child.exe"), KS_TEST_CHILD); }
std::u16string TestMachine::TestModule() { return InstallHostFile(Path(u"module.dll"), KS_TEST_MODULE); }
