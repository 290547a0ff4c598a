#pragma once
// The archive service: unzips an archive (read through the platform seam) into
// a folder, keeping the archive's folders or putting every file straight into
// the folder. Entries that would land outside the folder (".." parts, absolute
// or drive paths) are refused, as are encrypted entries; a file whose data is
// damaged is removed again. The answer is true only when every entry was
// written; what was written before a failure stays.

#include "foundation/KsTools.h"

class KsToolsArchive final : public IKsArchiveService {
 public:
  bool Unzip(const KsChar* archive, const KsChar* folder, bool keepFolders) override;
};
