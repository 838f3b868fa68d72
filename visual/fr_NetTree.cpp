#include "fr_NetTree.h"

#include "ClassRegistry.h"
#include "ModalDialogs.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKNet.h"
#include "dlg_SelectLocation.h"
#include "dlg_SetupNetTree.h"
#include "fr_Align.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int ItemRole = Qt::UserRole;
constexpr int OverlayRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;
constexpr int ImageCount = 21;

const QString SStation = QStringLiteral("Станция");
const QString SUnknownLocation = QStringLiteral("Неизвестное положение");

void Disc(QPainter& p, const QColor& fill, const QString& mark) {
    p.setBrush(fill);
    p.setPen(fill.darker(150));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Tahoma"), 8, QFont::Bold));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, mark);
}

// The pictures of the tree and its tool bar, drawn here so that they scale
// with nothing but the painter: levels 1-4, operations, groups, overlays.
QPixmap NetworkImage(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case 0:  // error overlay: a red cross
            p.setPen(QPen(QColor(0xD0, 0x10, 0x10), 2.5));
            p.drawLine(QPointF(9, 9), QPointF(15, 15));
            p.drawLine(QPointF(15, 9), QPointF(9, 15));
            break;
        case 1:  // server: a tower
            p.setBrush(QColor(0x60, 0x70, 0x90));
            p.setPen(QColor(0x30, 0x38, 0x48));
            p.drawRect(QRectF(4.5, 1.5, 7, 13));
            p.setPen(QColor(0x90, 0xF0, 0x90));
            for (int y : {4, 7, 10}) p.drawLine(6, y, 10, y);
            break;
        case 2:  // node: a box with a port
            p.setBrush(QColor(0x50, 0x90, 0xC0));
            p.setPen(QColor(0x20, 0x40, 0x60));
            p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(10, 7, 2.5, 3));
            break;
        case 3:  // device: a chip
            p.setBrush(QColor(0x40, 0x40, 0x40));
            p.setPen(QColor(0x90, 0x90, 0x90));
            p.drawRect(QRectF(3.5, 3.5, 9, 9));
            for (int i : {5, 8, 11}) {
                p.drawLine(i, 1, i, 3);
                p.drawLine(i, 13, i, 15);
            }
            break;
        case 4:  // sensor: a gauge
            p.setBrush(QColor(0xF0, 0xF0, 0xE0));
            p.setPen(QColor(0x40, 0x40, 0x40));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 1.5));
            p.drawLine(QPointF(8, 8), QPointF(12, 4));
            break;
        case 5: {  // find: a magnifier
            p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
            p.setBrush(QColor(0xC0, 0xE0, 0xFF));
            p.drawEllipse(QRectF(2, 2, 8, 8));
            p.drawLine(QPointF(9, 9), QPointF(14, 14));
            break;
        }
        case 6:  // attach
            Disc(p, QColor(0x20, 0x90, 0x30), QStringLiteral("+"));
            break;
        case 7:  // detach
            Disc(p, QColor(0xB0, 0x30, 0x20), QStringLiteral("−"));
            break;
        case 8:  // calibration: a ruler
            p.setBrush(QColor(0xF0, 0xD0, 0x40));
            p.setPen(QColor(0x70, 0x50, 0x00));
            p.drawRect(QRectF(1.5, 5.5, 13, 5));
            for (int x = 3; x < 14; x += 2) p.drawLine(x, 6, x, x % 4 == 3 ? 9 : 8);
            break;
        case 9:  // properties
            Disc(p, QColor(0x50, 0x50, 0x80), QStringLiteral("≡"));
            break;
        case 10: {  // filter: a funnel
            QPainterPath f;
            f.moveTo(1.5, 2.5);
            f.lineTo(14.5, 2.5);
            f.lineTo(9.5, 8.5);
            f.lineTo(9.5, 14.5);
            f.lineTo(6.5, 12.5);
            f.lineTo(6.5, 8.5);
            f.closeSubpath();
            p.setBrush(QColor(0x70, 0xA0, 0xE0));
            p.setPen(QColor(0x20, 0x40, 0x80));
            p.drawPath(f);
            break;
        }
        case 12: {  // location: a pin
            QPainterPath pin;
            pin.moveTo(8, 15);
            pin.cubicTo(2, 8, 3, 1.5, 8, 1.5);
            pin.cubicTo(13, 1.5, 14, 8, 8, 15);
            p.setBrush(QColor(0xD0, 0x30, 0x30));
            p.setPen(QColor(0x70, 0x10, 0x10));
            p.drawPath(pin);
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(6, 4.5, 4, 4));
            break;
        }
        case 13: {  // power failure overlay: a flash
            QPainterPath flash;
            flash.moveTo(12, 7);
            flash.lineTo(9, 12);
            flash.lineTo(12, 12);
            flash.lineTo(10, 16);
            flash.lineTo(15, 10.5);
            flash.lineTo(12, 10.5);
            flash.lineTo(14, 7);
            flash.closeSubpath();
            p.setBrush(QColor(0xFF, 0xC0, 0x00));
            p.setPen(QColor(0x80, 0x40, 0x00));
            p.drawPath(flash);
            break;
        }
        case 14:
        case 15: {  // location groups: a folder, with "?" for the unknown place
            p.setBrush(QColor(0xF0, 0xC8, 0x50));
            p.setPen(QColor(0x90, 0x70, 0x10));
            p.drawRect(QRectF(1.5, 4.5, 13, 9));
            p.drawRect(QRectF(1.5, 2.5, 5, 2));
            if (index == 15) {
                p.setPen(QColor(0x40, 0x20, 0x00));
                p.setFont(QFont(QStringLiteral("Tahoma"), 7, QFont::Bold));
                p.drawText(QRect(1, 4, 14, 10), Qt::AlignCenter, QStringLiteral("?"));
            }
            break;
        }
        case 16:  // view mode: a small tree
            p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
            p.drawLine(4, 3, 4, 13);
            p.drawLine(4, 8, 9, 8);
            p.drawLine(4, 13, 9, 13);
            p.setBrush(QColor(0x50, 0x90, 0xC0));
            p.drawRect(QRectF(1.5, 1.5, 5, 3));
            p.drawRect(QRectF(9.5, 6.5, 5, 3));
            p.drawRect(QRectF(9.5, 11.5, 5, 3));
            break;
        case 17: {  // warning overlay: a yellow triangle
            QPainterPath t;
            t.moveTo(12, 7);
            t.lineTo(16, 15.5);
            t.lineTo(8, 15.5);
            t.closeSubpath();
            p.setBrush(QColor(0xFF, 0xD0, 0x00));
            p.setPen(QColor(0x80, 0x60, 0x00));
            p.drawPath(t);
            break;
        }
        case 19:  // fixed overlay: a green tick
            p.setPen(QPen(QColor(0x10, 0x90, 0x20), 2.5));
            p.drawLine(QPointF(8.5, 12), QPointF(11, 14.5));
            p.drawLine(QPointF(11, 14.5), QPointF(15.5, 8.5));
            break;
        case 20:  // information
            Disc(p, QColor(0x2F, 0x6F, 0xD0), QStringLiteral("i"));
            break;
        default:
            break;
    }
    return pm;
}

