// The sample product's own files (samples/setup/Sonavel) load as the installer
// will read them.

#include <cstring>
#include <fstream>
#include <sstream>

#include "ToolsModuleTest.h"
#include "platform/sim/SimControl.h"

using namespace ks;

namespace {
std::string ReadSample(const char* relative) {
  std::ifstream file(std::string(KS_SAMPLE_FOLDER) + "/" + relative, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
}  // namespace

using SampleProduct = ToolsModuleTest;

TEST_F(SampleProduct, ProductFileGivesTheInstallersKeys) {
  ASSERT_NE(LoadProduct(ReadSample("Product.xml")), nullptr);
  IKsProductInfo* product = Tools()->GetProductInfo(false);
  EXPECT_EQ(Narrow(product->GetDisplayName(0)), "Auralis");
  EXPECT_EQ(Narrow(product->GetDisplayName(1)), "Auralis 22");
  EXPECT_EQ(Narrow(product->GetLauncherName()), "Auralis Launcher.exe");
  EXPECT_EQ(Narrow(product->GetMainProgramName()), "Auralis.exe");
  EXPECT_TRUE(product->HasFeature(176));
  EXPECT_EQ(Narrow(Tools()->GetSettingsStore(u"Properties")->GetStorePath()),
            "Software\\Quorvane\\Auralis 22\\Properties");
  for (const char16_t* key : {u"/*/General/MegaSkin", u"/*/General/MegaSkinKey", u"/*/General/MegaSkinStyles",
                              u"/*/SpecialFeatures/MinIEVersion", u"/*/Product/DefaultFileTypes"}) {
    EXPECT_FALSE(product->GetText(key, u"").IsEmpty()) << Narrow(key);
  }
  EXPECT_EQ(product->GetNumber(u"/*/Installer/ShowLanguageSelection", 0), 1);
  EXPECT_GT(product->GetNumber(u"/*/Installer/PromoCount", 0), 0);
  EXPECT_FALSE(product->GetProductText(15).IsEmpty());
}

// Every line of the translation files is a comment, the name or an entry.
TEST_F(SampleProduct, TranslationFilesAreClean) {
  for (const char* language : {"English", "Deutsch"}) {
    SCOPED_TRACE(language);
    const std::string text = ReadSample((std::string("Languages/") + language + ".lang").c_str());
    ASSERT_FALSE(text.empty());
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';' || line.rfind("Language:", 0) == 0) continue;
      EXPECT_NE(line.find(" => "), std::string::npos) << line;
    }
    ASSERT_TRUE(WriteModuleFile(u"Languages\\" + std::u16string(language, language + std::strlen(language)) + u".lang",
                                text));
  }
  ASSERT_NE(LoadProduct(ReadSample("Product.xml")), nullptr);
  ASSERT_TRUE(Tools()->GetSettingsStore(u"Properties")->WriteText(u"Language", u"Deutsch"));
  Tools()->OnProductInfoLoaded(0);
  EXPECT_EQ(Narrow(Tools()->GetLanguageService()->GetLanguageName()), "Deutsch");
  EXPECT_EQ(Narrow(KsTranslate(u"Please Close ")), "Bitte beenden: ");
  EXPECT_EQ(Narrow(KsTranslate(u" Open")), " ge\xC3\xB6" "ffnet");
  EXPECT_EQ(Narrow(KsTranslate(u"Install Wizard has detected a running copy of %s.\r\n\r\n")),
            "Der Installationsassistent hat festgestellt, dass %s l\xC3\xA4uft.\r\n\r\n");
}
