#include "Install/CInstallApp.h"

#include "Install/CInstallMessages.h"
#include "Install/CInstallSession.h"
#include "Install/CNeedInternetExplorerDlg.h"
#include "Install/CRightsProbe.h"
#include "Install/CRunningCopies.h"
#include "Install/CSkinSelection.h"
#include "Install/KsCpuFeatures.h"
#include "foundation/KsOSVersion.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsStringGlobals.h"
#include "foundation/KsTools.h"
#include "foundation/KsTraceScope.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"
#include "platform/SysSystem.h"
#include "platform/SysWindow.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"CInstallApp";
// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr sys::REGSAM kVirtualStoreAccess = 0x2001F;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;

sys::UINT g_commandCodeMessage = 0;

// Start-up runs before the log sink exists; its first lines wait here and
// are written once the tools module is loaded.
KsStringArray& PendingLines() {
  static KsStringArray lines;
  return lines;
}

void LogStep(const KsString& text) {
  if (KsToolsLog() == nullptr) {
    PendingLines().Add(text);
    return;
  }
  KsStringArray& pending = PendingLines();
  for (int i = 0; i < pending.GetSize(); ++i) KsLog(kKsLogInfo, kLogTag, pending[i]);
  pending.RemoveAll();
  KsLog(kKsLogInfo, kLogTag, text);
}

KsString Fill(const KsString& text, const KsString& name) {
  KsString filled = text;
  filled.Replace(u"%s", name);
  return filled;
}

// The running system's code, asked afresh: the process-wide identity is
// kept from its first request, which a test's next machine must not inherit.
int CurrentOSCode() {
  sys::OSVERSIONINFOEX info{};
  info.dwOSVersionInfoSize = sizeof(info);
  const bool queried = sys::GetVersionEx(&info) != sys::FALSE;
  return KsOSVersion::Identify(queried, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                               info.szCSDVersion)
      .Code();
}

bool KeyDown(int virtualKey) { return sys::GetKeyState(virtualKey) < 0; }

// Opens a VirtualStore key of the current user and deletes the product's
// stale virtualised "Quorvane" key below it; the results do not matter.
KsRegKey RemoveVirtualisedKey(const KsChar* path) {
  KsRegKey key;
  if (sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, path, 0, kVirtualStoreAccess, key.Receive()) == 0) {
    sys::RegDeleteKey(key.Get(), u"Quorvane");
  }
  return key;
}

}  // namespace

void CInstallApp::PrepareProcess() {
  sys::SetErrorMode(sys::SEM_FAILCRITICALERRORS | sys::SEM_NOOPENFILEERRORBOX);
  g_commandCodeMessage = sys::RegisterWindowMessage(u"RC Command Code");
  CInstallSession::Get();
}

sys::UINT CInstallApp::GetCommandCodeMessage() noexcept { return g_commandCodeMessage; }

KsString CInstallApp::GetSetupFolder() { return KsProductPaths::GetSetupFolder(); }

KsString CInstallApp::ProductName() {
  IKsProductInfo* product = KsToolsProductInfo();
  return product != nullptr ? product->GetDisplayName(1) : KsString();
}

