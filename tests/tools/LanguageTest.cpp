// Translation files, the language name and the language chooser.

#include "ToolsModuleTest.h"

using namespace ks;

namespace {

const char kGerman[] =
    "\xEF\xBB\xBF; translation file\r\n"
    "Language: Deutsch\r\n"
    "\r\n"
    "Information => Information\r\n"
    "Please close %s.\\r\\n => Bitte schlie\xC3\x9F" "en Sie %s.\\r\\n\r\n"
    "Path \\\\ and tab\\t => Pfad \\\\ und Tab\\t\r\n"
    "this line is no entry\r\n"
    "Yes => Ja\n";  // a last line without CR

class Language : public ToolsModuleTest {
 protected:
  void SetUp() override {
    ToolsModuleTest::SetUp();
    ASSERT_TRUE(WriteModuleFile(u"Languages\\English.lang", "Language: English\r\n"));
    ASSERT_TRUE(WriteModuleFile(u"Languages\\Deutsch.lang", kGerman));
  }
  IKsLanguageService* Service() { return Tools()->GetLanguageService(); }
};

}  // namespace

TEST_F(Language, TranslatesThroughTheChosenFile) {
  ASSERT_NE(LoadProduct(), nullptr);
  ASSERT_TRUE(Tools()->GetSettingsStore(u"Properties")->WriteText(u"Language", u"deutsch"));
  Tools()->OnProductInfoLoaded(0);  // reads the stored choice again
  EXPECT_EQ(Narrow(Service()->GetLanguageName()), "Deutsch");
  struct Case {
    const char16_t* text;
    const char* expected;
  };
  const Case cases[] = {
      {u"Information", "Information"},
      {u"Please close %s.\r\n", "Bitte schlie\xC3\x9F" "en Sie %s.\r\n"},
      {u"Path \\ and tab\t", "Pfad \\ und Tab\t"},
      {u"Yes", "Ja"},
      {u"yes", "yes"},  // entries match exactly
      {u"Not translated", "Not translated"},
      {u"this line is no entry", "this line is no entry"},
      {u"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Narrow(Service()->Translate(c.text)), c.expected) << Narrow(c.text);
  // KsTranslate of the program goes through the module.
  EXPECT_EQ(Narrow(KsTranslate(u"Yes")), "Ja");
}

TEST_F(Language, DefaultLanguageWithoutAStoredChoice) {
  ASSERT_NE(LoadProduct(), nullptr);
  EXPECT_EQ(Narrow(Service()->GetLanguageName()), "English");
  EXPECT_EQ(Narrow(Service()->Translate(u"Yes")), "Yes");
}

// A stored choice whose file is gone falls back to the default language; no
// translation files at all translate nothing.
TEST_F(Language, MissingFilesFallBack) {
  ASSERT_NE(LoadProduct(), nullptr);
  ASSERT_TRUE(Tools()->GetSettingsStore(u"Properties")->WriteText(u"Language", u"Klingon"));
  Tools()->OnProductInfoLoaded(0);
  EXPECT_EQ(Narrow(Service()->GetLanguageName()), "English");
}

TEST(LanguageWithoutModule, TranslateGivesTheTextItself) {
  EXPECT_EQ(KsToolsRoot(), nullptr);
  EXPECT_EQ(Narrow(KsTranslate(u"Yes")), "Yes");
}
