#pragma once
// Modules loaded at run time, their exports, and the module file name.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x1;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x2;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x8;

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

}  // namespace ks::sys
