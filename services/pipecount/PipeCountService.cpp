#include "PipeCountService.h"

#include "DebugOutput.h"
#include "Formatting.h"
#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "WKConsts.h"
#include "dlg_SetupPipeCount.h"
#include "dm_Wells.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>
#include <algorithm>
#include <cmath>

namespace {
const QString kSection = QStringLiteral("TPipeCountService");
const QString kCurrentPipe = QStringLiteral("CurrentPipe");
const QString kCasingDetached = QStringLiteral("CasingDetached");
// The well and run the stored count was made on.
const QString kCountWell = QStringLiteral("CurrentPipeWell");
const QString kCountRun = QStringLiteral("CurrentPipeRun");
// The time of the newest record the stored count took into account: the
// history fetched again at a restart is not counted a second time.
const QString kCountTime = QStringLiteral("CurrentPipeTime");
const QString kCommandCaption = QStringLiteral("Элементов колонны в скважине...");
constexpr int kCommandMenu = 3;  // the fourth top-level menu

// A move counted at once is held to this length, m.
constexpr double kMaxMove = 40;
// An element counts when the move fell short of its length by less than this, m.
constexpr double kLengthTolerance = 1.5;

QPointer<TPipeCountService>& RunningService() {
    static QPointer<TPipeCountService> service;
    return service;
}

}  // namespace

TPipeCountService::TPipeCountService(QObject* Owner) : TWKService(Owner) {
    CreateJointcountModule();
    AddCommands();
    RunningService() = this;
    const TRegIniFile& reg = WKRegIniFile();
    FCurrentItem = reg.ReadInteger(kSection, kCurrentPipe, 0);
    FCasingDetached = reg.ReadBool(kSection, kCasingDetached, false);
    FStoredWell = reg.ReadInteger(kSection, kCountWell, 0);
    FStoredRun = reg.ReadInteger(kSection, kCountRun, 0);
    FCountTime = reg.ReadFloat(kSection, kCountTime, 0);
    // The tally comes with the well database, whenever that is opened.
    connect(&WellDatabaseSignals(), &TWellDatabaseSignals::Opened, this, [this] { LoadTubing(); });
}

TPipeCountService::~TPipeCountService() {
    delete FMenuItem.data();
    delete FToolButton.data();
}

TPipeCountService* TPipeCountService::Running() { return RunningService().data(); }

const TTubingArray& TPipeCountService::Tubing() const { return dmJointcount()->FTubing; }
TTubingArray& TPipeCountService::Tubing() { return dmJointcount()->FTubing; }

void TPipeCountService::AddCommands() {
    IWKMainWindowHost* host = MainWindowHost();
    if (!host) return;
    const QPixmap image = dmJointcount()->ilPipes.Image(0);
    if (TPictureList* images = host->MenuImages()) images->Add(image);
    if (QMenu* menu = host->TopMenu(kCommandMenu)) {
        FMenuItem = menu->addAction(QIcon(image), kCommandCaption);
        FMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
        FMenuItem->setVisible(true);
        connect(FMenuItem, &QAction::triggered, this, [this] { OnSelectClick(); });
    } else {
        DebugLog(QStringLiteral("TPipeCountService.Create: no main menu item %1").arg(kCommandMenu));
    }
    if (QToolBar* bar = host->ToolBar()) {
        FToolButton = bar->addAction(QIcon(image), kCommandCaption);
        FToolButton->setToolTip(kCommandCaption);
        connect(FToolButton, &QAction::triggered, this, [this] { OnSelectClick(); });
    } else {
        DebugLog(QStringLiteral("TPipeCountService.Create: no toolbar"));
    }
}

void TPipeCountService::Notify(TServiceEvent Event, void* Sender) {
    switch (Event) {
        case seCreateStreams:
            if (Sender) CreateStream(*static_cast<TWKStreamList*>(Sender));
            break;
        case seBindStreams:
            if (Sender) BindData(*static_cast<TWKStreamList*>(Sender));
            break;
        case seStartLogging:
            StartLog();
            break;
        case sePoll:
            PollData();
            break;
        case seDBChange:
            if (Sender) DBChanged(*static_cast<const QString*>(Sender));
            break;
        default:
            break;
    }
}

