#include "config/KsFileName.h"

#include "config/KsXmlDocument.h"

KsFileName::KsFileName(const KsChar* text, bool clearProperties) { Set(text, clearProperties); }

void KsFileName::Set(const KsChar* text, bool clearProperties) {
  if (clearProperties) m_properties.Clear();
  const KsString whole(text);
  if (whole.CompareNoCaseN(u"<XMLFN version=", 15) == 0 && whole.GetLength() >= 15) {
    m_fileName.Empty();
    ReadXmlForm(whole);
    return;
  }
  m_fileName = whole;
  if (whole.Find(u"://") >= 0 || whole.EndsWithBackslash()) return;
  const int semicolon = whole.ReverseFindChar(u';');
  if (semicolon < 0) return;
  const int dot = whole.Left(semicolon).ReverseFindChar(u'.');
  const int extensionLength = semicolon - dot - 1;
  if (dot < 0 || extensionLength < 1 || extensionLength > 5) return;
  m_properties.SetString(u"PostExtensionData", whole.Mid(semicolon + 1));
  m_fileName = whole.Left(semicolon);
}

void KsFileName::ReadXmlForm(const KsString& text) {
  KsXmlDocument document(text);
  if (!document.FindNext(u"XMLFN") || document.GetAttribute(u"version") != u"1.0") return;
  document.EnterElement();
  while (document.FindNext(u"Item")) {
    const KsString name = document.GetAttribute(u"Name");
    if (name.CompareNoCase(u"Filename") == 0) {
      m_fileName = document.GetData();
    } else {
      m_properties.SetString(name, document.GetData());
    }
  }
}
