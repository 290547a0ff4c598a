#include "toolkit/KsFolderChooserPopupWnd.h"

#include "toolkit/KsSubfolders.h"
#include "toolkit/KsWindowFrame.h"
#include "toolkit/KsWndTable.h"

#include "foundation/KsTools.h"

using namespace ks::sys;

namespace {

constexpr int kWidth = 400;
constexpr int kRow = 16;

// Subfolders of the folder part of a drive ("C:\...") or network ("\\server\...") path.
std::vector<KsString> FolderSuggestions(const KsString& text) {
  bool drive = text.GetLength() >= 3 && text[1] == u':' && text[2] == u'\\';
  bool network = text.GetLength() >= 2 && text[0] == u'\\' && text[1] == u'\\';
  int last = text.ReverseFindChar(u'\\');
  if ((!drive && !network) || last < 2) return {};
  return KsListSubfolders(text.Left(last + 1));
}

}  // namespace

KsFolderChooserPopupWnd::KsFolderChooserPopupWnd(const KsChar* title, const KsChar* startFolder)
    : m_title(title ? title : u""), m_startFolder(startFolder ? startFolder : u"") {}

KsFolderChooserPopupWnd::~KsFolderChooserPopupWnd() = default;

KsString KsFolderChooserPopupWnd::ChooseFolder(const KsChar* title, const KsChar* startFolder, KsWnd* owner) {
  if (!owner) owner = KsWndTable::Find(GetActiveWindow());
  KsFolderChooserPopupWnd popup(title, startFolder);
  int result = popup.RunModal(owner);
  KsString folder = result == 1 ? popup.GetFolder() : KsString();
  KsLogFormat(2, u"Folder", u"Folder chooser \"%s\" answered \"%s\"", popup.m_title.Chars(), folder.Chars());
  return folder;
}

KsString KsFolderChooserPopupWnd::GetFolder() {
  if (!m_field) return KsString();
  KsString folder = m_field->GetText();
  folder.Trim();
  return folder;
}

void KsFolderChooserPopupWnd::GetPreferredSize(int* width, int* height) {
  *width = kWidth;
  *height = kMargin + kRow + kMargin / 2 + kRow + 7 * kRow + BottomRowHeight();
  KsWindowSizeForClient(this, width, height);
}

bool KsFolderChooserPopupWnd::CreateContent() {
  if (!KsOkCancelPopupWnd::CreateContent()) return false;
  m_label = std::make_unique<KsStaticTextCtrl>();
  m_field = std::make_unique<KsEditCtrl>();
  if (!m_label->Create(this, RECT{}) || !m_field->Create(this, RECT{})) return false;
  m_label->SetText(KsTranslate(u"Folder:"));
  m_field->SetText(m_startFolder);
  m_field->SetSuggestionSeparator(u'\\');
  m_field->SetSuggestionSource(&FolderSuggestions);
  m_field->SetFocus();
  return true;
}

bool KsFolderChooserPopupWnd::OnSize(int type, int width, int height) {
  if (m_label) m_label->MoveAndSize(RECT{kMargin, kMargin, width - kMargin, kMargin + kRow});
  int top = kMargin + kRow + kMargin / 2;
  if (m_field) m_field->MoveAndSize(RECT{kMargin, top, width - kMargin, top + kRow});
  return KsOkCancelPopupWnd::OnSize(type, width, height);
}
