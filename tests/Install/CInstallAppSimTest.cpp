// Start-up: the order of its steps, each pre-flight check with its exact
// message, the override keys, the second installer, the rights probe, skin
// selection and the "Critical Error" box; the exit code is 0 in every case.

#include <algorithm>

#include "Install/CInstallApp.h"
#include "Install/CInstallSession.h"
#include "Install/CSkinSelection.h"
#include "InstallTest.h"
#include "foundation/KsHandle.h"
#include "platform/SysRegistry.h"
#include "platform/SysSync.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimWindowControl.h"

namespace sys = ks::sys;
namespace sim = ks::sim;

namespace {

// The installer with the scripted tools root in place of the module file.
class TestInstallApp : public CInstallApp {
 public:
  TestInstallApp(FakeInstallTools& tools, std::u16string setup) : m_fake(tools), m_setup(std::move(setup)) {}

  bool loadable = true;
  bool wizardRan = false;

 protected:
  bool LoadToolsModule() override {
    if (!loadable) return false;
    m_fake.Attach();
    return true;
  }
  void UnloadProductModules() override {
    if (KsToolsRoot() == &m_fake) {
      m_fake.Shutdown(m_instance);
      SetKsToolsRoot(nullptr);
    }
  }
  KsString GetOwnPath() override { return KsString(std::u16string_view(m_setup + u"KestruneSetup.exe")); }
  KsString GetSetupFolder() override { return KsString(std::u16string_view(m_setup)); }
  void RunWizard() override {
    wizardRan = true;
    CInstallApp::RunWizard();
  }

 private:
  FakeInstallTools& m_fake;
  std::u16string m_setup;
};

constexpr const char* kValidSkin =
    "<SVMS version=\"3.0\" style=\"Standard\"><MAINFRAME/></SVMS>";

}  // namespace

class CInstallAppTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    tools.texts[u"/*/General/MegaSkin"] = u"Onyx";
    tools.texts[u"/*/General/MegaSkinStyles"] = u"Standard;Compact";
    WriteFile(Setup() + u"Sonavel\\Skins\\Standard View\\Onyx\\main.xml", kValidSkin);
    WriteFile(Setup() + u"System\\Always Overwrite\\Pellanor Launcher.exe", "launcher");
  }
  void TearDown() override {
    for (int key : {0x10, 0x11, 0x46}) sim::SetKeyState(key, 0);
    InstallTest::TearDown();
  }

  // Runs the program entry; answers its exit code.
  int Run(const char16_t* arguments = u"") {
    TestInstallApp app(tools, Setup());
    app.Arguments().Add(KsString(arguments));
    const int code = app.ProgramEntry(nullptr, nullptr, sys::SW_SHOWNORMAL);
    wizardRan = app.wizardRan;
    return code;
  }

  std::vector<std::u16string> Titles() const {
    std::vector<std::u16string> titles;
    for (const auto& m : tools.messages) titles.push_back(m.title);
    return titles;
  }

  void SetIdentity(const std::function<void(sim::Identity&)>& change) {
    sim::Identity identity = sim::GetIdentity();
    change(identity);
    ASSERT_TRUE(sim::SetIdentity(identity));
  }

  bool wizardRan = false;
};

TEST_F(CInstallAppTest, StartUpRunsItsStepsInOrderAndReachesTheWizard) {
  EXPECT_EQ(Run(u"/Silent /DistributorID 77"), 0);
  EXPECT_TRUE(wizardRan);
  EXPECT_TRUE(tools.messages.empty()) << Narrow(tools.messages.empty() ? u"" : tools.messages[0].title);
  // The lines written before the log sink existed come first, in order.
  int previous = -1;
  for (int step = 1; step <= 14; ++step) {
    const int index = tools.LineIndex(u"Step " + ks::sim::ToUtf16(std::to_string(step)) + u":");
    EXPECT_GT(index, previous) << "step " << step;
    previous = index;
  }
  EXPECT_TRUE(tools.HasLine(u"The wizard would open here"));
  EXPECT_EQ(tools.productInfoLoaded, 1);
  EXPECT_EQ(tools.shutdowns, 1);
  EXPECT_EQ(tools.titleIcon, u"Titlebar Icon");
  EXPECT_EQ(tools.skinFolder, Setup() + u"Sonavel\\Skins\\Standard View\\Onyx");
  EXPECT_TRUE(CInstallSession::Get().Silent);
  EXPECT_EQ(U16(CInstallSession::Get().DistributorID), u"77");
  EXPECT_EQ(U16(CInstallSession::Get().LibraryFolder), Setup() + u"Library\\");
  // The launcher takes the product's name; a second run changes nothing.
  EXPECT_TRUE(Exists(Setup() + u"System\\Always Overwrite\\Auralis Launcher.exe"));
  EXPECT_FALSE(Exists(Setup() + u"System\\Always Overwrite\\Pellanor Launcher.exe"));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Exists(Setup() + u"System\\Always Overwrite\\Auralis Launcher.exe"));
}

