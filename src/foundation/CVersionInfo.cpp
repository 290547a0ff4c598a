#include "foundation/CVersionInfo.h"

#include "foundation/KsTools.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysSystem.h"
#include "platform/SysVersion.h"

namespace {
constexpr KsChar kTag[] = u"CVersionInfo";
}  // namespace

CVersionInfo::CVersionInfo() { LoadVersionLibrary(); }

CVersionInfo::CVersionInfo(const KsString& path) {
  LoadVersionLibrary();
  Load(path);
}

CVersionInfo::~CVersionInfo() = default;

void CVersionInfo::LoadVersionLibrary() {
  // By full path, so no other folder's Version.dll can stand in.
  ks::sys::WCHAR system[ks::sys::MAX_PATH] = {};
  const ks::sys::UINT length = ks::sys::GetSystemDirectory(system, ks::sys::MAX_PATH);
  if (length == 0 || length >= ks::sys::MAX_PATH) return;
  KsString path(system);
  path += u"\\Version.dll";
  m_library.Reset(ks::sys::LoadLibraryEx(path, nullptr, 0));
  if (!m_library) {
    KsLogFormat(kKsLogError, kTag, u"LoadLibraryEx failed: %s (error %d)", path, ks::sys::GetLastError());
    return;
  }
  m_getSize = reinterpret_cast<SizeFunction>(ks::sys::GetProcAddress(m_library.Get(), "GetFileVersionInfoSizeW"));
  m_getInfo = reinterpret_cast<ReadFunction>(ks::sys::GetProcAddress(m_library.Get(), "GetFileVersionInfoW"));
  m_query = reinterpret_cast<QueryFunction>(ks::sys::GetProcAddress(m_library.Get(), "VerQueryValueW"));
}

ks::sys::HRESULT CVersionInfo::Load(const KsString& path) {
  m_data.clear();
  m_size = 0;
  m_path = path;
  if (!m_getSize || !m_getInfo || !m_query) return ks::sys::E_FAIL;
  if (path.IsEmpty() || ks::sys::GetFileAttributes(path) == ks::sys::INVALID_FILE_ATTRIBUTES) return ks::sys::E_FAIL;
  ks::sys::DWORD handle = 0;
  const ks::sys::DWORD size = m_getSize(path, &handle);
  if (size == 0) {
    KsLogFormat(kKsLogInfo, kTag, u"No version resource: %s (error %d)", path, ks::sys::GetLastError());
    return ks::sys::E_FAIL;
  }
  std::vector<std::uint8_t> data(size);
  if (!m_getInfo(path, handle, size, data.data())) {
    KsLogFormat(kKsLogError, kTag, u"GetFileVersionInfoW failed: %s (error %d)", path, ks::sys::GetLastError());
    return ks::sys::E_FAIL;
  }
  m_data = std::move(data);
  m_size = size;
  return ks::sys::S_OK;
}

ks::sys::HRESULT CVersionInfo::FormatVersion(KsString& version, bool fourParts) const {
  // The loaded resource is checked too: querying an empty block would read nothing valid.
  if (m_path.IsEmpty() || m_data.empty() || !m_query) return ks::sys::E_FAIL;
  void* block = nullptr;
  ks::sys::UINT length = 0;
  if (!m_query(m_data.data(), u"\\", &block, &length) || block == nullptr ||
      length < sizeof(ks::sys::VS_FIXEDFILEINFO))
    return ks::sys::E_FAIL;
  const auto* fixed = static_cast<const ks::sys::VS_FIXEDFILEINFO*>(block);
  const unsigned major = fixed->dwFileVersionMS >> 16, minor = fixed->dwFileVersionMS & 0xFFFF;
  const unsigned build = fixed->dwFileVersionLS >> 16, revision = fixed->dwFileVersionLS & 0xFFFF;
  if (fourParts)
    version = KsFormat(u"%d.%d.%d.%d", major, minor, build, revision);
  else
    version = KsFormat(u"%d.%d.%d", major, minor, build);
  return ks::sys::S_OK;
}

ks::sys::HRESULT CVersionInfo::GetPackedVersion(KsPackedVersion& version) const {
  KsString text;
  const ks::sys::HRESULT result = FormatVersion(text, true);
  version = result == ks::sys::S_OK ? ParseVersion(text) : 0;
  return result;
}
