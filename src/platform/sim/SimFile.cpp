// Files, folders, attributes, finds and free space on the simulated machine.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>
#include <cstring>

namespace ks::sim::detail {
namespace {

constexpr char kAttributeName[] = "user.ks.attributes";
constexpr off_t kShareLockBase = off_t(1) << 62;
constexpr sys::DWORD kStoredAttributes =
    sys::FILE_ATTRIBUTE_HIDDEN | sys::FILE_ATTRIBUTE_SYSTEM | sys::FILE_ATTRIBUTE_ARCHIVE;
constexpr sys::DWORD kNotSameDevice = 17;  // ERROR_NOT_SAME_DEVICE

struct FileObject : HandleObject {
  FileObject() : HandleObject(HandleKind::File) {}
  ~FileObject() override {
    if (deleteOnClose) {
      struct stat st {};
      if (::fstat(fd, &st) == 0) ReleaseSpace(drive, st.st_size);
      ::unlink(host.c_str());
    }
    ::close(fd);
  }
  int fd = -1;
  std::string host;
  char drive = 0;
  sys::DWORD access = 0;
  bool deleteOnClose = false;
};

struct FindObject : HandleObject {
  FindObject() : HandleObject(HandleKind::Find) {}
  std::vector<sys::WIN32_FIND_DATA> entries;
  size_t next = 0;
};

bool Reads(sys::DWORD access) { return access & (sys::GENERIC_READ | sys::GENERIC_ALL | 0x1); }
bool Writes(sys::DWORD access) { return access & (sys::GENERIC_WRITE | sys::GENERIC_ALL | 0x2 | 0x4); }
bool Deletes(sys::DWORD access) { return access & (sys::DELETE | sys::GENERIC_ALL); }

bool LockByte(int fd, int bit, short type, int command, struct flock* result = nullptr) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareLockBase + bit;
  lock.l_len = 1;
  if (::fcntl(fd, command, &lock) != 0) return false;
  if (result) *result = lock;
  return true;
}

bool Held(int fd, int bit) {
  struct flock lock {};
  if (!LockByte(fd, bit, F_WRLCK, F_OFD_GETLK, &lock)) return false;
  return lock.l_type != F_UNLCK;
}

sys::FILETIME ToFileTime(const struct timespec& time) {
  std::uint64_t ticks = std::uint64_t(time.tv_sec) * 10000000ull + std::uint64_t(time.tv_nsec) / 100 +
                        116444736000000000ull;
  return {sys::DWORD(ticks), sys::DWORD(ticks >> 32)};
}

struct timespec FromFileTime(const sys::FILETIME& time) {
  std::uint64_t ticks = (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  std::int64_t since = std::int64_t(ticks) - std::int64_t(116444736000000000ull);
  struct timespec result {};
  result.tv_sec = since / 10000000;
  result.tv_nsec = (since % 10000000) * 100;
  if (result.tv_nsec < 0) {
    result.tv_nsec += 1000000000;
    result.tv_sec -= 1;
  }
  return result;
}

sys::DWORD StoredAttributes(const std::string& host, bool directory) {
  char text[16] = {};
  ssize_t size = ::lgetxattr(host.c_str(), kAttributeName, text, sizeof text - 1);
  if (size <= 0) return directory ? 0 : sys::FILE_ATTRIBUTE_ARCHIVE;
  return sys::DWORD(std::strtoul(text, nullptr, 10)) & kStoredAttributes;
}

sys::DWORD AttributesOf(const std::string& host, const struct stat& st) {
  bool directory = S_ISDIR(st.st_mode);
  sys::DWORD attributes = StoredAttributes(host, directory);
  if (directory) attributes |= sys::FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= sys::FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : sys::FILE_ATTRIBUTE_NORMAL;
}

bool StoreAttributes(const std::string& host, sys::DWORD attributes) {
  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0) return Fail(ErrnoToError(errno));
  bool directory = S_ISDIR(st.st_mode);
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & sys::FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (directory) mode |= S_IWUSR;  // a folder's read-only bit protects nothing on Windows
  if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) return Fail(ErrnoToError(errno));
  sys::DWORD stored = attributes & kStoredAttributes;
  if (stored == StoredAttributes(host, directory)) return true;
  std::string text = std::to_string(stored);
  if (::lsetxattr(host.c_str(), kAttributeName, text.data(), text.size(), 0) != 0)
    return Fail(errno == ENOTSUP ? sys::ERROR_NOT_SUPPORTED : ErrnoToError(errno));
  return true;
}

