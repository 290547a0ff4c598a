#pragma once
// Fixture of the toolkit tests: a fresh simulated machine in virtual time, a
// message loop that runs until a condition holds, and a check that every
// native window the test made was destroyed.

#include "TestMachine.h"

#include "platform/SysWindow.h"

#include <functional>
#include <string>

class ToolkitTest : public TestMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Dispatches messages (jumping virtual time to due timers) until done() holds
  // or a minute of virtual time has passed; answers done().
  bool RunUntil(const std::function<bool()>& done);
  // Dispatches every message waiting now.
  void Pump();
  bool JournalHas(const std::string& line);
};

ks::sys::RECT Rect(int left, int top, int right, int bottom);
