// Special folders and the registry a fresh machine starts with.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysRegistry.h"
#include "platform/SysShell.h"

#include <sys/stat.h>

#include <filesystem>

namespace ks::sim::detail {

std::u16string SpecialFolderPath(const Identity& id, bool process64, int csidl) {
  const bool xp = id.IsXpLayout();
  const bool wow = id.is64Bit && !process64;
  const std::u16string profile =
      xp ? u"C:\\Documents and Settings\\" + id.userName : u"C:\\Users\\" + id.userName;
  const std::u16string allUsers = xp ? u"C:\\Documents and Settings\\All Users" : u"C:\\ProgramData";
  const std::u16string publicFolder = xp ? allUsers : u"C:\\Users\\Public";
  const std::u16string roaming = xp ? profile + u"\\Application Data" : profile + u"\\AppData\\Roaming";
  const std::u16string startMenu = xp ? profile + u"\\Start Menu" : roaming + u"\\Microsoft\\Windows\\Start Menu";
  const std::u16string commonStartMenu = xp ? allUsers + u"\\Start Menu" : allUsers + u"\\Microsoft\\Windows\\Start Menu";
  const std::u16string documents = xp ? profile + u"\\My Documents" : profile + u"\\Documents";
  const std::u16string programFiles = wow ? u"C:\\Program Files (x86)" : u"C:\\Program Files";
  const std::u16string programFilesX86 = id.is64Bit ? u"C:\\Program Files (x86)" : u"C:\\Program Files";
  switch (csidl & 0xFF) {
    case sys::CSIDL_DESKTOP:
    case sys::CSIDL_DESKTOPDIRECTORY: return profile + u"\\Desktop";
    case sys::CSIDL_PROGRAMS: return startMenu + u"\\Programs";
    case sys::CSIDL_PERSONAL: return documents;
    case sys::CSIDL_STARTUP: return startMenu + u"\\Programs\\Startup";
    case sys::CSIDL_SENDTO: return xp ? profile + u"\\SendTo" : roaming + u"\\Microsoft\\Windows\\SendTo";
    case sys::CSIDL_STARTMENU: return startMenu;
    case sys::CSIDL_MYMUSIC: return xp ? documents + u"\\My Music" : profile + u"\\Music";
    case sys::CSIDL_MYVIDEO: return xp ? documents + u"\\My Videos" : profile + u"\\Videos";
    case sys::CSIDL_MYPICTURES: return xp ? documents + u"\\My Pictures" : profile + u"\\Pictures";
    case sys::CSIDL_FONTS: return u"C:\\Windows\\Fonts";
    case sys::CSIDL_TEMPLATES: return xp ? profile + u"\\Templates" : roaming + u"\\Microsoft\\Windows\\Templates";
    case sys::CSIDL_COMMON_STARTMENU: return commonStartMenu;
    case sys::CSIDL_COMMON_PROGRAMS: return commonStartMenu + u"\\Programs";
    case sys::CSIDL_COMMON_STARTUP: return commonStartMenu + u"\\Programs\\Startup";
    case sys::CSIDL_COMMON_DESKTOPDIRECTORY: return publicFolder + u"\\Desktop";
    case sys::CSIDL_APPDATA: return roaming;
    case sys::CSIDL_LOCAL_APPDATA:
      return xp ? profile + u"\\Local Settings\\Application Data" : profile + u"\\AppData\\Local";
    case sys::CSIDL_COMMON_APPDATA: return xp ? allUsers + u"\\Application Data" : allUsers;
    case sys::CSIDL_WINDOWS: return WindowsDirectory();
    case sys::CSIDL_SYSTEM: return SystemDirectory(false);
    case sys::CSIDL_SYSTEMX86: return SystemDirectory(id.is64Bit);
    case sys::CSIDL_PROGRAM_FILES: return programFiles;
    case sys::CSIDL_PROGRAM_FILESX86: return programFilesX86;
    case sys::CSIDL_PROGRAM_FILES_COMMON: return programFiles + u"\\Common Files";
    case sys::CSIDL_PROGRAM_FILES_COMMONX86: return programFilesX86 + u"\\Common Files";
    case sys::CSIDL_PROFILE: return profile;
    case sys::CSIDL_COMMON_DOCUMENTS: return publicFolder + (xp ? u"\\Documents" : u"\\Documents");
    case sys::CSIDL_COMMON_MUSIC: return xp ? allUsers + u"\\Documents\\My Music" : publicFolder + u"\\Music";
  }
  return {};
}

namespace {

bool SetString(sys::HKEY root, const std::u16string& key, const std::u16string& name, const std::u16string& value,
               sys::DWORD type = sys::REG_SZ) {
  sys::HKEY handle = nullptr;
  if (sys::RegCreateKeyEx(root, key.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS | sys::KEY_WOW64_64KEY, nullptr,
                          &handle, nullptr))
    return false;
  bool ok = sys::RegSetValueEx(handle, name.empty() ? nullptr : name.c_str(), 0, type,
                               reinterpret_cast<const sys::BYTE*>(value.c_str()),
                               sys::DWORD((value.size() + 1) * 2)) == 0;
  sys::RegCloseKey(handle);
  return ok;
}

bool SetDword(sys::HKEY root, const std::u16string& key, const std::u16string& name, sys::DWORD value) {
  sys::HKEY handle = nullptr;
  if (sys::RegCreateKeyEx(root, key.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS | sys::KEY_WOW64_64KEY, nullptr,
                          &handle, nullptr))
    return false;
  bool ok = sys::RegSetValueEx(handle, name.c_str(), 0, sys::REG_DWORD, reinterpret_cast<const sys::BYTE*>(&value),
                               4) == 0;
  sys::RegCloseKey(handle);
  return ok;
}

bool CreateKey(sys::HKEY root, const std::u16string& key) {
  sys::HKEY handle = nullptr;
  if (sys::RegCreateKeyEx(root, key.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS | sys::KEY_WOW64_64KEY, nullptr,
                          &handle, nullptr))
    return false;
  sys::RegCloseKey(handle);
  return true;
}

}  // namespace

bool WriteRegistryDefaults(const Identity& id, std::string* error) {
  SystemAccess system;
  using namespace sys;
  if (!BeginBatch()) {
    *error = "cannot write the registry";
    return false;
  }
  const bool xp = id.IsXpLayout();
  bool ok = true;
  auto folder = [&](int csidl) { return SpecialFolderPath(id, true, csidl); };
  std::vector<std::u16string> softwareRoots{u"SOFTWARE"};
  if (id.is64Bit) softwareRoots.push_back(u"SOFTWARE\\Wow6432Node");
  for (auto& software : softwareRoots) {
    const bool wow = software != u"SOFTWARE";
    const std::u16string current = software + u"\\Microsoft\\Windows\\CurrentVersion";
    const std::u16string programFiles = wow ? u"C:\\Program Files (x86)" : u"C:\\Program Files";
    ok = ok && SetString(HKEY_LOCAL_MACHINE, current, u"ProgramFilesDir", programFiles);
    ok = ok && SetString(HKEY_LOCAL_MACHINE, current, u"CommonFilesDir", programFiles + u"\\Common Files");
    if (id.is64Bit) {
      ok = ok && SetString(HKEY_LOCAL_MACHINE, current, u"ProgramFilesDir (x86)", u"C:\\Program Files (x86)");
      ok = ok && SetString(HKEY_LOCAL_MACHINE, current, u"CommonFilesDir (x86)",
                           u"C:\\Program Files (x86)\\Common Files");
      ok = ok && SetString(HKEY_LOCAL_MACHINE, current, u"ProgramW6432Dir", u"C:\\Program Files");
    }
    for (auto sub : {u"\\Run", u"\\RunOnce", u"\\Uninstall", u"\\App Paths"}) ok = ok && CreateKey(HKEY_LOCAL_MACHINE, current + sub);
    const std::u16string nt = software + u"\\Microsoft\\Windows NT\\CurrentVersion";
    ok = ok && SetString(HKEY_LOCAL_MACHINE, nt, u"ProductName", xp ? u"Microsoft Windows XP" : u"Windows 10 Pro");
    ok = ok && SetString(HKEY_LOCAL_MACHINE, nt, u"CurrentVersion",
                         xp ? u"5.1" : (id.major >= 10 || (id.major == 6 && id.minor >= 3)) ? u"6.3"
                                                                                              : Utf16(std::to_string(id.major) + "." + std::to_string(id.minor)));
    ok = ok && SetString(HKEY_LOCAL_MACHINE, nt, u"CurrentBuild", Utf16(std::to_string(id.build)));
    ok = ok && SetString(HKEY_LOCAL_MACHINE, nt, u"RegisteredOwner", id.userName);
    if (!id.servicePack.empty()) ok = ok && SetString(HKEY_LOCAL_MACHINE, nt, u"CSDVersion", id.servicePack);
    if (id.major >= 10) {
      ok = ok && SetDword(HKEY_LOCAL_MACHINE, nt, u"CurrentMajorVersionNumber", id.major);
      ok = ok && SetDword(HKEY_LOCAL_MACHINE, nt, u"CurrentMinorVersionNumber", id.minor);
    }
    const std::u16string ie = software + u"\\Microsoft\\Internet Explorer";
    ok = ok && SetString(HKEY_LOCAL_MACHINE, ie, u"Version", xp ? u"6.0.2900.5512" : u"9.11.19041.0");
    if (!xp) ok = ok && SetString(HKEY_LOCAL_MACHINE, ie, u"svcVersion", u"11.789.19041.0");
    ok = ok && CreateKey(HKEY_LOCAL_MACHINE, software + u"\\Classes");
  }
  if (id.is64Bit) ok = ok && CreateKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\Wow6432Node");
  ok = ok && SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\.txt", u"", u"txtfile");
  ok = ok && SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\txtfile", u"", u"Text Document");
  ok = ok && SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\txtfile\\shell\\open\\command", u"",
                       u"%SystemRoot%\\system32\\NOTEPAD.EXE %1", REG_EXPAND_SZ);

