// Host-only: reads the simulated machine's journal and drives its virtual clock.
#include "foundation/KsProcess.h"

#include "RecordingTools.h"
#include "TestMachine.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsStringArray.h"
#include "platform/SysFile.h"
#include "platform/SysTime.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimMachine.h"

namespace {

class KsProcessSimTest : public TestMachine {
 protected:
  void TearDown() override {
    KsProductPaths::ReleaseInstance();  // the record belongs to this test's machine
    TestMachine::TearDown();
  }

  // Journal lines of one kind, without the kind.
  static std::vector<std::string> Journal(const std::string& what) {
    std::vector<std::string> found;
    for (const std::string& line : ks::sim::ReadJournal())
      if (line.rfind(what + "\t", 0) == 0) found.push_back(line.substr(what.size() + 1));
    return found;
  }
};

}  // namespace

// With a 15,000 ms limit and 500 ms steps, a program still running after the
// limit is terminated within one step of it, and the run answers false.
TEST_F(KsProcessSimTest, ProgramOutlivingItsLimitIsTerminated) {
  RecordingTools tools;
  ks::sim::UseVirtualTime(true);
  const ks::sys::DWORD start = ks::sys::GetTickCount();
  EXPECT_FALSE(RunProgramAndWait(ChildProgram().c_str(), true, u"sleep 600000", false, 15000));
  const ks::sys::DWORD waited = ks::sys::GetTickCount() - start;
  EXPECT_GT(waited, 15000u);
  EXPECT_LE(waited, 15500u);
  EXPECT_EQ(tools.LinesStartingWith(u"Timeout").size(), 1u);
  EXPECT_EQ(tools.LinesStartingWith(u"Done waiting").size(), 1u);
  EXPECT_TRUE(tools.LinesStartingWith(u"Finished").empty());
}

// Pumping shortens the wait step to 10 ms and hands each step to the window service.
TEST_F(KsProcessSimTest, PumpingWaitUsesShortSteps) {
  RecordingTools tools;
  ks::sim::UseVirtualTime(true);
  EXPECT_FALSE(RunProgramAndWait(ChildProgram().c_str(), true, u"sleep 600000", true, 1000));
  EXPECT_GE(tools.pumps, 90);
}

// RegSvr32 runs silently from the system folder with "/s ", "/u " when
// unregistering, and the quoted path; the native tool bypasses redirection.
// The helper program stands in for RegSvr32: the machine's own one cannot be
// started yet (its forked child waits forever on the machine lock).
TEST_F(KsProcessSimTest, RegSvr32GetsItsParameterText) {
  ks::sim::Identity identity = ks::sim::GetIdentity();
  identity.programs[u"regsvr32.exe"] = ks::sim::HostPath(ChildProgram());
  ASSERT_TRUE(ks::sim::SetIdentity(identity));
  struct Case {
    bool registerIt;
    bool nativeTool;
    const char* folder;
    const char* parameters;
  };
  const Case cases[] = {
      {true, false, "C:\\Windows\\SysWOW64\\", "/s \""},
      {false, false, "C:\\Windows\\SysWOW64\\", "/s /u \""},
      {true, true, "C:\\Windows\\System32\\", "/s \""},
      {true, false, "C:\\Windows\\SysWOW64\\", "/s \""},  // redirection is back on
  };
  const std::u16string module = Path(u"codec.dll");
  for (const Case& item : cases) {
    SCOPED_TRACE(std::string(item.folder) + " " + item.parameters);
    EXPECT_TRUE(RegisterWithRegSvr32(module.c_str(), item.registerIt, item.nativeTool));
    const std::vector<std::string> runs = Journal("run");
    ASSERT_FALSE(runs.empty());
    const std::string& run = runs.back();
    const std::string tail = std::string("\" ") + item.parameters + Narrow(module) + "\"";
    EXPECT_EQ(run.rfind(item.folder, 0), 0u) << run;
    ASSERT_GE(run.size(), tail.size());
    EXPECT_EQ(run.substr(run.size() - tail.size()), tail) << run;
  }
}

TEST_F(KsProcessSimTest, PackageInstallerGetsOneArgumentText) {
  struct Case {
    bool registerIt;
    const char* commandTail;
  };
  const Case cases[] = {{true, "\" /RegDLL Shell Extensions"}, {false, "\" /UnRegDLL Shell Extensions"}};
  // Moved, not copied: the simulated machine's copies lose the host's execute bit.
  ASSERT_TRUE(ks::sys::MoveFile(ChildProgram().c_str(), Path(u"PackageInstaller.exe").c_str()));
  KsProductPaths paths;
  paths.SetInstallPath(Root().c_str(), false, false);
  for (const Case& item : cases) {
    SCOPED_TRACE(item.commandTail);
    EXPECT_TRUE(RunPackageInstaller(u"Shell Extensions", item.registerIt));
    const std::vector<std::string> runs = Journal("run");
    ASSERT_FALSE(runs.empty());
    const std::string expected = Narrow(Path(u"PackageInstaller.exe")) + " \"" +
                                 Narrow(Path(u"PackageInstaller.exe")) + item.commandTail;
    EXPECT_EQ(runs.back(), expected);
  }
}

// A document goes to its handler, here one with no process to wait for: the
// run answers true at once although waiting was asked for. (On Windows the
// handler may be a new process, which is why this case runs on the host only.)
TEST_F(KsProcessSimTest, DocumentAnswersTrueWithoutWaiting) {
  RecordingTools tools;
  ASSERT_TRUE(WriteText(Path(u"notes.txt"), "text"));
  EXPECT_TRUE(RunProgram(Path(u"notes.txt").c_str(), KsStringArray(), true, true, false, -1));
  EXPECT_TRUE(tools.LinesStartingWith(u"Running process").empty());
  EXPECT_TRUE(tools.LinesStartingWith(u"Waiting").empty());
  ASSERT_FALSE(Journal("open").empty());
  EXPECT_EQ(Journal("open").back(), "open " + Narrow(Path(u"notes.txt")));
}
