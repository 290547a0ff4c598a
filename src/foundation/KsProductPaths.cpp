#include "foundation/KsProductPaths.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "foundation/KsFileSystem.h"
#include "foundation/KsHandle.h"
#include "foundation/KsTextService.h"
#include "foundation/KsTools.h"
#include "platform/SysDebug.h"
#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"KsProductPaths";

// The record's layout, shared with the product's own modules.
constexpr std::size_t kInitialisedOffset = 0;
constexpr std::size_t kExecutableSlot = 2;
constexpr std::size_t kInstallSlot = 524;
constexpr std::size_t kWorkingSlot = 1046;
constexpr std::size_t kModuleSlot = 1568;
constexpr std::size_t kAppDataSlot = 2090;
constexpr std::size_t kSlotBytes = 522;
constexpr std::size_t kStartedOffset = 2612;
constexpr std::size_t kMainThreadOffset = 2616;
constexpr std::size_t kCurrentUserOffset = 2620;
constexpr std::size_t kPortableOffset = 2624;
constexpr std::size_t kToolkitStateOffsets[] = {3160, 3164, 3168};
constexpr std::int32_t kToolkitStateValues[] = {-1, -1, 99};
constexpr std::uint32_t kCurrentUserKey = 0x80000001;

constexpr const KsChar* kInstallationsKey = u"Software\\Quorvane\\Pellanor\\Installations";
constexpr const KsChar* kTempLocationValue = u"File Location - Temp Location";
// Windows refuses longer module paths even with the long-path prefix.
constexpr sys::DWORD kMaxModulePath = 32768;

std::mutex& InstanceMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unique_ptr<KsProductPaths>& InstanceSlot() {
  static std::unique_ptr<KsProductPaths> instance;
  return instance;
}

KsString ExecutablePath() {
  std::vector<sys::WCHAR> buffer(sys::MAX_PATH);
  for (;;) {
    const sys::DWORD size = static_cast<sys::DWORD>(buffer.size());
    const sys::DWORD length = sys::GetModuleFileName(nullptr, buffer.data(), size);
    if (length == 0) {
      KsLogFormat(kKsLogError, kLogTag, u"GetModuleFileName failed (error %d)",
                  static_cast<std::int64_t>(sys::GetLastError()));
      return KsString();
    }
    if (length < size - 1 || size >= kMaxModulePath) return KsString(buffer.data(), static_cast<int>(length));
    buffer.resize(size * 2);
  }
}

KsString FolderOf(const KsString& path) { return path.Left(path.ReverseFindChar(u'\\') + 1); }

// A text value of an open key; empty when it is missing or not text.
KsString ReadRegistryText(sys::HKEY key, const KsChar* name) {
  sys::DWORD type = 0;
  sys::DWORD bytes = 0;
  if (sys::RegQueryValueEx(key, name, nullptr, &type, nullptr, &bytes) != sys::ERROR_SUCCESS ||
      (type != sys::REG_SZ && type != sys::REG_EXPAND_SZ) || bytes == 0) {
    return KsString();
  }
  std::vector<sys::WCHAR> buffer(bytes / sizeof(sys::WCHAR) + 1, 0);
  sys::DWORD size = bytes;
  if (sys::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<sys::BYTE*>(buffer.data()), &size) !=
      sys::ERROR_SUCCESS) {
    return KsString();
  }
  buffer.back() = 0;
  return KsString(buffer.data());
}

KsString SpecialFolder(int csidl) {
  sys::WCHAR buffer[sys::MAX_PATH] = {};
  if (sys::SHGetFolderPath(nullptr, csidl, nullptr, sys::SHGFP_TYPE_CURRENT, buffer) != sys::S_OK) return KsString();
  buffer[sys::MAX_PATH - 1] = 0;
  return KsString(buffer);
}

bool StartsWithNoCase(const KsString& text, const KsString& prefix) {
  return !prefix.IsEmpty() && text.GetLength() >= prefix.GetLength() &&
         text.CompareNoCaseN(prefix, prefix.GetLength()) == 0;
}

}  // namespace

