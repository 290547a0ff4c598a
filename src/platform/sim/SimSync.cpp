// Named mutexes, events, shared memory and critical sections. A named object
// is a file under objects/; a process holding a handle keeps a shared flock on
// it, so "exists" means "some process of the machine has it open".

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"
#include "platform/SysTime.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <cstring>
#include <new>
#include <thread>

namespace ks::sim::detail {
namespace {

constexpr DWORD kPollMicroseconds = 1000;

struct NamedFile {
  int fd = -1;
  bool existed = false;
};

std::string EncodeName(const std::u16string& name) {
  std::string utf8 = Utf8(name), out;
  for (unsigned char c : utf8) {
    if (std::isalnum(c) || c == '_' || c == '-' || c == ' ' || c == '.') {
      out += char(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

// "Global\Name" and "Local\Name" (and a bare name, the session's) to a file name.
bool ObjectPath(const char* type, const std::u16string& name, std::string* path) {
  if (name.size() >= sys::MAX_PATH) return Fail(sys::ERROR_FILENAME_EXCED_RANGE);
  std::u16string space = u"Local", rest = name;
  if (name.compare(0, 7, u"Global\\") == 0) {
    space = u"Global";
    rest = name.substr(7);
  } else if (name.compare(0, 6, u"Local\\") == 0) {
    rest = name.substr(6);
  }
  if (rest.find(u'\\') != std::u16string::npos) return Fail(sys::ERROR_PATH_NOT_FOUND);
  *path = Machine()->folder + "/objects/" + type + "." + Utf8(space) + "." + EncodeName(rest);
  return true;
}

class GuardFile {
 public:
  GuardFile() {
    static int fd = -1;
    static std::string folder;
    if (fd < 0 || folder != Machine()->folder) {
      if (fd >= 0) ::close(fd);
      folder = Machine()->folder;
      fd = ::open((folder + "/objects/.guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    m_fd = fd;
    if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
  }
  ~GuardFile() {
    if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
  }

 private:
  int m_fd;
};

bool Present(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

// Opens (create) or finds an object file and marks this handle's presence.
bool OpenNamed(const std::string& path, bool create, const std::vector<std::string>& otherTypes, NamedFile* out) {
  GuardFile guard;
  for (auto& other : otherTypes)
    if (Present(other)) return Fail(sys::ERROR_INVALID_HANDLE);  // the name belongs to another kind of object
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return Fail(create ? ErrnoToError(errno) : sys::ERROR_FILE_NOT_FOUND);
  bool alone = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (alone && !create) {
    ::close(fd);
    return Fail(sys::ERROR_FILE_NOT_FOUND);
  }
  ::flock(fd, LOCK_SH);
  out->fd = fd;
  out->existed = !alone;
  return true;
}

std::vector<std::string> OtherTypes(const char* type, const std::u16string& name) {
  std::vector<std::string> paths;
  for (const char* other : {"mutex", "event", "shm"}) {
    std::string path;
    if (std::strcmp(other, type) != 0 && ObjectPath(other, name, &path)) paths.push_back(path);
  }
  return paths;
}

struct MutexObject : HandleObject {
  MutexObject() : HandleObject(HandleKind::Mutex) {}
  ~MutexObject() override { ::close(fd); }
  int fd = -1;
  std::thread::id owner;
  int count = 0;
};

bool TryOwn(MutexObject* mutex) {
  if (mutex->count > 0 && mutex->owner == std::this_thread::get_id()) {
    ++mutex->count;
    return true;
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  if (::fcntl(mutex->fd, F_OFD_SETLK, &lock) != 0) return false;
  mutex->owner = std::this_thread::get_id();
  mutex->count = 1;
  return true;
}

struct EventObject : HandleObject {
  EventObject() : HandleObject(HandleKind::Event) {}
  ~EventObject() override {
    if (fd >= 0) {
      ::munmap(state, sizeof(std::int32_t) * 2);
      ::close(fd);
    } else {
      delete[] state;
    }
  }
  int fd = -1;
  std::int32_t* state = nullptr;  // [0] signalled, [1] manual reset
};

bool TrySignal(EventObject* event) {
  std::atomic_ref<std::int32_t> signalled(event->state[0]);
  if (std::atomic_ref<std::int32_t>(event->state[1]).load()) return signalled.load() != 0;
  std::int32_t expected = 1;
  return signalled.compare_exchange_strong(expected, 0);
}

struct MappingObject : HandleObject {
  MappingObject() : HandleObject(HandleKind::Mapping) {}
  ~MappingObject() override { ::close(fd); }
  int fd = -1;
  std::size_t size = 0;
  bool writable = true;
};

std::map<const void*, std::size_t>& Views() {
  static std::map<const void*, std::size_t> views;
  return views;
}

}  // namespace
}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;
using ks::sim::FaultKind;

namespace {
using Guard = std::lock_guard<std::recursive_mutex>;
}

HANDLE CreateMutex(SECURITY_ATTRIBUTES*, BOOL initialOwner, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  auto mutex = std::make_unique<MutexObject>();
  bool existed = false;
  if (name && *name) {
    std::string path;
    NamedFile file;
    if (!ObjectPath("mutex", name, &path) || !OpenNamed(path, true, OtherTypes("mutex", name), &file)) return nullptr;
    mutex->fd = file.fd;
    existed = file.existed;
    mutex->description = Utf8(name);
  } else {
    mutex->fd = ::memfd_create("ks-mutex", MFD_CLOEXEC);
    if (mutex->fd < 0) return Fail(ErrnoToError(errno)), nullptr;
  }
  if (initialOwner && !existed) TryOwn(mutex.get());
  HANDLE handle = AddHandle(std::move(mutex));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenMutex(DWORD, BOOL, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  if (!name) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  std::string path;
  NamedFile file;
  if (!ObjectPath("mutex", name, &path) || !OpenNamed(path, false, {}, &file)) return nullptr;
  auto mutex = std::make_unique<MutexObject>();
  mutex->fd = file.fd;
  mutex->description = Utf8(name);
  return AddHandle(std::move(mutex));
}

BOOL ReleaseMutex(HANDLE handle) {
  Guard lock(Lock());
  auto* mutex = static_cast<MutexObject*>(FindHandle(handle, HandleKind::Mutex));
  if (!mutex) return FALSE;
  if (mutex->count == 0 || mutex->owner != std::this_thread::get_id()) return Fail(ERROR_NOT_OWNER);
  if (--mutex->count == 0) {
    struct flock unlock {};
    unlock.l_type = F_UNLCK;
    unlock.l_whence = SEEK_SET;
    unlock.l_len = 1;
    ::fcntl(mutex->fd, F_OFD_SETLK, &unlock);
    mutex->owner = {};
  }
  return TRUE;
}

HANDLE CreateEvent(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  auto event = std::make_unique<EventObject>();
  bool existed = false;
  if (name && *name) {
    std::string path;
    NamedFile file;
    if (!ObjectPath("event", name, &path) || !OpenNamed(path, true, OtherTypes("event", name), &file)) return nullptr;
    if (!file.existed && ::ftruncate(file.fd, 0) == 0 && ::ftruncate(file.fd, sizeof(std::int32_t) * 2) != 0) {
      ::close(file.fd);
      return Fail(ErrnoToError(errno)), nullptr;
    }
    void* memory = ::mmap(nullptr, sizeof(std::int32_t) * 2, PROT_READ | PROT_WRITE, MAP_SHARED, file.fd, 0);
    if (memory == MAP_FAILED) {
      ::close(file.fd);
      return Fail(ErrnoToError(errno)), nullptr;
    }
    event->fd = file.fd;
    event->state = static_cast<std::int32_t*>(memory);
    existed = file.existed;
    event->description = Utf8(name);
  } else {
    event->state = new std::int32_t[2]{0, 0};
  }
  if (!existed) {
    event->state[0] = initialState ? 1 : 0;
    event->state[1] = manualReset ? 1 : 0;
  }
  HANDLE handle = AddHandle(std::move(event));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenEvent(DWORD, BOOL, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  if (!name) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  std::string path;
  NamedFile file;
  if (!ObjectPath("event", name, &path) || !OpenNamed(path, false, {}, &file)) return nullptr;
  void* memory = ::mmap(nullptr, sizeof(std::int32_t) * 2, PROT_READ | PROT_WRITE, MAP_SHARED, file.fd, 0);
  if (memory == MAP_FAILED) {
    ::close(file.fd);
    return Fail(ErrnoToError(errno)), nullptr;
  }
  auto event = std::make_unique<EventObject>();
  event->fd = file.fd;
  event->state = static_cast<std::int32_t*>(memory);
  event->description = Utf8(name);
  return AddHandle(std::move(event));
}

BOOL SetEvent(HANDLE handle) {
  Guard lock(Lock());
  auto* event = static_cast<EventObject*>(FindHandle(handle, HandleKind::Event));
  if (!event) return FALSE;
  std::atomic_ref<std::int32_t>(event->state[0]).store(1);
  return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
  Guard lock(Lock());
  auto* event = static_cast<EventObject*>(FindHandle(handle, HandleKind::Event));
  if (!event) return FALSE;
  std::atomic_ref<std::int32_t>(event->state[0]).store(0);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  ULONGLONG start = GetTickCount64();
  bool first = true;
  while (true) {
    {
      std::unique_lock<std::recursive_mutex> lock(Lock());
      HandleObject* object = FindAnyHandle(handle);
      if (!object) return WAIT_FAILED;
      switch (object->kind) {
        case HandleKind::Process:
        case HandleKind::Thread:
          if (!IsWorkerThread(object)) return WaitProcess(object, milliseconds, lock);
          if (WorkerThreadEnded(object)) return WAIT_OBJECT_0;
          break;
        case HandleKind::Mutex:
          if (TryOwn(static_cast<MutexObject*>(object))) return WAIT_OBJECT_0;
          break;
        case HandleKind::Event:
          if (TrySignal(static_cast<EventObject*>(object))) return WAIT_OBJECT_0;
          break;
        default:
          SetLastError(ERROR_INVALID_HANDLE);
          return WAIT_FAILED;
      }
      if (milliseconds == 0) return WAIT_TIMEOUT;
      if (first && VirtualTime() && milliseconds != INFINITE) {
        // Nothing else moves the virtual clock: waiting would only pass the time.
        ks::sim::AdvanceTime(milliseconds);
        return WAIT_TIMEOUT;
      }
      first = false;
      if (milliseconds != INFINITE && GetTickCount64() - start >= milliseconds) return WAIT_TIMEOUT;
    }
    ::usleep(kPollMicroseconds);
  }
}

HANDLE CreateFileMapping(HANDLE file, SECURITY_ATTRIBUTES*, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  DWORD error = 0;
  if (FaultHit(FaultKind::SharedMemoryOpen, &error)) return Fail(error), nullptr;
  if (file != INVALID_HANDLE_VALUE) return Fail(ERROR_NOT_SUPPORTED), nullptr;  // only paging-file memory
  std::size_t size = (std::size_t(maximumSizeHigh) << 32) | maximumSizeLow;
  if (size == 0 || (protect != PAGE_READWRITE && protect != PAGE_READONLY)) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  auto mapping = std::make_unique<MappingObject>();
  bool existed = false;
  if (name && *name) {
    std::string path;
    NamedFile named;
    if (!ObjectPath("shm", name, &path) || !OpenNamed(path, true, OtherTypes("shm", name), &named)) return nullptr;
    mapping->fd = named.fd;
    existed = named.existed;
    mapping->description = Utf8(name);
  } else {
    mapping->fd = ::memfd_create("ks-shm", MFD_CLOEXEC);
    if (mapping->fd < 0) return Fail(ErrnoToError(errno)), nullptr;
  }
  if (!existed) {
    // A new section starts zeroed, whatever an earlier one left in the file.
    if (::ftruncate(mapping->fd, 0) != 0 || ::ftruncate(mapping->fd, off_t(size)) != 0)
      return Fail(ErrnoToError(errno)), nullptr;
    mapping->size = size;
  } else {
    struct stat st {};
    ::fstat(mapping->fd, &st);
    mapping->size = std::size_t(st.st_size);
  }
  mapping->writable = protect == PAGE_READWRITE;
  HANDLE handle = AddHandle(std::move(mapping));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenFileMapping(DWORD desiredAccess, BOOL, const WCHAR* name) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  DWORD error = 0;
  if (FaultHit(FaultKind::SharedMemoryOpen, &error)) return Fail(error), nullptr;
  if (!name) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  std::string path;
  NamedFile named;
  if (!ObjectPath("shm", name, &path) || !OpenNamed(path, false, {}, &named)) return nullptr;
  auto mapping = std::make_unique<MappingObject>();
  mapping->fd = named.fd;
  struct stat st {};
  ::fstat(named.fd, &st);
  mapping->size = std::size_t(st.st_size);
  mapping->writable = desiredAccess & (FILE_MAP_WRITE | 0xF0000);
  mapping->description = Utf8(name);
  return AddHandle(std::move(mapping));
}

void* MapViewOfFile(HANDLE handle, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, std::size_t bytes) {
  Guard lock(Lock());
  auto* mapping = static_cast<MappingObject*>(FindHandle(handle, HandleKind::Mapping));
  if (!mapping) return nullptr;
  std::size_t offset = (std::size_t(offsetHigh) << 32) | offsetLow;
  bool write = desiredAccess & FILE_MAP_WRITE;
  if (write && !mapping->writable) return Fail(ERROR_ACCESS_DENIED), nullptr;
  if (offset % 65536 != 0 || offset > mapping->size) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  if (bytes == 0) bytes = mapping->size - offset;
  if (bytes == 0 || offset + bytes > mapping->size) return Fail(ERROR_ACCESS_DENIED), nullptr;
  void* view = ::mmap(nullptr, bytes, PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED, mapping->fd, off_t(offset));
  if (view == MAP_FAILED) return Fail(ErrnoToError(errno)), nullptr;
  Views()[view] = bytes;
  return view;
}

BOOL UnmapViewOfFile(const void* baseAddress) {
  Guard lock(Lock());
  auto it = Views().find(baseAddress);
  if (it == Views().end()) return Fail(487);  // ERROR_INVALID_ADDRESS
  ::munmap(const_cast<void*>(baseAddress), it->second);
  Views().erase(it);
  return TRUE;
}

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

void InitializeCriticalSection(CRITICAL_SECTION* section) { new (section->opaque) std::recursive_mutex; }
void EnterCriticalSection(CRITICAL_SECTION* section) {
  std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque))->lock();
}
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  return std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque))->try_lock() ? TRUE : FALSE;
}
void LeaveCriticalSection(CRITICAL_SECTION* section) {
  std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque))->unlock();
}
void DeleteCriticalSection(CRITICAL_SECTION* section) {
  std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque))->~recursive_mutex();
}

}  // namespace ks::sys
