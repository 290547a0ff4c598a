#include "foundation/KsTools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/KsTraceScope.h"

namespace {

// A root offering only a log that keeps its lines.
class RecordingTools final : public IKsTools, public IKsLog {
 public:
  RecordingTools() { SetKsToolsRoot(this); }
  ~RecordingTools() { SetKsToolsRoot(nullptr); }

  void Log(int, const KsChar* tag, const KsChar* text) override {
    lines.push_back(std::u16string(tag) + u": " + std::u16string(text));
  }
  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return nullptr; }
  IKsProductInfo* GetProductInfo() override { return nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return nullptr; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return nullptr; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }
  IKsSettingsStore* GetSettingsStore(const KsChar*) override { return nullptr; }

  std::vector<std::u16string> lines;
};

}  // namespace

TEST(KsTools, AbsentModuleIsSkippedSilently) {
  ASSERT_EQ(KsToolsRoot(), nullptr);
  KsLog(kKsLogError, u"Tag", u"nobody hears this");
  { KsTraceScope scope(u"Scope"); }
  EXPECT_EQ(KsTranslate(u"Next >"), u"Next >");
  EXPECT_EQ(KsToolsSettingsStore(u"Properties"), nullptr);
}

TEST(KsTools, TraceScopeLogsStartAndFinish) {
  RecordingTools tools;
  { KsTraceScope scope(u"RunProgram"); }
  {
    KsTraceScope scope(u"Copy");
    scope.SetResult(3);
  }
  ASSERT_EQ(tools.lines.size(), 4u);
  EXPECT_EQ(tools.lines[0], u"RunProgram: Start");
  EXPECT_EQ(tools.lines[1].rfind(u"RunProgram: Finish (", 0), 0u);
  EXPECT_EQ(tools.lines[1].substr(tools.lines[1].size() - 4), u" ms)");
  EXPECT_EQ(tools.lines[3].rfind(u"Copy: Finish (result: 3) (", 0), 0u);
}
