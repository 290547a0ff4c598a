#include "config/KsXmlDocument.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "config/KsReadTextFile.h"
#include "foundation/KsTextWriter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr KsChar kEmptyText[] = u"";

bool IsBlank(KsChar c) noexcept { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// "<" followed by one of these opens a start tag; any unit from U+0061 up counts,
// which takes in every non-ASCII name.
bool IsNameStart(KsChar c) noexcept { return (c >= u'A' && c <= u'Z') || c >= 0x61 || c == u'_' || c == u':'; }

// Names end at white space or any other control character, "/" or ">".
bool EndsName(KsChar c) noexcept { return c <= u' ' || c == u'/' || c == u'>'; }

const KsChar* FindNameEnd(const KsChar* from, const KsChar* end) noexcept {
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi16(u' ');
  const __m128i slash = _mm_set1_epi16(u'/');
  const __m128i close = _mm_set1_epi16(u'>');
  const __m128i zero = _mm_setzero_si128();
  for (; end - from >= 8; from += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i control = _mm_cmpeq_epi16(_mm_subs_epu16(units, space), zero);  // unsigned units <= " "
    const __m128i hits = _mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi16(units, slash), _mm_cmpeq_epi16(units, close)));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return from + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
  }
#endif
  while (from < end && !EndsName(*from)) ++from;
  return from;
}

const KsChar* FindUnit(const KsChar* from, const KsChar* end, KsChar c) noexcept {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
  for (; end - from >= 8; from += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted));
    if (mask != 0) return from + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
  }
#endif
  for (; from < end; ++from) {
    if (*from == c) return from;
  }
  return nullptr;
}

// The ">" that ends a start tag: the first one in [from, end) outside a quoted
// value (single or double quotes; the other kind inside is ordinary). One pass
// over sixteen units at a time, walking the stops of each block, since a catalogue's
// tags hold many short values; nullptr when the tag does not end.
const KsChar* FindStartTagEnd(const KsChar* from, const KsChar* end) noexcept {
  KsChar quote = 0;
#if defined(__SSE2__)
  const __m128i close = _mm_set1_epi16(u'>');
  const __m128i doubleQuote = _mm_set1_epi16(u'"');
  const __m128i apostrophe = _mm_set1_epi16(u'\'');
  for (; end - from >= 16; from += 16) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8));
    const __m128i lowHits = _mm_or_si128(_mm_cmpeq_epi16(low, close),
                                         _mm_or_si128(_mm_cmpeq_epi16(low, doubleQuote), _mm_cmpeq_epi16(low, apostrophe)));
    const __m128i highHits = _mm_or_si128(
        _mm_cmpeq_epi16(high, close), _mm_or_si128(_mm_cmpeq_epi16(high, doubleQuote), _mm_cmpeq_epi16(high, apostrophe)));
    unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lowHits, highHits)));
    while (stops != 0) {
      const int i = __builtin_ctz(stops);
      stops &= stops - 1;
      const KsChar c = from[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == u'>') {
        return from + i;
      } else {
        quote = c;
      }
    }
  }
#endif
  for (; from < end; ++from) {
    const KsChar c = *from;
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == u'>') {
      return from;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    }
  }
  return nullptr;
}

// First occurrence of the three-unit sequence a b c in [from, end).
const KsChar* FindTriple(const KsChar* from, const KsChar* end, KsChar a, KsChar b, KsChar c) noexcept {
  for (; end - from >= 3; ++from) {
    if (from[0] == a && from[1] == b && from[2] == c) return from;
  }
  return nullptr;
}

// Names are short: a plain loop beats a call to memcmp.
bool SameUnits(const KsChar* a, const KsChar* b, int length) noexcept {
  for (int i = 0; i < length; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

bool EqualsNoCase(const KsChar* a, const KsChar* b, int length) noexcept {
  const KsStringGlobals& globals = KsStringGlobals::Instance();
  for (int i = 0; i < length; ++i) {
    if (a[i] != b[i] && globals.Fold(a[i]) != globals.Fold(b[i])) return false;
  }
  return true;
}

void AppendNumber(KsString& text, std::int64_t value) {
  KsChar digits[24];
  int count = 0;
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[count++] = static_cast<KsChar>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) text.AppendChar(u'-');
  while (count > 0) text.AppendChar(digits[--count]);
}

// Builds a message from literal pieces, texts and numbers without the format
// operation, so a parse never depends on the locale.
class Message {
 public:
  Message& operator<<(const char16_t* piece) {
    m_text.Append(piece);
    return *this;
  }
  Message& operator<<(std::u16string_view piece) {
    m_text.Append(piece.data(), static_cast<int>(piece.size()));
    return *this;
  }
  Message& operator<<(int value) {
    AppendNumber(m_text, value);
    return *this;
  }
  const KsString& Text() const noexcept { return m_text; }

 private:
  KsString m_text;
};

// Escapes for character data or for attribute values (quotes too). Controls other
// than tab, CR and LF become "?", except U+0001, which becomes "&#x1;".
KsString EscapeForXml(const KsChar* text, bool attribute) {
  KsString escaped(text);
  escaped.EscapeXML(attribute ? 16 | 32 | 8 | 4 : 16 | 32);
  return escaped;
}

}  // namespace

// The parser's two steps per element, here so that they are inlined into it.
inline KsXmlDocument::Index KsXmlDocument::NewRecord() {
  const std::uint32_t ordinal = m_recordCount;
  if (ordinal == m_firstSegmentCapacity || (ordinal & (kSegmentSize - 1)) == 0) GrowTable(ordinal);
  ++m_recordCount;
  const Index index = IndexOfOrdinal(ordinal);
  At(index) = Element{0, 0, 0, 0, 0, 0, 0, 0, 0};
  return index;
}

