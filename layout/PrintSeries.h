#pragma once
// Curves: items inside a track that draw one recorded parameter of the
// document's data blocks against the document's index. The base keeps the
// parameter description, registers the data it needs, caches the drawable
// runs per block and per page and projects values to millimetres and pixels.
// The line curve draws a polyline with fills and user marks, the digital
// curve writes values as text, the automatic-comment curve one templated
// text per row of a table block. Mark edits are undoable actions.
#include "PrintActions.h"
#include "PrintFields.h"

#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

// One drawable run of a parameter's column: rows StartIndex .. StopIndex.
struct TSeriesCacheEntry {
    TDataBlock* Block = nullptr;
    TDataSegment* XSegment = nullptr;  // the parameter's values
    TDataSegment* YSegment = nullptr;  // the block's index
    int StartIndex = 0;
    int StopIndex = 0;
};
using TSeriesCache = std::vector<TSeriesCacheEntry>;

// What a curve class tells the one who creates it.
enum class TPrintSeriesOption { soTime, soString, soBindOnCreate, soSetupOnCreate, soHaveMinMax, soHaveWidth, soOnePerField };
using TPrintSeriesOptions = TSet<TPrintSeriesOption>;

class TPrintSeries : public TPrintDBItem {
    Q_OBJECT
    Q_PROPERTY(QString GID READ GID WRITE SetGID)
    Q_PROPERTY(QString SourceID READ SourceID WRITE SetSourceID)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString ShortName READ ShortName WRITE SetShortName)
    Q_PROPERTY(TSeriesFlagSet Flags READ StoredFlags WRITE SetStoredFlags)
    Q_PROPERTY(int DataType READ DataType WRITE SetDataType)
    Q_PROPERTY(double Min READ Min WRITE SetMin)
    Q_PROPERTY(double Max READ Max WRITE SetMax)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(bool BlackCaption READ BlackCaption WRITE SetBlackCaption)
    Q_PROPERTY(bool ShowSubLabels READ ShowSubLabels WRITE SetShowSubLabels)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
