// Saving a text to a file in one of three encodings.

#include <string>

#include "foundation/KsString.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

namespace {

// Creates every folder of path above its last component. Folders that exist
// already are fine; the file's own creation reports any real failure.
void CreateParentFolders(const KsString& path) {
  const int last = path.ReverseFindSeparator();
  if (last <= 0) return;
  // Skip the root: "C:\", "\\server\share\" or "\\?\C:\".
  int start = 0;
  if (path.StartsWith(u"\\\\?\\", false)) start = 4;
  if (path.StartsWith(u"\\\\", false) && start == 0) {
    int separators = 0;
    for (start = 2; start < path.GetLength() && separators < 2; ++start) {
      if (path[start] == u'\\') ++separators;
    }
  } else {
    const int colon = path.FindChar(u':');
    if (colon >= 0) start = colon + 2;
  }
  for (int i = start; i <= last; ++i) {
    if (path[i] != u'\\' && path[i] != u'/') continue;
    const KsString folder = path.Left(i);
    ks::sys::CreateDirectory(folder, nullptr);
  }
}

}  // namespace

bool KsString::SaveToFile(const KsChar* path, int encoding) const {
  std::string bytes;
  switch (encoding) {
    case kKsEncodingAnsi: {
      std::optional<std::string> ansi = ToAnsi();
      if (!ansi) return false;
      bytes = std::move(*ansi);
      break;
    }
    case kKsEncodingUtf8:
      bytes = ToUtf8();
      break;
    case kKsEncodingUtf16:
      bytes.reserve(2 + 2 * static_cast<size_t>(GetLength()));
      bytes += "\xFF\xFE";
      for (KsChar c : View()) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
      }
      break;
    default:
      return false;
  }
  const KsString target(path);
  if (target.IsEmpty()) return false;
  CreateParentFolders(target);
  ks::sys::HANDLE file =
      ks::sys::CreateFile(target, ks::sys::GENERIC_WRITE, ks::sys::FILE_SHARE_READ | ks::sys::FILE_SHARE_WRITE, nullptr,
                          ks::sys::CREATE_ALWAYS, ks::sys::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == ks::sys::INVALID_HANDLE_VALUE) return false;
  ks::sys::DWORD written = 0;
  const bool complete = bytes.empty() || (ks::sys::WriteFile(file, bytes.data(), static_cast<ks::sys::DWORD>(bytes.size()),
                                                             &written, nullptr) &&
                                          written == bytes.size());
  const ks::sys::DWORD error = ks::sys::GetLastError();
  ks::sys::CloseHandle(file);
  ks::sys::SetLastError(complete ? ks::sys::ERROR_SUCCESS : error);
  return complete;
}
