#include "WKUDF.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A computed sample whose result is NaN keeps the empty state that callers
// expect of it, but carries a NaN of its own bit pattern: a sample still
// waiting for its computation holds the stream's empty value, so the two can
// be told apart without a second per-sample array that would have to follow
// the window.
constexpr double ComputedNaN = std::bit_cast<double>(uint64_t{0x7FF8000000000000ull});

bool IsUncomputed(double stored) {
    return std::bit_cast<uint64_t>(stored) == std::bit_cast<uint64_t>(EmptySampleValue());
}

// Length of "S" and its digits at the front of text; 0 when it is not there.
qsizetype MatchSensorIdent(QStringView text) {
    if (text.size() < 2 || (text[0] != 'S' && text[0] != 's')) return 0;
    qsizetype n = 1;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return n > 1 ? n : 0;
}

// Loading the unit makes sensor identifiers known to the global parser.
[[maybe_unused]] const bool SensorIdentsRegistered = (RParser().RegisterConstructor<TWKSensorIdentConstructor>(), true);

}  // namespace

// ---- TWKSensorIdentConstructor

TWKSensorIdentConstructor::TWKSensorIdentConstructor(TRParser& parser)
    : TArgumentConstructor(parser, ttIdentifier, {ttBinaryOperator, ttCloseBracket, ttComparison, ttLogicOperator}) {}

bool TWKSensorIdentConstructor::SyntaxCheck(QStringView& text) {
    const qsizetype n = MatchSensorIdent(text);
    if (n == 0) return false;
    FSavedID = text.mid(1, n - 1).toString();
    text = text.mid(n);
    return TArgumentConstructor::SyntaxCheck(text);
}

bool TWKSensorIdentConstructor::Parse(QStringView& text, TExpression& expression) {
    QStringView rest = text;
    if (!SyntaxCheck(rest)) return false;
    expression.InsertToken(std::make_unique<TWKSensorExpressionIdentifier>(expression, FSavedID));
    text = rest;
    return true;
}

// ---- TWKSensorExpressionIdentifier

TWKSensorExpressionIdentifier::TWKSensorExpressionIdentifier(TExpression& expression, const QString& digits)
    : TArgument(expression, ttIdentifier), FStrID(digits), FValue(NaN) {
    bool ok = false;
    FGID = digits.toInt(&ok);
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(digits));
}

void TWKSensorExpressionIdentifier::Bind(const TWKStreamList& streams, bool isDateTime) {
    if (isDateTime) {
        FDataArray = streams.FindSensor(FGID, QStringLiteral("SrcTime"));
    } else {
        FDataArray = streams.FindSensor(FGID, QStringLiteral("Depth"));
        if (!FDataArray) FDataArray = streams.FindSensor(FGID, QStringLiteral("BLDepth"));
    }
    FMainArray = FDataArray && FDataArray->GetStream() ? FDataArray->GetStream()->MainDataArray() : nullptr;
    FCachedIndex = 0;
}

void TWKSensorExpressionIdentifier::Prepare() { FExp.DataArray[Position] = FValue; }

bool TWKSensorExpressionIdentifier::Check() const { return !std::isnan(FValue); }

void TWKSensorExpressionIdentifier::UpdateValue(bool reset, double mainValue) {
    FValue = NaN;
    TSensorDataArray* main = FMainArray;
    if (!FDataArray || !main || std::isnan(mainValue)) return;
    const int count = std::min(main->GetCount(), FDataArray->GetCount());
    if (reset) {
        // Oldest host records come first, so each source is scanned once; a
        // cache that lies past the wanted record (a read out of order, or a
        // source window that moved on) is walked back first.
        int k = std::clamp(FCachedIndex, 0, count);
        while (k > 0 && main->GetValue(k - 1) >= mainValue) --k;
        for (; k < count; ++k)
            if (main->GetValue(k) >= mainValue) {
                FValue = FDataArray->GetValue(k);
                FCachedIndex = k;
                return;
            }
    } else {
        for (int k = count - 1; k >= 0; --k)
            if (main->GetValue(k) <= mainValue) {
                FValue = FDataArray->GetValue(k);
                return;
            }
    }
}

