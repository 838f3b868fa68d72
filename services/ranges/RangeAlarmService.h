#pragma once
// Limit alarms: every new sample of a watched sensor is checked against its
// lower and upper limit at sePostData of the secondary group. A crossing from
// inside raises a warning hint, optionally a message-log line, a datagram to
// the other stations and a sound, and seAlert with the text (a const QString*)
// for every service and listener. The limits are edited from the third
// top-level menu ("Контроль параметров...", Alt+R, and the switch submenu)
// and from the context actions of parameter popups.
#include "Formatting.h"
#include "WKServices.h"
#include "dm_Spanwatch.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <functional>

class TRangeAlarmService : public TWKService {
    Q_OBJECT
    Q_PROPERTY(double StartTime MEMBER StartTime)
public:
    Q_INVOKABLE explicit TRangeAlarmService(QObject* Owner = nullptr);
    ~TRangeAlarmService() override;

    void Notify(TServiceEvent Event, void* Sender) override;

    // Every item's array: its GID in a "SrcTime" stream, else in a "Time" stream.
    void BindData(TWKStreamList& List);
    // Checks the samples added in this tick (see the .cpp).
    void CheckData();
    // The switch submenu from the items.
    void FillParamsMenu();
    // A submenu entry was toggled: the side's check follows its mark and is stored.
    void OnSelectMin(QAction* Entry, TRangeCheckItem* Item);
    void OnSelectMax(QAction* Entry, TRangeCheckItem* Item);
    // The parameter list dialog.
    void OnSelectClick();

    // Milliseconds of a monotonic clock; tests replace it.
    std::function<qint64()> Now;
    // Samples older than this (the history the acquisition client fetches
    // when it connects) are not checked: nothing that happened before the
    // program started alarms. The time of the service's creation; tests set it.
    TDateTime StartTime;

    // True when another program on this station raises the alarms.
    bool Idle() const { return FSkipService; }
    TRangeCheckList& Params() { return FParams; }
    TdmSpanwatch* Module() const { return FModule; }
    QAction* SelectItem() const { return FSelectItem; }
    QMenu* ParamsMenu() const { return FParamsMenu; }

    // The alarm text of the lower ('<') or upper ('>') side.
    static QString AlarmText(char Side, const QString& Name, double Limit, double Value);

private:
    void AddCommands();
    void CheckValue(TRangeCheckItem& Item, double Value);
    void RaiseAlarm(char Side, const QString& Name, bool Log, bool Broadcast, double Value, double Limit);
    static void PlaySound(const QString& Name, bool NoInterrupt);

    bool FSkipService = false;
    TRangeCheckList FParams;
    QPointer<TdmSpanwatch> FModule;
    QPointer<QAction> FSelectItem;
    QPointer<QMenu> FParamsMenu;
};
