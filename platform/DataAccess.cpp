#include "DataAccess.h"
#include "DataAccessNames.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>

#include "StringLists.h"

QString NewConnectionName() { return QStringLiteral("wk-") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

TDataConnection TDataConnection::OpenSQLite(const QString& fileName) {
    const QFileInfo fi(fileName);
    if (!fi.exists() || !fi.isFile()) throw EDatabaseError(QStringLiteral("Файл базы данных не найден: ") + fileName);
    if (!fi.isReadable() || !fi.isWritable())
        throw EDatabaseError(QStringLiteral("Нет прав на чтение и запись файла базы данных: ") + fileName);
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c.FName);
    db.setDatabaseName(fi.absoluteFilePath());
    // The file was checked above: opening an existing file never creates one.
    if (!db.open())
        throw EDatabaseError(QStringLiteral("Не удалось открыть базу данных %1 (%2)").arg(fileName, db.lastError().text()));
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw EDatabaseError(QStringLiteral("Файл %1 повреждён или не является базой данных (%2)")
                                 .arg(fileName, probe.lastError().text()));
    return c;
}

TDataConnection TDataConnection::Attach(const TDataConnection& other) {
    if (!other.Connected()) throw EDatabaseError(QStringLiteral("Can't attach: the database is not connected"));
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::cloneDatabase(other.FName, c.FName);
    if (!db.open()) throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(db.databaseName(), db.lastError().text()));
    return c;
}

TDataConnection::TDataConnection(TDataConnection&& other) noexcept : FName(std::move(other.FName)) {
    other.FName.clear();
}

TDataConnection& TDataConnection::operator=(TDataConnection&& other) noexcept {
    if (this != &other) {
        Close();
        FName = std::move(other.FName);
        other.FName.clear();
    }
    return *this;
}

TDataConnection::~TDataConnection() { Close(); }

void TDataConnection::Close() {
    if (FName.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(FName, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(FName);
    FName.clear();
}

bool TDataConnection::Connected() const { return !FName.isEmpty() && QSqlDatabase::database(FName, false).isOpen(); }

QSqlDatabase TDataConnection::Database() const { return QSqlDatabase::database(FName, false); }

QSqlQuery TDataConnection::Exec(const QString& sql, const QVariantList& params) const {
    QSqlQuery q(Database());
    if (!q.prepare(sql)) throw EDatabaseError(q.lastError().text() + QStringLiteral("\n") + sql);
    for (const QVariant& p : params) q.addBindValue(p);
    if (!q.exec()) throw EDatabaseError(q.lastError().text() + QStringLiteral("\n") + sql);
    return q;
}

QVariant TDataConnection::Scalar(const QString& sql, const QVariantList& params) const {
    QSqlQuery q = Exec(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

QStringList TDataConnection::SubscribeToEvents(const QStringList& names) const {
    QSqlDriver* driver = Database().driver();
    if (!driver) return names;
    QStringList failed;
    for (const QString& name : names)
        if (!driver->subscribeToNotification(name)) failed << name;
    return failed;
}

QStringList SplitSqlScript(const QString& script) {
    QStringList out;
    QString cur;
    QString term = QStringLiteral(";");
    QChar quote;
    const int n = script.size();
    const auto flush = [&]() {
        const QString statement = cur.trimmed();
        cur.clear();
        if (statement.isEmpty()) return;
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = setTerm.match(statement);
        if (m.hasMatch())
            term = m.captured(1);
        else
            out << statement;
    };
    for (int i = 0; i < n; ++i) {
        const QChar c = script[i];
        if (!quote.isNull()) {
            cur += c;
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            cur += c;
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            while (i < n && script[i] != '\n') ++i;
            cur += '\n';
        } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
            const int end = script.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 1;
            cur += ' ';
        } else if (QStringView(script).mid(i).startsWith(term)) {
            i += term.size() - 1;
            flush();
        } else {
            cur += c;
        }
    }
    flush();
    return out;
}

void TDataConnection::ExecScript(const QString& script) const {
    for (const QString& statement : SplitSqlScript(script)) {
        QSqlQuery q(Database());
        if (!q.exec(statement)) throw EDatabaseError(q.lastError().text() + QStringLiteral("\n") + statement);
    }
}

void TDataConnection::Transaction() const {
    if (!Database().transaction()) throw EDatabaseError(Database().lastError().text());
}
void TDataConnection::Commit() const {
    if (!Database().commit()) throw EDatabaseError(Database().lastError().text());
}
void TDataConnection::Rollback() const { Database().rollback(); }