inline void KsXmlDocument::AppendChild(Index parent, Index child) noexcept {
  Element& record = At(child);
  record.parent = parent;
  record.nextSibling = 0;
  Element& parentRecord = At(parent);
  if (parentRecord.firstChild == 0) {
    parentRecord.firstChild = child;
    record.flags |= kFirstChild;
    record.previousSibling = child;
    return;
  }
  Element& first = At(parentRecord.firstChild);
  const Index last = first.previousSibling;
  At(last).nextSibling = child;
  record.previousSibling = last;
  first.previousSibling = child;
}

// ---------------------------------------------------------------------------
// Parsing

class KsXmlDocument::Parser {
 public:
  explicit Parser(KsXmlDocument& document)
      : m_document(document),
        m_begin(document.m_text.Chars()),
        m_end(m_begin + document.m_text.GetLength()) {}

  void Run() {
    const KsChar* p = m_begin;
    while (p < m_end) {
      const KsChar* lt = FindUnit(p, m_end, u'<');
      if (lt == nullptr) break;
      p = ScanMarkup(lt);
    }
    while (!m_open.empty()) EndOpenElements(0, true);
  }

 private:
  struct OpenElement {
    Index index;
    int nameLength;
  };

  int Offset(const KsChar* p) const noexcept { return static_cast<int>(p - m_begin); }
  std::u16string_view NameAt(int start, int length) const noexcept {
    return {m_begin + start + 1, static_cast<size_t>(length)};
  }

  // Scans the node that starts at lt; returns where the next one starts.
  const KsChar* ScanMarkup(const KsChar* lt) {
    if (lt + 1 >= m_end) return Unterminated(u"tag", lt);
    const KsChar c = lt[1];
    if (IsNameStart(c)) return ScanStartTag(lt);
    if (c == u'/') return ScanEndTag(lt);
    if (c == u'?') {
      const KsChar* close = FindPair(lt + 2, u'?', u'>');
      return close != nullptr ? close + 2 : Unterminated(u"Processing instruction", lt);
    }
    if (c == u'!') return ScanDeclaration(lt);
    return ErrorNode(u"tag name character", lt);
  }

  const KsChar* FindPair(const KsChar* from, KsChar a, KsChar b) const noexcept {
    for (const KsChar* p = from; p + 1 < m_end; ++p) {
      if (p[0] == a && p[1] == b) return p;
    }
    return nullptr;
  }

  const KsChar* ScanDeclaration(const KsChar* lt) {
    if (lt + 2 >= m_end) return Unterminated(u"tag", lt);
    const KsChar c = lt[2];
    if (c == u'-') {
      if (lt + 3 >= m_end) return Unterminated(u"tag", lt);
      if (lt[3] != u'-') return ErrorNode(u"comment tag", lt);
      const KsChar* close = FindTriple(lt + 4, m_end, u'-', u'-', u'>');
      return close != nullptr ? close + 3 : Unterminated(u"Comment", lt);
    }
    if (c == u'[') {
      if (lt + 3 >= m_end) return Unterminated(u"tag", lt);
      if (lt[3] != u'C') return ErrorNode(u"tag", lt);
      const KsChar* close = FindTriple(lt + 4, m_end, u']', u']', u'>');
      return close != nullptr ? close + 3 : Unterminated(u"CDATA Section", lt);
    }
    if (c == u'D') {
      // A document type may carry an internal subset in brackets; it ends at the
      // first ">" after the subset.
      for (const KsChar* p = lt + 3; p < m_end; ++p) {
        if (*p == u'>') return p + 1;
        if (*p == u'[') {
          const KsChar* close = FindUnit(p + 1, m_end, u']');
          if (close == nullptr) break;
          p = close;
        }
      }
      return Unterminated(u"Doctype", lt);
    }
    if (c == u'E' || c == u'A' || c == u'N') return ErrorNode(nullptr, lt);
    return ErrorNode(u"! tag", lt);
  }

  const KsChar* ScanStartTag(const KsChar* lt) {
    const KsChar* nameEnd = FindNameEnd(lt + 1, m_end);
    const int nameLength = static_cast<int>(nameEnd - lt - 1);
    const KsChar* p = FindStartTagEnd(nameEnd, m_end);
    if (p == nullptr) return Unterminated(u"Element tag", lt);
    const bool empty = p[-1] == u'/' && p - 1 > lt + nameLength;
    const Index parent = m_open.empty() ? 0 : m_open.back().index;
    const Index index = m_document.NewRecord();
    Element& element = m_document.At(index);
    element.start = Offset(lt);
    element.startTagLength = static_cast<int>(p + 1 - lt);
    element.length = element.startTagLength;
    element.endTagLength = 0;
    m_document.AppendChild(parent, index);
    if (!empty) m_open.push_back({index, nameLength});
    return p + 1;
  }

