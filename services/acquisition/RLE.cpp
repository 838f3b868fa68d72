#include "RLE.h"

#include "WK2TCPProtocol.h"

#include <cstring>

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

size_t RLEDecompress(const uint8_t* Source, uint8_t* Dest, size_t Count, size_t DestSize) {
    size_t src_pos = 0, dst_pos = 0;
    while (src_pos < Count) {
        // A run of literal bytes is copied as one block.
        size_t lit = src_pos;
        while (lit < Count && !IsEscape(Source[lit])) ++lit;
        if (lit > src_pos) {
            const size_t n = lit - src_pos;
            if (n > DestSize - dst_pos) Fail("RLE: expanded data exceed the buffer");
            std::memcpy(Dest + dst_pos, Source + src_pos, n);
            dst_pos += n;
            src_pos = lit;
            if (src_pos >= Count) break;
        }
        const uint8_t e = Source[src_pos++];
        if (src_pos >= Count) Fail("RLE: data end inside an escape sequence");
        const uint8_t b = Source[src_pos++];
        uint64_t n = 0;
        switch (e) {
            case kRun3: n = 3; break;
            case kRun4: n = IsEscape(b) ? 2 : 4; break;
            case kRun5: n = 5; break;
            case kRun6: n = IsEscape(b) ? 1 : 6; break;
            case kRun7: n = 7; break;
            case kRun8: n = 8; break;
            default: {  // kRunN: the count in 7-bit groups
                int shift = 0;
                for (;;) {
                    if (src_pos >= Count) Fail("RLE: data end inside a run count");
                    const uint8_t c = Source[src_pos++];
                    // Counts beyond 63 bits can never fit the buffer.
                    if (shift > 56) Fail("RLE: run count too large");
                    n |= uint64_t(c & 0x7F) << shift;
                    shift += 7;
                    if (!(c & 0x80)) break;
                }
            }
        }
        if (n > DestSize - dst_pos) Fail("RLE: expanded data exceed the buffer");
        std::memset(Dest + dst_pos, b, size_t(n));
        dst_pos += size_t(n);
    }
    return dst_pos;
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
