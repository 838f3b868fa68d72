#include "dm_ControlRes.h"

#include "DebugOutput.h"
#include "Kurvex.h"
#include "Menus.h"
#include "WKContextHandling.h"
#include "WKSensGrid.h"
#include "fr_ChartSeries.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>

TdmControlRes* dmControlRes = nullptr;

namespace {
QAction* AddItem(TPopupMenu* Menu, const char* Name, const QString& Caption, const QIcon& Icon = {}) {
    auto* a = new QAction(Icon, Caption, Menu->Menu());
    a->setObjectName(QString::fromLatin1(Name));
    Menu->Menu()->addAction(a);
    return a;
}

QAction* AddSeparator(TPopupMenu* Menu, const char* Name) {
    QAction* a = Menu->Menu()->addSeparator();
    a->setObjectName(QString::fromLatin1(Name));
    return a;
}

TPopupMenu* NewMenu(TdmControlRes* Owner, const char* Name) {
    auto* m = new TPopupMenu(Owner);
    m->SetName(QString::fromLatin1(Name));
    return m;
}

// A popup menu as the core's context handlers fill it: their images follow
// the menu's own, their items are the menu's and run the handlers' actions.
class TContextMenuAdapter : public IWKContextMenu {
public:
    TContextMenuAdapter(TPopupMenu& Menu, const TImageListEx& Images) : FMenu(Menu) {
        for (int i = 0; i < Images.Count(); ++i) FImages.append(Images.Icon(i));
    }
    TWKImageList* Images() override { return &FImages; }
    void AddItem(QAction* Action, int ImageIndex) override {
        auto* item = new QAction(Action->text(), FMenu.Menu());
        if (ImageIndex >= 0 && ImageIndex < FImages.size()) item->setIcon(FImages[ImageIndex]);
        item->setToolTip(Action->toolTip());
        QPointer<QAction> target(Action);
        QObject::connect(item, &QAction::triggered, item, [target] {
            if (target) target->trigger();
        });
        FMenu.Menu()->addAction(item);
    }

private:
    TPopupMenu& FMenu;
    TWKImageList FImages;
};
}  // namespace

TdmControlRes::TdmControlRes(QObject* AOwner) : TComponent(AOwner) {
    SetName(QStringLiteral("dmControlRes"));
    ilCommon = new TImageList(this);
    ilCommon->SetName(QStringLiteral("ilCommon"));
    ilCommon->SetColorDepth(TCustomImageList::cd32Bit);
    FillCommonImages(*ilCommon);
    CreateMenus();
    RegisterRoot(this);
}

TdmControlRes::~TdmControlRes() {
    UnregisterRoot(this);
    if (dmControlRes == this) dmControlRes = nullptr;
}

