// INI profiles: GetPrivateProfileString and kin over files of the machine.

#include "platform/sim/SimInternal.h"

#include "platform/SysCodePage.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace ks::sim::detail {
namespace {

struct Profile {
  bool exists = false;
  bool unicode = false;
  std::vector<std::u16string> lines;
};

bool LoadProfile(const sys::WCHAR* fileName, Profile* profile, std::string* host) {
  std::u16string name = fileName ? fileName : u"win.ini";
  if (name.find_first_of(u"\\/:") == std::u16string::npos) name = WindowsDirectory() + u"\\" + name;
  ResolvedPath path;
  if (!ResolvePath(name, &path)) return false;
  *host = path.host;
  if (!path.exists || path.isDirectory) return true;
  std::ifstream in(path.host, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    profile->unicode = true;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += char16_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = Utf16(bytes.substr(3));
  } else if (!bytes.empty()) {
    text.resize(bytes.size());
    sys::MultiByteToWideChar(sys::CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(), int(text.size()));
  }
  profile->exists = true;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\n') continue;
    std::u16string line = text.substr(start, i - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    profile->lines.push_back(line);
    start = i + 1;
  }
  if (!profile->lines.empty() && profile->lines.back().empty()) profile->lines.pop_back();
  return true;
}

std::u16string Trim(const std::u16string& text) {
  size_t begin = text.find_first_not_of(u" \t");
  if (begin == std::u16string::npos) return {};
  size_t end = text.find_last_not_of(u" \t");
  return text.substr(begin, end - begin + 1);
}

bool IsSection(const std::u16string& line, std::u16string* name) {
  std::u16string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed[0] != u'[') return false;
  size_t close = trimmed.find(u']');
  if (close == std::u16string::npos) return false;
  *name = Trim(trimmed.substr(1, close - 1));
  return true;
}

bool IsEntry(const std::u16string& line, std::u16string* key, std::u16string* value) {
  std::u16string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == u';') return false;
  size_t eq = trimmed.find(u'=');
  if (eq == std::u16string::npos) return false;
  *key = Trim(trimmed.substr(0, eq));
  *value = Trim(trimmed.substr(eq + 1));
  return true;
}

// Copies a list of names, each terminated and the list double-terminated,
// truncated as Windows truncates (returns size - 2).
sys::DWORD CopyList(const std::vector<std::u16string>& names, sys::WCHAR* out, sys::DWORD size) {
  if (size == 0) return 0;
  if (size == 1) {
    out[0] = 0;
    return 0;
  }
  std::u16string all;
  for (auto& name : names) {
    all += name;
    all += u'\0';
  }
  if (all.size() + 1 <= size) {
    std::copy(all.begin(), all.end(), out);
    out[all.size()] = 0;
    if (all.empty()) out[1] = 0;
    return sys::DWORD(all.size());
  }
  std::copy(all.begin(), all.begin() + (size - 2), out);
  out[size - 2] = 0;
  out[size - 1] = 0;
  return size - 2;
}

sys::DWORD CopyValue(const std::u16string& value, sys::WCHAR* out, sys::DWORD size) {
  if (size == 0) return 0;
  size_t count = std::min<size_t>(value.size(), size - 1);
  std::copy(value.begin(), value.begin() + count, out);
  out[count] = 0;
  return sys::DWORD(count);
}

}  // namespace
}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;

DWORD GetPrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* defaultValue,
                              WCHAR* returnedString, DWORD size, const WCHAR* fileName) {
  std::lock_guard lock(Lock());
  if (!returnedString || !Machine()) return 0;
  Profile profile;
  std::string host;
  if (!LoadProfile(fileName, &profile, &host)) return CopyValue(u"", returnedString, size);
  std::vector<std::u16string> names;
  std::u16string section;
  bool inSection = false;
  for (auto& line : profile.lines) {
    std::u16string key, value;
    if (IsSection(line, &section)) {
      if (!appName) names.push_back(section);
      inSection = appName && EqualFolded(section, appName);
      continue;
    }
    if (!inSection || !IsEntry(line, &key, &value)) continue;
    if (!keyName) {
      names.push_back(key);
    } else if (EqualFolded(key, keyName)) {
      if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
      SetLastError(ERROR_SUCCESS);
      return CopyValue(value, returnedString, size);
    }
  }
  if (!appName || !keyName) return CopyList(names, returnedString, size);
  std::u16string fallback = defaultValue ? defaultValue : u"";
  while (!fallback.empty() && fallback.back() == u' ') fallback.pop_back();
  SetLastError(ERROR_FILE_NOT_FOUND);
  return CopyValue(fallback, returnedString, size);
}

