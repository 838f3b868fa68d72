#pragma once
// The well database: the connection (a Firebird server named in the settings,
// else an embedded database file in the local data folder, created with the
// schema on first use), the current well and run, the message log LOG, the
// stored formulas, and the database events that go to the bus.
#include "DataAccess.h"
#include "Formatting.h"
#include "WKDataStructures.h"
#include "WKServices.h"
#include "WKWells.h"
#include "WellDatabase.h"

#include <QObject>
#include <QAbstractTableModel>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#pragma GCC visibility push(default)

// ---- The module

// One row of FORMULAS.
struct TFormulaRow {
    QString FORMULANAME;
    QString FORMULATEXT;
    QString DESCRIPTION;
    QVariant RESGID;
    QString SUBSET;
};

// Inserts row on db, or updates the row named oldName when it is given; a
// duplicate name raises "Формула с таким названием уже существует".
void PostFormulaRow(const TDataConnection& db, const TFormulaRow& row, const QString& oldName = {});

// Packs a message's severity, class and ID into MESSAGEID; nullopt when any
// of them is out of range (severity -1..4, class 0..2047, ID 0..65535).
std::optional<int> PackMessageID(int severity, int messageClass, int id);

using TClock = std::function<TDateTime()>;

// The rows of the message log as read; holds no cursor, so it outlives the
// connection safely. Display texts: RECORDTIME as date and time, DEPTH as "0.##";
// the edit role gives the stored values.
class TLogTable : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : FRows.size(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : FFields.count(); }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QSqlRecord record(int row) const { return FRows.value(row); }
    QSqlRecord record() const { return FFields; }
    // Replaces the rows with those of query (read to its end).
    void Load(QSqlQuery& query);
    // Appends the rows of query (read to its end) after those held.
    void Append(QSqlQuery& query);
    void Clear();
    // Rows read from the database since the table was made.
    qint64 RowsRead() const { return FRowsRead; }

private:
    QSqlRecord FFields;
    QList<QSqlRecord> FRows;
    qint64 FRowsRead = 0;
};

class TdmWells : public QObject, public IWKNotification {
    Q_OBJECT
public:
    // Opens the database (an exception propagates) and the message log.
    explicit TdmWells(QObject* owner = nullptr, TClock clock = {});
    ~TdmWells() override;

    int FCurrentWell = -1;  // -1: none
    int FCurrentRun = 0;    // 0: none
    bool FRunActive = false;
    double FCurrentDepth = std::numeric_limits<double>::quiet_NaN();
    // The depth sensor of the secondary "SrcTime" stream; found again on every binding.
    TSensorDataArray* FDepthArray = nullptr;
    TDateTime FPrevLogTime = 0;

    // The connection that other modules run their statements on (default transaction itMain).
    const TDataConnection& dbWells() const { return FDatabase; }
    bool Connected() const { return FDatabase.Connected(); }
    // Connected, and the database answers a statement now (a server may have
    // gone away under an open connection).
    bool Answers() const;

    void TryOpenDatabase();
    void CloseDatabase();
    // Without retry as TryOpenDatabase. With retry, a failure lets the user pick
    // the server computer and tries again; cancelling raises "База данных Boremont 2 недоступна".
    void OpenDatabase(bool retry);
    static QString GetRemoteComputerName();
    static void SetRemoteComputerName(const QString& name);

    // Reads the current well (the largest WELLID) and its newest run.
    void UpdateCurrentObjects();
    // Writes a row of LOG; a failure leaves a debug line and no row.
    void LogMessage(int severity, int messageClass, int id, const QString& text);

    // The message log (tblLog: "select * from LOG"), in RECORDTIME order.
    TLogTable& tblLog() { return FLog; }
    // Reads the whole log again.
    void ReloadLog();
    // Reads only the rows newer than the newest one held (after an own write
    // and when the log changed).
    void ReadNewLogRows();
    // RECORDTIME as shown: empty for an empty value, else date and time.
    static QString RecordTimeText(const QVariant& value);

    // Stored formulas of a subset (tblFormulas).
    QList<TFormulaRow> Formulas(const QString& subset) const;
    // Inserts row, or updates the row named oldName when it is given. A duplicate
    // name raises "Формула с таким названием уже существует". Runs in the
    // connection's open transaction when there is one.
    void PostFormula(const TFormulaRow& row, const QString& oldName = {});
    void DeleteFormula(const QString& name);

    // Registers the module as a listener of the secondary services; it is
    // removed again when the module is destroyed.
    void RegisterService();
    // seBindStreams (sender: the group's stream list): BindStreams;
    // sePoll: PollDepth; seDBChange (sender: the event's name): DBChanged.
    void Notify(TServiceEvent Event, void* Sender) override;
    // A database change named name ("LOG" or "OPERATIONLOG" reads the new log rows).
    void DBChanged(const QString& name);
    // seBindStreams: finds the depth sensor (101) of the "SrcTime" streams of list.
    void BindStreams(const TWKStreamList* list);
    // sePoll: the newest depth sample becomes the current depth when its state
    // is normal or better.
    void PollDepth();

    // The database events the module listens to.
    static QStringList EventNames();

signals:
    // A database event, on the main thread, after it went to the secondary
    // services as seDBChange.
    void DatabaseEvent(const QString& name);
    // The message log was read again (whole or its new rows).
    void LogReloaded();

private:
    void AfterConnect();
    void DatabaseEventArrived(const QString& name);
    void RegisterEvents();
    TDateTime NextLogTime();
    void ReadLog(bool onlyNew);

    TClock FClock;
    bool FRegistered = false;
    TDataConnection FDatabase;
    TDataConnection FLogDatabase;  // itLog: log rows commit apart from the main transaction
    TLogTable FLog;
};

// The module of the running program, or null while there is none.
TdmWells* dmWells();

// Tells the modules that use the well database when it becomes usable (the
// program's well module connected: created, or its database opened again)
// and when it stops being usable (closed or freed), whichever of them was
// created first. Emitted on the main thread; dmWells() is the module meant.
class TWellDatabaseSignals : public QObject {
    Q_OBJECT
signals:
    void Opened();
    void Closing();
};
TWellDatabaseSignals& WellDatabaseSignals();

// Why the well database cannot be used, in the user's words ("используется
// другой программой", "файл повреждён", "сервер недоступен"), else the
// database's own message.
QString WellDatabaseProblem(const QString& message);
// The host's way of opening the well database again (the command the user
// retries with); the hints about the database run it when activated.
void SetWellDatabaseRetry(std::function<void()> retry);
void RetryWellDatabase();
// Tells the user once, as a warning hint naming the database and the reason,
// that the well database is not available; told again only after it was
// available in between.
void ReportWellDatabaseUnavailable(const QString& message);
// A write to the well database (what: whose rows, e.g. "журнал сообщений")
// failed or found no database: a warning hint, once until a write of the
// same kind succeeds again.
void ReportWellDatabaseWriteFailed(const QString& what, const QString& message);
void WellDatabaseWriteSucceeded(const QString& what);

// Creates the module the way the workstation does at start: a database that
// cannot be opened gives a debug line, a hint to the user and null, and the
// program goes on without it.
std::unique_ptr<TdmWells> CreateWellsModule();

#pragma GCC visibility pop
