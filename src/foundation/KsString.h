#pragma once
// KsString: UTF-16 text in a shared, reference-counted buffer that behaves as a
// value. Copies share the buffer; every change goes through BeginEdit/EndEdit,
// which makes the buffer private first, so a change never shows through another
// copy. A KsString is never null: empty text is the permanent empty buffer.
// Positions and lengths are code units; -1 means "not found".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "foundation/KsFormatArg.h"
#include "foundation/KsStringGlobals.h"

class KsString {
 public:
  // One match of ReplaceAll: which pattern matched, and where.
  struct KsStringReplaceHit {
    std::int32_t pattern = -1;
    std::int32_t position = -1;
  };

  KsString() noexcept : m_chars(g_ksEmptyString.header.Chars()) {}
  KsString(const KsString& other) noexcept : m_chars(Share(other.m_chars)) {}
  KsString(KsString&& other) noexcept : m_chars(other.m_chars) { other.m_chars = g_ksEmptyString.header.Chars(); }
  KsString(const KsChar* text);  // NOLINT: implicit, as the text it holds
  KsString(const KsChar* text, int count);
  explicit KsString(std::u16string_view text);
  ~KsString() { ReleaseBuffer(m_chars); }

  KsString& operator=(const KsString& other) noexcept {
    if (m_chars != other.m_chars) {
      KsChar* shared = Share(other.m_chars);
      ReleaseBuffer(m_chars);
      m_chars = shared;
    }
    return *this;
  }
  KsString& operator=(KsString&& other) noexcept;
  KsString& operator=(const KsChar* text);

  // Value and storage.
  const KsChar* Chars() const noexcept { return m_chars; }
  operator const KsChar*() const noexcept { return m_chars; }  // NOLINT: used where Windows takes text
  std::u16string_view View() const noexcept { return {m_chars, static_cast<size_t>(GetLength())}; }
  int GetLength() const noexcept { return KsStringData::Of(m_chars)->length; }
  bool IsEmpty() const noexcept { return GetLength() == 0; }
  KsChar operator[](int index) const noexcept { return m_chars[index]; }
  void Empty();
  // Opens the buffer for writing with room for at least minLength characters
  // (-1: the current length). keep carries the text over. The pointer is valid
  // until EndEdit, which stores the length (-1: up to the first 0).
  KsChar* BeginEdit(int minLength = -1, bool exact = false, bool keep = true);
  void EndEdit(int newLength = -1);

  // Comparison.
  bool Equals(const KsChar* text) const noexcept;
  int CompareNoCase(const KsChar* text) const noexcept;
  int CompareNoCaseN(const KsChar* text, int count) const noexcept;
  bool StartsWith(const KsChar* prefix, bool ignoreCase) const noexcept;
  int EndsWith(const KsChar* suffix, bool ignoreCase) const noexcept;  // 0 when it does
  bool EndsWithBackslash() const noexcept;
  bool FirstCharIs(KsChar c) const noexcept;

  // Searching.
  int Find(const KsChar* pattern, int start = 0) const noexcept;  // exact
  int FindChar(KsChar c) const noexcept;
  int ReverseFindChar(KsChar c) const noexcept;
  int FindLineBreak() const noexcept;
  int ReverseFindSeparator(int from = -1) const noexcept;
  int FindNoCase(const KsChar* pattern, int start = 0, bool giveEnd = false) const;
  bool Contains(const KsChar* pattern) const;

  // Parts of the text.
  KsString Left(int count) const;
  KsString Right(int count) const;
  KsString Mid(int start) const;
  KsString Mid(int start, int count) const;
  KsString BeforeFirstOf(const KsChar* set) const;
  KsString AfterLastOf(const KsChar* set, bool wholeIfNone) const;
  KsString AfterLast(KsChar c, bool wholeIfNone) const;

  // Changing the text in place.
  void Append(const KsChar* text, int count = -1);
  void Append(const KsString& text);
  void AppendChar(KsChar c);
  KsString& operator+=(const KsString& text) {
    Append(text);
    return *this;
  }
  KsString& operator+=(const KsChar* text) {
    Append(text);
    return *this;
  }
  KsString& operator+=(KsChar c) {
    AppendChar(c);
    return *this;
  }
  int Insert(int position, const KsChar* text);
  int InsertChar(int position, KsChar c);
  void SetAt(int index, KsChar c);
  int Remove(KsChar c);
  void DeleteLeft(int count);
  void Crop(int left, int right);
  bool DeleteThrough(int index);
  bool RemoveFileName();
  void Trim();
  void TrimLeft();
  void TrimRight();
  void Trim(const KsChar* set);
  void TrimLeft(const KsChar* set);
  void TrimRight(const KsChar* set);
  void TrimLeadingSlashes();
  void TrimTrailingBackslashes();
  void MakeLower();
  int Replace(KsChar from, KsChar to);
  int Replace(const KsChar* from, const KsChar* to);
  int ReplaceAll(const KsChar* const* patterns, const KsChar* const* replacements, int count, bool caseSensitive,
                 bool keepMatch = false, const KsChar* before = nullptr, const KsChar* after = nullptr);

