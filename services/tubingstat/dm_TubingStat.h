#pragma once
// Tubing statistics: for each element of the drill string that passes the
// rotary table, how long the rig spent in each operation while that element
// was the current one. One row of TUBINGSTAT per element (the well and the
// row's start time identify it); the running row is written again every
// tenth accepted step and when it closes. The data module holds the rows of
// the current well and run, their sums, the clipboard exports and the load
// and save of one row for the edit dialog.
#include "Formatting.h"
#include "SqlDataSet.h"
#include "WKServices.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class TSensorDataArray;
class TSensorDataStream;
class TWKStreamList;

// One row in memory; the times are hours.
struct TTubingStatItem {
    int TubingIndex = -1;  // index into the element list; -1: no running row or an element beyond the list
    TDateTime StartTime = 0;  // whole seconds; 0 = none
    double SensorDepth = 0;
    double CommonTime = 0;
    double MudCirculationTime = 0;
    double DrillTime = 0;
    double ConnectionTime = 0;
    double PullingOutTime = 0;
    double RunInTime = 0;
    double SlideDrillTime = 0;
    double RotaryDrillTime = 0;
    // The element number - 1 the row belongs to, also for an element beyond
    // the list (-1: no running row), and the well and run it was inserted for
    // (0: not inserted).
    int ElementIndex = -1;
    int WellID = 0;
    int RunNo = 0;
};

// The eight sums of the current well and run: by name, or as Values[0..7]
// in the order of the sum indexes.
enum TSumTimingsType { sttTiming, sttArray };
struct TTubingSumTimings {
    std::array<double, 8> Values{};
    double& SumCommonTime() { return Values[0]; }
    double& SumMudCirculationTime() { return Values[1]; }
    double& SumDrillTime() { return Values[2]; }
    double& SumSlideDrillTime() { return Values[3]; }
    double& SumRotaryDrillTime() { return Values[4]; }
    double& SumConnectionTime() { return Values[5]; }
    double& SumPullingOutTime() { return Values[6]; }
    double& SumRunInTime() { return Values[7]; }
};

enum TTubingFieldAction { tfaNone, tfaFirst, tfaLast, tfaSum, tfaCalc };
enum TTubingFieldType { tftDateTime, tftDouble, tftInteger, tftString };

// One column of the clipboard exports.
struct TTubingStatField {
    TField* tsfField = nullptr;
    TTubingFieldAction tsfAction = tfaNone;
    TTubingFieldType tsfType = tftDouble;
    double tsfValue = 0;
    QString tsfText;
};

// Given the values of a row saved from the edit dialog and the row's start
// time before the edit.
using TSetCurrStatProcedure = std::function<void(const TTubingStatItem& Item, TDateTime OldStartTime)>;

class TdmTubingStat : public QObject {
    Q_OBJECT
public:
    // Builds the export columns, then shows the rows and sums of the current
    // well and run; without a well database the dataset stays closed and the
    // sums 0.
    explicit TdmTubingStat(QObject* Owner = nullptr);
    ~TdmTubingStat() override;

    TSqlTransaction itTubingStat;
    TSqlDataSet dsTubingStat;
    TSqlDataSet qrSumTimings;
    std::vector<TTubingStatField> FClipboardFields;
    TTubingSumTimings FSumTimings;
    TSetCurrStatProcedure FSetCurrStatProcedure;

    // The labels of the eight times, in the order of the sum indexes.
    static const std::array<QString, 8> TimeLabels;
    // The eight time columns, in the order of the sum indexes.
    static const std::array<QString, 8> TimeColumns;
    // The text of a row of an element beyond the list.
    static const QString UnknownItemModel;

    // Inserts Item as a new row (IsNew) or rewrites the running row's times,
    // found by its key; false when the database refused, or when the running
    // row is not among the rows shown.
    bool AddStatToDB(const TTubingStatItem& Item, bool IsNew);
    void CopyToClipboard(bool All);
    void CopyTubingsToClipboard();
    // Reopens the dataset on the current well and run (raises on failure).
    void DBChange();
    // The sums of the current well and run; all 0 on any failure.
    void RecalcSumTimings();
    QString GetSumTiming(int Index) const;
    // "h:nn:ss" with unbounded whole hours, rounded to whole seconds; empty for NaN.
    static QString HoursToStr(double Hours);
    void DeleteCurrRecord();
    void GetCurrRecordFromDB(int& ItemNo, int& SubItemNo, bool& IsBHA, QString& ItemModel, double& SurveyDepth,
                             double& SumWeight, TTubingStatItem& Item);
    bool SaveCurrRecord(int ItemNo, int SubItemNo, bool IsBHA, const QString& ItemModel, double SurveyDepth,
                        double SumWeight, const TTubingStatItem& Item);

    // The sum index of a time column or its VSL_ field (-1 for the others).
    static int SumIndex(const QString& FieldName);

    // Shows the rows and sums of the current well and run of the well
    // database the program has now; without one the dataset stays closed.
    void AttachToWells();
    // The well database goes away: the dataset closes and leaves it.
    void DetachFromWells();

private:
    void CreateFields();
    void dsTubingStatCalcFields(TDataSet& DataSet);
    void CancelAndRollback(const QString& Method, const std::exception& e);
    void SetElementColumns(const TTubingStatItem& Item);
    void SetTimeColumns(const TTubingStatItem& Item);
};

// The module of the running program, null while no statistics service exists.
TdmTubingStat* dmTubingStat();

class TTubingStatService : public TWKService {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTubingStatService(QObject* Owner = nullptr);
    ~TTubingStatService() override;

    void Notify(TServiceEvent Event, void* Sender) override;
    void BindData(const TWKStreamList& List);
    void StartLog();
    void PollData();
    // "WELLS" or "RUNS" naming another well or run than the rows shown:
    // the running row is closed with a final write, then the rows and sums
    // follow the new well and run.
    void DBChanged(const QString& Name);
    void SetStatTubingIndex(int Index);
    void SetCurrStat(const TTubingStatItem& Item, TDateTime OldStartTime);
    void TubingStatBeforeDelete(TDataSet& DataSet);

    const TTubingStatItem& RunningRow() const { return FTubingStat; }
    // The module's sums after RecalcSumTimings, in the order of the sum
    // indexes; callable by name for programs that do not link the package.
    Q_INVOKABLE QVariantList RecalculatedSums() const;
    TSensorDataStream* Stream() const { return FStream; }

private:
    void AddStep(int i, double Days);
    void CloseRunningRow();

    TSensorDataStream* FStream = nullptr;
    TSensorDataArray* FTime = nullptr;
    TSensorDataArray* FDepth = nullptr;
    TSensorDataArray* FOperation = nullptr;
    TSensorDataArray* FSensorTubingIndex = nullptr;
    TSensorDataArray* FRotaryFreq = nullptr;
    TSensorDataArray* FTopDriveFreq = nullptr;
    double FPrevTime = 0;
    int FNotSendingDataCount = 0;
    TTubingStatItem FTubingStat;
};

#pragma GCC visibility pop