// Start-up writes nothing to its medium but the launcher's new name: a medium
// that refuses it, or a full drive, still reaches the wizard.
TEST_F(CInstallAppTest, ReadOnlyOrFullSetupMediumStillStarts) {
  struct Case {
    const char* name;
    bool denied;
    bool full;
    bool renamed;
  } cases[] = {
      {"read-only", true, false, false},
      {"full", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ks::sys::MoveFile((Setup() + u"System\\Always Overwrite\\Auralis Launcher.exe").c_str(),
                      (Setup() + u"System\\Always Overwrite\\Pellanor Launcher.exe").c_str());
    if (c.denied) sim::DenyAccess(Setup() + u"System");
    if (c.full) {
      ASSERT_TRUE(sim::SetFreeSpace('C', 0));
    }
    tools.lines.clear();
    EXPECT_EQ(Run(), 0);
    sim::AllowAccess(Setup() + u"System");
    ASSERT_TRUE(sim::SetFreeSpace('C', 1ull << 30));
    EXPECT_TRUE(wizardRan);
    EXPECT_EQ(Exists(Setup() + u"System\\Always Overwrite\\Auralis Launcher.exe"), c.renamed);
    EXPECT_EQ(tools.HasLine(u"Launcher not renamed to Auralis Launcher.exe (error 5)"), c.denied);
  }
}

TEST_F(CInstallAppTest, LanguageChooserOnlyWhenTheProductAsks) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(tools.languageChoices, 0);
  tools.numbers[u"/*/Installer/ShowLanguageSelection"] = 1;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(tools.languageChoices, 1);
}

// Each failing check shows its own message and ends start-up before the wizard.
TEST_F(CInstallAppTest, FailingChecksShowTheirMessageAndEnd) {
  struct Case {
    const char* name;
    std::function<void(sim::Identity&)> machine;
    std::u16string title;
    std::u16string text;
  } cases[] = {
      {"no administrator", [](sim::Identity& id) { id.administrator = false; }, u"[Information]",
       u"[Sorry, but you do not have sufficient rights to install the program.\r\n]"
       u"[Please make sure you have administrative rights before you begin the installation.]"},
      {"no SSE2", [](sim::Identity& id) { id.cpuFeatures &= ~(1ull << 10); }, u"[SSE2 Not Available]",
       u"[The Auralis 22 Install Wizard failed to detect an SSE2-capable CPU.\r\n\r\n]"
       u"[Auralis 22 requires SSE2 capabilities to run.  Setup will now abort.]"},
      {"SSE2 without MMX", [](sim::Identity& id) { id.cpuFeatures &= ~(1ull << 3); }, u"[SSE2 Not Available]",
       u"[The Auralis 22 Install Wizard failed to detect an SSE2-capable CPU.\r\n\r\n]"
       u"[Auralis 22 requires SSE2 capabilities to run.  Setup will now abort.]"},
      {"NT 4", [](sim::Identity& id) { id.major = 4, id.minor = 0; }, u"[Operating System Not Supported]",
       u"[The Auralis 22 Install Wizard can not run on this version of Microsoft Windows.\r\n\r\n]"
       u"[Auralis 22 requires Windows 2000 or later.  Setup will now abort.]"},
      {"Windows Me", [](sim::Identity& id) { id.platformId = 1, id.major = 4, id.minor = 90; },
       u"[Operating System Not Supported]",
       u"[The Auralis 22 Install Wizard can not run on this version of Microsoft Windows.\r\n\r\n]"
       u"[Auralis 22 requires Windows 2000 or later.  Setup will now abort.]"},
  };
  tools.markTranslations = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetIdentity([](sim::Identity& id) { id = sim::Identity(); });
    SetIdentity(c.machine);
    tools.messages.clear();
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(wizardRan);
    ASSERT_EQ(tools.messages.size(), 1u);
    EXPECT_EQ(tools.messages[0].title, c.title);
    EXPECT_EQ(tools.messages[0].text, c.text);
    EXPECT_EQ(tools.messages[0].buttons, std::vector<std::u16string>{u"[OK]"});
  }
}

