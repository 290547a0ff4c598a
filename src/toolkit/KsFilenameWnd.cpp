#include "toolkit/KsFilenameWnd.h"

#include "toolkit/KsSubfolders.h"
#include "toolkit/KsWndDeleteProbe.h"

#include <algorithm>

#include "foundation/KsTools.h"

using namespace ks::sys;

namespace {

constexpr int kButtonWidth = 75;
constexpr int kSpacing = 6;

bool IsDigit(KsChar c) { return c >= u'0' && c <= u'9'; }

// Texts that name something other than a plain folder path.
bool IsSpecialPath(const KsString& text) {
  if (text.GetLength() >= 14 && text.StartsWith(u"(0x", false) && text[11] == u')' && text[12] == u':' &&
      text[13] == u'\\')
    return true;  // a drive named by its volume serial number
  if (text.Find(u"://") >= 0) return true;
  if (text.GetLength() >= 3 && text[0] == u'(' && IsDigit(text[1])) {
    int i = 1;
    while (i < text.GetLength() && IsDigit(text[i])) ++i;
    if (i < text.GetLength() && text[i] == u':') return true;
  }
  return text.StartsWith(u"<XMLPH version=", false);
}

}  // namespace

KsFilenameWnd::KsFilenameWnd() = default;
KsFilenameWnd::~KsFilenameWnd() = default;

bool KsFilenameWnd::Create(KsWnd* parent, const RECT& rect, const KsFileName& value, int kind, const KsChar* filter) {
  if (kind != kFolderKind) {
    KsLogFormat(1, u"Folder", u"Field kind %d is not built; only folders (3)\n", kind);
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

KsString KsFilenameWnd::NormalizeFolder(const KsString& text) {
  int length = text.GetLength();
  if (length == 0 || text.Equals(u"\\\\")) return text;
  int trailing = 0;
  while (trailing < length && text[length - 1 - trailing] == u'\\') ++trailing;
  if (trailing == 1) return text;
  if (trailing == 0) {
    KsString folder = text;
    folder += u'\\';
    return folder;
  }
  return text.Left(length - trailing + 1);
}

KsString KsFilenameWnd::GetText() {
  if (!m_edit) return m_value.GetFileName();
  KsString text = NormalizeFolder(m_edit->GetText());
  if (!text.Equals(m_value.GetFileName())) m_value.Set(text);
  return text;
}

bool KsFilenameWnd::SetText(const KsChar* text) {
  m_value.Set(text ? text : u"");
  return m_edit ? m_edit->SetText(text ? text : u"") : KsControlWnd::SetText(text);
}

void KsFilenameWnd::Browse() {
  KsString folder = GetText();
  IKsTools* tools = KsToolsRoot();
  IKsMessageService* messages = tools ? tools->GetMessageService() : nullptr;
  if (!messages) {
    KsLog(1, u"Folder", u"No message service: Browse shows nothing\n");
    return;
  }
  KsWndDeleteProbe probe(this);
  KsString chosen = messages->ChooseFolder(KsTranslate(u"Select Path"), folder);
  if (probe.IsDeleted() || chosen.IsEmpty()) return;
  // Shown as chosen; the next read adds the trailing backslash.
  m_value.Set(chosen);
  if (m_edit) m_edit->SetText(chosen);
}

std::vector<KsString> KsFilenameWnd::Suggestions(const KsString& typed) {
  int last = typed.ReverseFindChar(u'\\');
  if (typed.IsEmpty() || last <= 0 || IsSpecialPath(typed)) return {};
  for (const KsString& extension : m_excludedExtensions)
    if (typed.FindNoCase(extension) >= 0) return {};
  bool network = typed.GetLength() >= 2 && typed[0] == u'\\' && typed[1] == u'\\';
  bool drive = typed.GetLength() >= 3 && typed[1] == u':' && typed[2] == u'\\';
  if (!network && !drive) return {};
  return KsListSubfolders(typed.Left(last + 1));
}
