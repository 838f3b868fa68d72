// The statistics service: accounts the steps of the records added in each
// tick to the running row of the current element and writes it.
#include "dm_TubingStat.h"

#include "Jointcount.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKUtils.h"
#include "dm_Wells.h"

#include <cmath>

namespace {
// Gaps of this length or more are not accounted (days); times within a tenth
// of a millisecond of it count as that length.
constexpr double kMaxStep = 3.0 / 86400.0 - 0.0001 / 86400.0;
// Two start times within this are the same row (days).
constexpr double kSameStart = 1.0 / 86400000.0;
// Steps accounted before the running row is written again.
constexpr int kStepsPerWrite = 10;

// Owned by the services: the first one makes it, destroying one frees it.
std::unique_ptr<TdmTubingStat>& OwnedModule() {
    static std::unique_ptr<TdmTubingStat> module;
    return module;
}

bool Usable(TSensorDataArray* Array, int i) { return TSensorDataArray::IsCorrectValue(Array, i); }

// The time with its milliseconds dropped (a hair of rounding error counts as the next second).
TDateTime WholeSeconds(TDateTime Time) { return std::floor(Time * 86400.0 + 1e-4) / 86400.0; }
}  // namespace

TTubingStatService::TTubingStatService(QObject* Owner) : TWKService(Owner) {
    if (!dmTubingStat()) OwnedModule() = std::make_unique<TdmTubingStat>();
    TdmTubingStat* module = dmTubingStat();
    module->FSetCurrStatProcedure = [this](const TTubingStatItem& Item, TDateTime OldStartTime) {
        SetCurrStat(Item, OldStartTime);
    };
    module->dsTubingStat.BeforeDelete = [this](TDataSet& DataSet) { TubingStatBeforeDelete(DataSet); };
}

TTubingStatService::~TTubingStatService() { OwnedModule().reset(); }