QIcon NodeIcon(const std::vector<QPixmap>& images, int image, int overlay) {
    if (image < 0 || image >= int(images.size())) return {};
    if (overlay < 0) return QIcon(images[image]);
    QPixmap pm = images[image];
    QPainter p(&pm);
    p.drawPixmap(0, 0, images[TNetTree::OverlayImages[overlay]]);
    return QIcon(pm);
}

// The disabled look of the tool bar's pictures: grey, half transparent.
QIcon ToolIcon(const QPixmap& image) {
    QIcon icon(image);
    QImage grey = image.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb c = grey.pixel(x, y);
            const int g = 0.1 * qGray(c) + 0.9 * 160;
            grey.setPixel(x, y, qRgba(g, g, g, qAlpha(c) / 2));
        }
    icon.addPixmap(QPixmap::fromImage(grey), QIcon::Disabled);
    return icon;
}

}  // namespace

TNetTree::TNetTree(QObject* owner) : TControl(owner) {
    for (int i = 0; i < ImageCount; ++i) ilNetwork.push_back(NetworkImage(i));

    tvNetwork = new QTreeWidget(this);
    tvNetwork->setObjectName(QStringLiteral("tvNetwork"));
    tvNetwork->setHeaderHidden(true);
    tvNetwork->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvNetwork->setContextMenuPolicy(Qt::CustomContextMenu);
    tvNetwork->setExpandsOnDoubleClick(false);
    tvNetwork->viewport()->installEventFilter(this);
    tvNetwork->installEventFilter(this);

    auto action = [this](QAction*& a, const QString& name, const QString& caption, const QString& hint, int image) {
        a = new QAction(caption, this);
        a->setObjectName(name);
        a->setToolTip(hint.isEmpty() ? caption : hint);
        a->setStatusTip(hint.isEmpty() ? caption : hint);
        a->setIcon(ToolIcon(ilNetwork[image]));
    };
    action(actInformation, "actInformation", "Информация", "Состояние элемента сети", 20);
    action(actFindNetItem, "actFindNetItem", "Поиск датчиков", {}, 5);
    action(actAttachNetItem, "actAttachNetItem", "Подключение элемента", {}, 6);
    action(actDetachNetItem, "actDetachNetItem", "Отключение элемента", {}, 7);
    action(actNetItemCalibration, "actNetItemCalibration", "Калибровка", {}, 8);
    action(actNetItemProperties, "actNetItemProperties", "Свойства", "Свойства элемента", 9);
    action(actSetLocation, "actSetLocation", "Установить положение", "Задать положение элемента сети", 12);
    action(actFilter, "actFilter", "Показать все элементы", {}, 10);
    action(actHideNodes, "actHideNodes", "Скрыть/Показать датчики", {}, 2);
    action(actHideDevices, "actHideDevices", "Скрыть/Показать устройства", {}, 3);
    action(actSetTreeMode, "actSetTreeMode", {}, "Отображать по подключению / по положению", 16);
    actHideNodes->setCheckable(true);
    actHideDevices->setCheckable(true);
    actSetTreeMode->setCheckable(true);

    pmNetwork = new QMenu(this);
    pmNetwork->addAction(actInformation);
    pmNetwork->setDefaultAction(actInformation);
    pmNetwork->addAction(actNetItemProperties);
    pmNetwork->addAction(actFindNetItem);
    pmNetwork->addAction(actAttachNetItem);
    pmNetwork->addAction(actDetachNetItem);
    pmNetwork->addAction(actNetItemCalibration);
    pmNetwork->addAction(actSetLocation);
    pmFilter = new QMenu(this);
    pmFilter->addAction(actHideNodes);
    pmFilter->addAction(actHideDevices);

    tbNetwork = new QToolBar(this);
    tbNetwork->setObjectName(QStringLiteral("tbNetwork"));
    tbNetwork->setIconSize(QSize(16, 16));
    for (QAction* a : {actInformation, actFindNetItem, actAttachNetItem, actDetachNetItem, actNetItemCalibration,
                       actNetItemProperties, actSetLocation})
        tbNetwork->addAction(a);
    tbNetwork->addSeparator();
    tbNetwork->addAction(actFilter);
    if (auto* b = qobject_cast<QToolButton*>(tbNetwork->widgetForAction(actFilter))) {
        b->setMenu(pmFilter);
        b->setPopupMode(QToolButton::MenuButtonPopup);
    }
    tbNetwork->addAction(actSetTreeMode);
    tbNetwork->addSeparator();
    beFind = new QLineEdit(tbNetwork);
    beFind->setObjectName(QStringLiteral("beFind"));
    beFind->setToolTip(QStringLiteral("Поиск элемента в дереве подключений"));
    beFind->setClearButtonEnabled(true);
    QAction* findButton = beFind->addAction(QIcon(ilNetwork[5]), QLineEdit::LeadingPosition);
    tbNetwork->addWidget(beFind);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbNetwork);
    layout->addWidget(tvNetwork, 1);

    for (QAction* a : {actInformation, actFindNetItem, actAttachNetItem, actDetachNetItem, actNetItemCalibration,
                       actNetItemProperties})
        connect(a, &QAction::triggered, this, [this, a] { RunItemAction(a); });
    connect(actSetLocation, &QAction::triggered, this, [this] { SetLocationClick(); });
    connect(actFilter, &QAction::triggered, this, [this] {
        FOptions = {};
        RebuildTree(true);
    });
    connect(actHideNodes, &QAction::triggered, this, [this] {
        FOptions ^= nvHideNodes;
        RebuildTree(true);
    });
    connect(actHideDevices, &QAction::triggered, this, [this] {
        FOptions ^= nvHideDevices;
        RebuildTree(true);
    });
    connect(actSetTreeMode, &QAction::triggered, this,
            [this] { SetViewMode(FViewMode == vmByConnection ? vmByLocation : vmByConnection); });
    connect(beFind, &QLineEdit::textChanged, this, [this] { FindTreeItem(false); });
    connect(beFind, &QLineEdit::returnPressed, this, [this] { FindTreeItem(true); });
    connect(findButton, &QAction::triggered, this, [this] { FindTreeItem(true); });
    connect(tvNetwork, &QTreeWidget::currentItemChanged, this, [this] { UpdateActions(); });
    connect(tvNetwork, &QTreeWidget::itemDoubleClicked, this, [this] {
        FNoCollapse = true;
        UpdateActions();
        if (actInformation->isEnabled()) actInformation->trigger();
    });
    connect(tvNetwork, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        if (!FNoCollapse) return;
        FNoCollapse = false;
        node->setExpanded(true);
    });
    connect(tvNetwork, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* node = tvNetwork->itemAt(pos);
        if (!node) return;
        tvNetwork->setCurrentItem(node);
        UpdateActions();
        pmNetwork->popup(tvNetwork->viewport()->mapToGlobal(pos));
    });

    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
    SetBounds(0, 0, 250, 300);
    RebuildTree(true);
}

