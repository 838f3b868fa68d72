#include "dm_Wells.h"

#include "MainThread.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKHints.h"
#include "WKMessages.h"
#include "WKUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QSqlDriver>
#include <QSqlError>
#include <QSet>
#include <QSqlRecord>
#include <cmath>
#include <dlfcn.h>

namespace {
TdmWells* Instance = nullptr;

const QString LogColumns = QStringLiteral("WELLID, RECORDTIME, RUNNO, DEPTH, MESSAGEID, MESSAGETEXT");
constexpr int MessageTextLength = 150;

bool IsDuplicateKey(const EDatabaseError& e) {
    return e.Message().contains(QStringLiteral("PRIMARY or UNIQUE KEY"), Qt::CaseInsensitive);
}

// What the user has been told about the well database, and how to retry.
struct TWellDatabaseReports {
    std::function<void()> Retry;
    bool UnavailableTold = false;
    QSet<QString> WriteFailuresTold;
};

TWellDatabaseReports& Reports() {
    static TWellDatabaseReports reports;
    return reports;
}

const QString HintCaption = QStringLiteral("База данных скважин");

void AddWellDatabaseHint(const QString& text) {
    AddHint(hcWarning, HintCaption, text, [](QObject*) { RetryWellDatabase(); });
}

void TellOpened() {
    Reports().UnavailableTold = false;
    emit WellDatabaseSignals().Opened();
}
}  // namespace

TWellDatabaseSignals& WellDatabaseSignals() {
    static TWellDatabaseSignals notifier;
    return notifier;
}

QString WellDatabaseProblem(const QString& message) {
    const auto has = [&message](const char* text) { return message.contains(QLatin1String(text), Qt::CaseInsensitive); };
    // The embedded engine admits one process per file.
    if (has("already opened with engine instance") || has("\"lock\" operation") || has("lock time-out"))
        return QStringLiteral("используется другой программой");
    if (has("not a valid database") || has("corrupt") || has("unsupported on-disk structure") ||
        has("wrong page type") || has("checksum error") || has("database file appears"))
        return QStringLiteral("файл повреждён");
    if (has("unable to complete network request") || has("failed to establish a connection") ||
        has("connection refused") || has("connection lost") || has("error reading data from the connection") ||
        has("error writing data to the connection") || has("connection shutdown"))
        return QStringLiteral("сервер недоступен");
    return message;
}

void SetWellDatabaseRetry(std::function<void()> retry) { Reports().Retry = std::move(retry); }

void RetryWellDatabase() {
    if (Reports().Retry) Reports().Retry();
}

void ReportWellDatabaseUnavailable(const QString& message) {
    if (Reports().UnavailableTold) return;
    Reports().UnavailableTold = true;
    AddWellDatabaseHint(QStringLiteral("База данных скважин %1 недоступна: %2. Журналы и статистика не "
                                       "записываются, пока она не будет подключена (Файл — Подключить базу "
                                       "данных скважин).")
                            .arg(WellDatabaseName(), WellDatabaseProblem(message)));
}

void ReportWellDatabaseWriteFailed(const QString& what, const QString& message) {
    if (Reports().WriteFailuresTold.contains(what)) return;
    Reports().WriteFailuresTold.insert(what);
    AddWellDatabaseHint(QStringLiteral("Не удалось записать %1 в базу данных скважин %2: %3.")
                            .arg(what, WellDatabaseName(), WellDatabaseProblem(message)));
}

void WellDatabaseWriteSucceeded(const QString& what) { Reports().WriteFailuresTold.remove(what); }

std::optional<int> PackMessageID(int severity, int messageClass, int id) {
    if (severity < MinMessageSeverity || severity > MaxMessageSeverity) return std::nullopt;
    if (messageClass < 0 || messageClass > 2047 || id < 0 || id > 0xFFFF) return std::nullopt;
    return severity * 0x10000 + messageClass * 0x100000 + id;
}

// ---- TLogTable

QVariant TLogTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRows.size()) return {};
    const QVariant value = FRows[index.row()].value(index.column());
    if (role == Qt::EditRole) return value;
    if (role != Qt::DisplayRole) return {};
    const QString name = FFields.fieldName(index.column());
    if (value.isNull()) return QString();
    if (name == QStringLiteral("RECORDTIME")) return TdmWells::RecordTimeText(value);
    if (name == QStringLiteral("DEPTH")) return FormatFloat(QStringLiteral("0.##"), value.toDouble());
    return value.toString();
}

