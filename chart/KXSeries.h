#pragma once
// Series drawn in the fields of a chart, and the value labels pinned to them.
#include "Graphics.h"
#include "KXLinePath.h"
#include "KXPointArrays.h"

#include <QColor>
#include <QImage>
#include <QLine>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QRect>
#include <QVariant>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class QPainter;
class TGraphion;
class TScale;

// A boxed text pinned to a value of a series.
class TChartLabel {
public:
    TChartLabel(double AX, double AY, const QString& AText, const QColor& AColor)
        : X(AX), Y(AY), Text(AText), Color(AColor) {}
    QRect TextRect;     // the box in plot-area pixels, as last drawn
    QSize Size;         // its height is set when the label is laid out
    QPoint Position;    // pixel position of the labelled value
    double X, Y;
    QString Text;
    QColor Color;
};

// Labels owned by a series; a full list drops its oldest label for a new one.
class TLabelsList {
public:
    explicit TLabelsList(int Capacity = 0) : FCapacity(Capacity) {}
    void Add(std::unique_ptr<TChartLabel> Label);
    void Add(double X, double Y, const QString& Text, const QColor& Color);
    int Count() const { return static_cast<int>(FItems.size()); }
    TChartLabel* GetLabel(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
    void Delete(int Index);
    void Remove(const TChartLabel* Label);
    void Clear() { FItems.clear(); }
    int Capacity() const { return FCapacity; }

private:
    int FCapacity;
    std::vector<std::unique_ptr<TChartLabel>> FItems;
};

// Capacity of the label list of every new series.
extern int LabelsCapacity;

// Labels gathered for one paint of a field; they belong to their series.
using TLabelRefs = std::vector<TChartLabel*>;

class TSeries : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int FieldIndex READ FieldIndex WRITE SetFieldInd)
    Q_PROPERTY(QVariant ID READ ID WRITE SetFID)
    Q_PROPERTY(int ScaleIndex READ ScaleIndex WRITE SetScaleInd)
    Q_PROPERTY(QVariant XID READ XID WRITE SetFXID)
    Q_CLASSINFO("AlwaysStored", "FieldIndex,ScaleIndex")
public:
    explicit TSeries(QObject* AOwner = nullptr);
    ~TSeries() override;

    virtual void GetLabels(TLabelRefs& List, TScale* Scale, const QRect& Rect);
    virtual bool Link() = 0;
    virtual bool MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                           int Y);
    virtual void SetFieldInd(int Value);
    virtual void SetScaleInd(int Value);
    virtual QColor QueryLabelColor() const { return Qt::black; }
    virtual void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) = 0;
    virtual void PaintIcon(QPainter& DC, const QRect& Box) = 0;
    virtual void Assign(const TSeries& Source);

    void SetChart(TGraphion* Value);
    TGraphion* Chart() const { return FChart; }
    TLabelsList& Labels() { return FLabels; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int FieldIndex() const { return FFieldInd; }
    int ScaleIndex() const { return FScaleInd; }
    QVariant ID() const { return FID; }
    void SetFID(const QVariant& Value);
    QVariant XID() const { return FXID; }
    void SetFXID(const QVariant& Value);
    QPen Pen() const { return FPen->ToQPen(); }
    void SetPen(const QPen& Value);
    TPen* PenObject() const { return FPen; }
    void SetPenObject(TPen* Value) { FPen->Assign(Value); }
    // The series is written inside its chart.
    TComponentBase* GetParentComponent() const override;
    void SetParentComponent(TComponentBase* Parent) override;
    int FieldID() const { return FFieldID; }
    int ScaleID() const { return FScaleID; }
    // Resolves the field and scale identities from the stored indexes.
    void ResolveIDs();
    void Changed();

protected:
    bool Loading() const;
    QString FCaption;
    TPen* FPen;
    QPointer<TGraphion> FChart;
    QVariant FID, FXID;
    TLabelsList FLabels;
    int FFieldID = -1;
    int FScaleID = -1;
    int FFieldInd = 0;
    int FScaleInd = 0;

private:
    friend class TGraphion;
};

// A line over two arrays (X and Y) of a chart table.
class TRLineSeries : public TSeries {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ PenObject WRITE SetPenObject)
    Q_PROPERTY(QString LabelsFormat READ LabelsFormat WRITE SetLabelsFormat)
    Q_PROPERTY(TChartTable* Table READ Table WRITE SetTable)
    Q_PROPERTY(bool UseScaleColor READ UseScaleColor WRITE SetUseScaleColor)
public:
    Q_INVOKABLE explicit TRLineSeries(QObject* AOwner = nullptr);

    bool Link() override;
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    bool MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                   int Y) override;
    void GetLabels(TLabelRefs& List, TScale* Scale, const QRect& Rect) override;
    void PaintIcon(QPainter& DC, const QRect& Box) override;
    QColor QueryLabelColor() const override { return Pen().color(); }
    void Assign(const TSeries& Source) override;
    virtual void SetTable(TChartTable* Value);

    TChartTable* Table() const { return FTable; }
    QString LabelsFormat() const { return FLFormat; }
    void SetLabelsFormat(const QString& Value) { FLFormat = Value; }
    bool UseScaleColor() const { return FUseScaleColor; }
    void SetUseScaleColor(bool Value);
    // Index ranges of the chunks drawn by the last paint.
    const std::vector<std::pair<int, int>>& LastChunks() const { return FLastChunks; }

private:
    void AddChunk(TScale& XScale, TScale& Scale, int P, int Q, bool Vertical, bool Continues);
    QString FLFormat = QStringLiteral("0.###");
    bool FUseScaleColor = false;
    TPointArray* FArray = nullptr;
    TPointArray* FXArray = nullptr;
    QPointer<TChartTable> FTable;
    // projection buffers and the path, reused across paints
    std::vector<double> FPrjX, FPrjY;
    TLinePath FPath;
    std::vector<std::pair<int, int>> FLastChunks;
};

#pragma GCC visibility pop
