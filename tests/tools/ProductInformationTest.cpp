// The product information: every field from the product file, keys read as
// /*/Section/Key, and running copies through the machine's window table.

#include "ToolsModuleTest.h"

#include "platform/SysError.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"
#include "platform/SysTime.h"
#include "platform/SysWindow.h"

using namespace ks;

using ProductInformation = ToolsModuleTest;

TEST_F(ProductInformation, FieldsComeFromTheProductFile) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  ASSERT_NE(product, nullptr);
  struct Case {
    const char* what;
    KsString value;
    const char* expected;
  };
  const Case cases[] = {
      {"short name", product->GetDisplayName(0), "Testlied"},
      {"full name", product->GetDisplayName(1), "Testlied 9"},
      {"client name", product->GetDisplayName(2), "Testlied Player"},
      {"object name", product->GetDisplayName(3), "Testlied9"},
      {"maker and name", product->GetDisplayName(5), "Kestrune Testlied 9"},
      {"unknown form", product->GetDisplayName(4), ""},
      {"launcher", product->GetLauncherName(), "Testlied Launcher.exe"},
      {"main program", product->GetMainProgramName(), "Testlied.exe"},
      {"version key", product->GetVersionKey(), "9"},
      {"version text", product->GetVersionText(), "9.1.2.3"},
      {"start menu", product->GetStartMenuName(), "Testlied 9"},
      {"extension", product->GetProductExtension(), ".tlp"},
      {"MIME types", product->GetProductMimeTypes(), "audio/x-testlied;application/x-tlp"},
      {"protocols", product->GetProductProtocols(), "tlp;tlps"},
      {"web address", product->GetWebAddress(), "https://testlied.example/"},
      {"text 15", product->GetProductText(15), "https://download.testlied.example/"},
      {"text 2, unescaped", product->GetProductText(2), "Second & last"},
      {"missing text", product->GetProductText(3), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Narrow(c.value), c.expected) << c.what;

  for (int feature : {22, 104, 176}) EXPECT_TRUE(product->HasFeature(feature)) << feature;
  for (int feature : {0, 2, 24, 182}) EXPECT_FALSE(product->HasFeature(feature)) << feature;

  // The launcher lives in the system folder; the data folder below the
  // user's application data.
  sys::WCHAR folder[sys::MAX_PATH];
  const sys::UINT length = sys::GetSystemDirectory(folder, sys::MAX_PATH);
  EXPECT_EQ(Narrow(product->GetLauncherPath()),
            Narrow(std::u16string(folder, length) + u"\\Testlied Launcher.exe"));
  ASSERT_EQ(sys::SHGetFolderPath(nullptr, sys::CSIDL_APPDATA, nullptr, 0, folder), 0);
  EXPECT_EQ(Narrow(product->GetDataFolder()), Narrow(std::u16string(folder) + u"\\Kestrune\\Testlied\\"));
}

