#include "WK2TCPProtocol.h"

#include "RLE.h"

#include <QRegularExpression>
#include <QtEndian>
#include <bit>
#include <cstring>
#include <zlib.h>

namespace {
void AppendUnit(QByteArray& out, char16_t u) {
    const char b[2] = {char(u & 0xFF), char(u >> 8)};
    out.append(b, 2);
}

void AppendUtf16(QByteArray& out, const QString& s) {
    for (QChar c : s) AppendUnit(out, c.unicode());
}

char16_t UnitAt(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint16>(data.constData() + offset);
}
}  // namespace

// ---- Requests ----

QByteArray EncodeRequest(QChar Cmd, const QString& Args) {
    QByteArray out;
    out.reserve((Args.size() + 3) * 2);
    AppendUnit(out, Cmd.unicode());
    AppendUtf16(out, Args);
    AppendUnit(out, u'\r');
    AppendUnit(out, u'\n');
    return out;
}

bool TakeRequest(QByteArray& Buffer, QChar& Cmd, QString& Args) {
    const qsizetype units = Buffer.size() / 2;
    for (qsizetype i = 0; i + 1 < units; ++i) {
        if (UnitAt(Buffer, i * 2) != u'\r' || UnitAt(Buffer, i * 2 + 2) != u'\n') continue;
        QString line(i, Qt::Uninitialized);
        for (qsizetype k = 0; k < i; ++k) line[k] = QChar(UnitAt(Buffer, k * 2));
        Buffer.remove(0, (i + 2) * 2);
        Cmd = line.isEmpty() ? QChar() : line[0];
        Args = line.mid(1);
        return true;
    }
    return false;
}

QString FormatQueryTime(TDateTime Time) {
    return FormatDateTime(QStringLiteral(" dd.mm.yyyy hh:nn:ss.zzz"), Time);
}

QString BuildDataQuery(const QString& ShortID, TDateTime LastTime, int MaxRecords) {
    QString q = ShortID + QLatin1Char(',');
    if (LastTime != 0) q += FormatQueryTime(LastTime);
    if (MaxRecords > 0) q += QLatin1Char(',') + QString::number(MaxRecords);
    return q;
}

TWK2TDataQuery ParseDataQuery(const QString& Args) {
    const QStringList parts = Args.split(QLatin1Char(','));
    if (parts.size() < 2 || parts.size() > 3 || parts[0].isEmpty())
        throw EWK2TCPProtocolError(QStringLiteral("Неверный запрос данных: ") + Args);
    TWK2TDataQuery q;
    q.ShortID = parts[0];
    if (!parts[1].isEmpty()) {
        static const QRegularExpression re(
            QStringLiteral(R"(^ (\d\d)\.(\d\d)\.(\d\d\d\d) (\d\d):(\d\d):(\d\d)\.(\d\d\d)$)"));
        const auto m = re.match(parts[1]);
        if (!m.hasMatch()) throw EWK2TCPProtocolError(QStringLiteral("Неверное время в запросе: ") + parts[1]);
        try {
            q.Time = EncodeDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt()) +
                     EncodeTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                                m.captured(7).toInt());
        } catch (const EConvertError&) {
            throw EWK2TCPProtocolError(QStringLiteral("Неверное время в запросе: ") + parts[1]);
        }
        q.HasTime = true;
    }
    if (parts.size() == 3) {
        bool ok = false;
        q.MaxRecords = parts[2].toInt(&ok);
        if (!ok || q.MaxRecords <= 0)
            throw EWK2TCPProtocolError(QStringLiteral("Неверное число записей в запросе: ") + parts[2]);
    }
    return q;
}

// ---- Frames ----

QByteArray EncodeFrame(const QByteArray& Body) {
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(qint32(Body.size()), out.data());
    out.append(Body);
    return out;
}

int32_t DecodeFrameLength(const uint8_t* Header) {
    const int32_t len = qFromLittleEndian<qint32>(Header);
    if (len < 2 || len > kWK2TMaxReplyLength)
        throw EWK2TCPProtocolError(QStringLiteral("TCP: неверная длина ответа (%1)").arg(len));
    return len;
}

// ---- Bodies ----

char16_t ReplyCode(const QByteArray& Body) { return Body.size() < 2 ? 0 : UnitAt(Body, 0); }

QByteArray MakeCodeBody(QChar Code) {
    QByteArray out;
    AppendUnit(out, Code.unicode());
    return out;
}

QByteArray MakeTextBody(QChar Code, const QString& Text) {
    QByteArray out = MakeCodeBody(Code);
    AppendUtf16(out, Text);
    return out;
}

QByteArray MakeStructureBody(const TGIDArray& GIDs) {
    QByteArray out = MakeCodeBody(QLatin1Char('S'));
    for (uint16_t g : GIDs) AppendUnit(out, g);
    return out;
}

QByteArray MakeErrorBody(uint16_t Number, const QString& Text) {
    QByteArray out = MakeCodeBody(QLatin1Char('E'));
    AppendUnit(out, Number);
    AppendUtf16(out, Text);
    return out;
}

QByteArray MakeDataBody(char16_t Compression, const QByteArray& Records) {
    QByteArray out = MakeCodeBody(QLatin1Char('D'));
    AppendUnit(out, Compression);
    const auto* src = reinterpret_cast<const uint8_t*>(Records.constData());
    if (Compression == kWK2TRLECompression) {
        std::vector<uint8_t> enc(RLECompressBound(size_t(Records.size())));
        const size_t n = RLECompress(src, enc.data(), size_t(Records.size()));
        out.append(reinterpret_cast<const char*>(enc.data()), qsizetype(n));
    } else if (Compression == kWK2TZlibCompression) {
        out.append(ZlibCompress(src, size_t(Records.size())));
    } else {
        out.append(Records);
    }
    return out;
}

