#include "foundation/KsResourceFile.h"

#include "foundation/KsFileSystem.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsTools.h"

namespace {

constexpr const KsChar* kImagePrefix = u"image:";
constexpr const KsChar* kImageExtensions[] = {u".png", u".jpg", u".gif", u".bmp", u".tif"};

// While the tools module is loaded its file service answers.
bool ResourceExists(const KsString& path) {
  IKsTools* root = KsToolsRoot();
  if (IKsFileService* files = root != nullptr ? root->GetFileService() : nullptr)
    return files->FileExists(path, 0);
  return KsFileSystem::FileExists(path);
}

KsString LanguageName() {
  IKsTools* root = KsToolsRoot();
  IKsLanguageService* language = root != nullptr ? root->GetLanguageService() : nullptr;
  return language != nullptr ? language->GetLanguageName() : KsString();
}

}  // namespace

KsString FindResourceFile(int kind, const KsChar* name) {
  const KsString resource(name != nullptr ? name : u"");
  if (resource.IsEmpty()) return KsString();
  const KsString data = KsProductPaths::Get().GetDataFolder();
  if (data.IsEmpty()) return KsString();
  KsString folders[2];
  switch (kind) {
    case kKsResourceResources:
      folders[0] = data + u"Custom Resources\\";
      folders[1] = data + u"Default Resources\\";
      break;
    case kKsResourceArt:
      folders[0] = data + u"Custom Art\\";
      folders[1] = data + u"Default Art\\";
      break;
    default: return KsString();
  }
  if (resource.StartsWith(kImagePrefix, false)) {
    const KsString base = resource.Mid(6);
    const KsString language = LanguageName();
    for (const KsString& folder : folders) {
      for (const KsChar* extension : kImageExtensions) {
        if (!language.IsEmpty()) {
          const KsString localised = folder + base + u" - " + language + extension;
          if (ResourceExists(localised)) return localised;
        }
        const KsString plain = folder + base + extension;
        if (ResourceExists(plain)) return plain;
      }
    }
    return KsString();
  }
  for (const KsString& folder : folders) {
    const KsString candidate = folder + resource;
    if (ResourceExists(candidate)) return candidate;
  }
  return KsString();
}
