#pragma once
// The multi-track chart: fields side by side or stacked, one shared X scale
// (time or depth), value scales per field, series, value labels and the legend.
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

class TChartField;
class TGraphion;


enum TChartOrientation { coVertical, coHorizontal };

// Window messages of the chart engine, kept for the legend and the users of the chart.
inline constexpr int CM_CHARTDESTROYED = 1025;
inline constexpr int CM_CHARTCHANGED = 1026;

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
class TScales : public QObject {
    Q_OBJECT
public:
    TScales(TChartField* Field, TGraphion* Chart);
    ~TScales() override;
    TScale* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TScale* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
    int IndexOf(const TScale* Scale) const;
    TScale* FindItemID(int ID) const;
    void Delete(int Index);
    void Move(int From, int To);
    void Clear();
    void SetOrientation(TChartOrientation Value);
    // Collection changed: strips parented, orientation applied, the chart told.
    void Update();
    TChartField* Field() const { return FField; }

private:
    TChartField* FField;
    TGraphion* FChart;
    std::vector<TScale*> FItems;
    int FNextID = 0;
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

protected:
    void PaintOn(QPainter& DC) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    TFieldControl* FField;
};

class TChartField : public QObject {
    Q_OBJECT
    Q_PROPERTY(double Percents READ Percents WRITE SetPercents)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QPen GridPen READ GridPen WRITE SetGridPen)
    Q_PROPERTY(int GridIndex READ GridIndex WRITE SetGridInd)
    Q_PROPERTY(bool ShowSubGrid READ ShowSubGrid WRITE SetShowSubGrid)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
public:
    explicit TChartField(TGraphion* Chart);
    ~TChartField() override;

    void Assign(const TChartField& Source);
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
    int ID() const { return FID; }
    int Index() const;
    double Percents() const { return FPercents; }
    void SetPercents(double Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);
    QPen GridPen() const { return FGridPen; }
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
    TGraphion* FChart;
    TFieldClientBox* FClient = nullptr;
    TFieldControl* FControl = nullptr;
    QPen FGridPen;
    std::unique_ptr<TScales> FScales;
    TKXSplitter* FSplitter = nullptr;
    double FPercents = 1;
    int FGridID = -1;
    int FSpacePos = 0;
    bool FShowSubGrid = false;
    QString FCaption = QStringLiteral("Field");
    QColor FColor = Qt::white;
    int FID = 0;
};

class TChartFields : public QObject {
    Q_OBJECT
public:
    explicit TChartFields(TGraphion* Chart) : FChart(Chart) {}
    ~TChartFields() override;
    TChartField* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TChartField* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
    int IndexOf(const TChartField* Field) const;
    TChartField* FindItemID(int ID) const;
    void Delete(int Index);
    void Move(int From, int To);
    void Clear();
    void ArrangeScales(int MaxOffset);
    void Lock();
    void Unlock();
    void BeginUpdate();
    void EndUpdate();
    void Update();

private:
    TGraphion* FChart;
    std::vector<TChartField*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

class TGraphion : public QWidget, public IKXLoading {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(TChartOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(bool ShowCheckboxes READ ShowCheckboxes WRITE SetShowCheckboxes)
public:
    Q_ENUM(TChartOrientation)

    explicit TGraphion(QWidget* AOwner = nullptr);
    ~TGraphion() override;

    // --- loading from a stream ---
    bool IsComponentLoading() const override { return FLoading; }
    void BeginLoading() { FLoading = true; }
    void Loaded();

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
    QColor GetGridColor() const;
    void SetGridColor(const QColor& Value);
    void SetLegend(TGraphionLegend* Control);
    TGraphionLegend* Legend() const { return FLegendControl; }
    bool ShowCheckboxes() const { return FShowCheckboxes; }
    void SetShowCheckboxes(bool Value);

    TChartFields& Fields() { return *FFields; }
    const TChartFields& Fields() const { return *FFields; }
    TScale* XScale() const { return FXScale; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);

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
    void FieldWheel(int Delta);

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
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    friend class TChartFields;
    friend class TChartField;
    friend class TScales;
    void AlignControls();
    QRect InnerRect() const;
    void PaintGrid(TChartField* Field, QPainter& DC, const QSize& Area);
    void PaintLabels(TLabelRefs& Labels, QPainter& DC, const QSize& Area);
    bool AlignDisabled() const { return FAlignDisabled > 0 || FAligning; }

    QPointer<TGraphionLegend> FLegendControl;
    std::vector<TSeries*> FSeriesList;
    int FLockLevel = 0;
    bool FShowCheckboxes = false;
    bool FSelectionMode = false;
    double FSelectionStart, FSelectionStop;
    std::unique_ptr<TChartFields> FFields;
    bool FSetPercents = false;
    TChartOrientation FOrientation = coHorizontal;
    TScale* FXScale = nullptr;
    QString FCaption;
    QColor FColor;
    int FBorderWidth = 0;
    bool FLoading = false;
    bool FDestroying = false;
    int FAlignDisabled = 0;
    bool FAligning = false;
};

// Whether two X values count as the same end of a selection.
bool SameXValue(double A, double B);
