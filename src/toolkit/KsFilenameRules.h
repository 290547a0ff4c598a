#pragma once
// The rules of the folder field, apart from any window: how a typed folder
// is read (ending in exactly one backslash), which texts get subfolder
// suggestions and what they are, and asking the tools module's folder chooser.
// Nothing here shows a message; a folder that cannot be listed, or a missing
// message service, simply gives nothing.

#include "foundation/KsString.h"
#include "foundation/KsStringArray.h"

class KsFilenameRules {
 public:
  // The folder kind of the file-name control family, the only kind created.
  static constexpr int kFolderKind = 3;

  // Empty stays empty; no trailing backslash gets one; a run of them is cut
  // to one, except that the text of exactly two backslashes stays as it is.
  static KsString NormalizeFolder(const KsString& text);

  // The drive and folders of text: up to and including its last backslash.
  static KsString FolderPart(const KsString& text);

  // The folder whose subfolders are offered while typed is being typed, or
  // empty text when typed gets no suggestions: no backslash past the first
  // character, not a drive or network path, or not a plain path at all (a
  // drive named by volume serial, a URL, a numbered source, a property-map
  // text, or a name with one of excludedExtensions, the product's library
  // and TV file extensions, e.g. ".xyz").
  static KsString SuggestionFolder(const KsString& typed, const KsStringArray& excludedExtensions);

  // The subfolders directly inside SuggestionFolder(typed), each as its name
  // and one backslash, in the order the listing gives them.
  static KsStringArray FolderSuggestions(const KsString& typed, const KsStringArray& excludedExtensions);

  // Asks the tools module's message service for a folder, starting from the
  // folder part of current (read through NormalizeFolder) under the title
  // "Select Path", translated. The chosen path unchanged, or empty text when
  // the user cancels or there is no message service.
  static KsString ChooseFolder(const KsString& current);
};
