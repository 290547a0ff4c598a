// Loading the module as the installer does, its product file, and what crosses
// the boundary between program and module: strings, the machine, the log.

#include "ToolsModuleTest.h"

#include "foundation/KsTraceScope.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysRegistry.h"

using namespace ks;

using ToolsModuleLoad = ToolsModuleTest;

TEST_F(ToolsModuleLoad, ExportAnswersOnlyItsInterfaceVersion) {
  ASSERT_NE(LoadModule(), nullptr);
  auto entry = reinterpret_cast<GetKsToolsDLLFunction>(sys::GetProcAddress(Module(), "GetKsToolsDLL"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(kKsToolsInterfaceVersion), Tools());
  EXPECT_EQ(entry(kKsToolsInterfaceVersion - 1), nullptr);
  EXPECT_EQ(entry(0), nullptr);
  // Before the product file is loaded there is no product, and no settings.
  EXPECT_EQ(Tools()->GetProductInfo(false), nullptr);
  EXPECT_EQ(Tools()->GetSettingsStore(u"Properties"), nullptr);
  for (IKsTools* root : {Tools()}) {
    EXPECT_NE(root->GetTextService(), nullptr);
    EXPECT_NE(root->GetLockService(), nullptr);
    EXPECT_NE(root->GetLanguageService(), nullptr);
    EXPECT_NE(root->GetUIService(), nullptr);
    EXPECT_NE(root->GetLog(), nullptr);
    EXPECT_NE(root->GetMessageService(), nullptr);
    EXPECT_NE(root->GetFileService(), nullptr);
    EXPECT_NE(root->GetWindowService(), nullptr);
  }
}

// A file that is not a module (text, or a program of another kind) does not
// load, and nothing is left loaded.
TEST_F(ToolsModuleLoad, FileThatIsNotAModuleIsRefused) {
  const std::u16string fake = Folder() + u"KsTools.dll";
  ASSERT_TRUE(WriteText(fake, "MZ this is not a module"));
  EXPECT_EQ(sys::LoadLibrary(fake.c_str()), nullptr);
  EXPECT_EQ(sys::GetLastError(), 193u);  // ERROR_BAD_EXE_FORMAT
  EXPECT_EQ(LoadModule(), nullptr);
}

// Load fails with a text for the user that names the file and the fault.
TEST_F(ToolsModuleLoad, ProductFileFaultsGiveTheirErrorText) {
  struct Case {
    const char* name;
    const char* content;  // null: no file
    const char* expected;
  };
  const Case cases[] = {
      {"missing", nullptr, "is missing."},
      {"not XML", "this is plain text", "is damaged"},
      {"cut short", "<KsProduct><Product><Name>Auralis</Name></Product>", "is damaged"},
      {"empty", "", "is damaged"},
      {"another root", "<Other><Product><Name>A</Name></Product></Other>", "does not name a product."},
      {"no name", "<KsProduct><Product><Name>  </Name></Product></KsProduct>", "does not name a product."},
  };
  ASSERT_NE(LoadModule(), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(true);
  ASSERT_NE(product, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sys::DeleteFile((Folder() + u"Product.xml").c_str());
    if (c.content != nullptr) {
      ASSERT_TRUE(WriteModuleFile(u"Product.xml", c.content));
    }
    KsString error;
    EXPECT_FALSE(product->Load(u"", &error, 0));
    EXPECT_NE(Narrow(error).find(c.expected), std::string::npos) << Narrow(error);
    EXPECT_NE(Narrow(error).find("Sonavel\\Product.xml"), std::string::npos) << Narrow(error);
    EXPECT_EQ(Tools()->GetProductInfo(false), nullptr);
    EXPECT_TRUE(product->GetDisplayName(1).IsEmpty());
  }
  // A good file after a bad one loads.
  ASSERT_TRUE(WriteModuleFile(u"Product.xml", kProduct));
  KsString error;
  EXPECT_TRUE(product->Load(u"", &error, 0));
  EXPECT_TRUE(error.IsEmpty());
  EXPECT_EQ(Tools()->GetProductInfo(false), product);
}

// An identifier names another product file of the module's folder.
TEST_F(ToolsModuleLoad, IdentifierNamesAnotherProductFile) {
  ASSERT_TRUE(WriteModuleFile(u"Other.xml", "<KsProduct><Product><Name>Other</Name></Product></KsProduct>"));
  ASSERT_NE(LoadModule(), nullptr);
  KsString error;
  ASSERT_TRUE(Tools()->GetProductInfo(true)->Load(u"Other", &error, 0)) << Narrow(error);
  EXPECT_EQ(Narrow(Tools()->GetProductInfo(false)->GetDisplayName(0)), "Other");
}

// Strings made by the module live on in the program; values the module writes
// are on the program's machine, and the reverse.
TEST_F(ToolsModuleLoad, ProgramAndModuleShareStringsAndTheMachine) {
  ASSERT_NE(LoadProduct(), nullptr);
  KsString name = Tools()->GetProductInfo(false)->GetDisplayName(1);
  KsString copy = name;
  copy += u" copy";
  EXPECT_EQ(Narrow(name), "Testlied 9");
  EXPECT_EQ(Narrow(copy), "Testlied 9 copy");

  IKsSettingsStore* store = Tools()->GetSettingsStore(u"Properties");
  ASSERT_NE(store, nullptr);
  ASSERT_TRUE(store->WriteText(u"Written by the module", u"yes"));
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, (std::u16string(kSettingsKey) + u"\\Properties").c_str(), 0,
                              sys::KEY_ALL_ACCESS, &key),
            0);
  sys::WCHAR text[32] = {};
  sys::DWORD size = sizeof text;
  EXPECT_EQ(sys::RegQueryValueEx(key, u"Written by the module", nullptr, nullptr,
                                 reinterpret_cast<sys::BYTE*>(text), &size),
            0);
  EXPECT_EQ(std::u16string(text), u"yes");
  const char16_t program[] = u"by the program";
  ASSERT_EQ(sys::RegSetValueEx(key, u"Written by the program", 0, sys::REG_SZ,
                               reinterpret_cast<const sys::BYTE*>(program), sizeof program),
            0);
  sys::RegCloseKey(key);
  EXPECT_EQ(Narrow(store->ReadText(u"Written by the program", u"")), "by the program");
}

