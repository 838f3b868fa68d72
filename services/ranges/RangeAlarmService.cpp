#include "RangeAlarmService.h"

#include "Exceptions.h"
#include "Formatting.h"
#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "dlg_SelectRangeParam.h"
#include "dm_Service.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr int kCommandMenu = 2;  // the third top-level menu
const QString kHintCaption = QStringLiteral("Выход значения параметра из заданного диапазона");

// The acquisition program of this station raises the alarms when it is installed beside us.
bool AcquisitionProgramInstalled() {
    for (const char* name : {"Boremont.exe", "Boremont"})
        if (QFileInfo(WKAppPath() + QString::fromLatin1(name)).isFile()) return true;
    return false;
}

qint64 MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString Limit(double v) { return FormatFloat(QStringLiteral("0.##"), v); }
}  // namespace

TRangeAlarmService::TRangeAlarmService(QObject* Owner) : TWKService(Owner), Now(MonotonicMs), StartTime(::Now()) {
    if (!WKMainApplication() && AcquisitionProgramInstalled()) {
        FSkipService = true;
        return;
    }
    FModule = new TdmSpanwatch(FParams, this);
    FModule->OnParamsChanged = [this] { FillParamsMenu(); };
    AddCommands();
    FModule->LoadParams(FParams);
    FillParamsMenu();
    WKContextHandlers().Add(FModule->alRange);
    FModule->SetMessagesActive(WKMainApplication());
}

TRangeAlarmService::~TRangeAlarmService() {
    if (FModule) WKContextHandlers().Remove(FModule->alRange);
    delete FSelectItem.data();
    delete FParamsMenu.data();
    // The module shares the item list: it goes first.
    delete FModule.data();
}

void TRangeAlarmService::AddCommands() {
    IWKMainWindowHost* host = MainWindowHost();
    QMenu* menu = host ? host->TopMenu(kCommandMenu) : nullptr;
    if (!menu) {
        DebugLog(QStringLiteral("TRangeAlarmService.Create: no main menu item %1").arg(kCommandMenu));
        return;
    }
    const QPixmap select = FModule->ilRange.Image(0);
    const QPixmap switches = FModule->ilRange.Image(2);
    if (TPictureList* images = host->MenuImages()) {
        images->Add(select);
        images->Add(switches);
    }
    QAction* first = menu->actions().value(0);
    FSelectItem = new QAction(QIcon(select), QStringLiteral("Контроль параметров..."), menu);
    FSelectItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_R));
    connect(FSelectItem, &QAction::triggered, this, [this] { OnSelectClick(); });
    menu->insertAction(first, FSelectItem);
    FParamsMenu = new QMenu(QStringLiteral("Переключение контроля"), menu);
    FParamsMenu->setIcon(QIcon(switches));
    menu->insertMenu(first, FParamsMenu);
    menu->menuAction()->setEnabled(true);
    menu->setEnabled(true);
}

void TRangeAlarmService::Notify(TServiceEvent Event, void* Sender) {
    if (FSkipService) return;
    switch (Event) {
        case seBindStreams:
            if (Sender) BindData(*static_cast<TWKStreamList*>(Sender));
            break;
        case sePostData:
            CheckData();
            break;
        default:
            break;
    }
}

void TRangeAlarmService::BindData(TWKStreamList& List) {
    for (const auto& item : FParams) {
        TSensorDataArray* data = List.FindSensor(item->GID, QStringLiteral("SrcTime"));
        if (!data) data = List.FindSensor(item->GID, QStringLiteral("Time"));
        item->Data = data;
        item->PrevValue = TRangeCheckItem::NaN;
    }
}

// For every bound item, the samples added in this tick that are usable, in
// order: first the repeated sound of a side whose value stays outside, then
// the crossing of a limit from inside, which raises an alarm unless that side
// raised one within its delay.
void TRangeAlarmService::CheckData() {
    for (const auto& item : FParams) {
        TSensorDataArray* data = item->Data;
        if (!data) continue;
        try {
            const int count = data->GetCount();
            const TSensorDataStream* stream = data->GetStream();
            const int first = std::max(0, count - (stream ? stream->NewCount() : count));
            TSensorDataArray* time = stream ? stream->GetSensor(0) : nullptr;
            for (int i = first; i < count; ++i) {
                const bool replayed = TSensorDataArray::IsCorrectValue(time, i) && time->GetValue(i) < StartTime;
                if (!replayed && data->IsCorrectValue(i)) CheckValue(*item, data->GetValue(i));
            }
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TRangeAlarmService.CheckData %1: %2").arg(item->GID).arg(ExceptionMessage(e)));
        }
    }
}

