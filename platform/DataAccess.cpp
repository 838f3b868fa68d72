#include "DataAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>

#include "StringLists.h"

#include <ibase.h>

#include <atomic>
#include <cstdarg>
#include <vector>
#include <unistd.h>

namespace {
// Set before the first use of the Firebird client, read when the program ends.
std::atomic<bool> FirebirdUsed{false};
std::atomic<bool> FirebirdEventsUsed{false};

// The client's transaction element: one database and its parameter block.
struct TTransactionElement {
    isc_db_handle* Database;
    int ParametersLength;
    const char* Parameters;
};

// The well database's transactions: read committed, the newest committed
// version of a row, and no waiting for a row another attachment has locked.
const char WellTransactionParameters[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                          isc_tpb_rec_version, isc_tpb_nowait};
}  // namespace

// Qt's Firebird driver starts every transaction, its own and those of
// single statements, with the engine's defaults (snapshot, wait), so a write
// that meets a row locked by another attachment waits until that one ends,
// and the driver has no way to pass parameters. This definition of the
// client's entry point stands before the client library's (the driver
// resolves it through the program's libraries first): a request without a
// parameter block gets the parameters above; any other passes unchanged.
extern "C" ISC_STATUS ISC_EXPORT_VARARG isc_start_transaction(ISC_STATUS* status, isc_tr_handle* transaction,
                                                              short count, ...) {
    std::vector<TTransactionElement> elements(count > 0 ? count : 0);
    va_list args;
    va_start(args, count);
    for (TTransactionElement& e : elements) {
        e.Database = va_arg(args, isc_db_handle*);
        e.ParametersLength = va_arg(args, int);
        e.Parameters = va_arg(args, const char*);
        if (e.ParametersLength == 0 || !e.Parameters) {
            e.Parameters = WellTransactionParameters;
            e.ParametersLength = int(sizeof WellTransactionParameters);
        }
    }
    va_end(args);
    return isc_start_multiple(status, transaction, count, elements.data());
}

namespace {
// The embedded engine keeps its lock files in one folder that every process
// using the same database file must share. The system default may belong to
// the server's account; a per-user folder works for any user.
void EnsureFirebirdLockFolder() {
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK")) return;
    const QString folder = QDir::tempPath() + QStringLiteral("/wk-firebird-%1").arg(getuid());
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(folder));
}

QString NewConnectionName() { return QStringLiteral("wk-") + QUuid::createUuid().toString(QUuid::WithoutBraces); }
}  // namespace

TDataConnection TDataConnection::OpenSQLite(const QString& fileName) {
    const QFileInfo fi(fileName);
    if (!fi.exists() || !fi.isFile()) throw EDatabaseError(QStringLiteral("Database file not found: ") + fileName);
    if (!fi.isReadable() || !fi.isWritable())
        throw EDatabaseError(QStringLiteral("Database file is not readable and writable: ") + fileName);
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c.FName);
    db.setDatabaseName(fi.absoluteFilePath());
    // The file was checked above: opening an existing file never creates one.
    if (!db.open()) throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(fileName, db.lastError().text()));
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw EDatabaseError(QStringLiteral("Can't read %1: %2").arg(fileName, probe.lastError().text()));
    return c;
}

TDataConnection TDataConnection::OpenFirebird(const QString& database, const QString& user, const QString& password,
                                              const QString& host) {
    FirebirdUsed = true;
    EnsureFirebirdLockFolder();
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), c.FName);
    db.setDatabaseName(host.isEmpty() ? database : host + ':' + database);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    if (!db.open()) throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(db.databaseName(), db.lastError().text()));
    return c;
}

TDataConnection TDataConnection::Attach(const TDataConnection& other) {
    if (!other.Connected()) throw EDatabaseError(QStringLiteral("Can't attach: the database is not connected"));
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::cloneDatabase(other.FName, c.FName);
    if (!db.open()) throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(db.databaseName(), db.lastError().text()));
    return c;
}

namespace {
// A database parameter block: a version byte, then tag, length and value items.
class TDpb {
public:
    TDpb() { FData += char(isc_dpb_version1); }
    void Add(char tag, const QByteArray& value) {
        FData += tag;
        FData += char(value.size());
        FData += value;
    }
    void AddInt(char tag, int value) {
        QByteArray bytes(4, 0);
        for (int i = 0; i < 4; ++i) bytes[i] = char((value >> (8 * i)) & 0xFF);
        Add(tag, bytes);
    }
    const char* Data() const { return FData.constData(); }
    short Size() const { return short(FData.size()); }

private:
    QByteArray FData;
};

QString StatusText(const ISC_STATUS* status) {
    QByteArray text;
    char buffer[512];
    while (fb_interpret(buffer, sizeof buffer, &status)) text += (text.isEmpty() ? "" : "; ") + QByteArray(buffer);
    return QString::fromUtf8(text);
}
}  // namespace

void TDataConnection::CreateFirebird(const QString& database, const QString& user, const QString& password,
                                     bool forcedWrites) {
    FirebirdUsed = true;
    EnsureFirebirdLockFolder();
    TDpb dpb;
    dpb.Add(isc_dpb_user_name, user.toUtf8());
    dpb.Add(isc_dpb_password, password.toUtf8());
    dpb.AddInt(isc_dpb_page_size, 8192);
    dpb.AddInt(isc_dpb_sql_dialect, SQL_DIALECT_V6);
    dpb.Add(isc_dpb_set_db_charset, "UTF8");
    dpb.AddInt(isc_dpb_force_write, forcedWrites ? 1 : 0);
    const QByteArray name = database.toUtf8();
    ISC_STATUS_ARRAY status{};
    isc_db_handle db = 0;
    if (isc_create_database(status, 0, name.constData(), &db, dpb.Size(), dpb.Data(), 0))
        throw EDatabaseError(QStringLiteral("Can't create %1: %2").arg(database, StatusText(status)));
    isc_detach_database(status, &db);
}

void TDataConnection::SetFirebirdForcedWrites(const QString& database, const QString& user, const QString& password,
                                              bool forcedWrites) {
    FirebirdUsed = true;
    EnsureFirebirdLockFolder();
    TDpb dpb;
    dpb.Add(isc_dpb_user_name, user.toUtf8());
    dpb.Add(isc_dpb_password, password.toUtf8());
    dpb.AddInt(isc_dpb_force_write, forcedWrites ? 1 : 0);
    const QByteArray name = database.toUtf8();
    ISC_STATUS_ARRAY status{};
    isc_db_handle db = 0;
    if (isc_attach_database(status, 0, name.constData(), &db, dpb.Size(), dpb.Data()))
        throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(database, StatusText(status)));
    isc_detach_database(status, &db);
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

bool FirebirdWasUsed() { return FirebirdUsed; }

bool FirebirdEventsWereUsed() { return FirebirdEventsUsed; }

QStringList TDataConnection::SubscribeToEvents(const QStringList& names) const {
    QSqlDriver* driver = Database().driver();
    if (!driver) return names;
    FirebirdEventsUsed = FirebirdEventsUsed || driver->dbmsType() == QSqlDriver::Interbase;
    QStringList failed;
    for (const QString& name : names)
        if (!driver->subscribeToNotification(name)) failed << name;
    return failed;
}

void ShutdownFirebird() {
    if (FirebirdUsed) fb_shutdown(0, fb_shutrsn_app_stopped);
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
