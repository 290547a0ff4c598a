#pragma once
// A modal folder chooser: a field holding the folder, starting at the given
// one, that suggests the subfolders of what is typed (drive and network paths),
// with OK and Cancel. OK (or Enter) answers the field's text, Cancel, Esc or
// closing an empty text.

#include "toolkit/KsEditCtrl.h"
#include "toolkit/KsOkCancelPopupWnd.h"
#include "toolkit/KsStaticTextCtrl.h"

#include <memory>

class KsFolderChooserPopupWnd : public KsOkCancelPopupWnd {
 public:
  KsFolderChooserPopupWnd(const KsChar* title, const KsChar* startFolder);
  ~KsFolderChooserPopupWnd() override;

  static KsString ChooseFolder(const KsChar* title, const KsChar* startFolder, KsWnd* owner = nullptr);

  KsString GetTitle() override { return m_title; }
  void GetPreferredSize(int* width, int* height) override;
  bool CreateContent() override;
  bool OnSize(int type, int width, int height) override;
  KsString GetFolder();

 private:
  KsString m_title;
  KsString m_startFolder;
  std::unique_ptr<KsStaticTextCtrl> m_label;
  std::unique_ptr<KsEditCtrl> m_field;
};
