#include "fm_TabbedForm.h"

#include "ClassRegistry.h"
#include "Menus.h"
#include "MonitoringCharts.h"
#include "dlg_InputString.h"
#include "fr_Chart.h"
#include "qxAeroTabs.h"

#include <QMenu>
#include <QScopedValueRollback>

WK_REGISTER_CLASS(TfmTabbedForm)

namespace {
const QString TabBaseCaption = QStringLiteral("График ");
}  // namespace

TfmTabbedForm::TfmTabbedForm(QObject* owner) : TBaseMDIForm(owner) {
    SetCaption(QStringLiteral("Форма с закладками"));
    SetPosition(poDesktopCenter);
    CreateLayout();
    BindLayout();
}

void TfmTabbedForm::CreateLayout() {
    FpmTabs = new TPopupMenu(this);
    FpmTabs->SetName(QStringLiteral("pmTabs"));
    FTabs = new TqxAeroTabs(this);
    FTabs->SetName(QStringLiteral("Tabs"));
    FTabs->SetAlign(TControl::alTop);
    FTabs->SetHeight(30);
    FTabs->SetColorBackground(clWhite);
    FTabs->SetPopupMenu(FpmTabs);
    FTabs->SetOnAddClick({this, "TabsAddClick"});
    FTabs->SetOnCloseTab({this, "TabsCloseTab"});
    FTabs->SetOnTabChange({this, "TabsTabChange"});
    FTabs->SetParentWidget(this);
}

void TfmTabbedForm::BindLayout() {
    // The popup's commands are not stored: they are made here, for the
    // built layout and for a read one alike.
    QMenu* menu = FpmTabs->Menu();
    menu->clear();
    FmiNewTab = menu->addAction(QStringLiteral("Новая вкладка"));
    FmiRename = menu->addAction(QStringLiteral("Переименовать..."));
    connect(FmiNewTab, &QAction::triggered, this, [this] { TabsAddClick(nullptr); });
    connect(FmiRename, &QAction::triggered, this, [this] {
        if (FTabs && FpmTabs) RenameTabAt(FTabs->mapFromGlobal(FpmTabs->PopupPoint()));
    });
    FpmTabs->OnPopup = [this](TPopupMenu* pm) {
        FmiRename->setEnabled(FTabs && FTabs->GetTabAtXY(FTabs->mapFromGlobal(pm->PopupPoint()).x(),
                                                         FTabs->mapFromGlobal(pm->PopupPoint()).y()) >= 0);
    };
    FTabs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FTabs, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (FTabs && FpmTabs) FpmTabs->Popup(FTabs, FTabs->mapToGlobal(p));
    });
}

TWKChart* TfmTabbedForm::TabChart(int index) const {
    return FTabs ? qobject_cast<TWKChart*>(FTabs->TabObject(index)) : nullptr;
}

QString TfmTabbedForm::NextTabCaption(const QStringList& captions) {
    int largest = 0;
    // A tab's well part is not part of its number.
    for (const QString& withWell : captions) {
        const QString caption = StripWellPart(withWell);
        const int blank = caption.indexOf(QLatin1Char(' '));
        if (blank < 0) continue;
        bool ok = false;
        const int n = caption.mid(blank + 1, 255).toInt(&ok);
        if (ok) largest = qMax(largest, n);
    }
    return TabBaseCaption + QString::number(largest + 1);
}

void TfmTabbedForm::TabsAddClick(QObject*) {
    if (!FTabs) return;
    FTabs->AddTab(NextTabCaption(FTabs->Tabs()));
    TWKChart* chart = NewMonitoringChart(*this, FIsDateTime);
    FTabs->SetTabObject(FTabs->ActiveTab(), chart);
    TabsTabChange(FTabs);
    FTabs->SetShowClose(true);
}

void TfmTabbedForm::TabsTabChange(QObject*) {
    if (!FTabs || IsLoading()) return;
    for (int i = 0; i < FTabs->TabCount(); ++i)
        if (TWKChart* chart = TabChart(i)) {
            chart->SetVisible(i == FTabs->ActiveTab());
            chart->SetTag(i);
        }
    PlaceHiddenCharts();
}

