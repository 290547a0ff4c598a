// The format operation of KsString (the program's own placeholder rules, not
// printf's), FromInt, FormatGmtDate and MakeUniqueName.
//
// Choices where the rules leave room, made so that no format text can crash,
// read out of bounds or allocate without limit:
// - A format that ends inside a conversion ("100%", "%5") writes the
//   unfinished conversion as it stands.
// - Widths and precisions are read with saturation. Minimum digit counts of
//   numbers are clamped to kMaxMinimumDigits (the rules only cover up to 18),
//   so "%999999999d" writes 256 digits instead of allocating gigabytes. A %s
//   width only ever cuts the text, so it needs no clamp.
// - A real too large for 64 bits is written with all its integer digits; an
//   infinity or NaN is written as "inf", "-inf" or "nan".

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/KsString.h"
#include "foundation/KsTextWriter.h"

namespace {

constexpr int kMaxMinimumDigits = 256;
constexpr int kMaxFormatNumber = 100'000'000;  // saturation of widths and precisions
constexpr int kNumberReserve = 32;               // characters reserved per number
constexpr int kMaxRealPrecision = 16;

constexpr char kLowerDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr char kUpperDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::atomic<KsChar> g_decimalSeparator{0};

struct NumberStyle {
  int minimumDigits = 1;
  int radix = 10;
  bool upperCase = false;
  bool blankPadding = false;
  bool hexPrefix = false;  // "0x" before the digits
};

// "00" to "99": decimal digits are written two at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

int DecimalDigitCount(std::uint64_t value) {
  int count = 1;
  while (value >= 10000) {
    value /= 10000;
    count += 4;
  }
  if (value >= 10) ++count;
  if (value >= 100) ++count;
  if (value >= 1000) ++count;
  return count;
}

// Writes the count digits of value so that the last one lands just before end.
void WriteDigitsBackwards(KsChar* end, std::uint64_t value, int count, const NumberStyle& style) {
  if (style.radix == 10) {
    while (value >= 100) {
      const auto pair = static_cast<std::size_t>(value % 100) * 2;
      value /= 100;
      *--end = static_cast<KsChar>(kDigitPairs[pair + 1]);
      *--end = static_cast<KsChar>(kDigitPairs[pair]);
    }
    if (value >= 10) {
      const auto pair = static_cast<std::size_t>(value) * 2;
      *--end = static_cast<KsChar>(kDigitPairs[pair + 1]);
      *--end = static_cast<KsChar>(kDigitPairs[pair]);
    } else {
      *--end = static_cast<KsChar>(u'0' + value);
    }
    return;
  }
  const char* table = style.upperCase ? kUpperDigits : kLowerDigits;
  const auto radix = static_cast<std::uint64_t>(style.radix);
  for (int i = 0; i < count; ++i) {
    *--end = static_cast<KsChar>(table[value % radix]);
    value /= radix;
  }
}

int DigitCount(std::uint64_t value, int radix) {
  if (radix == 10) return DecimalDigitCount(value);
  if (radix == 16) return value == 0 ? 1 : (67 - __builtin_clzll(value)) / 4;
  int count = 1;
  while (value >= static_cast<std::uint64_t>(radix)) {
    value /= static_cast<std::uint64_t>(radix);
    ++count;
  }
  return count;
}

// Writes the magnitude with its sign, prefix and padding; the padding counts
// digits only, so %03d of -5 gives -005.
void WriteNumber(KsTextWriter& writer, std::uint64_t magnitude, bool negative, const NumberStyle& style) {
  const int count = DigitCount(magnitude, style.radix);
  const int minimum = std::clamp(style.minimumDigits, 1, kMaxMinimumDigits);
  const int padding = std::max(0, minimum - count);
  KsChar* out = writer.Reserve(kNumberReserve + padding + count);
  if (out == nullptr) return;
  KsChar* const start = out;
  if (negative) *out++ = u'-';
  if (style.hexPrefix) {
    *out++ = u'0';
    *out++ = u'x';
  }
  const KsChar pad = style.blankPadding ? u' ' : u'0';
  for (int i = 0; i < padding; ++i) *out++ = pad;
  out += count;
  WriteDigitsBackwards(out, magnitude, count, style);
  writer.Commit(static_cast<int>(out - start));
}

void WriteSigned(KsTextWriter& writer, std::int64_t value, const NumberStyle& style) {
  const bool negative = value < 0;
  // Negating in unsigned arithmetic keeps INT64_MIN defined.
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  WriteNumber(writer, magnitude, negative, style);
}

// x, X, p and h: a value whose upper 32 bits are all ones is written by its
// lower 32 bits when at most 8 digits are asked for (%x of -1 gives ffffffff).
void WriteHex(KsTextWriter& writer, std::int64_t value, const NumberStyle& style) {
  auto bits = static_cast<std::uint64_t>(value);
  if ((bits >> 32) == 0xFFFFFFFFu && style.minimumDigits <= 8) bits &= 0xFFFFFFFFu;
  WriteNumber(writer, bits, false, style);
}

void WriteAscii(KsTextWriter& writer, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  KsChar* out = writer.Reserve(length);
  if (out == nullptr) return;
  for (int i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(text[i]);
  writer.Commit(length);
}

constexpr std::uint64_t PowerOfTen(int exponent) {
  std::uint64_t result = 1;
  while (exponent-- > 0) result *= 10;
  return result;
}

// precision -1: none given.
void WriteReal(KsTextWriter& writer, double value, int width, int precision, bool blankPadding) {
  if (std::isnan(value)) {
    WriteAscii(writer, "nan");
    return;
  }
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (std::isinf(magnitude)) {
    WriteAscii(writer, negative ? "-inf" : "inf");
    return;
  }
  NumberStyle integerStyle;
  integerStyle.minimumDigits = width > 0 ? width : 1;
  integerStyle.blankPadding = blankPadding;
  const int decimals = (precision < 0 || precision > kMaxRealPrecision) ? kMaxRealPrecision : precision;

  if (magnitude >= 9223372036854775808.0) {
    // Beyond 64 bits every double is a whole number: write its exact digits.
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.0f", magnitude);
    const int count = static_cast<int>(std::strlen(digits));
    const int padding = std::max(0, std::min(integerStyle.minimumDigits, kMaxMinimumDigits) - count);
    KsChar* out = writer.Reserve(count + padding + decimals + 2);
    if (out == nullptr) return;
    KsChar* const start = out;
    if (negative) *out++ = u'-';
    for (int i = 0; i < padding; ++i) *out++ = blankPadding ? u' ' : u'0';
    for (int i = 0; i < count; ++i) *out++ = static_cast<KsChar>(digits[i]);
    if (precision >= 0 && decimals > 0) {
      *out++ = KsDecimalSeparator();
      for (int i = 0; i < decimals; ++i) *out++ = u'0';
    }
    writer.Commit(static_cast<int>(out - start));
    return;
  }

  // Below 2^63 truncation is floor, and cheaper.
  std::uint64_t integer = static_cast<std::uint64_t>(magnitude);
  const double integral = static_cast<double>(integer);
  if (integral == magnitude && precision < 0) {
    WriteNumber(writer, integer, negative, integerStyle);
    return;
  }
  // Decimals the fraction needs: multiply by 10, at most decimals + 1 times,
  // until nothing is left after the point.
  double scaled = magnitude - integral;
  int needed = 0;
  while (needed < decimals + 1 && scaled != static_cast<double>(static_cast<std::uint64_t>(scaled))) {
    scaled *= 10;
    ++needed;
  }
  std::uint64_t fraction = static_cast<std::uint64_t>(scaled);  // below 10^17
  if (precision >= 0) {
    while (needed < decimals) {
      fraction *= 10;
      ++needed;
    }
  }
  if (needed > decimals) {
    const std::uint64_t divisor = PowerOfTen(needed - decimals);
    fraction = (fraction + divisor / 2) / divisor;
    needed = decimals;
  }
  if (fraction >= PowerOfTen(needed)) {  // the rounding carried into the integer part
    ++integer;
    fraction = 0;
  }
  if (precision < 0) {
    while (needed > 0 && fraction % 10 == 0) {
      fraction /= 10;
      --needed;
    }
  }
  WriteNumber(writer, integer, negative, integerStyle);
  if (needed > 0) {
    writer.AppendChar(KsDecimalSeparator());
    NumberStyle fractionStyle;
    fractionStyle.minimumDigits = needed;
    WriteNumber(writer, fraction, false, fractionStyle);
  }
}

// Characters of a zero-terminated wide text, but no more than limit.
int BoundedLength(const KsChar* text, int limit) {
  int length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

void WriteText(KsTextWriter& writer, const KsFormatArg* argument, int limit) {
  if (argument == nullptr || limit <= 0) return;
  static constexpr KsChar kNull[] = u"(null)";
  switch (argument->tag) {
    case KsFormatArg::kString: {
      const KsString& text = *argument->string;
      writer.Append(text.Chars(), std::min(text.GetLength(), limit));
      break;
    }
    case KsFormatArg::kWide: {
      const KsChar* text = argument->wide != nullptr ? argument->wide : kNull;
      writer.Append(text, BoundedLength(text, limit));
      break;
    }
    case KsFormatArg::kUtf8: {
      if (argument->utf8 == nullptr) {
        writer.Append(kNull, BoundedLength(kNull, limit));
        break;
      }
      // Decoding never gives more units than bytes.
      const std::size_t bytes = std::strlen(argument->utf8);
      const int room = static_cast<int>(std::min<std::size_t>(bytes, static_cast<std::size_t>(limit)));
      KsChar* out = writer.Reserve(room);
      if (out == nullptr) break;
      const int count = static_cast<int>(std::min<std::size_t>(bytes, KsTextWriter::kMaxLength));
      writer.Commit(KsDecodeUtf8(reinterpret_cast<const unsigned char*>(argument->utf8), count, out, room));
      break;
    }
    default:
      break;
  }
}

bool IsDecimalDigit(KsChar c) { return c >= u'0' && c <= u'9'; }

// Reads decimal digits, saturating at kMaxFormatNumber.
int ReadFormatNumber(const KsChar*& p) {
  int value = 0;
  while (IsDecimalDigit(*p)) {
    if (value < kMaxFormatNumber) value = std::min(kMaxFormatNumber, value * 10 + (*p - u'0'));
    ++p;
  }
  return value;
}

// Appends the formatted text to the writer. Arguments past count, and
// arguments with another tag, count as 0 or nothing.
void FormatInto(KsTextWriter& writer, const KsChar* format, const KsFormatArg* args, int count) {
  if (format == nullptr) return;
  int nextArgument = 0;
  auto takeArgument = [&]() -> const KsFormatArg* {
    const int index = nextArgument++;
    return (args != nullptr && index >= 0 && index < count) ? &args[index] : nullptr;
  };
  auto integerOf = [](const KsFormatArg* argument) -> std::int64_t {
    return (argument != nullptr && argument->tag == KsFormatArg::kInteger) ? argument->integer : 0;
  };

  const KsChar* p = format;
  while (*p != 0) {
    const KsChar* run = p;
    while (*p != 0 && *p != u'%') ++p;
    if (p != run) writer.Append(run, static_cast<int>(p - run));
    if (*p == 0) break;

    const KsChar* const conversionStart = p++;  // past "%"
    const bool blank = *p == u' ';
    if (blank) ++p;
    int width = -1;
    if (IsDecimalDigit(*p)) width = ReadFormatNumber(p);
    int precision = -1;
    if (*p == u'.') {
      ++p;
      precision = ReadFormatNumber(p);  // "." without digits: precision 0
    }
    // Size prefixes carry nothing here: I64 before d or u, l before d, s, x or u.
    if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4' && (p[3] == u'd' || p[3] == u'u')) {
      p += 3;
    } else if (p[0] == u'l' && (p[1] == u'd' || p[1] == u's' || p[1] == u'x' || p[1] == u'u')) {
      ++p;
    }
    const KsChar type = *p;
    if (type == 0) {
      writer.Append(conversionStart, static_cast<int>(p - conversionStart));
      break;
    }
    ++p;

    NumberStyle style;
    style.minimumDigits = width > 0 ? width : (precision > 0 ? precision : 1);
    style.blankPadding = blank;
    switch (type) {
      case u'%':
        writer.AppendChar(u'%');
        break;
      case u'c': {
        const std::int64_t value = integerOf(takeArgument());
        if (value >= 1 && value <= 0xFFFF) writer.AppendChar(static_cast<KsChar>(value));
        break;
      }
      case u'd':
      case u'i':
        WriteSigned(writer, integerOf(takeArgument()), style);
        break;
      case u'u':
        WriteNumber(writer, static_cast<std::uint64_t>(integerOf(takeArgument())), false, style);
        break;
      case u'x':
      case u'X':
        style.radix = 16;
        style.upperCase = type == u'X';
        WriteHex(writer, integerOf(takeArgument()), style);
        break;
      case u'p':
      case u'h':
        style.radix = 16;
        style.upperCase = true;
        style.minimumDigits = std::max(style.minimumDigits, 8);
        style.hexPrefix = type == u'h';
        WriteHex(writer, integerOf(takeArgument()), style);
        break;
      case u'f': {
        const KsFormatArg* argument = takeArgument();
        const double value = (argument != nullptr && argument->tag == KsFormatArg::kReal) ? argument->real : 0.0;
        WriteReal(writer, value, width, precision, blank);
        break;
      }
      case u's':
        WriteText(writer, takeArgument(), width >= 0 ? width : std::numeric_limits<int>::max());
        break;
      default:
        writer.AppendChar(type);
        break;
    }
  }
}

// True when formatting into target would read from target's own buffer, which
// the writer may move or overwrite.
bool ReadsFrom(const KsString& target, const KsChar* format, const KsFormatArg* args, int count) {
  if (KsPointsInto(target, format)) return true;
  for (int i = 0; args != nullptr && i < count; ++i) {
    const KsFormatArg& argument = args[i];
    if (argument.tag == KsFormatArg::kString && argument.string == &target) return true;
    if (argument.tag == KsFormatArg::kWide && KsPointsInto(target, argument.wide)) return true;
    if (argument.tag == KsFormatArg::kUtf8 && KsPointsInto(target, argument.utf8)) return true;
  }
  return false;
}

int FormatLength(const KsChar* format) { return format != nullptr ? BoundedLength(format, KsTextWriter::kMaxLength) : 0; }

}  // namespace

KsTextWriter::KsTextWriter(KsString& target, bool keep, int reserve) : m_target(target) {
  m_length = keep ? target.GetLength() : 0;
  reserve = std::clamp(reserve, 0, kMaxLength - m_length);
  m_chars = target.BeginEdit(m_length + reserve, false, keep);
  m_capacity = target.Buffer()->capacity - 1;
  m_open = true;
}

KsChar* KsTextWriter::Grow(int count) {
  if (count < 0 || count > kMaxLength - m_length) return nullptr;
  // Closing and reopening lets the buffer grow by the usual rounding rule,
  // so a long run of appends costs amortised constant time.
  m_target.EndEdit(m_length);
  m_chars = m_target.BeginEdit(m_length + count, false, true);
  m_capacity = m_target.Buffer()->capacity - 1;
  return m_chars + m_length;
}

void KsTextWriter::Finish() {
  if (!m_open) return;
  m_open = false;
  m_target.EndEdit(m_length);
}

bool KsPointsInto(const KsString& text, const void* pointer) {
  if (pointer == nullptr) return false;
  const auto address = reinterpret_cast<std::uintptr_t>(pointer);
  const auto begin = reinterpret_cast<std::uintptr_t>(text.Chars());
  const auto end = begin + static_cast<std::uintptr_t>(text.Buffer()->capacity) * sizeof(KsChar);
  return address >= begin && address < end;
}

KsChar KsDecimalSeparator() {
  KsChar separator = g_decimalSeparator.load(std::memory_order_relaxed);
  if (separator == 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 1.1);
    separator = (text[1] == '.' || text[1] == ',') ? static_cast<KsChar>(text[1]) : u'.';
    g_decimalSeparator.store(separator, std::memory_order_relaxed);
  }
  return separator;
}

