#include "foundation/KsUtf8Decoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsContinuation(unsigned char byte) noexcept { return (byte & 0xC0) == 0x80; }

// Widens the ASCII bytes (1 to 0x7F) at the start of [bytes, bytes + count) and
// returns how many there were. Sixteen bytes are stored at a time, so out may get
// up to fifteen units past the returned count; they lie within count.
int WidenAscii(const unsigned char* bytes, int count, KsChar* out) noexcept {
  int done = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; count - done >= 16; done += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + done));
    // High bit set, or a 0 byte.
    const int stops = _mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8), _mm_unpackhi_epi8(chunk, zero));
    if (stops != 0) return done + __builtin_ctz(static_cast<unsigned>(stops));
  }
#endif
  for (; done < count && bytes[done] != 0 && bytes[done] < 0x80; ++done) out[done] = bytes[done];
  return done;
}

}  // namespace

int KsDecodeUtf8OnePass(const unsigned char* bytes, int count, KsChar* out, bool strict) noexcept {
  int end = count;
  if (strict) {
    while (end > 0 && bytes[end - 1] == 0) --end;
  }
  int read = 0;
  int written = 0;
  while (read < end) {
    const int ascii = WidenAscii(bytes + read, end - read, out + written);
    read += ascii;
    written += ascii;
    if (read >= end) break;
    const unsigned char lead = bytes[read];
    if (lead == 0) {
      if (strict) return -1;  // UTF-16 or UTF-32 without a byte-order mark
      break;
    }
    // Continuation bytes are never 0, so a sequence cannot run past a terminator.
    // An overlong sequence for 0 ends the text as a 0 byte does (KsDecodeUtf8); with
    // detection the bytes after it still decide the encoding, so the per-byte path does.
    if ((lead & 0xE0) == 0xC0 && read + 1 < end && IsContinuation(bytes[read + 1])) {
      const KsChar unit = static_cast<KsChar>(((lead & 0x1F) << 6) | (bytes[read + 1] & 0x3F));
      if (unit == 0) return strict ? -1 : written;
      out[written++] = unit;
      read += 2;
    } else if (lead >= 0xE0 && read + 2 < end && IsContinuation(bytes[read + 1]) && IsContinuation(bytes[read + 2])) {
      // Lead bytes F0 and above keep only the low 16 bits, like E0 to EF.
      const KsChar unit =
          static_cast<KsChar>(((lead & 0x0F) << 12) | ((bytes[read + 1] & 0x3F) << 6) | (bytes[read + 2] & 0x3F));
      if (unit == 0) return strict ? -1 : written;
      out[written++] = unit;
      read += 3;
    } else if (strict) {
      return -1;  // not UTF-8: detection gives the ANSI code page
    } else {
      out[written++] = lead;
      ++read;
    }
  }
  return written;
}