void TPipeCountService::CreateStream(TWKStreamList& List) {
    FStream = nullptr;
    FBitPosByTubing = FBitPosAndKelly = FBitPos = FPipeCount = FDrillStringWeight = FPipeLengthSensor =
        FBitPosDelta = nullptr;
    FTubingCount = nullptr;
    TSensorDataArray* depth = List.FindSensor(101, QStringLiteral("SrcTime"));
    TSensorDataStream* stream = depth ? depth->GetStream() : List.GetStreamByID(QStringLiteral("SNValues"));
    if (!stream) return;
    FBitPosByTubing = stream->AddSensor(110);
    FBitPosAndKelly = stream->AddSensor(126);
    FBitPos = stream->AddSensor(115);
    FPipeCount = stream->AddSensor(111);
    FTubingCount = stream->AddSensor<TPipeDataArray>(120);
    FDrillStringWeight = stream->AddSensor(204);
    FPipeLengthSensor = stream->AddSensor(121);
    FBitPosDelta = stream->AddSensor(124);
    FStream = stream;
}

void TPipeCountService::BindData(TWKStreamList& List) {
    FDepth = List.FindSensor(101, QStringLiteral("SrcTime"));
    TSensorDataStream* stream = FDepth ? FDepth->GetStream() : nullptr;
    FOffBottom = stream ? stream->GetSensor(102) : nullptr;
    FTBlock = stream ? stream->GetSensor(103) : nullptr;
    FTime = stream ? stream->GetSensor(0) : nullptr;
}

void TPipeCountService::StartLog() {
    LoadTubing();
    FPrevBitPos = NaN;
    FPrevOffBottom = NaN;
    FPrevTBBP = NaN;
    FSavTBBP = NaN;
    FPipeChangeBitPos = -1;
    FCorrDelta = 0;
}

void TPipeCountService::DBChanged(const QString& Data) {
    if (Data == QStringLiteral("RUNS") || Data == QStringLiteral("WELLS")) LoadTubing();
}

double TPipeCountService::GetKellyLength() {
    TdmWells* wells = dmWells();
    if (!wells || !wells->Connected()) return -1;
    try {
        return TdmJointcount::ReadKellyLength(wells->dbWells(), wells->FCurrentWell, wells->FCurrentRun);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TPipeCountService.GetKellyLength ") + ExceptionMessage(e));
        return -1;
    }
}

void TPipeCountService::LoadTubing() {
    FKellyLength = GetKellyLength();
    TdmWells* wells = dmWells();
    if (!wells || !wells->Connected()) {
        DebugLog(QStringLiteral("TPipeCountService.LoadTubing: the well database is not available"));
        Tubing().clear();
        FCasingLenght = 0;
        FCurrentItem = 0;
        return;
    }
    if (!wells->FRunActive) {
        Tubing().clear();
        FCasingLenght = 0;
        FCurrentItem = 0;
        return;
    }
    const int well = wells->FCurrentWell, run = wells->FCurrentRun;
    double casing = 0;
    TTubingArray list;
    try {
        list = TdmJointcount::ReadTally(wells->dbWells(), well, run, casing);
    } catch (const std::exception& e) {
        // The list of the last good reading stays.
        DebugLog(QStringLiteral("TPipeCountService.LoadTubing ") + ExceptionMessage(e));
        return;
    }
    // A count belongs to the well and run it was made on; one stored before
    // the program started is checked against the well and run stored with it.
    const bool otherRun = FRefWell > 0 ? (FRefWell != well || FRefRun != run)
                                       : (FStoredWell > 0 && (FStoredWell != well || FStoredRun != run));
    const bool firstLoad = FRefWell == 0;
    FRefWell = well;
    FRefRun = run;
    if (otherRun) {
        FCurrentItem = 0;
        FCountTime = 0;
        StoreCurrentPipe();
    } else if (firstLoad && FStoredWell > 0) {
        // Without the database the count stood at 0 in memory only: the
        // stored one holds again.
        FCurrentItem = WKRegIniFile().ReadInteger(kSection, kCurrentPipe, FCurrentItem);
    }
    Tubing() = std::move(list);
    FCasingLenght = casing;
}

double TPipeCountService::GetRangeVolume(int From, int To) const {
    const TTubingArray& list = Tubing();
    const int n = int(list.size());
    if (From < 0 || To < 0 || From >= n || To >= n || From > To) return -1;
    double sum = 0;
    for (int i = From; i <= To; ++i) sum += list[size_t(i)].ItemVolume;
    return sum;
}

