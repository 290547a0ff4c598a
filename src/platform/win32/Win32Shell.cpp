// Shell calls, forwarded to shell32.

#include "platform/SysShell.h"

#include "platform/win32/Win32Native.h"

#include <shlobj.h>
#include <shellapi.h>

#undef SHGetFolderPath
#undef ShellExecuteEx

namespace ks::sys {

using win32::Wide;

HRESULT SHGetFolderPath(HWND owner, int folder, HANDLE token, DWORD flags, WCHAR* path) {
  return ::SHGetFolderPathW(reinterpret_cast<::HWND>(owner), folder, token, flags, Wide(path));
}

BOOL ShellExecuteEx(SHELLEXECUTEINFO* info) {
  if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFO)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ::SHELLEXECUTEINFOW native{};
  native.cbSize = sizeof native;
  native.fMask = info->fMask;
  native.hwnd = reinterpret_cast<::HWND>(info->hwnd);
  native.lpVerb = Wide(info->lpVerb);
  native.lpFile = Wide(info->lpFile);
  native.lpParameters = Wide(info->lpParameters);
  native.lpDirectory = Wide(info->lpDirectory);
  native.nShow = info->nShow;
  native.lpIDList = info->lpIDList;
  native.lpClass = Wide(info->lpClass);
  native.hkeyClass = reinterpret_cast<::HKEY>(info->hkeyClass);
  native.dwHotKey = info->dwHotKey;
  native.hIcon = info->hIcon;
  const BOOL ok = ::ShellExecuteExW(&native);
  info->hInstApp = reinterpret_cast<HINSTANCE>(native.hInstApp);
  info->hProcess = native.hProcess;
  return ok;
}

void SHChangeNotify(LONG eventId, UINT flags, const void* item1, const void* item2) {
  ::SHChangeNotify(eventId, flags, item1, item2);
}

}  // namespace ks::sys
