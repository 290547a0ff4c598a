// Whole-machine operations for tools and tests: snapshots and their
// difference, the restart, and registry export.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

namespace ks::sim {
using namespace detail;

namespace {

constexpr char16_t kSessionManager[] = u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char16_t kPendingRenames[] = u"PendingFileRenameOperations";
constexpr sys::DWORD kRunOnceWaitMs = 10 * 60 * 1000;

std::string Hex(const std::string& data) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : data) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool HashFile(const std::string& host, std::uint64_t* hash) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  std::uint64_t h = 1469598103934665603ull;
  char buffer[1 << 16];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
    for (ssize_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
  ::close(fd);
  *hash = h;
  return n == 0;
}

void SnapshotFolder(const std::string& host, const std::string& windows, std::vector<std::string>* lines) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(host, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string relative = it->path().lexically_relative(host).string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    std::string name = windows + "\\" + relative;
    if (it->is_symlink(ec)) continue;
    if (it->is_directory(ec)) {
      lines->push_back("folder " + name);
    } else {
      std::uint64_t hash = 0;
      HashFile(it->path().string(), &hash);
      char details[64];
      std::snprintf(details, sizeof details, "\tsize=%llu\thash=%016llx",
                    static_cast<unsigned long long>(it->file_size(ec)), static_cast<unsigned long long>(hash));
      lines->push_back("file " + name + details);
    }
  }
}

std::string Quote(const std::u16string& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string HexList(const std::string& data) {
  std::string out;
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    if (i) out += ',';
    out += byte;
  }
  return out;
}

std::string ExportValue(const RegistryItem& item) {
  std::string line = item.name.empty() ? "@=" : Quote(item.name) + "=";
  const std::string& data = item.data;
  if (item.type == sys::REG_SZ && data.size() % 2 == 0) {
    std::u16string text(data.size() / 2, u'\0');
    std::memcpy(text.data(), data.data(), data.size());
    if (!text.empty() && text.back() == 0) text.pop_back();
    if (text.find(u'\0') == std::u16string::npos) return line + Quote(text);
  }
  if (item.type == sys::REG_DWORD && data.size() == 4) {
    std::uint32_t value;
    std::memcpy(&value, data.data(), 4);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    return line + text;
  }
  if (item.type == sys::REG_BINARY) return line + "hex:" + HexList(data);
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", item.type);
  return line + prefix + HexList(data);
}

std::u16string StripPrefix(std::u16string path, bool* replace) {
  *replace = !path.empty() && path[0] == u'!';
  if (*replace) path.erase(0, 1);
  if (path.compare(0, 4, u"\\??\\") == 0) path.erase(0, 4);
  return path;
}

std::u16string Expand(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : std::u16string::npos;
    if (close == std::u16string::npos) {
      out += text[i];
      continue;
    }
    std::u16string name = text.substr(i + 1, close - i - 1);
    sys::WCHAR value[1024];
    sys::DWORD n = sys::GetEnvironmentVariable(name.c_str(), value, 1024);
    if (n > 0 && n < 1024) {
      out += value;
      i = close;
    } else {
      out += text[i];
    }
  }
  return out;
}

void RunOnce(sys::HKEY root, const std::u16string& key, sys::REGSAM view, std::vector<std::string>* log) {
  sys::HKEY handle = nullptr;
  if (sys::RegOpenKeyEx(root, key.c_str(), 0, sys::KEY_ALL_ACCESS | view, &handle)) return;
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  for (sys::DWORD index = 0;; ++index) {
    sys::WCHAR name[256];
    sys::DWORD nameLength = 256, type = 0, size = 0;
    if (sys::RegEnumValue(handle, index, name, &nameLength, nullptr, &type, nullptr, &size)) break;
    std::u16string command(size / 2 + 1, u'\0');
    sys::DWORD bytes = size;
    if (sys::RegQueryValueEx(handle, name, nullptr, &type, reinterpret_cast<sys::BYTE*>(command.data()), &bytes) ||
        (type != sys::REG_SZ && type != sys::REG_EXPAND_SZ))
      continue;
    command.resize(bytes / 2);
    while (!command.empty() && command.back() == 0) command.pop_back();
    entries.emplace_back(name, type == sys::REG_EXPAND_SZ ? Expand(command) : command);
  }
  for (auto& [name, command] : entries) {
    // Windows removes an entry before running it, unless its name starts with "!".
    const bool keepUntilDone = !name.empty() && name[0] == u'!';
    if (!keepUntilDone) sys::RegDeleteValue(handle, name.c_str());
    std::u16string line = Expand(command);
    sys::PROCESS_INFORMATION process{};
    sys::STARTUPINFO startup{};
    startup.cb = sizeof startup;
    if (sys::CreateProcess(nullptr, line.data(), nullptr, nullptr, sys::FALSE, 0, nullptr, nullptr, &startup,
                           &process)) {
      sys::WaitForSingleObject(process.hProcess, kRunOnceWaitMs);
      sys::DWORD code = 0;
      sys::GetExitCodeProcess(process.hProcess, &code);
      sys::CloseHandle(process.hThread);
      sys::CloseHandle(process.hProcess);
      log->push_back("runonce " + Utf8(name) + ": " + Utf8(line) + " (exit " + std::to_string(code) + ")");
    } else {
      log->push_back("runonce " + Utf8(name) + ": " + Utf8(line) + " failed to start (error " +
                     std::to_string(sys::GetLastError()) + ")");
    }
    if (keepUntilDone) sys::RegDeleteValue(handle, name.c_str());
  }
  sys::RegCloseKey(handle);
}

}  // namespace

