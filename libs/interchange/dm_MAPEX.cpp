#include "dm_MAPEX.h"

#include "CmdLine.h"
#include "DebugOutput.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {
const QString DatabaseName = QStringLiteral("WK.db");

// The record's columns, in the order RowToInfo reads them.
const QString InfoColumns = QStringLiteral(
    "\"ID\", \"ExtID\", \"SensName\", \"Units\", \"Description\", \"Color\", \"MinValue\", \"MaxValue\", "
    "\"IsLogarithmic\", \"Precision\", \"SensGroup\", \"Offset\", \"Multiplier\"");

TParamInfo RowToInfo(const QSqlQuery& q, int first) {
    TParamInfo r;
    r.ID = q.value(first + 0).toString();
    r.ExtID = q.value(first + 1).toString();
    r.Name = q.value(first + 2).toString();
    r.Units = q.value(first + 3).toString();
    r.Description = q.value(first + 4).toString();
    r.Color = q.value(first + 5).toInt();
    r.Min = float(q.value(first + 6).toDouble());
    r.Max = float(q.value(first + 7).toDouble());
    r.IsLogarithmic = q.value(first + 8).toBool();
    r.Precision = int16_t(q.value(first + 9).toInt());
    r.Group = q.value(first + 10).toString();
    r.Offset = float(q.value(first + 11).toDouble());
    r.Multiplier = float(q.value(first + 12).toDouble());
    return r;
}

QVariantList InfoValues(const QString& systemID, const QString& profile, const TParamInfo& i) {
    return {systemID, profile,     i.ID,          i.ExtID,     i.Name,  i.Units, i.Color,
            double(i.Min), double(i.Max), i.IsLogarithmic ? 1 : 0, int(i.Precision), i.Group,
            double(i.Offset), double(i.Multiplier), i.Description};
}

const QString WriteColumns = QStringLiteral(
    "\"System\", \"Profile\", \"ID\", \"ExtID\", \"SensName\", \"Units\", \"Color\", \"MinValue\", \"MaxValue\", "
    "\"IsLogarithmic\", \"Precision\", \"SensGroup\", \"Offset\", \"Multiplier\", \"Description\"");

TDataConnection OpenDatabase(const QString& fileName) {
    try {
        OutputDebugString(QStringLiteral("MAPEX DB: ") + fileName);
        TDataConnection c = TDataConnection::OpenSQLite(fileName);
        c.Exec(QStringLiteral("SELECT %1 FROM \"SensMap\" LIMIT 0").arg(InfoColumns));
        return c;
    } catch (const std::exception& e) {
        OutputDebugString(QStringLiteral("MAPEX DB: TdmMAPEX.DataModuleCreate exception ") + ExceptionMessage(e));
        throw;
    }
}
}  // namespace

QString TdmMAPEX::ChooseDatabaseFile(const QString& dataHome, const QString& hostFolder) {
    QString host = hostFolder;
    if (!host.endsWith('/')) host += '/';
    const QString fallback = host + QStringLiteral("LocalDB/") + DatabaseName;
    if (dataHome.isEmpty()) return fallback;
    QString candidate = dataHome;
    if (!candidate.endsWith('/')) candidate += '/';
    candidate += QStringLiteral("Tessaline/") + DatabaseName;
    OutputDebugString(QStringLiteral("MAPEX DB: mdb path = ") + candidate);
    if (QFileInfo::exists(candidate)) return candidate;
    OutputDebugString(QStringLiteral("MAPEX DB: mdb not found ") + candidate);
    return fallback;
}

TdmMAPEX::TdmMAPEX()
    : TdmMAPEX(ChooseDatabaseFile(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                  QFileInfo(ProgramFileName()).absolutePath())) {}

TdmMAPEX::TdmMAPEX(const QString& fileName) : FFileName(fileName), FConnection(OpenDatabase(fileName)) {}

// Key texts compare with empty and missing (null) texts alike on both sides:
// a null QString binds as SQL NULL, and an empty column of a row may be NULL.
std::optional<qint64> TdmMAPEX::FindRow(const QString& keyColumn, const QString& systemID, const QString& profile,
                                        const QString& key) const {
    QSqlQuery q = FConnection.Exec(
        QStringLiteral("SELECT rowid FROM \"SensMap\" WHERE IFNULL(\"System\", '') = IFNULL(?, '') "
                       "AND IFNULL(\"Profile\", '') = IFNULL(?, '') AND IFNULL(\"%1\", '') = IFNULL(?, '') "
                       "ORDER BY rowid LIMIT 1")
            .arg(keyColumn),
        {systemID, profile, key});
    if (!q.next()) return std::nullopt;
    return q.value(0).toLongLong();
}

