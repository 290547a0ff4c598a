// The controls inside a native window, driven as a person would through
// UiDriver: focus and Tab order, clicks and keys, the commands they send, and
// what the character grid shows of them.

#include "ToolkitTest.h"

#include "toolkit/KsButtonCtrl.h"
#include "toolkit/KsCheckBoxCtrl.h"
#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsEditCtrl.h"
#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsImageCtrl.h"
#include "toolkit/KsProgressCtrl.h"
#include "toolkit/KsRadioArray.h"
#include "toolkit/KsStaticTextCtrl.h"
#include "toolkit/KsTreeReportCtrl.h"
#include "toolkit/UiDriver.h"

#include "PictureFixtures.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace ks::sys;

namespace {

constexpr WPARAM kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B, kSpace = 0x20, kUp = 0x26, kDown = 0x28,
                 kLeft = 0x25, kBack = 0x08, kHome = 0x24;

// A window of controls that records the commands it gets.
class HostWnd : public KsControlsWnd {
 public:
  bool OnCommand(int id, int code, HWND) override {
    commands.push_back(std::to_string(id) + (code ? "/" + std::to_string(code) : ""));
    return true;
  }
  std::vector<std::string> commands;
};

class ControlsTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    ASSERT_TRUE(host.Create(nullptr, u"KsControlsTestWnd", u"Controls", WS_POPUP | WS_VISIBLE, 0,
                            Rect(100, 100, 500, 400)));
    SetForegroundWindow(host.GetHandle());
  }
  void TearDown() override {
    controls.clear();
    host.Destroy();
    ToolkitTest::TearDown();
  }
  template <class Control>
  Control* Add(const KsChar* text, const RECT& rect, int id = 0) {
    auto control = std::make_unique<Control>();
    EXPECT_TRUE(control->Create(&host, rect));
    control->SetText(text);
    control->SetCommandId(id);
    Control* raw = control.get();
    controls.push_back(std::move(control));
    return raw;
  }
  std::string Focused() {
    KsControlWnd* focus = host.GetFocusControl();
    return focus ? Narrow(std::u16string(focus->GetText().View())) : "none";
  }
  std::u16string Picture() { return UiDriver::Render(&host); }
  // The rows of the window's grid inside the frame Render draws, trailing blanks cut.
  std::vector<std::u16string> GridLines() {
    std::vector<std::u16string> lines;
    std::u16string picture = Picture();
    for (std::size_t start = 0, end; (end = picture.find(u'\n', start)) != std::u16string::npos; start = end + 1) {
      std::u16string line = picture.substr(start, end - start);
      if (line.size() < 2 || line[0] != u'|') continue;
      line = line.substr(1, line.size() - 2);
      line.erase(line.find_last_not_of(u' ') + 1);
      lines.push_back(line);
    }
    return lines;
  }
  // Whether the lines appear one under the other in the grid.
  bool ShowsLines(const std::vector<std::u16string>& wanted) {
    std::vector<std::u16string> lines = GridLines();
    for (std::size_t first = 0; first + wanted.size() <= lines.size(); ++first)
      if (std::equal(wanted.begin(), wanted.end(), lines.begin() + std::ptrdiff_t(first))) return true;
    return false;
  }

  HostWnd host;
  std::vector<std::unique_ptr<KsControlWnd>> controls;
};