TNetTree::~TNetTree() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TNetTree::Loaded() {
    TControl::Loaded();
    RebuildTree(true);
}

void TNetTree::SetViewMode(TNetViewMode Value) {
    FViewMode = Value;
    RebuildTree(true);
}

TNetworkItem* TNetTree::NodeItem(const QTreeWidgetItem* node) {
    if (!node) return nullptr;
    return qobject_cast<TNetworkItem*>(node->data(0, ItemRole).value<QObject*>());
}

int TNetTree::NodeOverlay(const QTreeWidgetItem* node) {
    const QVariant v = node ? node->data(0, OverlayRole) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

TNetworkItem* TNetTree::SelectedItem() const {
    QTreeWidgetItem* node = tvNetwork->currentItem();
    if (!node) return nullptr;
    // The node's item only while the cache still holds it alive.
    for (const auto& [item, cached] : FNetNodesCache)
        if (cached == node) return item.data();
    return nullptr;
}

QTreeWidgetItem* TNetTree::NewNode(QTreeWidgetItem* parent, const QString& text, int image) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvNetwork);
    node->setText(0, text);
    node->setData(0, ImageRole, image);
    node->setIcon(0, NodeIcon(ilNetwork, image, -1));
    return node;
}

void TNetTree::SetOverlay(QTreeWidgetItem* node, int overlay) {
    if (NodeOverlay(node) == overlay) return;
    node->setData(0, OverlayRole, overlay < 0 ? QVariant() : QVariant(overlay));
    node->setIcon(0, NodeIcon(ilNetwork, node->data(0, ImageRole).toInt(), overlay));
}

