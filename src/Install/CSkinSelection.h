#pragma once
// The installer's skin: the product's standard skin, or the skin the user
// chose for the product when that one is whole and of a style and version
// this installer can draw. Reads the product information and the product's
// "Properties" settings store; an absent one counts as empty.

#include "foundation/KsString.h"

// True when folder (trailing backslash) holds a "main.xml" with the root
// "SVMS" of an allowed style, version 3.0 (within 0.01) and a "MAINFRAME".
bool IsValidSkin(const KsString& folder);
// The skins folder of the setup followed by the chosen skin's name.
KsString ChooseSkinFolder(const KsString& setupFolder);
