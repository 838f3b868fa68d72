#pragma once
// The catalogue's data module: the SensMap table of the local configuration
// database. Keyed look-ups and the enumeration are independent: the
// enumeration keeps its own filter and position, which no look-up, write or
// deletion touches.
#include "DataAccess.h"
#include "Mapex_TLB.h"
#include "SensMapFilter.h"

#include <QString>
#include <QStringList>
#include <limits>
#include <optional>

class TdmMAPEX {
public:
    // Chooses the database file (ChooseDatabaseFile with the user's data folder
    // and the host program's folder) and opens it.
    TdmMAPEX();
    // Opens the given file. Raises when it is missing (nothing is created),
    // unreadable, or holds no SensMap table.
    explicit TdmMAPEX(const QString& fileName);

    // The user's data folder + "Tessaline/WK.db" when that file exists,
    // otherwise hostFolder + "LocalDB/WK.db" (also when there is no data folder).
    static QString ChooseDatabaseFile(const QString& dataHome, const QString& hostFolder);

    const QString& FileName() const { return FFileName; }

    // Keyed look-ups: exact matches of all key columns; the first row in table order.
    std::optional<TParamInfo> FindByID(const QString& systemID, const QString& profile, const QString& id) const;
    std::optional<TParamInfo> FindByExtID(const QString& systemID, const QString& profile, const QString& extID) const;
    // Edits the first row with the key or appends one; System and Profile from
    // the arguments, every other column from the record. One statement: a
    // failed write changes nothing.
    void WriteByID(const QString& systemID, const QString& profile, const QString& id, const TParamInfo& info);
    void WriteByExtID(const QString& systemID, const QString& profile, const QString& extID, const TParamInfo& info);
    // Deletes the first row matching all four; nothing when there is none.
    void Delete(const QString& systemID, const QString& profile, const QString& id, const QString& extID);

    // Starts an enumeration over the rows the filter selects (all for an empty filter).
    void First(const QString& filter);
    // The current row and a move to the next; false and an empty record at the end.
    bool Next(TParamInfo& info);

    // The distinct non-empty profiles in table order of first appearance.
    QStringList Profiles() const;

private:
    std::optional<qint64> FindRow(const QString& keyColumn, const QString& systemID, const QString& profile,
                                  const QString& key) const;
    void Write(const QString& keyColumn, const QString& systemID, const QString& profile, const QString& key,
               const TParamInfo& info);

    QString FFileName;
    TDataConnection FConnection;
    // The enumeration: its condition and the row it last returned.
    TSensMapCondition FFilter;
    qint64 FLastRow = std::numeric_limits<qint64>::min();
    bool FAtEnd = false;
};