void TNetTree::AddItem(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected) {
    const bool hidden = (qobject_cast<TWKNode*>(item) && FOptions.testFlag(nvHideNodes)) ||
                        (qobject_cast<TWKDevice*>(item) && FOptions.testFlag(nvHideDevices)) ||
                        item->GetOptions().Contains(niHidden);
    AddChildren(hidden ? parent : ItemNode(parent, item, selected), item, selected);
}

QTreeWidgetItem* TNetTree::ItemNode(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected) {
    QTreeWidgetItem* node = NewNode(parent, item->FName, item->GetNetIndex());
    node->setData(0, ItemRole, QVariant::fromValue<QObject*>(item));
    if (item == selected) tvNetwork->setCurrentItem(node);
    FNetNodesCache.emplace_back(item, node);
    return node;
}

void TNetTree::AddChildren(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected) {
    for (int i = 0; i < item->Count(); ++i) AddItem(parent, item->GetNetworkItem(i), selected);
}

QTreeWidgetItem* TNetTree::LocationGroup(const QString& location) {
    const QString text = location.isEmpty() ? SUnknownLocation : location;
    // Among the top-level group nodes only: an equipment item named like a
    // place must not become a group.
    for (int i = 0; i < tvNetwork->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tvNetwork->topLevelItem(i);
        if (!NodeItem(top) && top->text(0) == text) return top;
    }
    return NewNode(nullptr, text, location.isEmpty() ? 15 : 14);
}

