#include "SensMapFilter.h"

#include <QStringList>

const QStringList& SensMapColumns() {
    static const QStringList columns = {"System",   "Profile",       "ID",        "ExtID",     "SensName",
                                        "Units",    "Color",         "MinValue",  "MaxValue",  "IsLogarithmic",
                                        "Precision", "SensGroup",    "Offset",    "Multiplier", "Description"};
    return columns;
}

namespace {
enum class TTokenKind { End, Word, Column, Text, Number, Op, LParen, RParen };

struct TToken {
    TTokenKind Kind = TTokenKind::End;
    QString Text;
    double Number = 0;
    int Pos = 0;
};

class TFilterParser {
public:
    explicit TFilterParser(const QString& text) : FText(text) { Advance(); }

    TSensMapCondition Parse() {
        TSensMapCondition c;
        c.Sql = Expr();
        if (FTok.Kind != TTokenKind::End) Fail(QStringLiteral("unexpected \"%1\"").arg(FTok.Text));
        c.Params = FParams;
        return c;
    }

private:
    [[noreturn]] void Fail(const QString& what) const {
        throw ESensMapFilterError(
            QStringLiteral("Invalid filter expression: %1 at position %2 in \"%3\"").arg(what).arg(FTok.Pos + 1).arg(FText));
    }

    bool IsWord(const char* keyword) const {
        return FTok.Kind == TTokenKind::Word && FTok.Text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }

    bool Accept(const char* keyword) {
        if (!IsWord(keyword)) return false;
        Advance();
        return true;
    }

    QString Expr() {
        QString s = AndExpr();
        while (Accept("OR")) s = QStringLiteral("(%1 OR %2)").arg(s, AndExpr());
        return s;
    }

    QString AndExpr() {
        QString s = Unary();
        while (Accept("AND")) s = QStringLiteral("(%1 AND %2)").arg(s, Unary());
        return s;
    }

    QString Unary() {
        if (Accept("NOT")) return QStringLiteral("(NOT %1)").arg(Unary());
        if (FTok.Kind == TTokenKind::LParen) {
            Advance();
            const QString s = Expr();
            if (FTok.Kind != TTokenKind::RParen) Fail(QStringLiteral("\")\" expected"));
            Advance();
            return s;
        }
        return Comparison();
    }

    QString Column() {
        if (FTok.Kind != TTokenKind::Word && FTok.Kind != TTokenKind::Column)
            Fail(FTok.Kind == TTokenKind::End ? QStringLiteral("column name expected")
                                              : QStringLiteral("column name expected instead of \"%1\"").arg(FTok.Text));
        for (const QString& c : SensMapColumns())
            if (c.compare(FTok.Text, Qt::CaseInsensitive) == 0) {
                Advance();
                return QLatin1Char('"') + c + QLatin1Char('"');
            }
        Fail(QStringLiteral("unknown column \"%1\"").arg(FTok.Text));
    }

    QString Comparison() {
        const QString column = Column();
        if (Accept("IS")) {
            const bool negated = Accept("NOT");
            if (!Accept("NULL")) Fail(QStringLiteral("NULL expected"));
            return QStringLiteral("(%1 IS %2NULL)").arg(column, negated ? QStringLiteral("NOT ") : QString());
        }
        const bool negated = Accept("NOT");
        if (Accept("LIKE")) {
            if (FTok.Kind != TTokenKind::Text) Fail(QStringLiteral("quoted pattern expected"));
            FParams << LikePattern(FTok.Text);
            Advance();
            return QStringLiteral("(%1 %2LIKE ? ESCAPE '\\')").arg(column, negated ? QStringLiteral("NOT ") : QString());
        }
        if (negated) Fail(QStringLiteral("LIKE expected"));
        if (FTok.Kind != TTokenKind::Op) Fail(QStringLiteral("comparison expected"));
        const QString op = FTok.Text == QLatin1String("!=") ? QStringLiteral("<>") : FTok.Text;
        Advance();
        FParams << Value();
        return QStringLiteral("(%1 %2 ?)").arg(column, op);
    }

