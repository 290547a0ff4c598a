#include "tools/KsToolsRegistryKey.h"

#include <cstdint>
#include <vector>

#include "foundation/KsStringArray.h"
#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"

namespace {

constexpr KsChar kTag[] = u"Settings";
constexpr const KsChar* kProfileVariables[] = {u"LOCALAPPDATA", u"APPDATA", u"USERPROFILE"};

KsString Environment(const KsChar* name) {
  ks::sys::WCHAR buffer[2048];
  const ks::sys::DWORD length = ks::sys::GetEnvironmentVariable(name, buffer, 2048);
  return length > 0 && length < 2048 ? KsString(buffer, static_cast<int>(length)) : KsString();
}

// %NAME% references replaced by the variables' values; unknown ones stay.
KsString Expand(const KsString& text) {
  KsString out;
  int position = 0;
  while (position < text.GetLength()) {
    const int open = text.Find(u"%", position);
    const int close = open < 0 ? -1 : text.Find(u"%", open + 1);
    if (close < 0) break;
    const KsString value = Environment(text.Mid(open + 1, close - open - 1));
    if (close > open + 1 && !value.IsEmpty()) {
      out += text.Mid(position, open - position);
      out += value;
      position = close + 1;
    } else {
      out += text.Mid(position, close - position);
      position = close;
    }
  }
  out += text.Mid(position);
  return out;
}

// A leading profile folder of the user written as its variable (the longest
// folder that matches at a folder boundary).
KsString Contract(const KsChar* value) {
  KsString text(value);
  for (const KsChar* variable : kProfileVariables) {
    KsString folder = Environment(variable);
    folder.TrimTrailingBackslashes();
    if (folder.IsEmpty() || text.GetLength() < folder.GetLength()) continue;
    if (text.CompareNoCaseN(folder, folder.GetLength()) != 0) continue;
    if (text.GetLength() > folder.GetLength() && text[folder.GetLength()] != u'\\') continue;
    return KsString(u"%") + variable + u"%" + text.Mid(folder.GetLength());
  }
  return text;
}

}  // namespace

KsToolsRegistryKey::KsToolsRegistryKey(KsRegKey key, const KsChar* path, bool ownedByCaller)
    : m_key(std::move(key)), m_path(path), m_ownedByCaller(ownedByCaller) {}

KsToolsRegistryKey* KsToolsRegistryKey::Open(ks::sys::HKEY root, const KsChar* path, bool ownedByCaller) {
  if (path == nullptr || *path == 0) return nullptr;
  KsRegKey key;
  const long status = ks::sys::RegCreateKeyEx(root, path, 0, nullptr, ks::sys::REG_OPTION_NON_VOLATILE,
                                              ks::sys::KEY_READ | ks::sys::KEY_WRITE, nullptr, key.Receive(), nullptr);
  if (status != 0) {
    KsLogFormat(kKsLogError, kTag, u"Cannot open or create the key %s (error %d)", path, static_cast<int>(status));
    return nullptr;
  }
  return new KsToolsRegistryKey(std::move(key), path, ownedByCaller);
}

