// The binary form of a component tree: a signature, then the root object.
//   object   = flag byte (0 object, 1 inherited, 2 inline; +0x80 with a
//              position, then varint position), class, name, varint count +
//              properties, varint count + child objects
//   property = name, value
//   value    = tag byte, then: nil -; int zig-zag varint; float 8 bytes
//              (little-endian IEEE); string, ident text; set count + texts;
//              list count + values; collection count + (count + properties);
//              binary varint length + bytes
//   text     = varint count of UTF-16 units + the units, little-endian
#include "ComponentBinary.h"

#include <QtEndian>
#include <cstring>
#include <limits>

namespace {
const QByteArray Signature = QByteArrayLiteral("WKC1");
constexpr int MaxDepth = 200;

enum TTag : quint8 { tNil, tInt, tFloat, tString, tIdent, tSet, tList, tCollection, tBinary };

class TBinWriter {
public:
    QByteArray Out;

    void VarUInt(quint64 v) {
        while (v >= 0x80) {
            Out.append(char(v | 0x80));
            v >>= 7;
        }
        Out.append(char(v));
    }
    void Text(const QString& s) {
        VarUInt(quint64(s.size()));
        for (QChar c : s) {
            Out.append(char(c.unicode() & 0xFF));
            Out.append(char(c.unicode() >> 8));
        }
    }
    void Properties(const std::vector<TStreamProperty>& props) {
        VarUInt(props.size());
        for (const TStreamProperty& p : props) {
            Text(p.Name);
            Value(p.Value);
        }
    }
    void Value(const TStreamValue& v) {
        switch (v.Kind) {
            case TStreamValue::vaNil: Out.append(char(tNil)); return;
            case TStreamValue::vaInt:
                Out.append(char(tInt));
                VarUInt((quint64(v.Int) << 1) ^ quint64(v.Int >> 63));
                return;
            case TStreamValue::vaFloat: {
                Out.append(char(tFloat));
                quint64 bits;
                std::memcpy(&bits, &v.Float, sizeof bits);
                char le[8];
                qToLittleEndian(bits, le);
                Out.append(le, 8);
                return;
            }
            case TStreamValue::vaString: Out.append(char(tString)); Text(v.Str); return;
            case TStreamValue::vaIdent: Out.append(char(tIdent)); Text(v.Str); return;
            case TStreamValue::vaSet:
                Out.append(char(tSet));
                VarUInt(quint64(v.Set.size()));
                for (const QString& s : v.Set) Text(s);
                return;
            case TStreamValue::vaList:
                Out.append(char(tList));
                VarUInt(v.List.size());
                for (const TStreamValue& i : v.List) Value(i);
                return;
            case TStreamValue::vaCollection:
                Out.append(char(tCollection));
                VarUInt(v.Items.size());
                for (const auto& item : v.Items) Properties(item);
                return;
            case TStreamValue::vaBinary:
                Out.append(char(tBinary));
                VarUInt(quint64(v.Bytes.size()));
                Out.append(v.Bytes);
                return;
        }
    }
    void Object(const TStreamObject& o) {
        quint8 flag = quint8(o.Flag);
        if (o.Position >= 0) flag |= 0x80;
        Out.append(char(flag));
        if (o.Position >= 0) VarUInt(quint64(o.Position));
        Text(o.ClassName);
        Text(o.Name);
        Properties(o.Properties);
        VarUInt(o.Children.size());
        for (const TStreamObject& c : o.Children) Object(c);
    }
};

class TBinReader {
public:
    explicit TBinReader(const QByteArray& data) : FData(data) {}

