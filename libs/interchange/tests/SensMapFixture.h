#pragma once
// A catalogue database in a temporary XDG home, built from the schema the
// configuration uses, and the Mapex module registered in that home's settings.
#include "DataAccess.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QString>

// Creates an empty SQLite file holding the SensMap table (and the default
// profile rows when withDefaults is set).
inline void CreateCatalogueFile(const QString& fileName, bool withDefaults = false) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly)) throw Exception(QStringLiteral("Can't create ") + fileName);
    f.close();
    const TDataConnection c = TDataConnection::OpenSQLite(fileName);
    QStringList scripts{SourceDir() + QStringLiteral("/config/local/15-sensmap.sql")};
    if (withDefaults) scripts << SourceDir() + QStringLiteral("/config/local/60-sensmap-default.sql");
    for (const QString& s : scripts) {
        QFile sql(s);
        if (!sql.open(QIODevice::ReadOnly)) throw Exception(QStringLiteral("Can't read ") + s);
        c.ExecScript(QString::fromUtf8(sql.readAll()));
    }
}

inline QString MapexModule() { return BinDir() + QStringLiteral("/Mapex.so"); }

// The database file the module opens first under a temporary home.
inline QString HomeCatalogueFile(const TTempXdgHome& home) { return home.DataHome() + QStringLiteral("/Tessaline/WK.db"); }
