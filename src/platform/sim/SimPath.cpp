// Windows path rules over the machine folder.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysSystem.h"

#include <dirent.h>
#include <sys/stat.h>

#include <set>
#include <unordered_map>

namespace ks::sim {
namespace detail {
namespace {

constexpr size_t kMaxLongPath = 32767;
constexpr size_t kMaxComponent = 255;

thread_local bool t_redirectionDisabled = false;

std::set<std::u16string>& DeniedPaths() {
  static std::set<std::u16string> paths;
  return paths;
}

bool IsReservedDeviceName(const std::u16string& name) {
  std::u16string base = Fold(name.substr(0, name.find(u'.')));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL") return true;
  if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0))
    return base[3] >= u'1' && base[3] <= u'9';
  return false;
}

// Checks one segment; trims trailing dots and spaces unless the path is literal.
// A colon before the last segment names a stream of a file, as NTFS reads it;
// the machine keeps no streams, so that folder is never found.
bool CheckSegment(std::u16string* segment, bool literal, bool wildcardsAllowed, bool last) {
  if (!literal)
    while (!segment->empty() && (segment->back() == u'.' || segment->back() == u' ')) segment->pop_back();
  if (segment->empty()) return Fail(sys::ERROR_INVALID_NAME);
  if (segment->size() > kMaxComponent) return Fail(sys::ERROR_FILENAME_EXCED_RANGE);
  bool stream = false;
  for (char16_t c : *segment) {
    if (c == u':' && !last) {
      stream = true;
      continue;
    }
    if (c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'/' || c == u'\\')
      return Fail(sys::ERROR_INVALID_NAME);
    if ((c == u'*' || c == u'?') && !wildcardsAllowed) return Fail(sys::ERROR_INVALID_NAME);
    if (c >= 0xD800 && c <= 0xDFFF) {
      // Host names are UTF-8; a lone surrogate has no UTF-8 form.
      size_t i = &c - segment->data();
      bool pairedHigh = c <= 0xDBFF && i + 1 < segment->size() && (*segment)[i + 1] >= 0xDC00 &&
                        (*segment)[i + 1] <= 0xDFFF;
      bool pairedLow = c >= 0xDC00 && i > 0 && (*segment)[i - 1] >= 0xD800 && (*segment)[i - 1] <= 0xDBFF;
      if (!pairedHigh && !pairedLow) return Fail(sys::ERROR_INVALID_NAME);
    }
  }
  if (IsReservedDeviceName(*segment)) return Fail(sys::ERROR_INVALID_NAME);
  if (stream) return Fail(sys::ERROR_PATH_NOT_FOUND);
  return true;
}

// Folded names of the folders looked into, valid while the folder's change
// time is the one recorded. A miss of the exact spelling then costs one stat
// instead of a scan of the folder.
struct FolderNames {
  struct timespec changed {};
  std::unordered_map<std::u16string, std::string> names;  // folded -> stored
};
constexpr size_t kMaxCachedFolders = 512;

std::unordered_map<std::string, FolderNames>& CachedFolders() {
  static std::unordered_map<std::string, FolderNames> folders;
  return folders;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

const FolderNames* NamesOf(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return nullptr;
  auto& cache = CachedFolders();
  auto it = cache.find(dir);
  if (it != cache.end() && SameTime(it->second.changed, st.st_mtim)) return &it->second;
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return nullptr;
  if (cache.size() >= kMaxCachedFolders) cache.clear();
  FolderNames& entry = cache[dir];
  entry.changed = st.st_mtim;
  entry.names.clear();
  while (dirent* item = ::readdir(folder)) {
    if (item->d_name[0] == '.' && (item->d_name[1] == 0 || (item->d_name[1] == '.' && item->d_name[2] == 0)))
      continue;
    entry.names.emplace(Fold(Utf16(item->d_name)), item->d_name);
  }
  ::closedir(folder);
  return &entry;
}

// Finds name in host folder dir without regard to case; the stored name in *found.
int LookUp(const std::string& dir, const std::u16string& name, std::string* found, struct stat* st) {
  std::string exact = dir + "/" + Utf8(name);
  if (::lstat(exact.c_str(), st) == 0) {
    *found = Utf8(name);
    return 0;
  }
  if (errno != ENOENT) return errno;
  const FolderNames* names = NamesOf(dir);
  if (!names) return ENOENT;
  auto it = names->names.find(Fold(name));
  if (it == names->names.end()) return ENOENT;
  *found = it->second;
  return ::lstat((dir + "/" + *found).c_str(), st) == 0 ? 0 : errno;
}

bool IsSeparator(char16_t c, bool literal) { return c == u'\\' || (!literal && c == u'/'); }

void ApplyRedirection(const MachineState& machine, std::vector<std::u16string>* segments) {
  if (!machine.identity.is64Bit || machine.process64 || t_redirectionDisabled) return;
  auto& s = *segments;
  if (s.size() < 2 || !EqualFolded(s[0], u"Windows")) return;
  if (EqualFolded(s[1], u"Sysnative")) {
    s[1] = u"System32";
    return;
  }
  if (!EqualFolded(s[1], u"System32")) return;
  if (s.size() >= 3) {
    for (auto exempt : {u"catroot", u"catroot2", u"logfiles", u"spool"})
      if (EqualFolded(s[2], exempt)) return;
    if (s.size() >= 4 && EqualFolded(s[2], u"drivers") && EqualFolded(s[3], u"etc")) return;
  }
  s[1] = u"SysWOW64";
}

}  // namespace

bool ResolvePath(const std::u16string& input, ResolvedPath* out, bool allowWildcards) {
  MachineState* machine = Machine();
  if (!machine) return false;
  if (input.empty()) return Fail(sys::ERROR_PATH_NOT_FOUND);
  if (input.size() > kMaxLongPath) return Fail(sys::ERROR_FILENAME_EXCED_RANGE);
  std::u16string path = input;
  bool literal = false;
  if (path.compare(0, 4, u"\\\\?\\") == 0) {
    literal = true;
    path = path.substr(4);
    if (path.size() >= 4 && EqualFolded(path.substr(0, 4), u"UNC\\")) path = u"\\\\" + path.substr(4);
  } else if (path.compare(0, 4, u"\\\\.\\") == 0 || path.compare(0, 4, u"//./") == 0) {
    return Fail(sys::ERROR_INVALID_NAME);  // devices are not simulated
  } else if (path.size() >= sys::MAX_PATH) {
    return Fail(sys::ERROR_FILENAME_EXCED_RANGE);
  }
  // Relative forms are made absolute against the current folder.
  const bool unc = path.size() >= 2 && IsSeparator(path[0], literal) && IsSeparator(path[1], literal);
  const bool hasDrive = path.size() >= 2 && path[1] == u':' && path[0] < 128 && std::isalpha(path[0]);
  if (!unc && !hasDrive) {
    if (literal) return Fail(sys::ERROR_INVALID_NAME);
    if (!path.empty() && IsSeparator(path[0], false))
      path = machine->currentDirectory.substr(0, 2) + path;
    else
      path = machine->currentDirectory + u"\\" + path;
  } else if (hasDrive && (path.size() == 2 || !IsSeparator(path[2], literal))) {
    if (literal) return Fail(sys::ERROR_INVALID_NAME);
    std::u16string rest = path.substr(2);
    if (EqualFolded(machine->currentDirectory.substr(0, 2), path.substr(0, 2)))
      path = machine->currentDirectory + u"\\" + rest;
    else
      path = path.substr(0, 2) + u"\\" + rest;
  }

  std::vector<std::u16string> segments;
  size_t start = unc ? 2 : 3;
  char drive = 0;
  if (!unc) drive = static_cast<char>(std::toupper(static_cast<int>(path[0])));
  for (size_t i = start; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i], literal)) continue;
    std::u16string segment = path.substr(start, i - start);
    start = i + 1;
    if (segment.empty()) continue;
    if (!literal && segment == u".") continue;
    if (!literal && segment == u"..") {
      // Windows stops at the root; UNC paths keep their server and share.
      if (!segments.empty() && (!unc || segments.size() > 2)) segments.pop_back();
      continue;
    }
    if (literal && (segment == u"." || segment == u"..")) return Fail(sys::ERROR_INVALID_NAME);
    segments.push_back(std::move(segment));
  }
  for (size_t i = 0; i < segments.size(); ++i)
    if (!CheckSegment(&segments[i], literal, allowWildcards && i + 1 == segments.size(), i + 1 == segments.size()))
      return false;
  if (!unc) ApplyRedirection(*machine, &segments);

  // The root: a drive folder or a UNC share.
  std::string host;
  std::u16string windows;
  size_t first = 0;
  if (unc) {
    if (segments.size() < 2) return Fail(sys::ERROR_BAD_NETPATH);
    host = machine->folder + "/unc";
    windows = u"\\";
    for (int k = 0; k < 2; ++k) {
      std::string found;
      struct stat st {};
      if (LookUp(host, segments[k], &found, &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(sys::ERROR_BAD_NETPATH);
      host.push_back('/');
      host.append(found);
      windows += u"\\" + Utf16(found);
    }
    first = 2;
  } else {
    auto mapped = machine->identity.mappedDrives.find(drive);
    host = mapped != machine->identity.mappedDrives.end()
               ? mapped->second
               : machine->folder + "/drives/" + char(std::tolower(static_cast<unsigned char>(drive)));
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(sys::ERROR_PATH_NOT_FOUND);
    windows = std::u16string(1, char16_t(drive)) + u":";
  }

  bool exists = true;
  bool isDirectory = true;
  for (size_t i = first; i < segments.size(); ++i) {
    const bool last = i + 1 == segments.size();
    if (exists) {
      if (!isDirectory) return Fail(sys::ERROR_PATH_NOT_FOUND);
      std::string found;
      struct stat st {};
      bool wildcard = segments[i].find_first_of(u"*?") != std::u16string::npos;
      int error = wildcard ? ENOENT : LookUp(host, segments[i], &found, &st);
      if (error == 0) {
        if (S_ISLNK(st.st_mode)) return Fail(sys::ERROR_ACCESS_DENIED);  // never leave the machine
        host.push_back('/');
        host.append(found);
        windows += u"\\" + Utf16(found);
        isDirectory = S_ISDIR(st.st_mode);
        continue;
      }
      if (error != ENOENT) return Fail(ErrnoToError(error));
      if (!last) {
        exists = false;
      } else {
        exists = false;
        isDirectory = false;
      }
    } else if (last) {
      isDirectory = false;
    }
    host.push_back('/');
    host.append(Utf8(segments[i]));
    windows += u"\\" + segments[i];
  }
  if (segments.size() == first) windows += u"\\";
  out->host = host;
  out->windows = windows;
  out->drive = drive;
  out->exists = exists;
  out->isDirectory = exists && isDirectory;
  out->isRoot = segments.size() == first;
  out->lastName = segments.size() > first ? segments.back() : std::u16string();
  out->given = unc ? u"\\" : std::u16string(1, char16_t(drive)) + u":";
  for (auto& segment : segments) out->given += u"\\" + segment;
  if (segments.empty()) out->given += u"\\";
  if (IsDenied(*out)) return Fail(sys::ERROR_ACCESS_DENIED);
  return true;
}

bool ParentExists(const ResolvedPath& path) {
  if (path.isRoot) return true;
  std::string parent = path.host.substr(0, path.host.rfind('/'));
  struct stat st {};
  if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(sys::ERROR_PATH_NOT_FOUND);
  return true;
}

bool IsDenied(const ResolvedPath& path) {
  auto& denied = DeniedPaths();
  if (denied.empty()) return false;
  std::u16string folded = Fold(path.windows);
  for (auto& prefix : denied)
    if (folded == prefix || (folded.size() > prefix.size() && folded.compare(0, prefix.size(), prefix) == 0 &&
                             folded[prefix.size()] == u'\\'))
      return true;
  return false;
}

void NoteCreated(const std::string& host) {
  size_t slash = host.rfind('/');
  auto& cache = CachedFolders();
  auto it = cache.find(host.substr(0, slash));
  if (it == cache.end()) return;
  struct stat st {};
  if (::stat(it->first.c_str(), &st) != 0) {
    cache.erase(it);
    return;
  }
  // The names were read (or checked) just before this creation, so adding it
  // keeps them whole; a name another process adds at the same instant is only
  // found in its exact spelling until the folder changes again.
  std::string name = host.substr(slash + 1);
  it->second.names.insert_or_assign(Fold(Utf16(name)), name);
  it->second.changed = st.st_mtim;
}

std::u16string WindowsDirectory() { return u"C:\\Windows"; }

std::u16string SystemDirectory(bool wow64) {
  return wow64 ? u"C:\\Windows\\SysWOW64" : u"C:\\Windows\\system32";
}

}  // namespace detail

