#pragma once
// Printable forms of KsString values for failure messages, on the text tests' printer.

#include <string>

#include "foundation/KsString.h"
#include "foundation/PrintableText.h"

inline std::string Printable(const KsString& text) { return Printable(text.View()); }
inline std::string Printable(const KsChar* text) { return Printable(KsString(text).View()); }
