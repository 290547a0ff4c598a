#pragma once
// The message service: modal messages, the wait window and the folder chooser.
// Messages are the toolkit's message popup, without an owner window (the
// program's windows belong to the program's own copy of the toolkit). Every
// message is logged with its title, text and answer.

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