void TTubingStatService::Notify(TServiceEvent Event, void* Sender) {
    try {
        switch (Event) {
            case seBindStreams:
                if (Sender) BindData(*static_cast<const TWKStreamList*>(Sender));
                break;
            case seStartLogging: StartLog(); break;
            case sePoll: PollData(); break;
            case seDBChange:
                if (Sender) DBChanged(*static_cast<const QString*>(Sender));
                break;
            default: break;
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TTubingStatService.Notify: %1").arg(QString::fromUtf8(e.what())));
    }
}

void TTubingStatService::BindData(const TWKStreamList& List) {
    TSensorDataArray* time = List.FindSensor(0, QStringLiteral("SrcTime"));
    if (!time) return;
    FTime = time;
    FStream = time->GetStream();
    FDepth = FStream->GetSensor(101);
    FOperation = FStream->GetSensor(122);
    FSensorTubingIndex = FStream->GetSensor(120);
    FRotaryFreq = FStream->GetSensor(1200);
    FTopDriveFreq = FStream->GetSensor(1303);
}

void TTubingStatService::StartLog() {
    SetStatTubingIndex(-1);
    FNotSendingDataCount = 0;
    FPrevTime = 0;
}

void TTubingStatService::SetStatTubingIndex(int Index) {
    FTubingStat = {};
    FTubingStat.TubingIndex = Index;
    FTubingStat.ElementIndex = Index;
}

void TTubingStatService::CloseRunningRow() {
    if (FTubingStat.ElementIndex >= 0 && dmTubingStat()) dmTubingStat()->AddStatToDB(FTubingStat, false);
    SetStatTubingIndex(-1);
    FNotSendingDataCount = 0;
}

void TTubingStatService::PollData() {
    if (!FStream || !FTime) return;
    TdmTubingStat* module = dmTubingStat();
    const TdmJointcount* jc = dmJointcount();
    const int n = FStream->GetDataCount();
    for (int i = std::max(0, n - FStream->NewCount()); i < n; ++i) {
        try {
            if (!Usable(FSensorTubingIndex, i) || !Usable(FTime, i) || !jc || jc->FTubing.empty()) continue;
            const double time = FTime->GetValue(i);
            const int k = int(Round(FSensorTubingIndex->GetValue(i))) - 1;
            if (k < 0) {
                // No element: the running row closes with what it has.
                if (FTubingStat.ElementIndex >= 0) CloseRunningRow();
                continue;
            }
            if (k == FTubingStat.ElementIndex) {
                const double dt = time - FPrevTime;
                if (dt < kMaxStep) {
                    AddStep(i, dt);
                    if (++FNotSendingDataCount >= kStepsPerWrite) {
                        if (module) module->AddStatToDB(FTubingStat, false);
                        FNotSendingDataCount = 0;
                    }
                }
                FPrevTime = time;
                continue;
            }
            // Another element: the running row closes and the element's row opens.
            if (module) module->AddStatToDB(FTubingStat, false);
            SetStatTubingIndex(k <= int(jc->FTubing.size()) - 1 ? k : -1);
            FTubingStat.ElementIndex = k;
            FTubingStat.StartTime = WholeSeconds(time);
            if (Usable(FDepth, i)) FTubingStat.SensorDepth = FDepth->GetValue(i);
            if (const TdmWells* wells = dmWells()) {
                FTubingStat.WellID = wells->FCurrentWell;
                FTubingStat.RunNo = wells->FCurrentRun;
            }
            if (!module || !module->AddStatToDB(FTubingStat, true)) SetStatTubingIndex(-1);
            FNotSendingDataCount = 0;
            FPrevTime = time;
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TTubingStatService.PollData: %1").arg(QString::fromUtf8(e.what())));
        }
    }
}

void TTubingStatService::AddStep(int i, double Days) {
    const double h = Days * 24.0;
    TTubingSumTimings none;
    TTubingSumTimings& sums = dmTubingStat() ? dmTubingStat()->FSumTimings : none;
    auto add = [h](double& time, double& sum) {
        time += h;
        sum += h;
    };
    if (Usable(FOperation, i)) {
        const auto op = TOpCode(quint8(Round(FOperation->GetValue(i))));
        switch (op) {
            case opRunningIn: add(FTubingStat.RunInTime, sums.SumRunInTime()); break;
            case opPullingOut: add(FTubingStat.PullingOutTime, sums.SumPullingOutTime()); break;
            case opDrilling:
            case opRotorDrilling: add(FTubingStat.DrillTime, sums.SumDrillTime()); break;
            case opConnection: add(FTubingStat.ConnectionTime, sums.SumConnectionTime()); break;
            default: break;
        }
        if (op == opDrilling || op == opCirculation || op == opRotorDrilling)
            add(FTubingStat.MudCirculationTime, sums.SumMudCirculationTime());
        if (IsDrilling(op)) {
            const bool rotating = (Usable(FRotaryFreq, i) && FRotaryFreq->GetValue(i) > 0) ||
                                  (Usable(FTopDriveFreq, i) && FTopDriveFreq->GetValue(i) > 0);
            if (rotating) add(FTubingStat.RotaryDrillTime, sums.SumRotaryDrillTime());
            else add(FTubingStat.SlideDrillTime, sums.SumSlideDrillTime());
        }
    }
    add(FTubingStat.CommonTime, sums.SumCommonTime());
}

void TTubingStatService::DBChanged(const QString& Name) {
    TdmTubingStat* module = dmTubingStat();
    const TdmWells* wells = dmWells();
    if (!module || !wells) return;
    const TSqlDataSet& d = module->dsTubingStat;
    const bool changed = (Name == QStringLiteral("WELLS") && d.Param("WELLID") != QVariant(wells->FCurrentWell)) ||
                         (Name == QStringLiteral("RUNS") && d.Param("RUNNO") != QVariant(wells->FCurrentRun));
    if (!changed) return;
    // The running row belongs to the rows shown until now: it closes before they go.
    CloseRunningRow();
    try {
        module->DBChange();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TTubingStatService.DBChanged: %1").arg(QString::fromUtf8(e.what())));
    }
    module->RecalcSumTimings();
}

void TTubingStatService::SetCurrStat(const TTubingStatItem& Item, TDateTime OldStartTime) {
    if (FTubingStat.ElementIndex < 0 || std::fabs(OldStartTime - FTubingStat.StartTime) > kSameStart) return;
    FTubingStat.StartTime = Item.StartTime;
    FTubingStat.SensorDepth = Item.SensorDepth;
    FTubingStat.CommonTime = Item.CommonTime;
    FTubingStat.MudCirculationTime = Item.MudCirculationTime;
    FTubingStat.DrillTime = Item.DrillTime;
    FTubingStat.ConnectionTime = Item.ConnectionTime;
    FTubingStat.PullingOutTime = Item.PullingOutTime;
    FTubingStat.RunInTime = Item.RunInTime;
    FTubingStat.SlideDrillTime = Item.SlideDrillTime;
    FTubingStat.RotaryDrillTime = Item.RotaryDrillTime;
}

void TTubingStatService::TubingStatBeforeDelete(TDataSet& DataSet) {
    const TField* start = DataSet.FindField(QStringLiteral("STARTTIME"));
    if (start && FTubingStat.ElementIndex >= 0 && std::fabs(start->AsFloat() - FTubingStat.StartTime) <= kSameStart)
        SetStatTubingIndex(-1);
}

QVariantList TTubingStatService::RecalculatedSums() const {
    QVariantList sums;
    if (TdmTubingStat* module = dmTubingStat()) {
        module->RecalcSumTimings();
        for (double v : module->FSumTimings.Values) sums << v;
    }
    return sums;
}
