#pragma once
// The series of a review chart: they draw recorded data blocks of the form's
// data document. Each caches the runs of usable values once per load (at most
// 3001 indices a run), so painting and clicking work on runs. Formula series
// compute their values over formula identifiers "{system.parameter}" into the
// document's "Expressions" block.
#include "DataStructures.h"
#include "Express.h"
#include "Kurvex.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class TReviewDataDocument;
class TFont;

// The document a form offers to the review series of its chart.
class ISketchDocInterface {
public:
    virtual ~ISketchDocInterface() = default;
    virtual TReviewDataDocument* GetDocument() = 0;
};
#define ISketchDocInterface_iid "{4B6115A7-ACEF-4FC5-A4E6-9CC0D4575056}"
Q_DECLARE_INTERFACE(ISketchDocInterface, ISketchDocInterface_iid)

// Lets the chart's projection read a data segment (not owned).
class TVirtualPointArray : public TPointArray {
    Q_OBJECT
public:
    explicit TVirtualPointArray(TCollection* Collection = nullptr) : TPointArray(Collection) {}
    TChartValue GetValue(int Index) const override { return {SketchArray->GetAsDouble(Index), 0}; }
    int GetCount() const override { return SketchArray ? SketchArray->GetCount() : 0; }
    void Clear() override {}

    Plotmere::TDataSegment* SketchArray = nullptr;
};

// One run of usable values: indices First..Last of a block's main and value segments.
struct TReviewRun {
    QPointer<Plotmere::TDataSegment> Main;
    QPointer<Plotmere::TDataSegment> Values;
    int First = 0;
    int Last = 0;
};

// Splits the indices 0..count-1 into runs without empty values, each of at
// most 3001 indices (a long run continues in the next from its last index).
std::vector<std::pair<int, int>> SplitRuns(int count, const std::function<bool(int)>& isEmpty);

// The range an auto-range request gives for the data's minimum and maximum;
// false (nothing to set) for a span of 0 or one that is not finite.
bool AutoRangeLimits(double& Min, double& Max);

class TWKReviewBaseSeries : public TSeries {
    Q_OBJECT
    Q_PROPERTY(double A READ A WRITE SetA)
    Q_PROPERTY(double B READ B WRITE SetB)
    Q_PROPERTY(QString LabelsFormat READ LabelsFormat WRITE SetLabelsFormat)
    Q_PROPERTY(QString SourceID READ SourceID WRITE SetSourceID)
    Q_PROPERTY(QString SystemID READ SystemID WRITE SetSystemID)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
public:
    explicit TWKReviewBaseSeries(QObject* AOwner = nullptr);
    ~TWKReviewBaseSeries() override;

    // The first block after After whose SourceID is the series' and that holds
    // the main segment and the parameter's segment; it becomes current. -1: none.
    virtual int FindBlock(int After);
    // Caches the runs of every block found (Start and Stop are for formulas).
    virtual void CacheRanges(double Start, double Stop);
    // Forgets the runs (the blocks they point into are about to go).
    void ClearCache() { FCache.clear(); }
    const std::vector<TReviewRun>& Cache() const { return FCache; }

    bool Link() override { return FindBlock(-1) >= 0; }
    void Assign(const TSeries& Source) override;
    void PaintIcon(QPainter&, const QRect&) override {}
    // The value at Index of the current value segment as display text.
    QString AsString(int Index);

    // The document of the first parent of Control that offers one; null when none does.
    static TReviewDataDocument* GetControlDocument(QObject* Control);
    TReviewDataDocument* Document() const;

    double A() const { return FA; }
    void SetA(double Value) { FA = Value; }
    double B() const { return FB; }
    void SetB(double Value) { FB = Value; }
    QString LabelsFormat() const { return FLFormat; }
    void SetLabelsFormat(const QString& Value) { FLFormat = Value; }
    QString SourceID() const { return FSourceID; }
    void SetSourceID(const QString& Value) { FSourceID = Value; }
    QString SystemID() const { return FSystemID; }
    void SetSystemID(const QString& Value) { FSystemID = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    QString Units() const { return FUnits; }
    void SetUnits(const QString& Value) { FUnits = Value; }

protected:
    // Makes a run current: its segments for AsString and the projection.
    void SetCurrent(const TReviewRun& Run);
    bool VisibleRun(const TReviewRun& Run) const;

    double FA = 0;
    double FB = 0;
    QString FLFormat = QStringLiteral("0.###");
    QString FSourceID;
    QString FSystemID;
    int FPrecision = 0;
    QString FUnits;
    QPointer<Plotmere::TDataSegment> FXArray;
    QPointer<Plotmere::TDataSegment> FArray;
    std::vector<TReviewRun> FCache;
    std::unique_ptr<TVirtualPointArray> FVPArray;
};

class TExLineSeries : public TWKReviewBaseSeries {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ PenObject WRITE SetPenObject)
public:
    Q_INVOKABLE explicit TExLineSeries(QObject* AOwner = nullptr);
    bool MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                   int Y) override;
    QColor QueryLabelColor() const override { return Pen().color(); }
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    // Points drawn by the last paint (all runs together).
    int LastPoints() const { return FLastPoints; }

