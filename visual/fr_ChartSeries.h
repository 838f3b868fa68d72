#pragma once
// The series of the real-time chart: they read live arrays of the secondary
// stream list, which owns them; a series only refers to them.
#include "KXColumnThin.h"
#include "KXSeries.h"
#include "WKSensorItems.h"

#include <QFont>

#pragma GCC visibility push(default)

class TLinePath;
class TSensorDataArray;
class TUDFDataArray;
class TSensorDataStream;
class TWKStreamList;
class TWKChart;

// Binding to a sensor array by stream ID (with the chart's well suffix) or,
// without a stream ID, by data class.
class TWKChartBaseSeries : public TSeries {
    Q_OBJECT
    Q_PROPERTY(double A READ A WRITE SetA)
    Q_PROPERTY(double B READ B WRITE SetB)
    Q_PROPERTY(int GID READ GID WRITE SetGID)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(QString StreamID READ StreamID WRITE SetStreamID)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
public:
    explicit TWKChartBaseSeries(QObject* AOwner = nullptr) : TSeries(AOwner) {}

    // Forget the X array so that the next Link binds again.
    virtual void ClearLinks();
    // The Y array when StreamID is empty: sensor GID in the first "SrcTime" stream.
    virtual TSensorDataArray* FindYData(TWKStreamList& Streams);
    // Recomputes derived values; nothing for a plain sensor.
    virtual void UpdateData(bool Reset);
    bool Link() override;
    void PaintIcon(QPainter&, const QRect&) override {}

    double A() const { return FA; }
    void SetA(double Value) { FA = Value; }
    double B() const { return FB; }
    void SetB(double Value) { FB = Value; }
    int GID() const { return FGID; }
    void SetGID(int Value) { FGID = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    QString StreamID() const { return FStreamID; }
    void SetStreamID(const QString& Value) { FStreamID = Value; }
    QString Units() const { return FUnits; }
    void SetUnits(const QString& Value) { FUnits = Value; }
    TSensorDataArray* XData() const { return FXData; }
    TSensorDataArray* YData() const { return FYData; }
    // Records both arrays hold.
    int RecordCount() const;
    TWKChart* WKChart() const;

protected:
    double FA = 1;
    double FB = 0;
    int FGID = 0;
    int FPrecision = 2;
    QString FStreamID;
    QString FUnits;
    TSensorDataArray* FXData = nullptr;
    TSensorDataArray* FYData = nullptr;
};

// A line.
class TWKChartSeries : public TWKChartBaseSeries {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ PenObject WRITE SetPenObject)
public:
    Q_INVOKABLE explicit TWKChartSeries(QObject* AOwner = nullptr) : TWKChartBaseSeries(AOwner) {}

    void Loaded() override;
    TScale* GetChartScale() const;
    // X of the first and last record (NaN without data); prunes labels outside.
    void GetMinMaxXValues(double& Mn, double& Mx);
    // Range of the usable Y values.
    void GetMinMaxYValues(double& Mn, double& Mx);
    QColor QueryLabelColor() const override { return Pen().color(); }
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    bool MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                   int Y) override;
    // Records the last paint drew, one per polyline point (chunks share their
    // ends), before points that change no pixel are left out.
    int LastPointsDrawn() const { return FLastPoints; }

private:
    void FitScale(TScale& Scale);
    // A record whose sample is usable (an error or empty one breaks the line).
    bool Usable(int i) const;
    // Records P to Q into the path (without P when it continues the path); the count.
    int AddRecords(TLinePath& Path, TScale& Scale, int P, int Q, bool Continues);
    // Every e-th record of P up to Q into the path, while a strip is dragged; the count.
    int AddThinned(TLinePath& Path, TScale& Scale, int P, int Q);
    int FLastPoints = 0;
};

// Finds or creates the formula's array (FormulaStream, FindFormulaArray of
// WKSensorItems.h) and binds it; null without a stream.
TUDFDataArray* UpdateFormulaArray(bool IsDateTime, const QString& FormulaText);

class TWKExpressionSeries : public TWKChartSeries {
    Q_OBJECT
    Q_PROPERTY(QString FormulaText READ FormulaText WRITE SetFormulaText)
public:
    Q_INVOKABLE explicit TWKExpressionSeries(QObject* AOwner = nullptr) : TWKChartSeries(AOwner) {}
    TWKExpressionSeries(QObject* AOwner, const QString& aFormulaText);
    void ClearLinks() override;
    TSensorDataArray* FindYData(TWKStreamList& Streams) override;
    void UpdateData(bool Reset) override;
    QString FormulaText() const { return FFormulaText; }
    void SetFormulaText(const QString& Value);

private:
    QString FFormulaText;
};

// Value texts at steps of the X (or Y) values.
class TWKDigitalSeries : public TWKChartBaseSeries {
    Q_OBJECT
    Q_PROPERTY(bool ByMainParam READ ByMainParam WRITE SetByMainParam)
    Q_PROPERTY(TFont* Font READ FontObject WRITE SetFontObject)
    Q_PROPERTY(double Step READ Step WRITE SetStep)
public:
    Q_INVOKABLE explicit TWKDigitalSeries(QObject* AOwner = nullptr);
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    bool ByMainParam() const { return FByMainParam; }
    void SetByMainParam(bool Value) { FByMainParam = Value; }
    TFont* FontObject() const { return FFont; }
    void SetFontObject(TFont* Value) { FFont->Assign(Value); }
    double Step() const { return FStep; }
    void SetStep(double Value) { FStep = Value; }
    // Boxes of the marks drawn by the last paint.
    const std::vector<QRect>& LastMarks() const { return FLastMarks; }

private:
    double FStep = 10;
    bool FByMainParam = true;
    TFont* FFont;
    std::vector<QRect> FLastMarks;
};

class TWKDigitalExpressionSeries : public TWKDigitalSeries {
    Q_OBJECT
    Q_PROPERTY(QString FormulaText READ FormulaText WRITE SetFormulaText)
public:
    Q_INVOKABLE explicit TWKDigitalExpressionSeries(QObject* AOwner = nullptr) : TWKDigitalSeries(AOwner) {}
    TWKDigitalExpressionSeries(QObject* AOwner, const QString& aFormulaText);
    void ClearLinks() override;
    TSensorDataArray* FindYData(TWKStreamList& Streams) override;
    void UpdateData(bool Reset) override;
    QString FormulaText() const { return FFormulaText; }
    void SetFormulaText(const QString& Value);

private:
    QString FFormulaText;
};

// Free comments; each keeps its X value and a pixel Y.
struct TChartComment {
    double X;
    int Y;
    QString Text;
    QColor Color;
};

class TWKCommentSeries : public TSeries {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TWKCommentSeries(QObject* AOwner = nullptr);
    bool Link() override { return true; }
    void GetLabels(TLabelRefs&, TScale*, const QRect&) override {}
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    void PaintIcon(QPainter&, const QRect&) override {}
    std::vector<TChartComment>& Comments() { return FComments; }

private:
    std::vector<TChartComment> FComments;
};

// The projection buffer shared by every series of the chart (main thread only).
std::vector<QPoint>& ChartPointBuffer(size_t MinSize);
// The lines a dense series is drawn with, shared the same way.
TColumnSpanBuffers& ChartSpanBuffers();
// The path a line series is gathered in, shared the same way.
TLinePath& ChartLinePath();
// Draws the pieces of a path with the painter's pen: a piece of one point as a
// dot, a thin solid line column by column (Vertical: the X axis runs down).
void DrawLinePath(QPainter& DC, TLinePath& Path, bool Vertical);

#pragma GCC visibility pop
