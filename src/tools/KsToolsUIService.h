#pragma once
// The UI service: the skin folder and title icon the installer chose, the
// scaling of fixed layouts for the screen's text size (a percentage, 100 at
// 96 dots per inch) and layout metrics.

#include <mutex>

#include "foundation/KsTools.h"

class KsToolsUIService final : public IKsUIService {
 public:
  static constexpr int kButtonSpacingMetric = 8;
  static constexpr int kButtonSpacing = 8;

  void SetSkinFolder(const KsChar* folder) override;
  void SetTitleIcon(const KsChar* name, int flags) override;
  int Scale(int length) override;
  int GetMetric(int metric) override;
  bool SetSkinnedDialogs(bool on) override;

  void SetScalePercent(int percent);
  KsString GetSkinFolder();
  KsString GetTitleIcon();

 private:
  std::mutex m_mutex;
  KsString m_skinFolder;
  KsString m_titleIcon;
  int m_scalePercent = 100;
  bool m_skinnedDialogs = true;
};
