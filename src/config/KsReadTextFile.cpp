#include "config/KsReadTextFile.h"

#include <string>

#include "foundation/KsHandle.h"
#include "platform/SysFile.h"

// Local paths only; reading URLs arrives with the HTTP file loader, which will
// take over this entry.
bool KsReadTextFile(const KsChar* path, KsString& text) {
  if (path == nullptr || *path == 0) return false;
  KsFileHandle file(ks::sys::CreateFile(path, ks::sys::GENERIC_READ,
                                        ks::sys::FILE_SHARE_READ | ks::sys::FILE_SHARE_WRITE, nullptr,
                                        ks::sys::OPEN_EXISTING, ks::sys::FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  ks::sys::LARGE_INTEGER size{};
  if (!ks::sys::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return false;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t filled = 0;
  while (filled < bytes.size()) {
    ks::sys::DWORD read = 0;
    if (!ks::sys::ReadFile(file.Get(), bytes.data() + filled, static_cast<ks::sys::DWORD>(bytes.size() - filled), &read,
                           nullptr)) {
      return false;
    }
    if (read == 0) break;  // the file shrank meanwhile: take what is there
    filled += read;
  }
  text.DecodeText(bytes.data(), static_cast<int>(filled), kKsEncodingDetect);
  return true;
}
