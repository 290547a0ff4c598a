#pragma once
// The folders directly inside a folder, each named with a trailing backslash,
// in the order the listing gives them; empty when the folder cannot be listed.

#include "foundation/KsString.h"

#include <vector>

std::vector<KsString> KsListSubfolders(const KsChar* folder);
