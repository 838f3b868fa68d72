#include "dm_Spanwatch.h"

#include "Exceptions.h"
#include "Formatting.h"
#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "RangeImages.h"
#include "WKConsts.h"
#include "WKControlDesign.h"
#include "WKServices.h"
#include "dlg_SetRange.h"
#include "dm_Service.h"

#include <QApplication>
#include <QEvent>
#include <QHostAddress>
#include <QMenu>
#include <QPointer>
#include <QSqlQuery>
#include <QUdpSocket>
#include <QWidget>
#include <QtEndian>
#include <cmath>

namespace {
const QString kUDPSection = QStringLiteral("UDP");
const QString kUDPAddress = QStringLiteral("Address");
const QString kUDPPort = QStringLiteral("Port");
const QString kDefaultAddress = QStringLiteral("255.255.255.255");
constexpr int kDefaultPort = 703;

// The columns of Ranges after ProfileID and GID, in the order the statements use them.
const QString kColumns = QStringLiteral(
    "CheckMin, CheckMax, MinValue, MaxValue, MinSound, MaxSound, MinContinueSound, MaxContinueSound, MinDelay, "
    "MaxDelay, MinLogEvent, MaxLogEvent, MinInMenu, MaxInMenu, BroadcastMin, BroadcastMax");

QPointer<TdmSpanwatch>& Instance() {
    static QPointer<TdmSpanwatch> instance;
    return instance;
}

QVariant Limit(double v) { return std::isnan(v) ? QVariant() : QVariant(v); }
double Limit(const QVariant& v) { return v.isNull() ? TRangeCheckItem::NaN : v.toDouble(); }

QString ShortName(int GID) {
    if (!dmService) return {};
    try {
        return dmService->GetSensDescr(GID).Name;
    } catch (const std::exception&) {
        return {};
    }
}
}  // namespace

// ---------------------------------------------------------------------------
// TRangeCheckItem

void TRangeCheckItem::SetCheckMin(bool Value) {
    if (Value != FCheckMin) {
        FMinSignalTime = 0;
        PrevValue = NaN;
    }
    FCheckMin = Value;
}

void TRangeCheckItem::SetCheckMax(bool Value) {
    if (Value != FCheckMax) {
        FMaxSignalTime = 0;
        PrevValue = NaN;
    }
    FCheckMax = Value;
}

TRangeCheckItem* FindParamLink(const TRangeCheckList& List, int GID) {
    for (const auto& item : List)
        if (item->GID == GID) return item.get();
    return nullptr;
}

QString RangeText(const TRangeCheckItem& Item) {
    QStringList parts;
    if (Item.CheckMin()) parts << QStringLiteral("<") + FormatFloat(QStringLiteral("0.##"), Item.Min);
    if (Item.CheckMax()) parts << QStringLiteral(">") + FormatFloat(QStringLiteral("0.##"), Item.Max);
    return parts.join(QStringLiteral(", "));
}

// ---------------------------------------------------------------------------
// TdmSpanwatch

TdmSpanwatch::TdmSpanwatch(TRangeCheckList& Params, QObject* Owner)
    : QObject(Owner), FParams(Params), FConnection(TDataConnection::OpenSQLite(WKLocalDatabasePath())) {
    // Both tables must be there, as opening them would require.
    FConnection.Exec(QStringLiteral("SELECT ProfileID, ProfileName FROM RangeProfiles WHERE 0"));
    FConnection.Exec(QStringLiteral("SELECT ProfileID, GID, %1 FROM Ranges WHERE 0").arg(kColumns));

    ilRange = DrawRangeImages(16);
    for (int i = 0; i < ilRange.Count(); ++i) FActionImages << QIcon(ilRange.Image(i));
    alRange = new TWKActionList(this);
    alRange->setObjectName(QStringLiteral("alRange"));
    alRange->Images = &FActionImages;
    actControl = alRange->AddAction(QStringLiteral("Контроль параметра..."), QStringLiteral("Sensors"), 0);
    actControl->setObjectName(QStringLiteral("actControl"));
    actControl->setIcon(FActionImages.value(0));
    actNoControl = alRange->AddAction(QStringLiteral("Отмена контроля"), QStringLiteral("Sensors"), 1);
    actNoControl->setObjectName(QStringLiteral("actNoControl"));
    actNoControl->setIcon(FActionImages.value(1));
    connect(actControl, &QAction::triggered, this, [this] {
        TSensDescr descr;
        if (ActiveParameter(descr) && descr.GID != 0) SetRange(descr);
    });
    connect(actNoControl, &QAction::triggered, this, [this] {
        TSensDescr descr;
        if (!ActiveParameter(descr)) return;
        const TRangeCheckItem* item = FindParamLink(FParams, descr.GID);
        if (item && item->AnyCheck()) ResetRange(descr);
    });
    // The actions are brought up to date whenever a menu that holds them opens.
    if (qApp) qApp->installEventFilter(this);
    if (!Instance()) Instance() = this;
}

