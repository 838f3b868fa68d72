#pragma once
// Pipe counting: follows the drill string into and out of the well from the
// run's element list and the depth (101), bit off bottom (102) and block
// position (103) sensors of the "SrcTime" stream, and publishes the element
// number and what follows from it as computed sensors of that stream. Belongs
// in the secondary group after the acquisition service: each tick it works on
// the records added to its stream during that tick. The count survives
// restarts through the settings section TPipeCountService, together with the
// well and run it belongs to.
#include "WKServices.h"
#include "dm_Jointcount.h"

#include <QPointer>
#include <cmath>
#include <limits>

#pragma GCC visibility push(default)

class QAction;

class TPipeCountService : public TWKService {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPipeCountService(QObject* Owner = nullptr);
    ~TPipeCountService() override;

    void Notify(TServiceEvent Event, void* Sender) override;

    // The stream of the depth sensor among the "SrcTime" streams (else the
    // stream "SNValues") gets the eight computed arrays.
    void CreateStream(TWKStreamList& List);
    // The three inputs from the "SrcTime" stream that holds the depth.
    void BindData(TWKStreamList& List);
    // Reloads the element list and restarts the move tracking.
    void StartLog();
    // Scans the records added in this tick and writes the outputs for each.
    void PollData();
    // "RUNS" and "WELLS" reload the element list.
    void DBChanged(const QString& Data);
    // The element list of the current well and run from the well database.
    // Without the database (or with the run closed) the list is empty and the
    // count 0; a failing statement keeps the list as it was.
    void LoadTubing();
    // KELLYLENGTH of the current run; -1 when missing, null or unreadable.
    double GetKellyLength();
    // Sum of the volumes of the elements with 0-based indices From..To; -1
    // when either lies outside the list or From > To.
    double GetRangeVolume(int From, int To) const;
    // The selection dialog: Index (0 = no element) and, for Index > 0, the
    // element; CasingDetached only when the casing choice was offered and ticked.
    bool SelectTubingItem(bool ShowCasing, int& Index, TTubingItem& Item, bool& CasingDetached);
    // The menu and tool-button command: the choice becomes the count and is stored.
    void OnSelectClick();

    int CurrentItem() const { return FCurrentItem; }
    bool CasingDetached() const { return FCasingDetached; }
    double KellyLength() const { return FKellyLength; }
    double CasingLength() const { return FCasingLenght; }
    double PipeLength() const { return FPipeLength; }
    double CorrDelta() const { return FCorrDelta; }
    TSensorDataStream* Stream() const { return FStream; }
    QAction* MenuItem() const { return FMenuItem; }
    QAction* ToolButton() const { return FToolButton; }

    // The service the package's exported functions use (the last one created), or null.
    static TPipeCountService* Running();

protected:
    void ProcessScan(int i);

private:
    static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

    void AddCommands();
    // Evaluates an element change for the move since the last change; true
    // when the reference position must be reset.
    bool PipeChange(double BitPos);
    void ResetChange(double BitPos);
    void ScanFailed(const QString& Message) const;
    void WriteOutputs(int i);
    void StoreCurrentPipe();
    const TTubingArray& Tubing() const;
    TTubingArray& Tubing();

    TSensorDataStream* FStream = nullptr;
    TSensorDataArray* FDepth = nullptr;
    TSensorDataArray* FOffBottom = nullptr;
    TSensorDataArray* FTBlock = nullptr;
    TSensorDataArray* FTime = nullptr;
    TSensorDataArray* FBitPosByTubing = nullptr;
    TSensorDataArray* FBitPosAndKelly = nullptr;
    TSensorDataArray* FBitPos = nullptr;
    TSensorDataArray* FPipeCount = nullptr;
    TPipeDataArray* FTubingCount = nullptr;
    TSensorDataArray* FDrillStringWeight = nullptr;
    TSensorDataArray* FPipeLengthSensor = nullptr;
    TSensorDataArray* FBitPosDelta = nullptr;

    int FCurrentItem = 0;
    double FPipeChangeBitPos = -1;
    double FCorrDelta = 0;
    double FPipeLength = 0;
    double FPrevBitPos = NaN;
    double FPrevOffBottom = NaN;
    double FPrevTBBP = NaN;
    double FSavTBBP = NaN;
    int FRefWell = 0;
    int FRefRun = 0;
    double FKellyLength = -1;
    double FCasingLenght = 0;
    bool FCasingDetached = false;
    // Well and run the stored count belongs to (0: not known).
    int FStoredWell = 0;
    int FStoredRun = 0;
    // Time of the newest record the count took into account (0: none), and of the record being scanned.
    double FCountTime = 0;
    double FScanTime = NaN;

    QPointer<QAction> FMenuItem;
    QPointer<QAction> FToolButton;
};

#pragma GCC visibility pop
