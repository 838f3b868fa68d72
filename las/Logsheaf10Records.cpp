#include "Logsheaf10Records.h"

#include "Exceptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

inline bool IsTokenByte(unsigned char c) { return c >= 0x2D; }

// Finds the next token from p; returns false at the end.
inline bool NextToken(const char*& p, const char* end, const char*& tokenBegin, const char*& tokenEnd) {
    while (p < end && !IsTokenByte(static_cast<unsigned char>(*p))) ++p;
    if (p >= end) return false;
    tokenBegin = p;
    for (;;) {
        while (p < end && IsTokenByte(static_cast<unsigned char>(*p))) ++p;
        // A '+' after the exponent letter of a number is part of it: the
        // field writes "1.5E+10" as one value.
        if (p + 1 < end && *p == '+' && p - tokenBegin >= 2 && (p[-1] == 'e' || p[-1] == 'E') &&
            ((p[-2] >= '0' && p[-2] <= '9') || p[-2] == '.') && p[1] >= '0' && p[1] <= '9') {
            ++p;
            continue;
        }
        break;
    }
    tokenEnd = p;
    return true;
}

}  // namespace

bool ParseDataLine(std::string_view line, double* values, int count, double nullValue) {
    const char* p = line.data();
    const char* end = p + line.size();
    bool any = false;
    int k = 0;
    const char* b = nullptr;
    const char* e = nullptr;
    while (k < count && NextToken(p, end, b, e)) {
        double v = 0;
        const auto [stop, ec] = std::from_chars(b, e, v, std::chars_format::general);
        if (ec == std::errc() && stop == e && std::isfinite(v)) {
            values[k] = v;
            any = true;
        } else {
            values[k] = nullValue;
        }
        ++k;
    }
    for (; k < count; ++k) values[k] = nullValue;
    return any;
}

int CountTokens(std::string_view line) {
    const char* p = line.data();
    const char* end = p + line.size();
    const char* b = nullptr;
    const char* e = nullptr;
    int n = 0;
    while (NextToken(p, end, b, e)) ++n;
    return n;
}

QList<QByteArray> Unwrap(const std::vector<std::string_view>& lines, int firstIndex, int curves) {
    QList<QByteArray> out;
    QByteArray acc;
    int words = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view s = lines[i];
        while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
        while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
        if (s.empty() || s.front() == '#') continue;
        acc.append(' ');
        acc.append(s.data(), qsizetype(s.size()));
        words += CountTokens(s);
        if (words > curves)
            throw Exception(SUnwrapError + QString::number(firstIndex + int(i)) + QLatin1Char('[') + STooManyCurves +
                            QLatin1Char(']'));
        if (words == curves) {
            out.append(acc);
            acc.clear();
            words = 0;
        }
    }
    return out;
}

TLASDecimal DecomposeValue(double value) {
    TLASDecimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.Negative = value < 0;
    // 18 significant digits: "d.ddddddddddddddddde+XX".
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
    const char* ePos = std::find(buf, res.ptr, 'e');
    int exp10 = 0;
    std::from_chars(ePos + 1 + (ePos[1] == '+'), res.ptr, exp10);
    char digits[20];
    int n = 0;
    for (const char* p = buf; p < ePos; ++p)
        if (*p != '.') digits[n++] = *p;
    int e = exp10 + 1;
    // Round to at most LASMaxDigits decimals.
    const int keep = e + LASMaxDigits;
    if (keep < n) {
        if (keep < 0) return {};
        const bool up = digits[keep] >= '5';
        n = keep;
        if (up) {
            int i = n - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                std::memmove(digits + 1, digits, size_t(n));
                digits[0] = '1';
                ++n;
                ++e;
            }
        }
    }
    while (n > 0 && digits[n - 1] == '0') --n;
    if (n == 0) return {};
    d.E = e;
    d.Decimals = n - e;
    return d;
}

TLASDecimal ShortestDecimal(double value) {
    TLASDecimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.Negative = value < 0;
    // The shortest round-trip form, "d.ddde-XX" or "de+XX".
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const char* ePos = std::find(buf, res.ptr, 'e');
    int exp10 = 0;
    std::from_chars(ePos + 1 + (ePos[1] == '+'), res.ptr, exp10);
    int n = 0;
    for (const char* p = buf; p < ePos; ++p) n += *p != '.';
    d.E = exp10 + 1;
    d.Decimals = n - d.E;
    return d;
}

