#include "foundation/KsTools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingTools.h"
#include "foundation/KsTraceScope.h"

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
  const std::vector<std::u16string> lines = tools.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], u"RunProgram: Start");
  EXPECT_EQ(lines[1].rfind(u"RunProgram: Finish (", 0), 0u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 4), u" ms)");
  EXPECT_EQ(lines[3].rfind(u"Copy: Finish (result: 3) (", 0), 0u);
}
