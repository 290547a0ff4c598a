#include "foundation/KsFileSystem.h"

#include <vector>

#include "foundation/KsHandle.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsTools.h"
#include "platform/SysDebug.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

namespace sys = ks::sys;

namespace {

constexpr const KsChar* kLogTag = u"KsFileSystem";
constexpr const KsChar* kReplaceTag = u"KsFileSystem::SafeReplaceFile";
constexpr const KsChar* kLongPathPrefix = u"\\\\?\\";
// The longest path Windows accepts at all, with the long-path prefix.
constexpr int kMaxLongPath = 32767;
// A junction or symbolic link: deleted or skipped itself, never followed.
constexpr sys::DWORD kAttributeReparsePoint = 0x400;
constexpr int kMaxUniqueNameTries = 10000;

void LogFailure(const KsChar* tag, const KsChar* operation, const KsChar* path, sys::DWORD error) {
  KsLogFormat(kKsLogError, tag, u"%s %s failed (error %d)", operation, path, static_cast<std::int64_t>(error));
}

sys::DWORD Attributes(const KsChar* path) {
  return sys::GetFileAttributes(KsFileSystem::ToLongPath(path).Chars());
}

bool IsDots(const KsChar* name) {
  return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

struct FolderEntry {
  KsString name;
  sys::DWORD attributes = 0;
};

// The entries of a folder (without "." and ".."); false when it cannot be read.
bool ListFolder(const KsString& folder, std::vector<FolderEntry>* entries, sys::DWORD* error) {
  entries->clear();
  sys::WIN32_FIND_DATA data{};
  KsFindHandle find(sys::FindFirstFile(KsFileSystem::ToLongPath(folder + u"*").Chars(), &data));
  if (!find) {
    *error = sys::GetLastError();
    // An empty drive root reports no entries at all.
    return *error == sys::ERROR_FILE_NOT_FOUND;
  }
  do {
    data.cFileName[sys::MAX_PATH - 1] = 0;
    if (!IsDots(data.cFileName)) entries->push_back({KsString(data.cFileName), data.dwFileAttributes});
  } while (sys::FindNextFile(find.Get(), &data));
  *error = sys::GetLastError();
  return *error == sys::ERROR_NO_MORE_FILES;
}

bool IsFolderAttributes(sys::DWORD attributes) {
  return attributes != sys::INVALID_FILE_ATTRIBUTES && (attributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Length of the part of path that names its root ("C:\", "\\server\share\",
// with or without the long-path prefix); 0 for a relative path.
int RootLength(const KsString& path) {
  int start = 0;
  bool unc = false;
  if (path.StartsWith(kLongPathPrefix, false)) {
    start = 4;
    if (path.Mid(4, 4).CompareNoCase(u"UNC\\") == 0) {
      start = 8;
      unc = true;
    }
  } else if (path.GetLength() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    start = 2;
    unc = true;
  }
  if (unc) {
    // Server and share.
    int position = path.Find(u"\\", start);
    if (position < 0) return path.GetLength();
    position = path.Find(u"\\", position + 1);
    return position < 0 ? path.GetLength() : position + 1;
  }
  if (path.GetLength() >= start + 2 && path[start + 1] == u':') {
    return path.GetLength() >= start + 3 && path[start + 2] == u'\\' ? start + 3 : start + 2;
  }
  return 0;
}

bool TooLong(const KsChar* tag, const KsChar* operation, const KsString& path) {
  if (path.GetLength() <= kMaxLongPath) return false;
  KsLogFormat(kKsLogError, tag, u"%s: path of %d characters is too long (error %d)", operation, path.GetLength(),
              static_cast<std::int64_t>(sys::ERROR_FILENAME_EXCED_RANGE));
  sys::SetLastError(sys::ERROR_FILENAME_EXCED_RANGE);
  return true;
}

bool Move(const KsString& from, const KsString& to) {
  return sys::MoveFile(KsFileSystem::ToLongPath(from).Chars(), KsFileSystem::ToLongPath(to).Chars()) != 0;
}

}  // namespace

KsString KsFileSystem::ToLongPath(const KsChar* path) {
  KsString text(path != nullptr ? path : u"");
  if (text.GetLength() < static_cast<int>(sys::MAX_PATH) || text.StartsWith(kLongPathPrefix, false)) return text;
  // Windows takes a prefixed path literally: forward slashes must go first.
  text.Replace(u'/', u'\\');
  if (text.StartsWith(u"\\\\", false)) {
    // "\\.\" device paths are left as they are.
    if (text.GetLength() > 2 && (text[2] == u'.' || text[2] == u'?')) return text;
    return u"\\\\?\\UNC\\" + text.Mid(2);
  }
  if (text.GetLength() >= 3 && text[1] == u':' && text[2] == u'\\') return kLongPathPrefix + text;
  return text;  // a relative path cannot carry the prefix; Windows reports the length itself
}

KsString KsFileSystem::WithBackslash(const KsChar* path) {
  KsString text(path != nullptr ? path : u"");
  if (!text.IsEmpty() && !text.EndsWithBackslash()) text.AppendChar(u'\\');
  return text;
}

bool KsFileSystem::FileExists(const KsChar* path) {
  const sys::DWORD attributes = Attributes(path);
  return attributes != sys::INVALID_FILE_ATTRIBUTES && (attributes & sys::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool KsFileSystem::PathExists(const KsChar* path) { return Attributes(path) != sys::INVALID_FILE_ATTRIBUTES; }

bool KsFileSystem::FolderExists(const KsChar* path) { return IsFolderAttributes(Attributes(path)); }

std::int64_t KsFileSystem::GetFileSize(const KsChar* path) {
  // The attribute data holds what a find would, without treating "*" or "?"
  // in the name as a pattern.
  sys::WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!sys::GetFileAttributesEx(ToLongPath(path).Chars(), sys::GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool KsFileSystem::DeleteFile(const KsChar* path) {
  const KsString longPath = ToLongPath(path);
  sys::SetFileAttributes(longPath.Chars(), sys::FILE_ATTRIBUTE_NORMAL);
  if (sys::DeleteFile(longPath.Chars())) return true;
  LogFailure(kLogTag, u"DeleteFile", path, sys::GetLastError());
  return false;
}

bool KsFileSystem::SafeReplaceFile(const KsChar* newFile, const KsChar* target) {
  const KsString source(newFile != nullptr ? newFile : u"");
  const KsString destination(target != nullptr ? target : u"");
  if (GetFileSize(source) < 0) {
    LogFailure(kReplaceTag, u"Reading the size of", source, sys::GetLastError());
    DeleteFile(source);
    return false;
  }
  if (!PathExists(destination)) {
    if (Move(source, destination)) return true;
    KsLogFormat(kKsLogError, kReplaceTag, u"MoveFile %s to %s failed (error %d)", source, destination,
                static_cast<std::int64_t>(sys::GetLastError()));
    return false;
  }
  const KsString backup = MakeUniqueFileName(destination);
  if (backup.IsEmpty() || !Move(destination, backup)) {
    const sys::DWORD error = sys::GetLastError();
    KsLog(kKsLogError, kReplaceTag, u"Error renaming original file");
    KsLogFormat(kKsLogError, kReplaceTag, u"MoveFile %s to %s failed (error %d)", destination, backup,
                static_cast<std::int64_t>(error));
    DeleteFile(source);
    return false;
  }
  if (!Move(source, destination)) {
    const sys::DWORD error = sys::GetLastError();
    KsLog(kKsLogError, kReplaceTag, u"Error moving new file into place of original name");
    KsLogFormat(kKsLogError, kReplaceTag, u"MoveFile %s to %s failed (error %d)", source, destination,
                static_cast<std::int64_t>(error));
    if (!Move(backup, destination)) {
      // Neither content is under the target name: keep both files where they
      // are rather than lose one, and say where they are.
      KsLogFormat(kKsLogError, kReplaceTag,
                  u"Error restoring original file %s from %s (error %d); new file kept as %s", destination, backup,
                  static_cast<std::int64_t>(sys::GetLastError()), source);
      return false;
    }
    DeleteFile(source);
    return false;
  }
  DeleteFile(backup);
  return true;
}

KsString KsFileSystem::MakeUniqueFileName(const KsChar* path) {
  KsString candidate(path != nullptr ? path : u"");
  if (candidate.IsEmpty() || !PathExists(candidate)) return candidate;
  const int nameStart = candidate.ReverseFindChar(u'\\') + 1;
  const KsString folder = candidate.Left(nameStart);
  const KsString name = candidate.Mid(nameStart);
  const int dot = name.ReverseFindChar(u'.');
  KsString base = dot >= 0 ? name.Left(dot) : name;
  const KsString extension = dot >= 0 ? name.Mid(dot) : KsString();
  for (int attempt = 0; attempt < kMaxUniqueNameTries; ++attempt) {
    base.MakeUniqueName();
    candidate = folder + base + extension;
    if (!PathExists(candidate)) return candidate;
  }
  KsLogFormat(kKsLogError, kLogTag, u"No free name like %s after %d tries", path, kMaxUniqueNameTries);
  return KsString();
}

KsString KsFileSystem::GetTemporaryFileName(const KsChar* prefix, const KsChar* extension, const KsChar* folder) {
  KsString location = WithBackslash(folder);
  if (location.IsEmpty()) location = KsProductPaths::Get().GetTemporaryFolder();
  KsString name = location + (prefix != nullptr ? prefix : u"");
  name.AppendFormat(u" - %d.%s", static_cast<std::int64_t>(sys::GetCurrentThreadId()),
                    extension != nullptr ? extension : u"");
  return MakeUniqueFileName(name);
}

bool KsFileSystem::IsFolderWritable(const KsChar* folder) {
  const KsString location = WithBackslash(folder);
  if (location.IsEmpty()) return false;
  {
    // Asking for the right to add files makes Windows check the folder's
    // rights before any file is made; the test file below decides.
    constexpr sys::DWORD kAddFile = 2;
    KsFileHandle handle(sys::CreateFile(ToLongPath(location).Chars(), kAddFile,
                                        sys::FILE_SHARE_READ | sys::FILE_SHARE_WRITE | sys::FILE_SHARE_DELETE,
                                        nullptr, sys::OPEN_EXISTING, sys::FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  }
  const KsString testFile =
      KsFormat(u"%sDirectory Write Test (%d).tmp", location, static_cast<std::int64_t>(sys::GetCurrentThreadId()));
  const KsString longTest = ToLongPath(testFile);
  {
    KsFileHandle handle(sys::CreateFile(longTest.Chars(), sys::GENERIC_WRITE, 0, nullptr, sys::CREATE_ALWAYS,
                                        sys::FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
      KsLogFormat(kKsLogInfo, kLogTag, u"Folder %s is not writable (error %d)", location,
                  static_cast<std::int64_t>(sys::GetLastError()));
      return false;
    }
  }
  sys::DeleteFile(longTest.Chars());
  return true;
}

bool KsFileSystem::IsFolderEmpty(const KsChar* folder, bool recurse, bool ignoreThumbs) {
  const KsString top = WithBackslash(folder);
  if (top.IsEmpty() || TooLong(kLogTag, u"IsFolderEmpty", top)) return false;
  if (!FolderExists(top)) return true;  // a folder that is not there holds no file
  std::vector<KsString> pending{top};
  std::vector<FolderEntry> entries;
  while (!pending.empty()) {
    const KsString current = pending.back();
    pending.pop_back();
    sys::DWORD error = 0;
    if (!ListFolder(current, &entries, &error)) {
      LogFailure(kLogTag, u"Listing", current, error);
      return false;  // what cannot be read cannot be called empty
    }
    for (const FolderEntry& entry : entries) {
      if ((entry.attributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (recurse && (entry.attributes & kAttributeReparsePoint) == 0)
          pending.push_back(current + entry.name + u"\\");
      } else if (!(ignoreThumbs && entry.name.CompareNoCase(u"Thumbs.db") == 0)) {
        return false;
      }
    }
  }
  return true;
}

bool KsFileSystem::CreateFolder(const KsChar* path) {
  KsString folder(path != nullptr ? path : u"");
  if (!folder.StartsWith(kLongPathPrefix, false)) folder.Replace(u'/', u'\\');  // levels are split at "\"
  folder.TrimTrailingBackslashes();
  if (folder.IsEmpty() || TooLong(kLogTag, u"CreateFolder", folder)) return false;
  if (FolderExists(folder)) return true;
  const int rootLength = RootLength(folder);
  for (int position = rootLength; position <= folder.GetLength(); ++position) {
    if (position < folder.GetLength() && folder[position] != u'\\') continue;
    if (position == 0 || folder[position - 1] == u'\\') continue;  // doubled separators
    const KsString part = folder.Left(position);
    const sys::DWORD attributes = Attributes(part);
    if (IsFolderAttributes(attributes)) continue;
    if (attributes != sys::INVALID_FILE_ATTRIBUTES) {
      LogFailure(kLogTag, u"CreateDirectory (a file has the name)", part, sys::ERROR_ALREADY_EXISTS);
      sys::SetLastError(sys::ERROR_ALREADY_EXISTS);
      return false;
    }
    if (!sys::CreateDirectory(ToLongPath(part).Chars(), nullptr) &&
        sys::GetLastError() != sys::ERROR_ALREADY_EXISTS) {
      LogFailure(kLogTag, u"CreateDirectory", part, sys::GetLastError());
      return false;
    }
  }
  return FolderExists(folder);
}

bool KsFileSystem::DeleteFolder(const KsChar* path) {
  const KsString top = WithBackslash(path);
  if (top.IsEmpty() || TooLong(kLogTag, u"DeleteFolder", top)) return false;
  const sys::DWORD topAttributes = Attributes(top);
  if (topAttributes == sys::INVALID_FILE_ATTRIBUTES) return true;
  if (!IsFolderAttributes(topAttributes)) {
    LogFailure(kLogTag, u"DeleteFolder (not a folder)", path, sys::ERROR_DIRECTORY);
    sys::SetLastError(sys::ERROR_DIRECTORY);
    return false;
  }
  // Files go while the tree is walked; folders afterwards, deepest first. The
  // walk keeps its own list so that a deep tree cannot exhaust the stack.
  std::vector<KsString> folders{top};
  std::vector<FolderEntry> entries;
  for (std::size_t index = 0; index < folders.size(); ++index) {
    const KsString current = folders[index];
    const sys::DWORD attributes = Attributes(current);
    if (index > 0 && attributes != sys::INVALID_FILE_ATTRIBUTES && (attributes & kAttributeReparsePoint) != 0)
      continue;  // the link goes, never what it points to
    sys::DWORD error = 0;
    if (!ListFolder(current, &entries, &error)) LogFailure(kLogTag, u"Listing", current, error);
    for (const FolderEntry& entry : entries) {
      if ((entry.attributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
        folders.push_back(current + entry.name + u"\\");
      } else {
        DeleteFile(current + entry.name);
      }
    }
  }
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const KsString longPath = ToLongPath(*it);
    sys::SetFileAttributes(longPath.Chars(), sys::FILE_ATTRIBUTE_NORMAL);
    if (!sys::RemoveDirectory(longPath.Chars())) LogFailure(kLogTag, u"RemoveDirectory", *it, sys::GetLastError());
  }
  return !PathExists(top);
}

KsString KsFileSystem::CleanFileName(const KsChar* text) {
  KsString result(text != nullptr ? text : u"");
  const int length = result.GetLength();
  KsChar* chars = result.BeginEdit();
  for (int index = 0; index < length; ++index) {
    const KsChar c = chars[index];
    if (c < 0x20) {
      chars[index] = u' ';
    } else if (c == u':' || c == u'/' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
               c == u'|') {
      chars[index] = u'_';
    }
  }
  result.EndEdit(length);
  return result;
}

bool KsFileSystem::GetFreeDiskSpace(const KsChar* path, std::int64_t* available, std::int64_t* total) {
  if (available != nullptr) *available = 0;
  if (total != nullptr) *total = 0;
  KsString level(path != nullptr ? path : u"");
  if (level.GetLength() == 1) level.Append(u":\\");
  level = WithBackslash(level);
  if (level.IsEmpty() || TooLong(kLogTag, u"GetFreeDiskSpace", level)) return false;
  while (!level.IsEmpty()) {
    sys::ULARGE_INTEGER free{}, size{}, totalFree{};
    if (sys::GetDiskFreeSpaceEx(ToLongPath(level).Chars(), &free, &size, &totalFree)) {
      if (available != nullptr) *available = static_cast<std::int64_t>(free.QuadPart);
      if (total != nullptr) *total = static_cast<std::int64_t>(size.QuadPart);
      return true;
    }
    if (level.GetLength() <= RootLength(level)) break;  // the root did not answer either
    level.TrimTrailingBackslashes();
    const int separator = level.ReverseFindChar(u'\\');
    if (separator < 0) break;
    level = level.Left(separator + 1);
  }
  LogFailure(kLogTag, u"GetDiskFreeSpaceEx", path, sys::GetLastError());
  return false;
}

KsString KsFileSystem::FormatSizeText(std::int64_t bytes) {
  // The magnitude as unsigned, so the most negative count has one too.
  const std::uint64_t magnitude =
      bytes < 0 ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
  struct Unit {
    std::uint64_t size;
    const KsChar* name;
  };
  static constexpr Unit kUnits[] = {{1ull << 50, u"PB"}, {1ull << 40, u"TB"}, {1ull << 30, u"GB"},
                                    {1ull << 20, u"MB"}, {1ull << 10, u"KB"}};
  KsString text(bytes < 0 ? u"-" : u"");
  for (const Unit& unit : kUnits) {
    if (magnitude >= unit.size) {
      const double scaled = static_cast<double>(magnitude) / static_cast<double>(unit.size);
      text.AppendFormat(scaled >= 100.0 ? u"%.0f %s" : u"%.1f %s", scaled, unit.name);
      return text;
    }
  }
  text.AppendFormat(u"%d bytes", static_cast<std::int64_t>(magnitude));
  return text;
}

bool KsMoveCopyDirectory(const KsChar* source, const KsChar* target, int flags, IKsCopyProgress* progress) {
  const KsString from = KsFileSystem::WithBackslash(source);
  const KsString to = KsFileSystem::WithBackslash(target);
  const bool move = (flags & KsFileSystem::kMoveFiles) != 0;
  if (from.IsEmpty() || to.IsEmpty() || TooLong(kLogTag, u"KsMoveCopyDirectory", from) ||
      TooLong(kLogTag, u"KsMoveCopyDirectory", to)) {
    return false;
  }
  if (!KsFileSystem::FolderExists(from)) {
    LogFailure(kLogTag, u"KsMoveCopyDirectory: source", from, sys::ERROR_PATH_NOT_FOUND);
    sys::SetLastError(sys::ERROR_PATH_NOT_FOUND);
    return false;
  }
  // The whole tree is listed before anything is written, so a target inside
  // the source is not copied into itself.
  std::vector<KsString> folders{KsString()};
  std::vector<KsString> files;
  std::vector<FolderEntry> entries;
  for (std::size_t index = 0; index < folders.size(); ++index) {
    const KsString relative = folders[index];
    sys::DWORD error = 0;
    if (!ListFolder(from + relative, &entries, &error)) {
      LogFailure(kLogTag, u"Listing", from + relative, error);
      return false;
    }
    for (const FolderEntry& entry : entries) {
      if ((entry.attributes & sys::FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if ((entry.attributes & kAttributeReparsePoint) == 0) folders.push_back(relative + entry.name + u"\\");
      } else {
        files.push_back(relative + entry.name);
      }
    }
  }
  for (const KsString& relative : folders) {
    if (!KsFileSystem::CreateFolder(to + relative)) return false;
  }
  const int total = static_cast<int>(files.size());
  int done = 0;
  for (const KsString& relative : files) {
    const KsString sourceFile = from + relative;
    const KsString targetFile = to + relative;
    const KsString longSource = KsFileSystem::ToLongPath(sourceFile);
    const KsString longTarget = KsFileSystem::ToLongPath(targetFile);
    const bool exists = KsFileSystem::PathExists(targetFile);
    if (!(exists && (flags & KsFileSystem::kKeepExisting) != 0)) {
      // A read-only target would refuse to be replaced.
      if (exists) sys::SetFileAttributes(longTarget.Chars(), sys::FILE_ATTRIBUTE_NORMAL);
      const bool ok = move ? sys::MoveFileEx(longSource.Chars(), longTarget.Chars(),
                                             sys::MOVEFILE_REPLACE_EXISTING | sys::MOVEFILE_COPY_ALLOWED) != 0
                           : sys::CopyFile(longSource.Chars(), longTarget.Chars(), sys::FALSE) != 0;
      if (!ok) {
        KsLogFormat(kKsLogError, kLogTag, u"%s %s to %s failed (error %d)", move ? u"MoveFileEx" : u"CopyFile",
                    sourceFile, targetFile, static_cast<std::int64_t>(sys::GetLastError()));
        return false;
      }
    }
    ++done;
    if (progress != nullptr && !progress->OnFileCopied(sourceFile, targetFile, done, total)) {
      KsLogFormat(kKsLogInfo, kLogTag, u"Copy of %s cancelled after %d of %d files", from, done, total);
      return false;
    }
  }
  if (move) {
    // Folders left holding files (kept ones) stay; the others go, deepest first.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
      sys::RemoveDirectory(KsFileSystem::ToLongPath(from + *it).Chars());
  }
  return true;
}
