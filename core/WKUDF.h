#pragma once
// Sensor identifiers in formulas ("S" and a GID, in any letter case) and the
// computed channel whose samples are a formula evaluated record by record
// over other channels. Sources in other streams are resampled onto the host
// stream's main axis.
//
// Loading this unit adds the sensor identifiers to the global parser RParser.
// Everything here is main-thread only, like the secondary streams it reads.
#include "Express.h"
#include "ExpressFlat.h"
#include "WKDataStructures.h"

#include <memory>
#include <vector>

#pragma GCC visibility push(default)

// Recognises "S" or "s" followed by decimal digits.
class TWKSensorIdentConstructor : public TArgumentConstructor {
public:
    explicit TWKSensorIdentConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
    // The digits last recognised.
    const QString& SavedID() const { return FSavedID; }

private:
    QString FSavedID;
};

// One sensor identifier of a formula, bound to a sensor array.
class TWKSensorExpressionIdentifier : public TArgument {
public:
    // Raises EConvertError when the digits do not fit an Integer.
    TWKSensorExpressionIdentifier(TExpression& expression, const QString& digits);

    const QString& StrID() const { return FStrID; }
    int GID() const { return FGID; }
    double Value() const { return FValue; }
    TSensorDataArray* DataArray() const { return FDataArray; }
    int CachedIndex() const { return FCachedIndex; }
    void SetCachedIndex(int index) { FCachedIndex = index; }

    // A time-indexed host reads "SrcTime" streams; a depth-indexed one reads
    // a "Depth" stream, else a "BLDepth" one. Unbound when none has the GID.
    void Bind(const TWKStreamList& streams, bool isDateTime);

    void Prepare() override;
    // False while the value is NaN.
    bool Check() const override;

    // The value for the host record at MainValue. Reset (a recomputation from
    // the oldest record): the first source record at or after MainValue,
    // walking forward from the cached index. Otherwise: the latest source
    // record at or before MainValue. NaN when there is no such record.
    void UpdateValue(bool reset, double mainValue);
    // Takes the value of another identifier bound to the same array.
    void ShareValue(const TWKSensorExpressionIdentifier& other) { FValue = other.FValue; }
    // The state UpdateValue leaves when the source record of the host record
    // at index is the source's own record at index (same stream).
    void TakeOwnRecord(bool reset, int index);

private:
    QString FStrID;
    int FGID = 0;
    double FValue;
    TSensorDataArray* FDataArray = nullptr;
    TSensorDataArray* FMainArray = nullptr;  // the main axis of FDataArray's stream
    int FCachedIndex = 0;
};

// A computed channel: samples are computed when first read, on UpdateData
// after each poll, or all together after SetFormulaText / ResetData. A sample
// is computed once: one whose result is NaN stays an empty sample but is not
// computed again on the next read.
class TUDFDataArray : public TSensorDataArray {
public:
    static const TSensorDataArrayClass Class;
    const TSensorDataArrayClass& ClassType() const override { return Class; }

    TUDFDataArray(int GID, TSensorDataStream* stream);

    const QString& FormulaText() const { return FFormulaText; }
    // A different text drops the plan and marks every sample for
    // recomputation; the plan itself is built by Bind.
    void SetFormulaText(const QString& text);
    // Builds the plan with RParser and binds its sensor identifiers; hosts
    // call it on every stream binding. A formula that does not parse leaves
    // the channel without a plan (all samples empty).
    void Bind(const TWKStreamList& streams);
    // Marks every sample for recomputation.
    void ResetData() { FEmpty = true; }
    // Samples dropped with the buffers (a stream copied whole again keeps
    // its records but not what was computed for them) are computed anew.
    void SetCapacity(int n) override;

    double GetValue(int i) override;
    double* GetDataPointer() override;
    // Computes the host stream's new records (all records after a reset).
    void UpdateData();
    // Computes sample i; floating-point faults propagate.
    void ProcessScan(int i);

    TExpression* Expression() const { return FExpression.get(); }
    const std::vector<TWKSensorExpressionIdentifier*>& Arguments() const { return FArguments; }
    // True while every sample waits for recomputation.
    bool IsEmpty() const { return FEmpty; }
    // The flat form of the plan (null without a plan).
    TFlatExpression* Flat() const { return FFlat.get(); }

private:
    // One sample; a floating-point fault makes it an error sample.
    void ComputeSample(int i);
    // Samples first to last - 1 in blocks through the flat form where it
    // applies, else one by one.
    void ComputeRange(int first, int last);
    bool CanComputeInBlocks() const;
    void ComputeBlock(int first, int n, bool ownAxis, const double* mainValues);
    void StoreResult(int i, Extended result, bool fault);
    void Recompute();
    void DropPlan();

    bool FEmpty = true;
    std::vector<TWKSensorExpressionIdentifier*> FArguments;  // owned by FExpression
    // Per argument: an earlier argument bound to the same array, whose value
    // it shares, or -1 (a sensor named several times is looked up once).
    std::vector<int> FSharedWith;
    std::unique_ptr<TExpression> FExpression;
    std::unique_ptr<TFlatExpression> FFlat;  // over FExpression
    QString FFormulaText;
    // Block buffers: a column per sensor identifier that walks its source,
    // the input of each argument slot, results and faults.
    std::vector<double> FColumns;
    std::vector<const double*> FInputs;
    std::vector<Extended> FResults;
    std::unique_ptr<bool[]> FFaults;
    // Set while a sample is computed: a formula that reads its own channel
    // gets the stored value instead of recursing.
    bool FInScan = false;
};

#pragma GCC visibility pop
