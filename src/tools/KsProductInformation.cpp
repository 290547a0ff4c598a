#include "tools/KsProductInformation.h"

#include "config/KsReadTextFile.h"
#include "foundation/KsStringArray.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"
#include "platform/SysTime.h"
#include "platform/SysWindow.h"
#include "tools/KsMessagePump.h"

namespace {

constexpr KsChar kTag[] = u"Product";

KsString WithBackslash(KsString folder) {
  if (!folder.IsEmpty() && !folder.EndsWithBackslash()) folder += u"\\";
  return folder;
}

}  // namespace

bool KsProductInformation::Load(const KsChar* identifier, KsString* error, int) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  KsString path(identifier);
  if (path.IsEmpty()) {
    path = m_folder + kFileName;
  } else if (path.FindChar(u'\\') < 0) {
    path = m_folder + path + u".xml";
  }
  KsString problem;
  KsString text;
  const ks::sys::DWORD attributes = ks::sys::GetFileAttributes(path);
  if (attributes == ks::sys::INVALID_FILE_ATTRIBUTES || (attributes & ks::sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
    problem = KsFormat(u"The product information file \"%s\" is missing.", path.Chars());
  } else if (!KsReadTextFile(path, text)) {
    problem = KsFormat(u"The product information file \"%s\" cannot be read (error %d).", path.Chars(),
                       static_cast<int>(ks::sys::GetLastError()));
  } else if (!m_document.SetDocument(text)) {
    problem = KsFormat(u"The product information file \"%s\" is damaged: %s", path.Chars(),
                       m_document.GetResult().IsEmpty() ? u"not well formed" : m_document.GetResult().Chars());
  } else {
    m_document.ResetPosition();
    const bool isProduct = m_document.FindNext() && m_document.GetNodeName().CompareNoCase(u"KsProduct") == 0;
    KsString name;
    if (isProduct && Find(u"/*/Product/Name", &name)) name.Trim();
    if (name.IsEmpty()) {
      problem = KsFormat(u"The product information file \"%s\" does not name a product.", path.Chars());
    }
  }
  m_loaded = problem.IsEmpty();
  if (!m_loaded) {
    m_document.SetDocument(KsString());
    KsLog(kKsLogError, kTag, problem);
    if (error != nullptr) *error = problem;
    return false;
  }
  KsLogFormat(kKsLogInfo, kTag, u"Loaded %s: %s %s", path.Chars(), GetDisplayName(1).Chars(),
              GetVersionText().Chars());
  return true;
}

bool KsProductInformation::Find(const KsChar* path, KsString* data) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (path == nullptr || *path == 0) return false;
  m_document.ResetPosition();
  if (!m_document.FindNext(path)) return false;
  *data = m_document.GetData();
  return true;
}

KsString KsProductInformation::Field(const KsChar* name, const KsChar* defaultValue) {
  return GetText(KsString(u"/*/Product/") + name, defaultValue);
}

KsString KsProductInformation::GetText(const KsChar* key, const KsChar* defaultValue) {
  KsString data;
  if (!m_loaded || !Find(key, &data)) return KsString(defaultValue);
  data.Trim();
  return data;
}

std::int64_t KsProductInformation::GetNumber(const KsChar* key, std::int64_t defaultValue) {
  const KsString text = GetText(key, u"");
  if (text.IsEmpty()) return defaultValue;
  if (text.StartsWith(u"0x", true)) return KsString::HexPrefixedToInt64(KsString(u"0x") + text.Mid(2));
  if ((text[0] < u'0' || text[0] > u'9') && text[0] != u'-') return defaultValue;
  return text.ToInt64();
}

KsString KsProductInformation::GetDisplayName(int form) {
  if (!m_loaded) return KsString();
  const KsString name = Field(u"Name");
  const KsString fullName = Field(u"FullName", name + u" " + Field(u"MajorVersion"));
  switch (form) {
    case 0: return name;
    case 1: return fullName;
    case 2: return Field(u"ClientName", name);
    case 3: {
      KsString objectName = Field(u"ObjectName", fullName);
      objectName.Remove(u' ');
      return objectName;
    }
    case 5: return Field(u"MakerName", Field(u"Maker") + u" " + fullName);
    default:
      KsLogFormat(kKsLogWarning, kTag, u"No display name of form %d", form);
      return KsString();
  }
}

KsString KsProductInformation::GetLauncherName() { return Field(u"LauncherName", Field(u"Name") + u" Launcher.exe"); }

