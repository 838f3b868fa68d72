#pragma once
// Where the well database is and how it is opened: a Firebird server named in
// the settings, else an embedded database file in the user's data folder,
// created with the schema on first use. Shared by the core's well module and
// the translation library, which links nothing else of the suite.
#include "DataAccess.h"

#include <QString>

#pragma GCC visibility push(default)

// The registry key of the core's settings (an INI file, see RegIniFile.h).
inline const QString WKRegistryKey = QStringLiteral("Software\\Tessaline\\Boremont2");
// The server's alias of the well database.
inline const QString WellDatabaseAlias = QStringLiteral("Boremont");
// Section and values of the core's settings that name the server.
inline const QString RemoteServerSection = QStringLiteral("RemoteServer");
inline const QString ServerNameValue = QStringLiteral("ServerName");
inline const QString PasswordValue = QStringLiteral("Password");
inline const QString DefaultWellDatabasePassword = QStringLiteral("brindolex");
inline const QString WellDatabaseUser = QStringLiteral("SYSDBA");

// The user's local application-data folder + "Tessaline/"; empty when the
// system names none.
QString UserTessalinePath();

// The server computer of the well database (settings; empty: the embedded file).
QString WellServerName();
void SetWellServerName(const QString& name);

// The embedded well database file: the user's Tessaline folder (else the
// program folder's LocalDB/) + "Boremont.fdb".
QString EmbeddedWellDatabasePath();
// The folder of the schema scripts (*.sql, run in name order).
QString WellSchemaFolder();
// The database to connect to: "<server>:Boremont" when a server is named in
// the settings, else the embedded file.
QString WellDatabaseName();
QString WellDatabasePassword();

// Creates database (a file or "server:path") and runs every script of
// schemaFolder on it. A failure leaves no database file behind when the
// database is a local file.
void CreateWellDatabase(const QString& database, const QString& password, const QString& schemaFolder);
// Creates the embedded file with the schema when it does not exist yet;
// concurrent first uses by several processes create it once.
void EnsureEmbeddedWellDatabase(const QString& fileName, const QString& schemaFolder = WellSchemaFolder());
// Opens the well database the settings name, creating the embedded one on first use.
TDataConnection OpenWellDatabase();
// Opens the well database the settings name; a missing embedded file is an
// error and nothing is created (readers that have nothing to read without it).
TDataConnection OpenExistingWellDatabase();

#pragma GCC visibility pop
