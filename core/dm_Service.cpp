#include "dm_Service.h"

#include "DebugOutput.h"
#include "PackageLoader.h"
#include "WKConsts.h"

#include <QCoreApplication>
#include <QHash>
#include <QPair>
#include <QSet>

TdmService* dmService = nullptr;

namespace {
// Table order of every table the core and its packages walk.
const QHash<QString, QString>& TableOrders() {
    static const QHash<QString, QString> orders{
        {QStringLiteral("NetTree"), QStringLiteral("ItemID")},
        {QStringLiteral("ClassModules"), QStringLiteral("ClassName")},
        {QStringLiteral("CalibrationData"), QStringLiteral("GID, CalibrationDate, rowid")},
        {QStringLiteral("Services"), QStringLiteral("\"Order\", rowid")},
        {QStringLiteral("Controls"), QStringLiteral("ClassName")},
        {QStringLiteral("Streams"), QStringLiteral("rowid")},
        {QStringLiteral("StreamSens"), QStringLiteral("rowid")},
        {QStringLiteral("Sensors"), QStringLiteral("GID")},
        {QStringLiteral("Locations"), QStringLiteral("NameOrder, rowid")},
        {QStringLiteral("Ranges"), QStringLiteral("ProfileID, GID")},
        {QStringLiteral("RangeProfiles"), QStringLiteral("ProfileID")},
    };
    return orders;
}

TDataConnection OpenLocalDatabase(const QString& path) {
    DebugLog(QStringLiteral("WKMain opening local database: ") + path);
    try {
        TDataConnection c = TDataConnection::OpenSQLite(path);
        // Every table of the module must be there, as the old module opened each one.
        for (const QString& table : TdmService::TableNames()) c.Exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(table));
        return c;
    } catch (const Exception& e) {
        DebugLog(QStringLiteral("TdmService.DataModuleCreate: ") + e.Message());
        throw;
    }
}
}  // namespace

const QList<TCalibrationColumn>& SensorsCalibrationsColumns() {
    static const QList<TCalibrationColumn> columns{
        {"Serial", QStringLiteral("Серийный номер")}, {"CalibrationDate", QStringLiteral("Дата")},
        {"Operator", QStringLiteral("Оператор")},     {"CalibrationText", QStringLiteral("Калибровка")},
        {"Name", QStringLiteral("Параметр")},         {"IsActive", QStringLiteral("Активна")},
        {"GID", QStringLiteral("GID")},
    };
    return columns;
}

TdmService::TdmService(const QString& databasePath, QObject* owner)
    : QObject(owner), FPath(databasePath), FConnection(OpenLocalDatabase(databasePath)) {
    setObjectName(QStringLiteral("dmService"));
}

TdmService::~TdmService() {
    if (dmService == this) SetCurrent(nullptr);
}

const QStringList& TdmService::TableNames() {
    static const QStringList names{"NetTree",  "ClassModules", "CalibrationData", "Services", "Controls",
                                   "Streams",  "StreamSens",   "Sensors",         "Locations"};
    return names;
}

QString TdmService::TableOrder(const QString& table) {
    const auto it = TableOrders().constFind(table);
    if (it == TableOrders().constEnd()) throw EDatabaseError(QStringLiteral("Unknown local table: ") + table);
    return it.value();
}

QSqlQuery TdmService::OpenTable(const QString& table, const QString& where, const QVariantList& params) const {
    const QString order = TableOrder(table);  // also refuses names that are not tables of ours
    QString sql = QStringLiteral("SELECT * FROM ") + table;
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + order;
    return FConnection.Exec(sql, params);
}

