#pragma once
// Modules loaded at run time, their exports, and the module file name.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x1;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x2;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x8;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

HMODULE LoadLibraryEx(const WCHAR* fileName, HANDLE reserved, DWORD flags);
HMODULE LoadLibrary(const WCHAR* fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
BOOL FreeLibrary(HMODULE module);
// module null: the program's own Windows path. The result is truncated and
// terminated when it does not fit, with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileName(HMODULE module, WCHAR* fileName, DWORD size);
// moduleName null: the program's own module (its instance for window classes);
// otherwise a module already loaded, found by file name, without a reference;
// null with ERROR_MOD_NOT_FOUND for a module not loaded into the process.
HMODULE GetModuleHandle(const WCHAR* moduleName);
// The loaded module named by moduleName (a file name or path), or with
// GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS the one holding the address passed
// as moduleName: how a module finds its own handle. Without
// GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT the module's count goes up and
// the caller frees it. ERROR_MOD_NOT_FOUND when no loaded module matches.
BOOL GetModuleHandleEx(DWORD flags, const WCHAR* moduleName, HMODULE* module);

}  // namespace ks::sys
