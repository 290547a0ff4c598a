// ksmachine: makes and inspects simulated Windows machines.

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace ks;
using sim::ToUtf16;
using sim::ToUtf8;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: ksmachine COMMAND DIR ...\n"
    "  create DIR [--os 10|8.1|7|xp] [--32bit] [--user NAME] [--standard-user] [--offline]\n"
    "             [--drive X=HOSTDIR] [--size X=BYTES] [--program NAME.exe=HOSTCOMMAND]\n"
    "  reg query DIR KEY          values and subkeys of KEY (HKEY_LOCAL_MACHINE\\...)\n"
    "  reg export DIR KEY [FILE]  REGEDIT5 text of KEY and below\n"
    "  ls DIR PATH                a folder's entries (C:\\Windows)\n"
    "  run DIR PROGRAM [ARGS...]  start PROGRAM (a Windows path) on the machine and wait\n"
    "  reboot DIR                 pending renames, then RunOnce entries\n"
    "  snapshot DIR FILE          every file and registry value into FILE\n"
    "  diff DIR FILE              what changed since snapshot FILE\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "ksmachine: %s\n", message.c_str());
  return kExitFailure;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "ksmachine: %s\n%s", message.c_str(), kUsage);
  return kExitUsage;
}

bool Attach(const std::string& folder) {
  std::string error;
  if (!sim::AttachMachine(folder, &error)) {
    std::fprintf(stderr, "ksmachine: %s\n", error.c_str());
    return false;
  }
  sim::SetProcess64(true);  // the tool sees the machine as the system does
  return true;
}

bool ParseLetterValue(const std::string& text, char* letter, std::string* value) {
  if (text.size() < 3 || text[1] != '=' || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  *value = text.substr(2);
  return true;
}

int Create(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("create needs a folder");
  sim::Identity identity;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    auto next = [&](std::string* value) {
      if (i + 1 >= args.size()) return false;
      *value = args[++i];
      return true;
    };
    std::string value;
    if (option == "--os" && next(&value)) {
      if (value == "10") identity.major = 10, identity.minor = 0, identity.build = 19045;
      else if (value == "8.1") identity.major = 6, identity.minor = 3, identity.build = 9600;
      else if (value == "7") identity.major = 6, identity.minor = 1, identity.build = 7601, identity.servicePack = u"Service Pack 1";
      else if (value == "xp") identity.major = 5, identity.minor = 1, identity.build = 2600, identity.servicePack = u"Service Pack 3", identity.is64Bit = false;
      else return Usage("unknown OS " + value);
    } else if (option == "--32bit") {
      identity.is64Bit = false;
    } else if (option == "--user" && next(&value)) {
      identity.userName = ToUtf16(value);
    } else if (option == "--standard-user") {
      identity.administrator = false;
    } else if (option == "--offline") {
      identity.networkUp = false;
    } else if ((option == "--drive" || option == "--size") && next(&value)) {
      char letter;
      std::string rest;
      if (!ParseLetterValue(value, &letter, &rest)) return Usage("expected X=VALUE after " + option);
      if (option == "--drive") {
        identity.mappedDrives[letter] = rest;
      } else {
        char* end = nullptr;
        unsigned long long size = std::strtoull(rest.c_str(), &end, 10);
        if (*end) return Usage("bad size " + rest);
        identity.driveSizes[letter] = size;
      }
    } else if (option == "--program" && next(&value)) {
      size_t eq = value.find('=');
      if (eq == std::string::npos) return Usage("expected NAME.exe=COMMAND after --program");
      identity.programs[ToUtf16(value.substr(0, eq))] = value.substr(eq + 1);
    } else {
      return Usage("unknown option " + option);
    }
  }
  std::string error;
  if (!sim::CreateMachine(args[0], identity, &error)) return Fail(error);
  std::printf("created %s\n", args[0].c_str());
  return 0;
}

std::string TypeName(sys::DWORD type) {
  switch (type) {
    case sys::REG_SZ: return "REG_SZ";
    case sys::REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case sys::REG_BINARY: return "REG_BINARY";
    case sys::REG_DWORD: return "REG_DWORD";
    case sys::REG_MULTI_SZ: return "REG_MULTI_SZ";
    case sys::REG_QWORD: return "REG_QWORD";
    default: return "REG_NONE(" + std::to_string(type) + ")";
  }
}

