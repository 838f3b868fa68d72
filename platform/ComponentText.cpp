#include "ComponentText.h"

#include "CodePages.h"

#include <QLocale>
#include <QStringDecoder>
#include <cmath>
#include <cstring>
#include <limits>

// --- values --------------------------------------------------------------------

TStreamValue TStreamValue::Integer(qint64 v) {
    TStreamValue r;
    r.Kind = vaInt;
    r.Int = v;
    return r;
}
TStreamValue TStreamValue::Floating(double v) {
    TStreamValue r;
    r.Kind = vaFloat;
    r.Float = v;
    return r;
}
TStreamValue TStreamValue::String(const QString& v) {
    TStreamValue r;
    r.Kind = vaString;
    r.Str = v;
    return r;
}
TStreamValue TStreamValue::Ident(const QString& v) {
    TStreamValue r;
    r.Kind = vaIdent;
    r.Str = v;
    return r;
}
TStreamValue TStreamValue::Binary(const QByteArray& v) {
    TStreamValue r;
    r.Kind = vaBinary;
    r.Bytes = v;
    return r;
}

bool TStreamValue::IsIdent(const char* ident) const {
    return Kind == vaIdent && Str.compare(QLatin1String(ident), Qt::CaseInsensitive) == 0;
}

bool operator==(const TStreamValue& a, const TStreamValue& b) {
    if (a.Kind != b.Kind) return false;
    switch (a.Kind) {
        case TStreamValue::vaNil: return true;
        case TStreamValue::vaInt: return a.Int == b.Int;
        case TStreamValue::vaFloat: return std::memcmp(&a.Float, &b.Float, sizeof(double)) == 0 ||
                                           (std::isnan(a.Float) && std::isnan(b.Float));
        case TStreamValue::vaString:
        case TStreamValue::vaIdent: return a.Str == b.Str;
        case TStreamValue::vaSet: return a.Set == b.Set;
        case TStreamValue::vaList: return a.List == b.List;
        case TStreamValue::vaCollection: return a.Items == b.Items;
        case TStreamValue::vaBinary: return a.Bytes == b.Bytes;
    }
    return false;
}

bool operator==(const TStreamProperty& a, const TStreamProperty& b) { return a.Name == b.Name && a.Value == b.Value; }

bool operator==(const TStreamObject& a, const TStreamObject& b) {
    return a.Flag == b.Flag && a.Name == b.Name && a.ClassName == b.ClassName && a.Position == b.Position &&
           a.Properties == b.Properties && a.Children == b.Children;
}

// --- parser ----------------------------------------------------------------------

