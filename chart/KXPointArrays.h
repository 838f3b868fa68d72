#pragma once
// Point arrays: indexed value sequences that series read and scales project,
// and chart tables that hand them out by identifier.
#include "Components.h"

#include <QObject>
#include <QPoint>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

#pragma pack(push, 1)

#pragma GCC visibility push(default)
// One value of a point array and a flag byte whose meaning belongs to the user of the array.
struct TChartValue {
    double Value;
    uint8_t Flags;
};
#pragma pack(pop)
static_assert(sizeof(TChartValue) == 9, "TChartValue is a packed 9-byte record");

using TChartValueArray = std::vector<TChartValue>;
// Screen points, the output of TScale::PrjArray.
using TPoints = std::vector<QPoint>;

// An indexed sequence of values, 0 being the oldest.
class TPointArray : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QVariant ID READ ID WRITE SetID)
public:
    explicit TPointArray(TCollection* Collection = nullptr) : TCollectionItem(Collection) {}
    virtual TChartValue GetValue(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual void Clear() = 0;
    // The values as one contiguous block of doubles (index 0 first), or null when
    // the array does not keep them so; projection then runs as a straight stream.
    virtual const double* ContiguousValues() const { return nullptr; }

    const QVariant& ID() const { return FID; }
    void SetID(const QVariant& Value) { FID = Value; }

protected:
    QVariant FID;
};

// A sliding window over a buffer of Capacity + 400 slots: appending is constant
// time, with one block move per 400 appends once the window is full. Values and
// flags are kept in two parallel buffers, so the values lie contiguous for projection.
class TMemPointArray : public TPointArray {
    Q_OBJECT
public:
    static constexpr int Reserve = 400;

    Q_INVOKABLE explicit TMemPointArray(TCollection* Collection = nullptr);
    explicit TMemPointArray(int Capacity);

    TChartValue GetValue(int Index) const override;
    int GetCount() const override { return FCount; }
    void Clear() override;
    const double* ContiguousValues() const override { return FValues.data() + FStart; }

    void Add(double Val, uint8_t Flgs = 0);
    void AddEmpty();
    void Delete(int Index);

    double Values(int Index) const;
    void SetValues(int Index, double Value);
    // NaN when empty; writing an empty array does nothing.
    double LastValue() const;
    void SetLastValue(double Value);
    // Buffer slots counted from the start of the buffer, not from the window.
    TChartValue Data(int Index) const;
    void SetData(int Index, const TChartValue& Value);

    // Drops every value.
    void SetCapacity(int Value);
    int GetCapacity() const { return static_cast<int>(FValues.size()) - Reserve; }
    int WindowStart() const { return FStart; }

    void CopyFrom(const TMemPointArray& Source);
    void Assign(const TMemPointArray& Source);
    void Assign(const TPersistent* Source) override;

private:
    void CheckIndex(int Index) const;

    int FCount = 0;
    int FStart = 0;
    // the buffer: the Value and the Flags of each slot
    std::vector<double> FValues;
    std::vector<uint8_t> FFlags;
};

class TChartTable : public TComponent {
    Q_OBJECT
public:
    explicit TChartTable(QObject* AOwner = nullptr) : TComponent(AOwner) {}
    // Null when the table has no such array.
    virtual TPointArray* GetArrayByID(const QVariant& ID) const = 0;
    virtual bool ArrayExists(const TPointArray* Arr) const = 0;
};

// Identifier comparison of the tables: numbers numerically, texts as texts, a
// text against a number by its numeric value; anything that does not compare is unequal.
bool ChartIDsEqual(const QVariant& A, const QVariant& B);

class TMemChartTable;

// The arrays of a memory table; a new array takes the table's capacity.
class TMemPointArrays : public TCollection {
    Q_OBJECT
public:
    explicit TMemPointArrays(TMemChartTable* Table = nullptr);
    TMemPointArray* Add() override;
    TMemPointArray* Items(int Index) const { return ItemAs<TMemPointArray>(Index); }

private:
    TMemChartTable* FTable;
};

class TMemChartTable : public TChartTable {
    Q_OBJECT
    Q_PROPERTY(int Capacity READ Capacity WRITE SetCapacity)
    Q_PROPERTY(TChartTableType TableType READ TableType WRITE SetTableType)
    Q_PROPERTY(TCollection* Arrays READ ArraysCollection)
public:
    enum TChartTableType { ctLimitedLength, ctUnlimitedLength };
    Q_ENUM(TChartTableType)

    Q_INVOKABLE explicit TMemChartTable(QObject* AOwner = nullptr);
    TCollection* ArraysCollection() const { return FArrays; }

    TMemPointArray* AddArray(const QString& ID);
    TMemPointArray* AddArray(int ID);
    void AddRow();
    void DeleteRow(int Index);
    void Clear();
    // -1 without arrays, else the count of the first array.
    int GetCount() const;

    TPointArray* GetArrayByID(const QVariant& ID) const override;
    bool ArrayExists(const TPointArray* Arr) const override;

    TMemPointArrays& Arrays() { return *FArrays; }
    const TMemPointArrays& Arrays() const { return *FArrays; }
    int Capacity() const { return FCapacity; }
    // Empties every array.
    void SetCapacity(int Value);
    TChartTableType TableType() const { return FType; }
    void SetTableType(TChartTableType Value) { FType = Value; }

private:
    TMemPointArrays* FArrays;  // owned through Qt
    int FCapacity = 1000;
    TChartTableType FType = ctLimitedLength;
};

#pragma GCC visibility pop