QString DecodeText(const QByteArray& Body, int MaxUnits) {
    qsizetype units = Body.size() / 2 - 1;
    if (units <= 0) return {};
    if (MaxUnits >= 0 && units > MaxUnits) units = MaxUnits;
    QString s(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) s[i] = QChar(UnitAt(Body, (i + 1) * 2));
    return s;
}

QStringList SplitReplyLines(const QString& Text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = Text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(Text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && Text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(Text.mid(start));
    return lines;
}

QString StreamListShortID(const QString& Line) {
    const qsizetype eq = Line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : Line.left(eq);
}

TGIDArray DecodeStructure(const QByteArray& Body) {
    TGIDArray gids;
    const qsizetype count = Body.size() < 2 ? 0 : (Body.size() - 2) / 2;
    gids.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) gids.push_back(UnitAt(Body, 2 + i * 2));
    return gids;
}

TWK2TErrorReply DecodeError(const QByteArray& Body) {
    if (Body.size() < 4) throw EWK2TCPProtocolError(QStringLiteral("TCP: неполный ответ об ошибке"));
    TWK2TErrorReply r;
    r.Number = UnitAt(Body, 2);
    const qsizetype units = (Body.size() - 4) / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t u = UnitAt(Body, 4 + i * 2);
        if (u == 0) break;
        r.Text.append(QChar(u));
    }
    return r;
}

// ---- Data ----

TWK2TPayload DecodeDataPayload(const QByteArray& Body, TWK2TDecodeBuffers& Buffers) {
    TWK2TPayload p;
    if (Body.size() <= 2) return p;
    if (Body.size() < 4) throw EWK2TCPProtocolError(QStringLiteral("TCP: неполный ответ с данными"));
    p.Compression = UnitAt(Body, 2);
    if (p.Compression < u'0' || p.Compression > u'9')
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(QChar(p.Compression)));
    const auto* src = reinterpret_cast<const uint8_t*>(Body.constData()) + 4;
    const size_t n = size_t(Body.size()) - 4;
    if (p.Compression == kWK2TRLECompression) {
        if (Buffers.RLE.size() < kWK2TRLEBufferSize) Buffers.RLE.resize(kWK2TRLEBufferSize);
        p.Size = RLEDecompress(src, Buffers.RLE.data(), n, Buffers.RLE.size());
        p.Data = Buffers.RLE.data();
    } else if (p.Compression == kWK2TZlibCompression) {
        ZlibInflate(src, n, Buffers.Inflated);
        p.Data = Buffers.Inflated.data();
        p.Size = Buffers.Inflated.size();
    } else {
        p.Data = src;
        p.Size = n;
    }
    return p;
}

double ReadRecordTime(const uint8_t* Record) {
    return std::bit_cast<double>(qFromLittleEndian<quint64>(Record));
}

float ReadRecordValue(const uint8_t* Record, size_t Index) {
    return std::bit_cast<float>(qFromLittleEndian<quint32>(Record + 8 + 4 * Index));
}

void AppendRecord(QByteArray& Records, TDateTime Time, const float* Values, size_t Count) {
    const qsizetype at = Records.size();
    Records.resize(at + qsizetype(RecordSize(Count)));
    char* p = Records.data() + at;
    qToLittleEndian<quint64>(std::bit_cast<quint64>(Time), p);
    for (size_t i = 0; i < Count; ++i) qToLittleEndian<quint32>(std::bit_cast<quint32>(Values[i]), p + 8 + 4 * i);
}

// ---- zlib ----

QByteArray ZlibCompress(const uint8_t* Data, size_t Size) {
    uLongf len = compressBound(uLong(Size));
    QByteArray out(qsizetype(len), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &len, Data, uLong(Size), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw EWK2TCPProtocolError(QStringLiteral("zlib: сжатие не удалось"));
    out.resize(qsizetype(len));
    return out;
}

void ZlibInflate(const uint8_t* Data, size_t Size, std::vector<uint8_t>& Out, size_t Cap) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw EWK2TCPProtocolError(QStringLiteral("zlib: inflateInit failed"));
    struct TEnd {
        z_stream& Z;
        ~TEnd() { inflateEnd(&Z); }
    } end{zs};
    // Keep the capacity of earlier replies; the size tells what is valid.
    if (Out.capacity() < 4 * Size + 4096) Out.reserve(std::min(Cap, 4 * Size + 4096));
    Out.resize(std::max<size_t>(1, std::min(Out.capacity(), Cap)));
    size_t produced = 0;
    zs.next_in = const_cast<Bytef*>(Data);
    zs.avail_in = uInt(Size);
    for (;;) {
        if (produced == Out.size()) {
            if (Out.size() >= Cap) {
                Out.clear();
                throw EWK2TCPProtocolError(
                    QStringLiteral("zlib: распакованные данные превышают %1 байт").arg(qulonglong(Cap)));
            }
            Out.resize(std::min(Cap, Out.size() * 2));
        }
        zs.next_out = Out.data() + produced;
        zs.avail_out = uInt(Out.size() - produced);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        produced = Out.size() - zs.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_OK) continue;
        if (rc == Z_BUF_ERROR && zs.avail_out == 0) continue;
        const QString msg = zs.msg ? QString::fromLatin1(zs.msg)
                            : rc == Z_BUF_ERROR ? QStringLiteral("unexpected end of stream")
                                                : QStringLiteral("error %1").arg(rc);
        Out.clear();
        throw EWK2TCPProtocolError(QStringLiteral("zlib: ") + msg);
    }
    Out.resize(produced);
}