namespace {
constexpr int MaxDepth = 200;  // nesting of objects, lists and collections

enum class TTok { End, Ident, Int, Float, String, Symbol, Binary };

struct TToken {
    TTok Kind = TTok::End;
    QString Text;  // identifier, string value or the symbol
    qint64 Int = 0;
    quint64 Magnitude = 0;  // of an integer
    double Float = 0;
    QByteArray Bytes;
    int Line = 1;
};

bool IsLetter(QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(QChar c) { return c >= '0' && c <= '9'; }
int HexValue(QChar c) {
    if (c >= '0' && c <= '9') return c.unicode() - '0';
    if (c >= 'a' && c <= 'f') return c.unicode() - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c.unicode() - 'A' + 10;
    return -1;
}

class TParser {
public:
    explicit TParser(const QString& text) : FText(text) { Next(); }

    TStreamObject ParseRoot() {
        TStreamObject root = ParseObject(0);
        if (FTok.Kind != TTok::End) Fail(QStringLiteral("Text after the end of the root object"));
        return root;
    }

private:
    [[noreturn]] void Fail(const QString& what) const {
        throw EParserError(QStringLiteral("Line %1: %2").arg(FTok.Line).arg(what));
    }
    [[noreturn]] void FailAt(int line, const QString& what) const {
        throw EParserError(QStringLiteral("Line %1: %2").arg(line).arg(what));
    }

    bool IsSymbol(char c) const { return FTok.Kind == TTok::Symbol && FTok.Text.size() == 1 && FTok.Text[0] == QLatin1Char(c); }
    bool IsKeyword(const char* word) const {
        return FTok.Kind == TTok::Ident && FTok.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    void Expect(char c) {
        if (!IsSymbol(c)) Fail(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
        Next();
    }
    QString ExpectIdent(const char* what) {
        if (FTok.Kind != TTok::Ident) Fail(QStringLiteral("%1 expected").arg(QLatin1String(what)));
        QString s = FTok.Text;
        Next();
        return s;
    }

    // --- scanner
    QChar Peek(int ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : QChar(); }

    void SkipBlanks() {
        while (FPos < FText.size()) {
            const QChar c = FText[FPos];
            if (c == '\n') {
                ++FLine;
                ++FPos;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == QChar(0xFEFF)) {
                ++FPos;
            } else {
                break;
            }
        }
    }

    void Next() {
        SkipBlanks();
        FTok = TToken();
        FTok.Line = FLine;
        if (FPos >= FText.size()) return;
        const QChar c = FText[FPos];
        if (IsLetter(c)) {
            const int start = FPos;
            while (FPos < FText.size() && (IsLetter(FText[FPos]) || IsDigit(FText[FPos]) || FText[FPos] == '.')) ++FPos;
            FTok.Kind = TTok::Ident;
            FTok.Text = FText.mid(start, FPos - start);
            if (FTok.Text.endsWith('.') || FTok.Text.contains(QLatin1String(".."))) Fail(QStringLiteral("Invalid identifier"));
            return;
        }
        if (IsDigit(c)) return ScanNumber();
        if (c == '$') return ScanHex();
        if (c == '\'' || c == '#') return ScanString();
        if (c == '{') return ScanBinary();
        if (QStringLiteral("=:[](),<>+-").contains(c)) {
            FTok.Kind = TTok::Symbol;
            FTok.Text = c;
            ++FPos;
            return;
        }
        Fail(QStringLiteral("Invalid character (code %1)").arg(c.unicode()));
    }

    void ScanNumber() {
        const int start = FPos;
        bool isFloat = false;
        while (IsDigit(Peek())) ++FPos;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++FPos;
            while (IsDigit(Peek())) ++FPos;
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
            isFloat = true;
            FPos += 2;
            while (IsDigit(Peek())) ++FPos;
        }
        const QString digits = FText.mid(start, FPos - start);
        // The old writer marked singles, currencies and dates with a letter.
        if (isFloat && (Peek() == 's' || Peek() == 'S' || Peek() == 'c' || Peek() == 'C' || Peek() == 'd' || Peek() == 'D') &&
            !IsLetter(Peek(1)) && !IsDigit(Peek(1)))
            ++FPos;
        if (IsLetter(Peek())) Fail(QStringLiteral("Invalid number"));
        bool ok = false;
        if (isFloat) {
            FTok.Kind = TTok::Float;
            FTok.Float = QLocale::c().toDouble(digits, &ok);
            if (!ok || !std::isfinite(FTok.Float)) Fail(QStringLiteral("Invalid floating-point number"));
        } else {
            // Kept unsigned: the magnitude of the smallest integer only fits
            // once its sign is known.
            FTok.Kind = TTok::Int;
            FTok.Magnitude = digits.toULongLong(&ok);
            if (!ok || FTok.Magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
                Fail(QStringLiteral("Integer out of range"));
            FTok.Int = qint64(FTok.Magnitude);
        }
    }

    void ScanHex() {
        ++FPos;
        const int start = FPos;
        quint64 v = 0;
        while (HexValue(Peek()) >= 0) {
            if (v >> 60) Fail(QStringLiteral("Integer out of range"));
            v = (v << 4) | quint64(HexValue(Peek()));
            ++FPos;
        }
        if (FPos == start || IsLetter(Peek())) Fail(QStringLiteral("Invalid hexadecimal number"));
        if (v > quint64(std::numeric_limits<qint64>::max())) Fail(QStringLiteral("Integer out of range"));
        FTok.Kind = TTok::Int;
        FTok.Int = qint64(v);
        FTok.Magnitude = v;
    }

    // Quoted runs and #nnn codes side by side make one string.
    void ScanString() {
        QString s;
        for (;;) {
            if (Peek() == '\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r')
                        Fail(QStringLiteral("Unterminated string"));
                    if (FText[FPos] == '\'') {
                        if (Peek(1) == '\'') {
                            s += '\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    s += FText[FPos++];
                }
            } else if (Peek() == '#') {
                ++FPos;
                qint64 code = 0;
                int digits = 0;
                if (Peek() == '$') {
                    ++FPos;
                    while (HexValue(Peek()) >= 0 && code <= 0xFFFF) code = code * 16 + HexValue(FText[FPos++]), ++digits;
                } else {
                    while (IsDigit(Peek()) && code <= 0xFFFF) code = code * 10 + (FText[FPos++].unicode() - '0'), ++digits;
                }
                if (digits == 0 || code > 0xFFFF) Fail(QStringLiteral("Invalid character code"));
                s += QChar(char16_t(code));
            } else {
                break;
            }
        }
        FTok.Kind = TTok::String;
        FTok.Text = s;
    }

    void ScanBinary() {
        ++FPos;
        QByteArray bytes;
        int high = -1;
        for (;;) {
            if (FPos >= FText.size()) Fail(QStringLiteral("Unterminated binary value"));
            const QChar c = FText[FPos++];
            if (c == '}') break;
            if (c == '\n') {
                ++FLine;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') continue;
            const int h = HexValue(c);
            if (h < 0) Fail(QStringLiteral("Invalid binary value"));
            if (high < 0) {
                high = h;
            } else {
                bytes.append(char((high << 4) | h));
                high = -1;
            }
        }
        if (high >= 0) Fail(QStringLiteral("Odd number of digits in a binary value"));
        FTok.Kind = TTok::Binary;
        FTok.Bytes = bytes;
    }

    // --- grammar
    bool AtObjectHeading() const {
        return IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline");
    }

    TStreamObject ParseObject(int depth) {
        if (depth > MaxDepth) Fail(QStringLiteral("Objects nested too deeply"));
        TStreamObject obj;
        obj.Line = FTok.Line;
        if (IsKeyword("object"))
            obj.Flag = TStreamObject::ffObject;
        else if (IsKeyword("inherited"))
            obj.Flag = TStreamObject::ffInherited;
        else if (IsKeyword("inline"))
            obj.Flag = TStreamObject::ffInline;
        else
            Fail(QStringLiteral("'object' expected"));
        Next();
        QString first = ExpectIdent("Class name");
        if (IsSymbol(':')) {
            Next();
            obj.Name = first;
            obj.ClassName = ExpectIdent("Class name");
        } else {
            obj.ClassName = first;
        }
        if (IsSymbol('[')) {
            Next();
            if (FTok.Kind != TTok::Int || FTok.Magnitude > quint64(std::numeric_limits<int>::max()))
                Fail(QStringLiteral("Position expected"));
            obj.Position = int(FTok.Int);
            Next();
            Expect(']');
        }
        for (;;) {
            if (FTok.Kind == TTok::End) FailAt(obj.Line, QStringLiteral("'end' of object %1 missing").arg(obj.Name));
            if (IsKeyword("end")) {
                Next();
                break;
            }
            if (AtObjectHeading() && !NextIsEquals()) {
                obj.Children.push_back(ParseObject(depth + 1));
                continue;
            }
            const int line = FTok.Line;
            obj.Properties.push_back(ParseProperty(depth));
            obj.Properties.back().Line = line;
        }
        return obj;
    }

    // True when the token after the current one is '=' (a property named
    // like a keyword).
    bool NextIsEquals() {
        int pos = FPos;
        while (pos < FText.size() && (FText[pos] == ' ' || FText[pos] == '\t' || FText[pos] == '\r' || FText[pos] == '\n')) ++pos;
        return pos < FText.size() && FText[pos] == '=';
    }

    TStreamProperty ParseProperty(int depth) {
        TStreamProperty p;
        p.Name = ExpectIdent("Property name");
        Expect('=');
        p.Value = ParseValue(depth + 1);
        return p;
    }

    TStreamValue ParseValue(int depth) {
        if (depth > MaxDepth) Fail(QStringLiteral("Values nested too deeply"));
        TStreamValue v;
        switch (FTok.Kind) {
            case TTok::End: Fail(QStringLiteral("Value expected"));
            case TTok::Int:
                if (FTok.Magnitude > quint64(std::numeric_limits<qint64>::max())) Fail(QStringLiteral("Integer out of range"));
                v = TStreamValue::Integer(FTok.Int);
                Next();
                return v;
            case TTok::Float:
                v = TStreamValue::Floating(FTok.Float);
                Next();
                return v;
            case TTok::Binary:
                v = TStreamValue::Binary(FTok.Bytes);
                Next();
                return v;
            case TTok::String: {
                QString s = FTok.Text;
                Next();
                while (IsSymbol('+')) {
                    Next();
                    if (FTok.Kind != TTok::String) Fail(QStringLiteral("String expected"));
                    s += FTok.Text;
                    Next();
                }
                return TStreamValue::String(s);
            }
            case TTok::Ident:
                v = TStreamValue::Ident(FTok.Text);
                Next();
                return v;
            case TTok::Symbol: break;
        }
        if (IsSymbol('-') || IsSymbol('+')) {
            const bool negative = IsSymbol('-');
            Next();
            if (FTok.Kind == TTok::Int) {
                if (FTok.Magnitude > quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0))
                    Fail(QStringLiteral("Integer out of range"));
                v = TStreamValue::Integer(negative ? qint64(0 - FTok.Magnitude) : qint64(FTok.Magnitude));
            } else if (FTok.Kind == TTok::Float) {
                v = TStreamValue::Floating(negative ? -FTok.Float : FTok.Float);
            } else if (FTok.Kind == TTok::Ident && FTok.Text.compare(QLatin1String("Inf"), Qt::CaseInsensitive) == 0) {
                v = TStreamValue::Ident(negative ? QStringLiteral("-Inf") : QStringLiteral("Inf"));
            } else {
                Fail(QStringLiteral("Number expected"));
            }
            Next();
            return v;
        }
        if (IsSymbol('[')) {
            Next();
            v.Kind = TStreamValue::vaSet;
            while (!IsSymbol(']')) {
                v.Set << ExpectIdent("Set member");
                if (IsSymbol(','))
                    Next();
                else if (!IsSymbol(']'))
                    Fail(QStringLiteral("',' or ']' expected"));
            }
            Next();
            return v;
        }
        if (IsSymbol('(')) {
            Next();
            v.Kind = TStreamValue::vaList;
            while (!IsSymbol(')')) {
                v.List.push_back(ParseValue(depth + 1));
                if (IsSymbol(',')) Next();
            }
            Next();
            return v;
        }
        if (IsSymbol('<')) {
            Next();
            v.Kind = TStreamValue::vaCollection;
            while (!IsSymbol('>')) {
                if (!IsKeyword("item")) Fail(QStringLiteral("'item' expected"));
                Next();
                if (IsSymbol('[')) {  // an item index, as old writers put it: ignored
                    Next();
                    if (FTok.Kind != TTok::Int) Fail(QStringLiteral("Index expected"));
                    Next();
                    Expect(']');
                }
                std::vector<TStreamProperty> item;
                while (!IsKeyword("end")) {
                    if (FTok.Kind == TTok::End) Fail(QStringLiteral("'end' of item missing"));
                    item.push_back(ParseProperty(depth + 1));
                }
                Next();
                v.Items.push_back(std::move(item));
            }
            Next();
            return v;
        }
        Fail(QStringLiteral("Value expected"));
    }

    const QString& FText;
    int FPos = 0;
    int FLine = 1;
    TToken FTok;
};

void CollectClassNames(const TStreamObject& o, QStringList& names) {
    if (!names.contains(o.ClassName, Qt::CaseInsensitive)) names << o.ClassName;
    for (const TStreamObject& c : o.Children) CollectClassNames(c, names);
}
}  // namespace

TStreamObject ParseComponentText(const QString& text) { return TParser(text).ParseRoot(); }

QStringList HeadingClassNames(const TStreamObject& root) {
    QStringList names;
    CollectClassNames(root, names);
    return names;
}

// --- writer ----------------------------------------------------------------------

namespace {
constexpr int StringChunk = 64;  // characters of a string value per line
constexpr int BinaryChunk = 32;  // bytes of a binary value per line

QString Indent(int level) { return QString(level * 2, ' '); }

QString QuoteChunk(QStringView s) {
    QString out;
    bool inQuotes = false;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u >= 32 && u < 127) {
            if (!inQuotes) out += '\'', inQuotes = true;
            out += c;
            if (c == '\'') out += '\'';
        } else {
            if (inQuotes) out += '\'', inQuotes = false;
            out += '#' + QString::number(u);
        }
    }
    if (inQuotes) out += '\'';
    return out;
}

QString FloatText(double v) {
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    // Qt writes a negative zero as "0"; its sign matters to whoever stored it.
    if (v == 0) return std::signbit(v) ? QStringLiteral("-0.0") : QStringLiteral("0.0");
    QString s = QString::number(v, 'g', QLocale::FloatingPointShortest);
    // Keep it a float when read back.
    if (!s.contains('.') && !s.contains('e') && !s.contains('E')) s += QLatin1String(".0");
    return s;
}

class TTextWriter {
public:
    QString Out;

    void Object(const TStreamObject& o, int level) {
        static const char* const keywords[] = {"object", "inherited", "inline"};
        QString line = Indent(level) + QLatin1String(keywords[o.Flag]) + ' ';
        if (!o.Name.isEmpty()) line += o.Name + QLatin1String(": ");
        line += o.ClassName;
        if (o.Position >= 0) line += QStringLiteral(" [%1]").arg(o.Position);
        Line(line);
        for (const TStreamProperty& p : o.Properties) Property(p, level + 1);
        for (const TStreamObject& c : o.Children) Object(c, level + 1);
        Line(Indent(level) + QLatin1String("end"));
    }

private:
    void Line(const QString& s) { Out += s + QLatin1String("\r\n"); }

    void Property(const TStreamProperty& p, int level) {
        Out += Indent(level) + p.Name + QLatin1String(" = ");
        Value(p.Value, level);
        Out += QLatin1String("\r\n");
    }

    // Writes the value from the current position; continuation lines are
    // indented one level deeper than level.
    void Value(const TStreamValue& v, int level) {
        switch (v.Kind) {
            case TStreamValue::vaNil: Out += QLatin1String("nil"); return;
            case TStreamValue::vaInt: Out += QString::number(v.Int); return;
            case TStreamValue::vaFloat: Out += FloatText(v.Float); return;
            case TStreamValue::vaIdent: Out += v.Str; return;
            case TStreamValue::vaString: {
                if (v.Str.isEmpty()) {
                    Out += QLatin1String("''");
                    return;
                }
                for (qsizetype i = 0; i < v.Str.size(); i += StringChunk) {
                    qsizetype n = std::min<qsizetype>(StringChunk, v.Str.size() - i);
                    // Never split a surrogate pair between lines.
                    if (i + n < v.Str.size() && v.Str[i + n - 1].isHighSurrogate()) ++n;
                    if (i > 0) Out += QLatin1String(" +\r\n") + Indent(level + 1);
                    Out += QuoteChunk(QStringView(v.Str).mid(i, n));
                    if (n > StringChunk) ++i;
                }
                return;
            }
            case TStreamValue::vaSet: Out += '[' + v.Set.join(QLatin1String(", ")) + ']'; return;
            case TStreamValue::vaList:
                Out += '(';
                for (const TStreamValue& item : v.List) {
                    Out += QLatin1String("\r\n") + Indent(level + 1);
                    Value(item, level + 1);
                }
                Out += ')';
                return;
            case TStreamValue::vaCollection:
                Out += '<';
                for (const auto& item : v.Items) {
                    Out += QLatin1String("\r\n") + Indent(level + 1) + QLatin1String("item\r\n");
                    for (const TStreamProperty& p : item) Property(p, level + 2);
                    Out += Indent(level + 1) + QLatin1String("end");
                }
                Out += '>';
                return;
            case TStreamValue::vaBinary:
                Out += '{';
                for (qsizetype i = 0; i < v.Bytes.size(); i += BinaryChunk)
                    Out += QLatin1String("\r\n") + Indent(level + 1) +
                           QString::fromLatin1(v.Bytes.mid(i, BinaryChunk).toHex().toUpper());
                Out += '}';
                return;
        }
    }
};
}  // namespace

QString WriteComponentText(const TStreamObject& root) {
    TTextWriter w;
    w.Object(root, 0);
    return w.Out;
}

// --- file encodings ---------------------------------------------------------------

QString DecodeComponentFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d.decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return DecodeCodePage(bytes, TCodePage::cpAnsi);
}