  const KsChar* ScanEndTag(const KsChar* lt) {
    const KsChar* nameStart = lt + 2;
    if (!m_open.empty()) {
      // The usual case: "</name>" closing the innermost open element, spelled alike.
      const OpenElement& open = m_open.back();
      Element& element = m_document.At(open.index);
      const KsChar* after = nameStart + open.nameLength;
      if (after < m_end && *after == u'>' && SameUnits(nameStart, m_begin + element.start + 1, open.nameLength)) {
        element.length = static_cast<int>(after + 1 - m_begin) - element.start;
        element.endTagLength = static_cast<int>(after + 1 - lt);
        m_open.pop_back();
        return after + 1;
      }
    }
    const KsChar* p = nameStart;
    while (p < m_end && *p != u'>' && *p > u' ') ++p;
    const int nameLength = static_cast<int>(p - nameStart);
    const KsChar* close = FindUnit(p, m_end, u'>');
    if (close == nullptr) return Unterminated(u"Element end tag", lt);

    int depth = static_cast<int>(m_open.size()) - 1;
    for (; depth >= 0; --depth) {
      const OpenElement& open = m_open[static_cast<size_t>(depth)];
      if (open.nameLength == nameLength &&
          EqualsNoCase(m_begin + m_document.At(open.index).start + 1, nameStart, nameLength)) {
        break;
      }
    }
    const std::u16string_view name(nameStart, static_cast<size_t>(nameLength));
    if (depth < 0) {
      m_document.At(0).flags |= kDocumentMalformed;
      if (!m_open.empty()) m_document.At(m_open.back().index).flags |= kMalformedInside;
      m_document.SetProblem((Message() << u"No start tag for end tag '" << name << u"' at offset " << Offset(lt))
                                .Text());
      return close + 1;
    }
    if (depth + 1 < static_cast<int>(m_open.size())) {
      const OpenElement& inner = m_open.back();
      const Element& unended = m_document.At(inner.index);
      m_document.SetProblem((Message() << u"End tag '" << name << u"' at offset " << Offset(lt) + 1
                                       << u" does not match start tag '" << NameAt(unended.start, inner.nameLength)
                                       << u"' at offset " << unended.start)
                                .Text());
      EndOpenElements(static_cast<size_t>(depth) + 1, false);
    }
    Element& element = m_document.At(m_open.back().index);
    element.length = static_cast<int>(close + 1 - m_begin) - element.start;
    element.endTagLength = static_cast<int>(close + 1 - lt);
    m_open.pop_back();
    return close + 1;
  }

  // Marks the open elements from depth `from` up as not ended and hands their
  // children, in order, to the element below them (the document for depth 0), so
  // they become its children following the first unended one. Every child is
  // moved once, which keeps deep unclosed nesting linear.
  void EndOpenElements(size_t from, bool atEnd) {
    const Index target = from == 0 ? 0 : m_open[from - 1].index;
    if (atEnd) {
      const OpenElement& inner = m_open.back();
      const Element& unended = m_document.At(inner.index);
      m_document.SetProblem((Message() << u"Element '" << NameAt(unended.start, inner.nameLength)
                                       << u"' at offset " << unended.start << u" not ended")
                                .Text());
    }
    m_document.At(0).flags |= kDocumentMalformed;
    for (size_t depth = from; depth < m_open.size(); ++depth) {
      const Index index = m_open[depth].index;
      Element& element = m_document.At(index);
      element.flags |= kNotEnded;
      element.length = element.startTagLength;
      element.endTagLength = 0;
      Index child = element.firstChild;
      element.firstChild = 0;
      while (child != 0) {
        const Index next = m_document.At(child).nextSibling;
        m_document.At(child).flags &= ~kFirstChild;
        m_document.At(child).nextSibling = 0;
        m_document.AppendChild(target, child);
        child = next;
      }
    }
    m_open.resize(from);
  }

  const KsChar* Unterminated(const char16_t* nodeName, const KsChar* lt) {
    MarkMalformed();
    m_document.SetProblem((Message() << nodeName << u" at offset " << Offset(lt) << u" unterminated").Text());
    return m_end;
  }

  // An error node runs to the next ">" (or the end of the text).
  const KsChar* ErrorNode(const char16_t* tokenName, const KsChar* lt) {
    MarkMalformed();
    if (tokenName != nullptr) {
      m_document.SetProblem((Message() << u"Incorrect " << tokenName << u" at offset " << Offset(lt)).Text());
    }
    const KsChar* close = FindUnit(lt + 1, m_end, u'>');
    return close != nullptr ? close + 1 : m_end;
  }

  void MarkMalformed() {
    m_document.At(0).flags |= kDocumentMalformed;
    if (!m_open.empty()) m_document.At(m_open.back().index).flags |= kMalformedInside;
  }

  KsXmlDocument& m_document;
  const KsChar* m_begin;
  const KsChar* m_end;
  std::vector<OpenElement> m_open;
};

static_assert(std::is_trivially_copyable_v<KsXmlDocument::Element>);

void KsXmlDocument::FreeSegment::operator()(Element* segment) const noexcept { std::free(segment); }

KsXmlDocument::Segment KsXmlDocument::AllocateSegment(std::uint32_t records) {
  void* memory = std::malloc(sizeof(Element) * records);
  if (memory == nullptr) throw std::bad_alloc();  // as operator new would
  return Segment(static_cast<Element*>(memory));
}

KsXmlDocument::KsXmlDocument() { ResetTable(0); }

KsXmlDocument::KsXmlDocument(const KsString& text) { SetDocument(text); }

KsXmlDocument::~KsXmlDocument() = default;

bool KsXmlDocument::Load(const KsChar* path) {
  KsString text;
  if (!KsReadTextFile(path, text)) return false;
  return SetDocument(text);
}

bool KsXmlDocument::SetDocument(const KsString& text) {
  m_text = text;
  Parse();
  return IsWellFormed();
}

bool KsXmlDocument::SetDocumentBytes(const void* bytes, int count) {
  KsString text;
  text.DecodeText(bytes, count, kKsEncodingDetect);
  return SetDocument(text);
}

bool KsXmlDocument::IsWellFormed() const noexcept {
  const Element& document = At(0);
  return document.firstChild != 0 && At(document.firstChild).nextSibling == 0 &&
         (document.flags & kDocumentMalformed) == 0 && m_result.IsEmpty();
}

void KsXmlDocument::ResetTable(int textLength) {
  m_parent = m_element = m_child = 0;
  m_node = Node{};
  const std::uint32_t wanted = static_cast<std::uint32_t>(textLength) / 64 + 8;
  m_firstSegmentCapacity = std::min(wanted, kSegmentSize);
  m_segments.clear();
  m_segments.push_back(AllocateSegment(m_firstSegmentCapacity));
  m_recordCount = 1;
  At(0) = Element{0, textLength, 0, 0, 0, 0, 0, 0, 0};
}

