#pragma once
// The file service: whether a path names an existing file (a folder is not one).

#include "foundation/KsTools.h"
#include "platform/SysFile.h"

class KsToolsFileService final : public IKsFileService {
 public:
  bool FileExists(const KsChar* path, int) override {
    if (path == nullptr || *path == 0) return false;
    const ks::sys::DWORD attributes = ks::sys::GetFileAttributes(path);
    return attributes != ks::sys::INVALID_FILE_ATTRIBUTES && (attributes & ks::sys::FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
};
