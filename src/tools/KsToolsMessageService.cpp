#include "tools/KsToolsMessageService.h"

namespace {
constexpr KsChar kTag[] = u"Message";
}  // namespace

// Until the toolkit has its message popup, a message answers its default
// button without showing anything (as an unattended run would).
int KsToolsMessageService::ShowMessage(const KsChar* title, const KsChar* text, const KsChar* const* buttons,
                                       int buttonCount, int defaultButton) {
  const int answer = buttonCount <= 0 ? -1 : (defaultButton >= 0 && defaultButton < buttonCount ? defaultButton : 0);
  KsLogFormat(kKsLogInfo, kTag, u"%s: %s -> %s", title != nullptr ? title : u"", text != nullptr ? text : u"",
              answer >= 0 && buttons != nullptr && buttons[answer] != nullptr ? buttons[answer] : u"(closed)");
  return answer;
}

void KsToolsMessageService::ShowWaitMessage(const KsChar* text, int delayMs, bool, void (*)(void*), void*) {
  KsLogFormat(kKsLogInfo, kTag, u"Wait: %s (after %d ms)", text != nullptr ? text : u"", delayMs);
}

void KsToolsMessageService::HideWaitMessage() {}

KsString KsToolsMessageService::ChooseFolder(const KsChar* title, const KsChar* startFolder) {
  KsLogFormat(kKsLogInfo, kTag, u"Choose folder: %s (from %s) -> cancelled", title != nullptr ? title : u"",
              startFolder != nullptr ? startFolder : u"");
  return KsString();
}