bool ReadOnly(const struct stat& st) { return S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR); }

// Copies bytes with the kernel: copy_file_range (reflinks where the file
// system has them), then sendfile, then plain reads and writes.
bool CopyContents(int from, int to, std::uint64_t size) {
  std::uint64_t done = 0;
  bool rangeWorks = true;
  bool sendWorks = true;
  while (done < size) {
    size_t chunk = size_t(std::min<std::uint64_t>(size - done, 1u << 30));
    ssize_t n = -1;
    if (rangeWorks) {
      n = ::copy_file_range(from, nullptr, to, nullptr, chunk, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        rangeWorks = false;
        continue;
      }
    } else if (sendWorks) {
      n = ::sendfile(to, from, nullptr, chunk);
      if (n < 0 && (errno == EINVAL || errno == ENOSYS)) {
        sendWorks = false;
        continue;
      }
    } else {
      char buffer[1 << 16];
      n = ::read(from, buffer, std::min(chunk, sizeof buffer));
      if (n > 0) {
        for (ssize_t written = 0; written < n;) {
          ssize_t w = ::write(to, buffer + written, size_t(n - written));
          if (w < 0) {
            if (errno == EINTR) continue;
            return Fail(ErrnoToError(errno));
          }
          written += w;
        }
      }
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(ErrnoToError(errno));
    }
    if (n == 0) break;  // the source shrank meanwhile
    done += std::uint64_t(n);
  }
  return true;
}

bool Matches(const char16_t* pattern, const char16_t* name) {
  // Windows' "*.*" matches names without a dot too.
  while (*pattern) {
    if (*pattern == u'*') {
      while (*pattern == u'*') ++pattern;
      if (pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0) return true;
      if (!*pattern) return true;
      for (const char16_t* rest = name; *rest; ++rest)
        if (Matches(pattern, rest)) return true;
      return Matches(pattern, name + std::char_traits<char16_t>::length(name));
    }
    if (!*name) return pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0;
    if (*pattern != u'?' && FoldChar(*pattern) != FoldChar(*name)) return false;
    ++pattern;
    ++name;
  }
  return *name == 0;
}

void FillFindData(const std::u16string& name, const std::string& host, const struct stat& st,
                  sys::WIN32_FIND_DATA* data) {
  *data = {};
  data->dwFileAttributes = AttributesOf(host, st);
  data->ftCreationTime = ToFileTime(st.st_mtim);
  data->ftLastAccessTime = ToFileTime(st.st_atim);
  data->ftLastWriteTime = ToFileTime(st.st_mtim);
  if (!S_ISDIR(st.st_mode)) {
    data->nFileSizeHigh = sys::DWORD(std::uint64_t(st.st_size) >> 32);
    data->nFileSizeLow = sys::DWORD(st.st_size);
  }
  size_t count = std::min<size_t>(name.size(), sys::MAX_PATH - 1);
  std::copy(name.begin(), name.begin() + count, data->cFileName);
}

bool RecordDelayedMove(const ResolvedPath& from, const ResolvedPath* to, bool replace) {
  std::vector<std::u16string> entries{u"\\??\\" + from.given};
  if (!to)
    entries.push_back(u"");
  else
    entries.push_back((replace ? u"!\\??\\" : u"\\??\\") + to->given);
  return AppendMultiString(u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                           u"PendingFileRenameOperations", entries);
}

}  // namespace

