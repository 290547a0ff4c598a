#pragma once
// The running Windows version: a numeric code ordered by release (1005 is
// Windows 2000, 1012 Windows 10; 0 when not recognised) and a display name.
// One identity per process, made on first request and kept.

#include <cstdint>

#include "foundation/KsString.h"

class KsOSVersion {
 public:
  static constexpr int kWindows2000 = 1005;

  // The table lookup alone: what a version query answered (queried false when
  // it failed) becomes code and name.
  static KsOSVersion Identify(bool queried, std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                              const KsChar* servicePack);
  // The identity of the running system, asked of the platform once.
  static const KsOSVersion& Current();

  int Code() const { return m_code; }
  const KsString& Name() const { return m_name; }
  std::uint32_t Major() const { return m_major; }
  std::uint32_t Minor() const { return m_minor; }

 private:
  int m_code = 0;
  KsString m_name;
  std::uint32_t m_major = 0;
  std::uint32_t m_minor = 0;
};

// The code of the running system's identity.
int GetOSCode();
