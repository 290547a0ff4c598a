#pragma once
// The language service: translation files "<Language>.lang" in the module's
// "Languages" folder. A file is UTF-8 (or any text the reader detects) with
// one entry per line:
//   ; a comment
//   Language: Deutsch
//   Information => Information
//   Please close %s.\r\n => Bitte schließen Sie %s.\r\n
// The source text, " => ", the translation; both sides may hold the escapes
// \\, \r, \n, \t. "Language:" gives the name shown to the user (default: the
// file's base name). A text without an entry is its own translation; a line
// that is not an entry is logged and skipped. The choice is kept in the
// settings store "Properties" as "Language" (the file's base name).

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/KsTools.h"

class KsToolsLanguage final : public IKsLanguageService {
 public:
  // The module folder (ending in a backslash); store: where the choice is
  // kept (may be null); messages: asks the user (may be null).
  void Load(const KsString& moduleFolder, const KsString& defaultLanguage, IKsSettingsStore* store,
            IKsMessageService* messages);
  // Forgets the files and the choice (module shut-down): texts are their own
  // translation again.
  void Clear();
  // Makes the language of that file base name current; false when unknown or
  // unreadable (the current one stays).
  bool Select(const KsChar* baseName);
  int GetLanguageCount() const noexcept { return static_cast<int>(m_languages.size()); }

  KsString Translate(const KsChar* text) override;
  KsString GetLanguageName() override;
  bool ChooseLanguage() override;

 private:
  struct Language {
    KsString baseName;
    KsString name;
  };
  bool Read(const KsString& path, KsString* name, std::map<std::u16string, KsString>* texts);

  std::mutex m_mutex;
  KsString m_folder;
  std::vector<Language> m_languages;
  int m_current = -1;
  std::map<std::u16string, KsString> m_texts;
  IKsSettingsStore* m_store = nullptr;
  IKsMessageService* m_messages = nullptr;
};