public:
    // The stored form of TSeriesFlags (same bits).
    enum TSeriesFlagBit {
        sfLogarithmic = 1 << 0, sfSubTicks = 1 << 1, sfHideHeader = 1 << 2, sfInverted = 1 << 3,
        sfOwnsRender = 1 << 4, sfCanSetup = 1 << 5, sfNeedCache = 1 << 6, sfNeedPageCache = 1 << 7,
        sfHideMinMax = 1 << 8, sfMinMaxWithCaption = 1 << 9,
    };
    Q_DECLARE_FLAGS(TSeriesFlagSet, TSeriesFlagBit)
    Q_FLAG(TSeriesFlagSet)

    explicit TPrintSeries(QObject* owner = nullptr);
    ~TPrintSeries() override;

    const TParamDescr& Descr() const { return FDescr; }
    void SetDescr(const TParamDescr& descr) { FDescr = descr; }
    QString GID() const { return FDescr.ID; }
    void SetGID(const QString& v) { FDescr.ID = v; }
    QString SourceID() const { return FDescr.SourceID; }
    void SetSourceID(const QString& v) { FDescr.SourceID = v; }
    QString Caption() const { return FDescr.Name; }
    void SetCaption(const QString& v) { FDescr.Name = v; }
    QString ShortName() const { return FDescr.ShortName; }
    void SetShortName(const QString& v) { FDescr.ShortName = v; }
    TSeriesFlags Flags() const { return FDescr.Flags; }
    void SetFlags(TSeriesFlags v) { FDescr.Flags = v; }
    bool HasFlag(TSeriesFlag f) const { return FDescr.Flags.Contains(f); }
    TSeriesFlagSet StoredFlags() const { return TSeriesFlagSet::fromInt(int(FDescr.Flags.Bits())); }
    void SetStoredFlags(TSeriesFlagSet v) { FDescr.Flags = TSeriesFlags::FromBits(uint64_t(v.toInt())); }
    int DataType() const { return FDescr.DataType; }
    void SetDataType(int v) { FDescr.DataType = quint16(v); }
    double Min() const { return FDescr.Min; }
    void SetMin(double v) { FDescr.Min = v; }
    double Max() const { return FDescr.Max; }
    void SetMax(double v) { FDescr.Max = v; }
    TColor Color() const { return FDescr.Color; }
    void SetColor(TColor v) { FDescr.Color = v; }
    QString Units() const { return FDescr.Units; }
    void SetUnits(const QString& v) { FDescr.Units = v; }
    int Precision() const { return FDescr.Precision; }
    void SetPrecision(int v) { FDescr.Precision = v; }
    double DataMultiplier() const { return FDescr.A; }
    void SetDataMultiplier(double v) { FDescr.A = v; }
    double DataOffset() const { return FDescr.B; }
    void SetDataOffset(double v) { FDescr.B = v; }
    bool BlackCaption() const { return FBlackCap; }
    void SetBlackCaption(bool v) { FBlackCap = v; }
    bool ShowSubLabels() const { return FShowSubLabels; }
    void SetShowSubLabels(bool v) { FShowSubLabels = v; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* value) { FFont->Assign(value); }

    TPrintField* GetPrintField() const { return qobject_cast<TPrintField*>(GetParent()); }
    TSketchDocument* GetSketchDocument() const { return qobject_cast<TSketchDocument*>(GetDocument()); }
    bool CanPrj() const { return FCanPrj; }
    const TSeriesCache& BlockCache() const { return FBlockCache; }
    const std::vector<TSeriesCache>& PageCache() const { return FPageCache; }
    // Forgets both caches (the blocks they point into are about to change).
    void ClearCaches();
    void DropDataReferences() override { ClearCaches(); }

    void RegisterParams(const QString& source, const QString& group, QStringList& gids) override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;

    virtual void DataLoaded();
    virtual void DoRender(TRenderDevice& device) = 0;
    virtual bool CanFindRange() const { return false; }
    virtual void FindMinMax(double& min, double& max) const;
    // Pixels of the header line; flag is not used.
    virtual int GetHeaderSize(const TRenderDevice& device, int flag) const;
    virtual TPrintSeriesOptions SeriesOptions() const = 0;
    // Draws the header line into hdrRect (device pixels) and moves its top
    // down by the height used.
    virtual void ShowHeaderLine(TRenderDevice& device, QRect& hdrRect);

    void BuildCacheLevel1();
    void BuildCacheLevel2(const TRenderDevice& device);
    void ResetPageCache(int pageCount);
    void GetCacheEntryStartStopPage(const TRenderDevice& device, const TSeriesCacheEntry& entry, int& stopPage,
                                    int& startPage) const;
    // Fills Points() with the device points of a run; returns their count.
    int PrjCacheEntry(const TRenderDevice& device, const TSeriesCacheEntry& entry);
    const std::vector<QPoint>& Points() const { return FPoints; }
    TFloatPoint PrjData(double y, double x) const { return {PrjDataX(x), PrjDataY(y)}; }
    double PrjDataX(double value) const;
    double PrjDataY(double index) const { return index / FYScale + FYOffset; }
    double PrjDataBackY(double mm) const { return (mm - FYOffset) * FYScale; }
    bool InitPrjModifiers();
    // Sets the range to round numbers around the data, as an undoable change.
    void AutoSetMinMax(bool setMin, bool setMax);

protected:
    // The number format of value texts: "0" or "0." and Precision "#".
    QString ValueFormat() const;
    // The page list of the device's page, or null.
    const TSeriesCache* CurrentPageList(const TRenderDevice& device) const;

    TParamDescr FDescr;
    bool FBlackCap = false;
    bool FShowSubLabels = false;
    TFont* FFont;
    bool FCanPrj = false;
    double FXOffset = 0, FYOffset = 0, FYScale = 0, FXScale = 0;
    TSeriesCache FBlockCache;
    std::vector<TSeriesCache> FPageCache;
    std::vector<QPoint> FPoints;  // grown, never shrunk
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TPrintSeries::TSeriesFlagSet)

// ---- line curves and their marks ----

class TPrintMark : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(double X READ X WRITE SetX)
    Q_PROPERTY(double Y READ Y WRITE SetY)
    Q_PROPERTY(bool Up READ Up WRITE SetUp)
public:
    Q_INVOKABLE explicit TPrintMark(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    double X() const { return FX; }
    void SetX(double v) { FX = v; }
    double Y() const { return FY; }
    void SetY(double v) { FY = v; }
    bool Up() const { return FUp; }
    void SetUp(bool v) { FUp = v; }
    void Assign(const TPersistent* source) override;

private:
    double FX = 0, FY = 0;
    bool FUp = false;
};

class TPrintMarks : public TCollection {
    Q_OBJECT
public:
    explicit TPrintMarks(QObject* owner = nullptr) : TCollection(&TPrintMark::staticMetaObject, owner) {}
    TPrintMark* GetMark(int index) const { return ItemAs<TPrintMark>(index); }
    TPrintMark* AddMark() { return qobject_cast<TPrintMark*>(Add()); }
};

