#pragma once
// KsStringArraySort: the order of KsStringArray::Sort, the text service's
// CompareText(a, b, mode, 1, -1).

#include "foundation/IKsQSortCompare.h"
#include "foundation/KsString.h"
#include "foundation/KsTextService.h"

class KsStringArraySort final : public IKsQSortCompare<KsString> {
 public:
  explicit KsStringArraySort(int mode) : m_mode(mode), m_service(GetTextService()) {}
  int Compare(const KsString* a, const KsString* b) override {
    return m_service->CompareText(a->Chars(), b->Chars(), m_mode, 1, -1);
  }

 private:
  int m_mode;
  IKsTextService* m_service;  // taken once per sort
};
