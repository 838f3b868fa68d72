#include "Formatting.h"

#include "Exceptions.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// Decimal digits of |value| rounded half away from zero (as the old runtime did)
// to `decimals` places, taken from its 18 significant digits.
struct TDecimal {
    std::string Int;   // no leading zeros; empty for 0
    std::string Frac;  // exactly `decimals` digits
};

TDecimal RoundDecimal(double value, int decimals) {
    TDecimal r;
    value = std::fabs(value);
    std::string digits;
    int point = 0;  // digits before the decimal point
    if (value != 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17e", value);
        std::string s(buf);
        const auto e = s.find('e');
        digits = s.substr(0, 1) + s.substr(2, e - 2);
        point = std::stoi(s.substr(e + 1)) + 1;
    }
    const int keep = point + decimals;
    if (keep < 0 || digits.empty()) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0)
                ++digits[i];
            else {
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
    }
    // Lay the digits out around the decimal point.
    std::string all;
    if (point <= 0) {
        all = std::string(static_cast<size_t>(-point), '0') + digits;
        point = 0;
    } else {
        all = digits;
    }
    if (static_cast<int>(all.size()) < point + decimals) all.resize(point + decimals, '0');
    r.Int = all.substr(0, point);
    r.Frac = all.substr(point, decimals);
    size_t nz = r.Int.find_first_not_of('0');
    r.Int = nz == std::string::npos ? std::string() : r.Int.substr(nz);
    return r;
}

bool IsZero(const TDecimal& d) {
    return d.Int.empty() && d.Frac.find_first_not_of('0') == std::string::npos;
}

QStringList SplitSections(const QString& format) {
    QStringList sections;
    QString cur;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            cur += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            cur += c;
        } else if (c == ';') {
            sections << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    sections << cur;
    return sections;
}

struct TSectionInfo {
    int IntPlaceholders = 0;
    int IntMin = 0;  // forced integer digits
    int FracPlaceholders = 0;
    int FracMin = 0;
    bool Thousands = false;
    bool Scientific = false;
    int ExpDigits = 0;
};

TSectionInfo Analyse(const QString& s) {
    TSectionInfo info;
    bool afterPoint = false;
    int firstIntZero = -1;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == '"' || c == '\'') {
            const int j = s.indexOf(c, i + 1);
            i = j < 0 ? s.size() : j;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++info.FracPlaceholders;
                if (c == '0') info.FracMin = info.FracPlaceholders;
            } else {
                if (c == '0' && firstIntZero < 0) firstIntZero = info.IntPlaceholders;
                ++info.IntPlaceholders;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            info.Thousands = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
            info.Scientific = true;
            int j = i + 2;
            while (j < s.size() && s[j] == '0') ++j;
            info.ExpDigits = std::min(4, j - (i + 2));
            break;
        }
    }
    if (firstIntZero >= 0) info.IntMin = info.IntPlaceholders - firstIntZero;
    return info;
}

QString Group(const std::string& digits) {
    QString out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += QChar(digits[i]);
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    return out;
}

