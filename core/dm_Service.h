#pragma once
// The core's door to the local configuration database (WK.db): the open
// connection, table walks in table order, the class-module loader and the
// sensor descriptions. Main thread only: the connection belongs to the thread
// that created the module.
#include "ClassRegistry.h"
#include "DataAccess.h"
#include "WKSensDescr.h"

#include <QObject>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <functional>
#include <optional>

#pragma GCC visibility push(default)

// The calibrations with their sensors' short names, as the calibration list shows them.
inline const QString SensorsCalibrationsSql = QStringLiteral(
    "SELECT CalibrationData.*, Sensors.Name\n"
    "FROM CalibrationData INNER JOIN Sensors ON CalibrationData.GID = Sensors.GID");

// Columns of that query as the calibration list shows them, with their labels.
struct TCalibrationColumn {
    const char* Field;
    QString Label;
};
const QList<TCalibrationColumn>& SensorsCalibrationsColumns();

// The resource text of an unknown sensor.
inline const QString SParamNotFound = QStringLiteral("Параметр не найден в таблице параметров");

class TdmService : public QObject {
    Q_OBJECT
public:
    // Opens the database file read-write; a missing, unreadable or foreign file
    // (one without the module's tables) raises and nothing is created.
    explicit TdmService(const QString& databasePath, QObject* owner = nullptr);
    ~TdmService() override;

    const TDataConnection& dbService() const { return FConnection; }
    const QString& DatabasePath() const { return FPath; }

    // The tables the module opens, and the ORDER BY text of each ("table order":
    // its key, then insertion).
    static const QStringList& TableNames();
    static QString TableOrder(const QString& table);
    // SELECT * of one of TableNames() in table order, optionally filtered by a
    // WHERE text with positional parameters. The query is before its first row.
    QSqlQuery OpenTable(const QString& table, const QString& where = {}, const QVariantList& params = {}) const;

    // The class registered under className, loading its package (named by the
    // ClassModules row) when needed; null for unknown classes. Raises only when
    // a package fails to load.
    const TClassInfo* GetMetaClass(const QString& className) const;
    // Loads every control class marked AlwaysLoad; failures are logged per row.
    void LoadStaticControls() const;

    // The catalogue description of GID; fields the catalogue does not give keep
    // the values descr had. Raises SParamNotFound for an unknown GID.
    void GetSensDescr(int GID, TSensDescr& descr) const;
    TSensDescr GetSensDescr(int GID) const;
    // Fills descr from a Sensors row.
    static void FillSensDescr(const QSqlRecord& sensorsRow, TSensDescr& descr);
    // The descriptions of a selection, in table order. Each stream lists a GID
    // at most once: when a stream gives the same GID again (also when time
    // sensors are credited to the foremost stream), the first entry stays.
    void FillSensDescriptions(TSensDescrArray& descr, TSensSelection selection) const;
    // Names and IDs of every stream in table order; the flag selects nothing.
    void FillStreamsList(QStringList& names, QStringList& ids, bool flag = false) const;
    // Writes a sensor's filter (filtered when filterType >= 0); nothing for an unknown GID.
    void SetFilterData(int GID, int filterType, const QString& filterData) const;
    // The row (rowid) of the first calibration, in table order, saved at exactly date.
    std::optional<qint64> LocateCalibration(double date) const;

    // Whether the equipment tree holds a sensor; empty while there is no tree.
    using TAttachedSensorTest = std::function<bool(int GID)>;
    void SetAttachedSensorTest(TAttachedSensorTest test) { FAttached = std::move(test); }

    // Makes module the running program's dmService and the class registry's
    // resolver for unknown class names (null clears both).
    static void SetCurrent(TdmService* module);

private:
    bool Attached(int GID, TSensSelection selection) const;

    QString FPath;
    TDataConnection FConnection;
    TAttachedSensorTest FAttached;
};

// The running program's module; null until CreateDmService (or SetCurrent).
extern TdmService* dmService;

// Creates dmService on WKLocalDatabasePath, owned by the application object;
// raises when the database cannot be opened.
TdmService* CreateDmService();

#pragma GCC visibility pop
