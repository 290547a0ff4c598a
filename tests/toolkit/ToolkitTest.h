#pragma once
// Fixture of the toolkit tests: a fresh machine (simulated, in virtual time,
// on the host; the real one on Windows), a message loop that runs until a
// condition holds, and a check that every native window the test made was
// destroyed.

#include "TestMachine.h"

#include "platform/SysWindow.h"

#include <functional>
#include <string>
#include <vector>

class ToolkitTest : public TestMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Dispatches messages until done() holds or limitMs have passed (virtual
  // time on the host, so waiting costs nothing there); answers done().
  bool RunUntil(const std::function<bool()>& done, ks::sys::UINT limitMs = 60000);
  // Dispatches every message waiting now.
  void Pump();
};

ks::sys::RECT Rect(int left, int top, int right, int bottom);

// What each backend's half of the fixture supplies (ToolkitTestSim.cpp on the
// host, win32/ToolkitTestWin32.cpp on Windows).
void PrepareToolkitMachine();
// Descriptions of the toolkit's native windows still alive.
std::vector<std::string> LiveToolkitWindows();
