// COM on the simulated machine: a count and an apartment per host thread, kept as
// Windows keeps them. There are no objects; what needs COM asks whether it is started.

#include "platform/SysCom.h"

#include "platform/sim/SimCom.h"

namespace ks::sys {
namespace {

struct ComState {
  int starts = 0;
  DWORD apartment = 0;
};

thread_local ComState t_com;

DWORD ApartmentOf(DWORD coInit) { return coInit & COINIT_APARTMENTTHREADED; }

}  // namespace

HRESULT CoInitializeEx(void*, DWORD coInit) {
  if (t_com.starts > 0) {
    if (ApartmentOf(coInit) != t_com.apartment) return RPC_E_CHANGED_MODE;
    ++t_com.starts;
    return S_FALSE;
  }
  t_com.starts = 1;
  t_com.apartment = ApartmentOf(coInit);
  return S_OK;
}

void CoUninitialize() {
  if (t_com.starts > 0) --t_com.starts;
}

}  // namespace ks::sys

namespace ks::sim {

bool IsComStartedOnThread() { return sys::t_com.starts > 0; }

}  // namespace ks::sim