QString FormatSection(const QString& s, const TSectionInfo& info, double value, bool withSign) {
    TDecimal d;
    int exponent = 0;
    if (info.Scientific) {
        const int intDigits = std::max(1, info.IntPlaceholders);
        if (value != 0 && std::isfinite(value)) {
            exponent = static_cast<int>(std::floor(std::log10(std::fabs(value)))) - (intDigits - 1);
            d = RoundDecimal(std::fabs(value) / std::pow(10.0, exponent), info.FracPlaceholders);
            if (static_cast<int>(d.Int.size()) > intDigits) {  // 9.99 rounded up to 10.0
                ++exponent;
                d = RoundDecimal(std::fabs(value) / std::pow(10.0, exponent), info.FracPlaceholders);
            }
        } else {
            d = RoundDecimal(0, info.FracPlaceholders);
        }
    } else {
        d = RoundDecimal(value, info.FracPlaceholders);
    }
    std::string intPart = d.Int;
    if (static_cast<int>(intPart.size()) < info.IntMin)
        intPart.insert(0, std::string(info.IntMin - intPart.size(), '0'));
    std::string frac = d.Frac;
    while (static_cast<int>(frac.size()) > info.FracMin && !frac.empty() && frac.back() == '0') frac.pop_back();

    QString out;
    if (withSign && value < 0 && !(IsZero(d) && !info.Scientific)) out += '-';
    bool afterPoint = false;
    bool intWritten = false;
    int fracIndex = 0;
    auto writeInt = [&] {
        if (!intWritten) {
            out += info.Thousands ? Group(intPart) : QString::fromStdString(intPart);
            intWritten = true;
        }
    };
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == '"' || c == '\'') {
            const int j = s.indexOf(c, i + 1);
            const int end = j < 0 ? s.size() : j;
            out += s.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == '0' || c == '#') {
            if (!afterPoint) {
                writeInt();
            } else if (fracIndex < static_cast<int>(frac.size())) {
                out += QChar(frac[fracIndex++]);
            }
        } else if (c == '.') {
            if (!afterPoint) {
                writeInt();
                afterPoint = true;
                if (!frac.empty()) out += '.';
            }
        } else if (c == ',') {
            // grouping only
        } else if (info.Scientific && (c == 'E' || c == 'e') && i + 1 < s.size() &&
                   (s[i + 1] == '+' || s[i + 1] == '-')) {
            writeInt();
            out += c;
            if (exponent < 0)
                out += '-';
            else if (s[i + 1] == '+')
                out += '+';
            QString e = QString::number(std::abs(exponent));
            while (e.size() < info.ExpDigits) e.prepend('0');
            out += e;
            i += 2;
            while (i < s.size() && s[i] == '0') ++i;
            --i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString FloatToStrGeneral(double value, int precision) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (precision <= 0 || precision > 15) precision = 15;
    if (value == 0) return QStringLiteral("0");
    // 17 significant digits, then rounded half away from zero as the old runtime did.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.16e", value);
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const auto e = s.find('e');
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
    int exp = std::stoi(s.substr(e + 1));
    const size_t keep = static_cast<size_t>(precision);
    if (digits.size() > keep) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            int i = static_cast<int>(keep) - 1;
            while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++exp;
            } else {
                ++digits[static_cast<size_t>(i)];
            }
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out(negative ? "-" : "");
    if (exp + 1 > precision || exp < -4) {
        out.append(digits, 0, 1);
        if (digits.size() > 1) out.append(1, '.').append(digits, 1);
        out.append(1, 'E').append(std::to_string(exp));
    } else if (exp < 0) {
        out.append("0.").append(static_cast<size_t>(-exp - 1), '0').append(digits);
    } else {
        const size_t intLen = static_cast<size_t>(exp) + 1;
        if (digits.size() <= intLen)
            out.append(digits).append(intLen - digits.size(), '0');
        else
            out.append(digits, 0, intLen).append(1, '.').append(digits, intLen);
    }
    return QString::fromStdString(out);
}

QString FloatToStr(double value) { return FloatToStrGeneral(value, 15); }

QString FloatToStrFixed(double value, int digits) {
    if (std::isnan(value) || std::isinf(value)) return FloatToStr(value);
    const TDecimal d = RoundDecimal(value, std::max(0, digits));
    QString out = (value < 0 && !IsZero(d)) ? QStringLiteral("-") : QString();
    out += d.Int.empty() ? QStringLiteral("0") : QString::fromStdString(d.Int);
    if (digits > 0) out += '.' + QString::fromStdString(d.Frac);
    return out;
}

QString FormatFloat(const QString& format, double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (format.isEmpty()) return FloatToStr(value);
    const QStringList sections = SplitSections(format);
    int index = 0;
    bool withSign = true;
    if (value < 0 && sections.size() > 1 && !sections[1].isEmpty()) {
        index = 1;
        withSign = false;
    }
    const TSectionInfo info = Analyse(sections[index]);
    if (sections.size() > 2 && !sections[2].isEmpty() && !info.Scientific &&
        IsZero(RoundDecimal(value, info.FracPlaceholders))) {
        return FormatSection(sections[2], Analyse(sections[2]), 0.0, false);
    }
    return FormatSection(sections[index], info, index == 1 ? std::fabs(value) : value, withSign);
}

