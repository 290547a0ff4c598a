// Conversions between KsString and the encodings the system reads and writes,
// with detection for loaded text; XML escaping, "%" decoding and Base64.
//
// The system's UTF-8 works per UTF-16 code unit: a surrogate is written as a
// three-byte sequence of its own, and decoding takes two- and three-byte
// sequences only (KsDecodeUtf8). Every decoder stops at the first 0 unit, as
// the text it gives stops there. Nothing here reads past the count it is
// given, whatever the bytes are.

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/KsString.h"
#include "foundation/KsTextWriter.h"
#include "foundation/KsUtf8Decoder.h"
#include "platform/SysCodePage.h"

namespace {

constexpr KsChar kByteOrderMark = 0xFEFF;
constexpr KsChar kSwappedByteOrderMark = 0xFFFE;
constexpr KsChar kReplacementCharacter = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes of the UTF-8 sequence that starts at index (2 or 3), or 0 when the
// byte there does not start one. Bytes at or past count read as 0.
int Utf8SequenceLength(const unsigned char* bytes, int count, int index) {
  auto at = [&](int i) -> unsigned char { return i < count ? bytes[i] : 0; };
  const unsigned char lead = at(index);
  if ((lead & 0xE0) == 0xC0 && IsContinuation(at(index + 1))) return 2;
  if (lead >= 0xE0 && IsContinuation(at(index + 1)) && IsContinuation(at(index + 2))) return 3;
  return 0;
}

// Characters before the first 0 byte, but no more than count (-1: no limit).
int BoundedByteLength(const char* bytes, int count) {
  if (count < 0) return static_cast<int>(std::min<std::size_t>(std::strlen(bytes), KsTextWriter::kMaxLength));
  const void* zero = std::memchr(bytes, 0, static_cast<std::size_t>(count));
  return zero != nullptr ? static_cast<int>(static_cast<const char*>(zero) - bytes) : count;
}

template <class Unit>
int BoundedUnitLength(const Unit* units, int count) {
  if (count >= 0) return count;
  int length = 0;
  while (length < KsTextWriter::kMaxLength && units[length] != 0) ++length;
  return length;
}

// Replaces target with count UTF-16 units given by readUnit(i), up to the
// first 0 unit. honourByteOrderMark: a first U+FEFF is dropped, a first
// U+FFFE is dropped and the rest byte-swapped.
template <class ReadUnit>
void AssignUtf16(KsString& target, int count, bool honourByteOrderMark, ReadUnit readUnit) {
  int start = 0;
  bool swap = false;
  if (honourByteOrderMark && count > 0) {
    const KsChar first = readUnit(0);
    if (first == kByteOrderMark) start = 1;
    if (first == kSwappedByteOrderMark) start = 1, swap = true;
  }
  if (count - start <= 0) {
    target.Empty();
    return;
  }
  KsChar* out = target.BeginEdit(count - start, true, false);
  int written = 0;
  for (int i = start; i < count; ++i) {
    KsChar unit = readUnit(i);
    if (swap) unit = static_cast<KsChar>((unit >> 8) | (unit << 8));
    if (unit == 0) break;
    out[written++] = unit;
  }
  target.EndEdit(written);
}

// Replaces target with count UTF-32 units given by readUnit(i), up to the
// first 0 unit; a first U+FEFF is dropped. Characters beyond the Basic
// Multilingual Plane become surrogate pairs (keeping only the low 16 bits
// would silently turn them into other characters); values beyond U+10FFFF
// become U+FFFD.
template <class ReadUnit>
void AssignUtf32(KsString& target, int count, ReadUnit readUnit) {
  count = std::min(count, KsTextWriter::kMaxLength / 2);
  const int start = (count > 0 && readUnit(0) == 0xFEFF) ? 1 : 0;
  if (count - start <= 0) {
    target.Empty();
    return;
  }
  KsChar* out = target.BeginEdit(2 * (count - start), true, false);
  int written = 0;
  for (int i = start; i < count; ++i) {
    const char32_t unit = readUnit(i);
    if (unit == 0) break;
    if (unit <= 0xFFFF) {
      out[written++] = static_cast<KsChar>(unit);
    } else if (unit <= 0x10FFFF) {
      const char32_t offset = unit - 0x10000;
      out[written++] = static_cast<KsChar>(0xD800 + (offset >> 10));
      out[written++] = static_cast<KsChar>(0xDC00 + (offset & 0x3FF));
    } else {
      out[written++] = kReplacementCharacter;
    }
  }
  target.EndEdit(written);
}

void DecodeUtf16Bytes(KsString& target, const unsigned char* bytes, int count, bool honourByteOrderMark) {
  AssignUtf16(target, count / 2, honourByteOrderMark,
              [bytes](int i) { return static_cast<KsChar>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); });
}

