#pragma once
// KsFileSystem: the file operations the install steps share. Every operation
// answers success as a bool (sizes as -1, names as empty text on failure), logs
// the reason with the path and the native error code, and leaves behind only
// what Windows left: a safe replace always keeps either the old or the new
// content under the target name. Paths of MAX_PATH characters or more are
// handed to Windows with the long-path prefix.

#include <cstdint>

#include "foundation/KsString.h"

// Told about each file of a folder copy; answering false cancels the copy.
class IKsCopyProgress {
 public:
  virtual bool OnFileCopied(const KsString& source, const KsString& target, int filesDone, int filesTotal) = 0;

 protected:
  ~IKsCopyProgress() = default;
};

class KsFileSystem {
 public:
  // Flags of KsMoveCopyDirectory.
  static constexpr int kMoveFiles = 0x1;     // move instead of copy; emptied source folders are removed
  static constexpr int kKeepExisting = 0x2;  // leave files that exist in the target alone

  // Puts newFile in the place of target. The old target is moved aside to a
  // free name first and restored if the new file cannot take its place.
  static bool SafeReplaceFile(const KsChar* newFile, const KsChar* target);
  // "<folder><prefix> - <thread id>.<extension>", made unique; folder empty:
  // the product's temporary folder.
  static KsString GetTemporaryFileName(const KsChar* prefix, const KsChar* extension, const KsChar* folder);
  // path itself when nothing of that name exists, else "name (1).ext",
  // "name (2).ext" and so on; empty when no free name was found.
  static KsString MakeUniqueFileName(const KsChar* path);
  static bool IsFolderWritable(const KsChar* folder);
  // True when the folder holds no file; subfolders are looked into with
  // recurse, and files named "Thumbs.db" do not count with ignoreThumbs.
  static bool IsFolderEmpty(const KsChar* folder, bool recurse, bool ignoreThumbs);
  // Creates every missing folder of the path; true when the folder exists.
  static bool CreateFolder(const KsChar* path);
  // Deletes the folder with everything in it, read-only files included.
  static bool DeleteFolder(const KsChar* path);
  static bool DeleteFile(const KsChar* path);
  // True for an existing file (not a folder).
  static bool FileExists(const KsChar* path);
  // True for an existing file or folder.
  static bool PathExists(const KsChar* path);
  static bool FolderExists(const KsChar* path);
  static std::int64_t GetFileSize(const KsChar* path);
  // Control characters become blanks, the characters Windows refuses in a
  // name (other than the backslash) become "_".
  static KsString CleanFileName(const KsChar* text);
  // Space of the drive holding path, asked of the nearest existing folder;
  // both 0 and false when no level answers.
  static bool GetFreeDiskSpace(const KsChar* path, std::int64_t* available, std::int64_t* total);
  // "1023 bytes", "1.5 KB", "150 MB", ... up to "PB"; negative counts get "-".
  static KsString FormatSizeText(std::int64_t bytes);
  // The path as Windows must be given it: with "\\?\" (or "\\?\UNC\" for a
  // network path) once it has MAX_PATH characters or more.
  static KsString ToLongPath(const KsChar* path);
  // path with one trailing backslash (empty stays empty).
  static KsString WithBackslash(const KsChar* path);
};

// Copies (or, with kMoveFiles, moves) every file and subfolder of source into
// target, creating target folders as needed. progress may be null.
bool KsMoveCopyDirectory(const KsChar* source, const KsChar* target, int flags, IKsCopyProgress* progress);
