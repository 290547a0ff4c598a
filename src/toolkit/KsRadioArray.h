#pragma once
// A group of radio options under a bold title, each option with a title and a
// description below it. Exactly one option is chosen once any is; the group is
// one Tab stop (the chosen option, or the first while none is), arrows move
// the choice, and a choice posts WM_COMMAND with the group's identifier to
// the host window.

#include "toolkit/KsControlWnd.h"

#include <memory>
#include <vector>

class KsRadioOptionCtrl;

class KsRadioArray : public KsControlWnd {
 public:
  // Height of one line of an option.
  static constexpr int kRowHeight = 16;

  KsRadioArray();
  ~KsRadioArray() override;

  // Adds an option below the others (the group must exist); answers its index.
  int AddOption(const KsChar* title, const KsChar* description);
  int GetOptionCount() const { return int(m_options.size()); }
  KsRadioOptionCtrl* GetOption(int index);
  // -1 while nothing is chosen.
  int GetSelection() const { return m_selection; }
  // Chooses the option (or none, -1) without notifying.
  void SetSelection(int index);
  // Chooses the option as the user does: focus and notification.
  void Choose(int index);
  // The height the title and options need.
  int GetContentHeight();

  const KsChar* GetRole() override { return u"radiogroup"; }
  void Paint(KsCanvas& canvas) override;
  bool OnSize(int type, int width, int height) override;

 private:
  void LayOutOptions();

  std::vector<std::unique_ptr<KsRadioOptionCtrl>> m_options;
  int m_selection = -1;
};

// One option of a KsRadioArray.
class KsRadioOptionCtrl : public KsControlWnd {
 public:
  KsRadioOptionCtrl(KsRadioArray* group, int index, const KsChar* description)
      : m_group(group), m_index(index), m_description(description ? description : u"") {}

  const KsChar* GetRole() override { return u"radio"; }
  bool IsChecked() override { return m_group->GetSelection() == m_index; }
  bool IsFocusable() override;
  void Press() override { m_group->Choose(m_index); }
  const KsString& GetDescription() const { return m_description; }
  void Paint(KsCanvas& canvas) override;
  // Around the option's title.
  RECT GetFocusRect(KsCanvas& canvas) override;

  bool OnLeftUp(POINT point, WPARAM keys) override;
  bool OnKeyDown(WPARAM key, LPARAM flags) override;

 private:
  KsRadioArray* m_group;
  int m_index;
  KsString m_description;
};
