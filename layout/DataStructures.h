#pragma once
// Recorded data as the layout engine and the review hold it: data blocks
// (tables) of typed columns, the data segments, that share one row index,
// and the records the engine and its data plug-ins exchange.
//
// Numeric columns are raw contiguous arrays of their native width, filled by
// the plug-ins through AllocBuffer / AddData / CropBuffer. Indexed access is
// checked: an index outside the rows raises ERangeError.
#include "Components.h"
#include "Graphics.h"
#include "Sets.h"

#include <QImage>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

class ERangeError : public Exception {
public:
    using Exception::Exception;
};
// An operation a segment kind does not provide.
class EAbstractError : public Exception {
public:
    using Exception::Exception;
};

inline const QString SDataCountNotPositive = QStringLiteral("Data count must be greater than zero");

// 0: a document bound to time, 1: bound to depth.
using TSketchDataClass = int;

enum class TSeriesFlag { sfLogarithmic, sfSubTicks, sfHideHeader, sfInverted, sfOwnsRender, sfCanSetup,
                         sfNeedCache, sfNeedPageCache, sfHideMinMax, sfMinMaxWithCaption };
using TSeriesFlags = TSet<TSeriesFlag>;
enum class TFieldFlag { ffLogarithmic, ffVertHeader, ffShowGrid, ffShowBorders, ffShowGridMarks };
using TFieldFlags = TSet<TFieldFlag>;

// Value types of TParamDescr.DataType and TSketchFieldDescr.DataType (the
// old variant type codes).
inline constexpr quint16 dtInteger = 3;
inline constexpr quint16 dtDouble = 5;
inline constexpr quint16 dtDateTime = 7;
inline constexpr quint16 dtString = 0x100;

struct TDataSelection {
    TSketchDataClass DataClass = 0;
    QString Group;
    QString Name;
    double RequestedStart = 0;
    double RequestedStop = 0;
    QString Environment;
};

struct TSystemDescr {
    QString SystemID, Name;
};

struct TDataSourceDescr {
    QString SystemID, SourceID, Name;
    TSketchDataClass DataClass = 0;
};

struct TParamDescr {
    QString ID, SystemID, SourceID, Path, Name, ShortName;
    TSeriesFlags Flags;
    quint16 DataType = dtDouble;
    double Min = 0, Max = 0;
    TColor Color = clBlack;
    QString Units;
    int Precision = 0;
    double A = 0, B = 0;
    QString Environment;
};
using PParamDescr = TParamDescr*;

struct TSketchFieldDescr {
    QString ID, Name;
    quint16 DataType = dtString;
    int Precision = 0;
    TColor Color = clBlack;
};

struct TSketchTableDescr {
    QString SystemID, TableName, BlockName;
    QList<TSketchFieldDescr> Fields;
};

using TParamDescrArray = QList<TParamDescr>;
using TSketchFieldDescrArray = QList<TSketchFieldDescr>;
using TSketchTableDescrArray = QList<TSketchTableDescr>;

struct TDataClassDefDataRec {
    QString Name;
    double Start, Stop, Step, Scale;
};
extern const TDataClassDefDataRec SketchDataClasses[2];

// Equal numbers (within the platform's same-value tolerance), else equal texts.
bool VarIsEqual(const QVariant& a, const QVariant& b);

// ---- segments ----

class TDataSegment : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString ID READ ID WRITE SetID)
public:
    // The owner is ignored: the block's segment list owns its segments.
    explicit TDataSegment(QObject* owner = nullptr);
    const QString& ID() const { return FID; }
    void SetID(const QString& id) { FID = id; }

    virtual double GetAsDouble(int index) const = 0;
    virtual QString GetAsString(int index) const;
    virtual bool GetIsEmpty(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual void SetAsDouble(int index, double value);
    virtual void SetAsString(int index, const QString& value);
    virtual void AllocBuffer(int size) = 0;
    virtual void AddData(const QVariant& value) = 0;
    virtual void CropBuffer() = 0;
    virtual void Delete(int index) = 0;
    // Inserts count empty rows before index (0 <= index <= GetCount()).
    virtual void InsertItems(int index, int count);

    // A new segment of the same class holding a copy of this one.
    std::unique_ptr<TDataSegment> Copy() const;
    // Copies ID and values from a segment of the same class.
    virtual void AssignSegment(const TDataSegment& source);

protected:
    void CheckIndex(int index) const;
    static void CheckInsert(int index, int count, int rows);

private:
    QString FID;
};

// Storage of the numeric kinds: rows and the fill position.
template <typename T>
struct TColumn {
    std::vector<T> Rows;
    int Length = 0;  // the fill position
};

