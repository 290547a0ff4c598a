#pragma once
// The module's text service, installed in place of foundation's default: the
// case-insensitive search (mode 3) and collation fold case beyond the first 256
// code units too (Latin Extended-A, Greek, Cyrillic), so "ÅBERG" finds
// "åberg" and "ДОМ" finds "дом". Comparison orders by the folded code units.

#include "foundation/KsTextService.h"

class KsToolsTextService final : public IKsTextService {
 public:
  static KsChar Fold(KsChar c) noexcept;

  int FindText(const KsChar* text, const KsChar* pattern, int mode) override;
  int CompareText(const KsChar* a, const KsChar* b, int mode, int flags, int length) override;
};