KsString KsProductInformation::GetLauncherPath() {
  // The launcher is one of the files the install puts into the system folder.
  const KsString name = GetLauncherName();
  if (!m_loaded || name.IsEmpty()) return KsString();
  ks::sys::WCHAR folder[ks::sys::MAX_PATH];
  const ks::sys::UINT length = ks::sys::GetSystemDirectory(folder, ks::sys::MAX_PATH);
  if (length == 0 || length >= ks::sys::MAX_PATH) return KsString();
  return WithBackslash(KsString(folder, static_cast<int>(length))) + name;
}

KsString KsProductInformation::GetMainProgramName() { return Field(u"MainProgram"); }

KsString KsProductInformation::GetVersionKey() { return Field(u"VersionKey", Field(u"MajorVersion")); }

KsString KsProductInformation::GetVersionText() { return Field(u"VersionText", Field(u"MajorVersion")); }

KsString KsProductInformation::GetStartMenuName() { return Field(u"StartMenuName", GetDisplayName(1)); }

KsString KsProductInformation::GetProductExtension() { return Field(u"Extension"); }

KsString KsProductInformation::GetProductMimeTypes() { return Field(u"MimeTypes"); }

KsString KsProductInformation::GetProductProtocols() { return Field(u"Protocols"); }

KsString KsProductInformation::GetProductText(int number) {
  KsString data;
  if (!m_loaded || !Find(KsFormat(u"/*/Texts/Text[@number=%d]", number), &data)) return KsString();
  data.Trim();
  return data;
}

KsString KsProductInformation::GetWebAddress() { return Field(u"WebAddress"); }

KsString KsProductInformation::GetDataFolder() {
  // Given below the user's application data folder; an absolute path stands.
  KsString folder = Field(u"DataFolder");
  if (folder.IsEmpty()) return folder;
  if (folder.GetLength() > 1 && (folder[1] == u':' || folder.StartsWith(u"\\\\", false))) return WithBackslash(folder);
  ks::sys::WCHAR root[ks::sys::MAX_PATH] = {};
  if (ks::sys::SHGetFolderPath(nullptr, ks::sys::CSIDL_APPDATA, nullptr, 0, root) != 0) {
    KsLog(kKsLogWarning, kTag, u"No application data folder for the data folder");
    return KsString();
  }
  folder.TrimLeft(u"\\");
  return WithBackslash(WithBackslash(KsString(root)) + folder);
}

bool KsProductInformation::HasFeature(int number) {
  KsStringArray features;
  features.Split(Field(u"Features"), u";", true);
  for (int i = 0; i < features.GetSize(); ++i) {
    if (!features[i].IsEmpty() && features[i].ToInt() == number) return true;
  }
  return false;
}

ks::sys::HWND KsProductInformation::GetProductWindow() {
  const KsString windowClass = Field(u"MainWindowClass");
  if (windowClass.IsEmpty()) return nullptr;
  return ks::sys::FindWindow(windowClass, nullptr);
}

bool KsProductInformation::IsProductRunning() { return GetProductWindow() != nullptr; }

void KsProductInformation::CloseProduct() {
  ks::sys::HWND window = GetProductWindow();
  if (window == nullptr) return;
  const std::int64_t timeout = GetNumber(u"/*/Product/CloseTimeoutMilliseconds", kDefaultCloseTimeoutMs);
  KsLogFormat(kKsLogInfo, kTag, u"Asking the running %s to close", GetDisplayName(1).Chars());
  if (!ks::sys::PostMessage(window, ks::sys::WM_CLOSE, 0, 0)) {
    KsLogFormat(kKsLogWarning, kTag, u"Cannot post WM_CLOSE (error %d)", static_cast<int>(ks::sys::GetLastError()));
    return;
  }
  // Bounded wait on the machine clock; the caller's own windows keep working.
  const std::uint64_t start = ks::sys::GetTickCount64();
  for (;;) {
    KsMessagePump::Pump();
    if (!IsProductRunning()) {
      KsLogFormat(kKsLogInfo, kTag, u"Closed after %d ms", static_cast<int>(ks::sys::GetTickCount64() - start));
      return;
    }
    if (ks::sys::GetTickCount64() - start >= static_cast<std::uint64_t>(timeout)) break;
    ks::sys::Sleep(50);
  }
  KsLogFormat(kKsLogWarning, kTag, u"Still running after %d ms", static_cast<int>(timeout));
}

KsString KsProductInformation::GetSettingsRoot() {
  return KsString(u"Software\\") + Field(u"SettingsMaker", u"Quorvane") + u"\\" + GetDisplayName(1);
}