void TPipeCountService::StoreCurrentPipe() {
    // The count goes on in memory when the settings file cannot take it;
    // the next change stores it again.
    try {
        TRegIniFile& reg = WKRegIniFile();
        reg.Update([&] {
            reg.WriteInteger(kSection, kCurrentPipe, FCurrentItem);
            reg.WriteInteger(kSection, kCountWell, FRefWell);
            reg.WriteInteger(kSection, kCountRun, FRefRun);
            reg.WriteFloat(kSection, kCountTime, FCountTime);
        });
        FStoredWell = FRefWell;
        FStoredRun = FRefRun;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TPipeCountService.StoreCurrentPipe: ") + ExceptionMessage(e));
    }
}

// ---------------------------------------------------------------------------
// Counting

void TPipeCountService::PollData() {
    if (!FStream) return;
    const int count = FStream->GetDataCount();
    for (int i = std::max(0, count - FStream->NewCount()); i < count; ++i) {
        // Records the stored count already took into account (history fetched again) are not counted.
        const double time = TSensorDataArray::IsCorrectValue(FTime, i) ? FTime->GetValue(i) : NaN;
        const bool counted = FCountTime > 0 && time <= FCountTime;
        if (!counted && TSensorDataArray::IsCorrectValue(FDepth, i) && TSensorDataArray::IsCorrectValue(FOffBottom, i) &&
            TSensorDataArray::IsCorrectValue(FTBlock, i)) {
            FScanTime = time;
            try {
                ProcessScan(i);
            } catch (const std::exception& e) {
                ScanFailed(ExceptionMessage(e));
                return;
            } catch (...) {
                ScanFailed(QStringLiteral("unknown exception"));
                return;
            }
        }
        WriteOutputs(i);
    }
}

void TPipeCountService::ScanFailed(const QString& Message) const {
    // The rest of the tick is left; the next tick goes on with its own records.
    DebugLog(QString::fromLatin1(metaObject()->className()) + QStringLiteral(".PollData.ProcessScan ") + Message);
}

void TPipeCountService::ResetChange(double BitPos) {
    FPipeChangeBitPos = BitPos;
    FSavTBBP = NaN;
    FCorrDelta = 0;
}

void TPipeCountService::ProcessScan(int i) {
    const double depth = FDepth->GetValue(i);
    const double offBottom = FOffBottom->GetValue(i);
    const double block = FTBlock->GetValue(i);
    const double bitPos = depth - offBottom;
    if (FBitPos) FBitPos->SetValue(i, bitPos);
    // Constant while the string hangs in the block.
    const double tbbp = bitPos + block;
    if (FPipeChangeBitPos < 0) ResetChange(bitPos);
    // Bit and block jumping together between two records: a sensor correction, not a move.
    if (!std::isnan(FPrevBitPos) && std::abs(FPrevBitPos - bitPos) > 0.3 && std::abs(FPrevTBBP - tbbp) > 0.3) {
        FCorrDelta += bitPos - FPrevBitPos;
        FSavTBBP = NaN;
        if (DebugMode()) {
            TSensorDataArray* time = FStream ? FStream->GetSensor(0) : nullptr;
            OutputDebugString(QStringLiteral("Jointcount: Bit position correction ") + QString::number(FCorrDelta) +
                              QLatin1Char(' ') + (time ? TimeToStr(time->GetValue(i)) : QString()));
        }
    }
    if (std::abs(offBottom - FPrevOffBottom) > 0.001) {
        // The bit moves relative to the bottom.
        FSavTBBP = tbbp;
    } else if (!std::isnan(FSavTBBP) && std::abs(FSavTBBP - tbbp) > 0.5) {
        // The bit stands and the block moved without the string: an element is on or off.
        if (PipeChange(bitPos)) ResetChange(bitPos);
    }
    FPrevOffBottom = offBottom;
    FPrevTBBP = tbbp;
    FPrevBitPos = bitPos;
}

