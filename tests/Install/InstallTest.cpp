#include "InstallTest.h"

#include "Install/CInstallSession.h"
#include "foundation/KsFileSystem.h"
#include "foundation/KsProductPaths.h"
#include "platform/PeImage.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

std::u16string U16(const KsString& text) { return std::u16string(text.View()); }

void InstallTest::SetUp() {
  TestMachine::SetUp();
  KsProductPaths::ReleaseInstance();
  CInstallSession::Get().Reset();
  MakeFolder(Setup());
}

void InstallTest::TearDown() {
  CInstallSession::Get().Reset();
  KsProductPaths::ReleaseInstance();
  if (KsToolsRoot() == &tools) SetKsToolsRoot(nullptr);
  TestMachine::TearDown();
}

void InstallTest::MakeFolder(const std::u16string& path) {
  ASSERT_TRUE(KsFileSystem::CreateFolder(KsString(std::u16string_view(path)))) << Narrow(path);
}

void InstallTest::WriteFile(const std::u16string& path, const std::string& text) {
  MakeFolder(path.substr(0, path.rfind(u'\\') + 1));
  ASSERT_TRUE(WriteText(path, text)) << Narrow(path);
}

bool InstallTest::Exists(const std::u16string& path) {
  return sys::GetFileAttributes(path.c_str()) != sys::INVALID_FILE_ATTRIBUTES;
}

void InstallTest::WriteVersionedFile(const std::u16string& path, unsigned major, unsigned minor, unsigned build,
                                     unsigned revision) {
  ks::pe::VersionSpec fixture;
  const std::uint16_t version[4] = {static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor),
                                    static_cast<std::uint16_t>(build), static_cast<std::uint16_t>(revision)};
  for (int i = 0; i < 4; ++i) fixture.fileVersion[i] = fixture.productVersion[i] = version[i];
  fixture.dll = false;
  const std::vector<std::uint8_t> image = ks::pe::BuildImageWithVersion(fixture);
  WriteFile(path, std::string(image.begin(), image.end()));
}
