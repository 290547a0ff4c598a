// The folder field's rules: how a typed folder is read, which texts get
// subfolder suggestions and what they are, and the folder chooser's round trip.

#include "ToolkitTest.h"
#include "ToolkitTestTools.h"

#include "platform/SysFile.h"
#include "toolkit/KsFilenameRules.h"

#include <algorithm>

using namespace ks::sys;

namespace {

std::string Text(const KsString& text) { return Narrow(std::u16string(text.View())); }

std::vector<std::string> Items(const KsStringArray& array) {
  std::vector<std::string> items;
  for (const KsString& item : array) items.push_back(Text(item));
  return items;
}

KsStringArray Extensions(std::initializer_list<const char16_t*> extensions) {
  KsStringArray array;
  for (const char16_t* extension : extensions) array.Add(KsString(extension));
  return array;
}

}  // namespace

// A folder is read with exactly one trailing backslash; the text of two
// backslashes alone is left for the page to refuse.
TEST(KsFilenameRules, NormalizeFolder) {
  struct Case {
    const char16_t* text;
    const char16_t* read;
  } cases[] = {
      {u"", u""},
      {u"C:\\Apps\\Tool", u"C:\\Apps\\Tool\\"},
      {u"C:\\Apps\\", u"C:\\Apps\\"},
      {u"C:\\Apps\\\\\\", u"C:\\Apps\\"},
      {u"C:", u"C:\\"},
      {u"\\", u"\\"},
      {u"\\\\", u"\\\\"},
      {u"\\\\\\", u"\\"},
      {u"\\\\server\\share", u"\\\\server\\share\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Text(KsFilenameRules::NormalizeFolder(KsString(c.text))), Narrow(c.read)) << Narrow(c.text);
}

// Only drive and network paths with a backslash past the first character get
// suggestions, from the folder up to the last backslash; URLs and the
// product's own library files never do.
TEST(KsFilenameRules, SuggestionFolder) {
  struct Case {
    const char16_t* typed;
    const char16_t* folder;
  } cases[] = {
      {u"C:\\Prog", u"C:\\"},
      {u"C:\\", u"C:\\"},
      {u"D:\\Media\\Mu", u"D:\\Media\\"},
      {u"\\\\server\\share\\", u"\\\\server\\share\\"},
      {u"\\\\server\\share\\Mu", u"\\\\server\\share\\"},
      {u"Prog", u""},
      {u"\\Prog", u""},
      {u"", u""},
      {u"C:Prog\\", u""},
      {u"Media\\Music\\", u""},
      {u"C:\\Media\\x://y\\", u""},
      {u"http://host/a\\b", u""},
      {u"(0x1234ABCD):\\Music\\", u""},
      {u"(12:\\Music\\", u""},
      {u"<XMLPH version=\"1\">\\", u""},
      {u"C:\\Music\\Library.XYZ\\", u""},
      {u"C:\\Music\\Library.abc\\", u"C:\\Music\\Library.abc\\"},
  };
  KsStringArray excluded = Extensions({u".xyz", u".tvx"});
  for (const Case& c : cases)
    EXPECT_EQ(Text(KsFilenameRules::SuggestionFolder(KsString(c.typed), excluded)), Narrow(c.folder))
        << Narrow(c.typed);
}

using KsFilenameSuggestionsTest = ToolkitTest;

// Subfolders only, not files or deeper folders, each ending in a backslash;
// what follows the last backslash is left to the suggestion list to match.
TEST_F(KsFilenameSuggestionsTest, OfferTheSubfoldersOfTheTypedFolder) {
  for (const char16_t* folder : {u"Program Files", u"ProgramData", u"Music", u"Music\\Albums"})
    ASSERT_TRUE(CreateDirectory(Path(folder).c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"Programs.txt"), "a file"));

  std::vector<std::string> offered = Items(KsFilenameRules::FolderSuggestions(KsString(Path(u"Prog")), {}));
  std::sort(offered.begin(), offered.end());  // the listing's order is the file system's
  EXPECT_EQ(offered, (std::vector<std::string>{"Music\\", "Program Files\\", "ProgramData\\"}));
  EXPECT_EQ(Items(KsFilenameRules::FolderSuggestions(KsString(Path(u"Music\\")), {})),
            std::vector<std::string>{"Albums\\"});
  EXPECT_TRUE(KsFilenameRules::FolderSuggestions(KsString(Path(u"Missing\\Deeper\\")), {}).IsEmpty());
  EXPECT_TRUE(KsFilenameRules::FolderSuggestions(KsString(u"Prog"), {}).IsEmpty());
}

class KsFilenameChooserTest : public ToolkitTest {
 protected:
  FakeToolkitTools tools;
};

// The chooser starts at the folder read from the field, under the translated
// title; its answer comes back unchanged, and a cancel gives empty text.
TEST_F(KsFilenameChooserTest, AsksTheMessageServiceFromTheFieldsFolder) {
  tools.chooserAnswer = u"D:\\Media";
  EXPECT_EQ(Text(KsFilenameRules::ChooseFolder(KsString(u"C:\\Apps\\Tool"))), "D:\\Media");
  EXPECT_EQ(Text(KsFilenameRules::NormalizeFolder(KsFilenameRules::ChooseFolder(KsString(u"")))), "D:\\Media\\");
  ASSERT_EQ(tools.chooserAsked.size(), 2u);
  EXPECT_EQ(Narrow(tools.chooserAsked[0]), "T:Select Path|C:\\Apps\\Tool\\");
  EXPECT_EQ(Narrow(tools.chooserAsked[1]), "T:Select Path|");

  tools.chooserAnswer = u"";
  EXPECT_TRUE(KsFilenameRules::ChooseFolder(KsString(u"C:\\Apps\\")).IsEmpty());
  tools.offerMessageService = false;
  tools.chooserAsked.clear();
  EXPECT_TRUE(KsFilenameRules::ChooseFolder(KsString(u"C:\\Apps\\")).IsEmpty());
  EXPECT_TRUE(tools.chooserAsked.empty());
}
