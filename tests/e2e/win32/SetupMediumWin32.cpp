// The Windows medium: a copy of the setup folder in the test's scratch folder.
// The build's paths are host paths, which Wine shows on drive Z:.

#include "SetupMedium.h"
#include "foundation/KsFileSystem.h"
#include "platform/SysFile.h"

namespace {

std::u16string WindowsPathOf(const char* hostPath) {
  std::u16string path = u"Z:";
  for (const char* c = hostPath; *c != 0; ++c) path += *c == '/' ? u'\\' : char16_t(*c);
  return path;
}

}  // namespace

std::u16string PrepareSetupMedium(const std::u16string& scratchFolder) {
  const std::u16string medium = scratchFolder + u"\\Medium\\";
  const KsString source(std::u16string_view(WindowsPathOf(KS_SAMPLE_SETUP)));
  if (!KsMoveCopyDirectory(source, KsString(std::u16string_view(medium)), 0, nullptr)) return {};
  const std::u16string module = medium + u"Sonavel\\KsTools.dll";
  if (!ks::sys::CopyFile(WindowsPathOf(KS_STUB_TOOLS).c_str(), module.c_str(), ks::sys::FALSE)) return {};
  return medium;
}

void RemoveSetupMedium() {}
