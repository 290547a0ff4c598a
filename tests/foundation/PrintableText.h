#pragma once
// Readable forms of texts and bytes for failure messages of the text tests.

#include <string>
#include <string_view>

// ASCII as is, every other unit as \uXXXX.
inline std::string Printable(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 15];
    }
  }
  return out;
}

// Bytes in hexadecimal, separated by blanks.
inline std::string PrintableBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    if (!out.empty()) out += ' ';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
  return out;
}
