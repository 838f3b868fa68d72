#include "Logsheaf10Lines.h"

#include "CodePages.h"
#include "Exceptions.h"
#include "Formatting.h"
#include "SafeSave.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <cstring>

const QByteArray SectionNames[6] = {
    QByteArrayLiteral("~Version information"), QByteArrayLiteral("~Well information"),
    QByteArrayLiteral("~Curve information"),   QByteArrayLiteral("~Parameter information block"),
    QByteArrayLiteral("~Other information"),   QByteArrayLiteral("~ASCII Log data"),
};

// ---- line list ----

void TAnsiStringList::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange();
}

void TAnsiStringList::SetStrings(int i, const QByteArray& s) {
    FItems[i].Data = s;
    Changed();
}

void TAnsiStringList::Add(const QByteArray& s) { AddObject(s, 0); }

void TAnsiStringList::Add(const QString& s) { Add(StringToAnsi(s)); }

void TAnsiStringList::AddStrings(const QStringList& lines) {
    for (const QString& s : lines) Add(s);
}

void TAnsiStringList::AddObject(const QByteArray& s, int tag) {
    FItems.append({s, tag});
    Changed();
}

void TAnsiStringList::Assign(const TAnsiStringList& other) {
    FItems.clear();
    for (const auto& item : other.FItems) FItems.append({item.Data, 0});
    Changed();
}

void TAnsiStringList::InsertObject(int index, const QByteArray& s, int tag) {
    FItems.insert(index, {s, tag});
    Changed();
}

void TAnsiStringList::Delete(int index) {
    FItems.removeAt(index);
    Changed();
}

void TAnsiStringList::Clear() {
    FItems.clear();
    Changed();
}

void TAnsiStringList::Truncate(int index) {
    if (index < Count()) {
        FItems.resize(index);
        Changed();
    }
}

int TAnsiStringList::IndexOfObject(int tag) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].AObject == tag) return i;
    return -1;
}

void ForEachLine(const QByteArray& text, const std::function<void(std::string_view, int)>& line) {
    const char* p = text.constData();
    const char* end = p + text.size();
    if (const void* nul = std::memchr(p, '\0', size_t(text.size()))) end = static_cast<const char*>(nul);
    int index = 0;
    // The next LF is looked up once and kept until the lines pass it, so a
    // file of CR line ends is not scanned again for every line.
    const char* nextLF = p;
    while (p < end) {
        if (nextLF < p) nextLF = p;
        if (nextLF < end && *nextLF != '\n') {
            const void* lf = std::memchr(nextLF, '\n', size_t(end - nextLF));
            nextLF = lf ? static_cast<const char*>(lf) : end;
        }
        const void* cr = std::memchr(p, '\r', size_t(nextLF - p));
        const char* e = cr ? static_cast<const char*>(cr) : nextLF;
        line(std::string_view(p, size_t(e - p)), index++);
        if (e < end) {
            if (*e == '\r' && e + 1 < end && e[1] == '\n') ++e;
            ++e;
        }
        p = e;
    }
}

void TAnsiStringList::LoadFromText(const QByteArray& text) {
    FItems.clear();
    ForEachLine(text, [this](std::string_view s, int) { FItems.append({QByteArray(s.data(), qsizetype(s.size())), 0}); });
    Changed();
}

void TAnsiStringList::LoadFromFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) throw Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    LoadFromText(f.readAll());
}

void TAnsiStringList::SaveToFile(const QString& fileName) const {
    SaveFileSafely(fileName, [this](const TSaveSink& write) {
        QByteArray chunk;
        chunk.reserve(1 << 16);
        for (const auto& item : FItems) {
            chunk.append(item.Data);
            chunk.append("\r\n", 2);
            if (chunk.size() >= (1 << 16)) {
                write(chunk);
                chunk.clear();
            }
        }
        write(chunk);
    });
}

// ---- header lines ----

QByteArray Trim(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && quint8(s[b]) <= ' ') ++b;
    while (e > b && quint8(s[e - 1]) <= ' ') --e;
    return s.mid(b, e - b);
}

static qsizetype FirstNonBlank(const QByteArray& line) {
    qsizetype i = 0;
    while (i < line.size() && quint8(line[i]) <= ' ') ++i;
    return i;
}

bool IsAnySectionLine(const QByteArray& line) {
    const qsizetype i = FirstNonBlank(line);
    return i < line.size() && line[i] == '~';
}

bool IsSectionLine(const QByteArray& line, TLASSections sect) {
    const qsizetype i = FirstNonBlank(line);
    return i + 1 < line.size() && line[i] == '~' && line[i + 1] == Sections[sect];
}

