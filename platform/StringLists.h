#pragma once
// The old string list: delimited ("comma") text with its quoting rules and
// name=value lines.
#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

class TStringList {
public:
    TStringList() = default;
    explicit TStringList(QStringList lines) : FItems(std::move(lines)) {}

    QChar Delimiter = ',';
    QChar QuoteChar = '"';
    // With a strict delimiter only the delimiter separates items; otherwise
    // blanks and control characters do too.
    bool StrictDelimiter = false;

    int Count() const { return FItems.size(); }
    const QString& operator[](int i) const { return FItems[i]; }
    QString& operator[](int i) { return FItems[i]; }
    void Add(const QString& s) { FItems.append(s); }
    void Clear() { FItems.clear(); }
    void Delete(int i) { FItems.removeAt(i); }
    int IndexOf(const QString& s) const;  // case-insensitive
    const QStringList& Items() const { return FItems; }
    void SetItems(const QStringList& items) { FItems = items; }

    QString DelimitedText() const;
    void SetDelimitedText(const QString& text);
    QString CommaText() const;
    void SetCommaText(const QString& text);

    // Lines joined by CR LF (each line ends with one); any line break splits.
    QString Text() const;
    void SetText(const QString& text);

    // name=value lines; names compare case-insensitively.
    int IndexOfName(const QString& name) const;
    QString Names(int i) const;
    QString ValueFromIndex(int i) const;
    QString Values(const QString& name) const;
    // An empty value removes the line, as the old list did.
    void SetValue(const QString& name, const QString& value);

private:
    QStringList FItems;
};

// Quotes s with q, doubling every q inside.
QString AnsiQuotedStr(const QString& s, QChar q);

#pragma GCC visibility pop
