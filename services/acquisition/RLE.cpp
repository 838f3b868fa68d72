#include "RLE.h"

#include "WK2TCPProtocol.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr uint8_t kRun3 = 22, kRun4 = 23, kRun5 = 24, kRun6 = 25, kRun7 = 29, kRun8 = 30, kRunN = 127;

// Escape code for runs of 3 to 8 bytes of a byte outside the escape set.
constexpr uint8_t kShortRunCode[9] = {0, 0, 0, kRun3, kRun4, kRun5, kRun6, kRun7, kRun8};

[[noreturn]] void Fail(const char* what) { throw ERLEError(QString::fromLatin1(what)); }
}  // namespace

namespace {
// The escape set as a table, so that the test per byte is one load.
struct TEscapeTable {
    bool IsEscape[256] = {};
    constexpr TEscapeTable() {
        for (uint8_t e : {kRun3, kRun4, kRun5, kRun6, kRun7, kRun8, kRunN}) IsEscape[e] = true;
    }
};
constexpr TEscapeTable kEscapes;

inline bool IsEscape(uint8_t b) { return kEscapes.IsEscape[b]; }
}  // namespace

bool RLEIsEscape(uint8_t b) { return IsEscape(b); }

namespace {
// The length of the run of one escape item (escape byte e, repeated byte b);
// the count bytes of a long run are read from Source[pos] on.
inline uint64_t RunLength(uint8_t e, uint8_t b, const uint8_t* Source, size_t Count, size_t& pos) {
    switch (e) {
        case kRun3: return 3;
        case kRun4: return IsEscape(b) ? 2 : 4;
        case kRun5: return 5;
        case kRun6: return IsEscape(b) ? 1 : 6;
        case kRun7: return 7;
        case kRun8: return 8;
        default: break;
    }
    // kRunN: the count in 7-bit groups, lowest first.
    uint64_t n = 0;
    for (int shift = 0;; shift += 7) {
        if (pos >= Count) Fail("RLE: data end inside a run count");
        const uint8_t c = Source[pos++];
        // Counts beyond 63 bits can never fit the buffer.
        if (shift > 56) Fail("RLE: run count too large");
        n |= uint64_t(c & 0x7F) << shift;
        if (!(c & 0x80)) return n;
    }
}

#if defined(__SSE2__)
// One bit per escape byte among the 16 bytes at p (bit i for p[i]).
inline unsigned EscapeMask16(const uint8_t* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // 22..30 less 26..28, and 127.
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(kRun3));
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(8)), d);
    const __m128i gap = _mm_sub_epi8(d, _mm_set1_epi8(4));
    const __m128i notEscape = _mm_cmpeq_epi8(_mm_min_epu8(gap, _mm_set1_epi8(2)), gap);
    const __m128i del = _mm_cmpeq_epi8(v, _mm_set1_epi8(char(kRunN)));
    return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(notEscape, low), del)));
}
#endif
}  // namespace

size_t RLEDecompress(const uint8_t* Source, uint8_t* Dest, size_t Count, size_t DestSize) {
    size_t src = 0, dst = 0;
    while (src < Count) {
#if defined(__SSE2__)
        // Literal bytes 16 at a time while both buffers have 16 bytes left: the
        // whole group is stored and the positions advance to the first escape.
        if (Count - src >= 16 && DestSize - dst >= 16) {
            const unsigned mask = EscapeMask16(Source + src);
            std::memcpy(Dest + dst, Source + src, 16);
            if (mask == 0) {
                src += 16;
                dst += 16;
                continue;
            }
            const unsigned lit = unsigned(std::countr_zero(mask));
            src += lit;
            dst += lit;
        } else
#endif
        {
            // Near the ends of the buffers: byte by byte, every write checked.
            while (src < Count && !IsEscape(Source[src])) {
                if (dst >= DestSize) Fail("RLE: expanded data exceed the buffer");
                Dest[dst++] = Source[src++];
            }
            if (src >= Count) break;
        }
        const uint8_t e = Source[src++];
        if (src >= Count) Fail("RLE: data end inside an escape sequence");
        const uint8_t b = Source[src++];
        const uint64_t n = RunLength(e, b, Source, Count, src);
        if (n > DestSize - dst) Fail("RLE: expanded data exceed the buffer");
        if (n <= 8 && DestSize - dst >= 8) {
            // A short run as one 8-byte store: the bytes past the run lie inside
            // the buffer and are not part of the result until written again.
            const uint64_t pattern = uint64_t(b) * 0x0101010101010101ull;
            std::memcpy(Dest + dst, &pattern, 8);
        } else {
            std::memset(Dest + dst, b, size_t(n));
        }
        dst += size_t(n);
    }
    return dst;
}

size_t RLECompress(const uint8_t* Source, uint8_t* Dest, size_t Count) {
    size_t src_pos = 0, dst_pos = 0;
    while (src_pos < Count) {
        const uint8_t b = Source[src_pos];
        size_t n = 1;
        while (src_pos + n < Count && Source[src_pos + n] == b) ++n;
        src_pos += n;
        const bool esc = IsEscape(b);
        if (esc && n == 1) {
            Dest[dst_pos++] = kRun6;
            Dest[dst_pos++] = b;
        } else if (esc && n == 2) {
            Dest[dst_pos++] = kRun4;
            Dest[dst_pos++] = b;
        } else if (!esc && n <= 2) {
            for (size_t i = 0; i < n; ++i) Dest[dst_pos++] = b;
        } else if (!esc && n <= 8) {
            Dest[dst_pos++] = kShortRunCode[n];
            Dest[dst_pos++] = b;
        } else {
            Dest[dst_pos++] = kRunN;
            Dest[dst_pos++] = b;
            size_t c = n;
            while (c > 127) {
                Dest[dst_pos++] = uint8_t((c & 0x7F) | 0x80);
                c >>= 7;
            }
            Dest[dst_pos++] = uint8_t(c);
        }
    }
    return dst_pos;
}