bool ShareConflict(int fd, sys::DWORD access, sys::DWORD share) {
  return (Reads(access) && Held(fd, kDenyRead)) || (Writes(access) && Held(fd, kDenyWrite)) ||
         (Deletes(access) && Held(fd, kDenyDelete)) || (!(share & sys::FILE_SHARE_READ) && Held(fd, kAccessRead)) ||
         (!(share & sys::FILE_SHARE_WRITE) && Held(fd, kAccessWrite)) ||
         (!(share & sys::FILE_SHARE_DELETE) && Held(fd, kAccessDelete));
}

bool TakeShareLocks(int fd, sys::DWORD access, sys::DWORD share) {
  bool ok = true;
  auto take = [&](bool wanted, int bit) {
    if (wanted) ok = LockByte(fd, bit, F_RDLCK, F_OFD_SETLK) && ok;
  };
  take(Reads(access), kAccessRead);
  take(Writes(access), kAccessWrite);
  take(Deletes(access), kAccessDelete);
  take(!(share & sys::FILE_SHARE_READ), kDenyRead);
  take(!(share & sys::FILE_SHARE_WRITE), kDenyWrite);
  take(!(share & sys::FILE_SHARE_DELETE), kDenyDelete);
  return ok;
}

bool FileInUse(const std::string& host, sys::DWORD access, sys::DWORD share) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  bool conflict = ShareConflict(fd, access, share);
  ::close(fd);
  return conflict;
}

namespace {
// Locks the tests hold on files, by host path.
std::map<std::string, int>& TestLocks() {
  static std::map<std::string, int> locks;
  return locks;
}
}  // namespace

}  // namespace ks::sim::detail

