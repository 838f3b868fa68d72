#pragma once
// One thin layer over Qt SQL for both databases: the local SQLite file and the
// Firebird well database. Failures raise EDatabaseError with the driver's text.
#include "Exceptions.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

#pragma GCC visibility push(default)

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

class TDataConnection {
public:
    // Opens an existing SQLite file read-write; a missing or unreadable file is
    // an error and nothing is created.
    static TDataConnection OpenSQLite(const QString& fileName);
    // Opens a Firebird database ("host:path" or a local file for the embedded engine).
    static TDataConnection OpenFirebird(const QString& database, const QString& user, const QString& password,
                                        const QString& host = {});
    // Creates a new, empty Firebird database (UTF8 by default) and leaves it
    // closed; database is a file for the embedded engine or "host[/port]:path".
    // Without forced writes a bulk of statements runs much faster, but a crash
    // may lose committed work: switch them on once the database is built.
    static void CreateFirebird(const QString& database, const QString& user, const QString& password,
                               bool forcedWrites = true);
    // A new attachment to the database of other with the same settings, so
    // that its transactions stand apart from other's.
    static TDataConnection Attach(const TDataConnection& other);
    static void SetFirebirdForcedWrites(const QString& database, const QString& user, const QString& password,
                                        bool forcedWrites);

    // Not connected; statements on it fail.
    TDataConnection() = default;
    TDataConnection(TDataConnection&& other) noexcept;
    TDataConnection& operator=(TDataConnection&& other) noexcept;
    TDataConnection(const TDataConnection&) = delete;
    TDataConnection& operator=(const TDataConnection&) = delete;
    ~TDataConnection();

    bool Connected() const;
    QSqlDatabase Database() const;
    const QString& ConnectionName() const { return FName; }

    // Prepares and runs sql with positional (?) parameters; the query is positioned before its first row.
    QSqlQuery Exec(const QString& sql, const QVariantList& params = {}) const;
    // The first column of the first row, or an invalid QVariant when there is no row.
    QVariant Scalar(const QString& sql, const QVariantList& params = {}) const;
    // Runs a script of statements separated by ';' at line ends (comments "--" skipped).
    void ExecScript(const QString& script) const;

    // Subscribes to the database events (Firebird POST_EVENT); the names that
    // could not be subscribed. Events arrive as the driver's notifications.
    QStringList SubscribeToEvents(const QStringList& names) const;

    void Transaction() const;
    void Commit() const;
    void Rollback() const;

private:
    explicit TDataConnection(QString name) : FName(std::move(name)) {}
    void Close();
    QString FName;
};

// Stops the Firebird client's and the embedded engine's threads. Called once when
// the program ends, after every connection is closed; engine threads still
// running at exit would otherwise outlive the program's own shutdown.
void ShutdownFirebird();
// True once this process has opened or created a Firebird database.
bool FirebirdWasUsed();

// Splits a SQL script into statements at ';' outside quotes; drops "--" and
// block comments. "SET TERM x ;" changes the terminator as isql does, so
// trigger bodies with ';' inside can stand between "SET TERM ^ ;" and "SET TERM ; ^".
QStringList SplitSqlScript(const QString& script);

#pragma GCC visibility pop
