#include "DataStructures.h"

#include "ClassRegistry.h"
#include "ComponentBinary.h"
#include "ComponentStreaming.h"
#include "DebugOutput.h"
#include "Formatting.h"

#include <QBuffer>
#include <QtEndian>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

namespace Plotmere {

const TDataClassDefDataRec SketchDataClasses[2] = {
    {QStringLiteral("Документ с привязкой ко времени"), 0, 1, 1.0 / 24, 1.0 / 1440},
    {QStringLiteral("Документ с привязкой к глубине"), 0, 100, 4, 0.5},
};

namespace {

constexpr quint64 DoubleEmptyBits = 0xFFF8000000000000ull;
constexpr quint32 SingleEmptyBits = 0xFFFFFFFFu;
constexpr quint32 SingleInsertedBits = 0xFFC00000u;
constexpr qint32 IntEmpty = INT_MAX;

double DoubleEmpty() { return std::bit_cast<double>(DoubleEmptyBits); }
float SingleFromBits(quint32 bits) { return std::bit_cast<float>(bits); }

bool IsNullVariant(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool IsNumericVariant(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
        case QMetaType::Char: case QMetaType::UChar: case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

double VariantToDouble(const QVariant& v) {
    if (IsNumericVariant(v)) return v.toDouble();
    return StrToFloat(v.toString());
}

// "Data": a 32-bit little-endian count, then the raw little-endian values.
template <typename T>
QByteArray WriteData(const TColumn<T>& c) {
    QByteArray out(4 + qsizetype(c.Length) * qsizetype(sizeof(T)), Qt::Uninitialized);
    qToLittleEndian<qint32>(c.Length, out.data());
    for (int i = 0; i < c.Length; ++i) qToLittleEndian<T>(c.Rows[size_t(i)], out.data() + 4 + qsizetype(i) * qsizetype(sizeof(T)));
    return out;
}

// Checks the count against the bytes present before anything is allocated;
// a payload that does not fit changes nothing.
template <typename T>
void ReadData(TColumn<T>& c, const QByteArray& in) {
    if (in.size() < 4) throw EReadError(QStringLiteral("Stream read error"));
    const qint32 n = qFromLittleEndian<qint32>(in.constData());
    if (n < 0 || qint64(n) * qint64(sizeof(T)) > in.size() - 4) throw EReadError(QStringLiteral("Stream read error"));
    std::vector<T> rows(static_cast<size_t>(n));
    for (qint32 i = 0; i < n; ++i) rows[size_t(i)] = qFromLittleEndian<T>(in.constData() + 4 + qsizetype(i) * qsizetype(sizeof(T)));
    c.Rows = std::move(rows);
    c.Length = n;
}

QString FormatNumber(const QString& format, double v) { return format.isEmpty() ? FloatToStr(v) : FormatFloat(format, v); }

}  // namespace

bool VarIsEqual(const QVariant& a, const QVariant& b) {
    if (IsNumericVariant(a) && IsNumericVariant(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        // The old SameValue: a relative tolerance of 1E-12 of the smaller magnitude.
        const double eps = std::max(std::min(std::fabs(x), std::fabs(y)) * 1e-12, 1e-12);
        return x == y || std::fabs(x - y) <= eps;
    }
    return a.toString() == b.toString();
}

// ---- base ----

TDataSegment::TDataSegment(QObject*) : TComponent(nullptr) {}

QString TDataSegment::GetAsString(int index) const {
    CheckIndex(index);
    return QStringLiteral("{...}");
}

void TDataSegment::SetAsDouble(int index, double) { CheckIndex(index); }
void TDataSegment::SetAsString(int index, const QString&) { CheckIndex(index); }

void TDataSegment::InsertItems(int index, int count) { CheckInsert(index, count, GetCount()); }

void TDataSegment::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount())
        throw ERangeError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

void TDataSegment::CheckInsert(int index, int count, int rows) {
    if (count <= 0) throw Exception(SDataCountNotPositive);
    if (index < 0 || index > rows) throw ERangeError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

std::unique_ptr<TDataSegment> TDataSegment::Copy() const {
    std::unique_ptr<TDataSegment> copy(qobject_cast<TDataSegment*>(metaObject()->newInstance(Q_ARG(QObject*, nullptr))));
    if (!copy) throw EAbstractError(QStringLiteral("Cannot copy a segment of class %1").arg(ClassName()));
    copy->AssignSegment(*this);
    return copy;
}

void TDataSegment::AssignSegment(const TDataSegment& source) {
    if (source.metaObject() != metaObject())
        throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(source.ClassName(), ClassName()));
    FID = source.FID;
}

// ---- numeric kinds ----

template <typename T>
double TNumericDataSegment<T>::GetAsDouble(int index) const {
    return double(Value(index));
}

template <typename T>
void TNumericDataSegment<T>::SetAsDouble(int index, double value) {
    CheckIndex(index);
    FData.Rows[size_t(index)] = FromDouble(value);
}

template <typename T>
void TNumericDataSegment<T>::AllocBuffer(int size) {
    FData.Rows.assign(size_t(std::max(size, 0)), T{});
    FData.Length = 0;
}

template <typename T>
T TNumericDataSegment<T>::FromVariant(const QVariant& value) const {
    if (IsNullVariant(value)) return EmptyValue();
    return FromDouble(VariantToDouble(value));
}

template <typename T>
void TNumericDataSegment<T>::AddData(const QVariant& value) {
    AddValue(FromVariant(value));
}

template <typename T>
void TNumericDataSegment<T>::AddValue(T value) {
    // Past the allocation the column grows by exactly one row.
    if (FData.Length >= int(FData.Rows.size())) FData.Rows.resize(size_t(FData.Length) + 1);
    FData.Rows[size_t(FData.Length++)] = value;
}

template <typename T>
void TNumericDataSegment<T>::CropBuffer() {
    FData.Rows.resize(size_t(FData.Length));
}

template <typename T>
void TNumericDataSegment<T>::Delete(int index) {
    if (index >= 0 && index < GetCount()) FData.Rows.erase(FData.Rows.begin() + index);
    FData.Length = GetCount();
}

template <typename T>
void TNumericDataSegment<T>::Insert(const QVariant& value, int index) {
    if (index >= 0 && index < GetCount()) FData.Rows.insert(FData.Rows.begin() + index, FromVariant(value));
    FData.Length = GetCount();
}

template <typename T>
void TNumericDataSegment<T>::InsertItems(int index, int count) {
    CheckInsert(index, count, GetCount());
    FData.Rows.insert(FData.Rows.begin() + index, size_t(count), InsertedValue());
    FData.Length = GetCount();
}

template <typename T>
void TNumericDataSegment<T>::AssignSegment(const TDataSegment& source) {
    TDataSegment::AssignSegment(source);
    const auto& s = static_cast<const TNumericDataSegment<T>&>(source);
    FData.Rows = s.FData.Rows;
    FData.Length = GetCount();
    Format = s.Format;
}

template <typename T>
void TNumericDataSegment<T>::DefineProperties(TFiler& filer) {
    TDataSegment::DefineProperties(filer);
    filer.DefineBinaryProperty(QStringLiteral("Data"), [this](const QByteArray& b) { ReadData(FData, b); },
                               [this] { return WriteData(FData); }, GetCount() > 0);
}

template <typename T>
QString TNumericDataSegment<T>::NumberText(int index) const {
    return FormatNumber(Format, GetAsDouble(index));
}

template class TNumericDataSegment<double>;
template class TNumericDataSegment<float>;
template class TNumericDataSegment<qint32>;

double TDoubleDataSegment::EmptyValue() const { return DoubleEmpty(); }
bool TDoubleDataSegment::GetIsEmpty(int index) const { return std::isnan(Value(index)); }

QString TDateTimeDataSegment::GetAsString(int index) const {
    const double v = Value(index);
    return std::isnan(v) ? QString() : DateTimeToStr(v);
}

float TSingleDataSegment::EmptyValue() const { return SingleFromBits(SingleEmptyBits); }
float TSingleDataSegment::InsertedValue() const { return SingleFromBits(SingleInsertedBits); }

bool TSingleDataSegment::GetIsEmpty(int index) const {
    const float v = Value(index);
    return std::isnan(v) || std::bit_cast<quint32>(v) == SingleEmptyBits;
}

QString TSingleDataSegment::GetAsString(int index) const { return GetIsEmpty(index) ? QString() : NumberText(index); }

qint32 TIntDataSegment::EmptyValue() const { return IntEmpty; }
qint32 TIntDataSegment::FromDouble(double value) const {
    // A number no 32-bit integer holds (NaN too) is an empty row.
    if (!(std::fabs(value) < 2147483647.0)) return IntEmpty;
    return qint32(Round(value));
}
bool TIntDataSegment::GetIsEmpty(int index) const { return Value(index) == IntEmpty; }

// ---- strings ----

TStringDataSegment::TStringDataSegment(QObject* owner) : TDataSegment(owner) {}
TStringDataSegment::TStringDataSegment(const QString& id) : TDataSegment(nullptr) { SetID(id); }

double TStringDataSegment::GetAsDouble(int index) const { return StrToFloatDef(GetAsString(index), 0.0); }

QString TStringDataSegment::GetAsString(int index) const {
    CheckIndex(index);
    return FStrings[index];
}

bool TStringDataSegment::GetIsEmpty(int index) const { return GetAsString(index).isEmpty(); }

void TStringDataSegment::SetAsString(int index, const QString& value) {
    CheckIndex(index);
    FStrings[index] = value;
}

void TStringDataSegment::AddData(const QVariant& value) { FStrings.append(IsNullVariant(value) ? QString() : value.toString()); }

void TStringDataSegment::Delete(int index) {
    if (index >= 0 && index < FStrings.size()) FStrings.removeAt(index);
}

void TStringDataSegment::AssignSegment(const TDataSegment& source) {
    TDataSegment::AssignSegment(source);
    FStrings = static_cast<const TStringDataSegment&>(source).FStrings;
}

// ---- bitmaps ----

TBitmapComponent::TBitmapComponent(QObject* owner) : TComponent(owner) {}

void TBitmapComponent::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        QStringLiteral("Bitmap"), [this](const QByteArray& b) { FBitmap = QImage::fromData(b, "PNG"); },
        [this] {
            QByteArray b;
            QBuffer buf(&b);
            buf.open(QIODevice::WriteOnly);
            FBitmap.save(&buf, "PNG");
            return b;
        },
        !FBitmap.isNull());
}

TBitmapDataSegment::TBitmapDataSegment(QObject* owner) : TDataSegment(owner) {}

void TBitmapDataSegment::AddBitmap(const QImage& bitmap) {
    auto* c = new TBitmapComponent(this);
    c->SetBitmap(bitmap);
}

QImage TBitmapDataSegment::GetBitmap(int index) const {
    CheckIndex(index);
    return static_cast<TBitmapComponent*>(Components(index))->Bitmap();
}

double TBitmapDataSegment::GetAsDouble(int) const { throw EAbstractError(QStringLiteral("Abstract Error")); }
bool TBitmapDataSegment::GetIsEmpty(int) const { throw EAbstractError(QStringLiteral("Abstract Error")); }

void TBitmapDataSegment::Delete(int index) {
    if (index >= 0 && index < ComponentCount()) delete Components(index)->Self();
}

void TBitmapDataSegment::AssignSegment(const TDataSegment& source) {
    TDataSegment::AssignSegment(source);
    DestroyComponents();
    const auto& s = static_cast<const TBitmapDataSegment&>(source);
    for (int i = 0; i < s.GetCount(); ++i) AddBitmap(s.GetBitmap(i));
}

void TBitmapDataSegment::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase*) {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
}