void TdmControlRes::CreateMenus() {
    TImageListEx icons;
    icons.Assign(*ilCommon);
    // Components and items in the module's order; each menu then orders its own.
    pmValues = NewMenu(this, "pmValues");
    miAddValues = new QAction(icons.Icon(1), QStringLiteral("Добавить параметры..."), pmValues->Menu());
    miRemoveValue = new QAction(icons.Icon(2), QStringLiteral("Удалить параметр"), pmValues->Menu());
    miProperties = new QAction(icons.Icon(0), QStringLiteral("Свойства таблицы..."), pmValues->Menu());
    miGridItemProperties = new QAction(icons.Icon(7), QStringLiteral("Свойства параметра..."), pmValues->Menu());
    pmValues->Menu()->addActions({miProperties, miAddValues, miGridItemProperties, miRemoveValue});
    N3 = AddSeparator(pmValues, "N3");
    pmValues->Menu()->setDefaultAction(miProperties);

    pmChart = NewMenu(this, "pmChart");
    miSC = AddItem(pmChart, "miSC", QStringLiteral("Настройка диаграммы..."), icons.Icon(0));
    miAddSeries = AddItem(pmChart, "miAddSeries", QStringLiteral("Добавить графики..."), icons.Icon(3));
    miAddDigitalSeries = AddItem(pmChart, "miAddDigitalSeries", QStringLiteral("Добавить цифровые отметки..."));
    miClearLabels = AddItem(pmChart, "miClearLabels", QStringLiteral("Удалить метки значений"), icons.Icon(8));
    miClearLabels->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    miHideScales = AddItem(pmChart, "miHideScales", QStringLiteral("Скрыть/Показать шкалы"), icons.Icon(5));
    miHideScales->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    miStat = AddItem(pmChart, "miStat", QStringLiteral("Статиcтика..."), icons.Icon(9));
    miAddComment = AddItem(pmChart, "miAddComment", QStringLiteral("Добавить комментарий..."), icons.Icon(10));
    N1 = AddSeparator(pmChart, "N1");
    miAddField = AddItem(pmChart, "miAddField", QStringLiteral("Добавить поле"), icons.Icon(1));
    miDeleteField = AddItem(pmChart, "miDeleteField", QStringLiteral("Удалить поле"), icons.Icon(2));
    pmChart->Menu()->setDefaultAction(miSC);

    pmScale = NewMenu(this, "pmScale");
    ChartProperties = AddItem(pmScale, "ChartProperties", QStringLiteral("Свойства шкалы..."), icons.Icon(0));
    ChartProperties->setToolTip(QStringLiteral("Диалог настроек графика"));
    miSeriesProperties = AddItem(pmScale, "miSeriesProperties", QStringLiteral("Свойства графика..."), icons.Icon(0));
    miAddScaleParam = AddItem(pmScale, "miAddScaleParam", QStringLiteral("Добавить графики на шкалу..."), icons.Icon(1));
    miFindMinMax = AddItem(pmScale, "miFindMinMax", QStringLiteral("Поиск минимума и максимума"), icons.Icon(4));
    miFindMinMax->setToolTip(QStringLiteral("Поиск диапазона шкалы"));
    miDeleteSeries = AddItem(pmScale, "miDeleteSeries", QStringLiteral("Удалить график"), icons.Icon(2));
    miDeleteSeries->setToolTip(QStringLiteral("Удаление графика"));
    N5 = AddSeparator(pmScale, "N5");
    miAddValues->setObjectName(QStringLiteral("miAddValues"));
    miRemoveValue->setObjectName(QStringLiteral("miRemoveValue"));
    miProperties->setObjectName(QStringLiteral("miProperties"));
    miGridItemProperties->setObjectName(QStringLiteral("miGridItemProperties"));

    pmChart->OnPopup = [this](TPopupMenu* m) { pmChartPopup(m); };
    pmScale->OnPopup = [this](TPopupMenu* m) { pmScalePopup(m); };
    pmValues->OnPopup = [this](TPopupMenu* m) { pmValuesPopup(m); };

    const std::pair<QAction*, std::pair<const char*, void (TdmControlRes::*)(QObject*)>> commands[] = {
        {miSC, {"miSCClick", &TdmControlRes::miSCClick}},
        {miAddSeries, {"miAddSeriesClick", &TdmControlRes::miAddSeriesClick}},
        {miAddDigitalSeries, {"miAddDigitalSeriesClick", &TdmControlRes::miAddDigitalSeriesClick}},
        {miClearLabels, {"miClearLabelsClick", &TdmControlRes::miClearLabelsClick}},
        {miHideScales, {"miHideScalesClick", &TdmControlRes::miHideScalesClick}},
        {miStat, {"miStatClick", &TdmControlRes::miStatClick}},
        {miAddComment, {"miAddCommentClick", &TdmControlRes::miAddCommentClick}},
        {miAddField, {"miAddFieldClick", &TdmControlRes::miAddFieldClick}},
        {miDeleteField, {"miDeleteFieldClick", &TdmControlRes::miDeleteFieldClick}},
        {ChartProperties, {"ChartPropertiesClick", &TdmControlRes::ChartPropertiesClick}},
        {miSeriesProperties, {"miSeriesPropertiesClick", &TdmControlRes::miSeriesPropertiesClick}},
        {miAddScaleParam, {"miAddScaleParamClick", &TdmControlRes::miAddScaleParamClick}},
        {miFindMinMax, {"miFindMinMaxClick", &TdmControlRes::miFindMinMaxClick}},
        {miDeleteSeries, {"miDeleteSeriesClick", &TdmControlRes::miDeleteSeriesClick}},
        {miProperties, {"miPropertiesClick", &TdmControlRes::miPropertiesClick}},
        {miAddValues, {"miAddValuesClick", &TdmControlRes::miAddValuesClick}},
        {miGridItemProperties, {"miGridItemPropertiesClick", &TdmControlRes::miGridItemPropertiesClick}},
        {miRemoveValue, {"miRemoveValueClick", &TdmControlRes::miRemoveValueClick}},
    };
    for (const auto& [action, command] : commands) {
        const auto [name, method] = command;
        connect(action, &QAction::triggered, this, [this, action, name, method] { Run(name, action, method); });
    }
}

