#include "toolkit/KsFilenameRules.h"

#include "foundation/KsTools.h"
#include "toolkit/KsSubfolders.h"

namespace {

bool IsDigit(KsChar c) { return c >= u'0' && c <= u'9'; }

// "(0x" + eight characters + "):\", the form that names a drive by its volume serial.
bool NamesVolumeSerial(const KsString& text) {
  return text.GetLength() >= 14 && text.StartsWith(u"(0x", false) && text[11] == u')' && text[12] == u':' &&
         text[13] == u'\\';
}

// "(" + digits + ":", a numbered source rather than a path.
bool NamesNumberedSource(const KsString& text) {
  int i = 1;
  if (text.GetLength() < 3 || text[0] != u'(') return false;
  while (i < text.GetLength() && IsDigit(text[i])) ++i;
  return i > 1 && i < text.GetLength() && text[i] == u':';
}

bool IsPlainPath(const KsString& text, const KsStringArray& excludedExtensions) {
  if (NamesVolumeSerial(text) || text.Find(u"://") >= 0 || NamesNumberedSource(text) ||
      text.StartsWith(u"<XMLPH version=", false))
    return false;
  for (int i = 0; i < excludedExtensions.GetSize(); ++i) {
    const KsString& extension = excludedExtensions[i];
    if (!extension.IsEmpty() && text.FindNoCase(extension) >= 0) return false;
  }
  return true;
}

}  // namespace

KsString KsFilenameRules::NormalizeFolder(const KsString& text) {
  if (text.IsEmpty() || text.View() == u"\\\\") return text;
  int length = text.GetLength();
  int kept = length;
  while (kept > 0 && text[kept - 1] == u'\\') --kept;
  if (kept == length) return text + u"\\";
  return text.Left(kept + 1);
}

KsString KsFilenameRules::FolderPart(const KsString& text) {
  return text.Left(text.ReverseFindChar(u'\\') + 1);
}

KsString KsFilenameRules::SuggestionFolder(const KsString& typed, const KsStringArray& excludedExtensions) {
  if (typed.ReverseFindChar(u'\\') < 1) return KsString();
  if (!IsPlainPath(typed, excludedExtensions)) return KsString();
  bool network = typed.StartsWith(u"\\\\", false);
  bool drive = typed.GetLength() >= 3 && typed[1] == u':' && typed[2] == u'\\';
  if (!network && !drive) return KsString();
  return FolderPart(typed);
}

KsStringArray KsFilenameRules::FolderSuggestions(const KsString& typed, const KsStringArray& excludedExtensions) {
  KsStringArray suggestions;
  KsString folder = SuggestionFolder(typed, excludedExtensions);
  if (folder.IsEmpty()) return suggestions;
  for (const KsString& name : KsListSubfolders(folder)) suggestions.Add(name);
  return suggestions;
}

KsString KsFilenameRules::ChooseFolder(const KsString& current) {
  IKsTools* tools = KsToolsRoot();
  IKsMessageService* messages = tools ? tools->GetMessageService() : nullptr;
  if (!messages) return KsString();
  KsString start = FolderPart(NormalizeFolder(current));
  return messages->ChooseFolder(KsTranslate(u"Select Path"), start);
}