bool CInstallApp::StartUp() {
  LogStep(u"Step 1: COM and the user's locale");
  StartCom();
  KsStringGlobals::Instance().SwitchLocale("");

  LogStep(u"Step 2: single-instance lock");
  m_lock.Reset(sys::CreateMutex(nullptr, sys::FALSE, kMutexName));
  m_lockError = sys::GetLastError();
  if (!m_lock) m_lockError = m_lockError != 0 ? m_lockError : sys::ERROR_ACCESS_DENIED;

  LogStep(u"Step 3: stale virtualised registry data");
  KsRegKey virtualStore = RemoveVirtualisedKey(u"Software\\Classes\\VirtualStore\\Machine\\Software");
  KsRegKey virtualStore32 = RemoveVirtualisedKey(u"Software\\Classes\\VirtualStore\\Machine\\Software\\Wow6432Node");

  LogStep(u"Step 4: product paths");
  const KsString setupFolder = GetSetupFolder();
  const KsString programFolder = setupFolder + u"Sonavel\\";
  KsProductPaths& paths = KsProductPaths::Get();
  paths.MarkStarted();
  paths.SetWorkingProgramFolder(programFolder);
  paths.SetModuleFolder(programFolder);

  LogStep(u"Step 5: tools module and product information");
  if (!LoadProductInfo()) return false;
  IKsTools* root = KsToolsRoot();
  IKsProductInfo* product = KsToolsProductInfo();
  LogStep(KsFormat(u"Setup folder %s, product %s", setupFolder, ProductName()));

  LogStep(u"Step 6: installed copy");
  paths.DiscoverInstallPath(product != nullptr ? product->GetDisplayName(1) : KsString(), false, false);
  KsToolsNotifyPathsChanged();
  LogStep(KsFormat(u"Installed copy: \"%s\"", paths.GetProgramFolder()));

  LogStep(u"Step 7: install session and command line");
  CInstallSession& session = CInstallSession::Get();
  session.BuildSession(setupFolder);
  session.ReadCommandLine(m_arguments.Join(u" "));

  LogStep(u"Step 8: skin and title icon");
  if (IKsUIService* ui = root != nullptr ? root->GetUIService() : nullptr) {
    ui->SetTitleIcon(u"Titlebar Icon", 0);
    ui->SetSkinFolder(ChooseSkinFolder(setupFolder));
  }

  LogStep(u"Step 9: language");
  IKsLanguageService* language = root != nullptr ? root->GetLanguageService() : nullptr;
  if (product != nullptr && language != nullptr && product->GetNumber(u"/*/Installer/ShowLanguageSelection", 0) != 0) {
    language->ChooseLanguage();
  }

  LogStep(u"Step 10: another installer");
  if (m_lockError == sys::ERROR_ALREADY_EXISTS || m_lockError == sys::ERROR_ACCESS_DENIED) {
    ShowAnotherInstallerMessage();
    LogStep(u"Step 14: end");
    return false;
  }

  LogStep(u"Step 11: pre-flight checks");
  if (KeyDown(kVkControl) && KeyDown(kVkShift) && KeyDown('F')) {
    LogStep(u"Pre-flight checks skipped (Ctrl+Shift+F)");
  } else if (!RunPreflightChecks()) {
    LogStep(u"Step 14: end");
    return false;
  }

  LogStep(u"Step 12: launcher name");
  if (product != nullptr) {
    const KsString folder = setupFolder + u"System\\Always Overwrite\\";
    const KsString launcher = product->GetLauncherName();
    if (!launcher.IsEmpty() && !sys::MoveFile(folder + u"Pellanor Launcher.exe", folder + launcher)) {
      KsLogFormat(kKsLogInfo, kLogTag, u"Launcher not renamed to %s (error %d)", launcher,
                  static_cast<std::int64_t>(sys::GetLastError()));
    }
  }

  LogStep(u"Step 13: wizard");
  RunWizard();
  LogStep(u"Step 14: end");
  return false;
}

void CInstallApp::RunWizard() { KsLog(kKsLogInfo, kLogTag, u"The wizard would open here; it is not built yet"); }

bool CInstallApp::ShowAnotherInstallerMessage() {
  const KsString text = KsTranslate(u"Another instance of the Kestrune installer is already running on this system.\r\n\r\n") +
                        KsTranslate(u"Please finish any other Kestrune installations and try again.");
  ShowInformation(KsString(u"Kestrune Installer"), text);
  return false;
}

bool CInstallApp::RunPreflightChecks() {
  KsTraceScope scope(u"CInstallApp::RunPreflightChecks");
  if (!HasInstallRights()) {
    const KsString text = KsTranslate(u"Sorry, but you do not have sufficient rights to install the program.\r\n") +
                          KsTranslate(u"Please make sure you have administrative rights before you begin the installation.");
    ShowInformation(KsTranslate(u"Information"), text);
    return false;
  }
  if (!CloseRunningCopies()) return false;
  StopProductService();
  if (!CheckBrowserVersion()) return false;

  const KsString name = ProductName();
  const std::uint32_t cpu = GetCpuFeatureFlags();
  if ((cpu & kCpuMmx) == 0 || (cpu & kCpuSse2) == 0) {
    const KsString text = KsTranslate(u"The %s Install Wizard failed to detect an SSE2-capable CPU.\r\n\r\n") +
                          KsTranslate(u"%s requires SSE2 capabilities to run.  Setup will now abort.");
    ShowInformation(KsTranslate(u"SSE2 Not Available"), Fill(text, name));
    return false;
  }
  const int os = CurrentOSCode();
  if (os < 1005 || os > 1999) {
    const KsString text = KsTranslate(u"The %s Install Wizard can not run on this version of Microsoft Windows.\r\n\r\n") +
                          KsTranslate(u"%s requires Windows 2000 or later.  Setup will now abort.");
    ShowInformation(KsTranslate(u"Operating System Not Supported"), Fill(text, name));
    return false;
  }
  scope.SetResult(1);
  return true;
}