private:
    // Adds a run's records (every few while a strip is dragged) to the path.
    void DrawRun(TLinePath& Path, TScale& Scale, const TReviewRun& Run);
    int FLastPoints = 0;
    // the run's values, reused across paints
    std::vector<double> FRunX, FRunY;
};

// A line over a formula of recorded parameters, computed on a regular grid
// (1 s of time or 0.2 m of depth) into the document's "Expressions" block.
class TExpressionLineSeries : public TExLineSeries {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TExpressionLineSeries(QObject* AOwner = nullptr);
    void CacheRanges(double Start, double Stop) override;
    // The parameters of the formula's identifiers of the system of data source ID.
    void RegisterParams(const QString& ID, const QString& Group, QStringList& List);
    // The formula scale setup; a changed formula is computed again.
    void Setup(TScale* Scale);
};

class TWKDigitalReviewSeries : public TWKReviewBaseSeries {
    Q_OBJECT
    Q_PROPERTY(double Step READ Step WRITE SetStep)
    Q_PROPERTY(bool ByMainParam READ ByMainParam WRITE SetByMainParam)
    Q_PROPERTY(TFont* Font READ FontObject WRITE SetFontObject)
public:
    Q_INVOKABLE explicit TWKDigitalReviewSeries(QObject* AOwner = nullptr);
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    void Setup(TScale* Scale);

    double Step() const { return FStep; }
    void SetStep(double Value) { FStep = Value; }
    bool ByMainParam() const { return FByMainParam; }
    void SetByMainParam(bool Value) { FByMainParam = Value; }
    TFont* FontObject() const { return FFont; }
    void SetFontObject(TFont* Value);
    // Boxes and indices of the marks drawn by the last paint.
    const std::vector<QRect>& LastMarks() const { return FLastMarks; }
    const std::vector<int>& LastMarkIndices() const { return FLastMarkIndices; }

private:
    double FStep = 1;
    bool FByMainParam = true;
    TFont* FFont;
    std::vector<QRect> FLastMarks;
    std::vector<int> FLastMarkIndices;
};

// ---- formula identifiers ----

// Recognises "{system.parameter}" at the front of a formula.
class TWKReviewIdentConstructor : public TArgumentConstructor {
public:
    explicit TWKReviewIdentConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
    const QString& SavedSysID() const { return FSavedSysID; }
    const QString& SavedID() const { return FSavedID; }

private:
    QString FSavedSysID, FSavedID;
};

// One recorded parameter of a formula, read from the blocks of its system.
class TWKReviewExpressionIdentifier : public TConst {
public:
    TWKReviewExpressionIdentifier(TExpression& expression, const QString& systemID, const QString& strID);
    const QString& SystemID() const { return FSystemID; }
    const QString& StrID() const { return FStrID; }
    // Keeps the blocks of the system that hold the parameter; false when none does.
    bool Bind(Plotmere::TDataBlockList* Blocks);
    // Takes the parameter's value at main value x; false when no block serves x.
    bool Update(double x);
    void Prepare() override;
    bool Check() const override;
    double Value() const { return FValue; }
    int CachedIndex() const { return FCachedIndex; }

private:
    QString FSystemID, FStrID;
    Plotmere::TDataBlockList* FBlocks = nullptr;
    std::vector<QPointer<Plotmere::TDataBlock>> FBlockCache;
    Plotmere::TDataBlock* FCachedBlock = nullptr;
    int FCachedIndex = -1;
    double FValue;
};

// The parser of review formulas: the formula language with recorded-parameter identifiers.
TRParser& ReviewParser();
// The identifiers of a formula text in order; empty when it does not parse.
QList<std::pair<QString, QString>> ReviewFormulaIdentifiers(const QString& Formula);

// The block of computed data and its grid step for a document class.
inline const QString ExpressionsSourceID = QStringLiteral("Expressions");
inline const QString ExpressionsSystemID = QStringLiteral("Welvista");
inline const QString ExpressionsBlockName = QStringLiteral("Расчетные данные");
inline const QString SFunctionBindFail = QStringLiteral("TExpressionLineSeries: function bind fail");
double FormulaGridStep(bool IsDateTime);

// The chart dialogs the review series and commands open. The chart dialog
// unit installs them; while one is missing its command says so and changes nothing.
struct TReviewSetupDialogs {
    // The formula scale setup: the formula text in and out; true on OK.
    std::function<bool(TScale& Scale, QString& Formula, bool IsDateTime)> FormulaScale;
    // The digital-series setup (font, colour, step, binding); true on OK.
    std::function<bool(TWKDigitalReviewSeries& Series, TScale& Scale)> DigitalSeries;
    std::function<bool(TGraphion& Chart)> Chart;
    std::function<bool(TScale& Scale)> Scale;
};
TReviewSetupDialogs& ReviewSetupDialogs();
inline const QString SSetupUnavailable = QStringLiteral("Диалог настройки недоступен");

#pragma GCC visibility pop
