#pragma once
// Making a local configuration database from its SQL scripts: the build makes
// LocalDB/WK.db this way, and tests make their own copies in temporary folders.
#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

// The *.sql files of a folder, sorted by file name (plain character order).
QStringList LocalDatabaseScripts(const QString& folder);

// Creates fileName from the scripts, applied in the given order in one
// transaction. The file is written under a temporary name and moved into place
// only when every script succeeded, so a failure leaves any earlier file as it
// was. Raises EDatabaseError naming the failing script.
void BuildLocalDatabase(const QString& fileName, const QStringList& scripts);

#pragma GCC visibility pop