namespace ks::sim {
using namespace detail;

bool LockFile(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  ResolvedPath path;
  if (!ResolvePath(windowsPath, &path)) return false;
  if (!path.exists || path.isDirectory) return Fail(sys::ERROR_FILE_NOT_FOUND);
  if (TestLocks().count(path.host)) return true;
  int fd = ::open(path.host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(ErrnoToError(errno));
  TakeShareLocks(fd, sys::GENERIC_READ, 0);
  TestLocks()[path.host] = fd;
  return true;
}

bool UnlockFile(const std::u16string& windowsPath) {
  std::lock_guard lock(Lock());
  ResolvedPath path;
  if (!ResolvePath(windowsPath, &path)) return false;
  auto it = TestLocks().find(path.host);
  if (it == TestLocks().end()) return Fail(sys::ERROR_NOT_FOUND);
  ::close(it->second);
  TestLocks().erase(it);
  return true;
}

}  // namespace ks::sim

namespace ks::sys {
using namespace ks::sim::detail;
using ks::sim::FaultKind;

namespace {
using Guard = std::lock_guard<std::recursive_mutex>;

bool Faulted(FaultKind kind) {
  DWORD error = 0;
  if (FaultHit(kind, &error)) return Fail(error);
  return true;
}
}  // namespace

HANDLE CreateFile(const WCHAR* fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES*,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  Guard lock(Lock());
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  if (!Faulted(FaultKind::FileCreate)) return INVALID_HANDLE_VALUE;
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return INVALID_HANDLE_VALUE;
  if (path.isDirectory || path.isRoot) return Fail(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
  if (!path.exists && !ParentExists(path)) return INVALID_HANDLE_VALUE;
  const bool existed = path.exists;
  switch (creationDisposition) {
    case CREATE_NEW:
      if (existed) return Fail(ERROR_FILE_EXISTS), INVALID_HANDLE_VALUE;
      break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      if (!existed) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
      if (creationDisposition == TRUNCATE_EXISTING && !Writes(desiredAccess))
        return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
      break;
    default:
      break;
  }
  struct stat st {};
  if (existed && ::stat(path.host.c_str(), &st) == 0 && ReadOnly(st) &&
      (Writes(desiredAccess) || creationDisposition == CREATE_ALWAYS || Deletes(desiredAccess)))
    return Fail(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
  int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
  if (!existed) flags |= O_CREAT | O_EXCL;
  int fd = ::open(path.host.c_str(), flags, 0644);
  if (fd < 0 && errno == EACCES && !Writes(desiredAccess)) fd = ::open(path.host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(ErrnoToError(errno)), INVALID_HANDLE_VALUE;
  const bool truncates = existed && (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING);
  DWORD checkedAccess = desiredAccess | (truncates ? GENERIC_WRITE : 0);
  if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) checkedAccess |= DELETE;
  if (ShareConflict(fd, checkedAccess, shareMode)) {
    ::close(fd);
    if (!existed) ::unlink(path.host.c_str());
    return Fail(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;
  }
  if (truncates) {
    struct stat before {};
    ::fstat(fd, &before);
    if (::ftruncate(fd, 0) != 0) {
      ::close(fd);
      return Fail(ErrnoToError(errno)), INVALID_HANDLE_VALUE;
    }
    ReleaseSpace(path.drive, before.st_size);
  }
  TakeShareLocks(fd, checkedAccess, shareMode);
  if (!existed) NoteCreated(path.host);
  if (!existed || creationDisposition == CREATE_ALWAYS) {
    DWORD attributes = flagsAndAttributes & (FILE_ATTRIBUTE_READONLY | kStoredAttributes);
    StoreAttributes(path.host, attributes | FILE_ATTRIBUTE_ARCHIVE);
  }
  auto file = std::make_unique<FileObject>();
  file->fd = fd;
  file->host = path.host;
  file->drive = path.drive;
  file->access = desiredAccess;
  file->deleteOnClose = flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE;
  file->description = Utf8(path.windows);
  HANDLE handle = AddHandle(std::move(file));
  SetLastError(existed && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS)
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
  Guard lock(Lock());
  if (bytesRead) *bytesRead = 0;
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (!Reads(file->access)) return Fail(ERROR_ACCESS_DENIED);
  if (!buffer && bytesToRead) return Fail(ERROR_INVALID_PARAMETER);
  DWORD total = 0;
  while (total < bytesToRead) {
    ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + total, bytesToRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ErrnoToError(errno));
    if (n == 0) break;
    total += DWORD(n);
  }
  if (bytesRead) *bytesRead = total;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*) {
  Guard lock(Lock());
  if (bytesWritten) *bytesWritten = 0;
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (!Writes(file->access)) return Fail(ERROR_ACCESS_DENIED);
  if (!buffer && bytesToWrite) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileWrite)) return FALSE;
  struct stat st {};
  off_t position = ::lseek(file->fd, 0, SEEK_CUR);
  if (::fstat(file->fd, &st) != 0 || position < 0) return Fail(ErrnoToError(errno));
  std::int64_t growth = std::int64_t(position) + bytesToWrite - st.st_size;
  if (growth > 0 && !ReserveSpace(file->drive, growth)) return FALSE;
  DWORD total = 0;
  while (total < bytesToWrite) {
    ssize_t n = ::write(file->fd, static_cast<const char*>(buffer) + total, bytesToWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (growth > 0) ReleaseSpace(file->drive, growth - std::int64_t(std::max<DWORD>(total, 0)));
      return Fail(ErrnoToError(errno));
    }
    total += DWORD(n);
  }
  if (bytesWritten) *bytesWritten = total;
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  return ::fdatasync(file->fd) == 0 ? TRUE : Fail(ErrnoToError(errno));
}

BOOL SetEndOfFile(HANDLE handle) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (!Writes(file->access)) return Fail(ERROR_ACCESS_DENIED);
  struct stat st {};
  off_t position = ::lseek(file->fd, 0, SEEK_CUR);
  if (::fstat(file->fd, &st) != 0 || position < 0) return Fail(ErrnoToError(errno));
  std::int64_t change = std::int64_t(position) - st.st_size;
  if (change > 0 && !ReserveSpace(file->drive, change)) return FALSE;
  if (::ftruncate(file->fd, position) != 0) {
    if (change > 0) ReleaseSpace(file->drive, change);
    return Fail(ErrnoToError(errno));
  }
  if (change < 0) ReleaseSpace(file->drive, -change);
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (moveMethod > FILE_END) return Fail(ERROR_INVALID_PARAMETER);
  off_t base = 0;
  if (moveMethod == FILE_CURRENT) base = ::lseek(file->fd, 0, SEEK_CUR);
  if (moveMethod == FILE_END) {
    struct stat st {};
    ::fstat(file->fd, &st);
    base = st.st_size;
  }
  std::int64_t target = std::int64_t(base) + distance.QuadPart;
  if (target < 0) return Fail(ERROR_NEGATIVE_SEEK);
  if (::lseek(file->fd, off_t(target), SEEK_SET) < 0) return Fail(ErrnoToError(errno));
  if (newPosition) newPosition->QuadPart = target;
  return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  LARGE_INTEGER move;
  move.QuadPart = distanceHigh ? (LONGLONG(*distanceHigh) << 32) | DWORD(distance) : LONGLONG(distance);
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(handle, move, &position, moveMethod)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh) *distanceHigh = position.u.HighPart;
  SetLastError(ERROR_SUCCESS);
  return position.u.LowPart;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st {};
  if (::fstat(file->fd, &st) != 0) return Fail(ErrnoToError(errno));
  size->QuadPart = st.st_size;
  return TRUE;
}