QByteArray ExtractID(const QByteArray& source) {
    const QByteArray line = Trim(source);
    if (line.isEmpty() || line.startsWith('#')) return {};
    qsizetype cut = line.indexOf('.');
    if (cut < 0) cut = line.indexOf(':');
    const QByteArray id = cut < 0 ? QByteArray() : Trim(line.left(cut));
    if (id.isEmpty()) throw Exception(SInvalidMnemonic + AnsiToString(line));
    return id;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static bool IsDigit(const QByteArray& s, qsizetype i) { return i >= 0 && i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// The colon that ends a value: one with a digit on each side belongs to the
// value (a time of day "10:30").
static qsizetype ValueColon(const QByteArray& s) {
    for (qsizetype i = s.indexOf(':'); i >= 0; i = s.indexOf(':', i + 1))
        if (!(IsDigit(s, i - 1) && IsDigit(s, i + 1))) return i;
    return -1;
}

TLASLineParts SplitString(const QByteArray& source) {
    TLASLineParts p;
    const QByteArray line = Trim(source);
    p.ID = ExtractID(line);
    if (p.ID.isEmpty()) return p;
    QByteArray rest = line.mid(line.indexOf('.') + 1);
    qsizetype blank = -1;
    for (qsizetype i = 0; i < rest.size(); ++i)
        if (IsBlank(rest[i])) {
            blank = i;
            break;
        }
    if (blank < 0) {
        p.Ext = rest;
        return p;
    }
    p.Ext = rest.left(blank);
    rest.remove(0, blank);
    const qsizetype colon = ValueColon(rest);
    if (colon >= 0) {
        p.Value = Trim(rest.left(colon));
        rest.remove(0, colon + 1);
    } else {
        rest.remove(0, 1);
    }
    p.Comment = Trim(rest);
    return p;
}

QByteArray ExtractValue(const QByteArray& source, TLASSections sect) {
    const TLASLineParts p = SplitString(source);
    if (sect == lsVersion && p.Value.isEmpty()) return p.Ext;
    return p.Value;
}

QByteArray CombineString(const QByteArray& id, const QByteArray& ext, const QByteArray& value,
                         const QByteArray& comment, const TLASLineLayout& layout) {
    QByteArray s(layout.LeadingSpaces, ' ');
    s += id;
    if (id.size() < MaxMnemSize) s += QByteArray(MaxMnemSize - id.size(), ' ');
    s += '.';
    s += ext;
    const qsizetype l = s.size() + value.size();
    s += QByteArray(l < layout.DelimiterPos - 1 ? layout.DelimiterPos - l : 1, ' ');
    s += value;
    s += " : ";
    s += comment;
    return s;
}

TLASMapping ExtractMnem(const QString& s) {
    TLASMapping m;
    const qsizetype eq = s.indexOf('=');
    if (eq < 0) return m;
    m.Name = s.left(eq).trimmed();
    const QString rest = s.mid(eq + 1);
    const qsizetype dot = rest.indexOf('.');
    if (dot < 0) {
        m.Mnem = rest.trimmed();
        return m;
    }
    m.Mnem = rest.left(dot).trimmed();
    const QString tail = rest.mid(dot + 1);
    const qsizetype semi = tail.indexOf(';');
    m.Units = (semi < 0 ? tail : tail.left(semi)).trimmed();
    if (semi >= 0) m.Descr = tail.mid(semi + 1);
    return m;
}

// ---- code pages ----

bool IsOEMString(const QByteArray& s) {
    int ansi = 0, oem = 0;
    for (const char ch : s) {
        const quint8 c = quint8(ch);
        if (c == 0xB8 || c >= 0xC0) ++ansi;
        if ((c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xF1)) ++oem;
    }
    return oem > ansi;
}

QByteArray OemToAnsi(const QByteArray& s) { return EncodeCodePage(DecodeCodePage(s, TCodePage::cpOem), TCodePage::cpAnsi); }
QByteArray AnsiToOem(const QByteArray& s) { return EncodeCodePage(DecodeCodePage(s, TCodePage::cpAnsi), TCodePage::cpOem); }
QString AnsiToString(const QByteArray& s) { return DecodeCodePage(s, TCodePage::cpAnsi); }
QByteArray StringToAnsi(const QString& s) { return EncodeCodePage(s, TCodePage::cpAnsi); }

TLASTextKind TextKind(const QByteArray& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.constData());
    const auto* end = p + s.size();
    bool ascii = true;
    while (p < end) {
        const unsigned char c = *p++;
        if (c < 0x80) continue;
        ascii = false;
        // The lead byte gives the length and the least value the sequence may
        // encode: overlong forms, surrogates and values past U+10FFFF are no UTF-8.
        int more = 0;
        char32_t v = 0, least = 0;
        if (c >= 0xC2 && c <= 0xDF) { more = 1; v = c & 0x1F; least = 0x80; }
        else if (c >= 0xE0 && c <= 0xEF) { more = 2; v = c & 0x0F; least = 0x800; }
        else if (c >= 0xF0 && c <= 0xF4) { more = 3; v = c & 0x07; least = 0x10000; }
        else return TLASTextKind::SingleByte;
        if (end - p < more) return TLASTextKind::SingleByte;
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return TLASTextKind::SingleByte;
            v = (v << 6) | (*p & 0x3F);
        }
        if (v < least || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return TLASTextKind::SingleByte;
    }
    return ascii ? TLASTextKind::Ascii : TLASTextKind::Utf8;
}

// ---- numbers ----

bool TryStrToFloatPt(std::string_view s, double& value) {
    while (!s.empty() && quint8(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && quint8(s.back()) <= ' ') s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.front() == '+') return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool TryStrToFloatPt(const QString& s, double& value) {
    const QByteArray latin = s.toLatin1();
    return TryStrToFloatPt(std::string_view(latin.constData(), size_t(latin.size())), value);
}

double StrToFloatPt(const QString& s) {
    double v = 0;
    if (!TryStrToFloatPt(s, v)) throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

QByteArray FormatPt(const QString& pattern, double value) { return FormatFloat(pattern, value).toLatin1(); }
