#include "KXPointArrays.h"

#include "Exceptions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

TMemPointArray::TMemPointArray(TCollection* Collection) : TPointArray(Collection) { SetCapacity(0); }

TMemPointArray::TMemPointArray(int Capacity) { SetCapacity(Capacity); }

void TMemPointArray::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FCount)
        throw Exception(QStringLiteral("TMemPointArray: index %1 out of range (count %2)").arg(Index).arg(FCount));
}

TChartValue TMemPointArray::GetValue(int Index) const {
    CheckIndex(Index);
    const size_t slot = static_cast<size_t>(FStart + Index);
    return {FValues[slot], FFlags[slot]};
}

void TMemPointArray::Clear() {
    FCount = 0;
    FStart = 0;
}

void TMemPointArray::AddEmpty() {
    const int capacity = GetCapacity();
    if (FCount <= capacity)
        ++FCount;
    else
        ++FStart;
    if (FStart >= Reserve) {
        // The window reached the end of the buffer: move the older values down
        // to slot 0; the newest slot (Capacity) is written by the caller.
        std::memmove(FValues.data(), FValues.data() + Reserve, sizeof(double) * static_cast<size_t>(capacity));
        std::memmove(FFlags.data(), FFlags.data() + Reserve, static_cast<size_t>(capacity));
        FStart = 0;
    }
}

void TMemPointArray::Add(double Val, uint8_t Flgs) {
    AddEmpty();
    const size_t slot = static_cast<size_t>(FStart + FCount - 1);
    FValues[slot] = Val;
    FFlags[slot] = Flgs;
}

void TMemPointArray::Delete(int Index) {
    if (Index < 0 || Index >= FCount) return;
    const size_t later = static_cast<size_t>(FCount - Index - 1);
    double* values = FValues.data() + FStart;
    uint8_t* flags = FFlags.data() + FStart;
    std::memmove(values + Index, values + Index + 1, sizeof(double) * later);
    std::memmove(flags + Index, flags + Index + 1, later);
    --FCount;
}

double TMemPointArray::Values(int Index) const {
    CheckIndex(Index);
    return FValues[static_cast<size_t>(FStart + Index)];
}

void TMemPointArray::SetValues(int Index, double Value) {
    CheckIndex(Index);
    FValues[static_cast<size_t>(FStart + Index)] = Value;
}

double TMemPointArray::LastValue() const {
    if (FCount == 0) return std::numeric_limits<double>::quiet_NaN();
    return FValues[static_cast<size_t>(FStart + FCount - 1)];
}

void TMemPointArray::SetLastValue(double Value) {
    if (FCount == 0) return;
    FValues[static_cast<size_t>(FStart + FCount - 1)] = Value;
}

TChartValue TMemPointArray::Data(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FValues.size()))
        throw Exception(QStringLiteral("TMemPointArray: buffer slot %1 out of range").arg(Index));
    return {FValues[static_cast<size_t>(Index)], FFlags[static_cast<size_t>(Index)]};
}

void TMemPointArray::SetData(int Index, const TChartValue& Value) {
    if (Index < 0 || Index >= static_cast<int>(FValues.size()))
        throw Exception(QStringLiteral("TMemPointArray: buffer slot %1 out of range").arg(Index));
    FValues[static_cast<size_t>(Index)] = Value.Value;
    FFlags[static_cast<size_t>(Index)] = Value.Flags;
}

void TMemPointArray::SetCapacity(int Value) {
    // A negative capacity would leave the window rule without room; treat it as none.
    const size_t length = static_cast<size_t>(std::max(Value, 0) + Reserve);
    FValues.assign(length, std::numeric_limits<double>::quiet_NaN());
    FFlags.assign(length, 0);
    FCount = 0;
    FStart = 0;
}

void TMemPointArray::CopyFrom(const TMemPointArray& Source) {
    if (&Source == this) return;
    FValues = Source.FValues;
    FFlags = Source.FFlags;
    FCount = Source.FCount;
    FStart = Source.FStart;
}

void TMemPointArray::Assign(const TMemPointArray& Source) {
    FID = Source.FID;
    CopyFrom(Source);
}

void TMemPointArray::Assign(const TPersistent* Source) {
    if (auto* a = qobject_cast<const TMemPointArray*>(Source)) Assign(*a);
    else TPointArray::Assign(Source);
}

// --- identifiers ---

namespace {
bool IsNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Char: case QMetaType::UChar: case QMetaType::SChar: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}
bool IsText(const QVariant& v) { return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray; }
}  // namespace

bool ChartIDsEqual(const QVariant& A, const QVariant& B) {
    if (!A.isValid() || !B.isValid()) return A.isValid() == B.isValid();
    if (IsNumeric(A) && IsNumeric(B)) return A.toDouble() == B.toDouble();
    if (IsText(A) && IsText(B)) return A.toString() == B.toString();
    const QVariant& num = IsNumeric(A) ? A : B;
    const QVariant& text = IsNumeric(A) ? B : A;
    if (!IsNumeric(num) || !IsText(text)) return false;
    bool ok = false;
    const double d = text.toString().trimmed().toDouble(&ok);
    return ok && d == num.toDouble();
}

// --- tables ---

TMemPointArrays::TMemPointArrays(TMemChartTable* Table)
    : TCollection(&TMemPointArray::staticMetaObject, Table), FTable(Table) {}

TMemPointArray* TMemPointArrays::Add() {
    auto* a = qobject_cast<TMemPointArray*>(TCollection::Add());
    if (FTable) a->SetCapacity(FTable->Capacity());
    return a;
}

TMemChartTable::TMemChartTable(QObject* AOwner) : TChartTable(AOwner), FArrays(new TMemPointArrays(this)) {
    FArrays->setParent(this);
}

TMemPointArray* TMemChartTable::AddArray(const QString& ID) {
    TMemPointArray* a = FArrays->Add();
    a->SetID(ID);
    return a;
}

TMemPointArray* TMemChartTable::AddArray(int ID) {
    TMemPointArray* a = FArrays->Add();
    a->SetID(ID);
    return a;
}

void TMemChartTable::AddRow() {
    for (int i = 0; i < FArrays->Count(); ++i) FArrays->Items(i)->AddEmpty();
}

void TMemChartTable::DeleteRow(int Index) {
    for (int i = 0; i < FArrays->Count(); ++i) FArrays->Items(i)->Delete(Index);
}

void TMemChartTable::Clear() {
    for (int i = 0; i < FArrays->Count(); ++i) FArrays->Items(i)->Clear();
}

int TMemChartTable::GetCount() const { return FArrays->Count() == 0 ? -1 : FArrays->Items(0)->GetCount(); }

TPointArray* TMemChartTable::GetArrayByID(const QVariant& ID) const {
    for (int i = 0; i < FArrays->Count(); ++i)
        if (ChartIDsEqual(FArrays->Items(i)->ID(), ID)) return FArrays->Items(i);
    return nullptr;
}

bool TMemChartTable::ArrayExists(const TPointArray* Arr) const {
    for (int i = 0; i < FArrays->Count(); ++i)
        if (FArrays->Items(i) == Arr) return true;
    return false;
}

void TMemChartTable::SetCapacity(int Value) {
    FCapacity = Value;
    for (int i = 0; i < FArrays->Count(); ++i) FArrays->Items(i)->SetCapacity(Value);
}
