// The machine folder, identity, attaching, handles, faults and the journal.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <set>
#include <sstream>

namespace ks::sys {

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

}  // namespace ks::sys

namespace ks::sim {
namespace detail {
namespace {

MachineState* g_machine = nullptr;
bool g_triedEnvironment = false;
bool g_process64 = false;
bool g_process64Set = false;
std::u16string g_programPath;

struct Fault {
  long long failAt = 0;
  sys::DWORD error = 0;
  bool persistent = false;
  bool armed = false;
};
Fault g_faults[static_cast<int>(FaultKind::Count)];
long long g_calls[static_cast<int>(FaultKind::Count)];

constexpr int kUsageSlots = 26;
constexpr char kFormat[] = "1";

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

using IniSections = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

bool ReadIni(const std::string& path, IniSections* sections, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line, section;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') {
        *error = path + ":" + std::to_string(number) + ": damaged section line";
        return false;
      }
      section = line.substr(1, line.size() - 2);
      (*sections)[section];
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || section.empty()) {
      *error = path + ":" + std::to_string(number) + ": damaged line";
      return false;
    }
    (*sections)[section].emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return true;
}

bool ParseNumber(const std::string& text, std::uint64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || *end != 0) return false;
  *value = v;
  return true;
}

bool ParseIdentity(const IniSections& ini, Identity* identity, std::string* error) {
  auto machine = ini.find("Machine");
  bool formatOk = false;
  if (machine != ini.end())
    for (auto& [key, value] : machine->second)
      if (key == "Format" && value == kFormat) formatOk = true;
  if (!formatOk) {
    *error = "machine.ini has no [Machine] Format=1: not a machine folder or damaged";
    return false;
  }
  Identity id;
  id.driveSizes.clear();
  auto section = ini.find("Identity");
  if (section != ini.end()) {
    for (auto& entry : section->second) {
      const std::string& key = entry.first;
      const std::string& value = entry.second;
      std::uint64_t n = 0;
      bool numeric = ParseNumber(value, &n);
      auto need = [&](bool ok) {
        if (!ok) *error = "machine.ini: bad value for " + key + ": " + value;
        return ok;
      };
      if (key == "PlatformId") { if (!need(numeric)) return false; id.platformId = sys::DWORD(n); }
      else if (key == "Major") { if (!need(numeric)) return false; id.major = sys::DWORD(n); }
      else if (key == "Minor") { if (!need(numeric)) return false; id.minor = sys::DWORD(n); }
      else if (key == "Build") { if (!need(numeric)) return false; id.build = sys::DWORD(n); }
      else if (key == "ServicePack") id.servicePack = Utf16(value);
      else if (key == "CpuFeatures") { if (!need(numeric)) return false; id.cpuFeatures = n; }
      else if (key == "Is64Bit") { if (!need(numeric)) return false; id.is64Bit = n != 0; }
      else if (key == "Administrator") { if (!need(numeric)) return false; id.administrator = n != 0; }
      else if (key == "NetworkUp") { if (!need(numeric)) return false; id.networkUp = n != 0; }
      else if (key == "WebBrowserControl") { if (!need(numeric)) return false; id.webBrowserControl = n != 0; }
      else if (key == "UserName") id.userName = Utf16(value);
      else if (key == "ComputerName") id.computerName = Utf16(value);
    }
  }
  auto letterOf = [&](const std::string& key, char* letter) {
    if (key.size() != 1 || !std::isalpha(static_cast<unsigned char>(key[0]))) {
      *error = "machine.ini: bad drive letter " + key;
      return false;
    }
    *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return true;
  };
  if (auto s = ini.find("DriveSizes"); s != ini.end()) {
    for (auto& [key, value] : s->second) {
      char letter;
      std::uint64_t n;
      if (!letterOf(key, &letter)) return false;
      if (!ParseNumber(value, &n)) {
        *error = "machine.ini: bad drive size " + value;
        return false;
      }
      id.driveSizes[letter] = n;
    }
  }
  if (auto s = ini.find("Drives"); s != ini.end()) {
    for (auto& [key, value] : s->second) {
      char letter;
      if (!letterOf(key, &letter)) return false;
      id.mappedDrives[letter] = value;
    }
  }
  if (auto s = ini.find("Programs"); s != ini.end())
    for (auto& [key, value] : s->second) id.programs[Utf16(key)] = value;
  if (auto s = ini.find("Monitors"); s != ini.end()) {
    id.monitors.clear();
    for (auto& [key, value] : s->second) {
      MonitorFact m;
      if (std::sscanf(value.c_str(), "%d,%d,%d,%d,%d,%d,%d,%d", &m.left, &m.top, &m.right, &m.bottom, &m.workLeft,
                      &m.workTop, &m.workRight, &m.workBottom) != 8) {
        *error = "machine.ini: bad monitor " + key + "=" + value;
        return false;
      }
      id.monitors.push_back(m);
    }
    if (id.monitors.empty()) id.monitors.push_back(MonitorFact());
  }
  if (!id.driveSizes.count('C')) id.driveSizes['C'] = 256ull << 30;
  *identity = id;
  return true;
}

