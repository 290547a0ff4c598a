#include "toolkit/KsFilenameWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

#include <algorithm>

#include "foundation/KsTools.h"

using namespace ks::sys;

namespace {

constexpr int kButtonWidth = 75;
constexpr int kSpacing = 6;

}  // namespace

KsFilenameWnd::KsFilenameWnd() = default;
KsFilenameWnd::~KsFilenameWnd() = default;

bool KsFilenameWnd::Create(KsWnd* parent, const RECT& rect, const KsFileName& value, int kind, const KsChar* filter) {
  if (kind != kFolderKind) {
    KsLogFormat(1, u"Folder", u"Field kind %d is not built; only folders (3)", kind);
    return false;
  }
  if (!KsControlWnd::Create(parent, rect)) return false;
  m_kind = kind;
  m_value.Set(value.GetFileName());  // a folder needs only the path
  m_filter = filter ? filter : u"";
  m_edit = std::make_unique<KsFilenameEdit>(this);
  m_browse = std::make_unique<KsButtonCtrl>();
  if (!m_edit->Create(this, RECT{}) || !m_browse->Create(this, RECT{})) return false;
  m_edit->SetSuggestionSeparator(u'\\');
  m_edit->SetText(m_value.GetFileName());
  m_browse->SetText(KsTranslate(u"Browse"));
  m_browse->SetCommandId(kBrowseId);
  m_browse->SetClickHandler([this] { Browse(); });
  OnSize(0, rect.right - rect.left, rect.bottom - rect.top);
  return true;
}

bool KsFilenameWnd::OnSize(int, int width, int height) {
  if (!m_edit || !m_browse) return false;
  int buttonLeft = std::max(0, width - kButtonWidth);
  m_edit->MoveAndSize(RECT{0, 0, std::max(0, buttonLeft - kSpacing), height});
  m_browse->MoveAndSize(RECT{buttonLeft, 0, width, height});
  return false;
}

KsString KsFilenameWnd::GetText() {
  if (!m_edit) return m_value.GetFileName();
  KsString text = KsFilenameRules::NormalizeFolder(m_edit->GetText());
  if (!text.Equals(m_value.GetFileName())) m_value.Set(text);
  return text;
}

bool KsFilenameWnd::SetText(const KsChar* text) {
  m_value.Set(text ? text : u"");
  return m_edit ? m_edit->SetText(text ? text : u"") : KsControlWnd::SetText(text);
}

void KsFilenameWnd::SetExcludedExtensions(const std::vector<KsString>& extensions) {
  m_excludedExtensions.RemoveAll();
  for (const KsString& extension : extensions) m_excludedExtensions.Add(extension);
}

void KsFilenameWnd::Browse() {
  if (!KsToolsRoot() || !KsToolsRoot()->GetMessageService()) {
    KsLog(kKsLogWarning, u"Folder", u"No message service: Browse shows nothing");
    return;
  }
  KsWndDeleteProbe probe(this);
  KsString chosen = KsFilenameRules::ChooseFolder(GetText());
  if (probe.IsDeleted() || chosen.IsEmpty()) return;
  // Shown as chosen; the next read adds the trailing backslash.
  m_value.Set(chosen);
  if (m_edit) m_edit->SetText(chosen);
}

std::vector<KsString> KsFilenameWnd::Suggestions(const KsString& typed) {
  KsStringArray found = KsFilenameRules::FolderSuggestions(typed, m_excludedExtensions);
  std::vector<KsString> suggestions;
  for (int i = 0; i < found.GetSize(); ++i) suggestions.push_back(found[i]);
  return suggestions;
}
