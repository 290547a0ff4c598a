// Processes and modules of the simulated machine: real host processes and
// shared objects behind Windows names.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysShell.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

extern char** environ;

namespace ks::sim::detail {
namespace {

constexpr DWORD kExitAccessViolation = 0xC0000005;

struct ProcessObject : HandleObject {
  explicit ProcessObject(HandleKind kind) : HandleObject(kind) {}
  ~ProcessObject() override {
    if (pidfd >= 0) ::close(pidfd);
  }
  pid_t pid = 0;
  int pidfd = -1;
  bool exited = false;
  sys::DWORD exitCode = sys::STILL_ACTIVE;
  bool terminated = false;
  sys::DWORD terminateCode = 0;
};

// Both handles of one process share its state, as the thread handle ends with it.
std::map<pid_t, std::shared_ptr<ProcessObject>>& Processes() {
  static std::map<pid_t, std::shared_ptr<ProcessObject>> processes;
  return processes;
}

struct ProcessHandle : HandleObject {
  ProcessHandle(HandleKind kind, std::shared_ptr<ProcessObject> state) : HandleObject(kind), process(std::move(state)) {}
  std::shared_ptr<ProcessObject> process;
};

void Reap(ProcessObject* process, bool block) {
  if (process->exited) return;
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(process->pid, &status, block ? 0 : WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == process->pid) {
    process->exited = true;
    if (process->terminated)
      process->exitCode = process->terminateCode;
    else if (WIFEXITED(status))
      process->exitCode = sys::DWORD(WEXITSTATUS(status));
    else
      process->exitCode = kExitAccessViolation;
  } else if (result < 0 && errno == ECHILD) {
    process->exited = true;  // reaped elsewhere; the code is lost
    process->exitCode = 0;
  }
}

struct ModuleObject : HandleObject {
  ModuleObject() : HandleObject(HandleKind::Module) {}
  ~ModuleObject() override {
    if (library) ::dlclose(library);
  }
  void* library = nullptr;
  std::string host;
  std::u16string windows;
  int references = 1;
};

std::map<std::string, void*>& LoadedModules() {
  static std::map<std::string, void*> modules;
  return modules;
}

std::vector<std::string> SplitHostCommand(const std::string& command) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false, any = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any || !current.empty()) parts.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
    }
  }
  if (any || !current.empty()) parts.push_back(current);
  return parts;
}

std::string BuiltinName(const std::string& host) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char head[64] = {};
  ssize_t n = ::read(fd, head, sizeof head - 1);
  ::close(fd);
  const char marker[] = "#!ks-builtin ";
  if (n <= 0 || std::strncmp(head, marker, sizeof marker - 1) != 0) return {};
  std::string name(head + sizeof marker - 1);
  return name.substr(0, name.find_first_of("\r\n "));
}

std::u16string FileName(const std::u16string& path) { return path.substr(path.find_last_of(u"\\/") + 1); }

// The machine's RegSvr32: loads the module and calls its (un)registration export.
int RunRegSvr32(const std::vector<std::u16string>& arguments) {
  bool unregister = false;
  std::u16string file;
  for (auto& argument : arguments) {
    if (argument.size() >= 2 && (argument[0] == u'/' || argument[0] == u'-')) {
      char16_t option = FoldChar(argument[1]);
      if (option == u'U') unregister = true;
    } else if (file.empty()) {
      file = argument;
    }
  }
  if (file.empty()) return 1;
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  sys::HMODULE module = sys::LoadLibraryEx(file.c_str(), nullptr, 0);
  if (!module) {
    Journal("regsvr32", std::string(entry) + " " + Utf8(file) + " load failed");
    return 3;
  }
  auto function = reinterpret_cast<sys::HRESULT (*)()>(sys::GetProcAddress(module, entry));
  int code = 4;
  if (function) code = function() >= 0 ? 0 : 5;
  Journal("regsvr32", std::string(entry) + " " + Utf8(file) + " exit " + std::to_string(code));
  sys::FreeLibrary(module);
  return code;
}