    QVariant Value() {
        QVariant v;
        if (FTok.Kind == TTokenKind::Text)
            v = FTok.Text;
        else if (FTok.Kind == TTokenKind::Number)
            v = FTok.Number;
        else if (IsWord("TRUE"))
            v = 1;
        else if (IsWord("FALSE"))
            v = 0;
        else
            Fail(FTok.Kind == TTokenKind::End ? QStringLiteral("value expected")
                                              : QStringLiteral("value expected instead of \"%1\"").arg(FTok.Text));
        Advance();
        return v;
    }

    static QString LikePattern(const QString& pattern) {
        QString r;
        for (const QChar c : pattern) {
            if (c == '*' || c == '%')
                r += '%';
            else if (c == '_' || c == '\\')
                r += QLatin1Char('\\') + c;
            else
                r += c;
        }
        return r;
    }

    void Advance() {
        const int n = FText.size();
        while (FPos < n && FText[FPos].isSpace()) ++FPos;
        FTok = TToken{};
        FTok.Pos = FPos;
        if (FPos >= n) return;
        const QChar c = FText[FPos];
        if (c == '(' || c == ')') {
            FTok.Kind = c == '(' ? TTokenKind::LParen : TTokenKind::RParen;
            FTok.Text = c;
            ++FPos;
        } else if (c == '\'') {
            ++FPos;
            QString s;
            for (;;) {
                if (FPos >= n) Fail(QStringLiteral("unterminated quoted text"));
                if (FText[FPos] == '\'') {
                    if (FPos + 1 < n && FText[FPos + 1] == '\'') {
                        s += '\'';
                        FPos += 2;
                        continue;
                    }
                    ++FPos;
                    break;
                }
                s += FText[FPos++];
            }
            FTok.Kind = TTokenKind::Text;
            FTok.Text = s;
        } else if (c == '[') {
            const int close = FText.indexOf(']', FPos + 1);
            if (close < 0) Fail(QStringLiteral("\"]\" expected"));
            FTok.Kind = TTokenKind::Column;
            FTok.Text = FText.mid(FPos + 1, close - FPos - 1).trimmed();
            FPos = close + 1;
        } else if (c.isDigit() || ((c == '-' || c == '.') && FPos + 1 < n && (FText[FPos + 1].isDigit() || FText[FPos + 1] == '.'))) {
            int end = FPos + 1;
            while (end < n && (FText[end].isDigit() || FText[end] == '.')) ++end;
            if (end < n && (FText[end] == 'e' || FText[end] == 'E')) {
                int e = end + 1;
                if (e < n && (FText[e] == '+' || FText[e] == '-')) ++e;
                if (e < n && FText[e].isDigit()) {
                    end = e;
                    while (end < n && FText[end].isDigit()) ++end;
                }
            }
            FTok.Text = FText.mid(FPos, end - FPos);
            bool ok = false;
            FTok.Number = FTok.Text.toDouble(&ok);
            if (!ok) Fail(QStringLiteral("invalid number \"%1\"").arg(FTok.Text));
            FTok.Kind = TTokenKind::Number;
            FPos = end;
        } else if (c.isLetter() || c == '_') {
            int end = FPos + 1;
            while (end < n && (FText[end].isLetterOrNumber() || FText[end] == '_')) ++end;
            FTok.Kind = TTokenKind::Word;
            FTok.Text = FText.mid(FPos, end - FPos);
            FPos = end;
        } else {
            static const char* const ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
            for (const char* op : ops) {
                const QLatin1String o(op);
                if (FText.mid(FPos, o.size()) == o) {
                    FTok.Kind = TTokenKind::Op;
                    FTok.Text = o;
                    FPos += o.size();
                    return;
                }
            }
            FTok.Text = c;
            Fail(QStringLiteral("unexpected character \"%1\"").arg(c));
        }
    }

    QString FText;
    int FPos = 0;
    TToken FTok;
    QVariantList FParams;
};
}  // namespace

TSensMapCondition ParseSensMapFilter(const QString& filter) {
    if (filter.trimmed().isEmpty()) return {};
    return TFilterParser(filter).Parse();
}