const TClassInfo* TdmService::GetMetaClass(const QString& className) const {
    if (const TClassInfo* c = FindClass(className)) return c;
    // The loader's lines go to the debugger output whatever the DEBUG switch says.
    OutputDebugString(QStringLiteral("WK: trying to load class module ") + className);
    const QVariant module =
        FConnection.Scalar(QStringLiteral("SELECT ModuleName FROM ClassModules WHERE ClassName = ?"), {className});
    if (!module.isValid() || module.isNull()) {
        OutputDebugString(QStringLiteral("WK: failed to locate class module ") + className);
        return nullptr;
    }
    const QString moduleName = module.toString();
    const QString fileName = WKAppPath() + moduleName;
    // A module of that name already in the process (linked by another package,
    // or loaded from another folder) is not loaded a second time.
    if (!IsModuleNameLoaded(moduleName)) {
        OutputDebugString(QStringLiteral("WK: loading package ") + moduleName);
        try {
            LoadPackage(fileName);
        } catch (const Exception& e) {
            DebugLog(QStringLiteral("WK: LoadPackage error: ") + e.Message());
            throw;
        }
    }
    const TClassInfo* c = FindClass(className);
    if (!c) OutputDebugString(QStringLiteral("WK: class not registred ") + className);
    return c;
}

void TdmService::LoadStaticControls() const {
    QSqlQuery q = OpenTable(QStringLiteral("Controls"), QStringLiteral("AlwaysLoad <> 0"));
    while (q.next()) {
        try {
            GetMetaClass(q.value(QStringLiteral("ClassName")).toString());
        } catch (const Exception& e) {
            DebugLog(QStringLiteral("TdmService.LoadStaticControls: ") + e.Message());
        }
    }
}

void TdmService::FillSensDescr(const QSqlRecord& row, TSensDescr& descr) {
    descr.GID = row.value(QStringLiteral("GID")).toInt();
    descr.FullName = row.value(QStringLiteral("FullName")).toString();
    descr.Name = row.value(QStringLiteral("Name")).toString();
    descr.Units = row.value(QStringLiteral("Units")).toString();
    descr.Color = row.value(QStringLiteral("Color")).toInt();
    descr.Precision = row.value(QStringLiteral("APrecision")).toInt();
    descr.Min = row.value(QStringLiteral("MinValue")).toDouble();
    descr.Max = row.value(QStringLiteral("MaxValue")).toDouble();
    descr.Group = row.value(QStringLiteral("GroupID")).toString();
    descr.FixedTo = row.value(QStringLiteral("FixedTo")).toDouble();
    static const struct {
        const char* Column;
        TSensorFlag Flag;
    } flags[] = {{"Hidden", sfHidden}, {"Filtered", sfFiltered}, {"Fixed", sfFixed}, {"Service", sfService},
                 {"NeedCalibration", sfNeedCalibration}};
    descr.Flags = {};
    for (const auto& f : flags)
        if (row.value(QLatin1String(f.Column)).toBool()) descr.Flags.Include(f.Flag);
}

void TdmService::GetSensDescr(int GID, TSensDescr& descr) const {
    QSqlQuery q = OpenTable(QStringLiteral("Sensors"), QStringLiteral("GID = ?"), {GID});
    if (!q.next()) throw Exception(SParamNotFound);
    FillSensDescr(q.record(), descr);
}

TSensDescr TdmService::GetSensDescr(int GID) const {
    TSensDescr d;
    GetSensDescr(GID, d);
    return d;
}

bool TdmService::Attached(int GID, TSensSelection selection) const {
    return !selection.Contains(ssOnlyAttached) || !FAttached || FAttached(GID);
}

