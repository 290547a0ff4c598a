#pragma once
// A one-line text field with a suggestion list. Typing inserts at the caret;
// Backspace, Delete, Left, Right, Home and End edit and move as usual. Each
// change posts WM_COMMAND with the field's identifier and code kChangedCode to
// the host window, and asks GetSuggestions for the whole text: the ones that
// begin with the text after the last separator (all of it without a
// separator; compared without regard to case) are listed below the field.
// Down and Up pick from the list, Enter or a click takes the pick in place of
// that last part, Esc closes the list.

#include "toolkit/KsControlWnd.h"

#include <functional>
#include <memory>
#include <vector>

class KsSuggestionListCtrl;

class KsEditCtrl : public KsControlWnd {
 public:
  static constexpr int kChangedCode = 0x0300;  // EN_CHANGE
  static constexpr int kListRows = 6;

  KsEditCtrl();
  ~KsEditCtrl() override;

  // Where the part that suggestions complete begins (after it); 0 for none.
  void SetSuggestionSeparator(KsChar separator) { m_separator = separator; }
  void SetSuggestionSource(std::function<std::vector<KsString>(const KsString&)> source) {
    m_source = std::move(source);
  }
  virtual std::vector<KsString> GetSuggestions(const KsString& text);
  // The suggestions shown now (empty when the list is closed).
  std::vector<KsString> GetShownSuggestions() const;
  int GetCaret() const { return m_caret; }
  // Takes the suggestion in place of the part after the separator.
  void AcceptSuggestion(const KsString& suggestion);

  bool SetText(const KsChar* text) override;
  const KsChar* GetRole() override { return u"edit"; }
  bool IsFocusable() override { return true; }
  void Paint(KsCanvas& canvas) override;
  void OnFocusChanged(bool focused) override;
  bool OnDestroy() override;

  bool OnKeyDown(WPARAM key, LPARAM flags) override;
  bool OnChar(WPARAM character, LPARAM flags) override;

 private:
  void Edited();
  void UpdateSuggestions();
  void CloseList();
  int PartStart();

  int m_caret = 0;
  KsChar m_separator = 0;
  std::function<std::vector<KsString>(const KsString&)> m_source;
  std::unique_ptr<KsSuggestionListCtrl> m_list;
};

// The list below a KsEditCtrl, a control of the same host so it may reach
// past the field's rectangle.
class KsSuggestionListCtrl : public KsControlWnd {
 public:
  explicit KsSuggestionListCtrl(KsEditCtrl* edit) : m_edit(edit) {}

  void SetItems(std::vector<KsString> items);
  const std::vector<KsString>& GetItems() const { return m_items; }
  int GetPick() const { return m_pick; }
  void MovePick(int step);

  const KsChar* GetRole() override { return u"list"; }
  void Paint(KsCanvas& canvas) override;
  bool OnLeftUp(POINT point, WPARAM keys) override;

 private:
  KsEditCtrl* m_edit;
  std::vector<KsString> m_items;
  int m_pick = -1;
};