void KsXmlDocument::GrowTable(std::uint32_t ordinal) {
  if (ordinal == m_firstSegmentCapacity && m_firstSegmentCapacity < kSegmentSize) {
    // The first segment grows by half until it is a whole segment.
    const std::uint32_t grown = std::min(kSegmentSize, m_firstSegmentCapacity + m_firstSegmentCapacity / 2 + 1);
    void* grownSegment = std::realloc(m_segments[0].get(), sizeof(Element) * grown);
    if (grownSegment == nullptr) throw std::bad_alloc();
    static_cast<void>(m_segments[0].release());
    m_segments[0].reset(static_cast<Element*>(grownSegment));
    m_firstSegmentCapacity = grown;
  } else if (ordinal >= kSegmentSize && ordinal % kSegmentSize == 0) {
    m_segments.push_back(AllocateSegment(kSegmentSize));
  }
}

KsXmlDocument::Index KsXmlDocument::LastChild(Index parent) const noexcept {
  const Index first = At(parent).firstChild;
  return first == 0 ? 0 : At(first).previousSibling;
}

void KsXmlDocument::SetProblem(const KsString& message) {
  if (m_result.IsEmpty()) m_result = message;
}

void KsXmlDocument::Parse() {
  m_result.Empty();
  ResetTable(m_text.GetLength());
  if (m_text.IsEmpty()) {
    m_result = u"Empty document";
    return;
  }
  Parser(*this).Run();
  const Element& document = At(0);
  if (document.firstChild == 0) {
    SetProblem(u"No root element");
  } else if (At(document.firstChild).nextSibling != 0) {
    SetProblem(u"Root element has sibling");
  }
}

// ---------------------------------------------------------------------------
// Names, attributes and data

int KsXmlDocument::NameLength(Index index) const noexcept {
  const Element& element = At(index);
  const KsChar* name = m_text.Chars() + element.start + 1;
  const KsChar* tagEnd = m_text.Chars() + element.start + element.startTagLength;
  return static_cast<int>(FindNameEnd(name, tagEnd) - name);
}

bool KsXmlDocument::NameEquals(Index index, const KsChar* name, int length) const noexcept {
  return NameLength(index) == length && EqualsNoCase(m_text.Chars() + At(index).start + 1, name, length);
}

bool KsXmlDocument::FindAttribute(Index index, const KsChar* name, int nameLength, int& valueStart,
                                  int& valueLength, bool& quoted) const noexcept {
  const Element& element = At(index);
  const KsChar* text = m_text.Chars();
  const KsChar* p = text + element.start + 1 + NameLength(index);
  const KsChar* end = text + element.start + element.startTagLength;
  if (end > p && end[-1] == u'>') --end;
  if (end > p && end[-1] == u'/') --end;
  while (p < end) {
    while (p < end && (IsBlank(*p) || *p == u'/')) ++p;
    const KsChar* attributeName = p;
    while (p < end && !IsBlank(*p) && *p != u'=' && *p != u'/') ++p;
    const int attributeNameLength = static_cast<int>(p - attributeName);
    while (p < end && IsBlank(*p)) ++p;
    if (p >= end || *p != u'=') {
      if (attributeNameLength == 0 && p < end) ++p;  // a stray character: step over it
      continue;
    }
    ++p;
    while (p < end && IsBlank(*p)) ++p;
    const KsChar* value = p;
    bool isQuoted = false;
    if (p < end && (*p == u'"' || *p == u'\'')) {
      const KsChar quote = *p++;
      value = p;
      isQuoted = true;
      while (p < end && *p != quote) ++p;  // an unterminated quote runs to the end of the tag
    } else {
      while (p < end && !IsBlank(*p)) ++p;
    }
    const KsChar* valueEnd = p;
    if (p < end) ++p;  // the closing quote
    if (attributeNameLength == nameLength && EqualsNoCase(attributeName, name, nameLength)) {
      valueStart = static_cast<int>(value - text);
      valueLength = static_cast<int>(valueEnd - value);
      quoted = isQuoted;
      return true;
    }
  }
  return false;
}

KsString KsXmlDocument::GetAttribute(const KsChar* name) const {
  if (m_element == 0) return KsString();
  int start = 0;
  int length = 0;
  bool quoted = false;
  if (!FindAttribute(m_element, name != nullptr ? name : kEmptyText, KsTextLength(name), start, length, quoted)) {
    return KsString();
  }
  return Unescape(m_text.Chars() + start, length);
}

KsString KsXmlDocument::DataOf(Index index) const {
  const Element& element = At(index);
  if (element.firstChild != 0) return KsString();
  const KsChar* begin = m_text.Chars() + element.start + element.startTagLength;
  const KsChar* end = m_text.Chars() + element.start + element.length - element.endTagLength;
  if (end <= begin) return KsString();
  const KsChar* lt = FindUnit(begin, end, u'<');
  if (lt == nullptr) return Unescape(begin, static_cast<int>(end - begin));

  KsString data;
  const KsChar* p = begin;
  while (p < end) {
    lt = FindUnit(p, end, u'<');
    if (lt == nullptr) lt = end;
    if (lt > p) data.Append(Unescape(p, static_cast<int>(lt - p)));
    if (lt >= end) break;
    const std::u16string_view rest(lt, static_cast<size_t>(end - lt));
    if (rest.starts_with(u"<![CDATA[")) {
      const KsChar* close = FindTriple(lt + 9, end, u']', u']', u'>');
      const KsChar* innerEnd = close != nullptr ? close : end;
      data.Append(lt + 9, static_cast<int>(innerEnd - lt - 9));
      p = close != nullptr ? close + 3 : end;
    } else if (rest.starts_with(u"<!--")) {
      const KsChar* close = FindTriple(lt + 4, end, u'-', u'-', u'>');
      p = close != nullptr ? close + 3 : end;
    } else if (rest.starts_with(u"<?")) {
      const KsChar* close = lt + 2;
      while (close + 1 < end && !(close[0] == u'?' && close[1] == u'>')) ++close;
      p = close + 1 < end ? close + 2 : end;
    } else {
      const KsChar* close = FindUnit(lt + 1, end, u'>');
      p = close != nullptr ? close + 1 : end;
    }
  }
  return data;
}

KsString KsXmlDocument::GetData() const {
  if (m_node.kind == 0) return m_element == 0 ? KsString() : DataOf(m_element);
  const KsChar* p = m_text.Chars() + m_node.offset;
  const KsChar* end = p + m_node.length;
  // The inner text runs from after the opening to before the closing, which an
  // unterminated node lacks.
  auto inner = [&](int open, std::u16string_view close) {
    const KsChar* innerEnd = end;
    if (end - p >= open + static_cast<int>(close.size()) &&
        std::u16string_view(end - close.size(), close.size()) == close) {
      innerEnd = end - close.size();
    }
    return p + open <= innerEnd ? KsString(p + open, static_cast<int>(innerEnd - p - open)) : KsString();
  };
  switch (m_node.kind) {
    case kTextNode:
    case kWhitespaceNode:
      return Unescape(p, m_node.length);
    case kCDataNode:
      return inner(9, u"]]>");
    case kCommentNode:
      return inner(4, u"-->");
    case kProcessingInstructionNode: {
      // After the target and the blanks that follow it.
      int open = 2;
      while (p + open < end && !IsBlank(p[open]) && p[open] != u'?') ++open;
      while (p + open < end && IsBlank(p[open])) ++open;
      return inner(open, u"?>");
    }
    default:
      return KsString();
  }
}

KsString KsXmlDocument::GetChildData(const KsChar* name) {
  if (!FindChild(name, true)) return KsString();
  return DataOf(m_child);
}

KsString KsXmlDocument::GetPathData(const KsChar* path) {
  ResetPosition();
  if (!FindNext(path)) return KsString();
  return GetData();
}

KsString KsXmlDocument::GetNodeName() const {
  if (m_node.kind != 0) {
    const KsChar* p = m_text.Chars() + m_node.offset;
    const KsChar* end = p + m_node.length;
    int skip = 0;
    switch (m_node.kind) {
      case kTextNode:
      case kWhitespaceNode:
        return KsString(u"#text");
      case kCDataNode:
        return KsString(u"#cdata-section");
      case kCommentNode:
        return KsString(u"#comment");
      case kProcessingInstructionNode:
      case kLoneEndTagNode:
        skip = 2;
        break;
      case kDocumentTypeNode:
        skip = 9;  // "<!DOCTYPE", then blanks
        while (p + skip < end && IsBlank(p[skip])) ++skip;
        break;
      default:
        return KsString();
    }
    if (p + skip >= end) return KsString();
    const KsChar* name = p + skip;
    const KsChar* nameEnd = name;
    while (nameEnd < end && !IsBlank(*nameEnd) && *nameEnd != u'>' && *nameEnd != u'?' && *nameEnd != u'[') ++nameEnd;
    return KsString(name, static_cast<int>(nameEnd - name));
  }
  if (m_element == 0) return KsString();
  return KsString(m_text.Chars() + At(m_element).start + 1, NameLength(m_element));
}

KsString KsXmlDocument::Unescape(const KsChar* text, int length) {
  if (text == nullptr || length <= 0) return KsString();
  const KsChar* end = text + length;
  const KsChar* amp = FindUnit(text, end, u'&');
  if (amp == nullptr) return KsString(text, length);

  KsString result;
  KsChar* out = result.BeginEdit(length, true, false);
  KsChar* const outStart = out;
  const KsChar* p = text;
  while (p < end) {
    if (*p != u'&') {
      *out++ = *p++;
      continue;
    }
    const std::u16string_view rest(p, static_cast<size_t>(end - p));
    struct Named {
      std::u16string_view entity;
      KsChar character;
    };
    static constexpr Named kNamed[] = {
        {u"&lt;", u'<'}, {u"&amp;", u'&'}, {u"&gt;", u'>'}, {u"&apos;", u'\''}, {u"&quot;", u'"'}};
    bool replaced = false;
    for (const Named& named : kNamed) {
      if (rest.starts_with(named.entity)) {
        *out++ = named.character;
        p += named.entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced && rest.size() > 2 && rest[1] == u'#') {
      // The ";" must come within the 7 characters after "&#".
      const bool hex = rest[2] == u'x';
      size_t i = hex ? 3 : 2;
      std::uint32_t value = 0;
      int digits = 0;
      for (; i < rest.size() && i < 9; ++i) {
        const KsChar c = rest[i];
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
          digit = c - u'0';
        } else if (hex && c >= u'a' && c <= u'f') {
          digit = c - u'a' + 10;
        } else if (hex && c >= u'A' && c <= u'F') {
          digit = c - u'A' + 10;
        }
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        ++digits;
      }
      // A value whose low 16 bits are 0 would put a terminator inside the text and
      // cut it short further on; such an escape stays as written.
      if (digits > 0 && i < rest.size() && i < 9 && rest[i] == u';' && (value & 0xFFFF) != 0) {
        *out++ = static_cast<KsChar>(value & 0xFFFF);
        p += i + 1;
        replaced = true;
      }
    }
    if (!replaced) *out++ = *p++;
  }
  result.EndEdit(static_cast<int>(out - outStart));
  return result;
}

// ---------------------------------------------------------------------------
// Navigation

