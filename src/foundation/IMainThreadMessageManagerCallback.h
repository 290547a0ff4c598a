#pragma once
// IMainThreadMessageManagerCallback: how the main thread's message manager
// (owned by the widget toolkit) calls a registered object back on the main
// thread. The answer tells whether the object handled the message.

#include <cstdint>

class IMainThreadMessageManagerCallback {
 public:
  virtual bool OnMainThreadMessage(std::uintptr_t first, std::uintptr_t second) = 0;

 protected:
  ~IMainThreadMessageManagerCallback() = default;
};