namespace {

// The decimals and integer digits a value is written with: those of the
// rounding to LASMaxDigits decimals, or more when the value needs more to
// read back unchanged.
TLASDecimal WrittenDecimal(double value) {
    TLASDecimal d = DecomposeValue(value);
    const TLASDecimal exact = ShortestDecimal(value);
    d.E = std::max(d.E, exact.E);
    d.Decimals = std::max(d.Decimals, exact.Decimals);
    d.Negative = exact.Negative;
    return d;
}

// Fixed-point text holds every digit of the largest double (309 integer
// digits) and of the smallest (the shortest text of 4.9e-324 has 324 decimals).
constexpr int MaxPrecision = 340;

}  // namespace

int WrapCount(int curves) { return (curves - 1) % LASWrapCount == 1 ? LASWrapCount + 1 : LASWrapCount; }

TLASRecordWriter::TLASRecordWriter(const std::vector<int>& fieldPrecisions, double nullValue)
    : FFormats(fieldPrecisions.size()), FNullValue(nullValue) {
    const TLASDecimal nd = WrittenDecimal(nullValue);
    FNullDecimals = std::max(0, nd.Decimals);
    FNullWidth = std::max(nd.E, 1) + FNullDecimals + (nd.Negative ? 1 : 0) + (FNullDecimals > 0 ? 1 : 0);
    for (size_t i = 0; i < fieldPrecisions.size(); ++i)
        if (fieldPrecisions[i] != 15) {
            FFormats[i].Precision = fieldPrecisions[i];
            FFormats[i].DefPrec = true;
        }
}

void TLASRecordWriter::Scan(const double* record) {
    for (size_t i = 0; i < FFormats.size(); ++i) {
        TLASFormatRec& f = FFormats[i];
        const double v = record[i];
        if (IsNullValue(v, FNullValue)) {
            f.Width = std::max(f.Width, FNullWidth);
            f.Precision = std::max(f.Precision, FNullDecimals);
            f.HasErr = true;
            continue;
        }
        const TLASDecimal d = WrittenDecimal(v);
        if (!f.DefPrec) f.Precision = std::max(f.Precision, d.Decimals);
        f.Width = std::max(f.Width, std::max(d.E, 1) + f.Precision + (d.Negative ? 1 : 0) + (f.Precision > 0 ? 1 : 0));
    }
}

void TLASRecordWriter::Finish() {
    for (TLASFormatRec& f : FFormats) {
        f.ErrWidth = f.HasErr ? std::max(f.Width, FNullWidth) : f.Width;
        f.ErrPrecision = FNullDecimals;
        f.sFormat = " %" + QByteArray::number(f.Width) + '.' + QByteArray::number(f.Precision) + 'f';
        f.sErrFormat = " %" + QByteArray::number(f.ErrWidth) + '.' + QByteArray::number(f.ErrPrecision) + 'f';
    }
}

void TLASRecordWriter::AppendValue(QByteArray& out, int column, double value) const {
    const TLASFormatRec& f = FFormats[size_t(column)];
    const bool isNull = IsNullValue(value, FNullValue);
    const double v = isNull ? FNullValue : value;
    const int width = isNull ? f.ErrWidth : f.Width;
    const int precision = std::clamp(isNull ? f.ErrPrecision : f.Precision, 0, MaxPrecision);
    char buf[2 * MaxPrecision + 16];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    const int len = res.ec == std::errc() ? int(res.ptr - buf) : 0;
    out.append(' ');
    if (len < width) out.append(QByteArray(width - len, ' '));
    out.append(buf, len);
}

QByteArray TLASRecordWriter::Format(const double* record) const {
    QByteArray line;
    line.reserve(qsizetype(FFormats.size()) * 12);
    for (size_t i = 0; i < FFormats.size(); ++i) AppendValue(line, int(i), record[i]);
    return line;
}

QList<QByteArray> TLASRecordWriter::Wrap(const double* record) const {
    QList<QByteArray> lines;
    const int curves = int(FFormats.size());
    if (curves == 0) return lines;
    QByteArray index;
    AppendValue(index, 0, record[0]);
    lines.append(index);
    const int n = WrapCount(curves);
    for (int first = 1; first < curves; first += n) {
        QByteArray line;
        const int last = std::min(curves, first + n);
        for (int i = first; i < last; ++i) {
            AppendValue(line, i, record[i]);
            line.append(i == curves - 1 ? " " : "  ");
        }
        lines.append(line);
    }
    for (QByteArray& l : lines)
        if (CountTokens(std::string_view(l.constData(), size_t(l.size()))) == 1) l = Trim(l);
    return lines;
}
