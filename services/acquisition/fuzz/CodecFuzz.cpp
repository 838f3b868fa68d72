// libFuzzer target of the acquisition wire codec: arbitrary bytes as reply
// frames and bodies, run-length data and request lines.
#include "RLE.h"
#include "WK2TCPProtocol.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));

    if (size >= 4) {
        try {
            DecodeFrameLength(data);
        } catch (const Exception&) {
        }
    }
    try {
        TWK2TDecodeBuffers buffers;
        const TWK2TPayload p = DecodeDataPayload(body, buffers);
        const size_t width = size > 0 ? data[0] % 8 : 0;
        double sum = 0;
        for (size_t off = 0; off + RecordSize(width) <= p.Size; off += RecordSize(width)) {
            sum += ReadRecordTime(p.Data + off);
            for (size_t i = 0; i < width; ++i) sum += ReadRecordValue(p.Data + off, i);
        }
        (void)sum;
    } catch (const Exception&) {
    }
    try {
        DecodeError(body);
    } catch (const Exception&) {
    }
    DecodeStructure(body);
    SplitReplyLines(DecodeText(body, kWK2TMaxTextUnits));

    // Run-length decoding into a small buffer never writes past it.
    uint8_t small[512];
    try {
        const size_t n = RLEDecompress(data, small, size, sizeof small);
        if (n > sizeof small) std::abort();
    } catch (const ERLEError&) {
    }
    // Encoding then decoding gives the input back.
    std::vector<uint8_t> enc(RLECompressBound(size));
    const size_t n = RLECompress(data, enc.data(), size);
    if (n > enc.size()) std::abort();
    std::vector<uint8_t> dec(size + 1);
    if (RLEDecompress(enc.data(), dec.data(), n, dec.size()) != size || std::memcmp(dec.data(), data, size) != 0)
        std::abort();

    QByteArray requests = body;
    QChar cmd;
    QString args;
    while (TakeRequest(requests, cmd, args)) {
        try {
            ParseDataQuery(args);
        } catch (const Exception&) {
        }
    }
    return 0;
}