using namespace detail;

void DenyAccess(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  ResolvedPath path;
  if (ResolvePath(windowsPath, &path)) DeniedPaths().insert(Fold(path.windows));
}

void AllowAccess(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  std::u16string folded = Fold(windowsPath);
  for (auto it = DeniedPaths().begin(); it != DeniedPaths().end();)
    it = (*it == folded || folded.find(*it) == 0) ? DeniedPaths().erase(it) : std::next(it);
}

std::string HostPath(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  ResolvedPath path;
  return ResolvePath(windowsPath, &path) ? path.host : std::string();
}

}  // namespace ks::sim

namespace ks::sys {
using namespace ks::sim::detail;

UINT GetWindowsDirectory(WCHAR* buffer, UINT size) {
  std::lock_guard lock(Lock());
  if (!Machine()) return 0;
  return CopyOut(WindowsDirectory(), buffer, size);
}

UINT GetSystemDirectory(WCHAR* buffer, UINT size) {
  std::lock_guard lock(Lock());
  if (!Machine()) return 0;
  return CopyOut(SystemDirectory(false), buffer, size);
}

UINT GetSystemWow64Directory(WCHAR* buffer, UINT size) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return 0;
  if (!machine->identity.is64Bit) {
    SetLastError(120);  // ERROR_CALL_NOT_IMPLEMENTED
    return 0;
  }
  return CopyOut(SystemDirectory(true), buffer, size);
}