bool TPipeCountService::PipeChange(double BitPos) {
    TTubingArray& list = Tubing();
    const int n = int(list.size());
    const double delta = BitPos - FPipeChangeBitPos - FCorrDelta;
    double rest = std::min(std::abs(delta), kMaxMove);
    const int before = FCurrentItem;
    while (rest > 0) {
        if (delta >= 0) {
            if (FCurrentItem >= n) {
                LogMessage(2, 5, 2, QStringLiteral("Введено недостаточно элементов колонны для расчетов"));
                return true;
            }
            rest -= list[size_t(FCurrentItem)].ItemLength;
            if (rest > -kLengthTolerance) ++FCurrentItem;
        } else {
            if (FCurrentItem <= 0) break;
            if (FCurrentItem > n) {
                // A stored count the list no longer reaches: the string comes up from its top.
                DebugLog(QStringLiteral("TPipeCountService.PipeChange: count %1 beyond the %2 elements").arg(FCurrentItem).arg(n));
                FCurrentItem = n;
                if (n == 0) break;
            }
            rest -= list[size_t(FCurrentItem - 1)].ItemLength;
            if (rest > -kLengthTolerance) --FCurrentItem;
        }
    }
    if (FCurrentItem == before) return false;
    if (!std::isnan(FScanTime)) FCountTime = FScanTime;
    StoreCurrentPipe();
    FPipeLength = std::abs(delta);
    return true;
}

void TPipeCountService::WriteOutputs(int i) {
    if (!FTubingCount) return;
    const TTubingArray& list = Tubing();
    const int n = int(list.size());
    FTubingCount->SetValue(i, FCurrentItem);
    FPipeLengthSensor->SetValue(i, FPipeLength);
    auto calculated = [i](TSensorDataArray* a, double v) { a->SetData(i, {v, ssCalculated}); };
    if (FCurrentItem < 0 || FCurrentItem > n) {
        for (TSensorDataArray* a : {FBitPosByTubing, FPipeCount, FBitPosDelta, FDrillStringWeight}) a->SetState(i, ssError);
        return;
    }
    if (FCurrentItem == 0) {
        for (TSensorDataArray* a : {FBitPosByTubing, FPipeCount, FDrillStringWeight}) calculated(a, 0);
        return;
    }
    const TTubingItem& item = list[size_t(FCurrentItem - 1)];
    const double depth = item.Depth - (FCasingDetached ? FCasingLenght : 0);
    calculated(FBitPosByTubing, depth);
    calculated(FPipeCount, item.PipeNo + item.PipeSubNo / 10.0);
    calculated(FDrillStringWeight, item.SumWeight / 1000);
    if (FKellyLength > 0) calculated(FBitPosAndKelly, item.Depth + FKellyLength);
    if (!std::isnan(FPrevBitPos)) calculated(FBitPosDelta, FPrevBitPos - depth);
}

// ---------------------------------------------------------------------------
// Choosing the element by hand

bool TPipeCountService::SelectTubingItem(bool ShowCasing, int& Index, TTubingItem& Item, bool& CasingDetached) {
    {
        TCriticalSectionGuard guard(Ring0());
        Index = FCurrentItem;
        CasingDetached = FCasingDetached;
    }
    if (Tubing().empty()) LoadTubing();
    IWKMainWindowHost* host = MainWindowHost();
    TdlgSetupPipeCount dlg(host ? host->MainWindow() : nullptr);
    const TTubingArray& list = Tubing();
    const bool hasCasing = std::any_of(list.begin(), list.end(), [](const TTubingItem& t) { return t.IsCasing; });
    const bool hasOther = std::any_of(list.begin(), list.end(), [](const TTubingItem& t) { return !t.IsCasing; });
    dlg.Fill(list, dmJointcount()->ilPipes, ShowCasing && hasCasing && hasOther, CasingDetached);
    dlg.SelectRow(Index);
    if (ShowModal(dlg) != mrOk) {
        CasingDetached = false;
        return false;
    }
    Index = dlg.SelectedRow();
    if (Index > 0 && Index <= int(list.size())) Item = list[size_t(Index - 1)];
    CasingDetached = dlg.CasingDetached();
    return true;
}

void TPipeCountService::OnSelectClick() {
    int index = 0;
    TTubingItem item;
    bool detached = false;
    if (!SelectTubingItem(true, index, item, detached)) return;
    {
        TCriticalSectionGuard guard(Ring0());
        FCurrentItem = index;
        FCasingDetached = detached;
    }
    // The choice holds from now: the records before it are not counted on it again.
    const int n = FTime ? FTime->GetCount() : 0;
    FCountTime = n > 0 && FTime->IsCorrectValue(n - 1) ? FTime->GetValue(n - 1) : 0;
    StoreCurrentPipe();
    try {
        WKRegIniFile().WriteBool(kSection, kCasingDetached, detached);
    } catch (const std::exception& e) {
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
    QString data = QStringLiteral("TubingNumber");
    ::NotifyServices(seSettingsChange, &data);
}
