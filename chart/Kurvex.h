#pragma once
// The multi-track chart: fields side by side or stacked, one shared X scale
// (time or depth), value scales per field, series, value labels and the legend.
#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "KXPointArrays.h"
#include "KXScale.h"
#include "KXScaleControl.h"
#include "KXLegend.h"
#include "KXSeries.h"

#include <QColor>
#include <QPen>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class TChartField;
class TGraphion;
class TLinePath;


enum TChartOrientation { coVertical, coHorizontal };


// Pixels within which the cursor counts as over an end of the X-range selection.
extern int SelectionSensitivity;
// Colour of the X-range selection band.
extern QColor SelectionColor;

using TPaintFieldEvent = std::function<void(TChartField* Field, QPainter& DC)>;
using TFieldMouseDownEvent =
    std::function<bool(TChartField* Field, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TFieldMouseMoveEvent = std::function<bool(TChartField* Field, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TFieldMouseUpEvent = TFieldMouseDownEvent;

// The value scales of one field.
class TScales : public TCollection {
    Q_OBJECT
public:
    explicit TScales(TChartField* Field);
    TScale* Add() override;
    TScale* Items(int Index) const { return ItemAs<TScale>(Index); }
    int IndexOf(const TScale* Scale) const;
    TScale* FindItemID(int ID) const { return qobject_cast<TScale*>(TCollection::FindItemID(ID)); }
    void Move(int From, int To);
    void SetOrientation(TChartOrientation Value);
    TChartField* Field() const { return FField; }
    TGraphion* Chart() const;
    void Refresh() { Update(nullptr); }

protected:
    // Collection changed: strips parented, orientation applied, the chart told.
    void Update(TCollectionItem* Item) override;

private:
    TChartField* FField;
};

// The panel of one field: the indent and the value strips; the plot area inside.
class TFieldControl : public QWidget {
    Q_OBJECT
public:
    TFieldControl(QWidget* Parent, TChartField* Field);
    TChartField* Field() const { return FField; }
    void Lock() { ++FLockCount; }
    void Unlock();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TChartField* FField;
    int FLockCount = 0;
};

// The plot area of one field.
class TFieldClientBox : public TFastControl {
    Q_OBJECT
public:
    TFieldClientBox(QWidget* Parent, TFieldControl* Field);
    TGraphion* GetChart() const;
    TChartField* GetField() const;
    // The plot area's popup menu is its chart's.
    TComponent* PopupMenu() const;

protected:
    void PaintOn(QPainter& DC) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    // A right click opens the chart's popup menu for this plot area.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    TFieldControl* FField;
};

class TChartField : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(double Percents READ Percents WRITE SetPercents)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(Colors::TColor Color READ ColorValue WRITE SetColorValue)
    Q_PROPERTY(TPen* GridPen READ GridPenObject WRITE SetGridPenObject)
    Q_PROPERTY(TCollection* Scales READ ScalesCollection)
    Q_PROPERTY(int GridIndex READ GridIndex WRITE SetGridInd)
    Q_PROPERTY(bool ShowSubGrid READ ShowSubGrid WRITE SetShowSubGrid)
    Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
public:
    Q_INVOKABLE explicit TChartField(TCollection* Collection = nullptr);
    ~TChartField() override;

    void Assign(const TChartField& Source);
    void Assign(const TPersistent* Source) override;
    // Creates the field's panel, plot area and splitter in its chart (once).
    void Attach(TGraphion* Chart);
    TCollection* ScalesCollection() const { return FScales; }
    TPen* GridPenObject() const { return FGridPenObj; }
    void SetGridPenObject(TPen* Value) { FGridPenObj->Assign(Value); }
    TColor ColorValue() const { return FColor; }
    void SetColorValue(TColor Value);
    TSeries* FindSeries(const QVariant& ID) const;
    void Lock();
    void Unlock();
    void Repaint();
    void PaintRequest(QPainter& DC);
    void PaintIcon(QPainter& DC, const QRect& Box) const;
    int GetSumOffset();
    void ArrangeScales(int MaxOffset);

    TGraphion* Chart() const { return FChart; }
    TFieldClientBox* Client() const { return FClient; }
    TFieldControl* Control() const { return FControl; }
    TKXSplitter* Splitter() const { return FSplitter; }
    TScales& Scales() { return *FScales; }
    const TScales& Scales() const { return *FScales; }
    double Percents() const { return FPercents; }
    void SetPercents(double Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    QColor Color() const { return ColorToQColor(FColor); }
    void SetColor(const QColor& Value);
    QPen GridPen() const { return FGridPenObj->ToQPen(); }
    void SetGridPen(const QPen& Value);
    int GridIndex() const;
    void SetGridInd(int Value);
    bool ShowSubGrid() const { return FShowSubGrid; }
    void SetShowSubGrid(bool Value);
    int Size() const;
    void SetSize(int Value);
    int SpacePos() const { return FSpacePos; }

private:
    friend class TChartFields;
    friend class TGraphion;
    TGraphion* FChart = nullptr;
    TFieldClientBox* FClient = nullptr;
    TFieldControl* FControl = nullptr;
    TPen* FGridPenObj;
    TScales* FScales;
    TKXSplitter* FSplitter = nullptr;
    double FPercents = 1;
    // The grid follows the value scale with collection ID 0 (the field's first) until set.
    int FGridID = 0;
    int FSpacePos = 0;
    bool FShowSubGrid = false;
    QString FCaption = QStringLiteral("Field");
    TColor FColor = clWhite;
};

class TChartFields : public TCollection {
    Q_OBJECT
public:
    explicit TChartFields(TGraphion* Chart);
    TChartField* Add() override;
    TChartField* Items(int Index) const { return ItemAs<TChartField>(Index); }
    int IndexOf(const TChartField* Field) const { return Field && Field->Collection() == this ? Field->Index() : -1; }
    TChartField* FindItemID(int ID) const { return qobject_cast<TChartField*>(TCollection::FindItemID(ID)); }
    void Move(int From, int To);
    void ArrangeScales(int MaxOffset);
    void Lock();
    void Unlock();
    // Applies the collection to the chart now.
    void Refresh() { Update(nullptr); }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TGraphion* FChart;
};

class TGraphion : public TControl, public IKXLoading {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TPanel::TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TPanel::TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(TPanel::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(TChartOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(TCollection* Fields READ FieldsCollection)
    Q_PROPERTY(TScale* XScale READ XScale)
    Q_PROPERTY(bool ShowCheckboxes READ ShowCheckboxes WRITE SetShowCheckboxes)
public:
    Q_ENUM(TChartOrientation)

    Q_INVOKABLE explicit TGraphion(QObject* AOwner = nullptr);
    ~TGraphion() override;

    // --- loading from a stream ---
    bool IsComponentLoading() const override { return IsLoading(); }
    void Loaded() override;
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    TCollection* FieldsCollection() const { return FFields; }

    void Assign(const TGraphion& Source);
    void InsertSeries(TSeries* Series);
    void RemoveSeries(TSeries* Series);
    void InsertS(TSeries* Series);
    void RemoveS(TSeries* Series);
    TSeries* GetSeries(int Index) const;
    int GetSeriesCount() const { return static_cast<int>(FSeriesList.size()); }
    TChartField* GetScaleField(const TScale* Scale) const;
    void GetScaleSeries(const TScale* Scale, std::vector<TSeries*>& Series) const;
    void FreeUnlinkedSeries();
    void New();
    void ForceRepaint();
    // The X window moved: the X strip and the plot areas repaint, the value strips do not.
    void XScaleChanged();
    void SeriesPaintRequest(TSeries* Series);
    void Changed();
    void Lock();
    void Unlock();
    bool Locked() const { return FLockLevel > 0; }
    void ClearLabels();
    void SetOrientation(TChartOrientation Value);
    TChartOrientation Orientation() const { return FOrientation; }
    void SetSelectionMode(bool Value) { FSelectionMode = Value; }
    bool SelectionMode() const { return FSelectionMode; }
    double SelectionStart() const { return FSelectionStart; }
    double SelectionStop() const { return FSelectionStop; }
    void SetSelection(double Start, double Stop);
    int GetX(int X, int Y) const { return FOrientation == coHorizontal ? X : Y; }
    double GetXValue(int X, int Y) const;
    bool IsCursorOverValue(int X, int Y, double Value) const;
    void PrjSeries(TScale* Scale, double A, double B, const double* X, const double* Y, int Count, QPoint* Points) const;
    // The same projection in floating point and without the clamp: plot-area coordinates
    // (PX across, PY down), NaN where Y is NaN. Drawn through a TLinePath they give the
    // true line however far its points lie outside the plot area.
    void PrjSeriesValues(TScale* Scale, double A, double B, const double* X, const double* Y, int Count, double* PX,
                         double* PY) const;
    // Appends the points (X, Y) so projected to a path begun on the series' plot area: the
    // true line, broken at NaN, clipped where it leaves the area.
    void AddSeriesPath(TLinePath& Path, TScale* Scale, double A, double B, const double* X, const double* Y,
                       int Count) const;
    QColor GetGridColor() const;
    void SetGridColor(const QColor& Value);
    void SetLegend(TGraphionLegend* Control);
    TGraphionLegend* Legend() const { return FLegendControl; }
    bool ShowCheckboxes() const { return FShowCheckboxes; }
    void SetShowCheckboxes(bool Value);

    TChartFields& Fields() { return *FFields; }
    const TChartFields& Fields() const { return *FFields; }
    QColor QtColor() const { return ColorToQColor(Color()); }
    TScale* XScale() const { return FXScale; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int BorderWidth() const { return FFrame.BorderWidth; }
    void SetBorderWidth(int Value);
    // The panel's bevels and border line around the fields (none by default).
    TPanel::TBevelCut BevelInner() const { return FFrame.Inner; }
    void SetBevelInner(TPanel::TBevelCut Value);
    TPanel::TBevelCut BevelOuter() const { return FFrame.Outer; }
    void SetBevelOuter(TPanel::TBevelCut Value);
    int BevelWidth() const { return FFrame.BevelWidth; }
    void SetBevelWidth(int Value);
    TPanel::TBorderStyle BorderStyle() const { return FFrame.Border; }
    void SetBorderStyle(TPanel::TBorderStyle Value);

    // Lays the chart out again now (AlignControls), or skips while loading or locked.
    void Realign();
    // A strip changed its thickness: lay out again unless a layout is running.
    void RequestRealign();
    void MarkSetPercents() { FSetPercents = true; }
    // A caption of the chart, a field, a scale or a series changed.
    void TextChanged(QObject* Obj);
    // Sends a chart message (CM_CHARTCHANGED ...) to the legend.
    void NotifyLegend(int Message, QObject* Obj = nullptr);

    // Handlers of the plot areas.
    void FieldPaintRequest(TChartField* Field, QPainter& DC);
    void FieldMouseDown(TChartField* Field, Qt::MouseButton Button, Qt::MouseButtons Buttons,
                        Qt::KeyboardModifiers Shift, int X, int Y);
    void FieldMouseMove(TChartField* Field, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y,
                        bool Captured);
    void FieldMouseUp(TChartField* Field, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // A wheel over a plot area slides the X window; 120 units of Delta are one notch.
    void FieldWheel(const QPoint& Delta);

    TPaintFieldEvent OnPaintField;
    TFieldMouseDownEvent OnMouseDown;
    TFieldMouseUpEvent OnMouseUp;
    TFieldMouseMoveEvent OnMouseMove;
    std::function<void()> OnSelectionChanged;
    std::function<void()> OnChangeOrientation;
    std::function<void()> OnChangeCaption;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void ColorChanged() override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    // A right click on the panel outside the fields opens the chart's popup menu for the panel.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    friend class TChartFields;
    friend class TChartField;
    friend class TScales;
    void AlignControls();
    QRect InnerRect() const;
    // The frame around the fields changed its width or look.
    void FrameChanged();
    void PaintGrid(TChartField* Field, QPainter& DC, const QSize& Area);
    void PaintLabels(TLabelRefs& Labels, QPainter& DC, const QSize& Area);
    bool AlignDisabled() const { return FAlignDisabled > 0 || FAligning; }

    QPointer<TGraphionLegend> FLegendControl;
    std::vector<TSeries*> FSeriesList;
    int FLockLevel = 0;
    bool FShowCheckboxes = false;
    bool FSelectionMode = false;
    double FSelectionStart, FSelectionStop;
    TChartFields* FFields = nullptr;  // owned through Qt
    bool FSetPercents = false;
    TChartOrientation FOrientation = coHorizontal;
    TScale* FXScale = nullptr;
    QString FCaption;
    TPanelFrame FFrame{TPanel::bvNone, TPanel::bvNone};
    bool FDestroying = false;
    int FAlignDisabled = 0;
    bool FAligning = false;
};

// Whether two X values count as the same end of a selection.
bool SameXValue(double A, double B);

#pragma GCC visibility pop
