#include "Install/CSkinSelection.h"

#include <cmath>

#include "config/KsXmlDocument.h"
#include "foundation/KsFileSystem.h"
#include "foundation/KsStringArray.h"
#include "foundation/KsTools.h"

namespace {

constexpr const KsChar* kLogTag = u"CSkinSelection";

KsString ProductText(const KsChar* key, const KsChar* defaultValue) {
  IKsProductInfo* product = KsToolsProductInfo();
  return product != nullptr ? product->GetText(key, defaultValue) : KsString(defaultValue);
}

}  // namespace

bool IsValidSkin(const KsString& folder) {
  if (folder.IsEmpty()) return false;
  KsXmlDocument document;
  const KsString file = KsFileSystem::WithBackslash(folder) + u"main.xml";
  if (!document.Load(file) || !document.FindNext(u"/SVMS")) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Not a skin: %s", file);
    return false;
  }
  KsStringArray styles;
  styles.Split(ProductText(u"/*/General/MegaSkinStyles", u""), u";");
  if (styles.IsEmpty()) styles.Add(KsString());
  const KsString style = document.GetAttribute(u"style");
  bool styleAllowed = false;
  for (const KsString& allowed : styles) styleAllowed = styleAllowed || allowed.Equals(style);
  if (!styleAllowed) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Skin style \"%s\" not allowed: %s", style, file);
    return false;
  }
  const double version = document.GetAttribute(u"version").ToDouble();
  if (!(std::fabs(version - 3.0) < 0.01)) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Skin version not supported: %s", file);
    return false;
  }
  if (!document.FindNext(u"//MAINFRAME")) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Skin has no MAINFRAME: %s", file);
    return false;
  }
  return true;
}

KsString ChooseSkinFolder(const KsString& setupFolder) {
  const KsString skins = KsFileSystem::WithBackslash(setupFolder) + u"Sonavel\\Skins\\Standard View\\";
  KsString name = ProductText(u"/*/General/MegaSkin", u"");
  KsString stored;
  if (IKsSettingsStore* store = KsToolsSettingsStore(u"Properties")) {
    const KsString key = ProductText(u"/*/General/MegaSkinKey", u"Standard View Skin");
    stored = store->ReadText(key, u"");
  }
  if (!stored.IsEmpty()) {
    stored = KsFileSystem::WithBackslash(stored);
    if (!IsValidSkin(stored)) stored.Empty();
  }
  KsStringArray parts;
  parts.Split(stored, u"\\");
  if (!parts.IsEmpty() && parts[parts.GetSize() - 1].IsEmpty()) parts.RemoveAt(parts.GetSize() - 1);
  if (parts.GetSize() >= 2) {
    const KsString candidate = parts[parts.GetSize() - 1];
    if (IsValidSkin(skins + candidate)) name = candidate;
  }
  KsLogFormat(kKsLogInfo, kLogTag, u"Skin: %s%s", skins, name);
  return skins + name;
}