TEST_F(CInstallAppTest, OperatingSystemCodes) {
  struct Case {
    const char* name;
    sys::DWORD platform, major, minor;
    bool accepted;
  } cases[] = {
      {"Windows 2000", 2, 5, 0, true}, {"XP", 2, 5, 1, true},       {"Windows 10", 2, 10, 0, true},
      {"future NT", 2, 11, 0, true},   {"NT 4", 2, 4, 0, false},    {"Windows 98", 1, 4, 10, false},
      {"unknown", 3, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetIdentity([&](sim::Identity& id) { id.platformId = c.platform, id.major = c.major, id.minor = c.minor; });
    tools.messages.clear();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(wizardRan, c.accepted);
  }
}

TEST_F(CInstallAppTest, ControlShiftFSkipsEveryCheck) {
  SetIdentity([](sim::Identity& id) {
    id.administrator = false;
    id.cpuFeatures = 0;
    id.major = 4;
    id.webBrowserControl = false;
  });
  for (int key : {0x10, 0x11, 0x46}) sim::SetKeyState(key, static_cast<sys::SHORT>(0x8000));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(wizardRan);
  EXPECT_TRUE(tools.messages.empty());
  EXPECT_TRUE(tools.HasLine(u"Pre-flight checks skipped"));

  // Two of the three keys are not enough.
  sim::SetKeyState('F', 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(wizardRan);
  EXPECT_EQ(Titles(), std::vector<std::u16string>{u"Information"});
}

TEST_F(CInstallAppTest, SecondInstallerIsToldAnotherOneRuns) {
  KsHandle first(sys::CreateMutex(nullptr, sys::FALSE, CInstallApp::kMutexName));
  ASSERT_TRUE(first);
  tools.markTranslations = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(wizardRan);
  ASSERT_EQ(tools.messages.size(), 1u);
  EXPECT_EQ(tools.messages[0].title, u"Kestrune Installer") << "the title is not translated";
  EXPECT_EQ(tools.messages[0].text,
            u"[Another instance of the Kestrune installer is already running on this system.\r\n\r\n]"
            u"[Please finish any other Kestrune installations and try again.]");
  // The skin was applied before the message, and nothing was touched.
  EXPECT_FALSE(tools.skinFolder.empty());
  EXPECT_TRUE(Exists(Setup() + u"System\\Always Overwrite\\Pellanor Launcher.exe"));
}

TEST_F(CInstallAppTest, RightsProbeLeavesNothingBehind) {
  EXPECT_EQ(Run(), 0);
  ASSERT_TRUE(wizardRan);
  KsRegKey key;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"Software\\Quorvane", 0, sys::KEY_READ, key.Receive()), 0);
  sys::DWORD subkeys = 1, values = 1;
  ASSERT_EQ(sys::RegQueryInfoKey(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);
}

TEST_F(CInstallAppTest, StaleVirtualisedKeysAreRemoved) {
  const std::u16string store = u"Software\\Classes\\VirtualStore\\Machine\\Software";
  for (const std::u16string& path : {store + u"\\Quorvane", store + u"\\Wow6432Node\\Quorvane"}) {
    KsRegKey key;
    ASSERT_EQ(sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS, nullptr,
                                  key.Receive(), nullptr),
              0);
  }
  EXPECT_EQ(Run(), 0);
  for (const std::u16string& path : {store + u"\\Quorvane", store + u"\\Wow6432Node\\Quorvane"}) {
    KsRegKey key;
    EXPECT_NE(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, path.c_str(), 0, sys::KEY_READ, key.Receive()), 0)
        << Narrow(path);
  }
}