// Tab and Shift+Tab visit the focusable, visible, enabled controls in the
// order they were added, wrapping round; a radio group is one stop.
TEST_F(ControlsTest, TabOrder) {
  Add<KsStaticTextCtrl>(u"Label", Rect(8, 8, 200, 24));
  Add<KsButtonCtrl>(u"One", Rect(8, 32, 90, 55));
  Add<KsCheckBoxCtrl>(u"Two", Rect(8, 64, 200, 80));
  Add<KsButtonCtrl>(u"Off", Rect(8, 88, 90, 111))->Enable(false);
  Add<KsButtonCtrl>(u"Hidden", Rect(100, 88, 180, 111))->Show(SW_HIDE);
  auto* group = Add<KsRadioArray>(u"Kind", Rect(8, 120, 300, 220));
  group->AddOption(u"Three", u"First option");
  group->AddOption(u"Four", u"Second option");
  Add<KsEditCtrl>(u"Five", Rect(8, 230, 200, 246));

  struct Step {
    bool shift;
    const char* focus;
  } steps[] = {{false, "One"}, {false, "Two"}, {false, "Three"}, {false, "Five"}, {false, "One"},
               {true, "Five"}, {true, "Three"}, {true, "Two"}};
  for (const Step& step : steps) {
    UiDriver::PressKey(kTab, step.shift);
    Pump();
    EXPECT_EQ(Focused(), step.focus) << (step.shift ? "Shift+Tab" : "Tab");
  }
  // The chosen option is the group's stop.
  group->SetSelection(1);
  host.SetFocusControl(nullptr);
  UiDriver::PressKey(kTab, true);
  UiDriver::PressKey(kTab, true);
  Pump();
  EXPECT_EQ(Focused(), "Four");
}

// A click is a press and release over the same control; it focuses the control
// and sends its command. Disabled controls and releases elsewhere do nothing.
TEST_F(ControlsTest, ClicksSendCommands) {
  auto* ok = Add<KsButtonCtrl>(u"OK", Rect(8, 8, 90, 31), 11);
  auto* off = Add<KsButtonCtrl>(u"Off", Rect(100, 8, 180, 31), 12);
  auto* check = Add<KsCheckBoxCtrl>(u"Tick", Rect(8, 40, 200, 56), 13);
  off->Enable(false);

  EXPECT_TRUE(UiDriver::Click(ok));
  EXPECT_TRUE(UiDriver::Click(off));
  EXPECT_TRUE(UiDriver::Click(u"checkbox", u"Tick"));
  Pump();
  EXPECT_EQ(host.commands, (std::vector<std::string>{"11", "13"}));
  EXPECT_TRUE(check->IsChecked());
  EXPECT_TRUE(check->HasFocus());
  EXPECT_TRUE(UiDriver::StateOf(check).checked);
  EXPECT_FALSE(UiDriver::StateOf(off).enabled);

  // Pressed on the button, released beside it: no click.
  host.commands.clear();
  host.PostMessage(WM_LBUTTONDOWN, 1, LPARAM((20 << 16) | 20));
  host.PostMessage(WM_LBUTTONUP, 0, LPARAM((20 << 16) | 300));
  Pump();
  EXPECT_TRUE(host.commands.empty());
}

