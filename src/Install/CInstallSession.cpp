#include "Install/CInstallSession.h"

#include <vector>

#include "Install/CInstallMessages.h"
#include "config/KsXmlDocument.h"
#include "foundation/CVersionInfo.h"
#include "foundation/KsFileSystem.h"
#include "foundation/KsHandle.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsTools.h"
#include "foundation/KsTraceScope.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"CInstallSession";

// The option names in the order they are tested; the first match wins.
enum class Option { DistributorID, Silent, Upgrade, NoAssociations, NoDependencies, NoUpgrade, NoDriver, NoRun };
struct OptionName {
  const KsChar* name;
  Option option;
};
constexpr OptionName kOptions[] = {
    {u"DistributorID", Option::DistributorID}, {u"Silent", Option::Silent},
    {u"Upgrade", Option::Upgrade},             {u"NoAssociations", Option::NoAssociations},
    {u"NoDependencies", Option::NoDependencies}, {u"NoUpgrade", Option::NoUpgrade},
    {u"NoDriver", Option::NoDriver},           {u"NoRun", Option::NoRun},
};

bool IsAbsolutePath(const KsString& path) {
  return (path.GetLength() >= 2 && path[1] == u':') || path.FirstCharIs(u'\\') || path.FirstCharIs(u'/');
}

// A folder named in Install.xml: relative names are taken from the file's own
// folder; the answer ends in a backslash.
KsString ResolveFolder(const KsString& xmlFolder, const KsString& name) {
  KsString path = IsAbsolutePath(name) ? name : xmlFolder + name;
  sys::WCHAR buffer[1024] = {};
  const sys::DWORD length = sys::GetFullPathName(path, 1024, buffer, nullptr);
  if (length > 0 && length < 1024) path = KsString(buffer, static_cast<int>(length));
  return KsFileSystem::WithBackslash(path);
}

// Appends the ".svp" files below folder, walking with a list of its own so a
// deep tree cannot exhaust the stack.
void CollectPackages(const KsString& folder, KsStringArray& packages) {
  std::vector<KsString> pending{folder};
  while (!pending.empty()) {
    KsString current = pending.back();
    pending.pop_back();
    sys::WIN32_FIND_DATA data{};
    KsFindHandle find(sys::FindFirstFile(current + u"*", &data));
    if (!find) continue;
    std::vector<KsString> subfolders;
    do {
      KsString name(data.cFileName);
      if (name.Equals(u".") || name.Equals(u"..")) continue;
      if ((data.dwFileAttributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
        subfolders.push_back(current + name + u"\\");
      } else if (name.EndsWith(u".svp", true) == 0) {
        packages.Add(current + name);
      }
    } while (sys::FindNextFile(find.Get(), &data));
    // Subfolders in the order found: pushed reversed onto the stack.
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(*it);
  }
}

KsPackedVersion FileVersionOf(const KsString& path) {
  if (!KsFileSystem::FileExists(path)) return 0;
  CVersionInfo info(path);
  KsPackedVersion version = 0;
  info.GetPackedVersion(version);
  return version;
}

}  // namespace

CInstallSession& CInstallSession::Get() {
  static CInstallSession session;
  return session;
}

void CInstallSession::Reset() { *this = CInstallSession(); }

void CInstallSession::BuildSession(const KsString& setupFolder) {
  KsTraceScope scope(u"CInstallSession::BuildSession");
  SetupFolder = KsFileSystem::WithBackslash(setupFolder);
  SupportFolders.Add(SetupFolder + u"Support\\");
  LibraryFolder = SetupFolder + u"Library\\";
  KsString xml = SetupFolder + u"Install.xml";
  // The fallback is the parent folder's file, taken without a further test.
  if (!KsFileSystem::FileExists(xml)) xml = SetupFolder + u"..\\Install.xml";
  ReadInstallXml(xml);
}

