#include "tools/KsToolsLogFile.h"

#include "foundation/KsHandle.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysTime.h"

#include <cstdio>

namespace {

const char* LevelName(int level) {
  switch (level) {
    case kKsLogError: return "Error";
    case kKsLogWarning: return "Warning";
    case kKsLogInfo: return "Info";
    case kKsLogTrace: return "Trace";
    default: return "Note";
  }
}

}  // namespace

void KsToolsLogFile::Open(const KsChar* path) {
  KsString file(path);
  if (file.IsEmpty()) {
    ks::sys::WCHAR folder[ks::sys::MAX_PATH + 1] = {};
    const ks::sys::DWORD length = ks::sys::GetTempPath(ks::sys::MAX_PATH, folder);
    if (length == 0 || length > ks::sys::MAX_PATH) return;
    file = KsString(folder, static_cast<int>(length));
    if (!file.EndsWithBackslash()) file += u"\\";
    file += u"KsTools.log";
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_path = file;
  ks::sys::WIN32_FILE_ATTRIBUTE_DATA data{};
  if (ks::sys::GetFileAttributesEx(m_path, ks::sys::GetFileExInfoStandard, &data) &&
      ((static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > kMaxBytes) {
    ks::sys::DeleteFile(m_path);
  }
}

void KsToolsLogFile::Log(int level, const KsChar* tag, const KsChar* text) {
  ks::sys::SYSTEMTIME now{};
  ks::sys::GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u %-7s ", unsigned(now.wYear),
                unsigned(now.wMonth), unsigned(now.wDay), unsigned(now.wHour), unsigned(now.wMinute),
                unsigned(now.wSecond), unsigned(now.wMilliseconds), LevelName(level));
  std::string line = stamp;
  if (tag != nullptr && *tag != 0) line += KsString(tag).ToUtf8() + ": ";
  std::string body = KsString(text).ToUtf8();
  // One call, one line: line breaks inside the text are shown, not obeyed.
  for (char c : body) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  line += "\r\n";
  Append(line);
}

void KsToolsLogFile::Append(const std::string& line) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_path.IsEmpty()) return;
  const ks::sys::DWORD error = ks::sys::GetLastError();  // logging leaves the caller's error alone
  KsFileHandle file(ks::sys::CreateFile(m_path, ks::sys::GENERIC_WRITE,
                                        ks::sys::FILE_SHARE_READ | ks::sys::FILE_SHARE_WRITE, nullptr,
                                        ks::sys::OPEN_ALWAYS, ks::sys::FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    ks::sys::SetFilePointer(file.Get(), 0, nullptr, ks::sys::FILE_END);
    ks::sys::DWORD written = 0;
    ks::sys::WriteFile(file.Get(), line.data(), static_cast<ks::sys::DWORD>(line.size()), &written, nullptr);
  }
  ks::sys::SetLastError(error);
}
