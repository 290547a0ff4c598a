// The install session: its defaults, the command-line rules, Install.xml with
// its fallbacks, the support-folder services and the version comparison.

#include <algorithm>

#include "Install/CInstallSession.h"
#include "InstallTest.h"
#include "foundation/KsProductPaths.h"

namespace {

// The option flags as letters: S Silent, U Upgrade, A NoAssociations,
// D NoDependencies, G NoUpgrade, V NoDriver, R NoRun.
std::string FlagLetters(const CInstallSession& s) {
  std::string letters;
  if (s.Silent) letters += 'S';
  if (s.Upgrade) letters += 'U';
  if (s.NoAssociations) letters += 'A';
  if (s.NoDependencies) letters += 'D';
  if (s.NoUpgrade) letters += 'G';
  if (s.NoDriver) letters += 'V';
  if (s.NoRun) letters += 'R';
  return letters;
}

}  // namespace

using CInstallSessionTest = InstallTest;

TEST_F(CInstallSessionTest, DefaultsAreThoseOfAFreshSession) {
  const CInstallSession& s = CInstallSession::Get();
  EXPECT_TRUE(s.AllowDowngrade);
  EXPECT_TRUE(s.ShellExtensionReplaced);
  EXPECT_FALSE(s.Silent || s.Upgrade || s.AutoInstall || s.Portable || s.AutoInstallFromWelcome ||
               s.SameVersionInstalled || s.NoAssociations || s.NoDependencies || s.NoUpgrade || s.NoRun ||
               s.NoDriver || s.RestartNeeded);
  EXPECT_TRUE(s.DestinationFolder.IsEmpty() && s.UninstallKeyName.IsEmpty() && s.LibraryFolder.IsEmpty() &&
              s.BundledMediaFolder.IsEmpty() && s.DistributorID.IsEmpty());
  EXPECT_TRUE(s.SupportFolders.IsEmpty() && s.DelayedOperations.IsEmpty() && s.PreviousInstallFolders.IsEmpty() &&
              s.RegisterAfterRestart.IsEmpty());
}

// Options are "/"-separated pieces; a piece counts when it starts with an
// option name (any case); the text before the first "/" is dropped.
TEST_F(CInstallSessionTest, CommandLineRules) {
  struct Case {
    const char16_t* arguments;
    const char* flags;
    const char16_t* distributor;
  } cases[] = {
      {u"/SILENT", "S", u""},
      {u"/silentXYZ", "S", u""},
      {u"-Silent", "", u""},
      {u"Silent", "", u""},
      {u"/DistributorID=abc", "", u"=abc"},
      {u"/DistributorID  abc  ", "", u"abc"},
      {u"/DistributorID", "", u""},
      {u"/Upgrade 5", "U", u""},
      {u"/Silent/NoRun", "SR", u""},
      {u"/Silent /NoRun", "SR", u""},
      {u"setup.exe /NoAssociations/NoDependencies/NoUpgrade/NoDriver", "ADGV", u""},
      {u"/NoRunUpgrade", "R", u""},
      {u"//Silent//", "S", u""},
      {u"/", "", u""},
      {u"", "", u""},
      {u"/Sil", "", u""},
      {u"/ Silent", "", u""},
      {u"/distributorid 12/silent", "S", u"12"},
  };
  for (const Case& c : cases) {
    CInstallSession::Get().Reset();
    CInstallSession::Get().ReadCommandLine(KsString(c.arguments));
    EXPECT_EQ(FlagLetters(CInstallSession::Get()), c.flags) << "arguments: " << Narrow(c.arguments);
    EXPECT_EQ(U16(CInstallSession::Get().DistributorID), c.distributor) << "arguments: " << Narrow(c.arguments);
  }
}

TEST_F(CInstallSessionTest, VeryLongCommandLineIsReadWithoutHarm) {
  std::u16string arguments(100000, u'x');
  arguments += u"/Silent";
  for (int i = 0; i < 5000; ++i) arguments += u"/";
  arguments += u"/DistributorID " + std::u16string(50000, u'7');
  CInstallSession::Get().ReadCommandLine(KsString(std::u16string_view(arguments)));
  EXPECT_TRUE(CInstallSession::Get().Silent);
  EXPECT_EQ(CInstallSession::Get().DistributorID.GetLength(), 50000);
}

