#pragma once
// The window service: dispatches the calling thread's pending messages. A
// WM_QUIT taken from the queue is posted again, so the modal loop that owns
// it still ends.

#include "foundation/KsTools.h"

class KsMessagePump final : public IKsWindowService {
 public:
  static void Pump();
  void PumpMessages() override { Pump(); }
};
