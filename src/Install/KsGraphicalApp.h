#pragma once
// KsGraphicalApp: a program with windows. Its message loop pumps through the
// tools module's window service until the thread's queue reports the end.

#include "Install/KsExecutableApp.h"

class KsGraphicalApp : public KsExecutableApp {
 public:
  void RunMessageLoop() override;
};
