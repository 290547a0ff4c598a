// The fixture's helpers that go only through the seam, the same on both
// backends.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysHandle.h"
#include "platform/SysProcess.h"

using namespace ks;

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

long TestMachine::RunCommandLine(std::u16string line, sys::DWORD timeoutMs) {
  sys::STARTUPINFO startup{};
  startup.cb = sizeof startup;
  sys::PROCESS_INFORMATION process{};
  if (!sys::CreateProcess(nullptr, line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
    ADD_FAILURE() << "the program did not start (error " << sys::GetLastError() << ")";
    return -1;
  }
  EXPECT_EQ(sys::WaitForSingleObject(process.hProcess, timeoutMs), sys::WAIT_OBJECT_0) << "the program did not end";
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(process.hProcess, &code);
  sys::CloseHandle(process.hThread);
  sys::CloseHandle(process.hProcess);
  return long(code);
}

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