BOOL Wow64DisableWow64FsRedirection(void** oldValue) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!machine->identity.is64Bit || machine->process64) return Fail(ERROR_INVALID_FUNCTION);
  if (oldValue) *oldValue = reinterpret_cast<void*>(std::uintptr_t(t_redirectionDisabled ? 1 : 0));
  t_redirectionDisabled = true;
  return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(void* oldValue) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!machine->identity.is64Bit || machine->process64) return Fail(ERROR_INVALID_FUNCTION);
  t_redirectionDisabled = oldValue != nullptr;
  return TRUE;
}

BOOL Wow64EnableWow64FsRedirection(BOOL enable) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  if (!machine->identity.is64Bit || machine->process64) return Fail(ERROR_INVALID_FUNCTION);
  t_redirectionDisabled = !enable;
  return TRUE;
}

DWORD GetCurrentDirectory(DWORD bufferLength, WCHAR* buffer) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return 0;
  return CopyOut(machine->currentDirectory, buffer, bufferLength);
}

BOOL SetCurrentDirectory(const WCHAR* pathName) {
  std::lock_guard lock(Lock());
  if (!pathName) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  if (!ResolvePath(pathName, &path)) return FALSE;
  if (!path.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (!path.isDirectory) return Fail(ERROR_DIRECTORY);
  std::u16string windows = path.windows;
  if (windows.size() > 3 && windows.back() == u'\\') windows.pop_back();
  Machine()->currentDirectory = windows;
  return TRUE;
}

DWORD GetTempPath(DWORD bufferLength, WCHAR* buffer) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return 0;
  std::u16string user = machine->identity.userName;
  std::u16string temp = machine->identity.IsXpLayout()
                            ? u"C:\\Documents and Settings\\" + user + u"\\Local Settings\\Temp\\"
                            : u"C:\\Users\\" + user + u"\\AppData\\Local\\Temp\\";
  return CopyOut(temp, buffer, bufferLength);
}

DWORD GetFullPathName(const WCHAR* fileName, DWORD bufferLength, WCHAR* buffer, WCHAR** filePart) {
  std::lock_guard lock(Lock());
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  if (!ResolvePath(fileName, &path, true)) return 0;
  DWORD result = CopyOut(path.windows, buffer, bufferLength);
  if (filePart && buffer && result < bufferLength) {
    size_t slash = path.windows.rfind(u'\\');
    *filePart = path.isRoot ? nullptr : buffer + slash + 1;
  }
  return result;
}

}  // namespace ks::sys
