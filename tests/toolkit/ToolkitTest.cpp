#include "ToolkitTest.h"

using namespace ks::sys;

void ToolkitTest::SetUp() {
  TestMachine::SetUp();
  PrepareToolkitMachine();
}

void ToolkitTest::TearDown() {
  for (auto& window : LiveToolkitWindows()) ADD_FAILURE() << "window left alive: " << window;
  TestMachine::TearDown();
}

bool ToolkitTest::RunUntil(const std::function<bool()>& done, UINT limitMs) {
  UINT_PTR deadline = SetTimer(nullptr, 0, limitMs, nullptr);
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

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }
