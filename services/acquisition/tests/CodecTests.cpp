#include "RLE.h"
#include "WK2TCPProtocol.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <cmath>
#include <random>

namespace {
std::vector<uint8_t> Bytes(std::initializer_list<int> b) { return {b.begin(), b.end()}; }
std::vector<uint8_t> Repeat(uint8_t b, size_t n) { return std::vector<uint8_t>(n, b); }

std::vector<uint8_t> Decode(const std::vector<uint8_t>& in, size_t cap = kWK2TRLEBufferSize) {
    std::vector<uint8_t> out(cap);
    out.resize(RLEDecompress(in.data(), out.data(), in.size(), cap));
    return out;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(RLECompressBound(in.size()));
    out.resize(RLECompress(in.data(), out.data(), in.size()));
    return out;
}

QByteArray Raw(std::initializer_list<int> b) {
    QByteArray a;
    for (int x : b) a.append(char(x));
    return a;
}

TEST(RLE, DecodesEveryItemKind) {
    const struct {
        std::vector<uint8_t> In, Out;
    } cases[] = {
        {Bytes({0x41, 0x16, 0x42}), Bytes({0x41, 0x42, 0x42, 0x42})},
        {Bytes({0x17, 0x7F}), Bytes({0x7F, 0x7F})},
        {Bytes({0x17, 0x41}), Repeat(0x41, 4)},
        {Bytes({0x18, 0x16}), Repeat(0x16, 5)},
        {Bytes({0x19, 0x16}), Bytes({0x16})},
        {Bytes({0x19, 0x41}), Repeat(0x41, 6)},
        {Bytes({0x1D, 0x00}), Repeat(0x00, 7)},
        {Bytes({0x1E, 0xFF}), Repeat(0xFF, 8)},
        {Bytes({0x7F, 0x41, 0x90, 0x03}), Repeat(0x41, 400)},
        {Bytes({0x7F, 0x41, 0x00}), {}},
        {{}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.In), c.Out) << testing::PrintToString(c.In);
}

TEST(RLE, EncodesRunsAndEscapes) {
    const struct {
        std::vector<uint8_t> In, Out;
    } cases[] = {
        {Repeat(0x41, 9), Bytes({0x7F, 0x41, 0x09})},
        {Repeat(0x41, 8), Bytes({0x1E, 0x41})},
        {Repeat(0x41, 7), Bytes({0x1D, 0x41})},
        {Repeat(0x41, 3), Bytes({0x16, 0x41})},
        {Repeat(0x41, 2), Bytes({0x41, 0x41})},
        {Repeat(0x16, 3), Bytes({0x7F, 0x16, 0x03})},
        {Repeat(0x16, 2), Bytes({0x17, 0x16})},
        {Bytes({0x7F}), Bytes({0x19, 0x7F})},
        {Repeat(0x41, 400), Bytes({0x7F, 0x41, 0x90, 0x03})},
    };
    for (const auto& c : cases) EXPECT_EQ(Encode(c.In), c.Out) << testing::PrintToString(c.In);
}

TEST(RLE, RoundTripsAnyBytes) {
    std::mt19937 rng(7);
    const uint8_t alphabet[] = {0x16, 0x17, 0x18, 0x19, 0x1D, 0x1E, 0x7F, 0x00, 0x41, 0xFF, 0x80};
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> in;
        const int runs = int(rng() % 60);
        for (int r = 0; r < runs; ++r) {
            const uint8_t b = (rng() % 3) ? alphabet[rng() % std::size(alphabet)] : uint8_t(rng());
            const size_t n = (rng() % 4 == 0) ? rng() % 20000 : rng() % 12 + 1;
            in.insert(in.end(), n, b);
        }
        ASSERT_LE(Encode(in).size(), RLECompressBound(in.size()));
        ASSERT_EQ(Decode(Encode(in), in.size()), in) << "round " << round;
    }
}

TEST(RLE, RefusesOverflowAndCutEscapes) {
    // Each input either expands past the buffer or ends inside an escape sequence.
    const std::vector<uint8_t> bad[] = {
        Bytes({0x7F, 0x41, 0xFF, 0xFF, 0xFF, 0x7F}),  // 268 million bytes
        Bytes({0x7F, 0x41, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
        Bytes({0x16}),
        Bytes({0x41, 0x7F}),
        Bytes({0x7F, 0x41}),
        Bytes({0x7F, 0x41, 0x80}),
    };
    for (const auto& in : bad) EXPECT_THROW(Decode(in), ERLEError) << testing::PrintToString(in);
    // Exactly filling the buffer is fine; one more byte is not.
    EXPECT_EQ(Decode(Bytes({0x1E, 0x41}), 8).size(), 8u);
    EXPECT_THROW(Decode(Bytes({0x1E, 0x41, 0x42}), 8), ERLEError);
    EXPECT_THROW(Decode(Bytes({0x42, 0x1E, 0x41}), 8), ERLEError);
}

// Literal stretches are copied 16 bytes at a time while both buffers have
// room: every length of input and output near the buffers' ends, escapes at
// every position of such a group, and a buffer one byte short.
TEST(RLE, LongLiteralStretchesEndExactlyAtTheBuffer) {
    std::mt19937 rng(11);
    auto literal = [&] {
        uint8_t b;
        do b = uint8_t(rng()); while (RLEIsEscape(b));
        return b;
    };
    for (size_t size = 0; size < 80; ++size) {
        for (int round = 0; round < 6; ++round) {
            std::vector<uint8_t> in(size);
            for (uint8_t& b : in) b = literal();
            // Now and then a short run or an escape byte among the literals.
            for (size_t k = 0; k < size; ++k) {
                if (rng() % 9 == 0) std::fill_n(in.begin() + k, std::min<size_t>(size - k, 3 + rng() % 7), in[k]);
                if (rng() % 13 == 0) in[k] = 0x7F;
            }
            const auto enc = Encode(in);
            ASSERT_EQ(Decode(enc, in.size()), in) << "size " << size << " round " << round;
            if (!in.empty()) EXPECT_THROW(Decode(enc, in.size() - 1), ERLEError) << "size " << size;
        }
    }
}

TEST(WK2TCPProtocol, RequestLines) {
    EXPECT_EQ(EncodeRequest('L', ""), Raw({0x4C, 0, 0x0D, 0, 0x0A, 0}));
    QByteArray buf = EncodeRequest('D', "Time1s.5,,3600") + EncodeRequest('W', "Скв");
    QByteArray partial = buf.left(7);
    QChar cmd;
    QString args;
    EXPECT_FALSE(TakeRequest(partial, cmd, args));
    EXPECT_EQ(partial.size(), 7);
    ASSERT_TRUE(TakeRequest(buf, cmd, args));
    EXPECT_EQ(cmd, 'D');
    EXPECT_EQ(args, "Time1s.5,,3600");
    ASSERT_TRUE(TakeRequest(buf, cmd, args));
    EXPECT_EQ(cmd, 'W');
    EXPECT_EQ(args, "Скв");
    EXPECT_TRUE(buf.isEmpty());
}

TEST(WK2TCPProtocol, DataQueryTexts) {
    const TDateTime t = EncodeDate(2026, 12, 8) + EncodeTime(22, 30, 15, 123);
    EXPECT_EQ(BuildDataQuery("Time1s.5", 0, 3600), "Time1s.5,,3600");
    EXPECT_EQ(BuildDataQuery("Time1s.5", t, 3600), "Time1s.5, 08.12.2026 22:30:15.123,3600");
    EXPECT_EQ(BuildDataQuery("Time1s.5", t, 0), "Time1s.5, 08.12.2026 22:30:15.123");
    EXPECT_EQ(BuildDataQuery("Depth", EncodeDate(2027, 1, 2) + EncodeTime(3, 4, 5, 6), 7200),
              "Depth, 02.01.2027 03:04:05.006,7200");

    const TWK2TDataQuery q = ParseDataQuery("Time1s.5, 08.12.2026 22:30:15.123,3600");
    EXPECT_EQ(q.ShortID, "Time1s.5");
    EXPECT_TRUE(q.HasTime);
    EXPECT_NEAR(q.Time, t, kWK2TOneMillisecond / 10);
    EXPECT_EQ(q.MaxRecords, 3600);
    const TWK2TDataQuery q0 = ParseDataQuery("Depth,");
    EXPECT_FALSE(q0.HasTime);
    EXPECT_EQ(q0.MaxRecords, 0);
    for (const char* bad : {"", "Depth", ",,1", "Depth,08.12.2026 22:30:15.123", "Depth,,x", "Depth,,-5",
                            "Depth, 32.12.2026 22:30:15.123", "a,b,c,d"})
        EXPECT_THROW(ParseDataQuery(bad), EWK2TCPProtocolError) << bad;
}

TEST(WK2TCPProtocol, FrameLengthBounds) {
    auto len = [](int32_t v) {
        uint8_t h[4];
        qToLittleEndian<qint32>(v, h);
        return DecodeFrameLength(h);
    };
    EXPECT_EQ(len(2), 2);
    EXPECT_EQ(len(kWK2TMaxReplyLength), kWK2TMaxReplyLength);
    for (int32_t bad : {-1, 0, 1, kWK2TMaxReplyLength + 1, INT32_MIN, INT32_MAX})
        EXPECT_THROW(len(bad), EWK2TCPProtocolError) << bad;
    const QByteArray f = EncodeFrame(MakeCodeBody('O'));
    EXPECT_EQ(f, Raw({2, 0, 0, 0, 'O', 0}));
}

TEST(WK2TCPProtocol, TextStructureAndErrorBodies) {
    EXPECT_EQ(ReplyCode(MakeTextBody('V', "x")), u'V');
    EXPECT_EQ(ReplyCode(QByteArray(1, 'V')), 0);
    EXPECT_EQ(DecodeText(MakeTextBody('V', "Proxy 2.1")), "Proxy 2.1");
    EXPECT_EQ(DecodeText(MakeTextBody('W', QString(70000, 'a')), kWK2TMaxTextUnits).size(), 65535);
    EXPECT_EQ(DecodeText(MakeCodeBody('L')), "");

    EXPECT_EQ(SplitReplyLines("a=1\r\nb=2\rc\nd=4\r\n"), QStringList({"a=1", "b=2", "c", "d=4"}));
    EXPECT_EQ(SplitReplyLines("x\n\ny"), QStringList({"x", "", "y"}));
    EXPECT_EQ(StreamListShortID("Depth.5=1"), "Depth.5");
    EXPECT_EQ(StreamListShortID("Depth.5"), "");

    QByteArray s = MakeStructureBody({0, 101, 122, 65535});
    EXPECT_EQ(DecodeStructure(s), TGIDArray({0, 101, 122, 65535}));
    s.append('\x07');  // a last odd byte is ignored
    EXPECT_EQ(DecodeStructure(s), TGIDArray({0, 101, 122, 65535}));
    EXPECT_TRUE(DecodeStructure(MakeCodeBody('S')).empty());

    TWK2TErrorReply e = DecodeError(MakeErrorBody(3, "Нет потока") + Raw({0, 0, 'x', 0}));
    EXPECT_EQ(e.Number, 3);
    EXPECT_EQ(e.Text, "Нет потока");
    EXPECT_EQ(DecodeError(MakeErrorBody(9, "")).Text, "");
    EXPECT_THROW(DecodeError(Raw({'E', 0})), EWK2TCPProtocolError);
    EXPECT_THROW(DecodeError(Raw({'E', 0, 3})), EWK2TCPProtocolError);
}

QByteArray ThreeGidRecords(int n) {
    QByteArray recs;
    for (int i = 0; i < n; ++i) {
        const float v[3] = {float(i), float(i) * 0.5f, i == 1 ? NAN : -1.0f};
        AppendRecord(recs, 46000.0 + i / 86400.0, v, 3);
    }
    return recs;
}

TEST(WK2TCPProtocol, DataBodiesInEveryCompression) {
    const QByteArray recs = ThreeGidRecords(50);
    ASSERT_EQ(RecordSize(3), 20u);
    ASSERT_EQ(recs.size(), 50 * 20);
    for (char16_t c : {u'0', u'1', u'2', u'7'}) {
        TWK2TDecodeBuffers buf;
        const QByteArray body = MakeDataBody(c, recs);
        const TWK2TPayload p = DecodeDataPayload(body, buf);
        EXPECT_EQ(p.Compression, c);
        ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(p.Data), qsizetype(p.Size)), recs) << char(c);
        EXPECT_DOUBLE_EQ(ReadRecordTime(p.Data + 20), 46000.0 + 1 / 86400.0);
        EXPECT_EQ(ReadRecordValue(p.Data + 20, 1), 0.5f);
        EXPECT_TRUE(std::isnan(ReadRecordValue(p.Data + 20, 2)));
    }
}

TEST(WK2TCPProtocol, DataBodyEdges) {
    TWK2TDecodeBuffers buf;
    EXPECT_EQ(DecodeDataPayload(Raw({'D', 0}), buf).Size, 0u);
    EXPECT_EQ(DecodeDataPayload(Raw({'D', 0, '0', 0}), buf).Size, 0u);
    EXPECT_THROW(DecodeDataPayload(Raw({'D', 0, '0'}), buf), EWK2TCPProtocolError);
    EXPECT_THROW(DecodeDataPayload(Raw({'D', 0, 'x', 0, 1, 2}), buf), EConvertError);
    // 45 bytes of payload with 20-byte records: two records and five spare bytes.
    const QByteArray body = MakeDataBody(u'0', ThreeGidRecords(3).left(45));
    EXPECT_EQ(DecodeDataPayload(body, buf).Size / RecordSize(3), 2u);
    // Run-length data beyond the buffer and corrupt zlib fail.
    EXPECT_THROW(DecodeDataPayload(Raw({'D', 0, '1', 0, 0x7F, 0x41, 0x81, 0xC0, 0x13}), buf), ERLEError);
    QByteArray z = MakeDataBody(u'2', ThreeGidRecords(20));
    z[10] = char(z[10] ^ 0x55);
    EXPECT_THROW(DecodeDataPayload(z, buf), EWK2TCPProtocolError);
    EXPECT_THROW(DecodeDataPayload(MakeDataBody(u'2', ThreeGidRecords(20)).left(20), buf), EWK2TCPProtocolError);
}

TEST(WK2TCPProtocol, InflateOutputIsCapped) {
    const std::vector<uint8_t> zeros(1 << 20, 0);
    const QByteArray z = ZlibCompress(zeros.data(), zeros.size());
    std::vector<uint8_t> out;
    ZlibInflate(reinterpret_cast<const uint8_t*>(z.constData()), size_t(z.size()), out, zeros.size());
    EXPECT_EQ(out, zeros);
    EXPECT_THROW(ZlibInflate(reinterpret_cast<const uint8_t*>(z.constData()), size_t(z.size()), out, zeros.size() - 1),
                 EWK2TCPProtocolError);
}
}  // namespace