    TStreamObject Root() {
        if (!FData.startsWith(Signature)) Fail("not a component stream");
        FPos = Signature.size();
        TStreamObject o = Object(0);
        if (FPos != FData.size()) Fail("data after the root object");
        return o;
    }

private:
    [[noreturn]] void Fail(const char* what) const {
        throw EParserError(QStringLiteral("Invalid component stream at byte %1: %2").arg(FPos).arg(QLatin1String(what)));
    }
    quint8 Byte() {
        if (FPos >= FData.size()) Fail("unexpected end");
        return quint8(FData[FPos++]);
    }
    quint64 VarUInt() {
        quint64 v = 0;
        for (int shift = 0;; shift += 7) {
            if (shift > 63) Fail("number too long");
            const quint8 b = Byte();
            v |= quint64(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
    }
    // A count of elements that each take at least minBytes bytes.
    qsizetype Count(int minBytes) {
        const quint64 n = VarUInt();
        if (n > quint64(FData.size() - FPos) / quint64(minBytes)) Fail("count beyond the data");
        return qsizetype(n);
    }
    QString Text() {
        const qsizetype n = Count(2);
        QString s(n, Qt::Uninitialized);
        for (qsizetype i = 0; i < n; ++i) {
            const quint8 lo = Byte(), hi = Byte();
            s[i] = QChar(char16_t(lo | (hi << 8)));
        }
        return s;
    }
    std::vector<TStreamProperty> Properties(int depth) {
        std::vector<TStreamProperty> props(size_t(Count(2)));
        for (TStreamProperty& p : props) {
            p.Name = Text();
            p.Value = Value(depth + 1);
        }
        return props;
    }
    TStreamValue Value(int depth) {
        if (depth > MaxDepth) Fail("nested too deeply");
        TStreamValue v;
        switch (Byte()) {
            case tNil: return v;
            case tInt: {
                const quint64 z = VarUInt();
                return TStreamValue::Integer(qint64(z >> 1) ^ -qint64(z & 1));
            }
            case tFloat: {
                if (FData.size() - FPos < 8) Fail("unexpected end");
                const quint64 bits = qFromLittleEndian<quint64>(FData.constData() + FPos);
                FPos += 8;
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return TStreamValue::Floating(d);
            }
            case tString: return TStreamValue::String(Text());
            case tIdent: return TStreamValue::Ident(Text());
            case tSet: {
                v.Kind = TStreamValue::vaSet;
                const qsizetype n = Count(1);
                for (qsizetype i = 0; i < n; ++i) v.Set << Text();
                return v;
            }
            case tList: {
                v.Kind = TStreamValue::vaList;
                v.List.resize(size_t(Count(1)));
                for (TStreamValue& i : v.List) i = Value(depth + 1);
                return v;
            }
            case tCollection: {
                v.Kind = TStreamValue::vaCollection;
                v.Items.resize(size_t(Count(1)));
                for (auto& item : v.Items) item = Properties(depth + 1);
                return v;
            }
            case tBinary: {
                const qsizetype n = Count(1);
                v = TStreamValue::Binary(FData.mid(FPos, n));
                FPos += n;
                return v;
            }
            default: Fail("unknown value tag");
        }
    }
    TStreamObject Object(int depth) {
        if (depth > MaxDepth) Fail("nested too deeply");
        TStreamObject o;
        const quint8 flag = Byte();
        if ((flag & 0x7F) > TStreamObject::ffInline) Fail("unknown object flag");
        o.Flag = TStreamObject::TFlag(flag & 0x7F);
        if (flag & 0x80) {
            const quint64 pos = VarUInt();
            if (pos > quint64(std::numeric_limits<int>::max())) Fail("position out of range");
            o.Position = int(pos);
        }
        o.ClassName = Text();
        if (o.ClassName.isEmpty()) Fail("empty class name");
        o.Name = Text();
        o.Properties = Properties(depth);
        o.Children.resize(size_t(Count(3)));
        for (TStreamObject& c : o.Children) c = Object(depth + 1);
        return o;
    }

    const QByteArray& FData;
    qsizetype FPos = 0;
};
}  // namespace

QByteArray WriteComponentBinary(const TStreamObject& root) {
    TBinWriter w;
    w.Out = Signature;
    w.Object(root);
    return w.Out;
}

TStreamObject ReadComponentBinary(const QByteArray& data) { return TBinReader(data).Root(); }

bool IsComponentBinary(const QByteArray& data) { return data.startsWith(Signature); }
