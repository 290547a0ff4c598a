#include "tools/KsMessagePump.h"

#include "platform/SysWindow.h"

void KsMessagePump::Pump() {
  ks::sys::MSG message{};
  while (ks::sys::PeekMessage(&message, nullptr, 0, 0, ks::sys::PM_REMOVE)) {
    if (message.message == ks::sys::WM_QUIT) {
      ks::sys::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ks::sys::TranslateMessage(&message);
    ks::sys::DispatchMessage(&message);
  }
}