// ---- blocks ----

TDataBlock::TDataBlock(TCollection* collection) : TCollectionItem(collection) {}
TDataBlock::~TDataBlock() = default;

TDataBlockList* TDataBlock::List() const { return qobject_cast<TDataBlockList*>(Collection()); }

void TDataBlock::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TDataBlock*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    FChanged = s->FChanged;
    FSystemID = s->FSystemID;
    FSourceID = s->FSourceID;
    FMainID = s->FMainID;
    FGroup = s->FGroup;
    FName = s->FName;
    FStart = s->FStart;
    FStop = s->FStop;
    FEnvironment = s->FEnvironment;
    FItems.clear();
    for (const auto& seg : s->FItems) FItems.push_back(seg->Copy());
}

TDataSegment* TDataBlock::GetDataSegmentByIndex(int index) const {
    if (index < 0 || index >= GetCount()) throw ERangeError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FItems[size_t(index)].get();
}

TDataSegment* TDataBlock::GetDataSegment(const QString& id) const {
    for (const auto& s : FItems)
        if (s->ID() == id) return s.get();
    return nullptr;
}

TDataSegment* TDataBlock::AddSegment(std::unique_ptr<TDataSegment> segment) {
    FItems.push_back(std::move(segment));
    return FItems.back().get();
}

