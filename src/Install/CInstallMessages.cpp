#include "Install/CInstallMessages.h"

#include "foundation/KsTools.h"
#include "platform/SysWindow.h"

namespace {

constexpr const KsChar* kLogTag = u"Message";

IKsMessageService* MessageService() {
  IKsTools* root = KsToolsRoot();
  return root != nullptr ? root->GetMessageService() : nullptr;
}

// Answers the index of the chosen button, -1 when closed; defaultButton when
// there is no service to ask.
int Show(const KsString& title, const KsString& text, const KsString* buttons, int count, int defaultButton) {
  KsLogFormat(kKsLogInfo, kLogTag, u"%s: %s", title, text);
  IKsMessageService* service = MessageService();
  int answer = defaultButton;
  if (service != nullptr) {
    const KsChar* labels[4] = {};
    for (int i = 0; i < count && i < 4; ++i) labels[i] = buttons[i];
    answer = service->ShowMessage(title, text, labels, count, defaultButton);
  }
  KsLogFormat(kKsLogInfo, kLogTag, u"Answer: %s", answer >= 0 && answer < count ? buttons[answer] : KsString(u"(closed)"));
  return answer;
}

}  // namespace

int ShowInformation(const KsString& title, const KsString& text) {
  const KsString buttons[] = {KsTranslate(u"OK")};
  return Show(title, text, buttons, 1, 0) == 0 ? ks::sys::IDOK : ks::sys::IDCANCEL;
}

int AskYesNo(const KsString& title, const KsString& text) {
  const KsString buttons[] = {KsTranslate(u"Yes"), KsTranslate(u"No")};
  return Show(title, text, buttons, 2, 0) == 0 ? ks::sys::IDYES : ks::sys::IDNO;
}