std::string IdentityText(const Identity& id) {
  std::ostringstream out;
  out << "; The simulated Windows machine's identity. Edit with care.\n[Machine]\nFormat=" << kFormat << "\n\n";
  out << "[Identity]\nPlatformId=" << id.platformId << "\nMajor=" << id.major << "\nMinor=" << id.minor
      << "\nBuild=" << id.build << "\nServicePack=" << Utf8(id.servicePack) << "\nCpuFeatures=0x" << std::hex
      << id.cpuFeatures << std::dec << "\nIs64Bit=" << id.is64Bit << "\nAdministrator=" << id.administrator
      << "\nNetworkUp=" << id.networkUp << "\nWebBrowserControl=" << id.webBrowserControl << "\nUserName=" << Utf8(id.userName)
      << "\nComputerName=" << Utf8(id.computerName) << "\n\n[DriveSizes]\n";
  for (auto& [letter, size] : id.driveSizes) out << letter << "=" << size << "\n";
  out << "\n[Drives]\n";
  for (auto& [letter, folder] : id.mappedDrives) out << letter << "=" << folder << "\n";
  out << "\n[Programs]\n";
  for (auto& [name, command] : id.programs) out << Utf8(name) << "=" << command << "\n";
  // Monitor<n>=left,top,right,bottom,workLeft,workTop,workRight,workBottom; the first is primary.
  out << "\n[Monitors]\n";
  for (std::size_t i = 0; i < id.monitors.size(); ++i) {
    const MonitorFact& m = id.monitors[i];
    out << "Monitor" << i + 1 << "=" << m.left << "," << m.top << "," << m.right << "," << m.bottom << ","
        << m.workLeft << "," << m.workTop << "," << m.workRight << "," << m.workBottom << "\n";
  }
  return out.str();
}

bool WriteText(const std::string& path, const std::string& text) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool MapUsage(MachineState* machine, std::string* error) {
  std::string path = machine->folder + "/objects/usage.bin";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  const size_t bytes = kUsageSlots * sizeof(std::int64_t);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || (static_cast<size_t>(st.st_size) < bytes && ::ftruncate(fd, bytes) != 0)) {
    *error = "cannot size " + path;
    ::close(fd);
    return false;
  }
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  if (memory == MAP_FAILED) {
    *error = "cannot map " + path;
    return false;
  }
  static_assert(std::atomic<std::int64_t>::is_always_lock_free);
  machine->usage = static_cast<std::atomic<std::int64_t>*>(memory);
  return true;
}

void Release(MachineState* machine) {
  if (!machine) return;
  CloseRegistry(machine);
  if (machine->usage) ::munmap(machine->usage, kUsageSlots * sizeof(std::int64_t));
  delete machine;
}

std::int64_t TreeBytes(const std::filesystem::path& root) {
  std::int64_t total = 0;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec)) total += static_cast<std::int64_t>(it->file_size(ec));
  }
  return total;
}