DWORD GetFileSize(HANDLE handle, DWORD* fileSizeHigh) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return INVALID_FILE_SIZE;
  if (fileSizeHigh) *fileSizeHigh = DWORD(size.u.HighPart);
  SetLastError(ERROR_SUCCESS);
  return size.u.LowPart;
}

BOOL GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  struct stat st {};
  if (::fstat(file->fd, &st) != 0) return Fail(ErrnoToError(errno));
  if (creation) *creation = ToFileTime(st.st_mtim);
  if (lastAccess) *lastAccess = ToFileTime(st.st_atim);
  if (lastWrite) *lastWrite = ToFileTime(st.st_mtim);
  return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
  Guard lock(Lock());
  auto* file = static_cast<FileObject*>(FindHandle(handle, HandleKind::File));
  if (!file) return FALSE;
  if (!Writes(file->access)) return Fail(ERROR_ACCESS_DENIED);
  struct timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_nsec = UTIME_OMIT;
  if (lastAccess) times[0] = FromFileTime(*lastAccess);
  if (lastWrite) times[1] = FromFileTime(*lastWrite);
  return ::futimens(file->fd, times) == 0 ? TRUE : Fail(ErrnoToError(errno));
}

BOOL CloseHandle(HANDLE object) {
  Guard lock(Lock());
  if (object == nullptr || object == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  HandleObject* found = FindAnyHandle(object);
  if (found && (found->kind == HandleKind::Find || found->kind == HandleKind::Key ||
                found->kind == HandleKind::Module))
    return Fail(ERROR_INVALID_HANDLE);
  return RemoveHandle(object) ? TRUE : FALSE;
}

BOOL CopyFile(const WCHAR* existingFileName, const WCHAR* newFileName, BOOL failIfExists) {
  Guard lock(Lock());
  if (!existingFileName || !newFileName) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileCopy)) return FALSE;
  ResolvedPath from, to;
  if (!ResolvePath(existingFileName, &from)) return FALSE;
  if (!from.exists) return ParentExists(from) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  if (from.isDirectory) return Fail(ERROR_ACCESS_DENIED);
  if (!ResolvePath(newFileName, &to)) return FALSE;
  if (!to.exists && !ParentExists(to)) return FALSE;
  struct stat source {}, target {};
  if (::stat(from.host.c_str(), &source) != 0) return Fail(ErrnoToError(errno));
  if (to.exists) {
    if (failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (to.isDirectory || ::stat(to.host.c_str(), &target) != 0 || ReadOnly(target)) return Fail(ERROR_ACCESS_DENIED);
    if (target.st_ino == source.st_ino && target.st_dev == source.st_dev) return Fail(ERROR_SHARING_VIOLATION);
    if (FileInUse(to.host, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
      return Fail(ERROR_SHARING_VIOLATION);
  }
  int in = ::open(from.host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) return Fail(ErrnoToError(errno));
  if (ShareConflict(in, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE)) {
    ::close(in);
    return Fail(ERROR_SHARING_VIOLATION);
  }
  const std::int64_t growth = std::int64_t(source.st_size) - (to.exists ? std::int64_t(target.st_size) : 0);
  const bool crossDrive = from.drive != to.drive;
  if (growth > 0 && !ReserveSpace(to.drive, growth)) {
    ::close(in);
    return FALSE;
  }
  auto undoSpace = [&] {
    if (growth > 0) ReleaseSpace(to.drive, growth);
  };
  (void)crossDrive;
  int out = ::open(to.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (out < 0) {
    DWORD error = ErrnoToError(errno);
    ::close(in);
    undoSpace();
    return Fail(error);
  }
  // The copy keeps the source's permission bits, so a copied program still runs;
  // read-only is applied with the attributes below.
  ::fchmod(out, (source.st_mode & 0777) | S_IWUSR);
  bool copied = CopyContents(in, out, std::uint64_t(source.st_size));
  DWORD error = GetLastError();
  struct timespec times[2] = {{0, UTIME_NOW}, source.st_mtim};
  if (copied) ::futimens(out, times);
  ::close(in);
  if (::close(out) != 0 && copied) {
    copied = false;
    error = ErrnoToError(errno);
  }
  if (!copied) {
    // A failed copy leaves no partial file behind.
    ::unlink(to.host.c_str());
    ReleaseSpace(to.drive, to.exists ? std::int64_t(target.st_size) : 0);
    undoSpace();
    return Fail(error);
  }
  StoreAttributes(to.host, AttributesOf(from.host, source) | FILE_ATTRIBUTE_ARCHIVE);
  if (!to.exists) NoteCreated(to.host);
  if (growth < 0) ReleaseSpace(to.drive, -growth);
  return TRUE;
}

BOOL MoveFileEx(const WCHAR* existingFileName, const WCHAR* newFileName, DWORD flags) {
  Guard lock(Lock());
  if (!existingFileName) return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) && (flags & MOVEFILE_COPY_ALLOWED)) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileMove)) return FALSE;
  ResolvedPath from, to;
  if (!ResolvePath(existingFileName, &from)) return FALSE;
  if (newFileName && !ResolvePath(newFileName, &to)) return FALSE;
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    if (!Machine()->identity.administrator) return Fail(ERROR_ACCESS_DENIED);
    return RecordDelayedMove(from, newFileName ? &to : nullptr, flags & MOVEFILE_REPLACE_EXISTING) ? TRUE : FALSE;
  }
  if (!newFileName) return Fail(ERROR_INVALID_PARAMETER);
  if (!from.exists) return ParentExists(from) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  if (from.isRoot || to.isRoot) return Fail(ERROR_ACCESS_DENIED);
  if (!to.exists && !ParentExists(to)) return FALSE;
  const bool sameFile = to.exists && EqualFolded(Utf16(from.host), Utf16(to.host));
  struct stat source {}, target {};
  ::lstat(from.host.c_str(), &source);
  if (to.exists && !sameFile) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
    if (to.isDirectory || from.isDirectory || ::stat(to.host.c_str(), &target) != 0 || ReadOnly(target))
      return Fail(ERROR_ACCESS_DENIED);
  }
  if (!from.isDirectory && FileInUse(from.host, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return Fail(ERROR_SHARING_VIOLATION);
  if (from.drive != to.drive) {
    if (!(flags & MOVEFILE_COPY_ALLOWED) || from.isDirectory) return Fail(kNotSameDevice);
    if (!CopyFile(existingFileName, newFileName, FALSE)) return FALSE;
    return DeleteFile(existingFileName) ? TRUE : FALSE;
  }
  // A rename does not replace a file any handle holds open, whatever it shares.
  if (to.exists && !sameFile && FileInUse(to.host, GENERIC_READ | GENERIC_WRITE | DELETE, 0))
    return Fail(ERROR_ACCESS_DENIED);
  // A rename that changes only case keeps the new spelling.
  std::string destination = sameFile ? to.host.substr(0, to.host.rfind('/') + 1) + Utf8(to.lastName) : to.host;
  if (::rename(from.host.c_str(), destination.c_str()) != 0) return Fail(ErrnoToError(errno));
  if (!to.exists || sameFile) NoteCreated(destination);
  if (to.exists && !sameFile) ReleaseSpace(to.drive, target.st_size);
  return TRUE;
}

BOOL MoveFile(const WCHAR* existingFileName, const WCHAR* newFileName) {
  return MoveFileEx(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL DeleteFile(const WCHAR* fileName) {
  Guard lock(Lock());
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileDelete)) return FALSE;
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return FALSE;
  if (!path.exists) return ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  struct stat st {};
  if (path.isDirectory || ::lstat(path.host.c_str(), &st) != 0 || ReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
  if (FileInUse(path.host, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return Fail(ERROR_SHARING_VIOLATION);
  if (::unlink(path.host.c_str()) != 0) return Fail(ErrnoToError(errno));
  ReleaseSpace(path.drive, st.st_size);
  return TRUE;
}

BOOL CreateDirectory(const WCHAR* pathName, SECURITY_ATTRIBUTES*) {
  Guard lock(Lock());
  if (!pathName) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileCreate)) return FALSE;
  ResolvedPath path;
  if (!ResolvePath(pathName, &path)) return FALSE;
  if (path.exists) return Fail(ERROR_ALREADY_EXISTS);
  if (!ParentExists(path)) return FALSE;
  if (::mkdir(path.host.c_str(), 0755) != 0) return Fail(ErrnoToError(errno));
  NoteCreated(path.host);
  return TRUE;
}

BOOL RemoveDirectory(const WCHAR* pathName) {
  Guard lock(Lock());
  if (!pathName) return Fail(ERROR_INVALID_PARAMETER);
  if (!Faulted(FaultKind::FileDelete)) return FALSE;
  ResolvedPath path;
  if (!ResolvePath(pathName, &path)) return FALSE;
  if (!path.exists) return ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  if (path.isRoot) return Fail(ERROR_ACCESS_DENIED);
  if (!path.isDirectory) return Fail(ERROR_DIRECTORY);
  if (::rmdir(path.host.c_str()) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrnoToError(errno));
  return TRUE;
}

DWORD GetFileAttributes(const WCHAR* fileName) {
  Guard lock(Lock());
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER), INVALID_FILE_ATTRIBUTES;
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  if (!path.exists) return (ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : false), INVALID_FILE_ATTRIBUTES;
  if (::stat(path.host.c_str(), &st) != 0) return Fail(ErrnoToError(errno)), INVALID_FILE_ATTRIBUTES;
  return AttributesOf(path.host, st);
}

BOOL GetFileAttributesEx(const WCHAR* fileName, GET_FILEEX_INFO_LEVELS level, void* information) {
  Guard lock(Lock());
  if (!fileName || !information || level != GetFileExInfoStandard) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return FALSE;
  if (!path.exists) return ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  struct stat st {};
  if (::stat(path.host.c_str(), &st) != 0) return Fail(ErrnoToError(errno));
  WIN32_FIND_DATA data;
  FillFindData(u"", path.host, st, &data);
  auto* out = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
  *out = {data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime, data.ftLastWriteTime,
          data.nFileSizeHigh, data.nFileSizeLow};
  return TRUE;
}

BOOL SetFileAttributes(const WCHAR* fileName, DWORD attributes) {
  Guard lock(Lock());
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  if (!ResolvePath(fileName, &path)) return FALSE;
  if (!path.exists) return ParentExists(path) ? Fail(ERROR_FILE_NOT_FOUND) : FALSE;
  return StoreAttributes(path.host, attributes & ~(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY)) ? TRUE : FALSE;
}

HANDLE FindFirstFile(const WCHAR* fileName, WIN32_FIND_DATA* findData) {
  Guard lock(Lock());
  if (!fileName || !findData) return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  std::u16string text = fileName;
  if (!text.empty() && (text.back() == u'\\' || text.back() == u'/'))
    return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  ResolvedPath path;
  if (!ResolvePath(text, &path, true)) return INVALID_HANDLE_VALUE;
  if (path.isRoot) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  if (!ParentExists(path)) return INVALID_HANDLE_VALUE;
  auto find = std::make_unique<FindObject>();
  std::string folder = path.host.substr(0, path.host.rfind('/'));
  const std::u16string pattern = path.lastName;
  if (pattern.find_first_of(u"*?") == std::u16string::npos) {
    if (!path.exists) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    struct stat st {};
    if (::stat(path.host.c_str(), &st) != 0) return Fail(ErrnoToError(errno)), INVALID_HANDLE_VALUE;
    find->entries.emplace_back();
    FillFindData(Utf16(path.host.substr(path.host.rfind('/') + 1)), path.host, st, &find->entries.back());
  } else {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return Fail(ErrnoToError(errno)), INVALID_HANDLE_VALUE;
    std::vector<std::pair<std::u16string, std::string>> names;
    bool root = std::count(path.windows.begin(), path.windows.end(), u'\\') <= 1 ||
                (path.windows.compare(0, 2, u"\\\\") == 0 &&
                 std::count(path.windows.begin(), path.windows.end(), u'\\') <= 4);
    while (dirent* entry = ::readdir(dir)) {
      std::u16string name = Utf16(entry->d_name);
      bool dots = name == u"." || name == u"..";
      if (dots && root) continue;
      if (Matches(pattern.c_str(), name.c_str())) names.emplace_back(name, entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return Fold(a.first) < Fold(b.first); });
    for (auto& [name, host] : names) {
      struct stat st {};
      std::string full = folder + "/" + host;
      if (::lstat(full.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
      find->entries.emplace_back();
      FillFindData(name, full, st, &find->entries.back());
    }
    if (find->entries.empty()) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  }
  *findData = find->entries[0];
  find->next = 1;
  find->description = Utf8(path.windows);
  HANDLE handle = AddHandle(std::move(find));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL FindNextFile(HANDLE handle, WIN32_FIND_DATA* findData) {
  Guard lock(Lock());
  auto* find = static_cast<FindObject*>(FindHandle(handle, HandleKind::Find));
  if (!find) return FALSE;
  if (!findData) return Fail(ERROR_INVALID_PARAMETER);
  if (find->next >= find->entries.size()) return Fail(ERROR_NO_MORE_FILES);
  *findData = find->entries[find->next++];
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  Guard lock(Lock());
  if (handle == INVALID_HANDLE_VALUE || (FindAnyHandle(handle) && !FindHandle(handle, HandleKind::Find)))
    return Fail(ERROR_INVALID_HANDLE);
  return RemoveHandle(handle) ? TRUE : FALSE;
}

BOOL GetDiskFreeSpaceEx(const WCHAR* directoryName, ULARGE_INTEGER* freeBytesAvailableToCaller,
                        ULARGE_INTEGER* totalNumberOfBytes, ULARGE_INTEGER* totalNumberOfFreeBytes) {
  Guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return FALSE;
  ResolvedPath path;
  if (!ResolvePath(directoryName ? std::u16string(directoryName) : machine->currentDirectory, &path)) return FALSE;
  if (!path.exists) return Fail(ERROR_PATH_NOT_FOUND);
  if (!path.isDirectory) return Fail(ERROR_DIRECTORY);
  std::uint64_t total = 0, free = 0;
  auto size = machine->identity.driveSizes.find(path.drive);
  if (path.drive && size != machine->identity.driveSizes.end()) {
    total = size->second;
    std::int64_t used = machine->usage[path.drive - 'A'].load();
    free = used >= std::int64_t(total) ? 0 : total - std::uint64_t(used);
  } else {
    struct statvfs vfs {};
    if (::statvfs(path.host.c_str(), &vfs) != 0) return Fail(ErrnoToError(errno));
    total = std::uint64_t(vfs.f_blocks) * vfs.f_frsize;
    free = std::uint64_t(vfs.f_bavail) * vfs.f_frsize;
  }
  if (freeBytesAvailableToCaller) freeBytesAvailableToCaller->QuadPart = free;
  if (totalNumberOfBytes) totalNumberOfBytes->QuadPart = total;
  if (totalNumberOfFreeBytes) totalNumberOfFreeBytes->QuadPart = free;
  return TRUE;
}

}  // namespace ks::sys