int TDataBlock::GetRecordCount() const {
    if (FItems.empty()) return 0;
    int n = FItems.front()->GetCount();
    for (const auto& s : FItems) n = std::min(n, s->GetCount());
    return n;
}

QList<int> TDataBlock::GetGIDs() const {
    QList<int> ids;
    for (const auto& s : FItems) ids.append(StrToInt(s->ID()));
    return ids;
}

void TDataBlock::CropBuffers() {
    for (auto& s : FItems) s->CropBuffer();
}

void TDataBlock::DeleteRow(int index) {
    for (auto& s : FItems) s->Delete(index);
}

void TDataBlock::InsertRows(int index, int rowCount) {
    for (auto& s : FItems) s->InsertItems(index, rowCount);
}

TDataSegment* TDataBlock::GetMainSegment() {
    TDataBlockList* list = List();
    if (!list || !list->MainIDSubst) return GetDataSegment(FMainID);
    if (TDataSegment* own = GetDataSegment(QStringLiteral("__TVD__"))) return own;
    TDataBlock* table = list->GetBlockByName(QStringLiteral("__MDTVD__"));
    if (!table) return nullptr;
    return CreateTVD(table->GetDataSegment(QStringLiteral("__DEPTH__")), table->GetDataSegment(QStringLiteral("__TVD__")));
}