QVariant TLogTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const QHash<QString, QString> labels{{QStringLiteral("RECORDTIME"), QStringLiteral("Время")},
                                                {QStringLiteral("RUNNO"), QStringLiteral("№ рейса")},
                                                {QStringLiteral("DEPTH"), QStringLiteral("Глубина")},
                                                {QStringLiteral("MESSAGETEXT"), QStringLiteral("Текст")}};
    const QString name = FFields.fieldName(section);
    return labels.value(name, name);
}

void TLogTable::Load(QSqlQuery& query) {
    QSqlRecord fields = query.record();
    QList<QSqlRecord> rows;
    while (query.next()) rows.append(query.record());
    FRowsRead += rows.size();
    beginResetModel();
    FFields = std::move(fields);
    FRows = std::move(rows);
    endResetModel();
}

void TLogTable::Append(QSqlQuery& query) {
    QList<QSqlRecord> rows;
    while (query.next()) rows.append(query.record());
    FRowsRead += rows.size();
    if (FFields.isEmpty()) {
        beginResetModel();
        FFields = query.record();
        endResetModel();
    }
    if (rows.isEmpty()) return;
    beginInsertRows({}, FRows.size(), FRows.size() + rows.size() - 1);
    FRows.append(rows);
    endInsertRows();
}

void TLogTable::Clear() {
    beginResetModel();
    FFields.clear();
    FRows.clear();
    endResetModel();
}

// ---- TdmWells

TdmWells::TdmWells(QObject* owner, TClock clock) : QObject(owner), FClock(clock ? std::move(clock) : TClock(Now)) {
    DebugLog(QStringLiteral("TdmWells.DataModuleCreate"));
    TryOpenDatabase();
    ReloadLog();
    Instance = this;
    SetMessageLogWriter([self = QPointer<TdmWells>(this)](int severity, const QString& className, int id,
                                                          const QString& text) {
        bool ok = false;
        const int messageClass = className.toInt(&ok);
        if (!ok) {
            DebugLog(QStringLiteral("TdmWells.LogMessage: message class is not a number: ") + className);
            return;
        }
        // The connection belongs to the main thread; messages of other threads are written there.
        const auto write = [self, severity, messageClass, id, text] {
            if (self) self->LogMessage(severity, messageClass, id, text);
        };
        if (IsMainThread())
            write();
        else
            QueueToMainThread(write);
    });
    TellOpened();
}

TdmWells::~TdmWells() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
    if (Instance == this) {
        if (Connected()) emit WellDatabaseSignals().Closing();
        Instance = nullptr;
        SetMessageLogWriter({});
    }
}

TdmWells* dmWells() { return Instance; }

QString TdmWells::GetRemoteComputerName() { return WellServerName(); }

void TdmWells::SetRemoteComputerName(const QString& name) { SetWellServerName(name); }

QStringList TdmWells::EventNames() {
    return {QStringLiteral("OPERATIONLOG"), QStringLiteral("RUNS"), QStringLiteral("WELLS")};
}

void TdmWells::TryOpenDatabase() {
    DebugLog(QStringLiteral("TdmWells.TryOpenDatabase"));
    try {
        const QString server = GetRemoteComputerName();
        if (!server.isEmpty()) DebugLog(QStringLiteral("Remote computer = ") + server);
        DebugLog(QStringLiteral("Database name: ") + WellDatabaseName());
        TDataConnection db = OpenWellDatabase();
        TDataConnection log = TDataConnection::OpenFirebird(db.Database().databaseName(), WellDatabaseUser,
                                                            WellDatabasePassword());
        FDatabase = std::move(db);
        FLogDatabase = std::move(log);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWells.TryOpenDatabase exception: ") + ExceptionMessage(e));
        throw;
    }
    AfterConnect();
    if (Instance == this) TellOpened();
}

bool TdmWells::Answers() const {
    if (!Connected()) return false;
    try {
        FDatabase.Scalar(QStringLiteral("select 1 from RDB$DATABASE"));
        return true;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWells.Answers: ") + ExceptionMessage(e));
        return false;
    }
}

void TdmWells::CloseDatabase() {
    if (Instance == this && Connected()) emit WellDatabaseSignals().Closing();
    FLog.Clear();
    FDatabase = TDataConnection();
    FLogDatabase = TDataConnection();
}