  // Numbers; parsing stops at the first character it cannot use.
  int ToInt() const noexcept { return ToInt(m_chars); }
  std::int64_t ToInt64() const noexcept { return ToInt64(m_chars); }
  int HexToInt() const noexcept { return HexToInt(m_chars); }
  std::int64_t HexToInt64() const noexcept { return HexToInt64(m_chars); }
  std::int64_t HexPrefixedToInt64() const noexcept { return HexPrefixedToInt64(m_chars); }
  double ToDouble(int* used = nullptr) const noexcept { return ToDouble(m_chars, used); }
  static int ToInt(const KsChar* text) noexcept;
  static std::int64_t ToInt64(const KsChar* text) noexcept;
  static int HexToInt(const KsChar* text) noexcept;
  static std::int64_t HexToInt64(const KsChar* text) noexcept;
  static std::int64_t HexPrefixedToInt64(const KsChar* text) noexcept;
  static double ToDouble(const KsChar* text, int* used) noexcept;

  // Formatting (the program's own placeholder rules) and encodings.
  void FormatList(const KsChar* format, const KsFormatArg* args, int count);
  void AppendFormatList(const KsChar* format, const KsFormatArg* args, int count);
  template <class... Args>
  void Format(const KsChar* format, const Args&... args) {
    const KsFormatArg list[] = {KsFormatArg(args)..., KsFormatArg()};
    FormatList(format, list, static_cast<int>(sizeof...(Args)));
  }
  template <class... Args>
  void AppendFormat(const KsChar* format, const Args&... args) {
    const KsFormatArg list[] = {KsFormatArg(args)..., KsFormatArg()};
    AppendFormatList(format, list, static_cast<int>(sizeof...(Args)));
  }
  void FromInt(std::int64_t value, int minimumDigits = 1, int radix = 10);
  void FormatGmtDate(const KsChar* weekday, int day, const KsChar* month, int year, int hours, int minutes,
                     int seconds);

  void FromAnsi(const char* bytes, int count = -1);
  void FromUtf8(const char* bytes, int count = -1);
  void FromUtf16(const char16_t* units, int count, bool honourByteOrderMark);
  void FromUtf32(const char32_t* units, int count);
  void DecodeText(const void* bytes, int count, int encoding);
  std::optional<std::string> ToAnsi() const;
  std::string ToUtf8() const;
  std::u16string ToWide() const;

  void EscapeXML(int flags);
  void DecodeURL();
  void ToBase64(const void* bytes, int count);
  std::string FromBase64() const;
  void MakeUniqueName();
  bool SaveToFile(const KsChar* path, int encoding) const;

  // Tests and the pool see the buffer itself.
  const KsStringData* Buffer() const noexcept { return KsStringData::Of(m_chars); }

 private:
  // A new reference to the buffer: shared by count, or a copy when it is open
  // for writing or belongs to another manager.
  static KsChar* Share(KsChar* chars) noexcept {
    KsStringData* data = KsStringData::Of(chars);
    if (data->length == 0) return g_ksEmptyString.header.Chars();
    const std::int32_t refs = data->refs.load(std::memory_order_relaxed);
    if (refs == kKsStringPermanentRefs) return chars;
    if (refs < 0 || data->manager != KsStringGlobals::Existing()) return ShareSlow(chars);
    if (KsStringSingleThreaded()) {
      data->refs.store(refs + 1, std::memory_order_relaxed);
    } else {
      data->refs.fetch_add(1, std::memory_order_relaxed);
    }
    return chars;
  }
  static void ReleaseBuffer(KsChar* chars) noexcept {
    KsStringData* data = KsStringData::Of(chars);
    const std::int32_t refs = data->refs.load(std::memory_order_relaxed);
    if (refs == kKsStringPermanentRefs) return;
    if (refs == kKsStringEditingRefs || refs <= 1) {
      ReleaseSlow(chars);
    } else if (KsStringSingleThreaded()) {
      data->refs.store(refs - 1, std::memory_order_relaxed);
    } else if (data->refs.fetch_sub(1, std::memory_order_acq_rel) <= 1) {
      ReleaseSlow(chars);
    }
  }
  static KsChar* ShareSlow(KsChar* chars) noexcept;
  static void ReleaseSlow(KsChar* chars) noexcept;
  void Assign(const KsChar* text, int count);
  // Replaces the range [start, start + removeCount) with insertCount characters
  // of text; the common path of the editing operations.
  void Splice(int start, int removeCount, const KsChar* text, int insertCount);

  KsChar* m_chars;
};

using KsStringReplaceHit = KsString::KsStringReplaceHit;

// Text encodings of DecodeText and SaveToFile.
enum KsTextEncoding : int {
  kKsEncodingDetect = 0,
  kKsEncodingAnsi = 1,
  kKsEncodingUtf8 = 2,
  kKsEncodingUtf16 = 3,
  kKsEncodingUtf8Bom = 5,
  kKsEncodingUtf32 = 6,
};

bool operator==(const KsString& a, const KsString& b) noexcept;
bool operator==(const KsString& a, const KsChar* b) noexcept;
KsString operator+(const KsString& a, const KsString& b);
KsString operator+(const KsString& a, const KsChar* b);
KsString operator+(const KsChar* a, const KsString& b);

// Length of a zero-terminated text; null counts as empty.
int KsTextLength(const KsChar* text) noexcept;

// Format into a new value: KsFormat(u"%s (%d)", name, count).
template <class... Args>
KsString KsFormat(const KsChar* format, const Args&... args) {
  KsString result;
  result.Format(format, args...);
  return result;
}
