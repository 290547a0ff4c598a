#pragma once
// Bodies of the fuzz targets, shared by the libFuzzer executables and by the
// test that replays fuzz/corpus/<target>/. Each takes arbitrary bytes, must
// neither crash nor read out of bounds, and returns false when a property
// that holds for every input was broken.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>

#include "foundation/KsString.h"
#include "foundation/KsUtf8Decoder.h"

namespace ks::fuzz {

inline bool HasZeroUnit(const KsString& text) { return text.View().find(u'\0') != std::u16string_view::npos; }

// DecodeText and the decoders behind it, then the text operations on what
// came out. First byte: the encoding (including unknown ones) and flags.
inline bool FuzzDecodeText(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 1 << 20) return true;
  const int encoding = (data[0] & 7) == 7 ? -1 : (data[0] & 7);
  const int flags = data[0] & 0x3C;
  const auto* bytes = reinterpret_cast<const char*>(data + 1);
  const int count = static_cast<int>(size - 1);

  KsString text;
  text.DecodeText(bytes, count, encoding);
  if (text.GetLength() > 2 * count) return false;
  KsString perByte;  // the one-pass UTF-8 decoder must agree with the per-byte path
  KsDecodeTextPerByte(perByte, bytes, count, encoding);
  if (perByte.View() != text.View()) return false;

  KsString other;
  other.FromUtf8(bytes, count);
  other.FromAnsi(bytes, count);
  std::u16string units(static_cast<std::size_t>(count) / 2, u'\0');
  std::memcpy(units.data(), bytes, units.size() * sizeof(char16_t));
  other.FromUtf16(units.data(), static_cast<int>(units.size()), (data[0] & 0x40) != 0);
  std::u32string wideUnits(static_cast<std::size_t>(count) / 4, U'\0');
  std::memcpy(wideUnits.data(), bytes, wideUnits.size() * sizeof(char32_t));
  other.FromUtf32(wideUnits.data(), static_cast<int>(wideUnits.size()));

  // The system's UTF-8 carries every unit but 0, unpaired surrogates too.
  if (!HasZeroUnit(text)) {
    const std::string utf8 = text.ToUtf8();
    KsString back;
    back.FromUtf8(utf8.data(), static_cast<int>(utf8.size()));
    if (!(back == text)) return false;
  }
  const std::optional<std::string> ansi = text.ToAnsi();
  if (!ansi.has_value()) return false;
  if (!(KsString(text.ToWide()) == text) && !HasZeroUnit(text)) return false;

  // Base64 gives back exactly the bytes, and decodes any text without harm.
  KsString base64;
  base64.ToBase64(bytes, count);
  if (base64.FromBase64() != std::string(bytes, static_cast<std::size_t>(count))) return false;
  (void)text.FromBase64();

  KsString escaped = text;
  escaped.EscapeXML(flags);
  if (escaped.FindChar(u'<') >= 0 || escaped.FindChar(u'>') >= 0) return false;
  KsString decoded = text;
  decoded.DecodeURL();
  if (decoded.GetLength() > text.GetLength()) return false;
  KsString unique = text;
  unique.MakeUniqueName();
  if (unique.GetLength() < 3) return false;
  return true;
}

// Format with a format text and arguments made from the bytes. Layout: byte
// 0 the argument count (0 to 7); 9 bytes per argument (tag selector, then 8
// bytes of value); the rest is the format text, one unit per byte.
inline bool FuzzFormat(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 1 << 16) return true;
  static const char* const kNarrow[] = {nullptr, "", "caf\xC3\xA9", "\xE2\x82", "\xF0\x9F\x98\x80", "plain text"};
  static const char16_t* const kWide[] = {nullptr, u"", u"wide", u"\xD800", u"0123456789abcdef0123456789"};
  const KsString strings[] = {KsString(), KsString(u"KsString"), KsString(u"%d%s%")};

  const int argumentCount = data[0] & 7;
  std::size_t offset = 1;
  KsFormatArg args[8];
  int count = 0;
  for (; count < argumentCount && offset + 9 <= size; ++count, offset += 9) {
    std::uint64_t value = 0;
    std::memcpy(&value, data + offset + 1, sizeof value);
    switch (data[offset] % 6) {
      case 0:
        args[count] = KsFormatArg();
        break;
      case 1:
        args[count] = KsFormatArg(kNarrow[value % std::size(kNarrow)]);
        break;
      case 2:
        args[count] = KsFormatArg(kWide[value % std::size(kWide)]);
        break;
      case 3:
        args[count] = KsFormatArg(strings[value % std::size(strings)]);
        break;
      case 4:
        args[count] = KsFormatArg(static_cast<std::int64_t>(value));
        break;
      default: {
        double real;
        std::memcpy(&real, &value, sizeof real);
        args[count] = KsFormatArg(real);
        break;
      }
    }
  }
  std::u16string format;
  for (std::size_t i = offset; i < size; ++i) format.push_back(data[i]);

  KsString result(u"previous");
  result.FormatList(format.c_str(), args, count);
  // Appending the same format twice gives the text twice.
  KsString twice = result;
  twice.AppendFormatList(format.c_str(), args, count);
  if (twice.GetLength() != 2 * result.GetLength()) return false;
  if (!(twice.Left(result.GetLength()) == result) || !(twice.Mid(result.GetLength()) == result)) return false;
  // The value itself as the format.
  KsString self(format.c_str());
  self.FormatList(self.Chars(), args, count);
  if (!(self == result)) return false;
  return true;
}

// The number parsers on text made from the bytes, and FromInt against ToInt64.
inline bool FuzzNumbers(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return true;
  // One unit per byte (digits, signs and letters are common) and one per
  // byte pair (reaches the non-ASCII digit runs).
  std::u16string narrow(data, data + size);
  std::u16string wide(size / 2, u'\0');
  std::memcpy(wide.data(), data, wide.size() * sizeof(char16_t));
  for (const std::u16string* text : {&narrow, &wide}) {
    const KsChar* chars = text->c_str();
    (void)KsString::ToInt(chars);
    (void)KsString::ToInt64(chars);
    (void)KsString::HexToInt(chars);
    (void)KsString::HexToInt64(chars);
    (void)KsString::HexPrefixedToInt64(chars);
    int used = -1;
    (void)KsString::ToDouble(chars, &used);
    if (used < 0 || used > static_cast<int>(text->size())) return false;
  }
  if (size >= 9) {
    std::int64_t value;
    std::memcpy(&value, data, sizeof value);
    KsString digits;
    digits.FromInt(value, data[8] % 20, 10);
    // The parser sticks at -INT64_MAX on overflow, so the lowest value cannot come back.
    if (value != INT64_MIN && digits.ToInt64() != value) return false;
  }
  return true;
}

}  // namespace ks::fuzz
