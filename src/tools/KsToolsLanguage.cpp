#include "tools/KsToolsLanguage.h"

#include <algorithm>

#include "config/KsReadTextFile.h"
#include "foundation/KsHandle.h"
#include "foundation/KsStringArray.h"
#include "platform/SysFile.h"

namespace {

constexpr KsChar kTag[] = u"Language";
constexpr KsChar kSeparator[] = u" => ";
constexpr KsChar kChoiceValue[] = u"Language";

KsString Unescape(const KsString& text) {
  KsString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    KsChar c = text[i];
    if (c == u'\\' && i + 1 < text.GetLength()) {
      const KsChar next = text[++i];
      c = next == u'r' ? u'\r' : next == u'n' ? u'\n' : next == u't' ? u'\t' : next;
    }
    out += c;
  }
  return out;
}

}  // namespace

void KsToolsLanguage::Load(const KsString& moduleFolder, const KsString& defaultLanguage, IKsSettingsStore* store,
                           IKsMessageService* messages) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_folder = moduleFolder + u"Languages\\";
    m_store = store;
    m_messages = messages;
    m_languages.clear();
    m_texts.clear();
    m_current = -1;
    ks::sys::WIN32_FIND_DATA data{};
    KsFindHandle find(ks::sys::FindFirstFile(m_folder + u"*.lang", &data));
    if (find) {
      do {
        if ((data.dwFileAttributes & ks::sys::FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        KsString baseName(data.cFileName);
        baseName = baseName.Left(baseName.ReverseFindChar(u'.'));
        KsString name;
        if (!Read(m_folder + data.cFileName, &name, nullptr)) continue;
        m_languages.push_back({baseName, name});
      } while (ks::sys::FindNextFile(find.Get(), &data));
    }
    std::sort(m_languages.begin(), m_languages.end(),
              [](const Language& a, const Language& b) { return a.name.CompareNoCase(b.name) < 0; });
  }
  KsLogFormat(kKsLogInfo, kTag, u"%d translation files in %s", GetLanguageCount(), m_folder.Chars());
  const KsString stored = store != nullptr ? store->ReadText(kChoiceValue, u"") : KsString();
  if (!stored.IsEmpty() && Select(stored)) return;
  if (!defaultLanguage.IsEmpty()) Select(defaultLanguage);
}

void KsToolsLanguage::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_languages.clear();
  m_texts.clear();
  m_current = -1;
  m_store = nullptr;
  m_messages = nullptr;
}

bool KsToolsLanguage::Read(const KsString& path, KsString* name, std::map<std::u16string, KsString>* texts) {
  KsString text;
  if (!KsReadTextFile(path, text)) {
    KsLogFormat(kKsLogWarning, kTag, u"Cannot read %s", path.Chars());
    return false;
  }
  KsString fileName = path.AfterLast(u'\\', true);
  *name = fileName.Left(fileName.ReverseFindChar(u'.'));
  KsStringArray lines;
  lines.Split(text, u"\n");
  for (int i = 0; i < lines.GetSize(); ++i) {
    KsString line = lines[i];
    line.TrimRight(u"\r");
    if (line.IsEmpty() || line.FirstCharIs(u';')) continue;
    if (line.StartsWith(u"Language:", false)) {
      KsString given = line.Mid(9);
      given.Trim();
      if (!given.IsEmpty()) *name = given;
      continue;
    }
    const int separator = line.Find(kSeparator);
    if (separator <= 0) {
      KsLogFormat(kKsLogWarning, kTag, u"%s line %d is not an entry: %s", path.Chars(), i + 1, line.Chars());
      continue;
    }
    if (texts != nullptr) {
      (*texts)[std::u16string(Unescape(line.Left(separator)).View())] =
          Unescape(line.Mid(separator + KsTextLength(kSeparator)));
    }
  }
  return true;
}

bool KsToolsLanguage::Select(const KsChar* baseName) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (int i = 0; i < static_cast<int>(m_languages.size()); ++i) {
    if (m_languages[i].baseName.CompareNoCase(baseName) != 0) continue;
    std::map<std::u16string, KsString> texts;
    KsString name;
    if (!Read(m_folder + m_languages[i].baseName + u".lang", &name, &texts)) return false;
    m_texts = std::move(texts);
    m_languages[i].name = name;
    m_current = i;
    return true;
  }
  KsLogFormat(kKsLogWarning, kTag, u"No translation file %s.lang", baseName);
  return false;
}

KsString KsToolsLanguage::Translate(const KsChar* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (text == nullptr) return KsString();
  auto found = m_texts.find(std::u16string(text));
  return found != m_texts.end() ? found->second : KsString(text);
}

KsString KsToolsLanguage::GetLanguageName() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_current >= 0 ? m_languages[m_current].name : KsString(u"English");
}

bool KsToolsLanguage::ChooseLanguage() {
  KsStringArray names;
  int current = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_languages.size() < 2) return true;  // nothing to choose
    for (const Language& language : m_languages) names.Add(language.name);
    current = m_current < 0 ? 0 : m_current;
  }
  if (m_messages == nullptr) return false;
  std::vector<const KsChar*> buttons;
  for (int i = 0; i < names.GetSize(); ++i) buttons.push_back(names[i].Chars());
  const int chosen = m_messages->ShowMessage(Translate(u"Language"), Translate(u"Please choose your language:"),
                                             buttons.data(), names.GetSize(), current);
  if (chosen < 0 || chosen >= names.GetSize()) return false;
  KsString baseName;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    baseName = m_languages[chosen].baseName;
  }
  if (!Select(baseName)) return false;
  if (m_store != nullptr) m_store->WriteText(kChoiceValue, baseName);
  KsLogFormat(kKsLogInfo, kTag, u"Language chosen: %s", GetLanguageName().Chars());
  return true;
}
