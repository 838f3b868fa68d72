#include "WellDatabase.h"

#include "RegIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <dlfcn.h>

namespace {
bool IsLocalFile(const QString& database) {
    // "host:path" and "host/port:path" name a server; "/path" is a file.
    return database.startsWith('/') || !database.contains(':');
}

TRegIniFile Settings() { return TRegIniFile(WKRegistryKey); }

// The folder of this library, which sits in the program folder.
QString LibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath() + '/';
    return QDir::currentPath() + '/';
}
}  // namespace

QString UserTessalinePath() {
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (local.isEmpty()) return {};
    return (local.endsWith('/') ? local : local + '/') + QStringLiteral("Tessaline/");
}

QString WellServerName() { return Settings().ReadString(RemoteServerSection, ServerNameValue); }

void SetWellServerName(const QString& name) { Settings().WriteString(RemoteServerSection, ServerNameValue, name); }

QString EmbeddedWellDatabasePath() {
    QString home = UserTessalinePath();
    if (home.isEmpty()) home = LibraryFolder() + QStringLiteral("LocalDB/");
    return home + WellDatabaseAlias + QStringLiteral(".fdb");
}

QString WellSchemaFolder() { return LibraryFolder() + QStringLiteral("LocalDB/Wells/"); }

QString WellDatabaseName() {
    const QString server = WellServerName();
    return server.isEmpty() ? EmbeddedWellDatabasePath() : server + ':' + WellDatabaseAlias;
}

QString WellDatabasePassword() {
    return Settings().ReadString(RemoteServerSection, PasswordValue, DefaultWellDatabasePassword);
}

void CreateWellDatabase(const QString& database, const QString& password, const QString& schemaFolder) {
    const QDir dir(schemaFolder);
    const QStringList scripts = dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    if (scripts.isEmpty()) throw EDatabaseError(QStringLiteral("Well database schema not found in ") + schemaFolder);
    // Built without forced writes (fast); they go on once the schema is complete.
    TDataConnection::CreateFirebird(database, WellDatabaseUser, password, false);
    try {
        {
            TDataConnection db = TDataConnection::OpenFirebird(database, WellDatabaseUser, password);
            for (const QString& name : scripts) {
                QFile f(dir.filePath(name));
                if (!f.open(QIODevice::ReadOnly)) throw EDatabaseError(QStringLiteral("Can't read ") + f.fileName());
                db.ExecScript(QString::fromUtf8(f.readAll()));
            }
        }
        TDataConnection::SetFirebirdForcedWrites(database, WellDatabaseUser, password, true);
    } catch (...) {
        if (IsLocalFile(database)) QFile::remove(database);
        throw;
    }
}

void EnsureEmbeddedWellDatabase(const QString& fileName, const QString& schemaFolder) {
    if (QFileInfo::exists(fileName)) return;
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QLockFile lock(fileName + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock()) throw EDatabaseError(QStringLiteral("Can't lock ") + lock.fileName());
    if (QFileInfo::exists(fileName)) return;  // another process made it meanwhile
    // Built under another name and renamed when complete: a half-made file is never opened.
    const QString building = fileName + QStringLiteral(".new");
    QFile::remove(building);
    CreateWellDatabase(building, WellDatabasePassword(), schemaFolder);
    if (!QFile::rename(building, fileName)) {
        QFile::remove(building);
        throw EDatabaseError(QStringLiteral("Can't create ") + fileName);
    }
}

TDataConnection OpenWellDatabase() {
    const QString name = WellDatabaseName();
    if (WellServerName().isEmpty()) EnsureEmbeddedWellDatabase(name);
    return TDataConnection::OpenFirebird(name, WellDatabaseUser, WellDatabasePassword());
}

TDataConnection OpenExistingWellDatabase() {
    const QString name = WellDatabaseName();
    if (WellServerName().isEmpty() && !QFileInfo::exists(name))
        throw EDatabaseError(QStringLiteral("The well database does not exist: ") + name);
    return TDataConnection::OpenFirebird(name, WellDatabaseUser, WellDatabasePassword());
}