bool CInstallSession::ReadInstallXml(const KsString& path) {
  KsXmlDocument document;
  if (!document.Load(path)) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Install.xml not read: %s (%s)", path, document.GetResult());
    return false;
  }
  if (!document.FindNext(u"/KsIC")) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Install.xml has no KsIC root: %s", path);
    return false;
  }
  const double version = document.GetAttribute(u"version").ToDouble();
  if (!(version >= 1.0)) {
    KsLogFormat(kKsLogInfo, kLogTag, u"Install.xml version below 1.0 ignored: %s", path);
    return false;
  }
  if (!document.FindNext(u"/KsIC/Settings")) return true;
  const KsString xmlFolder = path.Left(path.ReverseFindChar(u'\\') + 1);

  KsString support = document.GetChildData(u"SupportFiles");
  support.Trim();
  if (!support.IsEmpty()) {
    const KsString folder = ResolveFolder(xmlFolder, support);
    if (KsFileSystem::FolderExists(folder)) {
      SupportFolders.Add(folder);
    } else {
      KsLogFormat(kKsLogWarning, kLogTag, u"Support folder missing: %s", folder);
    }
  }
  const KsString downgrade = document.GetChildData(u"AllowDowngrade");
  if (!downgrade.IsEmpty()) AllowDowngrade = downgrade.ToInt() != 0;
  KsString media = document.GetChildData(u"BundledMedia");
  media.Trim();
  if (!media.IsEmpty()) {
    const KsString folder = ResolveFolder(xmlFolder, media);
    if (KsFileSystem::FolderExists(folder)) {
      BundledMediaFolder = folder;
    } else {
      KsLogFormat(kKsLogWarning, kLogTag, u"Bundled media folder missing: %s", folder);
    }
  }
  return true;
}

void CInstallSession::ReadCommandLine(const KsString& arguments) {
  KsStringArray pieces;
  pieces.Split(arguments, u"/");
  for (int i = 1; i < pieces.GetSize(); ++i) {
    const KsString& piece = pieces[i];
    for (const OptionName& entry : kOptions) {
      const int length = KsTextLength(entry.name);
      if (piece.GetLength() < length || piece.CompareNoCaseN(entry.name, length) != 0) continue;
      switch (entry.option) {
        case Option::DistributorID:
          DistributorID = piece.Mid(length);
          DistributorID.Trim();
          break;
        case Option::Silent: Silent = true; break;
        case Option::Upgrade: Upgrade = true; break;
        case Option::NoAssociations: NoAssociations = true; break;
        case Option::NoDependencies: NoDependencies = true; break;
        case Option::NoUpgrade: NoUpgrade = true; break;
        case Option::NoDriver: NoDriver = true; break;
        case Option::NoRun: NoRun = true; break;
      }
      break;
    }
  }
}

void CInstallSession::SetDestinationFolder(const KsString& path) {
  KsString folder = path;
  folder.TrimTrailingBackslashes();
  DestinationFolder = path.IsEmpty() ? KsString() : folder + u"\\";
}

KsString CInstallSession::FindSupportFile(const KsString& name, bool mustExist) const {
  for (int i = 0; i < SupportFolders.GetSize(); ++i) {
    KsString path = SupportFolders[i] + name;
    if (!mustExist || KsFileSystem::FileExists(path)) return path;
  }
  return KsString();
}

void CInstallSession::ListPackages(KsStringArray& packages) const {
  packages.RemoveAll();
  for (int i = 0; i < SupportFolders.GetSize(); ++i) CollectPackages(SupportFolders[i], packages);
}

void CInstallSession::SetProgramFolderToDestination() const {
  KsProductPaths::Get().SetWorkingProgramFolder(DestinationFolder);
  KsToolsNotifyPathsChanged();
}

bool CInstallSession::IsSameOrNewerInstalled() const {
  if (AllowDowngrade || !SameVersionInstalled) return false;
  IKsProductInfo* product = KsToolsProductInfo();
  if (product == nullptr) return false;
  const KsString program = product->GetMainProgramName();
  const KsPackedVersion installed = FileVersionOf(KsProductPaths::Get().GetProgramFolder() + program);
  const KsPackedVersion fresh = FileVersionOf(SetupFolder + u"Sonavel\\" + program);
  return installed >= fresh;
}

void CInstallSession::ShowInstallError() {
  KsString text = KsTranslate(u"Install Wizard encountered a critical error and must close.\r\n\r\n");
  text += KsTranslate(u"It is recommended that you reboot your computer and install again.\r\n\r\n");
  text += KsTranslate(u"If this error persists, please uninstall and then install again.");
  ShowInformation(KsTranslate(u"Install Error"), text);
}
