// The host's half of the toolkit fixture: the simulated machine in virtual
// time, whose window manager lists every window alive.

#include "ToolkitTest.h"
#include "ToolkitSimTest.h"

#include "platform/sim/SimControl.h"
#include "platform/sim/SimWindowControl.h"

void PrepareToolkitMachine() { ks::sim::UseVirtualTime(true); }

std::vector<std::string> LiveToolkitWindows() { return ks::sim::LiveWindows(); }

bool JournalHas(const std::string& line) {
  for (auto& entry : ks::sim::ReadJournal())
    if (entry == line) return true;
  return false;
}
