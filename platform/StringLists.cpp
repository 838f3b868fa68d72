#include "StringLists.h"

QString AnsiQuotedStr(const QString& s, QChar q) {
    QString r = s;
    r.replace(q, QString(2, q));
    return q + r + q;
}

int TStringList::IndexOf(const QString& s) const {
    for (int i = 0; i < FItems.size(); ++i)
        if (FItems[i].compare(s, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TStringList::DelimitedText() const {
    if (FItems.size() == 1 && FItems[0].isEmpty()) return QString(2, QuoteChar);
    QStringList parts;
    for (const QString& s : FItems) {
        bool quote = false;
        for (QChar c : s) {
            if (c == QuoteChar || c == Delimiter || (!StrictDelimiter && c.unicode() <= ' ')) {
                quote = true;
                break;
            }
        }
        parts << (quote ? AnsiQuotedStr(s, QuoteChar) : s);
    }
    return parts.join(Delimiter);
}

void TStringList::SetDelimitedText(const QString& text) {
    FItems.clear();
    const int n = text.size();
    int p = 0;
    auto blank = [&](int i) { return i < n && text[i].unicode() >= 1 && text[i].unicode() <= ' '; };
    while (blank(p)) ++p;
    while (p < n) {
        QString s;
        if (text[p] == QuoteChar) {
            ++p;
            while (p < n) {
                if (text[p] == QuoteChar) {
                    if (p + 1 < n && text[p + 1] == QuoteChar) {
                        s += QuoteChar;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                s += text[p++];
            }
        } else {
            const int start = p;
            while (p < n && text[p] != Delimiter && (StrictDelimiter || text[p].unicode() > ' ')) ++p;
            s = text.mid(start, p - start);
        }
        FItems.append(s);
        if (!StrictDelimiter)
            while (blank(p)) ++p;
        if (p < n && text[p] == Delimiter) {
            if (p + 1 == n) FItems.append(QString());
            do {
                ++p;
            } while (!StrictDelimiter && blank(p));
        } else if (p < n && text[p] != Delimiter && StrictDelimiter == false && text[p] != QuoteChar) {
            // Text right after a closing quote continues as a new item.
        }
    }
}

QString TStringList::CommaText() const {
    TStringList copy = *this;
    copy.Delimiter = ',';
    copy.QuoteChar = '"';
    copy.StrictDelimiter = false;
    return copy.DelimitedText();
}

void TStringList::SetCommaText(const QString& text) {
    TStringList copy;
    copy.SetDelimitedText(text);
    FItems = copy.FItems;
}

QString TStringList::Text() const {
    QString r;
    for (const QString& s : FItems) r += s + QStringLiteral("\r\n");
    return r;
}

void TStringList::SetText(const QString& text) {
    FItems.clear();
    QString cur;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == '\r' || c == '\n') {
            FItems.append(cur);
            cur.clear();
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty()) FItems.append(cur);
}

int TStringList::IndexOfName(const QString& name) const {
    for (int i = 0; i < FItems.size(); ++i) {
        const int eq = FItems[i].indexOf('=');
        if (eq >= 0 && FItems[i].left(eq).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TStringList::Names(int i) const {
    const int eq = FItems[i].indexOf('=');
    return eq < 0 ? QString() : FItems[i].left(eq);
}

QString TStringList::ValueFromIndex(int i) const {
    const int eq = FItems[i].indexOf('=');
    return eq < 0 ? QString() : FItems[i].mid(eq + 1);
}

QString TStringList::Values(const QString& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStringList::SetValue(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) FItems.removeAt(i);
        return;
    }
    if (i >= 0)
        FItems[i] = name + '=' + value;
    else
        FItems.append(name + '=' + value);
}
