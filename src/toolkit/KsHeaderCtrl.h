#pragma once
// The header of a report: column titles side by side, each column as wide as
// given (the last one takes the rest).

#include "toolkit/KsControlWnd.h"

#include <vector>

class KsHeaderCtrl : public KsControlWnd {
 public:
  struct Column {
    KsString title;
    int width;
  };

  void AddColumn(const KsChar* title, int width);
  const std::vector<Column>& GetColumns() const { return m_columns; }
  // Left edge of the column in the header's client coordinates.
  int GetColumnLeft(int index) const;

  KsString GetText() override;
  const KsChar* GetRole() override { return u"header"; }
  void Paint(KsCanvas& canvas) override;

 private:
  std::vector<Column> m_columns;
};