bool LoadMachine(const std::string& folder, MachineState** result, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    *error = "no machine folder at " + folder;
    return false;
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || st.st_uid != ::geteuid()) {
    *error = folder + " belongs to another user; not using it";
    return false;
  }
  IniSections ini;
  Identity identity;
  if (!ReadIni(folder + "/machine.ini", &ini, error) || !ParseIdentity(ini, &identity, error)) return false;
  if (!fs::is_directory(folder + "/drives/c", ec)) {
    *error = "machine folder " + folder + " has no drives/c";
    return false;
  }
  fs::create_directories(folder + "/objects", ec);
  auto* machine = new MachineState;
  machine->folder = fs::absolute(folder).lexically_normal().string();
  if (machine->folder.size() > 1 && machine->folder.back() == '/') machine->folder.pop_back();
  machine->identity = identity;
  if (!MapUsage(machine, error) || !OpenRegistry(machine, false, error)) {
    Release(machine);
    return false;
  }
  *result = machine;
  return true;
}

void ApplyEnvironment(MachineState* machine) {
  if (const char* bits = std::getenv("KS_MACHINE_BITS"); bits && !g_process64Set)
    g_process64 = std::string(bits) == "64";
  if (const char* program = std::getenv("KS_MACHINE_PROGRAM"); program && g_programPath.empty())
    g_programPath = Utf16(program);
  if (const char* cwd = std::getenv("KS_MACHINE_CWD")) machine->currentDirectory = Utf16(cwd);
  machine->process64 = g_process64 && machine->identity.is64Bit;
  machine->programPath = g_programPath;
}

}  // namespace

namespace {
std::recursive_mutex g_lock;
}

std::recursive_mutex& Lock() { return g_lock; }

MachineState* Machine() {
  if (!g_machine && !g_triedEnvironment) {
    g_triedEnvironment = true;
    if (const char* folder = std::getenv("KS_MACHINE")) {
      std::string error;
      if (LoadMachine(folder, &g_machine, &error)) ApplyEnvironment(g_machine);
    }
  }
  if (!g_machine) sys::SetLastError(sys::ERROR_NOT_READY);
  return g_machine;
}

bool Fail(sys::DWORD error) {
  sys::SetLastError(error);
  return false;
}

bool FaultHit(FaultKind kind, sys::DWORD* error) {
  int index = static_cast<int>(kind);
  long long call = ++g_calls[index];
  Fault& fault = g_faults[index];
  if (!fault.armed || call < fault.failAt) return false;
  if (call > fault.failAt && !fault.persistent) return false;
  *error = fault.error;
  return true;
}

sys::DWORD ErrnoToError(int error) {
  switch (error) {
    case ENOENT: return sys::ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return sys::ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return sys::ERROR_ACCESS_DENIED;
    case EEXIST: return sys::ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return sys::ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return sys::ERROR_DISK_FULL;
    case ENAMETOOLONG: return sys::ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return sys::ERROR_TOO_MANY_OPEN_FILES;
    case EBUSY: return sys::ERROR_SHARING_VIOLATION;
    case EISDIR: return sys::ERROR_ACCESS_DENIED;
    case ENOMEM: return sys::ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return sys::ERROR_INVALID_PARAMETER;
    case EIO: return sys::ERROR_WRITE_FAULT;
    default: return sys::ERROR_INVALID_FUNCTION;
  }
}

char16_t FoldChar(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c & 1) ? c : char16_t(c - 1);
    return (c & 1) ? char16_t(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
  return c;
}

std::u16string Fold(const std::u16string& text) {
  std::u16string out(text);
  for (auto& c : out) c = FoldChar(c);
  return out;
}

bool EqualFolded(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  return true;
}

std::u16string Span(const sys::WCHAR* text) { return text ? std::u16string(text) : std::u16string(); }

std::string Utf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    char32_t c;
    int extra;
    if (b < 0x80) { c = b; extra = 0; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
    else { out += u'\xFFFD'; ++i; continue; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (!ok) { out += u'\xFFFD'; ++i; continue; }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
  }
  return out;
}

