#pragma once
// The folder field of the destination page: a text field with a "Browse"
// button at its right. Browse asks the tools module's message service for a
// folder; the field suggests the subfolders of the folder typed so far; and
// every read answers the text as a folder path ending in exactly one
// backslash (an empty text stays empty, "\\" alone stays as it is).
// Only the folder kind (3) is built: the installer creates no other.

#include "toolkit/KsButtonCtrl.h"
#include "toolkit/KsEditCtrl.h"
#include "toolkit/KsFilenameRules.h"

#include "config/KsFileName.h"

#include <memory>
#include <vector>

class KsFilenameEdit;

class KsFilenameWnd : public KsControlWnd {
 public:
  static constexpr int kFolderKind = KsFilenameRules::kFolderKind;
  static constexpr int kBrowseId = 1;  // the button's command, handled inside the field

  KsFilenameWnd();
  ~KsFilenameWnd() override;

  // Builds the field inside parent at rect; false when kind is not the folder kind.
  bool Create(KsWnd* parent, const RECT& rect, const KsFileName& value, int kind, const KsChar* filter);

  // The text control's text, normalized, kept as the value when it changed.
  KsString GetText() override;
  bool SetText(const KsChar* text) override;
  const KsFileName& GetValue() const { return m_value; }
  // Asks for a folder and takes a non-empty answer as the field's text.
  void Browse();
  // Subfolders of the typed text's folder part, each with a trailing backslash.
  std::vector<KsString> Suggestions(const KsString& typed);
  // File extensions (with the dot) that mark a text as product data, never suggested for.
  void SetExcludedExtensions(const std::vector<KsString>& extensions);

  KsFilenameEdit* GetEdit() { return m_edit.get(); }
  KsButtonCtrl* GetBrowseButton() { return m_browse.get(); }

  const KsChar* GetRole() override { return u"folderfield"; }
  bool OnSize(int type, int width, int height) override;

 private:
  int m_kind = kFolderKind;
  KsFileName m_value;
  KsString m_filter;
  KsStringArray m_excludedExtensions;
  std::unique_ptr<KsFilenameEdit> m_edit;
  std::unique_ptr<KsButtonCtrl> m_browse;
};

// The text control of a KsFilenameWnd: asks its field for suggestions, and
// runs Browse when its button is pressed.
class KsFilenameEdit : public KsEditCtrl {
 public:
  explicit KsFilenameEdit(KsFilenameWnd* field) : m_field(field) {}
  std::vector<KsString> GetSuggestions(const KsString& text) override { return m_field->Suggestions(text); }

 private:
  KsFilenameWnd* m_field;
};
