#pragma once
// Shared internals of the simulated machine; nothing above the seam includes this.

#include "platform/SysTypes.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace ks::sim::detail {

using sys::BYTE;
using sys::DWORD;
using sys::HKEY;
using sys::LSTATUS;
using sys::REGSAM;

// One lock serialises the machine's in-process state; seam calls take it.
std::recursive_mutex& Lock();

struct MachineState {
  std::string folder;
  Identity identity;
  sqlite3* registry = nullptr;
  std::atomic<std::int64_t>* usage = nullptr;  // bytes used per drive, shared by processes
  bool process64 = false;
  bool redirection = true;
  std::u16string programPath;
  std::u16string currentDirectory = u"C:\\";
};

// The attached machine, attaching from KS_MACHINE on first use. Null (last
// error ERROR_NOT_READY) when there is none.
MachineState* Machine();

bool Fail(sys::DWORD error);  // sets the last error, returns false
bool FaultHit(FaultKind kind, sys::DWORD* error);
sys::DWORD ErrnoToError(int error);

char16_t FoldChar(char16_t c);
std::u16string Fold(const std::u16string& text);
bool EqualFolded(const std::u16string& a, const std::u16string& b);
std::u16string Span(const sys::WCHAR* text);  // empty for null

struct ResolvedPath {
  std::string host;         // host path, existing or to be created
  std::u16string windows;   // canonical Windows path, stored case where it exists
  char drive = 0;           // 'C', or 0 for UNC
  bool exists = false;
  bool isDirectory = false;
  bool isRoot = false;
  std::u16string lastName;  // the last segment as given (wildcards kept)
  std::u16string given;     // the full path in the caller's spelling, as Windows records it
};
// Applies Windows path rules; false with the last error set. The result never
// leaves the machine's drives.
bool ResolvePath(const std::u16string& path, ResolvedPath* out, bool allowWildcards = false);
// Parent folder of a resolved path must exist: ERROR_PATH_NOT_FOUND otherwise.
bool ParentExists(const ResolvedPath& path);
bool IsDenied(const ResolvedPath& path);
// Tells the name cache of path lookups about an entry the seam just created.
void NoteCreated(const std::string& host);
std::u16string WindowsDirectory();
std::u16string SystemDirectory(bool native);

// Files in use: byte-range locks standing for the access and sharing of every
// open handle, seen by every process.
enum ShareBit { kAccessRead, kAccessWrite, kAccessDelete, kDenyRead, kDenyWrite, kDenyDelete };
bool ShareConflict(int fd, sys::DWORD access, sys::DWORD share);
bool TakeShareLocks(int fd, sys::DWORD access, sys::DWORD share);
// The file (host path) is open somewhere in a way that forbids the access.
bool FileInUse(const std::string& host, sys::DWORD access, sys::DWORD share);

// Space accounting of a drive: false (ERROR_DISK_FULL) if it does not fit.
bool ReserveSpace(char drive, std::int64_t bytes);
void ReleaseSpace(char drive, std::int64_t bytes);

// Handle table.
enum class HandleKind { File, Find, Process, Thread, Mutex, Event, Mapping, Token, Key, Module };
struct HandleObject {
  explicit HandleObject(HandleKind k) : kind(k) {}
  virtual ~HandleObject() = default;
  HandleKind kind;
  std::string description;
};
void* AddHandle(std::unique_ptr<HandleObject> object);
// Null with ERROR_INVALID_HANDLE when value is not an open handle of the kind.
HandleObject* FindHandle(const void* value, HandleKind kind);
HandleObject* FindAnyHandle(const void* value);
bool RemoveHandle(const void* value);

// Registry internals used by files (delayed renames) and tools.
// keyPath is a full path ("HKEY_LOCAL_MACHINE\\SYSTEM\\..."), 64-bit view, system rights.
bool ReadMultiString(const std::u16string& keyPath, const std::u16string& name, std::vector<std::u16string>* items);
// Appends to a REG_MULTI_SZ value in one transaction (several processes may append).
bool AppendMultiString(const std::u16string& keyPath, const std::u16string& name,
                       const std::vector<std::u16string>& items);
// Every key (value name empty, type -1) and value below a full key path, in
// enumeration order.
struct RegistryItem {
  std::u16string keyPath;
  bool isKey = false;
  std::u16string name;
  sys::DWORD type = 0;
  std::string data;
};
bool ListRegistry(const std::u16string& keyPath, std::vector<RegistryItem>* items, std::string* error);
// Seam registry calls made on behalf of the system (reboot, defaults): no
// administrator check while alive.
struct SystemAccess {
  SystemAccess();
  ~SystemAccess();
};
std::u16string SpecialFolderPath(const Identity& identity, bool process64, int csidl);
bool OpenRegistry(MachineState* machine, bool create, std::string* error);
void CloseRegistry(MachineState* machine);
// Many registry calls as one transaction (a failing call inside does not undo the others).
bool BeginBatch();
bool EndBatch(bool commit);
bool WriteRegistryDefaults(const Identity& identity, std::string* error);

void Journal(const std::string& what, const std::string& details);

// Process start shared by CreateProcess, ShellExecuteEx and reboot.
bool StartProcess(const std::u16string& program, const std::u16string& commandLine,
                  const std::u16string& currentDirectory, int* pid, std::u16string* programPath);
bool IsHostExecutable(const std::string& host);
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine);

// WaitForSingleObject for process and thread handles; lets go of the machine
// lock (held once by the caller through lock) while it blocks.
sys::DWORD WaitProcess(HandleObject* object, sys::DWORD milliseconds, std::unique_lock<std::recursive_mutex>& lock);
// Threads made by CreateThread (SimThread.cpp), as opposed to a process's first thread.
bool IsWorkerThread(const HandleObject* object);
bool WorkerThreadEnded(const HandleObject* object);
// The machine's own system modules (SimSystemModules.cpp): null, false when
// the name or handle is not one of them.
sys::HMODULE LoadSystemModule(const std::u16string& fileName);
// The program's own module handle (GetModuleHandle(null)), the instance its
// window classes are registered under; far above the handle table's values.
inline sys::HMODULE ProgramModule() { return reinterpret_cast<sys::HMODULE>(std::uintptr_t(0x7FFE0000)); }
bool SystemModuleExport(const void* handle, const char* procName, sys::FARPROC* function);
bool FreeSystemModule(const void* handle);

bool VirtualTime();
void AdvanceVirtual(std::uint64_t milliseconds);

std::string Utf8(const std::u16string& text);
std::u16string Utf16(const std::string& text);

// Copies text into a caller's buffer of size characters. Returns the length
// copied (without terminator) or, when it does not fit, the size needed with
// the terminator, as the Get...Directory calls do.
sys::DWORD CopyOut(const std::u16string& text, sys::WCHAR* buffer, sys::DWORD size);

}  // namespace ks::sim::detail
