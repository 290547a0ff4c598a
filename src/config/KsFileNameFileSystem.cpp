#include "config/KsFileNameFileSystem.h"

#include "config/KsFileName.h"

namespace {

const KsChar* Text(const KsFileName& name) noexcept { return name.GetFileName().Chars(); }

}  // namespace

bool KsFileNameFileSystem::SafeReplaceFile(const KsFileName& newFile, const KsFileName& target) {
  return KsFileSystem::SafeReplaceFile(Text(newFile), Text(target));
}

KsString KsFileNameFileSystem::GetTemporaryFileName(const KsChar* prefix, const KsChar* extension,
                                                    const KsFileName& folder) {
  return KsFileSystem::GetTemporaryFileName(prefix, extension, Text(folder));
}

KsString KsFileNameFileSystem::MakeUniqueFileName(const KsFileName& path) {
  return KsFileSystem::MakeUniqueFileName(Text(path));
}

bool KsFileNameFileSystem::IsFolderWritable(const KsFileName& folder) {
  return KsFileSystem::IsFolderWritable(Text(folder));
}

bool KsFileNameFileSystem::IsFolderEmpty(const KsFileName& folder, bool recurse, bool ignoreThumbs) {
  return KsFileSystem::IsFolderEmpty(Text(folder), recurse, ignoreThumbs);
}

bool KsFileNameFileSystem::CreateFolder(const KsFileName& path) { return KsFileSystem::CreateFolder(Text(path)); }

bool KsFileNameFileSystem::DeleteFolder(const KsFileName& path) { return KsFileSystem::DeleteFolder(Text(path)); }

bool KsFileNameFileSystem::DeleteFile(const KsFileName& path) { return KsFileSystem::DeleteFile(Text(path)); }

bool KsFileNameFileSystem::FileExists(const KsFileName& path) { return KsFileSystem::FileExists(Text(path)); }

bool KsFileNameFileSystem::PathExists(const KsFileName& path) { return KsFileSystem::PathExists(Text(path)); }

bool KsFileNameFileSystem::FolderExists(const KsFileName& path) { return KsFileSystem::FolderExists(Text(path)); }

std::int64_t KsFileNameFileSystem::GetFileSize(const KsFileName& path) {
  return KsFileSystem::GetFileSize(Text(path));
}

bool KsFileNameFileSystem::GetFreeDiskSpace(const KsFileName& path, std::int64_t* available, std::int64_t* total) {
  return KsFileSystem::GetFreeDiskSpace(Text(path), available, total);
}

bool KsFileNameFileSystem::MoveCopyDirectory(const KsFileName& source, const KsFileName& target, int flags,
                                             IKsCopyProgress* progress) {
  return KsMoveCopyDirectory(Text(source), Text(target), flags, progress);
}