// Install.xml: read from the setup folder, else from its parent; the version
// must be at least 1.0; folders count only when they exist.
TEST_F(CInstallSessionTest, InstallXmlRules) {
  struct Case {
    const char* name;
    const char* xml;          // null: no Install.xml in the setup folder
    const char* parentXml;    // null: none in the parent folder
    bool allowDowngrade;
    int supportFolders;       // "Support\\" plus the ones Install.xml adds
    bool bundledMedia;
  } cases[] = {
      {"missing everywhere", nullptr, nullptr, true, 1, false},
      {"parent folder fallback", nullptr,
       "<KsIC version=\"1.0\"><Settings><AllowDowngrade>0</AllowDowngrade></Settings></KsIC>", false, 1, false},
      {"version below 1.0", "<KsIC version=\"0.9\"><Settings><AllowDowngrade>0</AllowDowngrade>"
                            "<SupportFiles>Extra</SupportFiles></Settings></KsIC>",
       nullptr, true, 1, false},
      {"no version", "<KsIC><Settings><AllowDowngrade>0</AllowDowngrade></Settings></KsIC>", nullptr, true, 1, false},
      {"downgrade 0", "<KsIC version=\"1.0\"><Settings><AllowDowngrade>0</AllowDowngrade></Settings></KsIC>", nullptr,
       false, 1, false},
      {"downgrade yes", "<KsIC version=\"1.0\"><Settings><AllowDowngrade>yes</AllowDowngrade></Settings></KsIC>",
       nullptr, false, 1, false},
      {"downgrade 5", "<KsIC version=\"2\"><Settings><AllowDowngrade> 5</AllowDowngrade></Settings></KsIC>", nullptr,
       true, 1, false},
      {"downgrade absent", "<KsIC version=\"1.0\"><Settings></Settings></KsIC>", nullptr, true, 1, false},
      {"existing folders", "<KsIC version=\"1.5\"><Settings><BundledMedia>Media</BundledMedia>"
                           "<SupportFiles>Extra</SupportFiles></Settings></KsIC>",
       nullptr, true, 2, true},
      {"missing folders", "<KsIC version=\"1.5\"><Settings><SupportFiles>Nowhere</SupportFiles>"
                          "<BundledMedia>Gone</BundledMedia></Settings></KsIC>",
       nullptr, true, 1, false},
      {"other root", "<Other version=\"1.0\"><Settings><AllowDowngrade>0</AllowDowngrade></Settings></Other>",
       nullptr, true, 1, false},
      {"malformed", "<KsIC version=\"1.0\"><Settings><AllowDowngrade>0</Allow", nullptr, true, 1, false},
      {"empty file", "", nullptr, true, 1, false},
      {"binary junk", "\x01\xff\xfe<\x00<<>>&&", nullptr, true, 1, false},
  };
  MakeFolder(Setup() + u"Extra\\");
  MakeFolder(Setup() + u"Media\\");
  const std::u16string own = Setup() + u"Install.xml";
  const std::u16string parent = Root() + u"\\Install.xml";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ks::sys::DeleteFile(own.c_str());
    ks::sys::DeleteFile(parent.c_str());
    if (c.xml != nullptr) WriteFile(own, c.xml);
    if (c.parentXml != nullptr) WriteFile(parent, c.parentXml);
    CInstallSession& session = CInstallSession::Get();
    session.Reset();
    session.BuildSession(KsString(std::u16string_view(Setup())));
    EXPECT_EQ(session.AllowDowngrade, c.allowDowngrade);
    ASSERT_EQ(session.SupportFolders.GetSize(), c.supportFolders);
    EXPECT_EQ(U16(session.SupportFolders[0]), Setup() + u"Support\\");
    if (c.supportFolders > 1) {
      EXPECT_EQ(U16(session.SupportFolders[1]), Setup() + u"Extra\\");
    }
    EXPECT_EQ(U16(session.BundledMediaFolder), c.bundledMedia ? Setup() + u"Media\\" : u"");
    EXPECT_EQ(U16(session.LibraryFolder), Setup() + u"Library\\");
  }
}

TEST_F(CInstallSessionTest, SupportFilesAreFoundInFolderOrder) {
  WriteFile(Setup() + u"Install.xml",
            "<KsIC version=\"1.0\"><Settings><SupportFiles>" + Narrow(Root()) +
                "\\More</SupportFiles></Settings></KsIC>");
  WriteFile(Root() + u"\\More\\dx.exe", "x");
  WriteFile(Root() + u"\\More\\a.svp", "p");
  WriteFile(Setup() + u"Support\\Packages\\Deep\\b.svp", "p");
  WriteFile(Setup() + u"Support\\c.SVP", "p");
  WriteFile(Setup() + u"Support\\readme.txt", "t");
  CInstallSession& session = CInstallSession::Get();
  session.BuildSession(KsString(std::u16string_view(Setup())));
  ASSERT_EQ(session.SupportFolders.GetSize(), 2);

  EXPECT_EQ(U16(session.FindSupportFile(u"dx.exe", true)), Root() + u"\\More\\dx.exe");
  EXPECT_EQ(U16(session.FindSupportFile(u"dx.exe", false)), Setup() + u"Support\\dx.exe");
  EXPECT_EQ(U16(session.FindSupportFile(u"none.exe", true)), u"");

  KsStringArray packages;
  packages.Add(KsString(u"stale"));
  session.ListPackages(packages);
  std::vector<std::u16string> found;
  for (const KsString& p : packages) found.push_back(U16(p));
  std::vector<std::u16string> firstFolder(found.begin(), found.end() - 1);
  std::sort(firstFolder.begin(), firstFolder.end());
  EXPECT_EQ(firstFolder, (std::vector<std::u16string>{Setup() + u"Support\\Packages\\Deep\\b.svp",
                                                      Setup() + u"Support\\c.SVP"}));
  EXPECT_EQ(found.back(), Root() + u"\\More\\a.svp") << "support folders are listed in order";

  session.SupportFolders.RemoveAll();
  EXPECT_EQ(U16(session.FindSupportFile(u"dx.exe", false)), u"");
}

