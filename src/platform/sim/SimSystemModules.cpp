// The simulated machine's own system modules. Loading "version.dll" or
// "kernel32.dll" by bare name or from the system folder gives a module of the
// machine whose exports are the seam's own functions, so code that looks these
// entries up by name (as it must on Windows) finds them here too.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysSystem.h"
#include "platform/SysThread.h"
#include "platform/SysVersion.h"

#include <cstring>
#include <map>

namespace ks::sim::detail {
namespace {

struct Export {
  const char* name;
  sys::FARPROC function;
};

template <class Function>
sys::FARPROC AsExport(Function* function) {
  return reinterpret_cast<sys::FARPROC>(function);
}

struct SystemModule {
  const char16_t* name;
  std::vector<Export> exports;
};

const std::vector<SystemModule>& SystemModules() {
  static const std::vector<SystemModule> modules = {
      {u"version.dll",
       {{"GetFileVersionInfoSizeW", AsExport(&sys::GetFileVersionInfoSize)},
        {"GetFileVersionInfoW", AsExport(&sys::GetFileVersionInfo)},
        {"VerQueryValueW", AsExport(&sys::VerQueryValue)}}},
      {u"kernel32.dll",
       {{"CancelSynchronousIo", AsExport(&sys::CancelSynchronousIo)},
        {"IsWow64Process", AsExport(&sys::IsWow64Process)},
        {"Wow64EnableWow64FsRedirection", AsExport(&sys::Wow64EnableWow64FsRedirection)}}},
  };
  return modules;
}

struct SystemModuleObject : HandleObject {
  explicit SystemModuleObject(const SystemModule* module) : HandleObject(HandleKind::Module), module(module) {}
  const SystemModule* module;
  int references = 1;
};

std::map<const SystemModule*, void*>& LoadedSystemModules() {
  static std::map<const SystemModule*, void*> loaded;
  return loaded;
}

SystemModuleObject* FindSystemModule(const void* handle) {
  return dynamic_cast<SystemModuleObject*>(FindAnyHandle(handle));
}

// The machine's module of that name, when the name is bare or in a system folder.
const SystemModule* Match(const std::u16string& fileName) {
  std::u16string name = fileName;
  std::size_t slash = fileName.find_last_of(u"\\/");
  if (slash != std::u16string::npos) {
    ResolvedPath path;
    if (!ResolvePath(fileName, &path)) return nullptr;
    std::u16string folder = Fold(path.windows.substr(0, path.windows.find_last_of(u'\\')));
    if (folder != Fold(SystemDirectory(false)) && folder != Fold(SystemDirectory(true))) return nullptr;
    name = path.windows.substr(path.windows.find_last_of(u'\\') + 1);
  } else if (fileName.find(u':') != std::u16string::npos) {
    return nullptr;
  } else if (name.find(u'.') == std::u16string::npos) {
    name += u".dll";
  }
  for (const SystemModule& module : SystemModules())
    if (EqualFolded(name, module.name)) return &module;
  return nullptr;
}

}  // namespace

sys::HMODULE LoadSystemModule(const std::u16string& fileName) {
  const SystemModule* module = Match(fileName);
  if (!module) return nullptr;
  auto& loaded = LoadedSystemModules();
  if (auto found = loaded.find(module); found != loaded.end()) {
    FindSystemModule(found->second)->references++;
    return static_cast<sys::HMODULE>(found->second);
  }
  auto object = std::make_unique<SystemModuleObject>(module);
  object->description = Utf8(SystemDirectory(false) + u"\\" + module->name);
  void* handle = AddHandle(std::move(object));
  loaded[module] = handle;
  return static_cast<sys::HMODULE>(handle);
}

bool SystemModuleExport(const void* handle, const char* procName, sys::FARPROC* function) {
  SystemModuleObject* object = FindSystemModule(handle);
  if (!object) return false;
  *function = nullptr;
  if (procName && reinterpret_cast<std::uintptr_t>(procName) >= 0x10000) {
    for (const Export& entry : object->module->exports)
      if (std::strcmp(entry.name, procName) == 0) *function = entry.function;
  }
  if (!*function) Fail(sys::ERROR_PROC_NOT_FOUND);
  return true;
}

bool FreeSystemModule(const void* handle) {
  SystemModuleObject* object = FindSystemModule(handle);
  if (!object) return false;
  if (--object->references == 0) {
    LoadedSystemModules().erase(object->module);
    RemoveHandle(handle);
  }
  return true;
}

}  // namespace ks::sim::detail
