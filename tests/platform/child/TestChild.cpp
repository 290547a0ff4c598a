// A program the process tests start on the simulated machine. It acts through
// the seam, so what it does lands on the machine it inherited.
//   exit N | sleep MS | write PATH TEXT | whoami PATH | mutex NAME | regwrite KEY PREFIX COUNT

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"
#include "platform/SysTime.h"

#include <cstdlib>
#include <string>

using namespace ks;

namespace {

// The tests give the helper ASCII arguments and read back ASCII, so a plain
// widening serves both backends (anything else comes out as '?').
std::u16string Widen(const std::string& text) {
  std::u16string wide;
  for (unsigned char c : text) wide += c < 0x80 ? char16_t(c) : u'?';
  return wide;
}
std::string Narrow(const std::u16string& text) {
  std::string narrow;
  for (char16_t c : text) narrow += c < 0x80 ? char(c) : '?';
  return narrow;
}

bool Write(const std::u16string& path, const std::u16string& text) {
  sys::HANDLE file = sys::CreateFile(path.c_str(), sys::GENERIC_WRITE, 0, nullptr, sys::CREATE_ALWAYS, 0, nullptr);
  if (file == sys::INVALID_HANDLE_VALUE) return false;
  std::string bytes = Narrow(text);
  sys::DWORD written = 0;
  bool ok = sys::WriteFile(file, bytes.data(), sys::DWORD(bytes.size()), &written, nullptr);
  return sys::CloseHandle(file) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  std::string command = argv[1];
  auto arg = [&](int i) { return i < argc ? Widen(argv[i]) : std::u16string(); };
  if (command == "exit" && argc == 3) return std::atoi(argv[2]);
  if (command == "sleep" && argc == 3) {
    sys::Sleep(sys::DWORD(std::atoi(argv[2])));
    return 0;
  }
  if (command == "write" && argc == 4) return Write(arg(2), arg(3)) ? 0 : 1;
  if (command == "whoami" && argc == 3) {
    sys::WCHAR name[sys::MAX_PATH];
    sys::GetModuleFileName(nullptr, name, sys::MAX_PATH);
    return Write(arg(2), std::u16string(name) + u"|" + sys::GetCommandLine()) ? 0 : 1;
  }
  if (command == "mutex" && argc == 3) {
    std::u16string name = arg(2);
    sys::HANDLE mutex = sys::CreateMutex(nullptr, sys::FALSE, name.c_str());
    if (!mutex) return 2;
    int result = sys::GetLastError() == sys::ERROR_ALREADY_EXISTS ? 1 : 0;
    sys::CloseHandle(mutex);
    return result;
  }
  if (command == "regwrite" && argc == 5) {
    std::u16string key = arg(2), prefix = arg(3);
    int count = std::atoi(argv[4]);
    sys::HKEY handle = nullptr;
    if (sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS, nullptr, &handle,
                            nullptr))
      return 3;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
      std::u16string name = prefix + Widen(std::to_string(i));
      sys::DWORD value = sys::DWORD(i);
      if (sys::RegSetValueEx(handle, name.c_str(), 0, sys::REG_DWORD, reinterpret_cast<const sys::BYTE*>(&value), 4))
        ++failures;
    }
    sys::RegCloseKey(handle);
    return failures ? 4 : 0;
  }
  return 100;
}
