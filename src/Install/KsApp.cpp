#include "Install/KsApp.h"

#include "platform/SysModule.h"
#include "platform/SysProcess.h"

namespace {
KsApp* g_app = nullptr;
}  // namespace

KsApp::KsApp() {
  if (g_app == nullptr) g_app = this;
}

KsApp::~KsApp() {
  if (g_app == this) g_app = nullptr;
}

KsApp* KsApp::Instance() noexcept { return g_app; }

bool KsApp::LibraryEntry(int reason, ks::sys::HINSTANCE instance) {
  if (reason == 1) {
    if (m_attachCount++ > 0) return true;
    m_instance = instance;
    m_arguments.Add(KsString(ks::sys::GetCommandLine()));
    if (!StartUp()) {
      ShutDown();
      m_attachCount = 0;  // the failed attach does not count: no second shut-down at detach
      return false;
    }
    return true;
  }
  if (reason == 0 && m_attachCount > 0 && --m_attachCount == 0) ShutDown();
  return true;
}

int KsApp::ProgramEntry(ks::sys::HINSTANCE instance, ks::sys::HINSTANCE, int showCommand) {
  m_instance = instance;
  m_showCommand = showCommand;
  if (StartUp()) RunMessageLoop();
  ShutDown();
  return m_exitCode;
}

int KsApp::ProgramEntry() { return ProgramEntry(ks::sys::GetModuleHandle(nullptr), nullptr, ks::sys::SW_SHOWNORMAL); }
