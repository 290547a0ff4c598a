#include "foundation/KsResourceFile.h"

#include <string>
#include <vector>

#include "FoundationTestTools.h"
#include "foundation/KsFileSystem.h"

namespace {

// The product's data folder is the scratch folder's "Data".
class KsResourceFileTest : public PathsMachine {
 protected:
  void SetUp() override {
    PathsMachine::SetUp();
    KsProductPaths::Get().SetWorkingProgramFolder(Ks(Root()));
  }
  void Place(const std::vector<std::u16string>& files) {
    for (const auto& file : files) {
      const std::u16string path = Path(u"Data\\" + file);
      ASSERT_TRUE(KsFileSystem::CreateFolder(Ks(path.substr(0, path.rfind(u'\\')))));
      ASSERT_TRUE(WriteText(path, "x"));
    }
  }
};

}  // namespace

// Custom folders come before default ones, folders before image extensions,
// and within an extension the language variant before the plain name.
TEST_F(KsResourceFileTest, FirstExistingCandidateWins) {
  struct Case {
    const char* rule;
    std::vector<std::u16string> files;
    int kind;
    std::u16string name;
    std::u16string language;
    std::u16string expected;  // below Data\, empty: nothing found
  };
  const Case cases[] = {
      {"custom art overrides default art", {u"Custom Art\\Application.ico", u"Default Art\\Application.ico"},
       kKsResourceArt, u"Application.ico", u"", u"Custom Art\\Application.ico"},
      {"default resources when no custom copy", {u"Default Resources\\FileAssociations.xml"},
       kKsResourceResources, u"FileAssociations.xml", u"", u"Default Resources\\FileAssociations.xml"},
      {"names may hold subfolders", {u"Default Resources\\Icons\\a.ico"}, kKsResourceResources,
       u"Icons\\a.ico", u"", u"Default Resources\\Icons\\a.ico"},
      {"extensions are tried in turn", {u"Default Resources\\Logo.png", u"Default Resources\\Logo - German.jpg"},
       kKsResourceResources, u"image:Logo", u"German", u"Default Resources\\Logo.png"},
      {"language variant first for one extension",
       {u"Default Resources\\Logo.png", u"Default Resources\\Logo - German.png"}, kKsResourceResources,
       u"image:Logo", u"German", u"Default Resources\\Logo - German.png"},
      {"folders before extensions", {u"Custom Resources\\Logo.bmp", u"Default Resources\\Logo.png"},
       kKsResourceResources, u"image:Logo", u"", u"Custom Resources\\Logo.bmp"},
      {"the image prefix is case-sensitive", {u"Default Resources\\Logo.png"}, kKsResourceResources,
       u"Image:Logo", u"", u""},
      {"nothing there", {}, kKsResourceArt, u"Missing.ico", u"", u""},
      {"art kind does not search resources", {u"Default Resources\\a.ico"}, kKsResourceArt, u"a.ico", u"", u""},
      {"unknown kind", {u"Default Resources\\a.ico"}, 1, u"a.ico", u"", u""},
  };
  for (const Case& test : cases) {
    Place(test.files);
    FakeTools tools;
    tools.languageName = test.language;
    const KsString found = FindResourceFile(test.kind, Ks(test.name));
    const std::u16string expected = test.expected.empty() ? u"" : Path(u"Data\\" + test.expected);
    EXPECT_EQ(std::u16string(found.View()), expected) << test.rule;
    ASSERT_TRUE(KsFileSystem::DeleteFolder(Ks(Path(u"Data"))));
  }
}

// Without the tools module there is no language, so only plain names count.
TEST_F(KsResourceFileTest, WithoutToolsModuleLanguageVariantsAreSkipped) {
  Place({u"Default Art\\Logo - German.png", u"Default Art\\Logo.gif"});
  EXPECT_EQ(FindResourceFile(kKsResourceArt, u"image:Logo"), Ks(Path(u"Data\\Default Art\\Logo.gif")));
  EXPECT_EQ(FindResourceFile(kKsResourceArt, u""), u"");
}

// While the module is loaded its file service decides what exists.
TEST_F(KsResourceFileTest, FileServiceAnswersWhenOffered) {
  Place({u"Default Art\\Application.ico"});
  FakeTools tools;
  tools.offerFileService = true;  // says nothing exists
  EXPECT_EQ(FindResourceFile(kKsResourceArt, u"Application.ico"), u"");
  ASSERT_EQ(tools.fileServiceAsked.size(), 2u);
  EXPECT_EQ(tools.fileServiceAsked[0], Path(u"Data\\Custom Art\\Application.ico"));
}
