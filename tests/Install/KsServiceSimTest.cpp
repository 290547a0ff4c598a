// The service program as the install runs it: the installed copy's
// KsService.exe is asked to stop, and it logs the request beside itself.

#include <sys/stat.h>

#include <filesystem>

#include "Install/CRunningCopies.h"
#include "InstallTest.h"
#include "foundation/KsProductPaths.h"
#include "platform/sim/SimControl.h"

namespace sim = ks::sim;

using KsServiceSimTest = InstallTest;

TEST_F(KsServiceSimTest, InstalledServiceIsAskedToStop) {
  const std::u16string installed = Root() + u"\\Installed\\";
  MakeFolder(installed);
  const std::string host = sim::HostPath(installed + u"KsService.exe");
  std::filesystem::copy_file(KS_SERVICE_PROGRAM, host);
  ::chmod(host.c_str(), 0755);
  KsProductPaths::Get().SetInstallPath(KsString(std::u16string_view(installed)), false, false);
  AttachLoadedTools();

  StopProductService();
  StopProductService();
  const std::string log = ReadText(installed + u"KsService.log");
  std::size_t first = log.find("KsService /Stop: stop the service\r\n");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("KsService /Stop: stop the service\r\n", first + 1), std::string::npos) << "appended: " << log;
}