// Keys: Space works the focused control, Enter the default button (or the
// focused one), Esc asks to cancel.
TEST_F(ControlsTest, KeysWorkTheFocusedAndDefaultControls) {
  auto* check = Add<KsCheckBoxCtrl>(u"Tick", Rect(8, 8, 200, 24), 13);
  auto* other = Add<KsButtonCtrl>(u"Other", Rect(8, 32, 90, 55), 14);
  Add<KsButtonCtrl>(u"Go", Rect(100, 32, 180, 55), 15)->SetDefault(true);
  check->SetFocus();
  struct Case {
    const char* name;
    std::vector<WPARAM> keys;
    std::vector<std::string> commands;
    bool checked;
  } cases[] = {
      {"Space toggles the check box", {kSpace}, {"13"}, true},
      {"Space twice toggles back", {kSpace, kSpace}, {"13", "13"}, false},
      {"Enter off a button takes the default", {kEnter}, {"15"}, false},
      {"Esc asks to cancel", {kEscape}, {"2"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.commands.clear();
    check->SetChecked(false);
    check->SetFocus();
    for (WPARAM key : c.keys) UiDriver::PressKey(key);
    Pump();
    EXPECT_EQ(host.commands, c.commands);
    EXPECT_EQ(check->IsChecked(), c.checked);
  }
  host.commands.clear();
  other->SetFocus();
  UiDriver::PressKey(kEnter);
  Pump();
  EXPECT_EQ(host.commands, (std::vector<std::string>{"14"}));
}

// Arrows move the choice within a radio group, wrapping; a click chooses; each
// change of choice sends the group's command once.
TEST_F(ControlsTest, RadioGroupChoice) {
  auto* group = Add<KsRadioArray>(u"Setup type", Rect(8, 8, 300, 200), 21);
  group->AddOption(u"Express", u"Everything at once");
  group->AddOption(u"Custom", u"Choose what to install");
  group->AddOption(u"Portable", u"");
  group->Choose(0);
  Pump();
  host.commands.clear();
  struct Step {
    WPARAM key;
    int selection;
  } steps[] = {{kDown, 1}, {kDown, 2}, {kDown, 0}, {kUp, 2}, {kLeft, 1}};
  for (const Step& step : steps) {
    UiDriver::PressKey(step.key);
    Pump();
    EXPECT_EQ(group->GetSelection(), step.selection);
    EXPECT_TRUE(group->GetOption(step.selection)->HasFocus());
  }
  EXPECT_EQ(host.commands.size(), std::size(steps));
  host.commands.clear();
  EXPECT_TRUE(UiDriver::Click(u"radio", u"Express"));
  EXPECT_TRUE(UiDriver::Click(u"radio", u"Express"));  // no change the second time
  Pump();
  EXPECT_EQ(group->GetSelection(), 0);
  EXPECT_EQ(host.commands, (std::vector<std::string>{"21"}));
  std::u16string picture = Picture();
  EXPECT_TRUE(ShowsLines({u" Setup type", u" (o)>Express<", u"     Everything at once", u"", u" ( ) Custom",
                          u"     Choose what to install", u" ( ) Portable"}))
      << Narrow(picture);
}

// Typing edits at the caret and reports each change; suggestions complete the
// part after the separator.
TEST_F(ControlsTest, EditTypingAndSuggestions) {
  auto* edit = Add<KsEditCtrl>(u"", Rect(8, 8, 300, 24), 31);
  Add<KsButtonCtrl>(u"Go", Rect(8, 200, 90, 223), 32)->SetDefault(true);
  edit->SetSuggestionSeparator(u'\\');
  std::vector<KsString> asked;
  edit->SetSuggestionSource([&](const KsString& text) {
    asked.push_back(text);
    return std::vector<KsString>{u"Program Files\\", u"ProgramData\\", u"Users\\"};
  });
  edit->SetFocus();

  UiDriver::Type(u"C:\\Pogx");
  UiDriver::PressKey(kLeft);
  UiDriver::PressKey(kLeft);
  UiDriver::PressKey(kLeft);
  UiDriver::Type(u"r");       // C:\Pr|ogx
  UiDriver::PressKey(0x2E);  // Delete: C:\Pr|gx
  UiDriver::Type(u"o");       // C:\Pro|gx
  UiDriver::PressKey(0x23);  // End
  UiDriver::PressKey(kBack);
  Pump();
  EXPECT_EQ(Narrow(std::u16string(edit->GetText().View())), "C:\\Prog");
  EXPECT_EQ(host.commands.back(), "31/768");
  EXPECT_TRUE(asked.back().Equals(u"C:\\Prog"));
  ASSERT_EQ(edit->GetShownSuggestions().size(), 2u);
  std::u16string picture = Picture();
  EXPECT_NE(picture.find(u"ProgramData\\"), std::u16string::npos) << Narrow(picture);
  EXPECT_EQ(picture.find(u"Users\\"), std::u16string::npos) << Narrow(picture);

  // Down twice picks the second; Enter takes it and does not reach the default button.
  host.commands.clear();
  UiDriver::PressKey(kDown);
  UiDriver::PressKey(kDown);
  UiDriver::PressKey(kEnter);
  Pump();
  EXPECT_EQ(Narrow(std::u16string(edit->GetText().View())), "C:\\ProgramData\\");
  EXPECT_EQ(host.commands, (std::vector<std::string>{"31/768"}));

  // Backspace reopens the list; Esc closes it without cancelling the window.
  host.commands.clear();
  UiDriver::PressKey(kBack);
  UiDriver::PressKey(kBack);
  Pump();
  EXPECT_FALSE(edit->GetShownSuggestions().empty());
  UiDriver::PressKey(kEscape);
  Pump();
  EXPECT_TRUE(edit->GetShownSuggestions().empty());
  EXPECT_EQ(std::count(host.commands.begin(), host.commands.end(), "2"), 0);

  // A click on a suggestion takes it.
  edit->SetText(u"C:\\U");
  UiDriver::PressKey(kBack);
  UiDriver::Type(u"U");
  Pump();
  ASSERT_TRUE(UiDriver::Click(u"list", nullptr));
  Pump();
  EXPECT_EQ(Narrow(std::u16string(edit->GetText().View())), "C:\\Users\\");

  // Home then typing inserts at the start.
  UiDriver::PressKey(kHome);
  UiDriver::Type(u"x");
  Pump();
  EXPECT_EQ(Narrow(std::u16string(edit->GetText().View())), "xC:\\Users\\");
}

// Formatted text: bold runs, line breaks (CR LF, LF, <br>), tabs to the next
// stop, wrapping at the width, and a "<" that is no tag shown as it stands.
TEST_F(ControlsTest, FormattedTextLayout) {
  struct Case {
    const char16_t* text;
    int width;  // pixels: 8 a character on the grid
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"one\r\ntwo\nthree<br>four", 200, {u"one", u"two", u"three", u"four"}},
      {u"<b>Bold</b> and plain", 200, {u"Bold and plain"}},
      {u"a\tb\tc", 200, {u"a   b   c"}},
      {u"the quick brown fox", 64, {u"the", u"quick", u"brown", u"fox"}},
      {u"the quick brown fox", 72, {u"the quick", u"brown fox"}},
      {u"abcdefghijklmnop", 64, {u"abcdefgh", u"ijklmnop"}},
      {u"1 < 2 <i>", 200, {u"1 < 2 <i>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    auto* text = Add<KsFormattedTextCtrl>(c.text, Rect(0, 0, c.width, 96));
    EXPECT_TRUE(ShowsLines(c.lines)) << Narrow(Picture());
    text->Destroy();
  }
  auto* bold = Add<KsFormattedTextCtrl>(u"x <b>Bold</b> y", Rect(0, 0, 200, 16));
  host.Invalidate();
  UpdateWindow(host.GetHandle());
  EXPECT_EQ(Narrow(std::u16string(bold->GetPlainText().View())), "x Bold y");
}

// The progress bar keeps its position inside its range and shows the part done.
TEST_F(ControlsTest, ProgressBar) {
  auto* bar = Add<KsProgressCtrl>(u"", Rect(0, 0, 96, 16));
  struct Case {
    int range, position;
    const char* text;
    const char16_t* picture;
  } cases[] = {
      {100, 0, "0%", u"[          ]"},
      {100, 50, "50%", u"[#####     ]"},
      {10, 15, "100%", u"[##########]"},
      {0, 1, "100%", u"[##########]"},
      {100, -5, "0%", u"[          ]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bar->SetRange(c.range);
    bar->SetPosition(c.position);
    EXPECT_EQ(Narrow(std::u16string(bar->GetText().View())), c.text);
    EXPECT_TRUE(ShowsLines({c.picture})) << Narrow(Picture());
  }
}

// A group is checked when all its items are and checks or clears them all;
// keys and clicks move, fold and toggle rows, each toggle reported once.
TEST_F(ControlsTest, TreeReportGroupsAndChecks) {
  auto* tree = Add<KsTreeReportCtrl>(u"", Rect(0, 0, 320, 96), 41);
  tree->AddColumn(u"Type", 160);
  tree->AddColumn(u"Description", 160);
  int audio = tree->AddGroup({u"Audio"});
  int video = tree->AddGroup({u"Video"});
  int mp3 = tree->AddItem(audio, {u".mp3", u"MPEG audio"});
  int flac = tree->AddItem(audio, {u".flac", u"Lossless audio"});
  int mkv = tree->AddItem(video, {u".mkv", u"Matroska video"});
  EXPECT_EQ(Narrow(std::u16string(tree->GetRowText(flac, 1).View())), "Lossless audio");

  tree->SetRowChecked(mp3, true);
  EXPECT_FALSE(tree->IsRowChecked(audio));
  tree->SetRowChecked(flac, true);
  EXPECT_TRUE(tree->IsRowChecked(audio));
  tree->SetRowChecked(audio, false);
  EXPECT_FALSE(tree->IsRowChecked(mp3));
  EXPECT_FALSE(tree->IsRowChecked(flac));
  tree->SetRowChecked(video, true);
  EXPECT_TRUE(tree->IsRowChecked(mkv));
  EXPECT_FALSE(tree->IsRowChecked(audio));
  tree->SetRowChecked(video, false);

  tree->SetFocus();
  tree->SetCurrentRow(audio);
  struct Step {
    WPARAM key;
    int current;
    bool audioExpanded;
  } steps[] = {{kDown, mp3, true}, {kDown, flac, true}, {kLeft, audio, true}, {kLeft, audio, false},
               {kDown, video, false}, {kUp, audio, false}, {0x27, audio, true}};
  for (const Step& step : steps) {
    UiDriver::PressKey(step.key);
    Pump();
    EXPECT_EQ(tree->GetCurrentRow(), step.current) << "key " << step.key;
    EXPECT_EQ(tree->IsExpanded(audio), step.audioExpanded) << "key " << step.key;
  }
  host.commands.clear();
  UiDriver::PressKey(kSpace);
  Pump();
  EXPECT_TRUE(tree->IsRowChecked(mp3) && tree->IsRowChecked(flac));
  EXPECT_EQ(host.commands, (std::vector<std::string>{"41/257"}));
  // Items below their group though added after the next group.
  EXPECT_TRUE(ShowsLines({u"Type                Description", u">-[x] Audio", u"    [x] .mp3        MPEG audio",
                          u"    [x] .flac       Lossless audio", u" -[ ] Video", u"    [ ] .mkv        Matroska video"}))
      << Narrow(Picture());

  // A click on an item's check box toggles it; on its text only makes it current.
  host.commands.clear();
  host.PostMessage(WM_LBUTTONDOWN, 1, LPARAM((40 << 16) | 40));  // row 2 (.mp3), on its check box
  host.PostMessage(WM_LBUTTONUP, 0, LPARAM((40 << 16) | 40));
  host.PostMessage(WM_LBUTTONDOWN, 1, LPARAM((56 << 16) | 200));  // row 3 (.flac), on its description
  host.PostMessage(WM_LBUTTONUP, 0, LPARAM((56 << 16) | 200));
  Pump();
  EXPECT_FALSE(tree->IsRowChecked(mp3));
  EXPECT_TRUE(tree->IsRowChecked(flac));
  EXPECT_EQ(tree->GetCurrentRow(), flac);
  EXPECT_EQ(host.commands, (std::vector<std::string>{"41/257"}));
}

// A picture shows on the grid as a framed box with its file's name; a file
// that is no picture leaves the control empty.
TEST_F(ControlsTest, ImageShowsItsPicture) {
  ASSERT_TRUE(WriteText(Path(u"logo.png"), PngFixture()));
  ASSERT_TRUE(WriteText(Path(u"broken.png"), "not a picture"));
  auto* image = Add<KsImageCtrl>(u"", Rect(0, 0, 96, 48));
  EXPECT_TRUE(image->LoadFile(Path(u"logo.png").c_str()));
  int width = 0, height = 0;
  image->GetPictureSize(&width, &height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_TRUE(ShowsLines({u"+----------+", u"| logo.png |", u"+----------+"})) << Narrow(Picture());
  EXPECT_FALSE(image->LoadFile(Path(u"broken.png").c_str()));
  EXPECT_FALSE(image->HasPicture());
  EXPECT_TRUE(ShowsLines({u"", u"", u""})) << Narrow(Picture());
}

}  // namespace