TEST_F(CInstallSessionTest, DestinationFolderKeepsOneBackslash) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"C:\\Apps\\Auralis", u"C:\\Apps\\Auralis\\"},
      {u"C:\\Apps\\Auralis\\", u"C:\\Apps\\Auralis\\"},
      {u"C:\\Apps\\Auralis\\\\\\", u"C:\\Apps\\Auralis\\"},
      {u"", u""},
  };
  for (const auto& [given, stored] : cases) {
    CInstallSession::Get().SetDestinationFolder(KsString(given));
    EXPECT_EQ(U16(CInstallSession::Get().GetDestinationFolder()), stored) << Narrow(given);
  }
}

TEST_F(CInstallSessionTest, ProgramFolderFollowsTheDestination) {
  CInstallSession::Get().SetDestinationFolder(KsString(u"D:\\Target"));
  CInstallSession::Get().SetProgramFolderToDestination();
  EXPECT_EQ(U16(KsProductPaths::Get().GetWorkingProgramFolder()), u"D:\\Target\\");
}

// Same-or-newer: only with downgrades forbidden and this version installed;
// then the installed main program's version against the new one's.
TEST_F(CInstallSessionTest, SameOrNewerInstalled) {
  struct Case {
    const char* name;
    bool allowDowngrade;
    bool sameVersionInstalled;
    int installed;  // build number of the installed file; -1: no file
    int fresh;      // build number of the new file; -1: no file
    bool expected;
  } cases[] = {
      {"downgrade allowed", true, true, 900, 100, false},
      {"not installed", false, false, 900, 100, false},
      {"installed newer", false, true, 900, 100, true},
      {"installed equal", false, true, 100, 100, true},
      {"installed older", false, true, 100, 900, false},
      {"installed missing", false, true, -1, 100, false},
      {"new missing", false, true, 100, -1, true},
  };
  AttachLoadedTools();
  const std::u16string installedFolder = Root() + u"\\Installed\\";
  MakeFolder(installedFolder);
  KsProductPaths::Get().SetInstallPath(KsString(std::u16string_view(installedFolder)), false, false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ks::sys::DeleteFile((installedFolder + u"Auralis.exe").c_str());
    ks::sys::DeleteFile((Setup() + u"Sonavel\\Auralis.exe").c_str());
    // High 16 bits of the low half differ: the comparison is over all 64 bits.
    if (c.installed >= 0) WriteVersionedFile(installedFolder + u"Auralis.exe", 22, 0, c.installed, 1);
    if (c.fresh >= 0) WriteVersionedFile(Setup() + u"Sonavel\\Auralis.exe", 22, 0, c.fresh, 0);
    CInstallSession& session = CInstallSession::Get();
    session.Reset();
    session.SetupFolder = KsString(std::u16string_view(Setup()));
    session.AllowDowngrade = c.allowDowngrade;
    session.SameVersionInstalled = c.sameVersionInstalled;
    EXPECT_EQ(session.IsSameOrNewerInstalled(), c.expected);
  }
}

TEST_F(CInstallSessionTest, InstallErrorJoinsItsTranslatedParts) {
  AttachLoadedTools();
  tools.markTranslations = true;
  CInstallSession::ShowInstallError();
  ASSERT_EQ(tools.messages.size(), 1u);
  EXPECT_EQ(tools.messages[0].title, u"[Install Error]");
  EXPECT_EQ(tools.messages[0].text,
            u"[Install Wizard encountered a critical error and must close.\r\n\r\n]"
            u"[It is recommended that you reboot your computer and install again.\r\n\r\n]"
            u"[If this error persists, please uninstall and then install again.]");
  EXPECT_EQ(tools.messages[0].buttons, std::vector<std::u16string>{u"[OK]"});
}