std::string ValueText(sys::DWORD type, const std::vector<sys::BYTE>& data) {
  std::ostringstream out;
  if (type == sys::REG_SZ || type == sys::REG_EXPAND_SZ || type == sys::REG_MULTI_SZ) {
    std::u16string text(data.size() / 2, u'\0');
    std::memcpy(text.data(), data.data(), text.size() * 2);
    while (!text.empty() && text.back() == 0) text.pop_back();
    for (auto& c : text)
      if (c == 0) c = u'|';  // items of a multi-string
    return ToUtf8(text);
  }
  if (type == sys::REG_DWORD && data.size() == 4) {
    std::uint32_t value;
    std::memcpy(&value, data.data(), 4);
    out << "0x" << std::hex << value;
    return out.str();
  }
  if (type == sys::REG_QWORD && data.size() == 8) {
    std::uint64_t value;
    std::memcpy(&value, data.data(), 8);
    out << "0x" << std::hex << value;
    return out.str();
  }
  char byte[4];
  for (auto b : data) {
    std::snprintf(byte, sizeof byte, "%02X", b);
    out << byte;
  }
  return out.str();
}

bool SplitKey(const std::string& path, sys::HKEY* root, std::u16string* rest) {
  std::string head = path.substr(0, path.find('\\'));
  for (auto& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (head == "HKEY_LOCAL_MACHINE" || head == "HKLM") *root = sys::HKEY_LOCAL_MACHINE;
  else if (head == "HKEY_CURRENT_USER" || head == "HKCU") *root = sys::HKEY_CURRENT_USER;
  else if (head == "HKEY_CLASSES_ROOT" || head == "HKCR") *root = sys::HKEY_CLASSES_ROOT;
  else if (head == "HKEY_USERS" || head == "HKU") *root = sys::HKEY_USERS;
  else if (head == "HKEY_CURRENT_CONFIG" || head == "HKCC") *root = sys::HKEY_CURRENT_CONFIG;
  else return false;
  size_t slash = path.find('\\');
  *rest = slash == std::string::npos ? u"" : ToUtf16(path.substr(slash + 1));
  return true;
}

int RegQuery(const std::string& keyPath) {
  sys::HKEY root;
  std::u16string rest;
  if (!SplitKey(keyPath, &root, &rest)) return Fail("unknown registry root in " + keyPath);
  sys::HKEY key = nullptr;
  if (sys::LSTATUS status = sys::RegOpenKeyEx(root, rest.c_str(), 0, sys::KEY_READ, &key))
    return Fail("cannot open " + keyPath + " (error " + std::to_string(status) + ")");
  std::printf("%s\n", keyPath.c_str());
  for (sys::DWORD index = 0;; ++index) {
    sys::WCHAR name[16384];
    sys::DWORD nameLength = 16384, type = 0, size = 0;
    if (sys::RegEnumValue(key, index, name, &nameLength, nullptr, &type, nullptr, &size)) break;
    std::vector<sys::BYTE> data(size);
    sys::RegQueryValueEx(key, name, nullptr, &type, data.data(), &size);
    data.resize(size);
    std::string shown = nameLength ? ToUtf8(std::u16string(name, nameLength)) : "(Default)";
    std::printf("    %s    %s    %s\n", shown.c_str(), TypeName(type).c_str(), ValueText(type, data).c_str());
  }
  for (sys::DWORD index = 0;; ++index) {
    sys::WCHAR name[256];
    sys::DWORD nameLength = 256;
    if (sys::RegEnumKeyEx(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr)) break;
    std::printf("%s\\%s\n", keyPath.c_str(), ToUtf8(std::u16string(name, nameLength)).c_str());
  }
  sys::RegCloseKey(key);
  return 0;
}

int List(const std::string& path) {
  std::u16string folder = ToUtf16(path);
  while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
  sys::DWORD attributes = sys::GetFileAttributes(folder.c_str());
  if (attributes == sys::INVALID_FILE_ATTRIBUTES)
    return Fail("cannot find " + path + " (error " + std::to_string(sys::GetLastError()) + ")");
  std::u16string pattern = folder;
  if (attributes & sys::FILE_ATTRIBUTE_DIRECTORY) pattern += (folder.back() == u'\\' ? u"*" : u"\\*");
  sys::WIN32_FIND_DATA data;
  sys::HANDLE find = sys::FindFirstFile(pattern.c_str(), &data);
  if (find == sys::INVALID_HANDLE_VALUE) return 0;  // an empty folder
  do {
    std::u16string name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    char flags[5] = "----";
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_READONLY) flags[0] = 'r';
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_HIDDEN) flags[1] = 'h';
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_SYSTEM) flags[2] = 's';
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_ARCHIVE) flags[3] = 'a';
    if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_DIRECTORY)
      std::printf("%s %14s  %s\n", flags, "<DIR>", ToUtf8(name).c_str());
    else
      std::printf("%s %14llu  %s\n", flags,
                  (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                  ToUtf8(name).c_str());
  } while (sys::FindNextFile(find, &data));
  sys::FindClose(find);
  return 0;
}