TdmSpanwatch::~TdmSpanwatch() {
    if (qApp) qApp->removeEventFilter(this);
}

TdmSpanwatch* dmSpanwatch() { return Instance().data(); }

void TdmSpanwatch::LoadParams(TRangeCheckList& List) const {
    QSqlQuery q = FConnection.Exec(
        QStringLiteral("SELECT GID, %1 FROM Ranges WHERE ProfileID < 0 ORDER BY ProfileID, GID").arg(kColumns));
    while (q.next()) {
        auto item = std::make_unique<TRangeCheckItem>();
        item->GID = q.value(0).toInt();
        item->SetCheckMin(q.value(1).toBool());
        item->SetCheckMax(q.value(2).toBool());
        item->Min = Limit(q.value(3));
        item->Max = Limit(q.value(4));
        item->MinSound = q.value(5).toString();
        item->MaxSound = q.value(6).toString();
        item->MinContinueSound = q.value(7).toBool();
        item->MaxContinueSound = q.value(8).toBool();
        item->MinDelay = q.value(9).toInt();
        item->MaxDelay = q.value(10).toInt();
        item->LogMin = q.value(11).toBool();
        item->LogMax = q.value(12).toBool();
        item->MinInMenu = q.value(13).toBool();
        item->MaxInMenu = q.value(14).toBool();
        item->BroadcastMin = q.value(15).toBool();
        item->BroadcastMax = q.value(16).toBool();
        item->Name = ShortName(item->GID);
        List.push_back(std::move(item));
    }
}

bool TdmSpanwatch::SaveParam(const TRangeCheckItem& Item) const {
    // One statement: the row is written whole or not at all.
    static const QString sql = [] {
        QStringList updates;
        for (const QString& c : kColumns.split(QStringLiteral(", "))) updates << c + QStringLiteral(" = excluded.") + c;
        return QStringLiteral("INSERT INTO Ranges (ProfileID, GID, %1) VALUES (-1, ?%2) "
                              "ON CONFLICT (ProfileID, GID) DO UPDATE SET %3")
            .arg(kColumns, QStringLiteral(", ?").repeated(16), updates.join(QStringLiteral(", ")));
    }();
    try {
        FConnection.Exec(sql, {Item.GID, Item.CheckMin(), Item.CheckMax(), Limit(Item.Min), Limit(Item.Max),
                               Item.MinSound, Item.MaxSound, Item.MinContinueSound, Item.MaxContinueSound,
                               Item.MinDelay, Item.MaxDelay, Item.LogMin, Item.LogMax, Item.MinInMenu,
                               Item.MaxInMenu, Item.BroadcastMin, Item.BroadcastMax});
        return true;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmSpanwatch.SaveParam %1: %2").arg(Item.GID).arg(ExceptionMessage(e)));
        return false;
    }
}

bool TdmSpanwatch::DeleteParam(int GID) const {
    try {
        FConnection.Exec(QStringLiteral("UPDATE Ranges SET CheckMin = 0, CheckMax = 0 WHERE ProfileID = -1 AND GID = ?"),
                         {GID});
        return true;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmSpanwatch.DeleteParam %1: %2").arg(GID).arg(ExceptionMessage(e)));
        return false;
    }
}