UINT GetPrivateProfileInt(const WCHAR* appName, const WCHAR* keyName, int defaultValue, const WCHAR* fileName) {
  WCHAR text[64];
  if (!appName || !keyName) return UINT(defaultValue);
  const WCHAR marker[] = {0xFFFF, 0};
  GetPrivateProfileString(appName, keyName, marker, text, 64, fileName);
  if (text[0] == 0xFFFF) return UINT(defaultValue);
  std::u16string value = text;
  bool negative = !value.empty() && value[0] == u'-';
  size_t i = negative ? 1 : 0;
  long long result = 0;
  if (value.size() > i + 1 && value[i] == u'0' && (value[i + 1] == u'x' || value[i + 1] == u'X')) {
    for (i += 2; i < value.size() && std::isxdigit(value[i] < 128 ? int(value[i]) : 0); ++i)
      result = result * 16 + (value[i] <= u'9' ? value[i] - u'0' : (value[i] | 0x20) - u'a' + 10);
  } else {
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) result = result * 10 + (value[i] - u'0');
  }
  return UINT(negative ? -result : result);
}

BOOL WritePrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* value, const WCHAR* fileName) {
  std::lock_guard lock(Lock());
  if (!Machine()) return FALSE;
  if (!appName) return Fail(ERROR_INVALID_PARAMETER);
  Profile profile;
  std::string host;
  if (!LoadProfile(fileName, &profile, &host)) return FALSE;
  ResolvedPath target;
  target.host = host;
  if (!profile.exists && !ParentExists(target)) return FALSE;
  std::vector<std::u16string> out;
  std::u16string section;
  bool inSection = false, done = false, sectionSeen = false;
  for (auto& line : profile.lines) {
    std::u16string name, key, current;
    if (IsSection(line, &name)) {
      if (inSection && !done && keyName && value) {
        out.push_back(std::u16string(keyName) + u"=" + value);
        done = true;
      }
      inSection = EqualFolded(name, appName);
      sectionSeen = sectionSeen || inSection;
      if (inSection && !keyName) {
        done = true;
        continue;  // the whole section goes
      }
      out.push_back(line);
      continue;
    }
    if (inSection && !keyName) continue;
    if (inSection && keyName && IsEntry(line, &key, &current) && EqualFolded(key, keyName) && !done) {
      if (value) out.push_back(key + u"=" + value);
      done = true;
      continue;
    }
    out.push_back(line);
  }
  if (!done && keyName && value) {
    if (!sectionSeen) {
      std::u16string header(1, u'[');
      header.append(appName).push_back(u']');
      out.push_back(header);
    }
    out.push_back(std::u16string(keyName) + u"=" + value);
  }
  std::string bytes;
  if (profile.unicode) {
    bytes = "\xFF\xFE";
    for (auto& line : out)
      for (char16_t c : line + u"\r\n") bytes += char(c & 0xFF), bytes += char(c >> 8);
  } else {
    for (auto& line : out) {
      std::u16string withEnd = line + u"\r\n";
      std::string ansi(withEnd.size(), '\0');
      WideCharToMultiByte(CP_ACP, 0, withEnd.data(), int(withEnd.size()), ansi.data(), int(ansi.size()), nullptr,
                          nullptr);
      bytes += ansi;
    }
  }
  std::ofstream file(host, std::ios::binary | std::ios::trunc);
  if (!file || !file.write(bytes.data(), std::streamsize(bytes.size()))) return Fail(ERROR_ACCESS_DENIED);
  return TRUE;
}

}  // namespace ks::sys
