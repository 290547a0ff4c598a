#pragma once
// Shell links (.lnk files) as IShellLink and IPersistFile make and read them,
// and COM's start and end for the thread. On Windows the link is a real shell
// link; the simulated machine keeps the same fields in a small text file.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);

HRESULT OleInitialize(void* reserved);
void OleUninitialize();

constexpr int kShellLinkPathLength = 260;
constexpr int kShellLinkTextLength = 1024;

struct SHELL_LINK_DATA {
  WCHAR target[kShellLinkPathLength];
  WCHAR arguments[kShellLinkTextLength];
  WCHAR workingDirectory[kShellLinkPathLength];
  WCHAR description[kShellLinkTextLength];
  WCHAR iconPath[kShellLinkPathLength];
  int iconIndex;
  int showCommand;  // SW_SHOWNORMAL (1) unless set
};

// Saves a link at linkPath (replacing one that exists). Texts may be null.
// Needs COM initialised on the thread (CO_E_NOTINITIALIZED otherwise); file
// errors come back as HRESULTs of their Win32 codes.
HRESULT CreateShellLink(const WCHAR* linkPath, const WCHAR* target, const WCHAR* arguments,
                        const WCHAR* workingDirectory, const WCHAR* description, const WCHAR* iconPath, int iconIndex,
                        int showCommand);
HRESULT ReadShellLink(const WCHAR* linkPath, SHELL_LINK_DATA* link);

}  // namespace ks::sys