void TdmControlRes::Run(const char* Name, QAction* Sender, void (TdmControlRes::*Command)(QObject*)) {
    try {
        (this->*Command)(Sender);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmControlRes.%1: %2").arg(QString::fromLatin1(Name), QString::fromUtf8(e.what())));
    }
}

// --- finding what a command works on ---

TPopupMenu* TdmControlRes::GetMenu(QObject* Sender) const {
    if (auto* m = qobject_cast<TPopupMenu*>(Sender)) return m;
    auto* a = qobject_cast<QAction*>(Sender);
    if (!a) return nullptr;
    for (TPopupMenu* m : {pmChart, pmScale, pmValues})
        if (m->Menu()->actions().contains(a)) return m;
    return nullptr;
}

QObject* TdmControlRes::GetPopupComponent(QObject* Sender) const {
    TPopupMenu* m = GetMenu(Sender);
    return m ? m->PopupComponent() : nullptr;
}

TGraphion* TdmControlRes::GetChart(QObject* Sender) const {
    QObject* c = GetPopupComponent(Sender);
    if (!c) return qobject_cast<TGraphion*>(QApplication::focusWidget());
    if (auto* chart = qobject_cast<TGraphion*>(c)) return chart;
    if (auto* strip = qobject_cast<TScaleControl*>(c)) return strip->Chart();
    if (auto* client = qobject_cast<TFieldClientBox*>(c)) return client->GetChart();
    return nullptr;
}

TChartField* TdmControlRes::GetField(QObject* Sender) const {
    if (auto* chart = qobject_cast<TGraphion*>(Sender))
        return chart->Fields().Count() > 0 ? chart->Fields().Items(0) : nullptr;
    QObject* c = GetPopupComponent(Sender);
    if (auto* client = qobject_cast<TFieldClientBox*>(c)) return client->GetField();
    if (auto* chart = qobject_cast<TGraphion*>(c)) return chart->Fields().Add();
    return nullptr;
}

TSeries* TdmControlRes::GetScaleSeries(TScaleControl* Strip) const {
    if (!Strip || !Strip->ParentScale() || !qobject_cast<TFieldControl*>(Strip->parentWidget())) return nullptr;
    TGraphion* chart = Strip->Chart();
    if (!chart) return nullptr;
    std::vector<TSeries*> list;
    chart->GetScaleSeries(Strip->ParentScale(), list);
    return list.empty() ? nullptr : list.front();
}

TScaleControl* TdmControlRes::PopupStrip(QObject* Sender) const {
    return qobject_cast<TScaleControl*>(GetPopupComponent(Sender));
}

TSensGrid* TdmControlRes::PopupGrid(QObject* Sender, QPoint& Point) const {
    TPopupMenu* m = GetMenu(Sender);
    auto* grid = m ? qobject_cast<TSensGrid*>(m->PopupComponent()) : nullptr;
    if (grid) Point = m->PopupPoint();  // the grid's item look-ups take screen points
    return grid;
}

