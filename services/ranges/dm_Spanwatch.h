#pragma once
// Limit alarms: the limits of each watched sensor and the state of their
// checks, the data module that keeps them in the local configuration database
// (table Ranges; the rows of profile -1 are the active set), the context
// actions that parameter popups offer, and the alarm datagram socket.
#include "DataAccess.h"
#include "TreeView.h"
#include "WKContextHandling.h"
#include "WKDataStructures.h"
#include "WKSensDescr.h"

#include <QObject>
#include <QString>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

class QUdpSocket;
class IWKParameterContext;

// The limits of one sensor and the state of their checks.
class TRangeCheckItem {
public:
    static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

    TSensorDataArray* Data = nullptr;  // the bound array, null while unbound
    qint64 FMinSignalTime = 0;         // ms of the last lower alarm or repeated sound, 0 = none
    qint64 FMaxSignalTime = 0;
    double PrevValue = NaN;            // NaN after binding or a change of a check switch
    bool FMinSignaled = false;         // outside the lower limit since an alarm
    bool FMaxSignaled = false;
    int GID = 0;
    bool MinInMenu = false;
    bool MaxInMenu = false;
    double Min = NaN;  // stored units, NaN when not set
    double Max = NaN;
    QString MinSound;  // names without extension in the sounds folder; empty = none
    QString MaxSound;
    bool LogMin = false;
    bool LogMax = false;
    int MinDelay = 0;  // s between two alarms, and between repeated sounds
    int MaxDelay = 0;
    bool MinContinueSound = false;
    bool MaxContinueSound = false;
    bool BroadcastMin = false;
    bool BroadcastMax = false;
    QString Name;  // the sensor's short name, empty when the sensor is missing

    bool CheckMin() const { return FCheckMin; }
    bool CheckMax() const { return FCheckMax; }
    bool AnyCheck() const { return FCheckMin || FCheckMax; }
    // A changed switch forgets that side's last alarm and the previous value.
    void SetCheckMin(bool Value);
    void SetCheckMax(bool Value);

private:
    bool FCheckMin = false;
    bool FCheckMax = false;
};

using TRangeCheckList = std::vector<std::unique_ptr<TRangeCheckItem>>;

// The first item of that GID, null when none.
TRangeCheckItem* FindParamLink(const TRangeCheckList& List, int GID);
// "<12.5" and/or ">100" of the switched-on sides, joined by ", ".
QString RangeText(const TRangeCheckItem& Item);

class TdmSpanwatch : public QObject {
    Q_OBJECT
public:
    // Opens its own connection to the local configuration database
    // (WKLocalDatabasePath) and both tables; raises when that fails. Params is
    // the service's item list, which the module shares.
    TdmSpanwatch(TRangeCheckList& Params, QObject* Owner = nullptr);
    ~TdmSpanwatch() override;

    // Appends an item for every active row.
    void LoadParams(TRangeCheckList& List) const;
    // Writes every column of the item's active row, adding the row when there
    // is none. A failure leaves the row as it was and is logged; false then.
    bool SaveParam(const TRangeCheckItem& Item) const;
    // Both checks of the active row off; the row stays.
    bool DeleteParam(int GID) const;
    // Switches both checks of the sensor's item off and stores that.
    void ResetRange(const TSensDescr& Descr);
    // The limit dialog for the sensor; true when the user confirmed it.
    bool SetRange(const TSensDescr& Descr);

    // The limits changed (dialog or context actions): the service rebuilds its submenu.
    std::function<void()> OnParamsChanged;

    // Enables the context actions for the parameter of the active control.
    void UpdateActions();
    // The parameter of the active control (the focused widget or one of its
    // parents that is a parameter context); false when there is none.
    static bool ActiveParameter(TSensDescr& Descr);

    // Opens the alarm socket on the configured address and port (UDP/Address,
    // UDP/Port); Active is false outside the acquisition program.
    void SetMessagesActive(bool Active);
    bool MessagesActive() const { return FSocket != nullptr; }
    // "MESSAGE=" and the text in UTF-16LE as one datagram; a failure is logged.
    void SendMessage(const QString& Text);

    const TDataConnection& dbService() const { return FConnection; }
    TRangeCheckList& FParams;
    int CurrentProfile = -1;

    // Images: 0 control, 1 no control, 2 the switch submenu.
    TPictureList ilRange;
    TWKActionList* alRange = nullptr;
    QAction* actControl = nullptr;
    QAction* actNoControl = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ParamsChanged();

    TDataConnection FConnection;
    TWKImageList FActionImages;
    std::unique_ptr<QUdpSocket> FSocket;
    QString FAddress;
    quint16 FPort = 0;
};

// The module of the running program (null while no limit service runs).
TdmSpanwatch* dmSpanwatch();
