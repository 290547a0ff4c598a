// The application object's entries: start-up, then the message loop only when
// start-up succeeded, and shut-down always; a library starts up on its first
// attach and shuts down when the last one detaches (or start-up failed).

#include <string>

#include "Install/KsApp.h"
#include "gtest/gtest.h"

namespace {

class RecordingApp : public KsApp {
 public:
  explicit RecordingApp(bool startUpSucceeds) : m_startUpSucceeds(startUpSucceeds) {}
  bool StartUp() override { return steps += "S", m_startUpSucceeds; }
  void RunMessageLoop() override { steps += "L"; }
  void ShutDown() override { steps += "D"; }
  std::string steps;

 private:
  bool m_startUpSucceeds;
};

}  // namespace

TEST(KsAppTest, ProgramEntry) {
  const std::pair<bool, const char*> cases[] = {{true, "SLD"}, {false, "SD"}};
  for (const auto& [succeeds, steps] : cases) {
    RecordingApp app(succeeds);
    EXPECT_EQ(KsApp::Instance(), &app);
    EXPECT_EQ(app.ProgramEntry(nullptr, nullptr, 5), 0);
    EXPECT_EQ(app.steps, steps);
    EXPECT_EQ(app.GetShowCommand(), 5);
  }
  EXPECT_EQ(KsApp::Instance(), nullptr);
}

TEST(KsAppTest, LibraryEntry) {
  RecordingApp app(true);
  EXPECT_TRUE(app.LibraryEntry(1, nullptr));
  EXPECT_TRUE(app.LibraryEntry(1, nullptr));
  EXPECT_EQ(app.Arguments().GetSize(), 1) << "the command line is added on the first attach only";
  EXPECT_TRUE(app.LibraryEntry(0, nullptr));
  EXPECT_EQ(app.steps, "S");
  EXPECT_TRUE(app.LibraryEntry(0, nullptr));
  EXPECT_EQ(app.steps, "SD");
  EXPECT_TRUE(app.LibraryEntry(0, nullptr));
  EXPECT_EQ(app.steps, "SD") << "a detach without attach changes nothing";

  RecordingApp failing(false);
  EXPECT_FALSE(failing.LibraryEntry(1, nullptr));
  EXPECT_TRUE(failing.LibraryEntry(0, nullptr));
  EXPECT_EQ(failing.steps, "SD");
}