void TdmSpanwatch::ResetRange(const TSensDescr& Descr) {
    TRangeCheckItem* item = FindParamLink(FParams, Descr.GID);
    if (!item) return;
    {
        TCriticalSectionGuard guard(Ring0());
        item->SetCheckMin(false);
        item->SetCheckMax(false);
    }
    DeleteParam(Descr.GID);
    ParamsChanged();
}

bool TdmSpanwatch::SetRange(const TSensDescr& Descr) {
    TRangeCheckItem* item = FindParamLink(FParams, Descr.GID);
    IWKMainWindowHost* host = MainWindowHost();
    TdlgSetRange dlg(host ? host->MainWindow() : nullptr);
    dlg.Fill(Descr, item, WKMainApplication());
    if (ShowModal(dlg) != mrOk) return false;
    {
        TCriticalSectionGuard guard(Ring0());
        if (!item) {
            FParams.push_back(std::make_unique<TRangeCheckItem>());
            item = FParams.back().get();
            item->GID = Descr.GID;
        }
        dlg.Apply(*item);
        item->Name = ShortName(Descr.GID);
    }
    // Binding takes Ring1 and Ring0 itself: never inside Ring0.
    BindStreams();
    SaveParam(*item);
    ParamsChanged();
    return true;
}

void TdmSpanwatch::ParamsChanged() {
    if (OnParamsChanged) OnParamsChanged();
}

bool TdmSpanwatch::ActiveParameter(TSensDescr& Descr) {
    // The active window keeps its focused control while a popup menu is open.
    QWidget* active = QApplication::activeWindow();
    QWidget* w = active ? active->focusWidget() : nullptr;
    if (!w) w = QApplication::focusWidget();
    for (; w; w = w->parentWidget()) {
        if (auto* context = qobject_cast<IWKParameterContext*>(w)) {
            try {
                return context->GetSensorDescriptor(Descr);
            } catch (const std::exception& e) {
                DebugLog(QStringLiteral("TdmSpanwatch.ActiveParameter ") + ExceptionMessage(e));
                return false;
            }
        }
    }
    return false;
}

void TdmSpanwatch::UpdateActions() {
    TSensDescr descr;
    const bool found = ActiveParameter(descr);
    actControl->setEnabled(found && descr.GID != 0);
    const TRangeCheckItem* item = found ? FindParamLink(FParams, descr.GID) : nullptr;
    actNoControl->setEnabled(item && item->AnyCheck());
}

bool TdmSpanwatch::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::Show) {
        if (auto* menu = qobject_cast<QMenu*>(Watched)) {
            const QList<QAction*> actions = menu->actions();
            if (actions.contains(actControl) || actions.contains(actNoControl)) UpdateActions();
        }
    }
    return QObject::eventFilter(Watched, Event);
}

void TdmSpanwatch::SetMessagesActive(bool Active) {
    FSocket.reset();
    if (!Active) return;
    const TRegIniFile& reg = WKRegIniFile();
    FAddress = reg.ReadString(kUDPSection, kUDPAddress, kDefaultAddress);
    const int port = reg.ReadInteger(kUDPSection, kUDPPort, kDefaultPort);
    FPort = port > 0 && port <= 65535 ? quint16(port) : quint16(kDefaultPort);
    FSocket = std::make_unique<QUdpSocket>();
}

void TdmSpanwatch::SendMessage(const QString& Text) {
    if (!FSocket) return;
    const QString message = QStringLiteral("MESSAGE=") + Text;
    QByteArray data(message.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < message.size(); ++i)
        qToLittleEndian<quint16>(message.at(i).unicode(), data.data() + 2 * i);
    const QHostAddress address(FAddress);
    if (address.isNull()) {
        DebugLog(QStringLiteral("TdmSpanwatch.SendMessage: no such address ") + FAddress);
        return;
    }
    if (FSocket->writeDatagram(data, address, FPort) != data.size())
        DebugLog(QStringLiteral("TdmSpanwatch.SendMessage: ") + FSocket->errorString());
}