KsProductPaths& KsProductPaths::Get() {
  std::lock_guard lock(InstanceMutex());
  auto& instance = InstanceSlot();
  if (!instance) instance = std::make_unique<KsProductPaths>();
  return *instance;
}

void KsProductPaths::ReleaseInstance() {
  std::lock_guard lock(InstanceMutex());
  InstanceSlot().reset();
}

KsString KsProductPaths::RecordName() {
  return KsFormat(u"Kestrune Process v%d (%d)", kMajorVersion, static_cast<std::int64_t>(sys::GetCurrentProcessId()));
}

KsProductPaths::KsProductPaths() {
  if (!m_memory.Create(RecordName(), kRecordSize)) {
    KsLog(kKsLogWarning, kLogTag, u"Using a private path record; other modules will not see these paths");
    m_privateRecord = std::make_unique<std::uint8_t[]>(kRecordSize);
    std::memset(m_privateRecord.get(), 0, kRecordSize);
  }
  if (Record()[kInitialisedOffset] == 0) Initialise();
}

std::uint8_t* KsProductPaths::Record() const {
  return m_memory.IsOpen() ? static_cast<std::uint8_t*>(m_memory.GetData()) : m_privateRecord.get();
}

void KsProductPaths::Initialise() {
  std::uint8_t* record = Record();
  std::memset(record, 0, kRecordSize);
  record[kInitialisedOffset] = 1;
  m_owner = true;
  WriteSlot(kExecutableSlot, ExecutablePath(), false);
  DiscoverInstallPath(nullptr, false, false);
  const std::uint32_t threadId = sys::GetCurrentThreadId();
  std::memcpy(record + kCurrentUserOffset, &kCurrentUserKey, sizeof kCurrentUserKey);
  std::memcpy(record + kMainThreadOffset, &threadId, sizeof threadId);
  KsString appDataRoot;
  if (IsPortable()) {
    appDataRoot = GetProgramFolder() + u"Application Data\\";
  } else {
    appDataRoot = SpecialFolder(sys::CSIDL_APPDATA);
    if (appDataRoot.IsEmpty()) KsLog(kKsLogError, kLogTag, u"The user's application data folder is unknown");
  }
  WriteSlot(kAppDataSlot, appDataRoot, true);
  for (std::size_t index = 0; index < std::size(kToolkitStateOffsets); ++index)
    std::memcpy(record + kToolkitStateOffsets[index], &kToolkitStateValues[index], sizeof(std::int32_t));
}

KsString KsProductPaths::ReadSlot(std::size_t offset) const {
  // Another module may have written the slot: never read past it.
  KsChar text[kSlotBytes / sizeof(KsChar)];
  std::memcpy(text, Record() + offset, kSlotBytes);
  int length = 0;
  while (length < kSlotCharacters && text[length] != 0) ++length;
  return KsString(text, length);
}

void KsProductPaths::WriteSlot(std::size_t offset, const KsChar* path, bool withBackslash) {
  KsString text = withBackslash ? KsFileSystem::WithBackslash(path) : KsString(path != nullptr ? path : u"");
  if (text.GetLength() > kSlotCharacters) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Path of %d characters cut to %d: %s", text.GetLength(), kSlotCharacters,
                text);
    text = text.Left(kSlotCharacters);
  }
  std::uint8_t* slot = Record() + offset;
  std::memset(slot, 0, kSlotBytes);
  std::memcpy(slot, text.Chars(), static_cast<std::size_t>(text.GetLength()) * sizeof(KsChar));
}

KsString KsProductPaths::GetExecutablePath() const { return ReadSlot(kExecutableSlot); }
KsString KsProductPaths::GetProgramFolder() const { return KsFileSystem::WithBackslash(ReadSlot(kInstallSlot)); }
KsString KsProductPaths::GetWorkingProgramFolder() const {
  return KsFileSystem::WithBackslash(ReadSlot(kWorkingSlot));
}
KsString KsProductPaths::GetModuleFolder() const { return KsFileSystem::WithBackslash(ReadSlot(kModuleSlot)); }
KsString KsProductPaths::GetApplicationDataRoot() const {
  return KsFileSystem::WithBackslash(ReadSlot(kAppDataSlot));
}
bool KsProductPaths::IsPortable() const { return Record()[kPortableOffset] != 0; }

