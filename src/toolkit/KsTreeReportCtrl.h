#pragma once
// A report of rows under a header, with a check box on every row: group rows
// (bold, can fold away their items) and the item rows below them. A group is
// checked when all its items are; checking or clearing a group does the same
// to all its items. Up and Down move the current row, Space toggles its check
// box, Left folds a group and Right unfolds it; a click on a row makes it
// current and a click on its check box toggles it. Each change of a check
// posts WM_COMMAND with the report's identifier and kCheckChangedCode.

#include "toolkit/KsControlWnd.h"
#include "toolkit/KsHeaderCtrl.h"

#include <memory>
#include <vector>

class KsTreeReportCtrl : public KsControlWnd {
 public:
  static constexpr int kCheckChangedCode = 0x0101;
  static constexpr int kRowHeight = 16;

  KsTreeReportCtrl();
  ~KsTreeReportCtrl() override;

  // The report must exist before columns and rows are added.
  void AddColumn(const KsChar* title, int width);
  // texts: one per column; answers the row's index.
  int AddGroup(const std::vector<KsString>& texts);
  // An item of the group (-1: an item with no group), shown below the group's
  // earlier items. Indices of rows never change.
  int AddItem(int group, const std::vector<KsString>& texts);

  int GetRowCount() const { return int(m_rows.size()); }
  bool IsGroup(int row) const { return Valid(row) && m_rows[std::size_t(row)].group; }
  KsString GetRowText(int row, int column) const;
  bool IsRowChecked(int row) const;
  // Checks or clears the row (a group: all its items) without notifying.
  void SetRowChecked(int row, bool checked);
  bool IsExpanded(int group) const { return IsGroup(group) && m_rows[std::size_t(group)].expanded; }
  void SetExpanded(int group, bool expanded);
  int GetCurrentRow() const { return m_current; }
  void SetCurrentRow(int row);
  // The row at a point of the report's client area, or -1.
  int RowAt(POINT point);
  KsHeaderCtrl* GetHeader() { return m_header.get(); }

  const KsChar* GetRole() override { return u"tree"; }
  bool IsFocusable() override { return true; }
  void Paint(KsCanvas& canvas) override;
  // None: the current row carries the focus mark.
  RECT GetFocusRect(KsCanvas&) override { return RECT{0, 0, 0, 0}; }
  bool OnSize(int type, int width, int height) override;
  bool OnLeftUp(POINT point, WPARAM keys) override;
  bool OnKeyDown(WPARAM key, LPARAM flags) override;

 private:
  struct Row {
    std::vector<KsString> texts;
    bool group;
    int parent;
    bool checked;
    bool expanded;
  };
  bool Valid(int row) const { return row >= 0 && row < int(m_rows.size()); }
  // The rows shown now (items of folded groups left out), in order.
  std::vector<int> ShownRows() const;
  void Toggle(int row);
  void ScrollToCurrent();
  int VisibleRowCount();

  std::unique_ptr<KsHeaderCtrl> m_header;
  std::vector<Row> m_rows;
  int m_current = -1;
  int m_firstShown = 0;  // index into ShownRows() of the top row
  int m_charWidth = 8;   // measured when painted; places the check boxes for clicks
};
