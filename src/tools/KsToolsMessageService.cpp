#include "tools/KsToolsMessageService.h"

#include "toolkit/KsFolderChooserPopupWnd.h"
#include "toolkit/KsMessagePopupWnd.h"

namespace {
constexpr KsChar kTag[] = u"Message";
}  // namespace

int KsToolsMessageService::ShowMessage(const KsChar* title, const KsChar* text, const KsChar* const* buttons,
                                       int buttonCount, int defaultButton) {
  if (buttons == nullptr) buttonCount = 0;
  const int answer = KsMessagePopupWnd::Run(title, text, buttons, buttonCount, defaultButton);
  KsLogFormat(kKsLogInfo, kTag, u"%s: %s -> %s", title != nullptr ? title : u"", text != nullptr ? text : u"",
              answer >= 0 && answer < buttonCount && buttons[answer] != nullptr ? buttons[answer] : u"(closed)");
  return answer;
}

// The toolkit has no wait window yet: the wait is only logged.
void KsToolsMessageService::ShowWaitMessage(const KsChar* text, int delayMs, bool, void (*)(void*), void*) {
  KsLogFormat(kKsLogInfo, kTag, u"Wait: %s (after %d ms)", text != nullptr ? text : u"", delayMs);
}

void KsToolsMessageService::HideWaitMessage() {}

KsString KsToolsMessageService::ChooseFolder(const KsChar* title, const KsChar* startFolder) {
  KsString folder = KsFolderChooserPopupWnd::ChooseFolder(title, startFolder);
  KsLogFormat(kKsLogInfo, kTag, u"Choose folder: %s (from %s) -> %s", title != nullptr ? title : u"",
              startFolder != nullptr ? startFolder : u"", folder.IsEmpty() ? u"(cancelled)" : folder.Chars());
  return folder;
}