void KsSetDecimalSeparatorForTesting(KsChar separator) { g_decimalSeparator.store(separator); }

// Formatting into a fresh value is always safe: the permanent empty buffer it
// starts with is never written.
void KsString::FormatList(const KsChar* format, const KsFormatArg* args, int count) {
  if (ReadsFrom(*this, format, args, count)) {
    KsString result;
    {
      KsTextWriter writer(result, false, FormatLength(format) + 16);
      FormatInto(writer, format, args, count);
    }
    *this = std::move(result);
    return;
  }
  KsTextWriter writer(*this, false, FormatLength(format) + 16);
  FormatInto(writer, format, args, count);
}

void KsString::AppendFormatList(const KsChar* format, const KsFormatArg* args, int count) {
  if (ReadsFrom(*this, format, args, count)) {
    KsString result;
    {
      KsTextWriter writer(result, false, FormatLength(format) + 16);
      FormatInto(writer, format, args, count);
    }
    Append(result);
    return;
  }
  KsTextWriter writer(*this, true, FormatLength(format) + 16);
  FormatInto(writer, format, args, count);
}

// Radix 10 gives signed decimal; any other radix (2 to 36, else 10) the
// unsigned 64-bit value in lower-case digits, with the 32-bit rule of %x for
// radix 16.
void KsString::FromInt(std::int64_t value, int minimumDigits, int radix) {
  if (radix < 2 || radix > 36) radix = 10;
  KsTextWriter writer(*this, false, kNumberReserve);
  NumberStyle style;
  style.minimumDigits = minimumDigits;
  style.radix = radix;
  if (radix == 10) {
    WriteSigned(writer, value, style);
  } else if (radix == 16) {
    WriteHex(writer, value, style);
  } else {
    WriteNumber(writer, static_cast<std::uint64_t>(value), false, style);
  }
}

