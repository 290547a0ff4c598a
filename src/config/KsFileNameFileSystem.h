#pragma once
// KsFileNameFileSystem: the file-system helpers of KsFileSystem for paths given as
// a KsFileName. Each works on the name's file-name text (what the XMLFN form's
// "Filename" item or the plain text minus its ";data" tail gave); the attached
// values are not looked at. Results and logging are those of KsFileSystem: a
// name that came out empty fails like an empty path.

#include <cstdint>

#include "foundation/KsFileSystem.h"

class KsFileName;

class KsFileNameFileSystem {
 public:
  static bool SafeReplaceFile(const KsFileName& newFile, const KsFileName& target);
  static KsString GetTemporaryFileName(const KsChar* prefix, const KsChar* extension, const KsFileName& folder);
  static KsString MakeUniqueFileName(const KsFileName& path);
  static bool IsFolderWritable(const KsFileName& folder);
  static bool IsFolderEmpty(const KsFileName& folder, bool recurse, bool ignoreThumbs);
  static bool CreateFolder(const KsFileName& path);
  static bool DeleteFolder(const KsFileName& path);
  static bool DeleteFile(const KsFileName& path);
  static bool FileExists(const KsFileName& path);
  static bool PathExists(const KsFileName& path);
  static bool FolderExists(const KsFileName& path);
  static std::int64_t GetFileSize(const KsFileName& path);
  static bool GetFreeDiskSpace(const KsFileName& path, std::int64_t* available, std::int64_t* total);
  static bool MoveCopyDirectory(const KsFileName& source, const KsFileName& target, int flags,
                                IKsCopyProgress* progress);
};