bool TryStrToFloat(const QString& text, double& value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    // Decimal syntax only: sign, digits, one '.', optional exponent.
    int i = 0;
    const int n = t.size();
    if (t[i] == '+' || t[i] == '-') ++i;
    int digits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) ++i, ++digits;
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        int ed = 0;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) ++i, ++ed;
        if (ed == 0) return false;
    }
    if (i != n) return false;
    // from_chars ignores the C locale, which Qt sets from the environment.
    const QByteArray latin = t.toLatin1();
    const char* first = latin.constData() + (latin.startsWith('+') ? 1 : 0);
    const auto r = std::from_chars(first, latin.constData() + latin.size(), value);
    return r.ec == std::errc() && r.ptr == latin.constData() + latin.size();
}

double StrToFloat(const QString& text) {
    double v = 0;
    if (!TryStrToFloat(text, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

double StrToFloatDef(const QString& text, double def) {
    double v = 0;
    return TryStrToFloat(text, v) ? v : def;
}

int StrToInt(const QString& text) {
    bool ok = false;
    QString t = text.trimmed();
    int v = 0;
    if (t.startsWith('$'))
        v = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith("0x", Qt::CaseInsensitive))
        v = t.mid(2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}

int StrToIntDef(const QString& text, int def) {
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        return def;
    }
}

namespace {
// True when value converts to a 64-bit integer without overflow.
bool FitsInt64(double value) { return std::isfinite(value) && value >= -9223372036854775808.0 && value < 9223372036854775808.0; }
}  // namespace

int64_t Round(double value) {
    const double r = std::isfinite(value) ? std::nearbyint(value) : value;
    if (!FitsInt64(r)) throw EConvertError(QStringLiteral("Invalid floating point operation"));
    return static_cast<int64_t>(r);
}

int64_t Trunc(double value) {
    const double t = std::isfinite(value) ? std::trunc(value) : value;
    if (!FitsInt64(t)) throw EConvertError(QStringLiteral("Invalid floating point operation"));
    return static_cast<int64_t>(t);
}

double Frac(double value) { return value - std::trunc(value); }

namespace {
const QDate BaseDate(1899, 12, 30);
constexpr double MSecsPerDay = 86400000.0;
// Day numbers of 0001-01-01 00:00 and of the end of 9999-12-31.
constexpr double MinDateTime = -693593.0;
constexpr double MaxDateTime = 2958466.0;
}  // namespace

bool IsValidDateTime(TDateTime value) { return std::isfinite(value) && value >= MinDateTime && value < MaxDateTime; }

TDateTime EncodeDate(int year, int month, int day) {
    const QDate d(year, month, day);
    if (!d.isValid()) throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return static_cast<double>(BaseDate.daysTo(d));
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MSecsPerDay;
}

namespace {
// Splits a day number into its date and the milliseconds of its day; the
// fraction counts forward from midnight also for days before 1899-12-30.
// A value that is no valid date-time gives a null date and 0.
void Split(TDateTime value, QDate& date, int& msecs) {
    if (!IsValidDateTime(value)) {
        date = QDate();
        msecs = 0;
        return;
    }
    double day = std::trunc(value);
    double ms = std::nearbyint(std::fabs(value - day) * MSecsPerDay);
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        day += value < 0 ? -1 : 1;
    }
    date = BaseDate.addDays(static_cast<qint64>(day));
    msecs = static_cast<int>(ms);
}
}  // namespace

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    QDate d;
    int ms = 0;
    Split(value, d, ms);
    d.getDate(&year, &month, &day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    QDate d;
    int ms = 0;
    Split(value, d, ms);
    hour = ms / 3600000;
    minute = ms / 60000 % 60;
    second = ms / 1000 % 60;
    msec = ms % 1000;
}

QDateTime DateTimeToQDateTime(TDateTime value) {
    QDate d;
    int ms = 0;
    Split(value, d, ms);
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(ms));
}

TDateTime QDateTimeToDateTime(const QDateTime& value) {
    const double days = static_cast<double>(BaseDate.daysTo(value.date()));
    const double frac = value.time().msecsSinceStartOfDay() / MSecsPerDay;
    return days >= 0 ? days + frac : days - frac;
}

TDateTime Now() { return QDateTimeToDateTime(QDateTime::currentDateTime()); }
TDateTime Date() { return std::trunc(Now()); }