void KsString::FormatGmtDate(const KsChar* weekday, int day, const KsChar* month, int year, int hours, int minutes,
                             int seconds) {
  Format(u"%s, %d %s %d %02d:%02d:%02d GMT", weekday, day, month, year, hours, minutes, seconds);
}

// "Name" -> "Name (1)", "Name (1)" -> "Name (2)", "Name(1)" -> "Name(2)". Only
// one to four digits not starting with 0 count as a number of the series.
void KsString::MakeUniqueName() {
  const std::u16string_view text = View();
  int number = 0;
  std::size_t kept = text.size();
  bool blank = true;
  if (text.size() >= 3 && text.back() == u')') {
    const std::size_t open = text.find_last_of(u'(', text.size() - 2);
    if (open != std::u16string_view::npos) {
      const std::u16string_view digits = text.substr(open + 1, text.size() - open - 2);
      const bool isNumber = !digits.empty() && digits.size() <= 4 && digits[0] != u'0' &&
                            std::all_of(digits.begin(), digits.end(), IsDecimalDigit);
      if (isNumber) {
        for (KsChar digit : digits) number = number * 10 + (digit - u'0');
        kept = open;
        blank = kept > 0 && text[kept - 1] == u' ';
        if (blank) --kept;
      }
    }
  }
  KsString stem(Chars(), static_cast<int>(kept));
  if (blank) stem.AppendChar(u' ');
  Format(u"%s(%d)", stem, number + 1);
}
