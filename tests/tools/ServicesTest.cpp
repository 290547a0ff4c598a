// The module's smaller services: text, locks, files, the window pump, the UI
// metrics, messages and settings import.

#include "ToolsModuleTest.h"
#include "foundation/KsHandle.h"
#include "foundation/KsStringArray.h"
#include "platform/SysFile.h"
#include "platform/SysProcess.h"
#include "platform/SysThread.h"
#include "platform/SysWindow.h"

using namespace ks;

using ToolsServices = ToolsModuleTest;

// Search mode 3 ignores case beyond ASCII; the program's own searches use the
// module's service once the root is set.
TEST_F(ToolsServices, TextServiceFindsWithoutRegardToCase) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsTextService* text = Tools()->GetTextService();
  struct Case {
    const char16_t* text;
    const char16_t* pattern;
    int mode;
    int expected;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Torvik Server\\", u"torvik", 3, 17},
      {u"Auralis 22", u"AURALIS", 3, 0},
      {u"Auralis 22", u"AURALIS", 0, -1},
      {u"\u00c5berg", u"\u00e5BERG", 3, 0},
      {u"\u0414\u043e\u043c", u"\u0434\u041e\u041c", 3, 0},        // Cyrillic
      {u"\u0141\u00f3d\u017a", u"\u0142\u00d3D\u0179", 3, 0},       // Latin Extended-A
      {u"abc", u"abcd", 3, -1},
      {u"aab", u"ab", 3, 1},
      {u"anything", u"", 3, 0},
      {u"", u"x", 3, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text->FindText(c.text, c.pattern, c.mode), c.expected) << Narrow(c.text) << " / " << Narrow(c.pattern);
  }
  EXPECT_EQ(text->FindText(nullptr, u"x", 3), -1);
  EXPECT_EQ(GetTextService(), text);
  EXPECT_TRUE(KsString(u"\u00c5BERG music").Contains(u"\u00e5berg"));
  EXPECT_EQ(text->CompareText(u"\u0414OM", u"\u0434om", 1, 1, -1), 0);
  EXPECT_LT(text->CompareText(u"abc", u"ABD", 1, 1, -1), 0);
  EXPECT_GT(text->CompareText(u"abc", u"ABC", 0, 1, -1), 0);
  EXPECT_EQ(text->CompareText(u"abcX", u"ABCy", 1, 1, 3), 0);
  EXPECT_LT(text->CompareText(u"ab", u"abc", 1, 1, -1), 0);
  // Unloading gives the program its default back.
  UnloadModule();
  EXPECT_NE(GetTextService(), nullptr);
  EXPECT_FALSE(HasInstalledTextService());
}

namespace {
struct LockProbe {
  IKsLockService* locks;
  int timeoutMs;
  bool taken = false;
};
sys::DWORD TryLockOnAnotherThread(void* parameter) {
  auto* probe = static_cast<LockProbe*>(parameter);
  probe->taken = probe->locks->Lock(u"Kestrune Test Lock", probe->timeoutMs, 0);
  if (probe->taken) probe->locks->Unlock(u"Kestrune Test Lock");
  return 0;
}
bool LockedElsewhere(IKsLockService* locks) {
  LockProbe probe{locks, 50};
  KsHandle thread(sys::CreateThread(nullptr, 0, TryLockOnAnotherThread, &probe, 0, nullptr));
  if (!thread) return false;
  sys::WaitForSingleObject(thread.Get(), sys::INFINITE);
  return !probe.taken;
}
}  // namespace

// A lock keeps other threads (and processes) out until its last Unlock.
TEST_F(ToolsServices, LocksAreNamedAndCounted) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsLockService* locks = Tools()->GetLockService();
  EXPECT_FALSE(LockedElsewhere(locks));
  ASSERT_TRUE(locks->Lock(u"Kestrune Test Lock", 1000, 0));
  ASSERT_TRUE(locks->Lock(u"Kestrune Test Lock", 1000, 0));  // again on the same thread
  EXPECT_TRUE(LockedElsewhere(locks));
  locks->Unlock(u"Kestrune Test Lock");
  EXPECT_TRUE(LockedElsewhere(locks));
  locks->Unlock(u"Kestrune Test Lock");
  EXPECT_FALSE(LockedElsewhere(locks));
  locks->Unlock(u"Kestrune Test Lock");  // one too many: logged, harmless
  // Names with backslashes are made acceptable.
  ASSERT_TRUE(locks->Lock(u"Kestrune\\Sub\\Lock", 0, 0));
  locks->Unlock(u"Kestrune\\Sub\\Lock");
  EXPECT_FALSE(locks->Lock(u"", 0, 0));
  // A lock still held at shut-down is released with it (TearDown's handle check).
  ASSERT_TRUE(locks->Lock(u"Kestrune Test Lock", 0, 0));
}

TEST_F(ToolsServices, FileServiceSeesFilesNotFolders) {
  ASSERT_NE(LoadModule(), nullptr);
  IKsFileService* files = Tools()->GetFileService();
  ASSERT_TRUE(WriteText(Path(u"file.txt"), "x"));
  EXPECT_TRUE(files->FileExists(Path(u"file.txt").c_str(), 0));
  EXPECT_FALSE(files->FileExists(Path(u"missing.txt").c_str(), 0));
  EXPECT_FALSE(files->FileExists(Root().c_str(), 0));
  EXPECT_FALSE(files->FileExists(u"", 0));
  EXPECT_FALSE(files->FileExists(nullptr, 0));
}

