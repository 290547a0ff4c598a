#pragma once
// Printable forms of UTF-16 text for failure messages.

#include <string>
#include <string_view>

#include "foundation/KsString.h"

inline std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 15];
    }
  }
  return out;
}

inline std::string Printable(const KsString& text) { return Printable(text.View()); }
inline std::string Printable(const KsChar* text) { return Printable(KsString(text).View()); }
