#pragma once
// The message service: modal messages, the wait window and the folder chooser.
// Every message is logged with its title, text and answer, so an unattended
// run can be followed in the log.

#include "foundation/KsTools.h"

class KsToolsMessageService final : public IKsMessageService {
 public:
  int ShowMessage(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int buttonCount,
                  int defaultButton) override;
  void ShowWaitMessage(const KsChar* text, int delayMs, bool cancellable, void (*cancelled)(void* context),
                       void* context) override;
  void HideWaitMessage() override;
  KsString ChooseFolder(const KsChar* title, const KsChar* startFolder) override;
};
