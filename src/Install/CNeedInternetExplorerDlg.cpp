#include "Install/CNeedInternetExplorerDlg.h"

#include "foundation/KsHandle.h"
#include "foundation/KsProcess.h"
#include "foundation/KsStringArray.h"
#include "foundation/KsTools.h"
#include "foundation/KsTraceScope.h"
#include "platform/SysRegistry.h"
#include "platform/SysWebBrowser.h"
#include "platform/SysGdi.h"
#include "toolkit/KsCanvas.h"
#include "toolkit/KsPopupBottomButtonsWnd.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"CNeedInternetExplorerDlg";

KsString ReadBrowserVersion() {
  KsRegKey key;
  if (sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Internet Explorer", 0, sys::KEY_READ,
                        key.Receive()) != 0) {
    return KsString(u"1.0.0.0");
  }
  KsChar buffer[128] = {};
  sys::DWORD size = sizeof(buffer) - sizeof(KsChar);
  sys::DWORD type = 0;
  if (sys::RegQueryValueEx(key.Get(), u"Version", nullptr, &type, reinterpret_cast<sys::BYTE*>(buffer), &size) != 0 ||
      (type != sys::REG_SZ && type != sys::REG_EXPAND_SZ)) {
    return KsString(u"1.0.0.0");
  }
  return KsString(buffer);
}

}  // namespace

CNeedInternetExplorerDlg::CNeedInternetExplorerDlg() {
  const sys::HRESULT created = sys::CreateWebBrowserControl();
  m_browserControlAvailable = created >= 0;
  const KsString version = ReadBrowserVersion();
  m_installedVersion = ParseVersion(version);
  KsLogFormat(kKsLogInfo, kLogTag, u"Browser control %s, version %s",
              KsString(m_browserControlAvailable ? u"available" : u"not available"), version);
}

bool CNeedInternetExplorerDlg::IsBrowserSufficient() const {
  if (!m_browserControlAvailable) return false;
  KsString minimum;
  if (IKsProductInfo* product = KsToolsProductInfo()) minimum = product->GetText(u"/*/SpecialFeatures/MinIEVersion", u"");
  if (minimum.IsEmpty()) minimum = u"5.0.0.0";
  return m_installedVersion >= ParseVersion(minimum);
}

KsString CNeedInternetExplorerDlg::GetHeadline() const {
  return KsTranslate(
      u"Install Wizard did not detect a new enough version of Microsoft Internet Explorer.  Setup cannot continue.");
}

KsString CNeedInternetExplorerDlg::GetAdvice() const {
  return KsTranslate(
      u"Click on 'Download' to download and install the latest version of Internet Explorer.  Please re-run setup "
      u"after installing Internet Explorer.");
}

KsString CNeedInternetExplorerDlg::GetTitle() { return KsTranslate(u"Internet Explorer Warning"); }

bool CNeedInternetExplorerDlg::CreateContent() {
  m_labelling = true;
  const bool created = KsOkCancelPopupWnd::CreateContent();
  m_labelling = false;
  KsPopupBottomButtonsWnd* row = GetBottomButtons();
  if (!created || row == nullptr) return false;
  row->AddButton(kOkId, KsTranslate(u"Download"));
  row->AddButton(kCancelId, KsTranslate(u"Quit Setup"));
  LayOutBottomButtons();
  return true;
}

KsFormattedTextCtrl* CNeedInternetExplorerDlg::AddText(KsFixedSizeLayout* layout,
                                                      std::unique_ptr<KsFormattedTextCtrl>& owner,
                                                      const KsString& text) {
  owner = std::make_unique<KsFormattedTextCtrl>();
  const int width = GetContentWidth();
  if (!owner->Create(this, ks::sys::RECT{0, 0, width, 0})) return nullptr;
  owner->SetText(text);
  int height = 0;
  ks::sys::HDC dc = ks::sys::GetDC(GetHandle());
  {
    KsCanvas canvas(dc);
    owner->LayOutRuns(canvas, width, &height);
  }
  ks::sys::ReleaseDC(GetHandle(), dc);
  layout->AddRow(owner.get(), height);
  return owner.get();
}

void CNeedInternetExplorerDlg::FillContent(KsFixedSizeLayout* layout) {
  KsLogFormat(kKsLogInfo, kLogTag, u"%s %s", GetHeadline(), GetAdvice());
  m_headline = AddText(layout, m_headlineCtrl, u"<b>" + GetHeadline() + u"</b>");
  m_advice = AddText(layout, m_adviceCtrl, GetAdvice());
}

bool CheckBrowserVersion() {
  KsTraceScope scope(u"CheckBrowserVersion");
  CNeedInternetExplorerDlg dialog;
  if (dialog.IsBrowserSufficient()) return true;
  const int result = dialog.RunModal(nullptr);
  KsLogFormat(kKsLogInfo, kLogTag, u"Dialog ended with %d", static_cast<std::int64_t>(result));
  if (result == KsOkCancelPopupWnd::kOkId) {
    KsStringArray none;
    RunProgram(KsString(CNeedInternetExplorerDlg::kDownloadPage), none, true, false, false, 0);
  }
  return false;
}
