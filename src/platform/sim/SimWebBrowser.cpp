// The embedded browser control on the simulated machine: a machine fact.

#include "platform/SysWebBrowser.h"

#include "platform/sim/SimInternal.h"

namespace ks::sys {
using namespace ks::sim::detail;

HRESULT CreateWebBrowserControl() {
  std::lock_guard lock(Lock());
  MachineState* machine = Machine();
  return machine != nullptr && machine->identity.webBrowserControl ? S_OK : REGDB_E_CLASSNOTREG;
}

}  // namespace ks::sys