bool KsToolsRegistryKey::DeleteTree(ks::sys::HKEY parent, const KsChar* name) {
  {
    KsRegKey key;
    const long status =
        ks::sys::RegOpenKeyEx(parent, name, 0, ks::sys::KEY_READ | ks::sys::KEY_WRITE, key.Receive());
    if (status == ks::sys::ERROR_FILE_NOT_FOUND) return true;
    if (status != 0) return false;
    // Children first: Windows deletes only keys without subkeys. Always the
    // first name, as each deletion shifts the rest.
    for (;;) {
      ks::sys::WCHAR child[256];
      ks::sys::DWORD length = 256;
      if (ks::sys::RegEnumKeyEx(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != 0) break;
      if (!DeleteTree(key.Get(), child)) return false;
    }
  }
  return ks::sys::RegDeleteKey(parent, name) == 0;
}

void KsToolsRegistryKey::LogFailure(const KsChar* what, const KsChar* name, long error) {
  KsLogFormat(kKsLogWarning, kTag, u"%s %s in %s failed (error %d)", what, name != nullptr ? name : u"",
              m_path.Chars(), static_cast<int>(error));
}

KsString KsToolsRegistryKey::ReadText(const KsChar* name, const KsChar* defaultValue) {
  ks::sys::DWORD type = 0;
  ks::sys::DWORD size = 0;
  if (ks::sys::RegQueryValueEx(m_key.Get(), name, nullptr, &type, nullptr, &size) != 0) return KsString(defaultValue);
  if (type == ks::sys::REG_DWORD || type == ks::sys::REG_QWORD) {
    KsString number;
    number.FromInt(ReadNumber(name, 0));
    return number;
  }
  if (type != ks::sys::REG_SZ && type != ks::sys::REG_EXPAND_SZ) return KsString(defaultValue);
  std::vector<ks::sys::WCHAR> buffer(size / sizeof(ks::sys::WCHAR) + 1, 0);
  size = static_cast<ks::sys::DWORD>(buffer.size() * sizeof(ks::sys::WCHAR));
  if (ks::sys::RegQueryValueEx(m_key.Get(), name, nullptr, &type, reinterpret_cast<ks::sys::BYTE*>(buffer.data()),
                               &size) != 0)
    return KsString(defaultValue);
  buffer.back() = 0;  // a value stored without its terminator
  KsString text(buffer.data());
  return type == ks::sys::REG_EXPAND_SZ ? Expand(text) : text;
}

std::int64_t KsToolsRegistryKey::ReadNumber(const KsChar* name, std::int64_t defaultValue) {
  ks::sys::DWORD type = 0;
  std::uint64_t data = 0;
  ks::sys::DWORD size = sizeof data;
  const long status =
      ks::sys::RegQueryValueEx(m_key.Get(), name, nullptr, &type, reinterpret_cast<ks::sys::BYTE*>(&data), &size);
  if (status == 0 && type == ks::sys::REG_DWORD && size == 4) return static_cast<std::int32_t>(data & 0xFFFFFFFFu);
  if (status == 0 && type == ks::sys::REG_QWORD && size == 8) return static_cast<std::int64_t>(data);
  if (type == ks::sys::REG_SZ || type == ks::sys::REG_EXPAND_SZ) {
    const KsString text = ReadText(name, u"");
    if (!text.IsEmpty() && ((text[0] >= u'0' && text[0] <= u'9') || text[0] == u'-')) return text.ToInt64();
  }
  return defaultValue;
}

bool KsToolsRegistryKey::SetValue(const KsChar* name, ks::sys::DWORD type, const void* data, ks::sys::DWORD size) {
  const long status =
      ks::sys::RegSetValueEx(m_key.Get(), name, 0, type, static_cast<const ks::sys::BYTE*>(data), size);
  if (status != 0) LogFailure(u"Writing", name, status);
  return status == 0;
}

bool KsToolsRegistryKey::WriteNumber(const KsChar* name, std::int64_t value) {
  if (value >= INT32_MIN && value <= INT32_MAX) {
    const std::uint32_t dword = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    return SetValue(name, ks::sys::REG_DWORD, &dword, 4);
  }
  return SetValue(name, ks::sys::REG_QWORD, &value, 8);
}

bool KsToolsRegistryKey::WriteText(const KsChar* name, const KsChar* value) {
  return WriteText(name, value, kPlainText);
}

bool KsToolsRegistryKey::WriteText(const KsChar* name, const KsChar* value, int kind) {
  const KsString text = kind == kFolderPath ? Contract(value) : KsString(value);
  const bool expandable = kind == kFolderPath && text.FirstCharIs(u'%');
  return SetValue(name, expandable ? ks::sys::REG_EXPAND_SZ : ks::sys::REG_SZ, text.Chars(),
                  static_cast<ks::sys::DWORD>((text.GetLength() + 1) * sizeof(KsChar)));
}

bool KsToolsRegistryKey::ReadBinary(const KsChar* name, void* data, int size) {
  if (data == nullptr || size < 0) return false;
  ks::sys::DWORD type = 0;
  ks::sys::DWORD stored = 0;
  if (ks::sys::RegQueryValueEx(m_key.Get(), name, nullptr, &type, nullptr, &stored) != 0) return false;
  if (type != ks::sys::REG_BINARY || stored != static_cast<ks::sys::DWORD>(size)) return false;
  return ks::sys::RegQueryValueEx(m_key.Get(), name, nullptr, &type, static_cast<ks::sys::BYTE*>(data), &stored) == 0;
}

bool KsToolsRegistryKey::WriteBinary(const KsChar* name, const void* data, int size) {
  if (size < 0 || (data == nullptr && size > 0)) return false;
  return SetValue(name, ks::sys::REG_BINARY, data, static_cast<ks::sys::DWORD>(size));
}

bool KsToolsRegistryKey::DeleteValue(const KsChar* name) {
  const long status = ks::sys::RegDeleteValue(m_key.Get(), name);
  if (status != 0 && status != static_cast<long>(ks::sys::ERROR_FILE_NOT_FOUND)) LogFailure(u"Deleting", name, status);
  return status == 0;
}

bool KsToolsRegistryKey::DeleteSubkey(const KsChar* name) {
  if (name == nullptr || *name == 0) return false;  // never the store itself
  const bool deleted = DeleteTree(m_key.Get(), name);
  if (!deleted) LogFailure(u"Deleting the subkey", name, static_cast<long>(ks::sys::GetLastError()));
  return deleted;
}

bool KsToolsRegistryKey::RemoveAllValues() {
  KsStringArray names;
  if (!EnumerateValues(&names)) return false;
  bool all = true;
  for (int i = 0; i < names.GetSize(); ++i) all = DeleteValue(names[i]) && all;
  return all;
}

bool KsToolsRegistryKey::RemoveAllSubkeys() {
  KsStringArray names;
  if (!EnumerateSubkeys(&names)) return false;
  bool all = true;
  for (int i = 0; i < names.GetSize(); ++i) all = DeleteSubkey(names[i]) && all;
  return all;
}

KsString KsToolsRegistryKey::GetStorePath() { return m_path; }

bool KsToolsRegistryKey::Enumerate(bool subkeys, KsStringArray* names) {
  if (names == nullptr) return false;
  for (ks::sys::DWORD index = 0;; ++index) {
    ks::sys::WCHAR name[16384];
    ks::sys::DWORD length = 16384;
    const long status = subkeys ? ks::sys::RegEnumKeyEx(m_key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                                        nullptr)
                                : ks::sys::RegEnumValue(m_key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                                        nullptr);
    if (status == static_cast<long>(ks::sys::ERROR_NO_MORE_ITEMS)) return true;
    if (status != 0) {
      LogFailure(subkeys ? u"Listing subkeys" : u"Listing values", u"", status);
      return false;
    }
    names->Add(KsString(name, static_cast<int>(length)));
  }
}

bool KsToolsRegistryKey::EnumerateSubkeys(KsStringArray* names) { return Enumerate(true, names); }

bool KsToolsRegistryKey::EnumerateValues(KsStringArray* names) { return Enumerate(false, names); }

bool KsToolsRegistryKey::CopyValue(IKsRegistryKey* from, const KsChar* name) {
  auto* source = dynamic_cast<KsToolsRegistryKey*>(from);
  if (source == nullptr) return false;
  ks::sys::DWORD type = 0;
  ks::sys::DWORD size = 0;
  long status = ks::sys::RegQueryValueEx(source->Handle(), name, nullptr, &type, nullptr, &size);
  if (status != 0) return false;
  std::vector<ks::sys::BYTE> data(size);
  status = ks::sys::RegQueryValueEx(source->Handle(), name, nullptr, &type, data.data(), &size);
  if (status != 0) {
    source->LogFailure(u"Reading", name, status);
    return false;
  }
  return SetValue(name, type, data.data(), size);
}

void KsToolsRegistryKey::Release() {
  if (m_ownedByCaller) delete this;
}