QString FormatDateTime(const QString& format, TDateTime value) {
    static const char* const ShortDays[] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
    static const char* const LongDays[] = {"понедельник", "вторник", "среда", "четверг", "пятница", "суббота",
                                           "воскресенье"};
    static const char* const ShortMonths[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                              "июл", "авг", "сен", "окт", "ноя", "дек"};
    static const char* const LongMonths[] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                             "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    // Years 1 to 9999 only: anything else has no text (and converts nothing).
    if (!IsValidDateTime(value)) return {};
    QDate date;
    int ms = 0;
    Split(value, date, ms);
    const int hour = ms / 3600000, minute = ms / 60000 % 60, second = ms / 1000 % 60, msec = ms % 1000;
    auto pad = [](int v, int w) { return QString::number(v).rightJustified(w, '0'); };

    QString out;
    bool lastWasHour = false;
    const QString f = format.isEmpty() ? QStringLiteral("c") : format;
    int i = 0;
    const int n = f.size();
    auto run = [&](QChar c) {
        int k = i;
        while (k < n && f[k].toLower() == c) ++k;
        return k - i;
    };
    while (i < n) {
        const QChar c = f[i];
        const QChar lc = c.toLower();
        if (c == '"' || c == '\'') {
            const int j = f.indexOf(c, i + 1);
            const int end = j < 0 ? n : j;
            out += f.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (f.mid(i, 5).compare("am/pm", Qt::CaseInsensitive) == 0) {
            out += hour < 12 ? f.mid(i, 2) : f.mid(i + 3, 2);
            i += 5;
            continue;
        }
        if (f.mid(i, 3).compare("a/p", Qt::CaseInsensitive) == 0) {
            out += hour < 12 ? f.mid(i, 1) : f.mid(i + 2, 1);
            i += 3;
            continue;
        }
        bool hourToken = false;
        int len = 1;
        if (lc == 'd') {
            len = run('d');
            const int dow = date.dayOfWeek() - 1;
            switch (std::min(len, 6)) {
            case 1: out += QString::number(date.day()); break;
            case 2: out += pad(date.day(), 2); break;
            case 3: out += QString::fromUtf8(ShortDays[dow]); break;
            case 4: out += QString::fromUtf8(LongDays[dow]); break;
            case 5: out += FormatDateTime(ShortDateFormat, value); break;
            default: out += FormatDateTime(QStringLiteral("d mmmm yyyy"), value); break;
            }
        } else if (lc == 'm') {
            len = run('m');
            if (lastWasHour && len <= 2) {
                out += len == 1 ? QString::number(minute) : pad(minute, 2);
            } else {
                switch (std::min(len, 4)) {
                case 1: out += QString::number(date.month()); break;
                case 2: out += pad(date.month(), 2); break;
                case 3: out += QString::fromUtf8(ShortMonths[date.month() - 1]); break;
                default: out += QString::fromUtf8(LongMonths[date.month() - 1]); break;
                }
            }
        } else if (lc == 'y') {
            len = run('y');
            out += len <= 2 ? pad(date.year() % 100, 2) : pad(date.year(), 4);
        } else if (lc == 'h') {
            len = run('h');
            out += len == 1 ? QString::number(hour) : pad(hour, 2);
            hourToken = true;
        } else if (lc == 'n') {
            len = run('n');
            out += len == 1 ? QString::number(minute) : pad(minute, 2);
        } else if (lc == 's') {
            len = run('s');
            out += len == 1 ? QString::number(second) : pad(second, 2);
        } else if (lc == 'z') {
            len = run('z');
            out += len < 3 ? QString::number(msec) : pad(msec, 3);
        } else if (lc == 't') {
            len = run('t');
            out += FormatDateTime(len == 1 ? ShortTimeFormat : LongTimeFormat, value);
        } else if (lc == 'c') {
            out += FormatDateTime(ShortDateFormat, value);
            if (ms != 0) out += ' ' + FormatDateTime(LongTimeFormat, value);
        } else if (c == '/') {
            out += '.';
        } else {
            out += c;
        }
        if (lc.isLetter()) lastWasHour = hourToken;
        i += len;
    }
    return out;
}

QString DateToStr(TDateTime value) { return FormatDateTime(ShortDateFormat, value); }
QString TimeToStr(TDateTime value) { return FormatDateTime(LongTimeFormat, value); }
QString DateTimeToStr(TDateTime value) { return FormatDateTime(QStringLiteral("c"), value); }
