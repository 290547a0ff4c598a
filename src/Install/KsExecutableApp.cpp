#include "Install/KsExecutableApp.h"

#include <cstdlib>

#include "foundation/KsProductPaths.h"
#include "foundation/KsStringGlobals.h"
#include "foundation/KsTools.h"
#include "platform/SysShellLink.h"
#include "platform/SysTime.h"
#include "platform/SysWindow.h"

namespace {
constexpr const KsChar* kLogTag = u"KsExecutableApp";
}  // namespace

KsExecutableApp::~KsExecutableApp() { EndCom(); }

bool KsExecutableApp::StartUp() {
  KsStringGlobals::Instance().SwitchLocale("");
  static unsigned calls = 0;
  std::srand(ks::sys::GetTickCount() + calls++);
  if (!StartCom()) return false;
  return LoadProductInfo();
}

void KsExecutableApp::ShutDown() {
  UnloadProductModules();
  EndCom();
  for (int i = 0; i < m_windowClasses.GetSize(); ++i) ks::sys::UnregisterClass(m_windowClasses[i], m_instance);
  m_windowClasses.RemoveAll();
}

bool KsExecutableApp::StartCom() {
  if (m_comMode == kOle) return true;
  if (ks::sys::OleInitialize(nullptr) < 0) return false;
  m_comMode = kOle;
  return true;
}

void KsExecutableApp::EndCom() {
  // Only OLE is ever started here; plain COM belongs to a mode this program
  // never enters.
  if (m_comMode == kOle) ks::sys::OleUninitialize();
  m_comMode = kNoCom;
}

bool KsExecutableApp::LoadToolsModule() {
  return m_tools.Load(KsProductPaths::Get().GetModuleFolder() + u"KsTools.dll", m_instance);
}

void KsExecutableApp::UnloadProductModules() { m_tools.Unload(m_instance); }

KsString KsExecutableApp::GetOwnPath() { return KsProductPaths::GetModuleFileName(); }

bool KsExecutableApp::LoadProductInfo() {
  IKsTools* root = KsToolsRoot();
  if (root != nullptr && root->GetProductInfo(false) != nullptr) return true;
  KsString error;
  if (!LoadToolsModule()) {
    error = u"Failed to load KsTools";
  } else {
    root = KsToolsRoot();
    IKsProductInfo* product = root != nullptr ? root->GetProductInfo(true) : nullptr;
    if (product != nullptr && product->Load(u"", &error, 0)) {
      root->OnProductInfoLoaded(0);
      return true;
    }
    if (error.IsEmpty()) error = u"Unknown error loading product information";
    KsLogFormat(kKsLogError, kLogTag, u"Product information not loaded: %s", error);
    UnloadProductModules();
  }
  const KsString text = KsFormat(
      u"The following module has failed to load:\r\n%s\r\n\r\nIt has reported the following error:\r\n\r\n%s\r\n\r\n"
      u"Please reinstall the latest version of the program.",
      GetOwnPath(), error);
  ks::sys::MessageBox(nullptr, text, u"Critical Error", ks::sys::MB_OK);
  return false;
}
