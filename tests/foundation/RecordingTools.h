#pragma once
// A tools root for tests: keeps the log lines ("Tag: text") and counts the
// message pumps it is asked for. Installs itself as the process's root for its
// lifetime.

#include <mutex>
#include <string>
#include <vector>

#include "foundation/KsTools.h"

class RecordingTools final : public IKsTools, public IKsLog, public IKsWindowService {
 public:
  RecordingTools() { SetKsToolsRoot(this); }
  ~RecordingTools() { SetKsToolsRoot(nullptr); }
  RecordingTools(const RecordingTools&) = delete;
  RecordingTools& operator=(const RecordingTools&) = delete;

  void Log(int, const KsChar* tag, const KsChar* text) override {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(std::u16string(tag) + u": " + std::u16string(text));
  }
  void PumpMessages() override { ++pumps; }

  IKsTextService* GetTextService() override { return nullptr; }
  IKsLockService* GetLockService() override { return nullptr; }
  IKsLanguageService* GetLanguageService() override { return nullptr; }
  IKsProductInfo* GetProductInfo(bool) override { return nullptr; }
  IKsLog* GetLog() override { return this; }
  IKsMessageService* GetMessageService() override { return nullptr; }
  IKsFileService* GetFileService() override { return nullptr; }
  IKsWindowService* GetWindowService() override { return this; }
  IKsCompressionService* GetCompressionService() override { return nullptr; }
  IKsSettingsStore* GetSettingsStore(const KsChar*) override { return nullptr; }

  std::vector<std::u16string> Lines() {
    std::lock_guard lock(m_mutex);
    return m_lines;
  }
  // Lines whose text (after "Tag: ") starts with prefix.
  std::vector<std::u16string> LinesStartingWith(const std::u16string& prefix) {
    std::vector<std::u16string> found;
    for (const auto& line : Lines()) {
      std::size_t colon = line.find(u": ");
      if (colon != std::u16string::npos && line.compare(colon + 2, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
  }

  int pumps = 0;

 private:
  std::mutex m_mutex;
  std::vector<std::u16string> m_lines;
};