void TNetTree::AddByLocation(TNetworkItem* item, TNetworkItem* selected) {
    auto* node = qobject_cast<TWKNode*>(item);
    if (!node || item->GetOptions().Contains(niHub)) {
        if (qobject_cast<TWKServer*>(item)) ItemNode(LocationGroup(SStation), item, selected);
        for (int i = 0; i < item->Count(); ++i) AddByLocation(item->GetNetworkItem(i), selected);
        return;
    }
    AddItem(LocationGroup(node->GetLocation()), item, selected);
}

void TNetTree::RebuildTree(bool Expand) {
    tvNetwork->setUpdatesEnabled(false);
    const QSignalBlocker blocker(tvNetwork);
    const bool hasNetwork = Network != nullptr;
    if (hasNetwork) Ring0().Enter();
    try {
        setEnabled(hasNetwork);
        TNetworkItem* selected = SelectedItem();
        tvNetwork->clear();
        FNetNodesCache.clear();
        if (hasNetwork) {
            if (FViewMode == vmByConnection)
                AddChildren(nullptr, Network, selected);
            else
                for (int i = 0; i < Network->Count(); ++i) AddByLocation(Network->GetNetworkItem(i), selected);
        }
        if (Expand) tvNetwork->expandAll();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TNetTree.RebuildTree: ") + QString::fromUtf8(e.what()));
    }
    if (hasNetwork) Ring0().Leave();
    tvNetwork->setUpdatesEnabled(true);
    actSetTreeMode->setChecked(FViewMode == vmByLocation);
    UpdateFilterCaptions();
    if (hasNetwork) SetStates();
    UpdateActions();
}

void TNetTree::UpdateFilterCaptions() {
    actHideNodes->setChecked(FOptions.testFlag(nvHideNodes));
    actHideDevices->setChecked(FOptions.testFlag(nvHideDevices));
    if (!Network) return;
    actHideNodes->setText(FOptions.testFlag(nvHideNodes) ? QStringLiteral("Показать датчики")
                                                         : QStringLiteral("Скрыть датчики"));
    actHideDevices->setText(FOptions.testFlag(nvHideDevices) ? QStringLiteral("Показать устройства")
                                                             : QStringLiteral("Скрыть устройства"));
}

void TNetTree::SetStates() {
    if (!Network) return;
    Network->BeginUsing();
    for (const auto& [item, node] : FNetNodesCache) {
        if (!item) continue;
        const TNetworkItemState s = item->FState;
        int overlay = -1;
        if (s.Contains(nsPowerFailure))
            overlay = 1;
        else if (s.Contains(nsWarning))
            overlay = 2;
        else if (s.Contains(nsFixed))
            overlay = 3;
        else if (s.Contains(nsError))
            overlay = 0;
        SetOverlay(node, overlay);
    }
    Network->EndUsing();
}