sys::DWORD CopyOut(const std::u16string& text, sys::WCHAR* buffer, sys::DWORD size) {
  if (!buffer || size < text.size() + 1) return static_cast<sys::DWORD>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<sys::DWORD>(text.size());
}

// Handles: values are never reused, so a second close is always recognised.
namespace {
struct HandleTable {
  std::map<std::uintptr_t, std::unique_ptr<HandleObject>> open;
  std::set<std::uintptr_t> closed;
  std::vector<std::string> problems;
  std::uintptr_t next = 0x1000;
};
HandleTable& Handles() {
  static HandleTable table;
  return table;
}
const char* KindName(HandleKind kind) {
  switch (kind) {
    case HandleKind::File: return "file";
    case HandleKind::Find: return "find";
    case HandleKind::Process: return "process";
    case HandleKind::Thread: return "thread";
    case HandleKind::Mutex: return "mutex";
    case HandleKind::Event: return "event";
    case HandleKind::Mapping: return "file mapping";
    case HandleKind::Token: return "token";
    case HandleKind::Key: return "registry key";
    case HandleKind::Module: return "module";
  }
  return "handle";
}
}  // namespace

void* AddHandle(std::unique_ptr<HandleObject> object) {
  auto& table = Handles();
  std::uintptr_t value = table.next;
  table.next += 4;
  table.open[value] = std::move(object);
  return reinterpret_cast<void*>(value);
}