void TWKSensorExpressionIdentifier::TakeOwnRecord(bool reset, int index) {
    FValue = FDataArray->GetValue(index);
    if (reset) FCachedIndex = index;
}

// ---- TUDFDataArray

const TSensorDataArrayClass TUDFDataArray::Class{"TUDFDataArray", &TSensorDataArray::Class,
                                                 &ConstructSensorArray<TUDFDataArray>};

TUDFDataArray::TUDFDataArray(int GID, TSensorDataStream* stream) : TSensorDataArray(GID, stream) {}

void TUDFDataArray::SetCapacity(int n) {
    TSensorDataArray::SetCapacity(n);
    FEmpty = true;
}

void TUDFDataArray::DropPlan() {
    FArguments.clear();
    FSharedWith.clear();
    FFlat.reset();
    FExpression.reset();
}

void TUDFDataArray::SetFormulaText(const QString& text) {
    if (text == FFormulaText) return;
    FFormulaText = text;
    DropPlan();
    FEmpty = true;
}

void TUDFDataArray::Bind(const TWKStreamList& streams) {
    if (!FStream) return;
    DropPlan();
    try {
        TRParser& parser = RParser();
        parser.SetText(FFormulaText);
        std::unique_ptr<TExpression> expression = parser.BuildExpression();
        if (!expression) return;
        std::vector<TWKSensorExpressionIdentifier*> arguments;
        for (int i = 0; i < expression->GetArgumentsCount(); ++i)
            if (auto* ident = dynamic_cast<TWKSensorExpressionIdentifier*>(&expression->GetArgument(i)))
                arguments.push_back(ident);
        std::vector<int> sharedWith(arguments.size(), -1);
        for (size_t k = 0; k < arguments.size(); ++k) {
            arguments[k]->Bind(streams, FStream->IsDateTime());
            for (size_t j = 0; j < k && arguments[k]->DataArray(); ++j)
                if (arguments[j]->DataArray() == arguments[k]->DataArray()) {
                    sharedWith[k] = static_cast<int>(j);
                    break;
                }
        }
        FFlat = std::make_unique<TFlatExpression>(*expression);
        FExpression = std::move(expression);
        FArguments = std::move(arguments);
        FSharedWith = std::move(sharedWith);
        FColumns.assign(FArguments.size() * TFlatExpression::BlockSize, 0);
        FInputs.assign(FFlat->SlotsCount(), nullptr);
        FResults.assign(TFlatExpression::BlockSize, 0);
        FFaults = std::make_unique<bool[]>(TFlatExpression::BlockSize);
    } catch (const std::exception&) {
        DropPlan();
    }
}

void TUDFDataArray::ProcessScan(int i) {
    if (!FExpression) return;
    TSensorDataArray* main = FStream ? FStream->MainDataArray() : nullptr;
    const double mainValue = main && main != this ? main->GetValue(i) : NaN;
    for (size_t k = 0; k < FArguments.size(); ++k) {
        if (FSharedWith[k] < 0)
            FArguments[k]->UpdateValue(FEmpty, mainValue);
        else
            FArguments[k]->ShareValue(*FArguments[FSharedWith[k]]);
    }
    const Extended result = FExpression->GetValue();
    // Samples are doubles: a finite result beyond their range overflows.
    if (std::isfinite(result) && !std::isfinite(static_cast<double>(result))) throw EOverflow();
    StoreResult(i, result, false);
}

void TUDFDataArray::ComputeSample(int i) {
    FInScan = true;
    try {
        ProcessScan(i);
    } catch (const std::exception&) {
        // Only this record is spoilt; the channel goes on with the others.
        SetData(i, TSensorData{NaN, ssError});
    }
    FInScan = false;
}

void TUDFDataArray::StoreResult(int i, Extended result, bool fault) {
    // Samples are doubles: a finite result beyond their range overflows.
    if (fault || (std::isfinite(result) && !std::isfinite(static_cast<double>(result))))
        SetData(i, TSensorData{NaN, ssError});
    else
        SetValue(i, std::isnan(result) ? ComputedNaN : static_cast<double>(result));
}

