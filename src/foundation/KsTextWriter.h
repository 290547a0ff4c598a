#pragma once
// Helpers shared by the formatting and encoding operations of KsString (not a
// public interface): an appending writer over a KsString's edit buffer, the
// system's UTF-8 decoder and the decimal separator of real numbers.

#include <cstdint>
#include <cstring>

#include "foundation/KsString.h"

// Appends straight into a KsString's buffer, kept open for writing between
// calls. Reserve returns room for at least the requested characters at the
// end; Commit makes written characters part of the text. The text is only
// valid again after Finish.
class KsTextWriter {
 public:
  // Longest text a writer produces; requests beyond it are dropped, so absurd
  // input cannot overflow the 32-bit length.
  static constexpr int kMaxLength = 0x3FFFFFF0;

  // keep: append to the current text; otherwise start empty. reserve: room
  // to open with.
  KsTextWriter(KsString& target, bool keep, int reserve);
  KsTextWriter(const KsTextWriter&) = delete;
  KsTextWriter& operator=(const KsTextWriter&) = delete;
  ~KsTextWriter() { Finish(); }

  // Null when the request would pass kMaxLength.
  KsChar* Reserve(int count) {
    if (count <= m_capacity - m_length) return m_chars + m_length;
    return Grow(count);
  }
  void Commit(int count) { m_length += count; }
  void Append(const KsChar* text, int count) {
    if (count <= 0) return;
    KsChar* out = Reserve(count);
    if (out == nullptr) return;
    std::memcpy(out, text, static_cast<std::size_t>(count) * sizeof(KsChar));
    m_length += count;
  }
  void AppendChar(KsChar c) {
    if (KsChar* out = Reserve(1)) {
      *out = c;
      ++m_length;
    }
  }
  int Length() const { return m_length; }
  KsChar* Chars() { return m_chars; }
  void Finish();

 private:
  KsChar* Grow(int count);

  KsString& m_target;
  KsChar* m_chars = nullptr;
  int m_length = 0;
  int m_capacity = 0;  // writable characters, the terminator not counted
  bool m_open = false;
};

// Decodes the system's UTF-8 (one UTF-16 unit per two- or three-byte
// sequence, any other byte as the unit of its value) from at most count bytes,
// stopping at a 0 byte, into at most maxUnits units. Returns the units written.
int KsDecodeUtf8(const unsigned char* bytes, int count, KsChar* out, int maxUnits);

// True when the pointer lies inside the buffer of text (so writing into text
// could move or overwrite it).
bool KsPointsInto(const KsString& text, const void* pointer);

// The decimal separator of real numbers: worked out on first use from the
// runtime's formatting of 1.1 under the current locale, then kept.
KsChar KsDecimalSeparator();
// Tests only: forces the separator; 0 makes the next use work it out again.
void KsSetDecimalSeparatorForTesting(KsChar separator);
