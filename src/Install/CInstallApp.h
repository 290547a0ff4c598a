#pragma once
// CInstallApp: the installer's application object. Its start-up takes the
// single-instance lock, loads the tools module and the product information,
// builds the install session, applies skin and language, runs the pre-flight
// checks and then opens the wizard; it always answers false, so shut-down
// follows at once and the process ends with exit code 0 whatever happened.

#include "Install/KsGraphicalApp.h"
#include "foundation/KsHandle.h"

class CInstallApp : public KsGraphicalApp {
 public:
  static constexpr const KsChar* kMutexName = u"Global\\Kestrune Installer";

  // What the process does before the entry point: the error mode, the
  // "RC Command Code" message, the install session's defaults.
  static void PrepareProcess();
  // The registered "RC Command Code" window message (0 before PrepareProcess).
  static ks::sys::UINT GetCommandCodeMessage() noexcept;

  bool StartUp() override;
  // True when installation may go on: rights, running copies, service,
  // browser, processor and operating system, in that order.
  virtual bool RunPreflightChecks();

  // The error CreateMutex reported for the single-instance lock.
  ks::sys::DWORD GetLockError() const noexcept { return m_lockError; }

 protected:
  // Step 13: the wizard. It is not built yet; start-up logs where it opens.
  virtual void RunWizard();
  // The folder the installer was started from (trailing backslash).
  virtual KsString GetSetupFolder();

 private:
  bool ShowAnotherInstallerMessage();
  static KsString ProductName();

  KsHandle m_lock;
  ks::sys::DWORD m_lockError = 0;
};