// The log: one line per call with time, level, tag and text; trace scopes of
// the program write "Start" and "Finish (n ms)" through it.
TEST_F(ToolsModuleLoad, LogFileHasOneReadableLinePerCall) {
  ASSERT_NE(LoadModule(), nullptr);
  sys::DeleteFile(LogPath().c_str());
  KsLog(kKsLogError, u"Check", u"first line\r\nwith a break");
  { KsTraceScope scope(u"Scope"); }
  KsLogFormat(kKsLogWarning, u"Check", u"%d copies of %s", 2, u"Auralis");
  const std::string log = ReadText(LogPath());
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < log.size();) {
    const std::size_t end = log.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    lines.push_back(log.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 4u) << log;
  const char* expected[] = {"Error   Check: first line\\r\\nwith a break", "Trace   Scope: Start",
                            "Trace   Scope: Finish (", "Warning Check: 2 copies of Auralis"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    // "2026-12-11 15:49:44.123 " then the level.
    ASSERT_GT(lines[i].size(), 24u);
    EXPECT_EQ(lines[i][4], '-');
    EXPECT_EQ(lines[i][10], ' ');
    EXPECT_EQ(lines[i][13], ':');
    EXPECT_EQ(lines[i][19], '.');
    EXPECT_EQ(lines[i].substr(24, std::string(expected[i]).size()), expected[i]);
  }
  EXPECT_EQ(lines[2].substr(lines[2].size() - 4), " ms)");
}
