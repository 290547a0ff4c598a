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

bool TestMachine::WriteText(const std::u16string& path, const std::string& text) {
  sys::HANDLE file = sys::CreateFile(path.c_str(), sys::GENERIC_WRITE, 0, nullptr, sys::CREATE_ALWAYS, 0, nullptr);
  if (file == sys::INVALID_HANDLE_VALUE) return false;
  sys::DWORD written = 0;
  bool ok = sys::WriteFile(file, text.data(), sys::DWORD(text.size()), &written, nullptr) && written == text.size();
  sys::DWORD error = sys::GetLastError();
  sys::CloseHandle(file);
  sys::SetLastError(error);
  return ok;
}

std::string TestMachine::ReadText(const std::u16string& path) {
  sys::HANDLE file = sys::CreateFile(path.c_str(), sys::GENERIC_READ, sys::FILE_SHARE_READ, nullptr,
                                     sys::OPEN_EXISTING, 0, nullptr);
  if (file == sys::INVALID_HANDLE_VALUE) return "<cannot open>";
  std::string text;
  char buffer[4096];
  sys::DWORD read = 0;
  while (sys::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  sys::CloseHandle(file);
  return text;
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

long TestMachine::RunChild(const std::u16string& arguments, sys::DWORD timeoutMs) {
  std::u16string program = ChildProgram();
  std::u16string line = u"\"" + program + u"\" " + arguments;
  sys::STARTUPINFO startup{};
  startup.cb = sizeof startup;
  sys::PROCESS_INFORMATION process{};
  if (!sys::CreateProcess(program.c_str(), line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                          &process))
    return -1;
  sys::WaitForSingleObject(process.hProcess, timeoutMs);
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(process.hProcess, &code);
  sys::CloseHandle(process.hThread);
  sys::CloseHandle(process.hProcess);
  return long(code);
}
