// The Firebird half of the data access layer (DataAccess.h): opening,
// creating and setting up well databases, the client's transaction
// parameters and its shutdown. It lives in the platform library that links
// the Firebird client; the SQLite half (DataAccess.cpp) needs Qt SQL only, so
// that programs that only touch SQLite files do not load the client.
#include "DataAccess.h"
#include "DataAccessNames.h"

#include <QDir>
#include <QFile>
#include <QSqlError>

#include <ibase.h>

#include <atomic>
#include <cstdarg>
#include <vector>
#include <unistd.h>

namespace {
// Set before the first use of the Firebird client, read when the program ends.
std::atomic<bool> FirebirdUsed{false};

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
// Exported explicitly: the library hides what its headers do not declare.
extern "C" __attribute__((visibility("default"))) ISC_STATUS ISC_EXPORT_VARARG isc_start_transaction(
    ISC_STATUS* status, isc_tr_handle* transaction, short count, ...) {
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

// Every entry into the client: remembered for the shutdown, lock folder set.
void UseFirebirdClient() {
    FirebirdUsed = true;
    EnsureFirebirdLockFolder();
}
}  // namespace

TDataConnection TDataConnection::OpenFirebird(const QString& database, const QString& user, const QString& password,
                                              const QString& host) {
    UseFirebirdClient();
    TDataConnection c(NewConnectionName());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), c.FName);
    db.setDatabaseName(host.isEmpty() ? database : host + ':' + database);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    if (!db.open()) throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(db.databaseName(), db.lastError().text()));
    return c;
}

namespace {
// A database parameter block: a version byte, then tag, length and value items.
class TDpb {
public:
    // With the user's name and password, as every attachment needs.
    TDpb(const QString& user, const QString& password) {
        FData += char(isc_dpb_version1);
        Add(isc_dpb_user_name, user.toUtf8());
        Add(isc_dpb_password, password.toUtf8());
    }
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
    UseFirebirdClient();
    TDpb dpb(user, password);
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
    UseFirebirdClient();
    TDpb dpb(user, password);
    dpb.AddInt(isc_dpb_force_write, forcedWrites ? 1 : 0);
    const QByteArray name = database.toUtf8();
    ISC_STATUS_ARRAY status{};
    isc_db_handle db = 0;
    if (isc_attach_database(status, 0, name.constData(), &db, dpb.Size(), dpb.Data()))
        throw EDatabaseError(QStringLiteral("Can't open %1: %2").arg(database, StatusText(status)));
    isc_detach_database(status, &db);
}

bool FirebirdWasUsed() { return FirebirdUsed; }

void ShutdownFirebird() {
    if (FirebirdUsed) fb_shutdown(0, fb_shutrsn_app_stopped);
}