bool TUDFDataArray::CanComputeInBlocks() const {
    if (!FFlat || !FFlat->IsFlat() || !FStream) return false;
    const TSensorDataArray* main = FStream->MainDataArray();
    if (!main || main == this || main->ClassType().InheritsFrom(TUDFDataArray::Class)) return false;
    // Every input is a sensor identifier; none reads a computed channel,
    // whose samples may depend on the ones this block is about to store.
    int inputs = 0;
    for (int i = 0; i < FFlat->SlotsCount(); ++i) inputs += FFlat->IsInput(i);
    if (inputs != static_cast<int>(FArguments.size())) return false;
    for (const TWKSensorExpressionIdentifier* ident : FArguments)
        if (ident->DataArray() && ident->DataArray()->ClassType().InheritsFrom(TUDFDataArray::Class)) return false;
    return true;
}

void TUDFDataArray::ComputeRange(int first, int last) {
    if (first >= last || !FExpression) return;
    if (!CanComputeInBlocks()) {
        for (int i = first; i < last; ++i) ComputeSample(i);
        return;
    }
    TSensorDataArray* main = FStream->MainDataArray();
    const double* mainValues = main->GetDataPointer();
    // On a strictly growing axis the walk of an identifier of this stream
    // ends at the host record itself: from the oldest record during a full
    // recomputation, from the newest one otherwise.
    const int from = FEmpty ? 0 : first;
    const int to = FEmpty ? last : std::min(main->GetCount(), FCount);
    bool ownAxis = to <= main->GetCount();
    for (int i = from; ownAxis && i + 1 < to; ++i) ownAxis = mainValues[i] < mainValues[i + 1];
    if (ownAxis && from < to) ownAxis = !std::isnan(mainValues[from]);
    FInScan = true;
    for (int b = first; b < last; b += TFlatExpression::BlockSize)
        ComputeBlock(b, std::min(TFlatExpression::BlockSize, last - b), ownAxis, mainValues);
    FInScan = false;
}

void TUDFDataArray::ComputeBlock(int first, int n, bool ownAxis, const double* mainValues) {
    constexpr int B = TFlatExpression::BlockSize;
    for (size_t k = 0; k < FArguments.size(); ++k) {
        TWKSensorExpressionIdentifier* ident = FArguments[k];
        const double*& input = FInputs[ident->Position];
        if (FSharedWith[k] >= 0) {
            const TWKSensorExpressionIdentifier* other = FArguments[FSharedWith[k]];
            input = FInputs[other->Position];
            ident->ShareValue(*other);
            continue;
        }
        TSensorDataArray* source = ident->DataArray();
        if (ownAxis && source && source->GetStream() == FStream) {
            // The source's own samples, read in place.
            input = source->GetDataPointer() + first;
            ident->TakeOwnRecord(FEmpty, first + n - 1);
            continue;
        }
        double* column = FColumns.data() + k * B;
        for (int j = 0; j < n; ++j) {
            ident->UpdateValue(FEmpty, mainValues[first + j]);
            column[j] = ident->Value();
        }
        input = column;
    }
    FFlat->Evaluate(FInputs.data(), n, FResults.data(), FFaults.get());
    for (int j = 0; j < n; ++j) StoreResult(first + j, FResults[j], FFaults[j]);
}

void TUDFDataArray::Recompute() {
    for (TWKSensorExpressionIdentifier* ident : FArguments) ident->SetCachedIndex(0);
    ComputeRange(0, FCount);
    FEmpty = false;
}

double TUDFDataArray::GetValue(int i) {
    const double stored = TSensorDataArray::GetValue(i);
    if (FInScan || GetState(i) != ssEmpty || !IsUncomputed(stored)) return stored;
    ComputeSample(i);
    return TSensorDataArray::GetValue(i);
}

double* TUDFDataArray::GetDataPointer() {
    if (FEmpty) Recompute();
    return TSensorDataArray::GetDataPointer();
}

void TUDFDataArray::UpdateData() {
    if (!FExpression) return;
    if (FEmpty) {
        Recompute();
        return;
    }
    const int n = std::clamp(FStream ? FStream->NewCount() : 0, 0, FCount);
    ComputeRange(FCount - n, FCount);
}
