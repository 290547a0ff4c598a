// The embedded browser control is a fact of the simulated machine.

#include "TestMachine.h"

#include "platform/SysWebBrowser.h"
#include "platform/sim/SimMachine.h"

using namespace ks;

using SimWebBrowser = TestMachine;

TEST_F(SimWebBrowser, ControlFollowsTheMachineFact) {
  EXPECT_EQ(sys::CreateWebBrowserControl(), sys::S_OK) << "a fresh machine has the control";
  sim::Identity identity = sim::GetIdentity();
  identity.webBrowserControl = false;
  ASSERT_TRUE(sim::SetIdentity(identity));
  EXPECT_EQ(sys::CreateWebBrowserControl(), sys::REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(sim::GetIdentity().webBrowserControl) << "kept in machine.ini";
}
