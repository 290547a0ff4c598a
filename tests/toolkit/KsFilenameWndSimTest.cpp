// The folder field: how its text is read as a folder, which subfolders it
// suggests, and what Browse asks for and does with the answer.

#include "ToolkitTest.h"

#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsFilenameWnd.h"
#include "toolkit/UiDriver.h"

#include "foundation/KsTools.h"
#include "platform/SysFile.h"

#include <algorithm>

using namespace ks::sys;

namespace {

std::string Text(const KsString& text) { return Narrow(std::u16string(text.View())); }

// A tools root whose message service answers the folder chooser from a script.
class ChooserTools final : public IKsTools, public IKsMessageService {
 public:
  ChooserTools() { SetKsToolsRoot(this); }
  ~ChooserTools() { SetKsToolsRoot(nullptr); }

  int ShowMessage(const KsChar*, const KsChar*, const KsChar* const*, int, int) override { return -1; }
  void ShowWaitMessage(const KsChar*, int, bool, void (*)(void*), void*) override {}
  void HideWaitMessage() override {}
  KsString ChooseFolder(const KsChar* title, const KsChar* startFolder) override {
    asked.push_back(Narrow(title) + " | " + Narrow(startFolder));
    return answer;
  }

  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return nullptr; }
  IKsProductInfo* GetProductInfo(bool) override { return nullptr; }
  IKsLog* GetLog() override { return nullptr; }
  IKsMessageService* GetMessageService() override { return this; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return nullptr; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }
  IKsSettingsStore* GetSettingsStore(const KsChar*) override { return nullptr; }

  KsString answer;
  std::vector<std::string> asked;
};

class FolderFieldTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    ASSERT_TRUE(host.Create(nullptr, u"KsFolderFieldTestWnd", u"Page", WS_POPUP | WS_VISIBLE, 0,
                            Rect(0, 0, 400, 200)));
    SetForegroundWindow(host.GetHandle());
    KsFileName value(u"C:\\Program Files\\Auralis");
    ASSERT_TRUE(field.Create(&host, Rect(8, 8, 392, 24), value, KsFilenameWnd::kFolderKind, u""));
  }
  void TearDown() override {
    field.Destroy();
    host.Destroy();
    ToolkitTest::TearDown();
  }
  void Type(const KsChar* text) {
    field.GetEdit()->SetText(text);
  }

  KsControlsWnd host;
  KsFilenameWnd field;
};

// Every read ends the text in exactly one backslash; empty stays empty and "\\" alone stays.
TEST_F(FolderFieldTest, ReadsTheTextAsAFolder) {
  struct Case {
    const char16_t* typed;
    const char* read;
  } cases[] = {
      {u"C:\\Apps\\Tool", "C:\\Apps\\Tool\\"}, {u"C:\\Apps\\\\\\", "C:\\Apps\\"}, {u"C:\\Apps\\", "C:\\Apps\\"},
      {u"", ""},                               {u"\\\\", "\\\\"},                  {u"\\\\\\", "\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.typed));
    Type(c.typed);
    EXPECT_EQ(Text(field.GetText()), c.read);
    EXPECT_EQ(Text(field.GetValue().GetFileName()), c.read) << "kept as the value";
  }
  EXPECT_EQ(field.Create(&host, Rect(0, 0, 10, 10), KsFileName(), 1, u""), false) << "only the folder kind";
}

TEST_F(FolderFieldTest, SuggestsSubfoldersOfPlainPaths) {
  for (const char16_t* name : {u"Media", u"Music", u"Other"}) ASSERT_TRUE(CreateDirectory(Path(name).c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"Mute.txt"), "a file"));
  std::string root = Narrow(Root());
  auto suggestions = [&](const std::u16string& typed) {
    std::vector<std::string> names;
    for (const KsString& name : field.Suggestions(typed.c_str())) names.push_back(Text(name));
    std::sort(names.begin(), names.end());
    return names;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(suggestions(Root() + u"\\M"), (Names{"Media\\", "Music\\", "Other\\"})) << "all subfolders; the list filters";
  for (const char16_t* typed : {u"Prog", u"\\Prog", u"", u"http://host\\share\\x", u"(0x1234ABCD):\\Music\\",
                                u"(12:\\Music\\", u"<XMLPH version=\"1\">\\x"}) {
    EXPECT_TRUE(suggestions(typed).empty()) << Narrow(typed);
  }
  EXPECT_TRUE(suggestions(u"C:\\Missing\\Folder\\x").empty());
  field.SetExcludedExtensions({u".lib"});
  EXPECT_TRUE(suggestions(Root() + u"\\x.lib\\M").empty());

  // In the field: what matches the typed part is listed.
  field.GetEdit()->SetFocus();
  field.GetEdit()->SetText((Root() + u"\\").c_str());
  UiDriver::Type(u"mu");
  Pump();
  std::vector<KsString> shown = field.GetEdit()->GetShownSuggestions();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Text(shown[0]), "Music\\");
}

// Browse asks with the translated title and the field's folder; a chosen folder
// is shown as chosen and read with its backslash; cancelling changes nothing.
TEST_F(FolderFieldTest, BrowseTakesTheChosenFolder) {
  {
    UiDriver::Click(u"button", u"Browse");  // no tools module: nothing happens
    Pump();
    EXPECT_EQ(Text(field.GetText()), "C:\\Program Files\\Auralis\\");
  }
  ChooserTools tools;
  tools.answer = u"D:\\Media";
  ASSERT_TRUE(UiDriver::Click(u"button", u"Browse"));
  Pump();
  ASSERT_EQ(tools.asked.size(), 1u);
  EXPECT_EQ(tools.asked[0], "Select Path | C:\\Program Files\\Auralis\\");
  EXPECT_EQ(Text(field.GetEdit()->GetText()), "D:\\Media");
  EXPECT_EQ(Text(field.GetText()), "D:\\Media\\");

  tools.answer = KsString();
  ASSERT_TRUE(UiDriver::Click(u"button", u"Browse"));
  Pump();
  EXPECT_EQ(Text(field.GetEdit()->GetText()), "D:\\Media");
  ASSERT_EQ(tools.asked.size(), 2u);
  EXPECT_EQ(tools.asked[1], "Select Path | D:\\Media\\");
}

}  // namespace
