#pragma once
// The module's log sink: a readable text file in the user's temporary folder,
// one UTF-8 line per call ("2026-12-11 15:49:44.123 Trace  Tag: text"). Each
// line is appended with its own open and close, so a crash loses nothing and
// another process of the product may write the same file. A file grown past
// kMaxBytes is started afresh when the log opens. Failures to write are
// dropped: logging never fails its caller.

#include <mutex>

#include "foundation/KsTools.h"

class KsToolsLogFile final : public IKsLog {
 public:
  static constexpr long long kMaxBytes = 4 * 1024 * 1024;

  // Opens the log at path (empty: "KsTools.log" in the temporary folder).
  void Open(const KsChar* path);
  const KsString& GetPath() const noexcept { return m_path; }

  void Log(int level, const KsChar* tag, const KsChar* text) override;

 private:
  void Append(const std::string& line);

  std::mutex m_mutex;
  KsString m_path;
};