void TdmControlRes::HideScales(TGraphion& Chart) {
    bool anyVisible = false;
    for (int f = 0; f < Chart.Fields().Count(); ++f) {
        const TScales& scales = Chart.Fields().Items(f)->Scales();
        for (int s = 0; s < scales.Count(); ++s) anyVisible = anyVisible || scales.Items(s)->Visible();
    }
    for (int f = 0; f < Chart.Fields().Count(); ++f) {
        TScales& scales = Chart.Fields().Items(f)->Scales();
        for (int s = 0; s < scales.Count(); ++s) scales.Items(s)->SetVisible(!anyVisible);
    }
}

void TdmControlRes::ExcludeSelected(TCustomGrid& Grid) {
    Grid.SetOptions(Grid.Options() & ~TCustomGrid::TGridOptions(TCustomGrid::goDrawFocusSelected));
    Grid.update();
}

// --- opening the menus ---

void TdmControlRes::pmChartPopup(TPopupMenu* Menu) {
    try {
        auto* client = qobject_cast<TFieldClientBox*>(Menu->PopupComponent());
        const TGraphion* chart = client ? client->GetChart() : nullptr;
        miAddSeries->setEnabled(client != nullptr);
        miAddDigitalSeries->setEnabled(client != nullptr);
        miDeleteField->setEnabled(chart && chart->Fields().Count() > 1);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmControlRes.pmChartPopup: %1").arg(QString::fromUtf8(e.what())));
    }
}

void TdmControlRes::PopulateContextItems(TPopupMenu& Menu) {
    TImageListEx images;
    images.Assign(*ilCommon);
    TContextMenuAdapter adapter(Menu, images);
    WKContextHandlers().CreatePopupItems(adapter, QStringLiteral("Sensors"));
}

void TdmControlRes::pmScalePopup(TPopupMenu* Menu) {
    if (!FScaleMenuPopulated) {
        FScaleMenuPopulated = true;
        PopulateContextItems(*Menu);
    }
    auto* strip = qobject_cast<TScaleControl*>(Menu->PopupComponent());
    const bool value = strip && qobject_cast<TFieldControl*>(strip->parentWidget());
    std::vector<TSeries*> list;
    if (value)
        if (TGraphion* chart = strip->Chart()) chart->GetScaleSeries(strip->ParentScale(), list);
    const bool firstIsLine = !list.empty() && qobject_cast<TWKChartSeries*>(list.front());
    miDeleteSeries->setEnabled(value);
    miAddScaleParam->setEnabled(value && (list.empty() || firstIsLine));
    miSeriesProperties->setEnabled(value && list.size() > 1);
    miDeleteSeries->setText(list.size() < 2 ? SDeleteScale : SDeleteScaleSeries);
    miFindMinMax->setEnabled(value && firstIsLine);
    const QList<QAction*> items = Menu->Menu()->actions();
    for (int i = 1; i < items.size(); ++i) items[i]->setVisible(value);
}

void TdmControlRes::pmValuesPopup(TPopupMenu* Menu) {
    if (!FValuesPopulated) {
        FValuesPopulated = true;
        PopulateContextItems(*Menu);
    }
    QPoint p;
    TSensGrid* grid = PopupGrid(Menu, p);
    const int index = grid ? grid->IndexFromPoint(p) : -1;
    const bool onItem = grid && index >= 0 && index < grid->SensorList()->Count();
    miRemoveValue->setEnabled(onItem);
    miGridItemProperties->setEnabled(onItem);
}

// --- the module's life ---

TPopupMenu* ChartMenu() { return dmControlRes ? dmControlRes->pmChart : nullptr; }
TPopupMenu* ScaleMenu() { return dmControlRes ? dmControlRes->pmScale : nullptr; }
TPopupMenu* ValuesMenu() { return dmControlRes ? dmControlRes->pmValues : nullptr; }

namespace {
void FreeControlRes() { delete dmControlRes; }

void CreateControlRes() {
    if (dmControlRes || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    dmControlRes = new TdmControlRes;
    qAddPostRoutine(FreeControlRes);
    // New sensor grids take the values menu as their popup.
    SetSensGridValuesMenu([]() -> TComponent* { return ValuesMenu(); });
}
}  // namespace

Q_COREAPP_STARTUP_FUNCTION(CreateControlRes)
