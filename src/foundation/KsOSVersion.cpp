#include "foundation/KsOSVersion.h"

#include "platform/SysSystem.h"

namespace {

struct NamedVersion {
  int code;
  const KsChar* name;
};

// NT family by major.minor; 0 where the table has no entry.
NamedVersion NtVersion(std::uint32_t major, std::uint32_t minor) {
  if (major <= 4) return {1004, u"Microsoft Windows NT"};
  switch (major) {
    case 5:
      if (minor == 0) return {1005, u"Microsoft Windows 2000"};
      if (minor == 1) return {1006, u"Microsoft Windows XP"};
      if (minor == 2) return {1007, u"Microsoft Windows Server 2003"};
      return {0, nullptr};
    case 6:
      if (minor == 0) return {1008, u"Microsoft Windows Vista"};
      if (minor == 1) return {1009, u"Microsoft Windows 7"};
      if (minor == 2) return {1010, u"Microsoft Windows 8"};
      if (minor == 3) return {1011, u"Microsoft Windows 8.1"};
      return {1013, nullptr};
    case 10:
      if (minor == 0) return {1012, u"Microsoft Windows 10"};
      return {1013, nullptr};
    default:
      return {1013, nullptr};  // 7.x to 9.x, 11 and later
  }
}

}  // namespace

KsOSVersion KsOSVersion::Identify(bool queried, std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                                  const KsChar* servicePack) {
  KsOSVersion identity;
  if (queried) {
    identity.m_major = major;
    identity.m_minor = minor;
    NamedVersion found{0, nullptr};
    if (platformId == 1 && major == 4) {
      if (minor == 0) found = {1000, u"Microsoft Windows 95"};
      if (minor == 10) {
        const bool secondEdition = servicePack != nullptr && servicePack[0] != 0 && servicePack[1] == u'A';
        found = {secondEdition ? 1002 : 1001, u"Microsoft Windows 98"};
      }
      if (minor == 90) found = {1003, u"Microsoft Windows ME"};
    } else if (platformId == 2) {
      found = NtVersion(major, minor);
    }
    identity.m_code = found.code;
    if (found.name != nullptr) {
      identity.m_name = found.name;
    } else if (found.code == 1013) {
      identity.m_name.Format(u"Microsoft Windows New (%d.%d)", major, minor);
    }
  }
  if (identity.m_code == 0 && identity.m_name.IsEmpty()) identity.m_name = u"Unknown OS";
  return identity;
}

const KsOSVersion& KsOSVersion::Current() {
  // Made once; the initialisation of a local static is serialised.
  static const KsOSVersion identity = [] {
    ks::sys::OSVERSIONINFOEX info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const bool queried = ks::sys::GetVersionEx(&info) != ks::sys::FALSE;
    return Identify(queried, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.szCSDVersion);
  }();
  return identity;
}

int GetOSCode() { return KsOSVersion::Current().Code(); }