// What the numeric kinds share: a raw array of T, the fill protocol, row
// edits and the "Data" bytes. The kinds give the empty markers and the
// conversion from a number.
template <typename T>
class TNumericDataSegment : public TDataSegment {
public:
    using TDataSegment::TDataSegment;
    double GetAsDouble(int index) const override;
    int GetCount() const override { return int(FData.Rows.size()); }
    void SetAsDouble(int index, double value) override;
    void AllocBuffer(int size) override;
    void AddData(const QVariant& value) override;
    void CropBuffer() override;
    void Delete(int index) override;
    // Stores value (the empty marker for a null) at index, the rows from
    // index on moving up; an index outside the rows changes nothing.
    void Insert(const QVariant& value, int index);
    void InsertItems(int index, int count) override;
    void AssignSegment(const TDataSegment& source) override;
    void DefineProperties(TFiler& filer) override;
    // Pattern of GetAsString (FormatFloat); empty: the general format.
    QString Format;
    int Length() const { return FData.Length; }
    const T* Data() const { return FData.Rows.data(); }

protected:
    virtual T EmptyValue() const = 0;
    virtual T InsertedValue() const { return EmptyValue(); }
    virtual T FromDouble(double value) const = 0;
    T Value(int index) const {
        CheckIndex(index);
        return FData.Rows[size_t(index)];
    }
    void AddValue(T value);
    QString NumberText(int index) const;

private:
    T FromVariant(const QVariant& value) const;
    TColumn<T> FData;
};

extern template class TNumericDataSegment<double>;
extern template class TNumericDataSegment<float>;
extern template class TNumericDataSegment<qint32>;

// Empty rows hold the quiet NaN with bits $FFF8000000000000.
class TDoubleDataSegment : public TNumericDataSegment<double> {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDoubleDataSegment(QObject* owner = nullptr) : TNumericDataSegment(owner) {}
    QString GetAsString(int index) const override { return NumberText(index); }
    bool GetIsEmpty(int index) const override;
    void AddDouble(double value) { AddValue(value); }

protected:
    double EmptyValue() const override;
    double FromDouble(double value) const override { return value; }
};

class TDateTimeDataSegment : public TDoubleDataSegment {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDateTimeDataSegment(QObject* owner = nullptr) : TDoubleDataSegment(owner) {}
    QString GetAsString(int index) const override;
};

// Empty rows hold bits $FFFFFFFF (appended) or $FFC00000 (inserted); both, and
// any NaN, read as empty.
class TSingleDataSegment : public TNumericDataSegment<float> {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSingleDataSegment(QObject* owner = nullptr) : TNumericDataSegment(owner) {}
    QString GetAsString(int index) const override;
    bool GetIsEmpty(int index) const override;
    void AddSingle(float value) { AddValue(value); }

protected:
    float EmptyValue() const override;
    float InsertedValue() const override;
    float FromDouble(double value) const override { return float(value); }
};

// Empty rows hold MaxInt: curves ask every column kind whether a row is empty.
class TIntDataSegment : public TNumericDataSegment<qint32> {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TIntDataSegment(QObject* owner = nullptr) : TNumericDataSegment(owner) {}
    QString GetAsString(int index) const override { return QString::number(Value(index)); }
    bool GetIsEmpty(int index) const override;
    void AddInteger(qint32 value) { AddValue(value); }

protected:
    qint32 EmptyValue() const override;
    qint32 FromDouble(double value) const override;
};

class TStringDataSegment : public TDataSegment {
    Q_OBJECT
    Q_PROPERTY(QStringList Strings READ Strings WRITE SetStrings)
public:
    Q_INVOKABLE explicit TStringDataSegment(QObject* owner = nullptr);
    explicit TStringDataSegment(const QString& id);
    const QStringList& Strings() const { return FStrings; }
    void SetStrings(const QStringList& lines) { FStrings = lines; }
    double GetAsDouble(int index) const override;
    QString GetAsString(int index) const override;
    bool GetIsEmpty(int index) const override;
    int GetCount() const override { return int(FStrings.size()); }
    void SetAsString(int index, const QString& value) override;
    void AllocBuffer(int size) override { FStrings.reserve(std::max(size, 0)); }
    void AddData(const QVariant& value) override;
    void CropBuffer() override {}
    void Delete(int index) override;
    void AssignSegment(const TDataSegment& source) override;

private:
    QStringList FStrings;
};

class TBitmapComponent : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TBitmapComponent(QObject* owner = nullptr);
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& bitmap) { FBitmap = bitmap.copy(); }
    // The picture travels as PNG bytes.
    void DefineProperties(TFiler& filer) override;
    TComponentBase* GetParentComponent() const override { return Owner(); }

private:
    QImage FBitmap;
};

class TBitmapDataSegment : public TDataSegment {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TBitmapDataSegment(QObject* owner = nullptr);
    void AddBitmap(const QImage& bitmap);
    QImage GetBitmap(int index) const;
    double GetAsDouble(int index) const override;
    bool GetIsEmpty(int index) const override;
    int GetCount() const override { return ComponentCount(); }
    void AllocBuffer(int) override {}
    void AddData(const QVariant&) override {}
    void CropBuffer() override {}
    void Delete(int index) override;
    void AssignSegment(const TDataSegment& source) override;
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
};