// Quotes an argument so CommandLineToArgvW gives it back unchanged.
std::u16string QuoteArgument(const std::u16string& argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string::npos) return argument;
  std::u16string out = u"\"";
  size_t slashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++slashes;
      continue;
    }
    out.append(c == u'"' ? slashes * 2 + 1 : slashes, u'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, u'\\');
  return out + u"\"";
}

int Run(const std::vector<std::string>& args) {
  std::u16string program = ToUtf16(args[0]);
  std::u16string line = QuoteArgument(program);
  for (size_t i = 1; i < args.size(); ++i) line += u" " + QuoteArgument(ToUtf16(args[i]));
  sys::STARTUPINFO startup{};
  startup.cb = sizeof startup;
  sys::PROCESS_INFORMATION process{};
  if (!sys::CreateProcess(program.c_str(), line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                          &process))
    return Fail("cannot start " + args[0] + " (error " + std::to_string(sys::GetLastError()) + ")");
  sys::WaitForSingleObject(process.hProcess, sys::INFINITE);
  sys::DWORD code = 0;
  sys::GetExitCodeProcess(process.hProcess, &code);
  sys::CloseHandle(process.hThread);
  sys::CloseHandle(process.hProcess);
  std::printf("exit code %u\n", code);
  return int(code & 0xFF);
}

bool ReadFileText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *text = buffer.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? kExitUsage : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "create") return Create(args);
  if (command == "reg") {
    if (args.size() < 3 || (args[0] != "query" && args[0] != "export")) return Usage("reg query|export DIR KEY");
    if (!Attach(args[1])) return kExitFailure;
    if (args[0] == "query") return RegQuery(args[2]);
    std::string text, error;
    if (!sim::ExportRegistry(ToUtf16(args[2]), &text, &error)) return Fail(error);
    if (args.size() > 3) {
      std::ofstream out(args[3], std::ios::binary);
      if (!out || !(out << text)) return Fail("cannot write " + args[3]);
    } else {
      std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return 0;
  }
  if (command == "ls") {
    if (args.size() != 2) return Usage("ls DIR PATH");
    if (!Attach(args[0])) return kExitFailure;
    return List(args[1]);
  }
  if (command == "run") {
    if (args.size() < 2) return Usage("run DIR PROGRAM [ARGS...]");
    if (!Attach(args[0])) return kExitFailure;
    sim::SetProcess64(false);
    return Run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (command == "reboot") {
    if (args.size() != 1) return Usage("reboot DIR");
    if (!Attach(args[0])) return kExitFailure;
    std::vector<std::string> log;
    std::string error;
    if (!sim::Reboot(&log, &error)) return Fail(error);
    for (auto& line : log) std::printf("%s\n", line.c_str());
    std::printf("restarted\n");
    return 0;
  }
  if (command == "snapshot" || command == "diff") {
    if (args.size() != 2) return Usage(command + " DIR FILE");
    if (!Attach(args[0])) return kExitFailure;
    std::string now, error;
    if (!sim::TakeSnapshot(&now, &error)) return Fail(error);
    if (command == "snapshot") {
      std::ofstream out(args[1], std::ios::binary);
      if (!out || !(out << now)) return Fail("cannot write " + args[1]);
      return 0;
    }
    std::string before;
    if (!ReadFileText(args[1], &before)) return Fail("cannot read snapshot " + args[1]);
    for (auto& change : sim::DiffSnapshots(before, now)) std::printf("%s\n", change.c_str());
    return 0;
  }
  return Usage("unknown command " + command);
}
