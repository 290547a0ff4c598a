#include "ToolsModuleTest.h"

#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysRegistry.h"

using namespace ks;

const char ToolsModuleTest::kProduct[] = R"(<?xml version="1.0" encoding="utf-8"?>
<KsProduct version="1.0">
  <Product>
    <Name>Testlied</Name>
    <Maker>Kestrune</Maker>
    <MajorVersion>9</MajorVersion>
    <VersionText>9.1.2.3</VersionText>
    <ClientName>Testlied Player</ClientName>
    <LauncherName>Testlied Launcher.exe</LauncherName>
    <MainProgram>Testlied.exe</MainProgram>
    <Extension>.tlp</Extension>
    <MimeTypes>audio/x-testlied;application/x-tlp</MimeTypes>
    <Protocols>tlp;tlps</Protocols>
    <WebAddress>https://testlied.example/</WebAddress>
    <DataFolder>Kestrune\Testlied\</DataFolder>
    <Features>22; 104 ;176</Features>
    <MainWindowClass>KsTestFrame</MainWindowClass>
    <CloseTimeoutMilliseconds>400</CloseTimeoutMilliseconds>
    <DefaultLanguage>English</DefaultLanguage>
  </Product>
  <Texts>
    <Text number="15">https://download.testlied.example/</Text>
    <Text number="2">Second &amp; last</Text>
  </Texts>
  <General>
    <MegaSkin>Standard</MegaSkin>
    <MegaSkinStyles>Standard;Dark</MegaSkinStyles>
  </General>
  <Installer>
    <ShowLanguageSelection>1</ShowLanguageSelection>
    <PromoCount>0x10</PromoCount>
    <PromoMinimumMilliseconds>-250</PromoMinimumMilliseconds>
    <Empty></Empty>
  </Installer>
</KsProduct>
)";

namespace {
void RemoveKeyTree(sys::HKEY parent, const std::u16string& path) {
  sys::HKEY key = nullptr;
  if (sys::RegOpenKeyEx(parent, path.c_str(), 0, sys::KEY_ALL_ACCESS, &key) != 0) return;
  for (;;) {
    sys::WCHAR name[256];
    sys::DWORD length = 256;
    if (sys::RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != 0) break;
    RemoveKeyTree(key, name);
  }
  sys::RegCloseKey(key);
  sys::RegDeleteKey(parent, path.c_str());
}
}  // namespace

std::string Narrow(const KsString& text) { return Narrow(std::u16string(text.View())); }

void ToolsModuleTest::SetUp() {
  TestMachine::SetUp();
  if (HasFatalFailure()) return;
  RemoveKeyTree(sys::HKEY_CURRENT_USER, kSettingsKey);
  m_folder = Path(u"Sonavel\\");
  ASSERT_TRUE(sys::CreateDirectory(m_folder.c_str(), nullptr));
  ASSERT_TRUE(InstallToolsModule(m_folder + u"KsTools.dll"));
}

void ToolsModuleTest::TearDown() {
  UnloadModule();
  RemoveKeyTree(sys::HKEY_CURRENT_USER, kSettingsKey);
  TestMachine::TearDown();
}

bool ToolsModuleTest::WriteModuleFile(const std::u16string& name, const std::string& text) {
  const std::u16string path = m_folder + name;
  const std::size_t slash = path.rfind(u'\\');
  sys::CreateDirectory(path.substr(0, slash).c_str(), nullptr);
  return WriteText(path, text);
}

IKsTools* ToolsModuleTest::LoadModule() {
  if (m_root != nullptr) return m_root;
  m_module = sys::LoadLibrary((m_folder + u"KsTools.dll").c_str());
  if (m_module == nullptr) return nullptr;
  auto entry = reinterpret_cast<GetKsToolsDLLFunction>(sys::GetProcAddress(m_module, "GetKsToolsDLL"));
  m_root = entry != nullptr ? entry(kKsToolsInterfaceVersion) : nullptr;
  if (m_root == nullptr || !m_root->Initialize(1, nullptr)) {
    m_root = nullptr;
    return nullptr;
  }
  SetKsToolsRoot(m_root);
  return m_root;
}

IKsTools* ToolsModuleTest::LoadProduct(const std::string& productXml) {
  if (!WriteModuleFile(u"Product.xml", productXml)) return nullptr;
  IKsTools* root = LoadModule();
  if (root == nullptr) return nullptr;
  KsString error;
  if (!root->GetProductInfo(true)->Load(u"", &error, 0)) {
    ADD_FAILURE() << Narrow(error);
    return nullptr;
  }
  root->OnProductInfoLoaded(0);
  return root;
}

void ToolsModuleTest::UnloadModule() {
  if (m_root != nullptr) {
    SetKsToolsRoot(nullptr);
    m_root->Shutdown(nullptr);
    m_root = nullptr;
  }
  if (m_module != nullptr) {
    sys::FreeLibrary(m_module);
    m_module = nullptr;
  }
}

std::u16string ToolsModuleTest::LogPath() const {
  sys::WCHAR temp[sys::MAX_PATH];
  const sys::DWORD length = sys::GetTempPath(sys::MAX_PATH, temp);
  return std::u16string(temp, length) + u"KsTools.log";
}