void TdmWells::OpenDatabase(bool retry) {
    if (!retry) {
        TryOpenDatabase();
        return;
    }
    while (!Connected()) {
        try {
            TryOpenDatabase();
        } catch (const std::exception&) {
            if (Connected()) throw;  // reached, but reading the current well failed: no other server helps
            QString name;
            if (!SelectComputer(name)) throw Exception(QStringLiteral("База данных Boremont 2 недоступна"));
            SetRemoteComputerName(name);
        }
    }
}

void TdmWells::AfterConnect() {
    UpdateCurrentObjects();
    if (!WKMainApplication()) RegisterEvents();
}

void TdmWells::RegisterEvents() {
    QSqlDriver* driver = FDatabase.Database().driver();
    const QStringList failed = FDatabase.SubscribeToEvents(EventNames());
    if (!failed.isEmpty()) {
        DebugLog(QStringLiteral("Database events not registered: ") + failed.join(',') + QStringLiteral(": ") +
                 driver->lastError().text());
        return;
    }
    // The driver delivers the events on the thread of the connection: the main thread.
    connect(driver, &QSqlDriver::notification, this,
            [this](const QString& name, QSqlDriver::NotificationSource, const QVariant&) { DatabaseEventArrived(name); });
}

void TdmWells::DatabaseEventArrived(const QString& name) {
    if (SecondaryServices) SecondaryServices->NotifyServices(seDBChange, const_cast<QString*>(&name));
    emit DatabaseEvent(name);
}

