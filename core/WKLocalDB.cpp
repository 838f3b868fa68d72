#include "WKLocalDB.h"

#include "DataAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList LocalDatabaseScripts(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists()) throw EDatabaseError(QStringLiteral("Script folder not found: ") + folder);
    QStringList names = dir.entryList({QStringLiteral("*.sql")}, QDir::Files);
    // Plain character order, whatever the locale: "10-x.sql" before "15-y.sql" before "9-z.sql".
    std::sort(names.begin(), names.end());
    QStringList files;
    for (const QString& n : std::as_const(names)) files << dir.filePath(n);
    return files;
}

namespace {
QString ReadScript(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Can't read %1: %2").arg(fileName, f.errorString()));
    return QString::fromUtf8(f.readAll());
}

void ApplyScripts(const QString& fileName, const QStringList& scripts) {
    {
        QFile empty(fileName);
        // SQLite takes an empty file as a new database; the connection itself never creates one.
        if (!empty.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EDatabaseError(QStringLiteral("Can't create %1: %2").arg(fileName, empty.errorString()));
    }
    TDataConnection db = TDataConnection::OpenSQLite(fileName);
    db.Transaction();
    for (const QString& script : scripts) {
        try {
            db.ExecScript(ReadScript(script));
        } catch (const Exception& e) {
            db.Rollback();
            throw EDatabaseError(QFileInfo(script).fileName() + QStringLiteral(": ") + e.Message());
        }
    }
    db.Commit();
}
}  // namespace

void BuildLocalDatabase(const QString& fileName, const QStringList& scripts) {
    const QFileInfo target(fileName);
    if (!QDir().mkpath(target.absolutePath()))
        throw EDatabaseError(QStringLiteral("Can't create the folder of ") + fileName);
    const QString temp = target.absoluteFilePath() + QStringLiteral(".new");
    QFile::remove(temp);
    try {
        ApplyScripts(temp, scripts);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    if (QFile::exists(fileName) && !QFile::remove(fileName)) {
        QFile::remove(temp);
        throw EDatabaseError(QStringLiteral("Can't replace ") + fileName);
    }
    if (!QFile::rename(temp, fileName)) {
        QFile::remove(temp);
        throw EDatabaseError(QStringLiteral("Can't move %1 to %2").arg(temp, fileName));
    }
}
