#pragma once
// Shell calls: special folders, ShellExecuteEx and change notification.

#include "platform/SysTypes.h"

#include <cstdint>

namespace ks::sys {

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PROGRAMS = 0x0002;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_STARTUP = 0x0007;
constexpr int CSIDL_SENDTO = 0x0009;
constexpr int CSIDL_STARTMENU = 0x000b;
constexpr int CSIDL_MYMUSIC = 0x000d;
constexpr int CSIDL_MYVIDEO = 0x000e;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_FONTS = 0x0014;
constexpr int CSIDL_TEMPLATES = 0x0015;
constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
constexpr int CSIDL_COMMON_STARTUP = 0x0018;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
constexpr int CSIDL_APPDATA = 0x001a;
constexpr int CSIDL_LOCAL_APPDATA = 0x001c;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_MYPICTURES = 0x0027;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_SYSTEMX86 = 0x0029;
constexpr int CSIDL_PROGRAM_FILESX86 = 0x002a;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x002b;
constexpr int CSIDL_PROGRAM_FILES_COMMONX86 = 0x002c;
constexpr int CSIDL_COMMON_DOCUMENTS = 0x002e;
constexpr int CSIDL_COMMON_MUSIC = 0x0035;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// path receives MAX_PATH characters at most. An unknown folder gives E_INVALIDARG.
HRESULT SHGetFolderPath(HWND owner, int folder, HANDLE token, DWORD flags, WCHAR* path);

constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x00000400;
constexpr DWORD SEE_MASK_NOASYNC = 0x00000100;

// hInstApp greater than 32 on success, an SE_ERR_ code on failure.
constexpr std::intptr_t SE_ERR_FNF = 2;
constexpr std::intptr_t SE_ERR_PNF = 3;
constexpr std::intptr_t SE_ERR_ACCESSDENIED = 5;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;

struct SHELLEXECUTEINFO {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  const WCHAR* lpVerb;
  const WCHAR* lpFile;
  const WCHAR* lpParameters;
  const WCHAR* lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  const WCHAR* lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
};

// Programs are started as processes (hProcess set with SEE_MASK_NOCLOSEPROCESS);
// documents and web addresses are opened by their handler, hProcess stays null.
BOOL ShellExecuteEx(SHELLEXECUTEINFO* info);

constexpr LONG SHCNE_ASSOCCHANGED = 0x08000000;
constexpr UINT SHCNF_IDLIST = 0x0000;
constexpr UINT SHCNF_PATH = 0x0005;
void SHChangeNotify(LONG eventId, UINT flags, const void* item1, const void* item2);

}  // namespace ks::sys
