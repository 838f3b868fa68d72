#pragma once
// Helpers for tests that use the well database: a temporary home (the embedded
// database file lands in it) and waiting for database events.
#include "DataAccess.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "dm_Wells.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <functional>

// Runs the main thread's event loop until pred holds. Database events come
// from the engine's own thread, so this waits for them; the generous limit
// only stops a broken test from hanging.
inline bool WaitForEvents(const std::function<bool()>& pred) {
    QDeadlineTimer limit(60000);
    while (!pred() && !limit.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return pred();
}

// A second attachment, as another workstation would have.
inline TDataConnection OtherAttachment(const QString& database = EmbeddedWellDatabasePath()) {
    return TDataConnection::OpenFirebird(database, WellDatabaseUser, WellDatabasePassword());
}

// Runs statements on their own attachment and commits them.
inline void RunSql(const QStringList& statements, const QString& database = EmbeddedWellDatabasePath()) {
    TDataConnection db = OtherAttachment(database);
    db.Transaction();
    for (const QString& s : statements) db.Exec(s);
    db.Commit();
}

// A program named like the workstation (events registered, no message log).
inline void InitAsWorkstation() { InitWKConsts({}, BinDir() + QStringLiteral("/Welvista2")); }
// A program named like the acquisition program (message log written, no events).
inline void InitAsAcquisitionProgram() { InitWKConsts({}, BinDir() + QStringLiteral("/Boremont")); }
