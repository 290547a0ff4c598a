#include "foundation/KsStringArray.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "foundation/KsQSort.h"
#include "foundation/KsStringArraySort.h"
#include "foundation/KsTextService.h"

namespace {

// First c in [from, end), or null. Tests four units per step: a lane of
// v ^ pattern is 0 where c is; the lowest flagged lane is always a true match.
const KsChar* FindUnit(const KsChar* from, const KsChar* end, KsChar c) {
  static_assert(std::endian::native == std::endian::little, "the lowest lane is the first unit");
  constexpr std::uint64_t kOnes = 0x0001000100010001u;
  constexpr std::uint64_t kHighs = 0x8000800080008000u;
  const std::uint64_t pattern = kOnes * c;
  for (; end - from >= 4; from += 4) {
    std::uint64_t v;
    std::memcpy(&v, from, sizeof v);
    v ^= pattern;
    const std::uint64_t hits = (v - kOnes) & ~v & kHighs;
    if (hits != 0) return from + std::countr_zero(hits) / 16;
  }
  for (; from < end; ++from) {
    if (*from == c) return from;
  }
  return nullptr;
}

// Next exact occurrence of delimiter at or after from, or null.
const KsChar* FindDelimiter(const KsChar* from, const KsChar* end, const KsChar* delimiter, int delimiterLength) {
  const KsChar first = delimiter[0];
  if (delimiterLength == 1) return FindUnit(from, end, first);
  for (const KsChar* last = end - delimiterLength; from <= last; ++from) {
    if (*from == first &&
        std::memcmp(from + 1, delimiter + 1, sizeof(KsChar) * static_cast<size_t>(delimiterLength - 1)) == 0) {
      return from;
    }
  }
  return nullptr;
}

// Most items and separators are short: a plain loop beats a library call there.
KsChar* CopyUnits(KsChar* out, const KsChar* source, int count) {
  if (count > 32) {
    std::memcpy(out, source, sizeof(KsChar) * static_cast<size_t>(count));
    return out + count;
  }
  for (int i = 0; i < count; ++i) out[i] = source[i];
  return out + count;
}

}  // namespace

void KsStringArray::Split(const KsChar* text, const KsChar* delimiter, bool trim) {
  SplitUnits(text, KsTextLength(text), delimiter, trim);
}

void KsStringArray::SplitUnits(const KsChar* text, int length, const KsChar* delimiter, bool trim) {
  const int delimiterLength = KsTextLength(delimiter);
  // The text may be one of the items about to be replaced: keep its buffer alive.
  KsString source;
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  for (const KsString& item : *this) {
    const auto begin = reinterpret_cast<std::uintptr_t>(item.Chars());
    if (address >= begin && address <= begin + sizeof(KsChar) * static_cast<size_t>(item.GetLength())) {
      source = item;
      break;
    }
  }
  int count = 0;
  auto put = [&](const KsChar* begin, const KsChar* end) {
    const std::u16string_view piece(begin, static_cast<size_t>(end - begin));
    if (count < m_size) {
      m_data[count] = KsString(piece);
    } else {
      std::byte* old = Reallocate(m_size + 1, false, false, true);
      ::new (static_cast<void*>(m_data + m_size)) KsString(piece);
      ++m_size;
      delete[] old;
    }
    ++count;
  };

  const KsChar* end = text + length;
  const KsChar* found = length > 0 && delimiterLength > 0 ? FindDelimiter(text, end, delimiter, delimiterLength) : nullptr;
  if (found == nullptr) {
    if (length > 0) put(text, end);
  } else {
    const KsChar* begin = text;
    for (;;) {
      const KsChar* pieceEnd = found != nullptr ? found : end;
      const KsChar* pieceBegin = begin;
      if (trim) {
        if (begin != text) {
          while (pieceBegin < pieceEnd && KsIsSpace(*pieceBegin)) ++pieceBegin;
        }
        while (pieceEnd > pieceBegin && KsIsSpace(pieceEnd[-1])) --pieceEnd;
      }
      if (found == nullptr) {
        if (pieceBegin != pieceEnd) put(pieceBegin, pieceEnd);  // an empty piece after the last delimiter is dropped
        break;
      }
      put(pieceBegin, pieceEnd);
      begin = found + delimiterLength;
      found = FindDelimiter(begin, end, delimiter, delimiterLength);
    }
  }
  SetSize(count);
}

KsString KsStringArray::Join(const KsChar* separator, bool reverse) const {
  if (m_size == 0) return KsString();
  if (m_size == 1) return m_data[0];
  const int separatorLength = KsTextLength(separator);
  std::int64_t total = static_cast<std::int64_t>(separatorLength) * (m_size - 1);
  for (const KsString& item : *this) total += item.GetLength();
  if (total == 0) return KsString();
  if (total >= INT32_MAX) return KsString();  // beyond what one text can hold; never a truncated copy

  KsString result;
  KsChar* out = result.BeginEdit(static_cast<int>(total), true, false);
  for (int i = 0; i < m_size; ++i) {
    if (i > 0) out = CopyUnits(out, separator, separatorLength);
    const KsString& item = m_data[reverse ? m_size - 1 - i : i];
    out = CopyUnits(out, item.Chars(), item.GetLength());
  }
  result.EndEdit(static_cast<int>(total));
  return result;
}

int KsStringArray::Find(const KsChar* text, bool caseSensitive, bool whole) const {
  for (int i = 0; i < m_size; ++i) {
    const KsString& item = m_data[i];
    bool match;
    if (whole) {
      match = caseSensitive ? item.Equals(text) : item.CompareNoCase(text) == 0;
    } else if (item.IsEmpty()) {
      match = false;
    } else {
      match = caseSensitive ? item.Find(text) >= 0
                            : GetTextService()->FindText(item.Chars(), text, IKsTextService::kFindNoCase) != -1;
    }
    if (match) return i;
  }
  return -1;
}

void KsStringArray::Sort(int mode) {
  if (m_size < 2) return;
  KsStringArraySort compare(mode);
  KsQSort<KsString> sorter(&compare);  // no worker thread: sorts on the calling thread
  sorter.Sort(m_data, m_data + m_size - 1);
}