std::optional<TParamInfo> TdmMAPEX::FindByID(const QString& systemID, const QString& profile, const QString& id) const {
    const auto row = FindRow(QStringLiteral("ID"), systemID, profile, id);
    if (!row) return std::nullopt;
    QSqlQuery q = FConnection.Exec(QStringLiteral("SELECT %1 FROM \"SensMap\" WHERE rowid = ?").arg(InfoColumns), {*row});
    if (!q.next()) return std::nullopt;
    return RowToInfo(q, 0);
}

std::optional<TParamInfo> TdmMAPEX::FindByExtID(const QString& systemID, const QString& profile,
                                                const QString& extID) const {
    const auto row = FindRow(QStringLiteral("ExtID"), systemID, profile, extID);
    if (!row) return std::nullopt;
    QSqlQuery q = FConnection.Exec(QStringLiteral("SELECT %1 FROM \"SensMap\" WHERE rowid = ?").arg(InfoColumns), {*row});
    if (!q.next()) return std::nullopt;
    return RowToInfo(q, 0);
}

void TdmMAPEX::Write(const QString& keyColumn, const QString& systemID, const QString& profile, const QString& key,
                     const TParamInfo& info) {
    QVariantList values = InfoValues(systemID, profile, info);
    if (const auto row = FindRow(keyColumn, systemID, profile, key)) {
        QStringList sets;
        for (const QString& c : WriteColumns.split(QStringLiteral(", "))) sets << c + QStringLiteral(" = ?");
        values << *row;
        FConnection.Exec(QStringLiteral("UPDATE \"SensMap\" SET %1 WHERE rowid = ?").arg(sets.join(QStringLiteral(", "))),
                         values);
    } else {
        QStringList marks;
        for (int i = 0; i < values.size(); ++i) marks << QStringLiteral("?");
        FConnection.Exec(
            QStringLiteral("INSERT INTO \"SensMap\" (%1) VALUES (%2)").arg(WriteColumns, marks.join(QStringLiteral(", "))),
            values);
    }
}

void TdmMAPEX::WriteByID(const QString& systemID, const QString& profile, const QString& id, const TParamInfo& info) {
    Write(QStringLiteral("ID"), systemID, profile, id, info);
}

void TdmMAPEX::WriteByExtID(const QString& systemID, const QString& profile, const QString& extID,
                            const TParamInfo& info) {
    Write(QStringLiteral("ExtID"), systemID, profile, extID, info);
}

void TdmMAPEX::Delete(const QString& systemID, const QString& profile, const QString& id, const QString& extID) {
    FConnection.Exec(QStringLiteral("DELETE FROM \"SensMap\" WHERE rowid = (SELECT rowid FROM \"SensMap\" "
                                    "WHERE IFNULL(\"System\", '') = IFNULL(?, '') "
                                    "AND IFNULL(\"Profile\", '') = IFNULL(?, '') AND IFNULL(\"ID\", '') = IFNULL(?, '') "
                                    "AND IFNULL(\"ExtID\", '') = IFNULL(?, '') ORDER BY rowid LIMIT 1)"),
                     {systemID, profile, id, extID});
}

void TdmMAPEX::First(const QString& filter) {
    // A filter that does not parse leaves an enumeration with no rows.
    FAtEnd = true;
    FFilter = ParseSensMapFilter(filter);
    FLastRow = std::numeric_limits<qint64>::min();
    FAtEnd = false;
}

bool TdmMAPEX::Next(TParamInfo& info) {
    info = TParamInfo{};
    if (FAtEnd) return false;
    QString sql = QStringLiteral("SELECT rowid, %1 FROM \"SensMap\" WHERE rowid > ?").arg(InfoColumns);
    if (!FFilter.Sql.isEmpty()) sql += QStringLiteral(" AND ") + FFilter.Sql;
    sql += QStringLiteral(" ORDER BY rowid LIMIT 1");
    QSqlQuery q = FConnection.Exec(sql, QVariantList{FLastRow} + FFilter.Params);
    if (!q.next()) {
        FAtEnd = true;
        return false;
    }
    FLastRow = q.value(0).toLongLong();
    info = RowToInfo(q, 1);
    return true;
}

QStringList TdmMAPEX::Profiles() const {
    QSqlQuery q = FConnection.Exec(QStringLiteral(
        "SELECT \"Profile\" FROM \"SensMap\" WHERE IFNULL(\"Profile\", '') <> '' GROUP BY \"Profile\" ORDER BY MIN(rowid)"));
    QStringList r;
    while (q.next()) r << q.value(0).toString();
    return r;
}
