#pragma once
// FindResourceFile: the product's resources live in pairs of folders inside
// its data folder, a "Custom" one whose files win and a "Default" one with the
// shipped files. The lookup answers the full path of the first existing file
// for a name, or empty text; it reports nothing, each caller decides what a
// missing file means.

#include "foundation/KsString.h"

enum KsResourceKind : int {
  kKsResourceResources = 0,  // "Custom Resources", then "Default Resources"
  kKsResourceArt = 3,        // "Custom Art", then "Default Art"
};

// name "image:<base>" looks for <base> with a language variant
// ("<base> - <language>") and each image extension, folders first; any other
// name is taken as it is and may hold subfolders.
KsString FindResourceFile(int kind, const KsChar* name);
