#include "ToolkitTest.h"

#include "platform/sim/SimControl.h"
#include "platform/sim/SimWindowControl.h"

using namespace ks;
using namespace ks::sys;

void ToolkitTest::SetUp() {
  TestMachine::SetUp();
  sim::UseVirtualTime(true);
}

void ToolkitTest::TearDown() {
  for (auto& window : sim::LiveWindows()) ADD_FAILURE() << "window left alive: " << window;
  TestMachine::TearDown();
}

bool ToolkitTest::RunUntil(const std::function<bool()>& done) {
  UINT_PTR deadline = SetTimer(nullptr, 0, 60000, nullptr);
  MSG message;
  while (!done()) {
    if (GetMessage(&message, nullptr, 0, 0) <= 0) break;
    if (message.message == WM_TIMER && !message.hwnd && message.wParam == deadline) break;
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  KillTimer(nullptr, deadline);
  return done();
}

void ToolkitTest::Pump() {
  MSG message;
  while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
}

bool ToolkitTest::JournalHas(const std::string& line) {
  for (auto& entry : sim::ReadJournal())
    if (entry == line) return true;
  return false;
}

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }
