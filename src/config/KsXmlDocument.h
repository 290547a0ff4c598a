#pragma once
// KsXmlDocument: an XML document kept as one UTF-16 text plus a table of element
// records built by a single parsing pass. Navigation moves three positions (parent,
// element, child) over the table; reads cut unescaped text out of the document.
// Parsing is tolerant: a malformed document keeps every element that could be
// recognised, and the result text names the first problem. Writes insert text with
// CR LF line ends and keep the table consistent, so reads after writes need no
// reparse. Nothing throws; the parser uses no recursion, so nesting depth is bounded
// only by memory.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/KsString.h"

class KsXmlDocument {
 public:
  // Element indexes: the high 16 bits select a segment of 65536 records, the low
  // 16 bits the record in it. Index 0 is the document itself (and "none" for a
  // position).
  using Index = std::uint32_t;

  enum ElementFlags : std::uint32_t {
    kFirstChild = 1,          // first child of its parent
    kNotEnded = 2,            // no end tag was found
    kMalformedInside = 4,     // something inside is malformed
    kDocumentMalformed = 8,   // record 0 only
  };

  // Node kinds of the scanner (bit values).
  enum NodeKind : int {
    kErrorNode = -1,
    kElementNode = 1,
    kTextNode = 2,
    kWhitespaceNode = 4,
    kCDataNode = 8,
    kProcessingInstructionNode = 16,
    kCommentNode = 32,
    kDocumentTypeNode = 64,
    kLoneEndTagNode = 128,
  };

  struct Element {
    std::int32_t start;           // offset of the start tag's "<"
    std::int32_t length;          // whole element, end tag included
    std::int32_t startTagLength;  // full 32 bits: a start tag may hold megabytes of attributes
    std::int32_t endTagLength;
    std::uint32_t flags;
    Index parent;
    Index firstChild;
    Index nextSibling;
    Index previousSibling;  // of a first child: the last child of the same parent
  };

  KsXmlDocument();
  explicit KsXmlDocument(const KsString& text);
  KsXmlDocument(const KsXmlDocument&) = delete;
  KsXmlDocument& operator=(const KsXmlDocument&) = delete;
  ~KsXmlDocument();

  // Reads a local file, decodes it (encoding detected), stores and parses it.
  // True when well formed; a file that cannot be read leaves the document as it
  // was and gives false.
  bool Load(const KsChar* path);
  // Stores the text and parses it; true when well formed.
  bool SetDocument(const KsString& text);
  // Decodes the bytes of a file (encoding detected as DecodeText does), then parses.
  bool SetDocumentBytes(const void* bytes, int count);
  const KsString& GetDocument() const noexcept { return m_text; }
  // The first problem of the last parse, empty when none.
  const KsString& GetResult() const noexcept { return m_result; }
  bool IsWellFormed() const noexcept;

  // Paths: "" (next element), "name", "*", "/a/b" (absolute; "/*/Section" under any
  // root), "//a" (next match in document order at any depth), each step optionally
  // with predicates "[n]", "[@attribute]", "[@attribute=value]" or "[child]".
  // Names compare without regard to case. False leaves the positions unchanged.
  bool FindNext(const KsChar* path = nullptr);
  bool FindChild(const KsChar* path = nullptr, bool reset = false);
  bool EnterElement();
  bool LeaveElement();
  void ResetPosition() noexcept;

  KsString GetAttribute(const KsChar* name) const;
  // Character data of the current element: empty when it has child elements;
  // text unescaped, CDATA raw, comments and processing instructions dropped. When
  // the current node is not an element: the inner text of a comment, CDATA section
  // or processing instruction (after its target), a text node unescaped, and empty
  // for anything else.
  KsString GetData() const;
  // Data of the first child of that name of the current element.
  KsString GetChildData(const KsChar* name);
  // Data of the first element matching path from the top (positions move to it).
  KsString GetPathData(const KsChar* path);
  // Name of the current node: an element's name; "#text" for text and white space,
  // "#cdata-section", "#comment"; the target of a processing instruction or of a
  // lone end tag; the name of a document type. Empty when there is no current node.
  KsString GetNodeName() const;

  // Steps the current node to the next node of the current parent's content (the
  // whole document at the top) whose kind is in kinds: after the current node, or
  // from the start of the content when there is none. Stepping onto an element
  // makes it the current element; over other nodes the current element stays the
  // last element passed, so FindNext and the element operations go on from there.
  // Markup the parser rejected counts only when every kind is asked for (the
  // default). False at the end of the content, with the positions unchanged. Every other
  // move, a parse and a write make the current element the current node again.
  bool FindNextNode(int kinds = ~0);
  // Kind of the current node (a NodeKind; kErrorNode for markup the parser
  // rejected), 0 when there is none.
  int GetNodeKind() const noexcept;

  // Inserts <name>data</name> (or <name/>) and CR LF after the current element, or
  // as the last child of the current parent when there is no current element, and
  // makes it current.
  bool AddElement(const KsChar* name, const KsChar* data);
  // Sets (or replaces the value of) an attribute of the current element.
  bool SetAttribute(const KsChar* name, const KsChar* value);

  // "&lt;", "&gt;", "&amp;", "&apos;", "&quot;", "&#n;" and "&#xh;" decoded; any
  // other "&" stays as it is.
  static KsString Unescape(const KsChar* text, int length);

  // The element table, for tests and diagnostics.
  Index GetCurrentParent() const noexcept { return m_parent; }
  Index GetCurrentElement() const noexcept { return m_element; }
  Index GetCurrentChild() const noexcept { return m_child; }
  const Element& GetElement(Index index) const noexcept { return At(index); }
  std::uint32_t GetRecordCount() const noexcept { return m_recordCount; }

 private:
  static constexpr int kSegmentBits = 16;
  static constexpr std::uint32_t kSegmentSize = 1u << kSegmentBits;

  Element& At(Index index) noexcept { return m_segments[index >> kSegmentBits][index & (kSegmentSize - 1)]; }
  const Element& At(Index index) const noexcept {
    return m_segments[index >> kSegmentBits][index & (kSegmentSize - 1)];
  }
  std::uint32_t RecordOrdinal(Index index) const noexcept {
    return (index >> kSegmentBits) * kSegmentSize + (index & (kSegmentSize - 1));
  }
  Index IndexOfOrdinal(std::uint32_t ordinal) const noexcept {
    return ((ordinal / kSegmentSize) << kSegmentBits) | (ordinal % kSegmentSize);
  }

  void Parse();
  void ResetTable(int textLength);
  Index NewRecord();
  void GrowTable(std::uint32_t ordinal);
  void AppendChild(Index parent, Index child) noexcept;
  Index LastChild(Index parent) const noexcept;
  void SetProblem(const KsString& message);

  class Parser;
  class PathSearch;
  friend class Parser;
  friend class PathSearch;

  int NameLength(Index index) const noexcept;
  bool NameEquals(Index index, const KsChar* name, int length) const noexcept;
  // Offset and length of an attribute's value inside the start tag (quotes
  // excluded); false when the element has no such attribute.
  bool FindAttribute(Index index, const KsChar* name, int nameLength, int& valueStart, int& valueLength,
                     bool& quoted) const noexcept;
  KsString DataOf(Index index) const;
  // Replaces removeCount units at offset by text and moves every record after
  // them; innermost and its ancestors, which hold the change, grow instead.
  void ReplaceText(int offset, int removeCount, const KsString& text, Index innermost);

  // The current node when FindNextNode stopped on something other than an
  // element; kind 0 means the current node is the current element.
  struct Node {
    int kind = 0;
    int offset = 0;
    int length = 0;
  };
  Node ScanNode(int offset, int end, Index nextElement) const noexcept;
  void ContentRange(Index parent, int& begin, int& end) const noexcept;

  KsString m_text;
  KsString m_result;
  Index m_parent = 0;
  Index m_element = 0;
  Index m_child = 0;
  Node m_node;
  // Records are plain data in malloc'd blocks, so the first segment grows with
  // realloc (often in place) rather than by copying.
  struct FreeSegment {
    void operator()(Element* segment) const noexcept;
  };
  using Segment = std::unique_ptr<Element[], FreeSegment>;
  static Segment AllocateSegment(std::uint32_t records);

  std::vector<Segment> m_segments;
  std::uint32_t m_firstSegmentCapacity = 0;
  std::uint32_t m_recordCount = 0;
};