void TdmWells::UpdateCurrentObjects() {
    FCurrentWell = -1;
    FCurrentRun = 0;
    FRunActive = false;
    try {
        const QVariant maxWell = FDatabase.Scalar(QStringLiteral("select Max(WELLID) from WELLS"));
        DebugLog(QStringLiteral("TdmWells.UpdateCurrentObjects"));
        if (maxWell.isNull()) return;
        DebugLog(QStringLiteral("Current well is ") + maxWell.toString());
        TCriticalSectionGuard ring1(Ring1());
        FCurrentWell = maxWell.toInt();
        QSqlQuery run = FDatabase.Exec(QStringLiteral("select first 1 RUNNO, CLOSED from RUNS where "
                                                      "(WELLID = :WELLID) order by RUNNO desc"),
                                       {FCurrentWell});
        if (!run.next()) {
            DebugLog(QStringLiteral("Current run undefined"));
        } else {
            FCurrentRun = run.value(0).toInt();
            DebugLog(QStringLiteral("Current run is ") + QString::number(FCurrentRun));
            FRunActive = run.value(1).toInt() == 0;
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWells.UpdateCurrentObjects ") + ExceptionMessage(e));
        throw;
    }
}

TDateTime TdmWells::NextLogTime() {
    // Two rows of one program never share a time: wait for the clock to move on.
    while (FClock() == FPrevLogTime) {
    }
    FPrevLogTime = FClock();
    return FPrevLogTime;
}

void TdmWells::LogMessage(int severity, int messageClass, int id, const QString& text) {
    const std::optional<int> messageId = PackMessageID(severity, messageClass, id);
    if (!messageId) {
        DebugLog(QStringLiteral("TdmWells.LogMessage: message out of range: severity %1, class %2, ID %3: %4")
                     .arg(severity)
                     .arg(messageClass)
                     .arg(id)
                     .arg(text));
        return;
    }
    try {
        const TDateTime time = NextLogTime();
        // The column holds 150 characters; a longer text is kept cut rather than lost.
        FLogDatabase.Exec(QStringLiteral("insert into LOG (%1) values (?, ?, ?, ?, ?, ?)").arg(LogColumns),
                          {FCurrentWell, time, FCurrentRun > 0 ? QVariant(FCurrentRun) : QVariant(QMetaType(QMetaType::Int)),
                           std::isnan(FCurrentDepth) ? QVariant(QMetaType(QMetaType::Double)) : QVariant(FCurrentDepth),
                           *messageId, text.left(MessageTextLength)});
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWells.LogMessage: ") + ExceptionMessage(e));
        ReportWellDatabaseWriteFailed(QStringLiteral("строку журнала сообщений"), ExceptionMessage(e));
        return;
    }
    WellDatabaseWriteSucceeded(QStringLiteral("строку журнала сообщений"));
    ReadNewLogRows();
}

void TdmWells::ReloadLog() { ReadLog(false); }

void TdmWells::ReadNewLogRows() { ReadLog(true); }

void TdmWells::ReadLog(bool onlyNew) {
    const int held = FLog.rowCount();
    const int timeColumn = FLog.record().indexOf(QStringLiteral("RECORDTIME"));
    try {
        if (onlyNew && held > 0 && timeColumn >= 0) {
            QSqlQuery q = FLogDatabase.Exec(QStringLiteral("select * from LOG where RECORDTIME > ? order by RECORDTIME"),
                                            {FLog.record(held - 1).value(timeColumn)});
            FLog.Append(q);
        } else {
            QSqlQuery q = FLogDatabase.Exec(QStringLiteral("select * from LOG order by RECORDTIME"));
            FLog.Load(q);
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWells.ReadLog: ") + ExceptionMessage(e));
        if (!onlyNew) FLog.Clear();
    }
    emit LogReloaded();
}

QString TdmWells::RecordTimeText(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return {};
    return DateTimeToStr(value.toDouble());
}

QList<TFormulaRow> TdmWells::Formulas(const QString& subset) const {
    QList<TFormulaRow> rows;
    QSqlQuery q = FDatabase.Exec(QStringLiteral("select * from FORMULAS where SUBSET = :SUBSET"), {subset});
    while (q.next()) {
        const QSqlRecord r = q.record();
        rows.append({r.value("FORMULANAME").toString(), r.value("FORMULATEXT").toString(),
                     r.value("DESCRIPTION").toString(), r.value("RESGID"), r.value("SUBSET").toString()});
    }
    return rows;
}

void PostFormulaRow(const TDataConnection& db, const TFormulaRow& row, const QString& oldName) {
    const QVariantList values{row.FORMULANAME, row.FORMULATEXT, row.DESCRIPTION, row.RESGID, row.SUBSET};
    try {
        if (oldName.isEmpty())
            db.Exec(QStringLiteral("insert into FORMULAS (FORMULANAME, FORMULATEXT, DESCRIPTION, RESGID, SUBSET) "
                                   "values (?, ?, ?, ?, ?)"),
                    values);
        else
            db.Exec(QStringLiteral("update FORMULAS set FORMULANAME = ?, FORMULATEXT = ?, DESCRIPTION = ?, "
                                   "RESGID = ?, SUBSET = ? where FORMULANAME = ?"),
                    values + QVariantList{oldName});
    } catch (const EDatabaseError& e) {
        if (IsDuplicateKey(e)) throw EDatabaseError(QStringLiteral("Формула с таким названием уже существует"));
        throw;
    }
}

void TdmWells::PostFormula(const TFormulaRow& row, const QString& oldName) { PostFormulaRow(FDatabase, row, oldName); }

void TdmWells::DeleteFormula(const QString& name) {
    FDatabase.Exec(QStringLiteral("delete from FORMULAS where FORMULANAME = ?"), {name});
}

void TdmWells::RegisterService() {
    if (!SecondaryServices || FRegistered) return;
    SecondaryServices->AddNotification(this);
    FRegistered = true;
}

void TdmWells::Notify(TServiceEvent Event, void* Sender) {
    switch (Event) {
        case seBindStreams:
            BindStreams(static_cast<const TWKStreamList*>(Sender));
            break;
        case sePoll:
            PollDepth();
            break;
        case seDBChange:
            if (Sender) DBChanged(*static_cast<const QString*>(Sender));
            break;
        default:
            break;
    }
}

void TdmWells::DBChanged(const QString& name) {
    // "LOG" is raised by no event of the database; another workstation's
    // message shows when the operation log changes, or with the next own one.
    if (name == QStringLiteral("LOG") || name == QStringLiteral("OPERATIONLOG")) ReadNewLogRows();
}

void TdmWells::BindStreams(const TWKStreamList* list) {
    FDepthArray = list ? list->FindSensor(101, QStringLiteral("SrcTime"), QString()) : nullptr;
}

void TdmWells::PollDepth() {
    if (!FDepthArray) return;
    const int n = FDepthArray->GetCount();
    if (n > 0 && FDepthArray->GetState(n - 1) >= ssNormal) FCurrentDepth = FDepthArray->GetValue(n - 1);
}

std::unique_ptr<TdmWells> CreateWellsModule() {
    try {
        return std::make_unique<TdmWells>();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("The well database is not available; working without it: ") + ExceptionMessage(e));
        ReportWellDatabaseUnavailable(ExceptionMessage(e));
        return nullptr;
    }
}