class TPrintLineSeries : public TPrintSeries {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor BrushColor READ BrushColor WRITE SetBrushColor)
    Q_PROPERTY(TBrush::TBrushStyle BrushStyle READ BrushStyle WRITE SetBrushStyle)
    Q_PROPERTY(Colors::TColor MaxBrushColor READ MaxBrushColor WRITE SetMaxBrushColor)
    Q_PROPERTY(TBrush::TBrushStyle MaxBrushStyle READ MaxBrushStyle WRITE SetMaxBrushStyle)
    Q_PROPERTY(double CropValue READ CropValue WRITE SetCropValue)
    Q_PROPERTY(double DataMultiplier READ DataMultiplier WRITE SetDataMultiplier)
    Q_PROPERTY(double DataOffset READ DataOffset WRITE SetDataOffset)
    Q_PROPERTY(bool Jagged READ Jagged WRITE SetJagged)
    Q_PROPERTY(TCollection* Marks READ MarksCollection)
    Q_PROPERTY(TPen::TPenStyle PenStyle READ PenStyle WRITE SetPenStyle)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)
public:
    static constexpr double NoCrop = -2147483647;
    static constexpr unsigned MarkBrushColor = 12122367;  // $B8F8FF

    Q_INVOKABLE explicit TPrintLineSeries(QObject* owner = nullptr);

    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor v) { FBrushColor = v; }
    TBrush::TBrushStyle BrushStyle() const { return FBrushStyle; }
    void SetBrushStyle(TBrush::TBrushStyle v) { FBrushStyle = v; }
    TColor MaxBrushColor() const { return FMaxBrushColor; }
    void SetMaxBrushColor(TColor v) { FMaxBrushColor = v; }
    TBrush::TBrushStyle MaxBrushStyle() const { return FMaxBrushStyle; }
    void SetMaxBrushStyle(TBrush::TBrushStyle v) { FMaxBrushStyle = v; }
    double CropValue() const { return FCropValue; }
    void SetCropValue(double v) { FCropValue = v; }
    bool Jagged() const { return FJagged; }
    void SetJagged(bool v) { FJagged = v; }
    TCollection* MarksCollection() const { return FMarks; }
    TPrintMarks& Marks() const { return *FMarks; }
    void SetMarks(const TPrintMarks& marks) { FMarks->Assign(&marks); }
    // Marks go into the document file only with its data; item texts (undo,
    // copies) always keep them.
    Q_INVOKABLE bool IsMarksStored() const;
    TPen::TPenStyle PenStyle() const { return FPenStyle; }
    void SetPenStyle(TPen::TPenStyle v) { FPenStyle = v; }
    int PenWidth() const { return FPenWidth; }
    void SetPenWidth(int v) { FPenWidth = v; }

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    void DrawTreeLine(TTreeView& tree, const QRect& rect) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Линия"); }
    bool Setup(TRenderDevice* device) override;
    void DataLoaded() override;
    void DoRender(TRenderDevice& device) override;
    bool CanFindRange() const override { return !FBlockCache.empty(); }
    TPrintSeriesOptions SeriesOptions() const override { return {TPrintSeriesOption::soBindOnCreate}; }
    void ShowHeaderLine(TRenderDevice& device, QRect& hdrRect) override;

    // The value of the sample nearest to index y on a page (NaN for none);
    // y becomes its index, up whether the curve rises into it.
    double FindNearestY(int page, double& y, bool& up);
    // The sample under a device point; loose ignores the distance to the curve.
    bool GetHit(const TRenderDevice& device, int x, bool loose, int y, double& value, double& index, bool& up);
    // The mark whose label holds a device point; -1 for none.
    int GetMarkIndex(const TRenderDevice& device, int x, int y) const;
    // The label box of a mark in millimetres, the text measured in the curve's font.
    QRectF MarkLabelRect(const TRenderDevice& device, const TPrintMark& mark) const;
    QString MarkText(const TPrintMark& mark) const;

private:
    void DrawMarks(TRenderDevice& device);

    TColor FBrushColor = clWhite;
    TBrush::TBrushStyle FBrushStyle = TBrush::bsClear;
    TColor FMaxBrushColor = clWhite;
    TBrush::TBrushStyle FMaxBrushStyle = TBrush::bsClear;
    double FCropValue = NoCrop;
    bool FJagged = false;
    TPrintMarks* FMarks;
    TPen::TPenStyle FPenStyle = TPen::psSolid;
    int FPenWidth = 1;
};

// ---- digital values ----

class TPrintDigitalSeries : public TPrintSeries {
    Q_OBJECT
    Q_PROPERTY(bool ByChanging READ ByChanging WRITE SetByChanging)
    Q_PROPERTY(bool DateOnly READ DateOnly WRITE SetDateOnly)
    Q_PROPERTY(int Offset READ Offset WRITE SetOffset)
    Q_PROPERTY(double Step READ Step WRITE SetStep)
    Q_PROPERTY(bool ShowPrefix READ ShowPrefix WRITE SetShowPrefix)
public:
    Q_INVOKABLE explicit TPrintDigitalSeries(QObject* owner = nullptr);