std::vector<std::string> MachineEnvironment(const MachineState& machine, const std::u16string& program,
                                            const std::u16string& commandLine, const std::u16string& directory) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, "KS_MACHINE", 10) != 0) environment.emplace_back(*entry);
  environment.push_back("KS_MACHINE=" + machine.folder);
  environment.push_back("KS_MACHINE_PROGRAM=" + Utf8(program));
  environment.push_back("KS_MACHINE_CMDLINE=" + Utf8(commandLine));
  environment.push_back("KS_MACHINE_CWD=" + Utf8(directory));
  // The simulated processes are 32-bit programs unless the starter is told otherwise.
  environment.push_back(std::string("KS_MACHINE_BITS=") + (machine.process64 ? "64" : "32"));
  return environment;
}

}  // namespace

bool IsHostExecutable(const std::string& host) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IXUSR)) return false;
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[4] = {};
  ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  return (n == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0) || (n >= 2 && head[0] == '#' && head[1] == '!');
}

// CommandLineToArgvW's rules: 2n backslashes and a quote give n backslashes
// and toggle quoting; 2n+1 give n and a literal quote.
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine) {
  std::vector<std::u16string> arguments;
  size_t i = 0;
  const size_t size = commandLine.size();
  // The program name: up to the closing quote, or the first blank; no escapes.
  std::u16string program;
  if (i < size && commandLine[i] == u'"') {
    ++i;
    while (i < size && commandLine[i] != u'"') program += commandLine[i++];
    if (i < size) ++i;
  } else {
    while (i < size && commandLine[i] != u' ' && commandLine[i] != u'\t') program += commandLine[i++];
  }
  arguments.push_back(program);
  while (true) {
    while (i < size && (commandLine[i] == u' ' || commandLine[i] == u'\t')) ++i;
    if (i >= size) break;
    std::u16string argument;
    bool quoted = false;
    while (i < size && (quoted || (commandLine[i] != u' ' && commandLine[i] != u'\t'))) {
      size_t slashes = 0;
      while (i < size && commandLine[i] == u'\\') {
        ++slashes;
        ++i;
      }
      if (i < size && commandLine[i] == u'"') {
        argument.append(slashes / 2, u'\\');
        if (slashes % 2) {
          argument += u'"';
          ++i;
        } else if (quoted && i + 1 < size && commandLine[i + 1] == u'"') {
          argument += u'"';  // "" inside quotes is a literal quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.append(slashes, u'\\');
        if (i < size && (quoted || (commandLine[i] != u' ' && commandLine[i] != u'\t'))) argument += commandLine[i++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

bool StartProcess(const std::u16string& program, const std::u16string& commandLine,
                  const std::u16string& currentDirectory, int* pid, std::u16string* programPath) {
  MachineState* machine = Machine();
  if (!machine) return false;
  ResolvedPath path;
  if (!ResolvePath(program, &path)) return false;
  if (!path.exists) return ParentExists(path) ? Fail(sys::ERROR_FILE_NOT_FOUND) : false;
  if (path.isDirectory) return Fail(sys::ERROR_ACCESS_DENIED);
  std::u16string directory = currentDirectory.empty() ? machine->currentDirectory : currentDirectory;
  ResolvedPath folder;
  if (!ResolvePath(directory, &folder)) return false;
  if (!folder.isDirectory) return Fail(sys::ERROR_DIRECTORY);
  std::vector<std::u16string> arguments = SplitCommandLine(commandLine);
  arguments.erase(arguments.begin());

  std::vector<std::string> argv;
  std::string builtin;
  auto mapped = std::find_if(machine->identity.programs.begin(), machine->identity.programs.end(),
                             [&](auto& entry) { return EqualFolded(entry.first, FileName(path.windows)); });
  if (mapped != machine->identity.programs.end()) {
    argv = SplitHostCommand(mapped->second);
    if (argv.empty()) return Fail(sys::ERROR_BAD_EXE_FORMAT);
  } else if (!(builtin = BuiltinName(path.host)).empty()) {
    if (builtin != "regsvr32") return Fail(sys::ERROR_BAD_EXE_FORMAT);
  } else if (IsHostExecutable(path.host)) {
    argv.push_back(path.host);
  } else {
    return Fail(sys::ERROR_BAD_EXE_FORMAT);  // as Windows answers for a file that is no program
  }
  for (auto& argument : arguments) argv.push_back(Utf8(argument));
  std::vector<std::string> environment = MachineEnvironment(*machine, path.windows, commandLine, folder.windows);

  pid_t child = -1;
  if (!builtin.empty()) {
    child = ::fork();
    if (child < 0) return Fail(ErrnoToError(errno));
    if (child == 0) {
      // The machine's own program, in a child of this process.
      if (::chdir(folder.host.c_str()) != 0) ::_exit(1);
      ReattachAfterFork();
      machine->programPath = path.windows;
      machine->currentDirectory = folder.windows;
      ::_exit(RunRegSvr32(arguments));
    }
  } else {
    std::vector<char*> args, env;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : environment) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.host.c_str());
    int error = mapped != machine->identity.programs.end()
                    ? ::posix_spawnp(&child, args[0], &actions, nullptr, args.data(), env.data())
                    : ::posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return Fail(error == ENOENT ? sys::ERROR_FILE_NOT_FOUND : sys::ERROR_BAD_EXE_FORMAT);
  }
  Journal("run", Utf8(path.windows) + " " + Utf8(commandLine));
  *pid = child;
  if (programPath) *programPath = path.windows;
  return true;
}

sys::DWORD WaitProcess(HandleObject* object, sys::DWORD milliseconds, std::unique_lock<std::recursive_mutex>& lock) {
  // The state outlives the handle while this waits, should another thread close it.
  std::shared_ptr<ProcessObject> process = static_cast<ProcessHandle*>(object)->process;
  Reap(process.get(), false);
  if (process->exited) return sys::WAIT_OBJECT_0;
  if (milliseconds == 0) return sys::WAIT_TIMEOUT;
  if (process->pidfd < 0) process->pidfd = int(::syscall(SYS_pidfd_open, process->pid, 0));
  const int pidfd = process->pidfd;
  lock.unlock();
  if (pidfd >= 0) {
    struct pollfd poll {pidfd, POLLIN, 0};
    int timeout = milliseconds == sys::INFINITE ? -1 : int(std::min<sys::DWORD>(milliseconds, INT32_MAX));
    while (::poll(&poll, 1, timeout) < 0 && errno == EINTR) {
    }
  } else {
    int exited = 0;
    for (sys::DWORD waited = 0; !exited && (milliseconds == sys::INFINITE || waited < milliseconds); ++waited) {
      ::usleep(1000);
      siginfo_t info {};
      exited = ::waitid(P_PID, id_t(process->pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
    }
  }
  lock.lock();
  Reap(process.get(), false);
  if (process->exited) return sys::WAIT_OBJECT_0;
  if (VirtualTime()) AdvanceVirtual(milliseconds);
  return sys::WAIT_TIMEOUT;
}

}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;
using ks::sim::FaultKind;

namespace {
using Guard = std::lock_guard<std::recursive_mutex>;

// Where Windows looks for a program named without a folder.
bool FindProgram(const std::u16string& name, std::u16string* found) {
  MachineState* machine = Machine();
  std::vector<std::u16string> folders;
  if (!machine->programPath.empty())
    folders.push_back(machine->programPath.substr(0, machine->programPath.find_last_of(u'\\')));
  folders.push_back(machine->currentDirectory);
  folders.push_back(SystemDirectory(false));
  folders.push_back(WindowsDirectory());
  for (auto& folder : folders) {
    ResolvedPath path;
    std::u16string candidate = folder + u"\\" + name;
    if (ResolvePath(candidate, &path) && path.exists && !path.isDirectory) {
      *found = candidate;
      return true;
    }
  }
  return Fail(ERROR_FILE_NOT_FOUND);
}

std::u16string WithExe(std::u16string name) {
  size_t slash = name.find_last_of(u"\\/");
  size_t dot = name.find_last_of(u'.');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) name += u".exe";
  return name;
}

bool IsUrl(const std::u16string& file) {
  size_t colon = file.find(u':');
  if (colon == std::u16string::npos || colon < 2) return false;  // "C:" is a drive
  for (size_t i = 0; i < colon; ++i)
    if (!(std::isalnum(file[i] < 128 ? int(file[i]) : 0) || file[i] == u'+' || file[i] == u'-' || file[i] == u'.'))
      return false;
  return true;
}

HANDLE AddProcessHandles(pid_t pid, HANDLE* thread, const std::u16string& program) {
  auto state = std::make_shared<ProcessObject>(HandleKind::Process);
  state->pid = pid;
  Processes()[pid] = state;
  auto process = std::make_unique<ProcessHandle>(HandleKind::Process, state);
  process->description = Utf8(program) + " (pid " + std::to_string(pid) + ")";
  if (thread) {
    auto threadHandle = std::make_unique<ProcessHandle>(HandleKind::Thread, state);
    threadHandle->description = process->description;
    *thread = AddHandle(std::move(threadHandle));
  }
  return AddHandle(std::move(process));
}

ProcessObject* ProcessOf(HANDLE handle) {
  HandleObject* object = FindAnyHandle(handle);
  if (!object || (object->kind != HandleKind::Process && object->kind != HandleKind::Thread)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<ProcessHandle*>(object)->process.get();
}

}  // namespace

BOOL CreateProcess(const WCHAR* applicationName, WCHAR* commandLine, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*,
                   BOOL, DWORD, void*, const WCHAR* currentDirectory, STARTUPINFO*,
                   PROCESS_INFORMATION* processInformation) {
  Guard lock(Lock());
  if (!Machine()) return FALSE;
  if ((!applicationName && !commandLine) || !processInformation) return Fail(ERROR_INVALID_PARAMETER);
  DWORD error = 0;
  if (FaultHit(FaultKind::ProcessStart, &error)) return Fail(error);
  std::u16string line = commandLine ? commandLine : u"";
  std::u16string program;
  if (applicationName) {
    program = applicationName;
  } else {
    program = WithExe(SplitCommandLine(line)[0]);
    if (program.find_first_of(u"\\/:") == std::u16string::npos && !FindProgram(program, &program)) return FALSE;
  }
  if (line.empty()) line = u"\"" + program + u"\"";
  int pid = 0;
  std::u16string windows;
  if (!StartProcess(program, line, currentDirectory ? currentDirectory : u"", &pid, &windows)) return FALSE;
  processInformation->hProcess = AddProcessHandles(pid, &processInformation->hThread, windows);
  processInformation->dwProcessId = DWORD(pid);
  processInformation->dwThreadId = DWORD(pid);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, DWORD* exitCode) {
  Guard lock(Lock());
  ProcessObject* process = ProcessOf(handle);
  if (!process) return FALSE;
  if (!exitCode) return Fail(ERROR_INVALID_PARAMETER);
  Reap(process, false);
  *exitCode = process->exited ? process->exitCode : STILL_ACTIVE;
  return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
  Guard lock(Lock());
  ProcessObject* process = ProcessOf(handle);
  if (!process) return FALSE;
  Reap(process, false);
  if (process->exited) return Fail(ERROR_ACCESS_DENIED);
  process->terminated = true;
  process->terminateCode = exitCode;
  ::kill(process->pid, SIGKILL);
  Reap(process, true);
  return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
  Guard lock(Lock());
  if (handle == GetCurrentProcess()) return GetCurrentProcessId();
  ProcessObject* process = ProcessOf(handle);
  return process ? DWORD(process->pid) : 0;
}

DWORD GetCurrentProcessId() { return DWORD(::getpid()); }
HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(~std::uintptr_t(0)); }

BOOL SetPriorityClass(HANDLE handle, DWORD priorityClass) {
  Guard lock(Lock());
  if (handle != GetCurrentProcess() && !ProcessOf(handle)) return FALSE;
  switch (priorityClass) {
    case NORMAL_PRIORITY_CLASS:
    case IDLE_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS:
    case BELOW_NORMAL_PRIORITY_CLASS:
    case ABOVE_NORMAL_PRIORITY_CLASS:
      return TRUE;  // recorded nowhere: the host scheduler is not the machine's
  }
  return Fail(ERROR_INVALID_PARAMETER);
}

DWORD GetPriorityClass(HANDLE handle) {
  Guard lock(Lock());
  if (handle != GetCurrentProcess() && !ProcessOf(handle)) return 0;
  return NORMAL_PRIORITY_CLASS;
}

DWORD GetEnvironmentVariable(const WCHAR* name, WCHAR* buffer, DWORD size) {
  Guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine || !name) return 0;
  const auto& id = machine->identity;
  const bool wow = id.is64Bit && !machine->process64;
  std::u16string profile = id.IsXpLayout() ? u"C:\\Documents and Settings\\" + id.userName : u"C:\\Users\\" + id.userName;
  std::map<std::u16string, std::u16string> variables{
      {u"SYSTEMROOT", u"C:\\Windows"},
      {u"WINDIR", u"C:\\Windows"},
      {u"SYSTEMDRIVE", u"C:"},
      {u"USERNAME", id.userName},
      {u"COMPUTERNAME", id.computerName},
      {u"USERPROFILE", profile},
      {u"APPDATA", SpecialFolderPath(id, machine->process64, CSIDL_APPDATA)},
      {u"LOCALAPPDATA", SpecialFolderPath(id, machine->process64, CSIDL_LOCAL_APPDATA)},
      {u"PROGRAMDATA", SpecialFolderPath(id, machine->process64, CSIDL_COMMON_APPDATA)},
      {u"ALLUSERSPROFILE", SpecialFolderPath(id, machine->process64, CSIDL_COMMON_APPDATA)},
      {u"PROGRAMFILES", SpecialFolderPath(id, machine->process64, CSIDL_PROGRAM_FILES)},
      {u"COMMONPROGRAMFILES", SpecialFolderPath(id, machine->process64, CSIDL_PROGRAM_FILES_COMMON)},
      {u"PROCESSOR_ARCHITECTURE", (id.is64Bit && !wow) ? u"AMD64" : u"x86"},
  };
  if (id.is64Bit) {
    variables[u"PROGRAMFILES(X86)"] = u"C:\\Program Files (x86)";
    variables[u"PROGRAMW6432"] = u"C:\\Program Files";
    if (wow) variables[u"PROCESSOR_ARCHITEW6432"] = u"AMD64";
  }
  if (id.IsXpLayout()) variables.erase(u"LOCALAPPDATA"), variables.erase(u"PROGRAMDATA");
  std::u16string temp = profile + (id.IsXpLayout() ? u"\\Local Settings\\Temp" : u"\\AppData\\Local\\Temp");
  variables[u"TEMP"] = temp;
  variables[u"TMP"] = temp;
  auto it = variables.find(Fold(name));
  if (it == variables.end()) return Fail(203);  // ERROR_ENVVAR_NOT_FOUND
  return CopyOut(it->second, buffer, size);
}

const WCHAR* GetCommandLine() {
  static std::u16string line;
  Guard lock(Lock());
  if (line.empty()) {
    const char* given = std::getenv("KS_MACHINE_CMDLINE");
    WCHAR path[MAX_PATH];
    line = given ? Utf16(given) : (GetModuleFileName(nullptr, path, MAX_PATH), u"\"" + std::u16string(path) + u"\"");
  }
  return line.c_str();
}

void ExitProcess(UINT exitCode) { std::exit(int(exitCode)); }

HMODULE LoadLibraryEx(const WCHAR* fileName, HANDLE, DWORD flags) {
  Guard lock(Lock());
  if (!Machine()) return nullptr;
  if (!fileName || !*fileName) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  DWORD error = 0;
  if (FaultHit(FaultKind::ModuleLoad, &error)) return Fail(error), nullptr;
  if (HMODULE system = LoadSystemModule(fileName)) return system;
  std::u16string name = fileName;
  if (name.find_first_of(u"\\/:") == std::u16string::npos) {
    if (name.find(u'.') == std::u16string::npos) name += u".dll";
    if (!FindProgram(name, &name)) return Fail(ERROR_MOD_NOT_FOUND), nullptr;
  }
  ResolvedPath path;
  if (!ResolvePath(name, &path)) return nullptr;
  if (!path.exists || path.isDirectory) return Fail(ERROR_MOD_NOT_FOUND), nullptr;
  if (auto loaded = LoadedModules().find(path.host); loaded != LoadedModules().end()) {
    static_cast<ModuleObject*>(FindAnyHandle(loaded->second))->references++;
    return static_cast<HMODULE>(loaded->second);
  }
  auto module = std::make_unique<ModuleObject>();
  if (!(flags & LOAD_LIBRARY_AS_DATAFILE)) {
    int fd = ::open(path.host.c_str(), O_RDONLY | O_CLOEXEC);
    char head[4] = {};
    bool elf = fd >= 0 && ::read(fd, head, 4) == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0;
    if (fd >= 0) ::close(fd);
    if (!elf) return Fail(ERROR_BAD_EXE_FORMAT), nullptr;
    // The image stays mapped after FreeLibrary: on Windows what a module put in
    // the process heap outlives it, and here the heap blocks it keeps for the
    // process (its string manager) stay reachable for leak checkers. Each
    // machine's copy of a module is a file of its own, so a fresh machine still
    // loads a fresh module.
    module->library = ::dlopen(path.host.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module->library) {
      Journal("loadlibrary", Utf8(path.windows) + " failed: " + ::dlerror());
      return Fail(ERROR_MOD_NOT_FOUND), nullptr;
    }
  }
  module->host = path.host;
  module->windows = path.windows;
  module->description = Utf8(path.windows);
  void* handle = AddHandle(std::move(module));
  LoadedModules()[path.host] = handle;
  return static_cast<HMODULE>(handle);
}

HMODULE LoadLibrary(const WCHAR* fileName) { return LoadLibraryEx(fileName, nullptr, 0); }

FARPROC GetProcAddress(HMODULE handle, const char* procName) {
  Guard lock(Lock());
  if (FARPROC function = nullptr; SystemModuleExport(handle, procName, &function)) return function;
  auto* module = static_cast<ModuleObject*>(FindHandle(handle, HandleKind::Module));
  if (!module) return nullptr;
  if (!procName || reinterpret_cast<std::uintptr_t>(procName) < 0x10000 || !module->library)
    return Fail(ERROR_PROC_NOT_FOUND), nullptr;
  void* symbol = ::dlsym(module->library, procName);
  if (!symbol) return Fail(ERROR_PROC_NOT_FOUND), nullptr;
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE handle) {
  Guard lock(Lock());
  if (FreeSystemModule(handle)) return TRUE;
  auto* module = static_cast<ModuleObject*>(FindHandle(handle, HandleKind::Module));
  if (!module) {
    if (!FindAnyHandle(handle)) RemoveHandle(handle);  // a second free is reported
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (--module->references > 0) return TRUE;
  LoadedModules().erase(module->host);
  return RemoveHandle(handle) ? TRUE : FALSE;
}

BOOL GetModuleHandleEx(DWORD flags, const WCHAR* moduleName, HMODULE* result) {
  Guard lock(Lock());
  if (result) *result = nullptr;
  if (!result || !moduleName) return Fail(ERROR_INVALID_PARAMETER);
  void* found = nullptr;
  if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
    // The shared object holding the address, if it was loaded as a module.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(moduleName), &info) && info.dli_fname) {
      if (auto it = LoadedModules().find(info.dli_fname); it != LoadedModules().end()) {
        found = it->second;
      } else {
        // An address in the program itself: its own module, as Windows answers.
        char object[4096] = {};
        char program[4096] = {};
        if (::realpath(info.dli_fname, object) && ::realpath("/proc/self/exe", program) &&
            std::strcmp(object, program) == 0) {
          *result = ProgramModule();
          SetLastError(ERROR_SUCCESS);
          return TRUE;
        }
      }
    }
  } else {
    const std::u16string wanted = Fold(moduleName);
    const bool byPath = wanted.find_first_of(u"\\/:") != std::u16string::npos;
    for (const auto& [host, handle] : LoadedModules()) {
      auto* module = static_cast<ModuleObject*>(FindAnyHandle(handle));
      const std::u16string path = Fold(module->windows);
      const std::u16string name = path.substr(path.find_last_of(u'\\') + 1);
      if ((byPath ? path : name) == wanted || (!byPath && wanted.find(u'.') == std::u16string::npos && name == wanted + u".dll")) {
        found = handle;
        break;
      }
    }
  }
  if (!found) return Fail(ERROR_MOD_NOT_FOUND);
  if (!(flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) static_cast<ModuleObject*>(FindAnyHandle(found))->references++;
  *result = static_cast<HMODULE>(found);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

HMODULE GetModuleHandle(const WCHAR* moduleName) {
  if (!moduleName) return ProgramModule();
  Guard lock(Lock());
  std::u16string wanted = moduleName;
  if (wanted.find_first_of(u"\\/:") == std::u16string::npos && wanted.find(u'.') == std::u16string::npos)
    wanted += u".dll";
  for (auto& [host, handle] : LoadedModules()) {
    const std::u16string& path = static_cast<ModuleObject*>(FindAnyHandle(handle))->windows;
    std::u16string name = path.substr(path.find_last_of(u'\\') + 1);
    if (EqualFolded(path, wanted) || EqualFolded(name, wanted)) return static_cast<HMODULE>(handle);
  }
  return Fail(ERROR_MOD_NOT_FOUND), nullptr;
}

DWORD GetModuleFileName(HMODULE handle, WCHAR* fileName, DWORD size) {
  Guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return 0;
  std::u16string path;
  if (!handle || handle == ProgramModule()) {
    path = machine->programPath;
    if (path.empty()) {
      // A program not started through the machine: named after the host file, at C:\.
      char host[4096] = {};
      ssize_t n = ::readlink("/proc/self/exe", host, sizeof host - 1);
      std::string name = n > 0 ? std::string(host, size_t(n)) : "program";
      path = u"C:\\" + Utf16(name.substr(name.rfind('/') + 1));
    }
  } else {
    auto* module = static_cast<ModuleObject*>(FindHandle(handle, HandleKind::Module));
    if (!module) return 0;
    path = module->windows;
  }
  if (!fileName || size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (path.size() + 1 > size) {
    std::copy(path.begin(), path.begin() + (size - 1), fileName);
    fileName[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::copy(path.begin(), path.end(), fileName);
  fileName[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return DWORD(path.size());
}

BOOL ShellExecuteEx(SHELLEXECUTEINFO* info) {
  Guard lock(Lock());
  if (!Machine()) return FALSE;
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFO) || !info->lpFile) return Fail(ERROR_INVALID_PARAMETER);
  info->hProcess = nullptr;
  auto setResult = [&](std::intptr_t code) { info->hInstApp = reinterpret_cast<HINSTANCE>(code); };
  DWORD error = 0;
  if (FaultHit(FaultKind::ProcessStart, &error)) {
    setResult(error == ERROR_FILE_NOT_FOUND ? SE_ERR_FNF : SE_ERR_ACCESSDENIED);
    return Fail(error);
  }
  std::u16string file = info->lpFile;
  std::u16string verb = info->lpVerb ? info->lpVerb : u"open";
  if (IsUrl(file)) {
    Journal("open", Utf8(verb) + " " + Utf8(file));
    setResult(42);
    return TRUE;
  }
  std::u16string full = file;
  if (info->lpDirectory && file.find_first_of(u"\\/:") == std::u16string::npos)
    full = std::u16string(info->lpDirectory) + u"\\" + file;
  ResolvedPath path;
  bool found = ResolvePath(full, &path) && path.exists;
  if (!found && file.find_first_of(u"\\/:") == std::u16string::npos) {
    std::u16string program;
    if (FindProgram(WithExe(file), &program)) found = ResolvePath(program, &path) && path.exists;
  }
  if (!found) {
    setResult(SE_ERR_FNF);
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  std::u16string extension = Fold(path.windows.substr(path.windows.find_last_of(u'.') + 1));
  bool program = extension == u"EXE" || extension == u"COM" || extension == u"BAT" || extension == u"CMD";
  if (!program || path.isDirectory) {
    Journal("open", Utf8(verb) + " " + Utf8(path.windows));
    setResult(42);
    return TRUE;
  }
  std::u16string line = u"\"" + path.windows + u"\"";
  if (info->lpParameters && *info->lpParameters) line += u" " + std::u16string(info->lpParameters);
  int pid = 0;
  std::u16string windows;
  if (!StartProcess(path.windows, line, info->lpDirectory ? info->lpDirectory : u"", &pid, &windows)) {
    DWORD reason = GetLastError();
    setResult(reason == ERROR_BAD_EXE_FORMAT ? 11 /* SE_ERR_BAD_FORMAT */ : SE_ERR_ACCESSDENIED);
    return Fail(reason);
  }
  setResult(42);
  HANDLE process = AddProcessHandles(pid, nullptr, windows);
  if (info->fMask & SEE_MASK_NOCLOSEPROCESS)
    info->hProcess = process;
  else
    RemoveHandle(process);
  return TRUE;
}

void SHChangeNotify(LONG eventId, UINT flags, const void* item1, const void*) {
  Guard lock(Lock());
  char details[64];
  std::snprintf(details, sizeof details, "event=0x%x flags=0x%x", unsigned(eventId), flags);
  std::string text = details;
  if (item1 && (flags & 0xFF) == SHCNF_PATH) {
    text.push_back(' ');
    text.append(Utf8(static_cast<const WCHAR*>(item1)));
  }
  Journal("shchangenotify", text);
}

}  // namespace ks::sys