// One search over the element table for a path; see FindNext for the syntax.
class KsXmlDocument::PathSearch {
 public:
  PathSearch(const KsXmlDocument& document, const KsChar* path)
      : m_document(document), m_path(path != nullptr ? path : kEmptyText) {}

  // The match of the whole path, searching from scope's children after `after`
  // (0: from the first child); 0 when nothing matches.
  Index Run(Index scope, Index after) {
    const KsChar* p = m_path;
    Index match = 0;
    bool first = true;
    if (*p == 0) {
      return after != 0 ? m_document.At(after).nextSibling : m_document.At(scope).firstChild;
    }
    while (true) {
      bool descendant = false;
      if (p[0] == u'/' && p[1] == u'/') {
        descendant = true;
        p += 2;
      } else if (p[0] == u'/') {
        if (first) {
          scope = 0;
          after = 0;
        }
        ++p;
      }
      Step step;
      if (!ParseStep(p, step)) return 0;
      if (first && descendant) {
        match = FindInDocumentOrder(step, after != 0 ? NextInOrder(after, 0) : FirstInside(scope), 0);
      } else if (descendant) {
        match = FindInDocumentOrder(step, FirstInside(scope), scope);
      } else {
        const Index start = first && after != 0 ? m_document.At(after).nextSibling : m_document.At(scope).firstChild;
        match = FindAmongSiblings(step, start);
      }
      if (match == 0) return 0;
      first = false;
      if (*p == 0) return match;
      if (*p != u'/') return 0;  // text after a step that is not another step
      scope = match;
      after = 0;
    }
  }

 private:
  struct Step {
    const KsChar* name = nullptr;
    int nameLength = 0;
    bool any = false;
    int position = 0;  // [n], 1-based; 0 none
    const KsChar* attribute = nullptr;
    int attributeLength = 0;
    const KsChar* value = nullptr;
    int valueLength = -1;  // -1: any value
    const KsChar* child = nullptr;
    int childLength = 0;
  };

  static bool EndsStepName(KsChar c) noexcept {
    return c == 0 || c == u' ' || c == u'=' || c == u'/' || c == u'[' || c == u']';
  }

  static bool ParseStep(const KsChar*& p, Step& step) {
    step.name = p;
    while (!EndsStepName(*p)) ++p;
    step.nameLength = static_cast<int>(p - step.name);
    if (step.nameLength == 0) return false;
    step.any = step.nameLength == 1 && step.name[0] == u'*';
    while (*p == u'[') {
      ++p;
      if (*p >= u'0' && *p <= u'9') {
        int n = 0;
        while (*p >= u'0' && *p <= u'9') {
          n = std::min(n * 10 + (*p - u'0'), 1 << 24);
          ++p;
        }
        if (n < 1) return false;
        step.position = n;
      } else if (*p == u'@') {
        step.attribute = ++p;
        while (!EndsStepName(*p)) ++p;
        step.attributeLength = static_cast<int>(p - step.attribute);
        if (*p == u'=') {
          ++p;
          KsChar quote = 0;
          if (*p == u'\'' || *p == u'"') quote = *p++;
          step.value = p;
          while (*p != 0 && (quote != 0 ? *p != quote : *p != u']')) ++p;
          step.valueLength = static_cast<int>(p - step.value);
          if (quote != 0) {
            if (*p != quote) return false;
            ++p;
          }
        }
      } else {
        step.child = p;
        while (!EndsStepName(*p)) ++p;
        step.childLength = static_cast<int>(p - step.child);
      }
      if (*p != u']') return false;
      ++p;
    }
    return true;
  }

  bool Matches(const Step& step, Index index) const {
    if (!step.any && !m_document.NameEquals(index, step.name, step.nameLength)) return false;
    if (step.attribute != nullptr) {
      int start = 0;
      int length = 0;
      bool quoted = false;
      if (!m_document.FindAttribute(index, step.attribute, step.attributeLength, start, length, quoted)) {
        return false;
      }
      if (step.valueLength >= 0 &&
          Unescape(m_document.m_text.Chars() + start, length).View() !=
              std::u16string_view(step.value, static_cast<size_t>(step.valueLength))) {
        return false;
      }
    }
    if (step.child != nullptr) {
      Index child = m_document.At(index).firstChild;
      while (child != 0 && !m_document.NameEquals(child, step.child, step.childLength)) {
        child = m_document.At(child).nextSibling;
      }
      if (child == 0) return false;
    }
    return true;
  }

  Index FindAmongSiblings(const Step& step, Index start) const {
    int seen = 0;
    for (Index i = start; i != 0; i = m_document.At(i).nextSibling) {
      if (Matches(step, i) && ++seen >= std::max(step.position, 1)) return i;
    }
    return 0;
  }

  // The first element inside scope in document order, or, when scope has no
  // children, the first one after it.
  Index FirstInside(Index scope) const {
    const Index child = m_document.At(scope).firstChild;
    return child != 0 ? child : SkipSubtree(scope, 0);
  }

  // The element after index's subtree in document order, not leaving boundary.
  Index SkipSubtree(Index index, Index boundary) const {
    while (index != boundary && index != 0) {
      const Element& element = m_document.At(index);
      if (element.nextSibling != 0) return element.nextSibling;
      index = element.parent;
    }
    return 0;
  }

  Index NextInOrder(Index index, Index boundary) const {
    const Index child = m_document.At(index).firstChild;
    return child != 0 ? child : SkipSubtree(index, boundary);
  }

  Index FindInDocumentOrder(const Step& step, Index start, Index boundary) const {
    int seen = 0;
    for (Index i = start; i != 0 && i != boundary; i = NextInOrder(i, boundary)) {
      if (Matches(step, i) && ++seen >= std::max(step.position, 1)) return i;
    }
    return 0;
  }

