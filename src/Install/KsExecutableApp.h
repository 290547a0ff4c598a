#pragma once
// KsExecutableApp: a program's application object. Start-up switches the text
// services to the user's locale, seeds the random generator, starts COM and
// loads the tools module with the product information; shut-down unloads the
// tools module, ends COM as it was started and unregisters the program's
// window classes. A failure to load the product information is shown in the
// platform's own message box, since the tools module's messages may be missing.

#include "Install/KsApp.h"
#include "Install/CProductModuleLoader.h"

class KsExecutableApp : public KsApp {
 public:
  ~KsExecutableApp() override;

  bool StartUp() override;
  void ShutDown() override;
  bool LoadProductInfo() override;
  bool StartCom() override;
  void EndCom() override;

 protected:
  // Loads the tools module (from the product's module folder) and makes it
  // the process's tools root; false leaves nothing loaded.
  virtual bool LoadToolsModule();
  // Shuts the tools module down and unloads it.
  virtual void UnloadProductModules();
  // The file the "Critical Error" box names: the program's own path.
  virtual KsString GetOwnPath();

  CProductModuleLoader m_tools;
};