HandleObject* FindAnyHandle(const void* value) {
  auto& table = Handles();
  auto it = table.open.find(reinterpret_cast<std::uintptr_t>(value));
  if (it == table.open.end()) {
    sys::SetLastError(sys::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

HandleObject* FindHandle(const void* value, HandleKind kind) {
  HandleObject* object = FindAnyHandle(value);
  if (object && object->kind != kind) {
    sys::SetLastError(sys::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

bool RemoveHandle(const void* value) {
  auto& table = Handles();
  auto key = reinterpret_cast<std::uintptr_t>(value);
  auto it = table.open.find(key);
  if (it == table.open.end()) {
    char text[64];
    std::snprintf(text, sizeof text, "handle %#zx closed %s", static_cast<size_t>(key),
                  table.closed.count(key) ? "twice" : "but never opened");
    table.problems.push_back(text);
    return Fail(sys::ERROR_INVALID_HANDLE);
  }
  table.closed.insert(key);
  auto object = std::move(it->second);
  table.open.erase(it);
  object.reset();  // the object's destructor releases what it holds
  return true;
}

void Journal(const std::string& what, const std::string& details) {
  MachineState* machine = Machine();
  if (!machine) return;
  std::string line = what + "\t" + details + "\n";
  for (auto& c : line)
    if (c == '\n' && &c != &line.back()) c = ' ';
  int fd = ::open((machine->folder + "/journal.log").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
}

bool ReserveSpace(char drive, std::int64_t bytes) {
  MachineState* machine = Machine();
  if (!machine || drive < 'A' || drive > 'Z' || bytes <= 0) return true;
  auto size = machine->identity.driveSizes.find(drive);
  if (size == machine->identity.driveSizes.end()) return true;  // a mapped host folder: host's own limit
  auto& used = machine->usage[drive - 'A'];
  std::int64_t current = used.load();
  do {
    if (current + bytes > static_cast<std::int64_t>(size->second)) return Fail(sys::ERROR_DISK_FULL);
  } while (!used.compare_exchange_weak(current, current + bytes));
  return true;
}

void ReleaseSpace(char drive, std::int64_t bytes) {
  MachineState* machine = Machine();
  if (!machine || drive < 'A' || drive > 'Z' || bytes <= 0) return;
  if (!machine->identity.driveSizes.count(drive)) return;
  auto& used = machine->usage[drive - 'A'];
  std::int64_t current = used.load();
  while (!used.compare_exchange_weak(current, current > bytes ? current - bytes : 0)) {
  }
}

}  // namespace detail

using namespace detail;

bool CreateMachine(const std::string& folder, const Identity& identity, std::string* error) {
  namespace fs = std::filesystem;
  std::lock_guard lock(Lock());
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
    *error = folder + " exists and is not empty";
    return false;
  }
  fs::create_directories(folder, ec);
  if (ec) {
    *error = "cannot create " + folder + ": " + ec.message();
    return false;
  }
  const bool xp = identity.IsXpLayout();
  const std::string user = Utf8(identity.userName);
  std::vector<std::string> folders = {"drives/c/Windows/System32", "drives/c/Windows/Fonts", "drives/c/Windows/Temp",
                                      "drives/c/Program Files", "drives/c/Program Files/Common Files", "objects",
                                      "unc"};
  if (identity.is64Bit) {
    folders.push_back("drives/c/Windows/SysWOW64");
    folders.push_back("drives/c/Program Files (x86)");
    folders.push_back("drives/c/Program Files (x86)/Common Files");
  }
  const std::string startMenu = "/Microsoft/Windows/Start Menu";
  if (xp) {
    std::string profile = "drives/c/Documents and Settings/" + user;
    std::string all = "drives/c/Documents and Settings/All Users";
    for (auto sub : {"/Desktop", "/Start Menu/Programs/Startup", "/Application Data", "/Local Settings/Application Data",
                     "/Local Settings/Temp", "/My Documents/My Music", "/My Documents/My Videos",
                     "/My Documents/My Pictures", "/Templates", "/SendTo"})
      folders.push_back(profile + sub);
    for (auto sub : {"/Desktop", "/Start Menu/Programs/Startup", "/Application Data", "/Documents/My Music"})
      folders.push_back(all + sub);
  } else {
    std::string profile = "drives/c/Users/" + user;
    for (auto sub : {"/Desktop", "/Documents", "/Music", "/Videos", "/Pictures", "/AppData/Local/Temp",
                     "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup",
                     "/AppData/Roaming/Microsoft/Windows/Templates", "/AppData/Roaming/Microsoft/Windows/SendTo"})
      folders.push_back(profile + sub);
    for (auto sub : {"/Desktop", "/Documents", "/Music"}) folders.push_back(std::string("drives/c/Users/Public") + sub);
    folders.push_back(std::string("drives/c/ProgramData") + startMenu + "/Programs/Startup");
  }
  for (auto& sub : folders) fs::create_directories(folder + "/" + sub, ec);
  for (auto& [letter, size] : identity.driveSizes) {
    if (!identity.mappedDrives.count(letter))
      fs::create_directories(folder + "/drives/" + char(std::tolower(letter)), ec);
  }
  // The machine's own RegSvr32 runs inside the sim; the file marks it.
  for (auto system : {"System32", "SysWOW64"}) {
    std::string dir = folder + "/drives/c/Windows/" + system;
    if (fs::is_directory(dir, ec)) WriteText(dir + "/regsvr32.exe", "#!ks-builtin regsvr32\n");
  }
  if (!WriteText(folder + "/machine.ini", IdentityText(identity)) ||
      !WriteText(folder + "/journal.log", "")) {
    *error = "cannot write machine.ini in " + folder;
    return false;
  }
  MachineState* previous = g_machine;
  MachineState* machine = new MachineState;
  machine->folder = fs::absolute(folder).lexically_normal().string();
  if (machine->folder.size() > 1 && machine->folder.back() == '/') machine->folder.pop_back();
  machine->identity = identity;
  if (!MapUsage(machine, error) || !OpenRegistry(machine, true, error)) {
    Release(machine);
    return false;
  }
  for (auto& [letter, size] : identity.driveSizes)
    if (!identity.mappedDrives.count(letter))
      machine->usage[letter - 'A'] = TreeBytes(folder + "/drives/" + char(std::tolower(letter)));
  g_machine = machine;
  bool ok = WriteRegistryDefaults(identity, error);
  g_machine = previous;
  Release(machine);
  return ok;
}

bool AttachMachine(const std::string& folder, std::string* error) {
  std::lock_guard lock(Lock());
  MachineState* machine = nullptr;
  if (!LoadMachine(folder, &machine, error)) return false;
  Release(g_machine);
  g_machine = machine;
  g_triedEnvironment = true;
  ApplyEnvironment(machine);
  return true;
}

void DetachMachine() {
  std::lock_guard lock(Lock());
  Release(g_machine);
  g_machine = nullptr;
}

bool IsAttached() {
  std::lock_guard lock(Lock());
  return Machine() != nullptr;
}

std::string MachineFolder() {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  return machine ? machine->folder : std::string();
}

Identity GetIdentity() {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  return machine ? machine->identity : Identity();
}

bool SetIdentity(const Identity& identity) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine || !WriteText(machine->folder + "/machine.ini", IdentityText(identity))) return false;
  machine->identity = identity;
  machine->process64 = g_process64 && identity.is64Bit;
  return true;
}

bool ReattachAfterFork() {
  // The parent may have held the lock when it forked: the child starts afresh.
  new (&g_lock) std::recursive_mutex;
  std::lock_guard lock(Lock());
  if (!g_machine) return false;
  g_machine->registry = nullptr;  // the parent's connection: never touched again here
  std::string error;
  return OpenRegistry(g_machine, false, &error);
}

void SetProcess64(bool is64) {
  std::lock_guard lock(Lock());
  g_process64 = is64;
  g_process64Set = true;
  if (g_machine) g_machine->process64 = is64 && g_machine->identity.is64Bit;
}

bool IsProcess64() {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  return machine ? machine->process64 : g_process64;
}

void SetProgramPath(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  g_programPath = windowsPath;
  if (g_machine) g_machine->programPath = windowsPath;
}

bool SetFreeSpace(char drive, std::uint64_t bytes) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
  if (!machine || drive < 'A' || drive > 'Z') return false;
  auto size = machine->identity.driveSizes.find(drive);
  if (size == machine->identity.driveSizes.end() || bytes > size->second) return false;
  machine->usage[drive - 'A'] = static_cast<std::int64_t>(size->second - bytes);
  return true;
}

void InjectFault(FaultKind kind, int nth, sys::DWORD error, bool persistent) {
  std::lock_guard lock(Lock());
  int index = static_cast<int>(kind);
  g_faults[index] = {g_calls[index] + (nth < 1 ? 1 : nth), error, persistent, true};
}

void ClearFaults() {
  std::lock_guard lock(Lock());
  for (auto& fault : g_faults) fault = {};
}

int CallCount(FaultKind kind) {
  std::lock_guard lock(Lock());
  return static_cast<int>(g_calls[static_cast<int>(kind)]);
}

void ResetCallCounts() {
  std::lock_guard lock(Lock());
  for (auto& count : g_calls) count = 0;
  for (auto& fault : g_faults) fault = {};
}

std::vector<std::string> ReadJournal() {
  std::lock_guard lock(Lock());
  std::vector<std::string> lines;
  MachineState* machine = Machine();
  if (!machine) return lines;
  std::ifstream in(machine->folder + "/journal.log");
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void AppendJournal(const std::string& what, const std::string& details) {
  std::lock_guard lock(Lock());
  Journal(what, details);
}

std::vector<std::string> TakeHandleProblems() {
  std::lock_guard lock(Lock());
  auto& table = Handles();
  std::vector<std::string> problems = std::move(table.problems);
  table.problems.clear();
  for (auto& [value, object] : table.open) {
    char text[64];
    std::snprintf(text, sizeof text, "%s handle %#zx left open", KindName(object->kind), static_cast<size_t>(value));
    problems.push_back(text + (object->description.empty() ? "" : ": " + object->description));
  }
  table.open.clear();  // releases what they hold
  return problems;
}

std::string ToUtf8(const std::u16string& text) { return Utf8(text); }
std::u16string ToUtf16(const std::string& text) { return Utf16(text); }

}  // namespace ks::sim