  const KsXmlDocument& m_document;
  const KsChar* m_path;
};

bool KsXmlDocument::FindNext(const KsChar* path) {
  const Index match = PathSearch(*this, path).Run(m_parent, m_element);
  if (match == 0) return false;
  m_element = match;
  m_parent = At(match).parent;
  m_child = 0;
  m_node = Node{};
  return true;
}

bool KsXmlDocument::FindChild(const KsChar* path, bool reset) {
  if (m_element == 0 && !FindNext()) return false;
  const Index match = PathSearch(*this, path).Run(m_element, reset ? 0 : m_child);
  if (match == 0) return false;
  m_child = match;
  m_element = At(match).parent;
  m_parent = m_element == 0 ? 0 : At(m_element).parent;
  m_node = Node{};
  return true;
}

bool KsXmlDocument::EnterElement() {
  if (m_element == 0) return false;
  m_parent = m_element;
  m_element = m_child;
  m_child = 0;
  m_node = Node{};
  return true;
}

bool KsXmlDocument::LeaveElement() {
  if (m_parent == 0) return false;
  m_child = m_element;
  m_element = m_parent;
  m_parent = At(m_parent).parent;
  m_node = Node{};
  return true;
}

void KsXmlDocument::ResetPosition() noexcept {
  m_parent = m_element = m_child = 0;
  m_node = Node{};
}

void KsXmlDocument::ContentRange(Index parent, int& begin, int& end) const noexcept {
  if (parent == 0) {
    begin = 0;
    end = m_text.GetLength();
    return;
  }
  const Element& element = At(parent);
  begin = element.start + element.startTagLength;
  end = std::max(begin, element.start + element.length - element.endTagLength);
}

// The node at offset (before end). nextElement is the parent's next child element;
// a start tag anywhere else is markup the parser did not record.
KsXmlDocument::Node KsXmlDocument::ScanNode(int offset, int end, Index nextElement) const noexcept {
  const KsChar* text = m_text.Chars();
  const KsChar* p = text + offset;
  const KsChar* stop = text + end;
  auto upTo = [&](const KsChar* close, int closeLength, int kind) {
    const int length = close != nullptr ? static_cast<int>(close - p) + closeLength : end - offset;
    return Node{kind, offset, length};
  };
  if (*p != u'<') {
    const KsChar* lt = FindUnit(p, stop, u'<');
    const KsChar* textEnd = lt != nullptr ? lt : stop;
    const bool blank = std::all_of(p, textEnd, IsBlank);
    return Node{blank ? kWhitespaceNode : kTextNode, offset, static_cast<int>(textEnd - p)};
  }
  const std::u16string_view rest(p, static_cast<size_t>(stop - p));
  if (nextElement != 0 && At(nextElement).start == offset) {
    return Node{kElementNode, offset, std::min(At(nextElement).length, end - offset)};
  }
  if (rest.starts_with(u"<!--")) return upTo(FindTriple(p + 4, stop, u'-', u'-', u'>'), 3, kCommentNode);
  if (rest.starts_with(u"<![C")) return upTo(FindTriple(p + 4, stop, u']', u']', u'>'), 3, kCDataNode);
  if (rest.starts_with(u"<?")) {
    const KsChar* close = p + 2;
    while (close + 1 < stop && !(close[0] == u'?' && close[1] == u'>')) ++close;
    return upTo(close + 1 < stop ? close : nullptr, 2, kProcessingInstructionNode);
  }
  if (rest.starts_with(u"<!D")) {
    for (const KsChar* q = p + 3; q < stop; ++q) {
      if (*q == u'>') return upTo(q, 1, kDocumentTypeNode);
      if (*q == u'[') {
        q = FindUnit(q + 1, stop, u']');
        if (q == nullptr) break;
      }
    }
    return upTo(nullptr, 0, kDocumentTypeNode);
  }
  const int kind = rest.starts_with(u"</") ? kLoneEndTagNode : kErrorNode;
  return upTo(FindUnit(p + 1, stop, u'>'), 1, kind);
}

bool KsXmlDocument::FindNextNode(int kinds) {
  int begin = 0;
  int end = 0;
  ContentRange(m_parent, begin, end);
  int offset = begin;
  if (m_node.kind != 0) {
    offset = m_node.offset + m_node.length;
  } else if (m_element != 0) {
    offset = At(m_element).start + At(m_element).length;
  }
  Index nextElement = m_element != 0 ? At(m_element).nextSibling : At(m_parent).firstChild;
  for (; offset < end;) {
    const Node node = ScanNode(offset, end, nextElement);
    if (node.kind == kElementNode) {
      if (kinds & kElementNode) {
        m_element = nextElement;
        m_child = 0;
        m_node = Node{};
        return true;
      }
      nextElement = At(nextElement).nextSibling;
    } else if (node.kind == kErrorNode ? kinds == ~0 : (kinds & node.kind) != 0) {
      // Elements passed over become the current element: reads after the node go on from there.
      Index passed = m_element != 0 ? At(m_element).nextSibling : At(m_parent).firstChild;
      while (passed != 0 && passed != nextElement) {
        m_element = passed;
        passed = At(passed).nextSibling;
      }
      m_child = 0;
      m_node = node;
      return true;
    }
    offset = node.offset + std::max(node.length, 1);
  }
  return false;
}

int KsXmlDocument::GetNodeKind() const noexcept {
  if (m_node.kind != 0) return m_node.kind;
  return m_element != 0 ? kElementNode : 0;
}

// ---------------------------------------------------------------------------
// Writing

