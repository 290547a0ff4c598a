#pragma once
// One open registry key serving both as a settings store (owned by the module,
// cached by name) and as a registry key object (owned by the caller until
// Release). Numbers that fit 32 bits are REG_DWORD (read back signed), larger
// ones REG_QWORD; text is REG_SZ. A folder-path value (kind kFolderPath) is
// REG_EXPAND_SZ with the user's profile folders written as %APPDATA%,
// %LOCALAPPDATA% or %USERPROFILE%, so it follows the user; reads expand it, so
// every reader sees plain text. Failures answer false or the default and are
// logged with the key, the value and the Windows error.

#include "foundation/KsHandle.h"
#include "foundation/KsTools.h"

class KsToolsRegistryKey final : public IKsSettingsStore, public IKsRegistryKey {
 public:
  // Opens (creating when missing) path below root; null when that fails.
  static KsToolsRegistryKey* Open(ks::sys::HKEY root, const KsChar* path, bool ownedByCaller);
  // Deletes a key and everything below it; true when it is gone.
  static bool DeleteTree(ks::sys::HKEY parent, const KsChar* name);

  // Both interfaces.
  KsString ReadText(const KsChar* name, const KsChar* defaultValue) override;
  bool WriteNumber(const KsChar* name, std::int64_t value) override;
  bool DeleteValue(const KsChar* name) override;
  bool DeleteSubkey(const KsChar* name) override;
  bool RemoveAllValues() override;
  bool RemoveAllSubkeys() override;

  // Settings store.
  std::int64_t ReadNumber(const KsChar* name, std::int64_t defaultValue) override;
  bool WriteText(const KsChar* name, const KsChar* value) override;
  bool ReadBinary(const KsChar* name, void* data, int size) override;
  bool WriteBinary(const KsChar* name, const void* data, int size) override;
  KsString GetStorePath() override;

  // Registry key object.
  bool WriteText(const KsChar* name, const KsChar* value, int kind) override;
  bool EnumerateSubkeys(KsStringArray* names) override;
  bool EnumerateValues(KsStringArray* names) override;
  bool CopyValue(IKsRegistryKey* from, const KsChar* name) override;
  void Release() override;

  ks::sys::HKEY Handle() const noexcept { return m_key.Get(); }

 private:
  KsToolsRegistryKey(KsRegKey key, const KsChar* path, bool ownedByCaller);
  ~KsToolsRegistryKey() = default;
  friend class KsToolsModule;  // deletes the stores it owns

  bool SetValue(const KsChar* name, ks::sys::DWORD type, const void* data, ks::sys::DWORD size);
  bool Enumerate(bool subkeys, KsStringArray* names);
  void LogFailure(const KsChar* what, const KsChar* name, long error);

  KsRegKey m_key;
  KsString m_path;
  bool m_ownedByCaller;
};