void DecodeUtf32Bytes(KsString& target, const unsigned char* bytes, int count) {
  AssignUtf32(target, count / 4, [bytes](int i) {
    const unsigned char* p = bytes + 4 * static_cast<std::size_t>(i);
    return static_cast<char32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<char32_t>(p[3]) << 24));
  });
}

bool StartsWithUtf8ByteOrderMark(const unsigned char* bytes, int count) {
  return count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

enum class Detected { kAnsi, kUtf8, kUtf16, kUtf32 };

// Detection for text without a byte-order mark. Trailing 0 bytes are
// ignored; the first other 0 byte means UTF-16, or UTF-32 when the two bytes
// after it are 0 too. Otherwise UTF-8 when it holds at least one valid
// sequence and no byte of 80 or above outside one.
Detected DetectEncoding(const unsigned char* bytes, int count) {
  int end = count;
  while (end > 0 && bytes[end - 1] == 0) --end;
  auto at = [&](int i) -> unsigned char { return i < count ? bytes[i] : 0; };
  bool sequenceSeen = false;
  bool invalidSeen = false;
  for (int i = 0; i < end;) {
    const unsigned char byte = bytes[i];
    if (byte == 0) return (at(i + 1) == 0 && at(i + 2) == 0) ? Detected::kUtf32 : Detected::kUtf16;
    if (byte < 0x80) {
      ++i;
      continue;
    }
    const int length = Utf8SequenceLength(bytes, count, i);
    if (length != 0) {
      sequenceSeen = true;
      i += length;
    } else {
      invalidSeen = true;
      ++i;
    }
  }
  return (sequenceSeen && !invalidSeen) ? Detected::kUtf8 : Detected::kAnsi;
}

bool IsHexDigit(KsChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

int HexValue(KsChar c) {
  if (c <= u'9') return c - u'0';
  return (c | 0x20) - u'a' + 10;
}

// Flags of EscapeXML.
constexpr int kEscapeApostrophe = 4;
constexpr int kEscapeQuote = 8;
constexpr int kEscapeControls = 16;
constexpr int kControlsAsQuestionMark = 32;

// The control characters XML does not allow; tab, line feed and carriage
// return are not among them.
bool IsDisallowedControl(KsChar c) { return c <= 0x08 || c == 0x0B || c == 0x0C || (c >= 0x0E && c <= 0x1F); }

bool NeedsEscape(KsChar c, int flags) {
  switch (c) {
    case u'&':
    case u'<':
    case u'>':
      return true;
    case u'"':
      return (flags & kEscapeQuote) != 0;
    case u'\'':
      return (flags & kEscapeApostrophe) != 0;
    default:
      return (flags & kEscapeControls) != 0 && IsDisallowedControl(c);
  }
}

void WriteEscape(KsTextWriter& writer, KsChar c, int flags) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  const char* entity = nullptr;
  switch (c) {
    case u'&':
      entity = "&amp;";
      break;
    case u'<':
      entity = "&lt;";
      break;
    case u'>':
      entity = "&gt;";
      break;
    case u'"':
      entity = "&quot;";
      break;
    case u'\'':
      entity = "&apos;";
      break;
    default:
      break;
  }
  char buffer[8];
  if (entity == nullptr && (flags & kControlsAsQuestionMark) != 0 && c != 0x01) {
    entity = "?";
  } else if (entity == nullptr) {
    char* p = buffer;
    *p++ = '&';
    *p++ = '#';
    *p++ = 'x';
    if (c >= 0x10) *p++ = kHexDigits[c >> 4];
    *p++ = kHexDigits[c & 15];
    *p++ = ';';
    *p = 0;
    entity = buffer;
  }
  const int length = static_cast<int>(std::strlen(entity));
  if (KsChar* out = writer.Reserve(length)) {
    for (int i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(entity[i]);
    writer.Commit(length);
  }
}

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kBase64LineLength = 64;

// Value of each byte in the alphabet; anything else counts as 0.
struct Base64Values {
  unsigned char value[256] = {};
  constexpr Base64Values() {
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<unsigned char>(i);
  }
};
constexpr Base64Values kBase64Values;

}  // namespace

int KsDecodeUtf8(const unsigned char* bytes, int count, KsChar* out, int maxUnits) {
  int read = 0;
  int written = 0;
  while (read < count && written < maxUnits && bytes[read] != 0) {
    const unsigned char lead = bytes[read];
    // The continuation tests stop at a 0 byte, so nothing past a terminator
    // is read even when count is larger than the text.
    // An overlong sequence for 0 (C0 80, E0 80 80) ends the text like a 0 byte:
    // a 0 unit inside the text would cut it short wherever it is read up to a 0.
    if ((lead & 0xE0) == 0xC0 && read + 1 < count && IsContinuation(bytes[read + 1])) {
      const KsChar unit = static_cast<KsChar>(((lead & 0x1F) << 6) | (bytes[read + 1] & 0x3F));
      if (unit == 0) break;
      out[written++] = unit;
      read += 2;
    } else if (lead >= 0xE0 && read + 2 < count && IsContinuation(bytes[read + 1]) &&
               IsContinuation(bytes[read + 2])) {
      // Lead bytes F0 and above keep only the low 16 bits, like E0 to EF.
      const KsChar unit =
          static_cast<KsChar>(((lead & 0x0F) << 12) | ((bytes[read + 1] & 0x3F) << 6) | (bytes[read + 2] & 0x3F));
      if (unit == 0) break;
      out[written++] = unit;
      read += 3;
    } else {
      out[written++] = lead;
      ++read;
    }
  }
  return written;
}

void KsString::FromAnsi(const char* bytes, int count) {
  if (bytes == nullptr || count == 0) {
    Empty();
    return;
  }
  if (KsPointsInto(*this, bytes)) {
    const std::string copy(bytes, static_cast<std::size_t>(BoundedByteLength(bytes, count)));
    FromAnsi(copy.c_str(), static_cast<int>(copy.size()));
    return;
  }
  const int length = BoundedByteLength(bytes, count);
  const int units = length > 0 ? ks::sys::MultiByteToWideChar(ks::sys::CP_ACP, 0, bytes, length, nullptr, 0) : 0;
  if (units <= 0) {
    Empty();
    return;
  }
  KsChar* out = BeginEdit(units, true, false);
  const int written = ks::sys::MultiByteToWideChar(ks::sys::CP_ACP, 0, bytes, length, out, units);
  EndEdit(std::max(written, 0));
}

void KsString::FromUtf8(const char* bytes, int count) {
  if (bytes == nullptr || count == 0) {
    Empty();
    return;
  }
  if (KsPointsInto(*this, bytes)) {
    const std::string copy(bytes, static_cast<std::size_t>(BoundedByteLength(bytes, count)));
    FromUtf8(copy.c_str(), static_cast<int>(copy.size()));
    return;
  }
  const int length = BoundedByteLength(bytes, count);
  if (length <= 0) {
    Empty();
    return;
  }
  KsChar* out = BeginEdit(length, true, false);  // never more units than bytes
  EndEdit(KsDecodeUtf8(reinterpret_cast<const unsigned char*>(bytes), length, out, length));
}

void KsString::FromUtf16(const char16_t* units, int count, bool honourByteOrderMark) {
  if (units == nullptr) {
    Empty();
    return;
  }
  const int length = BoundedUnitLength(units, count);
  if (KsPointsInto(*this, units)) {
    const std::u16string copy(units, static_cast<std::size_t>(length));
    FromUtf16(copy.data(), length, honourByteOrderMark);
    return;
  }
  AssignUtf16(*this, length, honourByteOrderMark, [units](int i) { return units[i]; });
}

void KsString::FromUtf32(const char32_t* units, int count) {
  if (units == nullptr) {
    Empty();
    return;
  }
  const int length = BoundedUnitLength(units, count);
  if (KsPointsInto(*this, units)) {
    const std::u32string copy(units, static_cast<std::size_t>(length));
    FromUtf32(copy.data(), length);
    return;
  }
  AssignUtf32(*this, length, [units](int i) { return units[i]; });
}

namespace {

// UTF-8 through the one-pass decoder; false (text untouched) when strict and the
// bytes are not the common UTF-8 it takes.
bool DecodeUtf8OnePass(KsString& target, const unsigned char* bytes, int count, bool strict) {
  if (count <= 0) {
    target.Empty();
    return true;
  }
  KsString decoded;
  KsChar* out = decoded.BeginEdit(count, true, false);  // never more units than bytes
  const int written = KsDecodeUtf8OnePass(bytes, count, out, strict);
  decoded.EndEdit(written < 0 ? 0 : written);
  if (written < 0) return false;
  if (written == 0) {
    target.Empty();
  } else {
    target = decoded;
  }
  return true;
}

// Explicit UTF-16 honours a byte-order mark too, so text saved as UTF-16
// (which starts with FF FE) reads back unchanged. Unknown encodings give
// empty text. An odd last byte of UTF-16, or a short last group of UTF-32,
// is ignored. onePass: UTF-8 goes through the one-pass decoder (detection of
// common UTF-8 included); the result is the same either way.
void Decode(KsString& target, const unsigned char* data, int count, int encoding, bool onePass) {
  const auto* text = reinterpret_cast<const char*>(data);
  auto utf8 = [&](int skip) {
    if (onePass) {
      DecodeUtf8OnePass(target, data + skip, count - skip, false);
    } else {
      target.FromUtf8(text + skip, count - skip);
    }
  };
  switch (encoding) {
    case kKsEncodingDetect:
      if (count >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        DecodeUtf16Bytes(target, data, count, true);
      } else if (StartsWithUtf8ByteOrderMark(data, count)) {
        utf8(3);
      } else if (!onePass || !DecodeUtf8OnePass(target, data, count, true)) {
        switch (DetectEncoding(data, count)) {
          case Detected::kUtf16:
            DecodeUtf16Bytes(target, data, count, false);
            break;
          case Detected::kUtf32:
            DecodeUtf32Bytes(target, data, count);
            break;
          case Detected::kUtf8:
            target.FromUtf8(text, count);
            break;
          case Detected::kAnsi:
            target.FromAnsi(text, count);
            break;
        }
      }
      break;
    case kKsEncodingAnsi:
      target.FromAnsi(text, count);
      break;
    case kKsEncodingUtf8:
      utf8(0);
      break;
    case kKsEncodingUtf8Bom:
      utf8(StartsWithUtf8ByteOrderMark(data, count) ? 3 : 0);
      break;
    case kKsEncodingUtf16:
      DecodeUtf16Bytes(target, data, count, true);
      break;
    case kKsEncodingUtf32:
      DecodeUtf32Bytes(target, data, count);
      break;
    default:
      target.Empty();
      break;
  }
}

void DecodeChecked(KsString& target, const void* bytes, int count, int encoding, bool onePass) {
  if (bytes == nullptr || count <= 0) {
    target.Empty();
    return;
  }
  if (KsPointsInto(target, bytes)) {
    const std::string copy(static_cast<const char*>(bytes), static_cast<std::size_t>(count));
    Decode(target, reinterpret_cast<const unsigned char*>(copy.data()), count, encoding, onePass);
    return;
  }
  Decode(target, static_cast<const unsigned char*>(bytes), count, encoding, onePass);
}

}  // namespace

void KsString::DecodeText(const void* bytes, int count, int encoding) {
  DecodeChecked(*this, bytes, count, encoding, true);
}

void KsDecodeTextPerByte(KsString& text, const void* bytes, int count, int encoding) {
  DecodeChecked(text, bytes, count, encoding, false);
}

std::optional<std::string> KsString::ToAnsi() const {
  const int length = GetLength();
  if (length == 0) return std::string();
  const int size = ks::sys::WideCharToMultiByte(ks::sys::CP_ACP, 0, Chars(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::nullopt;
  std::string result(static_cast<std::size_t>(size), '\0');
  const int written =
      ks::sys::WideCharToMultiByte(ks::sys::CP_ACP, 0, Chars(), length, result.data(), size, nullptr, nullptr);
  if (written <= 0) return std::nullopt;
  result.resize(static_cast<std::size_t>(written));
  return result;
}

std::string KsString::ToUtf8() const {
  const std::u16string_view text = View();
  std::string result(text.size() * 3, '\0');
  char* out = result.data();
  for (const KsChar unit : text) {
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
      *out++ = static_cast<char>(0xC0 | (unit >> 6));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      *out++ = static_cast<char>(0xE0 | (unit >> 12));
      *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

std::u16string KsString::ToWide() const { return std::u16string(View()); }

// Scans first: text with nothing to escape keeps its buffer.
void KsString::EscapeXML(int flags) {
  const std::u16string_view text = View();
  const auto first = std::find_if(text.begin(), text.end(), [flags](KsChar c) { return NeedsEscape(c, flags); });
  if (first == text.end()) return;
  const int length = static_cast<int>(text.size());
  KsString result;
  {
    KsTextWriter writer(result, false, length + length / 10);
    const int start = static_cast<int>(first - text.begin());
    writer.Append(text.data(), start);
    for (int i = start; i < length; ++i) {
      const KsChar c = text[i];
      if (NeedsEscape(c, flags)) {
        WriteEscape(writer, c, flags);
      } else {
        writer.AppendChar(c);
      }
    }
  }
  *this = std::move(result);
}

// Rewrites in place: every character read is appended to the output, and a
// "%" with two hex digits at the end of the output becomes the unit of that
// value, so a decoded "%" can start the next escape (%2541 gives A). Decoded
// values of 128 and above make the result UTF-8 bytes to decode. Units above
// 255 in the original text are kept as they are rather than cut to their low
// byte.
void KsString::DecodeURL() {
  const std::u16string_view original = View();
  const int length = static_cast<int>(original.size());
  // The first decode needs "%" and two hex digits side by side in the text.
  bool escapeFound = false;
  for (int i = 0; i + 2 < length && !escapeFound; ++i) {
    escapeFound = original[i] == u'%' && IsHexDigit(original[i + 1]) && IsHexDigit(original[i + 2]);
  }
  if (!escapeFound) return;
  KsChar* text = BeginEdit(-1);
  int written = 0;
  bool highValue = false;
  for (int read = 0; read < length; ++read) {
    text[written++] = text[read];  // written never passes read
    if (written >= 3 && text[written - 3] == u'%' && IsHexDigit(text[written - 2]) && IsHexDigit(text[written - 1])) {
      const int value = HexValue(text[written - 2]) * 16 + HexValue(text[written - 1]);
      written -= 3;
      text[written++] = static_cast<KsChar>(value);
      highValue = highValue || value >= 128;
    }
  }
  EndEdit(written);
  if (!highValue) return;

  // Decode each run of byte-sized units as UTF-8.
  const std::u16string_view decoded = View();
  KsString result;
  {
    KsTextWriter writer(result, false, written);
    std::string bytes;
    std::size_t i = 0;
    while (i < decoded.size()) {
      if (decoded[i] > 0xFF) {
        writer.AppendChar(decoded[i++]);
        continue;
      }
      bytes.clear();
      while (i < decoded.size() && decoded[i] <= 0xFF) bytes.push_back(static_cast<char>(decoded[i++]));
      const int count = static_cast<int>(bytes.size());
      if (KsChar* out = writer.Reserve(count)) {
        writer.Commit(KsDecodeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), count, out, count));
      }
      // A decoded 0 ends the text, as decoding UTF-8 stops there.
      if (std::find(bytes.begin(), bytes.end(), '\0') != bytes.end()) break;
    }
  }
  *this = std::move(result);
}

// Four characters per three bytes with "=" padding and a line feed after
// every 64 characters (none at the end). A result too long for a KsString
// gives empty text.
void KsString::ToBase64(const void* bytes, int count) {
  if (bytes == nullptr || count <= 0) {
    Empty();
    return;
  }
  if (KsPointsInto(*this, bytes)) {
    const std::string copy(static_cast<const char*>(bytes), static_cast<std::size_t>(count));
    ToBase64(copy.data(), count);
    return;
  }
  const std::int64_t characters = (static_cast<std::int64_t>(count) + 2) / 3 * 4;
  const std::int64_t total = characters + (characters - 1) / kBase64LineLength;
  if (total > KsTextWriter::kMaxLength) {
    Empty();
    return;
  }
  const auto* data = static_cast<const unsigned char*>(bytes);
  KsChar* out = BeginEdit(static_cast<int>(total), true, false);
  KsChar* const start = out;
  int lineCharacters = 0;
  for (int i = 0; i < count; i += 3) {
    if (lineCharacters == kBase64LineLength) {
      *out++ = u'\n';
      lineCharacters = 0;
    }
    const int available = std::min(3, count - i);
    const unsigned group = (data[i] << 16) | (available > 1 ? data[i + 1] << 8 : 0) | (available > 2 ? data[i + 2] : 0);
    out[0] = static_cast<KsChar>(kBase64Alphabet[(group >> 18) & 63]);
    out[1] = static_cast<KsChar>(kBase64Alphabet[(group >> 12) & 63]);
    out[2] = available > 1 ? static_cast<KsChar>(kBase64Alphabet[(group >> 6) & 63]) : u'=';
    out[3] = available > 2 ? static_cast<KsChar>(kBase64Alphabet[group & 63]) : u'=';
    out += 4;
    lineCharacters += 4;
  }
  EndEdit(static_cast<int>(out - start));
}

// Lenient: line breaks are skipped, anything outside the alphabet counts as
// 0, a short last group is filled with zeros, and the output loses one byte
// per "=" of the last group. That loss stops at the last group's three
// bytes, so "====" cannot eat bytes of the group before it.
std::string KsString::FromBase64() const {
  std::string result;
  result.reserve(static_cast<std::size_t>(GetLength()) / 4 * 3 + 3);
  unsigned values[4] = {};
  int filled = 0;
  int padding = 0;  // "=" in the group being read
  auto emit = [&]() {
    const unsigned group = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
    result.push_back(static_cast<char>(group >> 16));
    result.push_back(static_cast<char>((group >> 8) & 0xFF));
    result.push_back(static_cast<char>(group & 0xFF));
  };
  for (const KsChar c : View()) {
    if (c == u'\r' || c == u'\n') continue;
    if (filled == 0) padding = 0;
    if (c == u'=') ++padding;
    values[filled++] = (c <= 0xFF && c != u'=') ? kBase64Values.value[c] : 0;
    if (filled == 4) {
      emit();
      filled = 0;
    }
  }
  if (filled > 0) {
    std::fill(values + filled, values + 4, 0u);
    emit();
  }
  result.resize(result.size() - static_cast<std::size_t>(std::min(padding, 3)));
  return result;
}