namespace {
int g_received = 0;
sys::LRESULT KS_SYS_CALLBACK CountingProcedure(sys::HWND window, sys::UINT message, sys::WPARAM wParam,
                                               sys::LPARAM lParam) {
  if (message == sys::WM_USER + 1) ++g_received;
  return sys::DefWindowProc(window, message, wParam, lParam);
}
}  // namespace

// The pump dispatches what is pending and leaves WM_QUIT for the loop that
// owns it.
TEST_F(ToolsServices, WindowServicePumpsPendingMessages) {
  ASSERT_NE(LoadModule(), nullptr);
  sys::WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = CountingProcedure;
  windowClass.lpszClassName = u"KsPumpTest";
  ASSERT_NE(sys::RegisterClassEx(&windowClass), 0);
  sys::HWND window = sys::CreateWindowEx(0, u"KsPumpTest", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  g_received = 0;
  ASSERT_TRUE(sys::PostMessage(window, sys::WM_USER + 1, 0, 0));
  ASSERT_TRUE(sys::PostMessage(window, sys::WM_USER + 1, 0, 0));
  Tools()->GetWindowService()->PumpMessages();
  EXPECT_EQ(g_received, 2);
  sys::PostQuitMessage(3);
  Tools()->GetWindowService()->PumpMessages();
  sys::MSG message{};
  ASSERT_TRUE(sys::PeekMessage(&message, nullptr, 0, 0, sys::PM_REMOVE));
  EXPECT_EQ(message.message, sys::WM_QUIT);
  EXPECT_EQ(message.wParam, 3u);
  sys::DestroyWindow(window);
  sys::UnregisterClass(u"KsPumpTest", nullptr);
}

// Scale follows the stored interface scale (percent); metric 8 is the scaled
// button spacing; other metrics are unknown.
TEST_F(ToolsServices, UIServiceScalesLayouts) {
  ASSERT_NE(LoadProduct(), nullptr);
  IKsUIService* ui = Tools()->GetUIService();
  EXPECT_EQ(ui->Scale(320), 320);
  EXPECT_EQ(ui->GetMetric(8), 8);
  EXPECT_EQ(ui->GetMetric(7), -1);
  ASSERT_TRUE(Tools()->GetSettingsStore(u"Properties")->WriteNumber(u"Interface Scale", 150));
  Tools()->OnProductInfoLoaded(0);
  struct Case {
    int length;
    int expected;
  };
  for (const Case& c : {Case{320, 480}, Case{180, 270}, Case{1, 2}, Case{0, 0}, Case{-3, -5}}) {
    EXPECT_EQ(ui->Scale(c.length), c.expected) << c.length;
  }
  EXPECT_EQ(ui->GetMetric(8), 12);
  ASSERT_TRUE(Tools()->GetSettingsStore(u"Properties")->WriteNumber(u"Interface Scale", 5));  // nonsense
  Tools()->OnProductInfoLoaded(0);
  EXPECT_EQ(ui->Scale(320), 320);
  EXPECT_TRUE(ui->SetSkinnedDialogs(false));
  EXPECT_FALSE(ui->SetSkinnedDialogs(true));
  ui->SetSkinFolder(u"C:\\Setup\\Sonavel\\Skins\\Standard View\\Standard");
  ui->SetTitleIcon(u"Titlebar Icon", 0);
}

// Settings files of a folder go into the stores they name; other files are
// left alone; a damaged file makes the import answer false.
TEST_F(ToolsServices, ImportSettingsWritesTheStores) {
  ASSERT_NE(LoadProduct(), nullptr);
  const std::u16string folder = Path(u"Import\\");
  ASSERT_TRUE(sys::CreateDirectory(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteText(folder + u"Properties.xml",
                        "<XMLPH version=\"1\"><Item Name=\"Skin\">Dark</Item>"
                        "<Item Name=\"Volume\" type=\"number\">80</Item></XMLPH>"));
  ASSERT_TRUE(WriteText(folder + u"views.xml",
                        "<XMLPH store=\"Properties\\Views\"><Item Name=\"Mode\">Grid &amp; list</Item></XMLPH>"));
  ASSERT_TRUE(WriteText(folder + u"Other.xml", "<SVFA/>"));
  ASSERT_TRUE(WriteText(folder + u"TV Shared Settings.ini", "[TV]\r\n"));
  EXPECT_TRUE(Tools()->ImportSettings(0, folder.c_str()));
  IKsSettingsStore* properties = Tools()->GetSettingsStore(u"Properties");
  EXPECT_EQ(Narrow(properties->ReadText(u"Skin", u"")), "Dark");
  EXPECT_EQ(properties->ReadNumber(u"Volume", 0), 80);
  EXPECT_EQ(Narrow(Tools()->GetSettingsStore(u"Properties\\Views")->ReadText(u"Mode", u"")), "Grid & list");

  ASSERT_TRUE(WriteText(folder + u"Broken.xml", "<XMLPH><Item Name=\"x\">"));
  EXPECT_FALSE(Tools()->ImportSettings(0, folder.c_str()));
  EXPECT_FALSE(Tools()->ImportSettings(0, Path(u"Missing\\").c_str()));
}
