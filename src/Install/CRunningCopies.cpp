#include "Install/CRunningCopies.h"

#include "Install/CInstallMessages.h"
#include "Install/CInstallSession.h"
#include "foundation/KsProcess.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsStringArray.h"
#include "foundation/KsTools.h"
#include "foundation/KsTraceScope.h"
#include "platform/SysTime.h"
#include "platform/SysWindow.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"CloseRunningCopies";
constexpr double kServerCloseSeconds = 5.0;
// A service program that does not answer must not hold up the install.
constexpr int kServiceTimeLimitMs = 30000;

// Milliseconds of the high-resolution timer.
double HighResolutionMilliseconds() {
  sys::LARGE_INTEGER frequency{};
  sys::LARGE_INTEGER counter{};
  if (!sys::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;
  sys::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

KsString Fill(const KsString& text, const KsString& name) {
  KsString filled = text;
  filled.Replace(u"%s", name);
  return filled;
}

// The server product closes on a window message, then is watched without
// pausing (no window of the installer needs the time) for up to five seconds.
void CloseServer(IKsProductInfo* product) {
  // Without a window the message would go to this thread's own queue.
  if (sys::HWND window = product->GetProductWindow()) sys::PostMessage(window, sys::WM_CLOSE, 1, 0);
  const double start = HighResolutionMilliseconds();
  while (product->IsProductRunning()) {
    if ((HighResolutionMilliseconds() - start) / 1000.0 >= kServerCloseSeconds) {
      KsLog(kKsLogWarning, kLogTag, u"The server did not close within five seconds");
      break;
    }
  }
}

}  // namespace

bool CloseRunningCopies() {
  KsTraceScope scope(kLogTag);
  IKsProductInfo* product = KsToolsProductInfo();
  if (product == nullptr || !product->IsProductRunning()) return true;
  const KsString fullName = product->GetDisplayName(1);
  const KsString shortName = product->GetDisplayName(0);
  KsLogFormat(kKsLogInfo, kLogTag, u"%s is running", fullName);

  bool close = CInstallSession::Get().Silent;
  if (!close) {
    const KsString title = fullName + KsTranslate(u" Open");
    const KsString text = KsTranslate(u"Install Wizard has detected a running copy of %s.\r\n\r\n") +
                          KsTranslate(u"Do you want Install Wizard to close %s and continue setup?");
    close = AskYesNo(title, Fill(text, fullName)) == sys::IDYES;
  }
  if (!close) {
    KsLog(kKsLogInfo, kLogTag, u"The user chose not to close the running copy");
    return false;
  }
  if (shortName.Contains(u"Torvik")) {
    CloseServer(product);
  } else {
    product->CloseProduct();
  }
  if (!product->IsProductRunning()) return true;

  const KsString text = KsTranslate(u"Install Wizard could not close the running copy of %s.\r\n") +
                        KsTranslate(u"Please manually close %s and then press 'OK'.\r\n\r\n") +
                        KsTranslate(u"If you can not close %s restart your computer and run Install Wizard again.");
  ShowInformation(KsTranslate(u"Please Close ") + shortName, Fill(text, shortName));
  if (!product->IsProductRunning()) return true;

  const KsString error = KsTranslate(u"%s is still running.  Install Wizard can not continue.\r\n\r\n") +
                         KsTranslate(u"Please restart your computer and run Install Wizard again.");
  ShowInformation(KsTranslate(u"Install Wizard Error"), Fill(error, shortName));
  return false;
}

void StopProductService() {
  KsTraceScope scope(u"StopProductService");
  const KsString folder = KsProductPaths::Get().GetProgramFolder();
  if (folder.IsEmpty()) return;
  const KsString service = folder + u"KsService.exe";
  KsLogFormat(kKsLogInfo, u"StopProductService", u"Running %s /Stop", service);
  KsStringArray parameters;
  parameters.Add(KsString(u"/Stop"));
  RunProgram(service, parameters, false, true, true, kServiceTimeLimitMs);
}
