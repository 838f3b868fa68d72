#pragma once
// What every chart and sensor grid of the user forms shares: the popup menus
// of charts (pmChart), scale strips (pmScale) and sensor grids (pmValues)
// with their commands, and the image list of the menu icons. The one module
// dmControlRes is made when the application object starts (this library's
// start-up) and freed when it ends; charts and grids made meanwhile carry
// its menus.
#include "Components.h"
#include "ImgList.h"
#include "WKParamSource.h"

#include <QIcon>
#include <vector>

#pragma GCC visibility push(default)

class QAction;
class TChartField;
class TCustomGrid;
class TGraphion;
class TPopupMenu;
class TScale;
class TScaleControl;
class TSensGrid;
class TSeries;

// An image list whose disabled images are drawn greyed (saturation taken out,
// lighter) from its 32-bit images.
class TImageListEx : public TCustomImageList {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TImageListEx(QObject* owner = nullptr) : TCustomImageList(owner) {}
    QImage DisabledImage(int Index) const;
    // The image with its greyed disabled state; an empty icon for a bad index.
    QIcon Icon(int Index) const;
};

// The hint of the chart while it waits for a range to be selected.
inline const QString SSelectRangeHint = QStringLiteral("Укажите мышью диапазон на графике");
inline const QString SDeleteScale = QStringLiteral("Удалить шкалу");
inline const QString SDeleteScaleSeries = QStringLiteral("Удалить графики со шкалы...");

class TdmControlRes : public TComponent {
    Q_OBJECT
public:
    explicit TdmControlRes(QObject* AOwner = nullptr);
    ~TdmControlRes() override;

    TImageList* ilCommon;
    TPopupMenu* pmValues;
    QAction* miAddValues;
    QAction* miRemoveValue;
    QAction* N3;
    QAction* miProperties;
    TPopupMenu* pmChart;
    QAction* miSC;
    QAction* miAddSeries;
    QAction* miAddField;
    QAction* miDeleteField;
    TPopupMenu* pmScale;
    QAction* ChartProperties;
    QAction* N5;
    QAction* miDeleteSeries;
    QAction* miFindMinMax;
    QAction* miHideScales;
    QAction* miAddDigitalSeries;
    QAction* miGridItemProperties;
    QAction* miClearLabels;
    QAction* miAddScaleParam;
    QAction* miSeriesProperties;
    QAction* N1;
    QAction* miStat;
    QAction* miAddComment;

    // The popup menu of a menu item (or the menu itself), or null.
    TPopupMenu* GetMenu(QObject* Sender) const;
    QObject* GetPopupComponent(QObject* Sender) const;
    // The chart behind the popup component (see the implementation).
    TGraphion* GetChart(QObject* Sender) const;
    // The field the command works on; for the chart panel a new field is
    // appended to the chart.
    TChartField* GetField(QObject* Sender) const;
    // The first series of the strip's chart on its scale and field; null for
    // the X strip or a scale without series.
    TSeries* GetScaleSeries(TScaleControl* Strip) const;
    // The parameters of the popup strip's series, each with the index of its
    // series in the scale's series list as Priority.
    void GetScaleParams(const QString& Profile, TSensDescrArray& Params) const;
    // Every value scale hidden when any is visible, else every one shown.
    static void HideScales(TGraphion& Chart);
    // Parameters chosen in the picker become series: each on a new value scale
    // of Field, or all on Scale when given. False when nothing was added.
    bool AddSeries(TChartField* Field, TScale* Scale);
    // Parameters chosen in the picker become digital marks, each on a new scale.
    bool AddDigitalSeries(TChartField* Field);
    static void ExcludeSelected(TCustomGrid& Grid);

    // Opening the menus.
    void pmChartPopup(TPopupMenu* Menu);
    void pmScalePopup(TPopupMenu* Menu);
    void pmValuesPopup(TPopupMenu* Menu);
    bool ValuesPopulated() const { return FValuesPopulated; }
    bool ScaleMenuPopulated() const { return FScaleMenuPopulated; }

private:
    void CreateMenus();
    // The core's "Sensors" context items and a greyed-image copy of the icons,
    // once per menu.
    void PopulateContextItems(TPopupMenu& Menu);
    // Runs a command; a failure is logged with the command's name.
    void Run(const char* Name, QAction* Sender, void (TdmControlRes::*Command)(QObject*));

    void miSCClick(QObject* Sender);
    void miAddSeriesClick(QObject* Sender);
    void miAddDigitalSeriesClick(QObject* Sender);
    void miClearLabelsClick(QObject* Sender);
    void miHideScalesClick(QObject* Sender);
    void miStatClick(QObject* Sender);
    void miAddCommentClick(QObject* Sender);
    void miAddFieldClick(QObject* Sender);
    void miDeleteFieldClick(QObject* Sender);
    void ChartPropertiesClick(QObject* Sender);
    void miSeriesPropertiesClick(QObject* Sender);
    void miAddScaleParamClick(QObject* Sender);
    void miFindMinMaxClick(QObject* Sender);
    void miDeleteSeriesClick(QObject* Sender);
    void miPropertiesClick(QObject* Sender);
    void miAddValuesClick(QObject* Sender);
    void miGridItemPropertiesClick(QObject* Sender);
    void miRemoveValueClick(QObject* Sender);

    // The popup strip, its scale and the series on it.
    TScaleControl* PopupStrip(QObject* Sender) const;
    // The grid and the popup point on the screen.
    TSensGrid* PopupGrid(QObject* Sender, QPoint& Point) const;

    bool FValuesPopulated = false;
    bool FScaleMenuPopulated = false;
};

extern TdmControlRes* dmControlRes;

// The module's menus, or null while it does not exist.
TPopupMenu* ChartMenu();
TPopupMenu* ScaleMenu();
TPopupMenu* ValuesMenu();

// The add-series command as other windows run it (the new-form gallery):
// parameters chosen in the picker become series of the field, each on a new
// value scale, or all on Scale when given. Nothing happens on cancel; false
// then.
bool AddChartSeries(TChartField* Field, TScale* Scale = nullptr);

// The icons of the menus, in ilCommon's order.
void FillCommonImages(TCustomImageList& List);

#pragma GCC visibility pop