void KsXmlDocument::ReplaceText(int offset, int removeCount, const KsString& text, Index innermost) {
  m_node = Node{};
  const int oldLength = m_text.GetLength();
  const int insertCount = text.GetLength();
  const int delta = insertCount - removeCount;
  // In place, so appending near the end (how maps are written) costs little more
  // than the appended text.
  KsChar* chars = m_text.BeginEdit(std::max(oldLength, oldLength + delta), false, true);
  std::memmove(chars + offset + insertCount, chars + offset + removeCount,
               sizeof(KsChar) * static_cast<size_t>(oldLength - offset - removeCount));
  std::memcpy(chars + offset, text.Chars(), sizeof(KsChar) * static_cast<size_t>(insertCount));
  m_text.EndEdit(oldLength + delta);
  const int movedFrom = offset + removeCount;
  for (std::uint32_t ordinal = 1; ordinal < m_recordCount; ++ordinal) {
    Element& element = At(IndexOfOrdinal(ordinal));
    if (element.start >= movedFrom) element.start += delta;
  }
  for (Index index = innermost; index != 0; index = At(index).parent) At(index).length += delta;
  At(0).length = m_text.GetLength();
}

bool KsXmlDocument::AddElement(const KsChar* name, const KsChar* data) {
  const int nameLength = KsTextLength(name);
  if (nameLength == 0) return false;
  const KsString escaped = EscapeForXml(data, false);
  KsString element(u"<");
  element.Append(name);
  if (escaped.IsEmpty()) {
    element.Append(u"/>");
  } else {
    element.AppendChar(u'>');
    element.Append(escaped);
    element.Append(u"</");
    element.Append(name);
    element.AppendChar(u'>');
  }
  const int startTagLength = escaped.IsEmpty() ? element.GetLength() : nameLength + 2;
  const int endTagLength = escaped.IsEmpty() ? 0 : nameLength + 3;
  const int elementLength = element.GetLength();
  element.Append(u"\r\n");

  const KsChar* text = m_text.Chars();
  const int textLength = m_text.GetLength();
  Index parent = 0;
  int offset = 0;         // where the change starts
  int removeCount = 0;    // units replaced there
  KsString inserted;      // what goes in
  int elementOffset = 0;  // where the new element starts inside `inserted`
  if (m_element != 0) {
    // After the current element and the line end that follows it.
    parent = At(m_element).parent;
    const Element& current = At(m_element);
    offset = current.start + current.length;
    if (offset < textLength && text[offset] == u'\r') ++offset;
    if (offset < textLength && text[offset] == u'\n') ++offset;
    inserted = element;
  } else if (m_parent != 0) {
    parent = m_parent;
    const Element& container = At(parent);
    const int tagEnd = container.start + container.startTagLength;
    if (container.endTagLength == 0 && (container.flags & kNotEnded) == 0 && container.startTagLength >= 3 &&
        text[tagEnd - 2] == u'/') {
      // An empty-element parent becomes a start tag, CR LF and end tag around the child.
      offset = tagEnd - 2;
      removeCount = 2;
      inserted = u">\r\n";
      elementOffset = inserted.GetLength();
      inserted.Append(element);
      inserted.Append(u"</");
      inserted.Append(text + container.start + 1, NameLength(parent));
      inserted.AppendChar(u'>');
    } else {
      offset = container.start + container.length - container.endTagLength;
      if (offset == tagEnd && container.endTagLength > 0) {
        inserted = u"\r\n";
        elementOffset = 2;
      }
      inserted.Append(element);
    }
  } else {
    offset = textLength;
    if (textLength > 0 && text[textLength - 1] != u'\n') {
      inserted = u"\r\n";
      elementOffset = 2;
    }
    inserted.Append(element);
  }
  const bool convertsParent = removeCount == 2;
  ReplaceText(offset, removeCount, inserted, parent);
  if (convertsParent) {
    Element& container = At(parent);
    container.startTagLength -= 1;
    container.endTagLength = NameLength(parent) + 3;
  }

  const Index index = NewRecord();
  Element& record = At(index);
  record.start = offset + elementOffset;
  record.length = elementLength;
  record.startTagLength = startTagLength;
  record.endTagLength = endTagLength;
  if (m_element != 0) {
    // Linked right after the current element.
    Element& previous = At(m_element);
    record.parent = parent;
    record.nextSibling = previous.nextSibling;
    record.previousSibling = m_element;
    previous.nextSibling = index;
    if (record.nextSibling != 0) {
      At(record.nextSibling).previousSibling = index;
    } else {
      At(At(parent).firstChild).previousSibling = index;
    }
  } else {
    AppendChild(parent, index);
  }
  m_element = index;
  m_parent = parent;
  m_child = 0;
  return true;
}

bool KsXmlDocument::SetAttribute(const KsChar* name, const KsChar* value) {
  const int nameLength = KsTextLength(name);
  if (m_element == 0 || nameLength == 0) return false;
  KsString quotedValue(u"\"");
  quotedValue.Append(EscapeForXml(value, true));
  quotedValue.AppendChar(u'"');

  int start = 0;
  int length = 0;
  bool quoted = false;
  int offset = 0;
  int removeCount = 0;
  KsString inserted;
  if (FindAttribute(m_element, name, nameLength, start, length, quoted)) {
    // Replace the old value, quotes included.
    const Element& element = At(m_element);
    const int tagEnd = element.start + element.startTagLength;
    offset = quoted ? start - 1 : start;
    int end = start + length;
    if (quoted && end < tagEnd && m_text[end] == m_text[offset]) ++end;
    removeCount = end - offset;
    inserted = quotedValue;
  } else {
    offset = At(m_element).start + 1 + NameLength(m_element);
    inserted = u" ";
    inserted.Append(name);
    inserted.AppendChar(u'=');
    inserted.Append(quotedValue);
  }
  ReplaceText(offset, removeCount, inserted, m_element);
  At(m_element).startTagLength += inserted.GetLength() - removeCount;
  return true;
}
