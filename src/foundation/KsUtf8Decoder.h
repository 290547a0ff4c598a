#pragma once
// KsDecodeUtf8OnePass: the decoder behind DecodeText for UTF-8 bytes (and so behind
// every XML document read from bytes). One pass widens runs of ASCII sixteen bytes
// at a time where SSE2 is available and decodes the system's two- and three-byte
// sequences one by one, as KsDecodeUtf8 does. With detection it also decides, in
// the same pass, whether the bytes are the common UTF-8 that detection would take as
// UTF-8 or as ASCII; when they are not it writes nothing useful and says so, and the
// caller takes the per-byte detection path. Its output always equals the per-byte
// path's; KsDecodeTextPerByte is that path, kept as the reference tests compare with.

#include "foundation/KsString.h"

// Decodes bytes into out, which has room for count units (never more units than
// bytes). strict (detection without a byte-order mark): trailing 0 bytes are
// ignored, and any other 0 byte, a sequence that decodes to 0, or any byte of 0x80
// and above that starts no valid sequence gives -1. Otherwise decoding stops at the
// first 0 byte or 0 sequence, and a byte that starts no sequence stands for itself.
// Returns the units written, or -1.
int KsDecodeUtf8OnePass(const unsigned char* bytes, int count, KsChar* out, bool strict) noexcept;

// DecodeText as it is without the one-pass decoder: detection scans the bytes, then
// the chosen decoder reads them again byte by byte.
void KsDecodeTextPerByte(KsString& text, const void* bytes, int count, int encoding);
