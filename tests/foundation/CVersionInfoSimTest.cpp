// Host-only: injects a fault into the simulated machine's module loading.
#include "foundation/CVersionInfo.h"

#include "TestMachine.h"
#include "platform/PeImage.h"
#include "platform/sim/SimControl.h"

namespace {
class CVersionInfoSimTest : public TestMachine {};
}  // namespace

// Without the version library every file reads as having no version.
TEST_F(CVersionInfoSimTest, MissingVersionLibraryReadsAsNone) {
  const std::vector<std::uint8_t> image = ks::pe::BuildImageWithVersion({});
  ASSERT_TRUE(WriteText(Path(u"codec.dll"), std::string(image.begin(), image.end())));
  ks::sim::InjectFault(ks::sim::FaultKind::ModuleLoad, 1, ks::sys::ERROR_MOD_NOT_FOUND, false);
  CVersionInfo info(Path(u"codec.dll").c_str());
  KsPackedVersion packed = 1;
  EXPECT_EQ(info.GetPackedVersion(packed), ks::sys::E_FAIL);
  EXPECT_EQ(packed, 0u);
  ks::sim::ClearFaults();
  CVersionInfo loaded(Path(u"codec.dll").c_str());
  EXPECT_EQ(loaded.GetPackedVersion(packed), ks::sys::S_OK);
  EXPECT_EQ(packed, KsPackVersion(1, 0, 0, 0));
}
