#pragma once
// CVersionInfo: one file's version resource, read through the system's
// "Version.dll" (loaded by full path from the system folder). After a failed
// Load the buffer is empty, formatting fails and the packed version is 0
// ("no version"). Used by one thread at a time.

#include <cstdint>
#include <vector>

#include "foundation/KsHandle.h"
#include "foundation/KsPackedVersion.h"
#include "foundation/KsString.h"
#include "platform/SysExport.h"
#include "platform/SysTypes.h"

class CVersionInfo {
 public:
  // Loads the version library only.
  CVersionInfo();
  // Loads the library and then the file's version resource.
  explicit CVersionInfo(const KsString& path);
  CVersionInfo(const CVersionInfo&) = delete;
  CVersionInfo& operator=(const CVersionInfo&) = delete;
  virtual ~CVersionInfo();

  // S_OK, or E_FAIL when the library, an entry, the file or its version
  // resource is missing. Releases any earlier resource first.
  ks::sys::HRESULT Load(const KsString& path);
  // "major.minor.build.revision", or without the revision; E_FAIL when
  // nothing is loaded.
  ks::sys::HRESULT FormatVersion(KsString& version, bool fourParts) const;
  // The four-part file version packed; 0 with E_FAIL when there is none.
  ks::sys::HRESULT GetPackedVersion(KsPackedVersion& version) const;

 private:
  using SizeFunction = ks::sys::DWORD(KS_SYSAPI*)(const ks::sys::WCHAR*, ks::sys::DWORD*);
  using ReadFunction = ks::sys::BOOL(KS_SYSAPI*)(const ks::sys::WCHAR*, ks::sys::DWORD, ks::sys::DWORD, void*);
  using QueryFunction = ks::sys::BOOL(KS_SYSAPI*)(const void*, const ks::sys::WCHAR*, void**, ks::sys::UINT*);

  void LoadVersionLibrary();

  KsString m_path;
  std::vector<std::uint8_t> m_data;
  ks::sys::DWORD m_size = 0;
  KsModule m_library;
  SizeFunction m_getSize = nullptr;
  ReadFunction m_getInfo = nullptr;
  QueryFunction m_query = nullptr;
};
