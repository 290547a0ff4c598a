#include "tools/KsToolsUIService.h"

namespace {
constexpr KsChar kTag[] = u"UI";
}  // namespace

void KsToolsUIService::SetSkinFolder(const KsChar* folder) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_skinFolder = folder;
  }
  KsLogFormat(kKsLogInfo, kTag, u"Skin folder: %s", folder != nullptr ? folder : u"");
}

void KsToolsUIService::SetTitleIcon(const KsChar* name, int flags) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_titleIcon = name;
  (void)flags;
}

void KsToolsUIService::SetScalePercent(int percent) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_scalePercent = percent >= 50 && percent <= 500 ? percent : 100;
}

int KsToolsUIService::Scale(int length) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // Rounded half away from zero, so a negative offset scales like its length.
  const long long scaled = static_cast<long long>(length) * m_scalePercent;
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : (scaled - 50) / 100);
}

int KsToolsUIService::GetMetric(int metric) {
  if (metric == kButtonSpacingMetric) return Scale(kButtonSpacing);
  return -1;
}

bool KsToolsUIService::SetSkinnedDialogs(bool on) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const bool before = m_skinnedDialogs;
  m_skinnedDialogs = on;
  return before;
}

KsString KsToolsUIService::GetSkinFolder() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_skinFolder;
}

KsString KsToolsUIService::GetTitleIcon() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_titleIcon;
}