  const std::u16string shellFolders = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const std::u16string commonFolders[][2] = {
      {u"Common AppData", folder(CSIDL_COMMON_APPDATA)},
      {u"Common Desktop", folder(CSIDL_COMMON_DESKTOPDIRECTORY)},
      {u"Common Documents", folder(CSIDL_COMMON_DOCUMENTS)},
      {u"Common Programs", folder(CSIDL_COMMON_PROGRAMS)},
      {u"Common Start Menu", folder(CSIDL_COMMON_STARTMENU)},
      {u"Common Startup", folder(CSIDL_COMMON_STARTUP)},
  };
  for (auto& software : softwareRoots)
    for (auto& [name, path] : commonFolders)
      ok = ok && SetString(HKEY_LOCAL_MACHINE, software + shellFolders.substr(8), name, path);
  const std::u16string userFolders[][2] = {
      {u"AppData", folder(CSIDL_APPDATA)},
      {u"Local AppData", folder(CSIDL_LOCAL_APPDATA)},
      {u"Desktop", folder(CSIDL_DESKTOPDIRECTORY)},
      {u"Personal", folder(CSIDL_PERSONAL)},
      {u"My Music", folder(CSIDL_MYMUSIC)},
      {u"My Video", folder(CSIDL_MYVIDEO)},
      {u"My Pictures", folder(CSIDL_MYPICTURES)},
      {u"Programs", folder(CSIDL_PROGRAMS)},
      {u"Start Menu", folder(CSIDL_STARTMENU)},
      {u"Startup", folder(CSIDL_STARTUP)},
      {u"Templates", folder(CSIDL_TEMPLATES)},
      {u"SendTo", folder(CSIDL_SENDTO)},
      {u"Fonts", folder(CSIDL_FONTS)},
  };
  const std::u16string userShellFolders = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const std::u16string userShellFoldersExpand =
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::u16string profile = folder(CSIDL_PROFILE);
  for (auto& [name, path] : userFolders) {
    ok = ok && SetString(HKEY_CURRENT_USER, userShellFolders, name, path);
    std::u16string expand = path.compare(0, profile.size(), profile) == 0
                                ? u"%USERPROFILE%" + path.substr(profile.size())
                                : path;
    ok = ok && SetString(HKEY_CURRENT_USER, userShellFoldersExpand, name, expand, REG_EXPAND_SZ);
  }
  for (auto sub : {u"\\Run", u"\\RunOnce"})
    ok = ok && CreateKey(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion" + std::u16string(sub));
  ok = ok && CreateKey(HKEY_CURRENT_USER, u"Software\\Classes");
  ok = ok && CreateKey(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
  ok = ok && SetString(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                       u"windir", u"%SystemRoot%", REG_EXPAND_SZ);
  ok = ok && CreateKey(HKEY_USERS, u".DEFAULT\\Software");
  ok = EndBatch(ok) && ok;
  if (!ok) *error = "cannot write the registry defaults";
  return ok;
}

}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;

HRESULT SHGetFolderPath(HWND, int folder, HANDLE, DWORD, WCHAR* path) {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  if (!machine) return E_FAIL;
  if (!path) return E_INVALIDARG;
  path[0] = 0;
  std::u16string result = SpecialFolderPath(machine->identity, machine->process64, folder);
  if (result.empty()) return E_INVALIDARG;
  ResolvedPath resolved;
  if (!ResolvePath(result, &resolved)) return HresultFromWin32(GetLastError());
  if (!resolved.exists) {
    if (!(folder & CSIDL_FLAG_CREATE)) return HresultFromWin32(ERROR_FILE_NOT_FOUND);
    std::error_code ec;
    std::filesystem::create_directories(resolved.host, ec);
    if (ec) return HresultFromWin32(ERROR_ACCESS_DENIED);
  }
  if (result.size() >= MAX_PATH) return HresultFromWin32(ERROR_FILENAME_EXCED_RANGE);
  CopyOut(result, path, MAX_PATH);
  return S_OK;
}

}  // namespace ks::sys