TDataSegment* TDataBlock::CreateTVD(const TDataSegment* md, const TDataSegment* tvd) {
    const TDataSegment* depth = GetDataSegment(QStringLiteral("__DEPTH__"));
    if (!md || !tvd || !depth) return nullptr;
    auto result = std::make_unique<TDoubleDataSegment>();
    result->SetID(QStringLiteral("__TVD__"));
    const int rows = depth->GetCount();
    const int tableRows = std::min(md->GetCount(), tvd->GetCount());
    result->AllocBuffer(rows);
    int s = 0;
    for (int k = 0; k < rows; ++k) {
        const double x = depth->GetAsDouble(k);
        double d = 0.4;
        double r = std::numeric_limits<double>::quiet_NaN();
        for (int i = s; i < tableRows; ++i) {
            const double diff = std::fabs(md->GetAsDouble(i) - x);
            if (diff < d) {
                r = tvd->GetAsDouble(i);
                s = i;
                d = diff;
            } else if (!std::isnan(r)) {
                break;
            }
        }
        result->AddDouble(r);
    }
    return AddSegment(std::move(result));
}

void TDataBlock::DefineProperties(TFiler& filer) {
    TCollectionItem::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("Segments"),
        [this](const TStreamValue& v) {
            if (v.Kind != TStreamValue::vaList) throw EReadError(QStringLiteral("Segments: a list expected"));
            // Every segment is read before the block's own are replaced.
            std::vector<std::unique_ptr<TDataSegment>> read;
            for (const TStreamValue& item : v.List) {
                if (item.Kind != TStreamValue::vaBinary) throw EReadError(QStringLiteral("Segments: a segment expected"));
                const TStreamObject tree = ReadComponentBinary(item.Bytes);
                const TClassInfo* info = ResolveClass(tree.ClassName);
                if (!info || !info->InheritsFrom(&TDataSegment::staticMetaObject))
                    throw EClassNotFound(QStringLiteral("Class %1 not found").arg(tree.ClassName));
                std::unique_ptr<TDataSegment> seg(qobject_cast<TDataSegment*>(info->Create(nullptr)));
                ReadComponentTree(tree, seg.get());
                read.push_back(std::move(seg));
            }
            FItems = std::move(read);
        },
        [this] {
            TStreamValue list;
            list.Kind = TStreamValue::vaList;
            for (const auto& s : FItems) list.List.push_back(TStreamValue::Binary(WriteComponentBinary(WriteComponentTree(s.get()))));
            return list;
        },
        !FItems.empty());
}

