#include "config/KsReadTextFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <system_error>

// Reads through the C++ library for now; once the platform seam is on main this
// goes through its file functions, so simulated-machine paths resolve too.
bool KsReadTextFile(const KsChar* path, KsString& text) {
  if (path == nullptr || *path == 0) return false;
  const std::filesystem::path file{std::u16string(path)};
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > static_cast<std::uintmax_t>(std::numeric_limits<int>::max())) return false;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
  text.DecodeText(bytes.data(), static_cast<int>(bytes.size()), kKsEncodingDetect);
  return true;
}
