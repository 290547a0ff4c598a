#pragma once
// CNeedInternetExplorerDlg: the browser check and the warning shown when it
// fails. Constructing gathers the facts (can the embedded browser control be
// made; the browser version in the registry, "1.0.0.0" when unknown);
// IsBrowserSufficient compares them with the product's minimum version. The
// dialog shows a headline and an advice text (the picture waits for the
// toolkit's image control) and offers the download (OK, result 1) or to quit (Cancel, result 2);
// setup ends either way.

#include <memory>

#include "foundation/KsPackedVersion.h"
#include "foundation/KsString.h"
#include "toolkit/KsFixedSizeOkCancelPopupWnd.h"
#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsTypedWndPtr.h"

class CNeedInternetExplorerDlg : public KsFixedSizeOkCancelPopupWnd {
 public:
  // The vendor's download page opened by the "Download" button.
  static constexpr const KsChar* kDownloadPage = u"https://www.microsoft.com/download/internet-explorer";

  CNeedInternetExplorerDlg();

  bool IsBrowserSufficient() const;
  KsPackedVersion GetInstalledVersion() const { return m_installedVersion; }
  bool IsBrowserControlAvailable() const { return m_browserControlAvailable; }

  // The dialog's translated texts, in the order it shows them.
  KsString GetHeadline() const;
  KsString GetAdvice() const;

  KsString GetTitle() override;
  bool CreateContent() override;
  void FillContent(KsFixedSizeLayout* layout) override;
  int GetContentWidth() override { return 400; }
  KsFormattedTextCtrl* GetHeadlineCtrl() { return m_headline.Get(); }
  KsFormattedTextCtrl* GetAdviceCtrl() { return m_advice.Get(); }
  bool HasOk() override { return !m_labelling; }
  bool HasCancel() override { return !m_labelling; }

 private:
  // Adds a text control of the content width holding text, as tall as it needs.
  KsFormattedTextCtrl* AddText(KsFixedSizeLayout* layout, std::unique_ptr<KsFormattedTextCtrl>& owner,
                               const KsString& text);

  std::unique_ptr<KsFormattedTextCtrl> m_headlineCtrl;
  std::unique_ptr<KsFormattedTextCtrl> m_adviceCtrl;
  KsTypedWndPtr<KsFormattedTextCtrl> m_headline;
  KsTypedWndPtr<KsFormattedTextCtrl> m_advice;
  KsPackedVersion m_installedVersion = 0;
  bool m_browserControlAvailable = false;
  // Set while the base class adds its buttons, so that this dialog's own
  // labels take their place.
  bool m_labelling = false;
};

// The pre-flight browser check: true when the browser is new enough; else
// shows the dialog, opens the download page when asked to, and answers false.
bool CheckBrowserVersion();
