// The Windows side: the build puts KsTools.dll beside the test program.

#include "ToolsModuleTest.h"

#include "platform/SysFile.h"
#include "platform/SysModule.h"

bool InstallToolsModule(const std::u16string& windowsPath) {
  ks::sys::WCHAR program[ks::sys::MAX_PATH];
  const ks::sys::DWORD length = ks::sys::GetModuleFileName(nullptr, program, ks::sys::MAX_PATH);
  std::u16string source(program, length);
  source = source.substr(0, source.rfind(u'\\') + 1) + u"KsTools.dll";
  return ks::sys::CopyFile(source.c_str(), windowsPath.c_str(), ks::sys::FALSE) != 0;
}