void TdmService::FillSensDescriptions(TSensDescrArray& descr, TSensSelection selection) const {
    descr.clear();
    const bool hideTime = selection.Contains(ssHideTime);
    if (selection.Contains(ssPrimary)) {
        QSqlQuery q = OpenTable(QStringLiteral("Sensors"));
        while (q.next()) {
            const int gid = q.value(QStringLiteral("GID")).toInt();
            if (!Attached(gid, selection) || (hideTime && gid == 0)) continue;
            TSensDescr d;
            FillSensDescr(q.record(), d);
            d.StreamID.clear();
            d.StreamIntID = -1;
            descr << d;
        }
        return;
    }

    struct TStreamFields {
        QString ID;
        int IntID = 0;
        QString Name;
    };
    // Without a foremost stream every time sensor stays with its own stream.
    std::optional<TStreamFields> foremost;
    const bool creditForemost = selection.Contains(ssTime) && selection.Contains(ssForemostStream);
    if (creditForemost) {
        QSqlQuery q = OpenTable(QStringLiteral("Streams"), QStringLiteral("IsForemost <> 0"));
        if (q.next())
            foremost = TStreamFields{q.value(QStringLiteral("ID")).toString(), q.value(QStringLiteral("IntID")).toInt(),
                                     q.value(QStringLiteral("Name")).toString()};
    }

    QSet<QPair<int, int>> listed;  // (stream IntID, GID) already in descr
    QSqlQuery streams = OpenTable(QStringLiteral("Streams"));
    while (streams.next()) {
        const bool isDateTime = streams.value(QStringLiteral("IsDateTime")).toBool();
        if (!(isDateTime ? selection.Contains(ssTime) : selection.Contains(ssDepth))) continue;
        const TStreamFields own{streams.value(QStringLiteral("ID")).toString(),
                                streams.value(QStringLiteral("IntID")).toInt(),
                                streams.value(QStringLiteral("Name")).toString()};
        const TStreamFields& credited = (isDateTime && creditForemost && foremost) ? *foremost : own;
        QSqlQuery sens = OpenTable(QStringLiteral("StreamSens"), QStringLiteral("StreamIntID = ?"), {own.IntID});
        while (sens.next()) {
            const QVariant saveAs = sens.value(QStringLiteral("SaveAsGID"));
            const int gid = saveAs.isNull() ? sens.value(QStringLiteral("GID")).toInt() : saveAs.toInt();
            if (!Attached(gid, selection)) continue;
            QSqlQuery sensor = OpenTable(QStringLiteral("Sensors"), QStringLiteral("GID = ?"), {gid});
            if (!sensor.next() || (hideTime && gid == 0)) continue;
            const QPair<int, int> key(credited.IntID, gid);
            if (listed.contains(key)) continue;
            listed.insert(key);
            TSensDescr d;
            FillSensDescr(sensor.record(), d);
            d.StreamID = credited.ID;
            d.StreamIntID = credited.IntID;
            d.StreamName = credited.Name;
            if (sens.value(QStringLiteral("IsLogging")).toBool()) d.Flags.Include(sfLogging);
            if (sens.value(QStringLiteral("LogIndex")).isNull()) d.Flags.Include(sfNoLogIndex);
            descr << d;
        }
    }
}

void TdmService::FillStreamsList(QStringList& names, QStringList& ids, bool /*flag*/) const {
    names.clear();
    ids.clear();
    QSqlQuery q = OpenTable(QStringLiteral("Streams"));
    while (q.next()) {
        names << q.value(QStringLiteral("Name")).toString();
        ids << q.value(QStringLiteral("ID")).toString();
    }
}

void TdmService::SetFilterData(int GID, int filterType, const QString& filterData) const {
    FConnection.Exec(QStringLiteral("UPDATE Sensors SET Filtered = ?, FilterType = ?, FilterData = ? WHERE GID = ?"),
                     {filterType >= 0 ? 1 : 0, filterType, filterData, GID});
}

std::optional<qint64> TdmService::LocateCalibration(double date) const {
    const QString sql = QStringLiteral("SELECT rowid FROM CalibrationData WHERE CalibrationDate = ? ORDER BY %1 LIMIT 1")
                            .arg(TableOrder(QStringLiteral("CalibrationData")));
    const QVariant row = FConnection.Scalar(sql, {date});
    if (!row.isValid()) return std::nullopt;
    return row.toLongLong();
}

void TdmService::SetCurrent(TdmService* module) {
    dmService = module;
    if (module)
        SetClassResolver([](const QString& name) { return dmService && dmService->GetMetaClass(name) != nullptr; });
    else
        SetClassResolver(nullptr);
}

TdmService* CreateDmService() {
    if (dmService) return dmService;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) throw Exception(QStringLiteral("TdmService: the application object does not exist"));
    auto* module = new TdmService(WKLocalDatabasePath(), app);  // owned by the application
    TdmService::SetCurrent(module);
    return module;
}