std::uint32_t KsProductPaths::GetMainThreadId() const {
  std::uint32_t id = 0;
  std::memcpy(&id, Record() + kMainThreadOffset, sizeof id);
  return id;
}

KsString KsProductPaths::GetDataFolder() const {
  KsString folder = GetWorkingProgramFolder();
  if (folder.IsEmpty()) folder = GetProgramFolder();
  return folder.IsEmpty() ? folder : folder + u"Data\\";
}

KsString KsProductPaths::GetSkinsFolder() const {
  const KsString program = GetProgramFolder();
  return program.IsEmpty() ? program : program + u"Skins\\";
}

KsString KsProductPaths::GetViewSkinsFolder(View view) const {
  const KsString skins = GetSkinsFolder();
  if (skins.IsEmpty()) return skins;
  switch (view) {
    case View::Mini: return skins + u"Mini View\\";
    case View::Standard: return skins + u"Standard View\\";
    case View::Theater: return skins + u"Theater View\\";
  }
  return KsString();
}

KsString KsProductPaths::GetApplicationDataFolder() const {
  if (IKsProductInfo* info = KsToolsProductInfo()) {
    const KsString folder = info->GetDataFolder();
    if (!folder.IsEmpty()) return KsFileSystem::WithBackslash(folder);
  }
  const KsString root = GetApplicationDataRoot();
  return root.IsEmpty() ? root : root + u"Drellan\\Generic\\";
}

KsString KsProductPaths::GetTemporaryFolder() const {
  if (IKsSettingsStore* store = KsToolsSettingsStore(u"Properties")) {
    const KsString configured = store->ReadText(kTempLocationValue, u"");
    if (!configured.IsEmpty()) {
      const KsString folder = KsFileSystem::WithBackslash(configured) + u"Drellan\\";
      if (KsFileSystem::CreateFolder(folder)) return folder;
      KsLogFormat(kKsLogWarning, kLogTag, u"Temp location %s cannot be used; removed from the settings", folder);
      store->DeleteValue(kTempLocationValue);
    }
  }
  const KsString appData = GetApplicationDataFolder();
  KsString folder;
  if (!appData.IsEmpty()) {
    folder = appData + u"Temp\\";
    if (KsFileSystem::CreateFolder(folder)) return folder;
  }
  // Without a usable application data folder, the user's temporary folder.
  sys::WCHAR buffer[sys::MAX_PATH + 1] = {};
  const sys::DWORD length = sys::GetTempPath(sys::MAX_PATH + 1, buffer);
  if (length > 0 && length <= sys::MAX_PATH) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Temporary folder %s cannot be created; using %s", folder, buffer);
    return KsFileSystem::WithBackslash(buffer);
  }
  return folder;
}

KsString KsProductPaths::GetMusicFolder() const {
  KsString folder = SpecialFolder(sys::CSIDL_MYMUSIC);
  if (folder.IsEmpty()) folder = SpecialFolder(sys::CSIDL_PERSONAL);
  if (folder.IsEmpty()) {
    const KsString program = GetProgramFolder();
    folder = program.GetLength() >= 3 && program[1] == u':' ? program.Left(3) : KsString(u"C:\\");
  }
  if (GetTextService()->FindText(folder, u"My Music", IKsTextService::kFindNoCase) < 0)
    folder = KsFileSystem::WithBackslash(folder) + u"My Music";
  return KsFileSystem::WithBackslash(folder);
}

void KsProductPaths::SetInstallPath(const KsChar* path, bool alsoWorkingAndModule, bool ownerOnly) {
  if (ownerOnly && !m_owner) return;
  WriteSlot(kInstallSlot, path, true);
  if (alsoWorkingAndModule) {
    WriteSlot(kWorkingSlot, path, true);
    WriteSlot(kModuleSlot, path, true);
  }
  KsToolsNotifyPathsChanged();
  const KsString line = KsFormat(u"Kestrune install path (process: %d): %s\r\n",
                                 static_cast<std::int64_t>(sys::GetCurrentProcessId()), path != nullptr ? path : u"");
  sys::OutputDebugString(line.Chars());
}

