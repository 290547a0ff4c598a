// The Windows half of the toolkit fixture: real time on the real machine.
// Leaks are looked for among the top-level windows of the toolkit's classes
// the tests create.

#include "ToolkitTest.h"

#include "RecordingWnd.h"
#include "toolkit/KsPopupWnd.h"

void PrepareToolkitMachine() {}

std::vector<std::string> LiveToolkitWindows() {
  std::vector<std::string> live;
  for (const char16_t* windowClass : {KsPopupWnd::kClass, RecordingWnd::kClass})
    if (ks::sys::FindWindow(windowClass, nullptr)) live.push_back(Narrow(windowClass));
  return live;
}
