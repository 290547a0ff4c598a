#include "Install/CRightsProbe.h"

#include "foundation/KsHandle.h"
#include "foundation/KsString.h"
#include "foundation/KsTools.h"
#include "platform/SysRegistry.h"
#include "platform/SysTime.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"CRightsProbe";
// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr sys::REGSAM kAccess = 0x2001F;
constexpr const KsChar* kRightsOk = u"Rights OK";

sys::LSTATUS CreateKey(const KsChar* path, KsRegKey& key) {
  return sys::RegCreateKeyEx(sys::HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, kAccess, nullptr, key.Receive(), nullptr);
}

// Writes the probe value, reads it back and deletes it; true when the deletion worked.
bool ProbeValue(sys::HKEY key) {
  const KsString name = KsFormat(u"Rights Check (%d)", static_cast<std::int64_t>(sys::GetTickCount()));
  const auto bytes = static_cast<sys::DWORD>((KsTextLength(kRightsOk) + 1) * sizeof(KsChar));
  sys::LSTATUS status =
      sys::RegSetValueEx(key, name, 0, sys::REG_SZ, reinterpret_cast<const sys::BYTE*>(kRightsOk), bytes);
  if (status != 0) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Writing the probe value failed (error %d)", static_cast<std::int64_t>(status));
    return false;
  }
  KsChar read[256] = {};
  sys::DWORD size = sizeof(read) - sizeof(KsChar);
  sys::DWORD type = 0;
  status = sys::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<sys::BYTE*>(read), &size);
  if (status != 0 || !KsString(read).Equals(kRightsOk)) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Reading the probe value back failed (error %d)",
                static_cast<std::int64_t>(status));
    // Remove what was written even though the probe has failed.
    sys::RegDeleteValue(key, name);
    return false;
  }
  status = sys::RegDeleteValue(key, name);
  if (status != 0) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Deleting the probe value failed (error %d)", static_cast<std::int64_t>(status));
  }
  return status == 0;
}

}  // namespace

bool HasInstallRights() {
  KsRegKey product;
  sys::LSTATUS status = CreateKey(u"Software\\Quorvane", product);
  if (status != 0) {
    KsLogFormat(kKsLogWarning, kLogTag, u"HKLM\\Software\\Quorvane cannot be opened (error %d)",
                static_cast<std::int64_t>(status));
    return false;
  }
  bool valueDone = false;
  {
    KsRegKey scratch;
    if (CreateKey(u"Software\\Quorvane\\Rights Check", scratch) == 0) valueDone = ProbeValue(scratch.Get());
  }
  status = sys::RegDeleteKey(product.Get(), u"Rights Check");
  if (status != 0) {
    KsLogFormat(kKsLogWarning, kLogTag, u"Deleting the probe key failed (error %d)", static_cast<std::int64_t>(status));
  }
  return valueDone && status == 0;
}