void KsProductPaths::SetWorkingProgramFolder(const KsChar* path) { WriteSlot(kWorkingSlot, path, true); }
void KsProductPaths::SetModuleFolder(const KsChar* path) { WriteSlot(kModuleSlot, path, true); }
void KsProductPaths::MarkStarted() { Record()[kStartedOffset] = 1; }

void KsProductPaths::DiscoverInstallPath(const KsChar* productKey, bool alsoWorkingAndModule, bool ownerOnly) {
  if (ownerOnly && !m_owner) return;
  const KsString programFolder = FolderOf(GetExecutablePath());
  const bool portable = !programFolder.IsEmpty() && KsFileSystem::FileExists(programFolder + u"Portable.dat");
  Record()[kPortableOffset] = portable ? 1 : 0;
  KsString installPath;
  if (portable) {
    installPath = programFolder;
  } else {
    KsRegKey installations;
    const sys::LSTATUS status = sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, kInstallationsKey, 0, sys::KEY_READ,
                                                  installations.Receive());
    if (status == sys::ERROR_SUCCESS) {
      const KsString key(productKey != nullptr ? productKey : u"");
      const KsString current = key.IsEmpty() ? ReadRegistryText(installations.Get(), u"") : KsString();
      for (sys::DWORD index = 0; installPath.IsEmpty(); ++index) {
        sys::WCHAR name[256] = {};
        sys::DWORD nameLength = 256;
        if (sys::RegEnumKeyEx(installations.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            sys::ERROR_SUCCESS) {
          break;
        }
        const KsString subkeyName(name, static_cast<int>(nameLength));
        const bool wanted = key.IsEmpty() ? (!current.IsEmpty() && subkeyName.CompareNoCase(current) == 0)
                                          : subkeyName.CompareNoCase(key) == 0;
        if (!wanted) continue;
        KsRegKey subkey;
        if (sys::RegOpenKeyEx(installations.Get(), subkeyName, 0, sys::KEY_READ, subkey.Receive()) !=
            sys::ERROR_SUCCESS) {
          break;
        }
        const KsString path = KsFileSystem::WithBackslash(ReadRegistryText(subkey.Get(), u"Path"));
        if (!key.IsEmpty() || StartsWithNoCase(programFolder, path)) installPath = path;
        break;
      }
    }
  }
  SetInstallPath(installPath, alsoWorkingAndModule, ownerOnly);
}

KsString KsProductPaths::GetSetupFolder() { return FolderOf(ExecutablePath()); }
KsString KsProductPaths::GetModuleFileName() { return ExecutablePath(); }

KsString KsProductPaths::GetWindowsFolder() {
  sys::WCHAR buffer[sys::MAX_PATH] = {};
  const sys::UINT length = sys::GetWindowsDirectory(buffer, sys::MAX_PATH);
  return length > 0 && length < sys::MAX_PATH ? KsFileSystem::WithBackslash(buffer) : KsString();
}

KsString KsProductPaths::GetSystemFolder() {
  sys::WCHAR buffer[sys::MAX_PATH] = {};
  const sys::UINT length = sys::GetSystemDirectory(buffer, sys::MAX_PATH);
  return length > 0 && length < sys::MAX_PATH ? KsFileSystem::WithBackslash(buffer) : KsString();
}

KsString KsProductPaths::GetFontsFolder() {
  const KsString windows = GetWindowsFolder();
  return windows.IsEmpty() ? windows : windows + u"Fonts\\";
}

KsString KsProductPaths::GetProgramFilesFolder() {
  KsRegKey key;
  KsString folder;
  if (sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, sys::KEY_READ,
                        key.Receive()) == sys::ERROR_SUCCESS) {
    folder = ReadRegistryText(key.Get(), u"ProgramFilesDir");
  }
  return folder.IsEmpty() ? KsString(u"C:\\Program Files\\") : KsFileSystem::WithBackslash(folder);
}