// ---- blocks ----

class TDataBlockList;

class TDataBlock : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString BlockID READ BlockID WRITE SetBlockID)
    Q_PROPERTY(QString Environment READ Environment WRITE SetEnvironment)
    Q_PROPERTY(QString Group READ Group WRITE SetGroup)
    Q_PROPERTY(QString MainID READ MainID WRITE SetMainID)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QString SourceID READ SourceID WRITE SetSourceID)
    Q_PROPERTY(double Start READ Start WRITE SetStart)
    Q_PROPERTY(double Stop READ Stop WRITE SetStop)
    Q_PROPERTY(QString SystemID READ SystemID WRITE SetSystemID)
public:
    Q_INVOKABLE explicit TDataBlock(TCollection* collection = nullptr);
    ~TDataBlock() override;

    bool Changed() const { return FChanged; }
    void SetChanged(bool v) { FChanged = v; }
    const QString& BlockID() const { return FBlockID; }
    void SetBlockID(const QString& v) { FBlockID = v; }
    const QString& SystemID() const { return FSystemID; }
    void SetSystemID(const QString& v) { FSystemID = v; }
    const QString& SourceID() const { return FSourceID; }
    void SetSourceID(const QString& v) { FSourceID = v; }
    const QString& MainID() const { return FMainID; }
    void SetMainID(const QString& v) { FMainID = v; }
    const QString& Group() const { return FGroup; }
    void SetGroup(const QString& v) { FGroup = v; }
    const QString& Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    double Start() const { return FStart; }
    void SetStart(double v) { FStart = v; }
    double Stop() const { return FStop; }
    void SetStop(double v) { FStop = v; }
    const QString& Environment() const { return FEnvironment; }
    void SetEnvironment(const QString& v) { FEnvironment = v; }
    QStringList& AcceptableParams() { return FAcceptableParams; }

    void Assign(const TPersistent* source) override;
    int GetCount() const { return int(FItems.size()); }
    TDataSegment* GetDataSegmentByIndex(int index) const;
    TDataSegment* GetDataSegment(const QString& id) const;
    // Takes the segment; returns it.
    TDataSegment* AddSegment(std::unique_ptr<TDataSegment> segment);
    void ClearSegments() { FItems.clear(); }
    TDataSegment* GetMainSegment();
    // Rows every column holds: the shortest column's count (0 without columns).
    int GetRecordCount() const;
    QList<int> GetGIDs() const;  // raises EConvertError for a non-decimal ID
    bool CanAcceptParam(const QString& id) const { return FAcceptableParams.contains(id); }
    void CropBuffers();
    void DeleteRow(int index);
    void InsertRows(int index, int rowCount);
    // Derives this block's "__TVD__" column from its "__DEPTH__" and the depth
    // table's columns; null when a column is missing.
    TDataSegment* CreateTVD(const TDataSegment* md, const TDataSegment* tvd);
    void DefineProperties(TFiler& filer) override;

private:
    TDataBlockList* List() const;
    bool FChanged = false;
    QString FBlockID, FSystemID, FSourceID, FMainID, FGroup, FName;
    std::vector<std::unique_ptr<TDataSegment>> FItems;
    double FStart = 0, FStop = 0;
    QStringList FAcceptableParams;
    QString FEnvironment;
};

class TDataBlockList : public TCollection {
    Q_OBJECT
public:
    explicit TDataBlockList(QObject* owner = nullptr);
    TDataBlock* Add() { return qobject_cast<TDataBlock*>(TCollection::Add()); }
    TDataBlock* GetBlock(int index) const { return ItemAs<TDataBlock>(index); }
    // Moves every block of newBlocks to the end of this list, in order.
    void AddBlocks(TDataBlockList& newBlocks);
    void DeleteBlocks(const QString& sourceID, const QString& group);
    TDataBlock* GetBlockByID(const QString& sourceID) const;
    TDataBlock* GetBlockByName(const QString& name) const;
    TDataBlock* GetBlockBySysGroupMainID(const QString& systemID, const QString& group, const QString& mainID) const;
    // An empty name matches any block.
    TDataBlock* GetBlockBySysGroupName(const QString& systemID, const QString& group, const QString& name) const;
    // The first block that accepts the parameter; sourceID is not consulted.
    TDataBlock* FindParamBlock(const QString& sourceID, const QString& paramID) const;
    bool GetChanged() const;
    bool MainIDSubst = false;
};

// Registers the segment classes for the component streaming (done when the
// library loads; callable again).
void RegisterDataClasses();

}  // namespace Plotmere

#pragma GCC visibility pop
