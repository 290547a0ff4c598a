#include "Install/KsGraphicalApp.h"

#include "foundation/KsTools.h"
#include "platform/SysWindow.h"

void KsGraphicalApp::RunMessageLoop() {
  while (ks::sys::GetMessage(&m_message, nullptr, 0, 0) > 0) {
    ks::sys::TranslateMessage(&m_message);
    ks::sys::DispatchMessage(&m_message);
    if (IKsWindowService* service = KsToolsWindowService()) service->PumpMessages();
  }
}