TDataBlockList::TDataBlockList(QObject* owner) : TCollection(&TDataBlock::staticMetaObject, owner) {}

void TDataBlockList::AddBlocks(TDataBlockList& newBlocks) {
    while (newBlocks.Count() > 0) newBlocks.Items(0)->SetCollection(this);
}

void TDataBlockList::DeleteBlocks(const QString& sourceID, const QString& group) {
    for (int i = Count() - 1; i >= 0; --i)
        if (GetBlock(i)->SourceID() == sourceID && GetBlock(i)->Group() == group) Delete(i);
}

TDataBlock* TDataBlockList::GetBlockByID(const QString& sourceID) const {
    for (int i = 0; i < Count(); ++i)
        if (GetBlock(i)->SourceID() == sourceID) return GetBlock(i);
    return nullptr;
}

TDataBlock* TDataBlockList::GetBlockByName(const QString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (GetBlock(i)->Name() == name) return GetBlock(i);
    return nullptr;
}

TDataBlock* TDataBlockList::GetBlockBySysGroupMainID(const QString& systemID, const QString& group,
                                                     const QString& mainID) const {
    for (int i = 0; i < Count(); ++i) {
        TDataBlock* b = GetBlock(i);
        if (b->SystemID() == systemID && b->Group() == group && b->MainID() == mainID) return b;
    }
    return nullptr;
}

TDataBlock* TDataBlockList::GetBlockBySysGroupName(const QString& systemID, const QString& group,
                                                   const QString& name) const {
    for (int i = 0; i < Count(); ++i) {
        TDataBlock* b = GetBlock(i);
        if (b->SystemID() == systemID && b->Group() == group && (name.isEmpty() || b->Name() == name)) return b;
    }
    return nullptr;
}

TDataBlock* TDataBlockList::FindParamBlock(const QString&, const QString& paramID) const {
    for (int i = 0; i < Count(); ++i)
        if (GetBlock(i)->CanAcceptParam(paramID)) return GetBlock(i);
    return nullptr;
}

bool TDataBlockList::GetChanged() const {
    for (int i = 0; i < Count(); ++i)
        if (GetBlock(i)->Changed()) return true;
    return false;
}

void RegisterDataClasses() {
    auto reg = [](const char* name, const QMetaObject* meta, QObject* (*create)(QObject*)) {
        RegisterClass({QString::fromLatin1(name), meta, create});
    };
    reg("TStringDataSegment", &TStringDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TStringDataSegment(o); });
    reg("TSingleDataSegment", &TSingleDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TSingleDataSegment(o); });
    reg("TDoubleDataSegment", &TDoubleDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TDoubleDataSegment(o); });
    reg("TIntDataSegment", &TIntDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TIntDataSegment(o); });
    reg("TDateTimeDataSegment", &TDateTimeDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TDateTimeDataSegment(o); });
    reg("TBitmapComponent", &TBitmapComponent::staticMetaObject, [](QObject* o) -> QObject* { return new TBitmapComponent(o); });
    reg("TBitmapDataSegment", &TBitmapDataSegment::staticMetaObject, [](QObject* o) -> QObject* { return new TBitmapDataSegment(o); });
}

namespace {
const bool DataClassesRegistered = [] {
    RegisterDataClasses();
    DebugOutput(QStringLiteral("Welvista: DataStructures init"));
    return true;
}();
}  // namespace

}  // namespace Plotmere