bool TakeSnapshot(std::string* text, std::string* error) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) {
    *error = "no machine attached";
    return false;
  }
  std::vector<std::string> lines;
  std::error_code ec;
  for (auto& drive : std::filesystem::directory_iterator(machine->folder + "/drives", ec)) {
    std::string letter = drive.path().filename().string();
    if (letter.size() != 1) continue;
    SnapshotFolder(drive.path().string(), std::string(1, char(std::toupper(letter[0]))) + ":", &lines);
  }
  SnapshotFolder(machine->folder + "/unc", "\\", &lines);
  for (auto root : {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"}) {
    std::vector<RegistryItem> items;
    if (!ListRegistry(root, &items, error)) return false;
    for (auto& item : items) {
      if (item.isKey)
        lines.push_back("key " + Utf8(item.keyPath));
      else
        lines.push_back("value " + Utf8(item.keyPath) + "\\" + (item.name.empty() ? "@" : Utf8(item.name)) +
                        "\ttype=" + std::to_string(item.type) + "\tdata=" + Hex(item.data));
    }
  }
  std::sort(lines.begin(), lines.end());
  text->clear();
  for (auto& line : lines) *text += line + "\n";
  return true;
}

std::vector<std::string> DiffSnapshots(const std::string& before, const std::string& after) {
  auto parse = [](const std::string& text) {
    std::map<std::string, std::string> entries;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      size_t tab = line.find('\t');
      entries[line.substr(0, tab)] = tab == std::string::npos ? "" : line.substr(tab);
    }
    return entries;
  };
  auto old = parse(before), now = parse(after);
  std::vector<std::string> changes;
  for (auto& [name, details] : now) {
    auto it = old.find(name);
    if (it == old.end())
      changes.push_back("+ " + name);
    else if (it->second != details)
      changes.push_back("* " + name);
  }
  for (auto& [name, details] : old)
    if (!now.count(name)) changes.push_back("- " + name);
  std::sort(changes.begin(), changes.end(), [](const std::string& a, const std::string& b) {
    return a.substr(2) != b.substr(2) ? a.substr(2) < b.substr(2) : a < b;
  });
  return changes;
}

bool Reboot(std::vector<std::string>* log, std::string* error) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) {
    *error = "no machine attached";
    return false;
  }
  SystemAccess system;
  const bool process64 = machine->process64;
  machine->process64 = machine->identity.is64Bit;  // the system itself is not redirected
  Journal("reboot", "start");
  std::vector<std::u16string> operations;
  ReadMultiString(kSessionManager, kPendingRenames, &operations);
  for (size_t i = 0; i + 1 < operations.size(); i += 2) {
    bool replace = false, unused = false;
    std::u16string from = StripPrefix(operations[i], &unused);
    std::u16string to = StripPrefix(operations[i + 1], &replace);
    bool ok;
    if (to.empty()) {
      sys::SetFileAttributes(from.c_str(), sys::FILE_ATTRIBUTE_NORMAL);
      sys::DWORD attributes = sys::GetFileAttributes(from.c_str());
      ok = attributes != sys::INVALID_FILE_ATTRIBUTES && (attributes & sys::FILE_ATTRIBUTE_DIRECTORY)
               ? sys::RemoveDirectory(from.c_str())
               : sys::DeleteFile(from.c_str());
      log->push_back("delete " + Utf8(from) + (ok ? "" : " failed (error " + std::to_string(sys::GetLastError()) + ")"));
    } else {
      ok = sys::MoveFileEx(from.c_str(), to.c_str(), replace ? sys::MOVEFILE_REPLACE_EXISTING : 0);
      log->push_back("move " + Utf8(from) + " -> " + Utf8(to) +
                     (ok ? "" : " failed (error " + std::to_string(sys::GetLastError()) + ")"));
    }
  }
  sys::HKEY session = nullptr;
  if (!sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                         sys::KEY_ALL_ACCESS | sys::KEY_WOW64_64KEY, &session)) {
    sys::RegDeleteValue(session, kPendingRenames);
    sys::RegCloseKey(session);
  }
  const std::u16string runOnce = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  RunOnce(sys::HKEY_LOCAL_MACHINE, runOnce, sys::KEY_WOW64_64KEY, log);
  if (machine->identity.is64Bit) RunOnce(sys::HKEY_LOCAL_MACHINE, runOnce, sys::KEY_WOW64_32KEY, log);
  RunOnce(sys::HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, log);
  machine->process64 = process64;
  Journal("reboot", "done");
  return true;
}

bool ExportRegistry(const std::u16string& keyPath, std::string* text, std::string* error) {
  std::vector<RegistryItem> items;
  if (!ListRegistry(keyPath, &items, error)) return false;
  *text = "Windows Registry Editor Version 5.00\r\n";
  for (auto& item : items) {
    if (item.isKey)
      *text += "\r\n[" + Utf8(item.keyPath) + "]\r\n";
    else
      *text += ExportValue(item) + "\r\n";
  }
  return true;
}

}  // namespace ks::sim