void TRangeAlarmService::CheckValue(TRangeCheckItem& Item, double v) {
    const qint64 now = Now();
    // Repeated sounds never cut off a sound that plays, on either side: a
    // repeat would otherwise silence the other side's alarm or a message.
    if (Item.CheckMin()) {
        if (v > Item.Min) {
            Item.FMinSignaled = false;
        } else if (Item.MinContinueSound && Item.FMinSignaled &&
                   (Item.FMinSignalTime == 0 || now - Item.FMinSignalTime > qint64(Item.MinDelay) * 1000)) {
            PlaySound(Item.MinSound, true);
            Item.FMinSignalTime = now;
        }
    }
    if (Item.CheckMax()) {
        if (v < Item.Max) {
            Item.FMaxSignaled = false;
        } else if (Item.MaxContinueSound && Item.FMaxSignaled &&
                   (Item.FMaxSignalTime == 0 || now - Item.FMaxSignalTime > qint64(Item.MaxDelay) * 1000)) {
            PlaySound(Item.MaxSound, true);
            Item.FMaxSignalTime = now;
        }
    }
    const double prev = Item.PrevValue;
    if (Item.CheckMin() && (std::isnan(prev) || prev >= Item.Min) && v < Item.Min) {
        if (Item.FMinSignalTime == 0 || now - Item.FMinSignalTime > qint64(Item.MinDelay) * 1000) {
            Item.FMinSignalTime = now;
            RaiseAlarm('<', Item.Name, Item.LogMin, Item.BroadcastMin, v, Item.Min);
            PlaySound(Item.MinSound, Item.MinContinueSound);
        }
        Item.FMinSignaled = true;
    }
    if (Item.CheckMax() && (std::isnan(prev) || prev <= Item.Max) && v > Item.Max) {
        if (Item.FMaxSignalTime == 0 || now - Item.FMaxSignalTime > qint64(Item.MaxDelay) * 1000) {
            Item.FMaxSignalTime = now;
            RaiseAlarm('>', Item.Name, Item.LogMax, Item.BroadcastMax, v, Item.Max);
            PlaySound(Item.MaxSound, Item.MaxContinueSound);
        }
        Item.FMaxSignaled = true;
    }
    Item.PrevValue = v;
}

QString TRangeAlarmService::AlarmText(char Side, const QString& Name, double Limit, double Value) {
    // printf's own formatting: always '.' as the decimal separator.
    const QByteArray name = Name.toUtf8();
    return Side == '<' ? QString::asprintf("Параметр %s < %.3g (%.3g)", name.constData(), Limit, Value)
                       : QString::asprintf("Параметр %s > %.3g (%.3g)", name.constData(), Limit, Value);
}

void TRangeAlarmService::RaiseAlarm(char Side, const QString& Name, bool Log, bool Broadcast, double Value,
                                    double Limit) {
    QString text = AlarmText(Side, Name, Limit, Value);
    if (Log) LogMessage(2, 8, 1, text);
    AddHint(hcWarning, kHintCaption, text);
    if (Broadcast && WKMainApplication() && FModule) FModule->SendMessage(text);
    ::NotifyServices(seAlert, &text);
}

void TRangeAlarmService::PlaySound(const QString& Name, bool NoInterrupt) {
    // Stored names carry no extension.
    if (!Name.isEmpty()) PlaySoundFile(Name + QStringLiteral(".wav"), NoInterrupt);
}

void TRangeAlarmService::FillParamsMenu() {
    if (!FParamsMenu) return;
    FParamsMenu->clear();
    for (const auto& p : FParams) {
        TRangeCheckItem* item = p.get();
        if (item->MinInMenu) {
            QAction* entry = FParamsMenu->addAction(item->Name + QStringLiteral(" < ") + Limit(item->Min));
            entry->setCheckable(true);
            entry->setChecked(item->CheckMin());
            connect(entry, &QAction::triggered, this, [this, entry, item] { OnSelectMin(entry, item); });
        }
        if (item->MaxInMenu) {
            QAction* entry = FParamsMenu->addAction(item->Name + QStringLiteral(" > ") + Limit(item->Max));
            entry->setCheckable(true);
            entry->setChecked(item->CheckMax());
            connect(entry, &QAction::triggered, this, [this, entry, item] { OnSelectMax(entry, item); });
        }
    }
    const bool any = !FParamsMenu->actions().isEmpty();
    FParamsMenu->setEnabled(any);
    FParamsMenu->menuAction()->setEnabled(any);
}

// A checkable entry has toggled its mark already when it triggers.
void TRangeAlarmService::OnSelectMin(QAction* Entry, TRangeCheckItem* Item) {
    {
        TCriticalSectionGuard guard(Ring0());
        Item->SetCheckMin(Entry->isChecked());
    }
    if (FModule) FModule->SaveParam(*Item);
}

void TRangeAlarmService::OnSelectMax(QAction* Entry, TRangeCheckItem* Item) {
    {
        TCriticalSectionGuard guard(Ring0());
        Item->SetCheckMax(Entry->isChecked());
    }
    if (FModule) FModule->SaveParam(*Item);
}

void TRangeAlarmService::OnSelectClick() {
    if (!FModule) return;
    TSensDescrArray sensors;
    try {
        if (dmService) dmService->FillSensDescriptions(sensors, {ssPrimary, ssTime});
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TRangeAlarmService.OnSelectClick ") + ExceptionMessage(e));
    }
    IWKMainWindowHost* host = MainWindowHost();
    TdmSpanwatch* module = FModule;
    TdlgSelectRangeParam dlg(
        sensors, FParams, module->ilRange, [module](const TSensDescr& d) { module->SetRange(d); },
        [module](const TSensDescr& d) { module->ResetRange(d); }, host ? host->MainWindow() : nullptr);
    ShowModal(dlg);
    FillParamsMenu();
}