void TfmTabbedForm::PlaceHiddenCharts() {
    TWKChart* shown = FTabs ? TabChart(FTabs->ActiveTab()) : nullptr;
    if (!shown) return;
    const QRect place = shown->BoundsRect();
    for (int i = 0; i < FTabs->TabCount(); ++i)
        if (TWKChart* chart = TabChart(i); chart && chart != shown)
            chart->SetBounds(place.x(), place.y(), place.width(), place.height());
}

void TfmTabbedForm::resizeEvent(QResizeEvent* e) {
    TBaseMDIForm::resizeEvent(e);
    if (IsLoading()) return;
    // The event may come while the new size is being set, before the layout.
    Realign();
    PlaceHiddenCharts();
}

void TfmTabbedForm::TabsCloseTab(QObject*, int index, bool* close) {
    if (!FTabs) return;
    // The tab lets go of its chart before the chart goes: no tab holds a
    // freed chart, whatever the strip does next.
    TWKChart* chart = TabChart(index);
    FTabs->SetTabObject(index, nullptr);
    delete chart;
    FTabs->SetShowClose(FTabs->TabCount() > 2);
    if (close) *close = true;
}

void TfmTabbedForm::RenameTabAt(const QPoint& stripPoint) {
    if (!FTabs) return;
    const int tab = FTabs->GetTabAtXY(stripPoint.x(), stripPoint.y());
    if (tab < 0) return;
    QString name;
    if (!TdlgInputString::Input(QStringLiteral("Переименование"), QStringLiteral("Имя вкдадки"),
                                FTabs->Tabs().value(tab), name))
        return;
    FTabs->SetTabCaption(tab, name);
}

void TfmTabbedForm::UpdateCaption() {
    // The well shows on the tabs; the form's caption stays as the user set it.
}

void TfmTabbedForm::BroadcastWell() {
    if (FReadingWell || !FTabs || FTabs->ActiveTab() < 0) return;
    const int tab = FTabs->ActiveTab();
    if (TWKChart* chart = TabChart(tab)) chart->SetStreamSuffix(WellID());
    QString caption = StripWellPart(FTabs->Tabs().value(tab));
    if (!WellName().isEmpty()) caption += QStringLiteral(" [") + WellName() + QLatin1Char(']');
    FTabs->SetTabCaption(tab, caption);
}

void TfmTabbedForm::ReadingState() {
    // The stored components replace the ones of the built layout.
    TBaseMDIForm::ReadingState();
    DestroyComponents();
    FmiNewTab = FmiRename = nullptr;
}

void TfmTabbedForm::Loaded() {
    if (!FTabs) FTabs = FindComponentAs<TqxAeroTabs>(QStringLiteral("Tabs"));
    if (!FpmTabs) FpmTabs = FindComponentAs<TPopupMenu>(QStringLiteral("pmTabs"));
    if (!FTabs || !FpmTabs) {
        // A text without the strip or its popup: the built layout again.
        delete FTabs.data();
        delete FpmTabs.data();
        CreateLayout();
    }
    BindLayout();
    for (int i = 0; i < FTabs->TabCount(); ++i) FTabs->SetTabObject(i, nullptr);
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* chart = qobject_cast<TWKChart*>(Components(i)->Self());
        if (!chart) continue;
        const int tab = chart->Tag();
        if (tab >= 0 && tab < FTabs->TabCount() && !FTabs->TabObject(tab)) {
            FTabs->SetTabObject(tab, chart);
        } else {
            chart->SetVisible(false);  // on no tab: kept, never shown
        }
    }
    TabsTabChange(FTabs);
    // Each tab's chart and caption keep the well they were stored with: the
    // form's well is only the last one chosen, and handing it to the active
    // tab again would move that tab to another well.
    const QScopedValueRollback reading(FReadingWell, true);
    TBaseMDIForm::Loaded();
}