    bool ByChanging() const { return FByChanging; }
    void SetByChanging(bool v) { FByChanging = v; }
    bool DateOnly() const { return FShowDate; }
    void SetDateOnly(bool v) { FShowDate = v; }
    int Offset() const { return FOffset; }
    void SetOffset(int v) { FOffset = v; }
    double Step() const { return FStep; }
    void SetStep(double v) { FStep = v; }
    bool ShowPrefix() const { return FShowPrefix; }
    void SetShowPrefix(bool v) { FShowPrefix = v; }

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Цифровые отметки"); }
    bool Setup(TRenderDevice* device) override;
    void DoRender(TRenderDevice& device) override;
    int GetHeaderSize(const TRenderDevice& device, int flag) const override;
    TPrintSeriesOptions SeriesOptions() const override { return {TPrintSeriesOption::soBindOnCreate}; }
    void ShowHeaderLine(TRenderDevice& device, QRect& hdrRect) override;
    // The rows to write, per page, as single-row entries.
    void BuildPageCache(TRenderDevice& device);

private:
    void ChooseRows(const TSeriesCacheEntry& entry, TSeriesCache& rows) const;

    bool FByChanging = false;
    bool FShowDate = false;
    int FOffset = 1;
    double FStep = 10;
    bool FShowPrefix = false;
};

// ---- automatic comments ----

class TPrintAutoCommentSeries : public TPrintSeries {
    Q_OBJECT
    Q_PROPERTY(QString BlockName READ BlockName WRITE SetBlockName)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(int Rotation READ Rotation WRITE SetRotation)
    Q_PROPERTY(int Offset READ Offset WRITE SetOffset)
public:
    Q_INVOKABLE explicit TPrintAutoCommentSeries(QObject* owner = nullptr);

    QString BlockName() const { return FTableID; }
    void SetBlockName(const QString& v) { FTableID = v; }
    QString TableName() const { return FTableName; }
    void SetTableName(const QString& v) { FTableName = v; }
    QString Text() const { return FText; }
    void SetText(const QString& v) { FText = v; }
    int Rotation() const { return FRotation; }
    void SetRotation(int v) { FRotation = v; }
    int Offset() const { return FOffset; }
    void SetOffset(int v) { FOffset = v; }

    // Its table is loaded for its system, as a table's is.
    void RegisterParams(const QString& source, const QString& group, QStringList& gids) override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Авто-комментарии"); }
    bool Setup(TRenderDevice* device) override;
    void DoRender(TRenderDevice& device) override;
    int GetHeaderSize(const TRenderDevice&, int) const override { return 0; }
    TPrintSeriesOptions SeriesOptions() const override { return {TPrintSeriesOption::soSetupOnCreate}; }
    void ShowHeaderLine(TRenderDevice&, QRect&) override {}

    void ParseAndBind();
    QString GetDisplayText(int row) const;
    void DropDataReferences() override;
    const QString& Template() const { return FTemplate; }

private:
    QString FTableID, FTableName, FText;
    int FRotation = 0;
    int FOffset = 0;
    QString FTemplate;
    QList<TDataSegment*> FSegments;
    TDataSegment* FXSeg = nullptr;
};

// ---- mark actions ----

class TBaseMarkAction : public TPrintAction {
public:
    TBaseMarkAction(TPrintEditActions actions, TPrintDocument* document, TPrintLineSeries* series);
    QUuid SeriesID() const { return FSeriesID; }
    int MarkID() const { return FMarkID; }
    double X() const { return FX; }
    double Y() const { return FY; }
    bool Up() const { return FUp; }

protected:
    void CreateMark(TPrintLineSeries& series);
    void DoAddMark();
    void DoDelMark();

    QUuid FSeriesID;
    int FMarkID = -1;
    double FX = 0, FY = 0;
    bool FUp = false;

private:
    void Refresh(TPrintLineSeries& series);
};

class TPrintSetMarkAction : public TBaseMarkAction {
public:
    TPrintSetMarkAction(TPrintLineSeries* series, double x, double y, bool up);
    QString GetName() const override { return QStringLiteral("Добавить отметку"); }
    void Redo() override;
    void Undo() override;
};

class TPrintDeleteMarkAction : public TBaseMarkAction {
public:
    TPrintDeleteMarkAction(TPrintLineSeries* series, TPrintMark* mark);
    QString GetName() const override { return QStringLiteral("Удалить отметку"); }
    void Redo() override;
    void Undo() override;
};

}  // namespace Plotmere

#pragma GCC visibility pop