// Fields the file leaves out are made from the name and the major version.
TEST_F(ProductInformation, MissingFieldsHaveDefaults) {
  ASSERT_NE(LoadProduct("<KsProduct><Product><Name>Auralis</Name><Maker>Kestrune</Maker>"
                        "<MajorVersion>22</MajorVersion></Product></KsProduct>"),
            nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  EXPECT_EQ(Narrow(product->GetDisplayName(1)), "Auralis 22");
  EXPECT_EQ(Narrow(product->GetDisplayName(2)), "Auralis");
  EXPECT_EQ(Narrow(product->GetDisplayName(3)), "Auralis22");
  EXPECT_EQ(Narrow(product->GetDisplayName(5)), "Kestrune Auralis 22");
  EXPECT_EQ(Narrow(product->GetLauncherName()), "Auralis Launcher.exe");
  EXPECT_EQ(Narrow(product->GetVersionKey()), "22");
  EXPECT_EQ(Narrow(product->GetStartMenuName()), "Auralis 22");
  EXPECT_TRUE(product->GetDataFolder().IsEmpty());
  EXPECT_FALSE(product->HasFeature(176));
  // No main window class: never running.
  EXPECT_FALSE(product->IsProductRunning());
}

// /*/Section/Key: text trimmed, the default only when the key is missing;
// numbers decimal or 0x hexadecimal, the default for text that is no number.
TEST_F(ProductInformation, KeysAsTextAndNumbers) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  struct TextCase {
    const char16_t* key;
    const char16_t* defaultValue;
    const char* expected;
  };
  const TextCase texts[] = {
      {u"/*/General/MegaSkin", u"", "Standard"},
      {u"/*/General/MegaSkinStyles", u"", "Standard;Dark"},
      {u"/*/General/MegaSkinKey", u"Standard View Skin", "Standard View Skin"},
      {u"/*/Installer/Empty", u"default", ""},
      {u"/*/general/megaskin", u"", "Standard"},
      {u"/*/Missing/Key", u"fallback", "fallback"},
      {u"", u"fallback", "fallback"},
  };
  for (const TextCase& c : texts) EXPECT_EQ(Narrow(product->GetText(c.key, c.defaultValue)), c.expected) << Narrow(c.key);
  struct NumberCase {
    const char16_t* key;
    std::int64_t expected;
  };
  const NumberCase numbers[] = {
      {u"/*/Installer/ShowLanguageSelection", 1},
      {u"/*/Installer/PromoCount", 16},
      {u"/*/Installer/PromoMinimumMilliseconds", -250},
      {u"/*/General/MegaSkin", 77},  // text: the default
      {u"/*/Installer/Empty", 77},
      {u"/*/Installer/Missing", 77},
  };
  for (const NumberCase& c : numbers) EXPECT_EQ(product->GetNumber(c.key, 77), c.expected) << Narrow(c.key);
}

namespace {

// A stand-in for the product's main window: closes on WM_CLOSE unless stubborn.
bool g_stubborn = false;
sys::LRESULT KS_SYS_CALLBACK FrameProcedure(sys::HWND window, sys::UINT message, sys::WPARAM wParam,
                                            sys::LPARAM lParam) {
  if (message == sys::WM_CLOSE && g_stubborn) return 0;
  return sys::DefWindowProc(window, message, wParam, lParam);
}

sys::HWND OpenFrame() {
  sys::WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = FrameProcedure;
  windowClass.lpszClassName = u"KsTestFrame";
  sys::RegisterClassEx(&windowClass);
  return sys::CreateWindowEx(0, u"KsTestFrame", u"Testlied", sys::WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
}

}  // namespace

TEST_F(ProductInformation, RunningCopyIsFoundAndClosed) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  EXPECT_FALSE(product->IsProductRunning());
  EXPECT_EQ(product->GetProductWindow(), nullptr);
  product->CloseProduct();  // nothing to close

  g_stubborn = false;
  sys::HWND frame = OpenFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(product->IsProductRunning());
  EXPECT_EQ(product->GetProductWindow(), frame);
  product->CloseProduct();
  EXPECT_FALSE(sys::IsWindow(frame));
  EXPECT_FALSE(product->IsProductRunning());
  sys::UnregisterClass(u"KsTestFrame", nullptr);
}

// A copy that ignores WM_CLOSE is waited for as long as the product file says
// (400 ms here), and is still running afterwards.
TEST_F(ProductInformation, CloseProductWaitsABoundedTime) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  g_stubborn = true;
  sys::HWND frame = OpenFrame();
  ASSERT_NE(frame, nullptr);
  const std::uint64_t start = sys::GetTickCount64();
  product->CloseProduct();
  const std::uint64_t waited = sys::GetTickCount64() - start;
  EXPECT_GE(waited, 400u);
  EXPECT_LT(waited, 5000u);
  EXPECT_TRUE(product->IsProductRunning());
  g_stubborn = false;
  sys::DestroyWindow(frame);
  sys::UnregisterClass(u"KsTestFrame", nullptr);
}