void TNetTree::UpdateActions() {
    const std::pair<QAction*, TNetworkItemOption> itemActions[] = {
        {actInformation, niAllowCheck},          {actFindNetItem, niAllowFind},
        {actAttachNetItem, niAllowAttach},       {actDetachNetItem, niAllowDetach},
        {actNetItemCalibration, niAllowCalibration}, {actNetItemProperties, niAllowSetup},
        {actSetLocation, niAllowSetLocation}};
    const bool hasNetwork = Network != nullptr;
    for (QAction* a : {actFilter, actHideNodes, actHideDevices, actSetTreeMode}) a->setEnabled(hasNetwork);
    if (!hasNetwork) {
        for (const auto& [a, option] : itemActions) a->setEnabled(false);
        return;
    }
    Network->BeginUsing();
    const QPointer<TNetworkItem> item = SelectedItem();
    const bool valid = item && Network->IsValidItem(item);
    const TNetworkItemOptions options = valid ? item->GetOptions() : TNetworkItemOptions();
    for (const auto& [a, option] : itemActions) a->setEnabled(valid && options.Contains(option));
    Network->EndUsing();
}

void TNetTree::RunItemAction(QAction* action) {
    if (!Network) return;
    UpdateActions();
    if (!action->isEnabled()) return;
    // The item is checked under the tree's enumeration lock; the operation
    // runs after it is left, since attach, detach, calibration and setup take
    // Ring0, which is never taken while holding that lock. Items are freed on
    // this thread only, so the item outlives the call; the pointer guards it.
    const QPointer<TNetworkItem> item = SelectedItem();
    Network->BeginUsing();
    const bool valid = item && Network->IsValidItem(item);
    Network->EndUsing();
    if (!valid) return;
    try {
        if (action == actInformation)
            item->Check();
        else if (action == actFindNetItem)
            Network->Find(item);
        else if (action == actAttachNetItem)
            Network->AttachTo(item);
        else if (action == actDetachNetItem)
            Network->Detach(item);
        else if (action == actNetItemCalibration)
            item->Calibrate();
        else if (action == actNetItemProperties)
            Network->Setup(item);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TNetTree.RunItemAction: ") + QString::fromUtf8(e.what()));
        UIServices().MessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
    }
    UpdateActions();
}

void TNetTree::SetLocationClick() {
    if (!Network) return;
    const QPointer<TNetworkItem> item = SelectedItem();
    try {
        TdlgSelectLocation dlg;
        if (ShowModal(dlg) != mrOk || !item) return;
        QString location = dlg.LocationName();
        if (location.startsWith('[')) location.clear();
        Network->BeginUpdate();
        try {
            if (item) item->Notify(seSetLocation, &location);
        } catch (...) {
            Network->EndUpdate(true);
            throw;
        }
        Network->EndUpdate(true);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TNetTree.SetLocationClick: ") + QString::fromUtf8(e.what()));
        UIServices().MessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
    }
}

bool TNetTree::FindTreeItem(bool FromSelected) {
    const QString text = beFind->text().toUpper();
    if (text.isEmpty()) return false;
    QTreeWidgetItemIterator it(tvNetwork);
    if (FromSelected && tvNetwork->currentItem()) {
        while (*it && *it != tvNetwork->currentItem()) ++it;
        if (*it) ++it;
    }
    for (; *it; ++it)
        if ((*it)->text(0).toUpper().contains(text)) {
            tvNetwork->setCurrentItem(*it);
            tvNetwork->scrollToItem(*it);
            return true;
        }
    return false;
}

void TNetTree::Notify(TServiceEvent Event, void* Sender) {
    Q_UNUSED(Sender);
    if (!Network) return;
    switch (Event) {
        case seIdle:
        case sePoll:
            SetStates();
            UpdateActions();
            break;
        case seNetworkChange:
            RebuildTree(true);
            break;
        default:
            break;
    }
}

void TNetTree::Setup() {
    TdlgSetupNetTree dlg;
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
}

bool TNetTree::eventFilter(QObject* watched, QEvent* e) {
    if (watched == tvNetwork->viewport() && e->type() == QEvent::MouseButtonPress) {
        tvNetwork->setFocus(Qt::MouseFocusReason);
    } else if (watched == tvNetwork && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            UpdateActions();
            if (actNetItemProperties->isEnabled()) actNetItemProperties->trigger();
            return true;
        }
    }
    return TControl::eventFilter(watched, e);
}

WK_REGISTER_CLASS(TNetTree)