// The stored skin is taken only when its main.xml is of version 3.0 (within
// 0.01), of an allowed style and has a MAINFRAME; else the product's skin.
TEST_F(CInstallAppTest, StoredSkinSelection) {
  struct Case {
    const char* name;
    const char* mainXml;  // null: no main.xml
    bool taken;
  } cases[] = {
      {"version 3.005", "<SVMS version=\"3.005\" style=\"Compact\"><MAINFRAME/></SVMS>", true},
      {"version 3.0", kValidSkin, true},
      {"version 3.02", "<SVMS version=\"3.02\" style=\"Standard\"><MAINFRAME/></SVMS>", false},
      {"version 2.995", "<SVMS version=\"2.995\" style=\"Standard\"><MAINFRAME/></SVMS>", true},
      {"other style", "<SVMS version=\"3.0\" style=\"Wide\"><MAINFRAME/></SVMS>", false},
      {"no MAINFRAME", "<SVMS version=\"3.0\" style=\"Standard\"><PANEL/></SVMS>", false},
      {"other root", "<SKIN version=\"3.0\" style=\"Standard\"><MAINFRAME/></SKIN>", false},
      {"malformed", "<SVMS version=\"3.0\" style=\"Standard\"><MAINFRAME>", false},
      {"empty", "", false},
      {"missing", nullptr, false},
  };
  const std::u16string skins = Setup() + u"Sonavel\\Skins\\Standard View\\";
  const std::u16string stored = skins + u"Ruby";
  tools.properties.values[u"Standard View Skin"] = stored;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ks::sys::DeleteFile((stored + u"\\main.xml").c_str());
    if (c.mainXml != nullptr) WriteFile(stored + u"\\main.xml", c.mainXml);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(tools.skinFolder, skins + (c.taken ? u"Ruby" : u"Onyx"));
  }
}

TEST_F(CInstallAppTest, SkinRulesOfTheProductInformation) {
  // The key of the stored choice comes from the product information; an empty
  // style list allows only skins without a style.
  tools.texts[u"/*/General/MegaSkinKey"] = u"Chosen Skin";
  tools.texts[u"/*/General/MegaSkinStyles"] = u"";
  const std::u16string skins = Setup() + u"Sonavel\\Skins\\Standard View\\";
  WriteFile(skins + u"Plain\\main.xml", "<SVMS version=\"3\"><MAINFRAME/></SVMS>");
  tools.properties.values[u"Chosen Skin"] = skins + u"Plain\\\\";
  tools.Attach();
  tools.loaded = true;
  EXPECT_EQ(U16(ChooseSkinFolder(KsString(std::u16string_view(Setup())))), skins + u"Plain");
  EXPECT_FALSE(IsValidSkin(KsString(std::u16string_view(skins + u"Onyx\\"))));
  EXPECT_FALSE(IsValidSkin(KsString()));
}

// The product information cannot be had: the platform's own box names the
// installer and the reason, and nothing else appears.
TEST_F(CInstallAppTest, CriticalErrorWhenTheProductInformationFails) {
  struct Case {
    const char* name;
    bool loadable;
    bool loadSucceeds;
    std::u16string error;
    std::u16string reason;
  } cases[] = {
      {"no module", false, true, u"", u"Failed to load KsTools"},
      {"load error", true, false, u"Product file damaged", u"Product file damaged"},
      {"load error without text", true, false, u"", u"Unknown error loading product information"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tools.loadSucceeds = c.loadSucceeds;
    tools.loadError = c.error;
    tools.loaded = false;
    tools.messages.clear();
    TestInstallApp app(tools, Setup());
    app.loadable = c.loadable;
    EXPECT_EQ(app.ProgramEntry(nullptr, nullptr, sys::SW_SHOWNORMAL), 0);
    EXPECT_FALSE(app.wizardRan);
    EXPECT_TRUE(tools.messages.empty());
    EXPECT_EQ(KsToolsRoot(), nullptr) << "the module is unloaded again";
    const std::vector<std::string> journal = sim::ReadJournal();
    ASSERT_FALSE(journal.empty());
    std::string expected = "MessageBox\tCritical Error\tThe following module has failed to load:\r\n" +
                           Narrow(Setup()) +
                           "KestruneSetup.exe\r\n\r\nIt has reported the following error:\r\n\r\n" +
                           Narrow(c.reason) +
                           "\r\n\r\nPlease reinstall the latest version of the program.\ttype=0x0 answer=1";
    // The journal keeps one line per entry: line feeds are written as blanks.
    std::replace(expected.begin(), expected.end(), '\n', ' ');
    EXPECT_EQ(journal.back(), expected);
  }
}
