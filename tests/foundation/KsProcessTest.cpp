#include "foundation/KsProcess.h"

#include "RecordingTools.h"
#include "TestMachine.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsStringArray.h"
#include "platform/SysFile.h"
#include "platform/SysSystem.h"

namespace {

class KsProcessTest : public TestMachine {
 protected:
  void TearDown() override {
    KsProductPaths::ReleaseInstance();  // the record belongs to this test's machine
    TestMachine::TearDown();
  }

  static KsStringArray List(std::initializer_list<const KsChar*> items) {
    KsStringArray list;
    for (const KsChar* item : items) list.Add(item);
    return list;
  }

  std::u16string CurrentDirectory() {
    ks::sys::WCHAR buffer[ks::sys::MAX_PATH] = {};
    ks::sys::GetCurrentDirectory(ks::sys::MAX_PATH, buffer);
    return buffer;
  }
};

}  // namespace

TEST_F(KsProcessTest, RegistrableFileIsATextTest) {
  struct Case {
    const KsChar* path;
    bool registrable;
  };
  const Case cases[] = {
      {u"C:\\P\\filter.ax", true},         {u"C:\\P\\codec.dll", true},   {u"C:\\P\\control.ocx", true},
      {u"C:\\P\\readme.txt", false},       {u"C:\\P\\CODEC.DLL", false},  {u"", false},
      {u"C:\\x.dll.d\\notes.txt", true},   {u"C:\\P\\a.axe", true},       {u"C:\\P\\dll", false},
  };
  for (const Case& item : cases)
    EXPECT_EQ(IsRegistrableFile(item.path), item.registrable) << Narrow(item.path);
}

TEST_F(KsProcessTest, EmptyFileNameStartsNothing) {
  RecordingTools tools;
  EXPECT_FALSE(RunProgram(u"", List({u"exit", u"0"}), true, true, false, -1));
  EXPECT_TRUE(tools.LinesStartingWith(u"Filename:").empty());
  EXPECT_TRUE(tools.LinesStartingWith(u"Performing").empty());
}

// A program that ends by itself: the whole log of the run, in order.
TEST_F(KsProcessTest, WaitedProgramLogsEachStep) {
  RecordingTools tools;
  const std::u16string child = ChildProgram();
  ASSERT_TRUE(RunProgram(child.c_str(), List({u"exit", u"3"}), false, true, false, 15000));
  std::vector<std::u16string> lines = tools.Lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], u"RunProgram: Start");
  EXPECT_EQ(lines[1], u"RunProgram: Filename: " + child + u" / Parameters: exit 3");
  EXPECT_EQ(lines[2], u"RunProgram: Performing ShellExecute...");
  EXPECT_EQ(lines[3], u"RunProgram: Running process...");
  EXPECT_EQ(lines[4], u"RunProgram: Waiting for completion");
  EXPECT_EQ(lines[5], u"RunProgram: Finished");
  EXPECT_EQ(lines[6], u"RunProgram: Done waiting");
  EXPECT_EQ(lines[7].rfind(u"RunProgram: Finish (", 0), 0u);
}

// The parameters reach the program joined by single blanks.
TEST_F(KsProcessTest, ParametersAreJoinedWithBlanks) {
  const std::u16string child = ChildProgram();
  const std::u16string report = Path(u"who.txt");
  ASSERT_TRUE(RunProgram(child.c_str(), List({u"whoami", report.c_str()}), true, true, true, -1));
  EXPECT_EQ(ReadText(report), Narrow(child + u"|\"" + child + u"\" whoami " + report));

  ASSERT_TRUE(RunProgramAndWait(child.c_str(), false, (u"whoami " + report).c_str(), false, -1));
  EXPECT_EQ(ReadText(report), Narrow(child + u"|\"" + child + u"\" whoami " + report));
}

TEST_F(KsProcessTest, ProgramThatDoesNotStartIsLoggedAndFalse) {
  RecordingTools tools;
  // Hidden: shown, the shell would put up its own error box and wait for a person.
  EXPECT_FALSE(RunProgram(Path(u"missing.exe").c_str(), List({}), false, true, false, -1));
  EXPECT_EQ(tools.LinesStartingWith(u"Failed to start (error 2)").size(), 1u);
  EXPECT_TRUE(tools.LinesStartingWith(u"Running process").empty());
}

TEST_F(KsProcessTest, ProgramNotWaitedForIsStartedAndReleased) {
  RecordingTools tools;
  EXPECT_TRUE(RunProgram(ChildProgram().c_str(), List({u"exit", u"0"}), true, false, false, -1));
  EXPECT_EQ(tools.LinesStartingWith(u"Running process...").size(), 1u);
  EXPECT_TRUE(tools.LinesStartingWith(u"Waiting").empty());
}

// The package installer is found in the program folder, or by its bare name.
TEST_F(KsProcessTest, PackageInstallerRunsFromTheProgramFolder) {
  EXPECT_FALSE(RunPackageInstallerCommand(u"exit 0"));  // bare name: not on this machine

  // Moved, not copied: the simulated machine's copies lose the host's execute bit.
  ASSERT_TRUE(ks::sys::MoveFile(ChildProgram().c_str(), Path(u"PackageInstaller.exe").c_str()));
  KsProductPaths paths;
  paths.SetInstallPath(Root().c_str(), false, false);
  const std::u16string report = Path(u"who.txt");
  EXPECT_TRUE(RunPackageInstallerCommand((u"whoami " + report).c_str()));
  EXPECT_EQ(ReadText(report), Narrow(Path(u"PackageInstaller.exe") + u"|\"" + Path(u"PackageInstaller.exe") +
                                     u"\" whoami " + report));
}

// The working folder is the module's during the call and restored after it,
// whatever the outcome.
TEST_F(KsProcessTest, RegisterInProcessRestoresTheWorkingFolder) {
  ks::sys::WCHAR system[ks::sys::MAX_PATH] = {};
  ASSERT_GT(ks::sys::GetSystemDirectory(system, ks::sys::MAX_PATH), 0u);
  struct Case {
    std::u16string path;
    bool registered;
  };
  const Case cases[] = {
      {TestModule(), true},
      {Path(u"missing.dll"), false},
      {std::u16string(system) + u"\\kernel32.dll", false},  // loads, but has no DllRegisterServer
  };
  ASSERT_TRUE(ks::sys::SetCurrentDirectory(u"C:\\Windows"));
  const std::u16string before = CurrentDirectory();
  for (const Case& item : cases) {
    EXPECT_EQ(RegisterInProcess(item.path.c_str()), item.registered) << Narrow(item.path);
    EXPECT_EQ(CurrentDirectory(), before) << Narrow(item.path);
  }
}
