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

// ---- TUDFDataArray

const TSensorDataArrayClass TUDFDataArray::Class{"TUDFDataArray", &TSensorDataArray::Class,
                                                 &ConstructSensorArray<TUDFDataArray>};

TUDFDataArray::TUDFDataArray(int GID, TSensorDataStream* stream) : TSensorDataArray(GID, stream) {}

void TUDFDataArray::SetCapacity(int n) {
    TSensorDataArray::SetCapacity(n);
    FEmpty = true;
}

void TUDFDataArray::SetFormulaText(const QString& text) {
    if (text == FFormulaText) return;
    FFormulaText = text;
    FArguments.clear();
    FSharedWith.clear();
    FExpression.reset();
    FEmpty = true;
}

void TUDFDataArray::Bind(const TWKStreamList& streams) {
    if (!FStream) return;
    FArguments.clear();
    FSharedWith.clear();
    FExpression.reset();
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
        FExpression = std::move(expression);
        FArguments = std::move(arguments);
        FSharedWith = std::move(sharedWith);
    } catch (const std::exception&) {
        FArguments.clear();
        FSharedWith.clear();
        FExpression.reset();
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
    SetValue(i, std::isnan(result) ? ComputedNaN : static_cast<double>(result));
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

void TUDFDataArray::Recompute() {
    for (TWKSensorExpressionIdentifier* ident : FArguments) ident->SetCachedIndex(0);
    for (int i = 0; i < FCount; ++i) ComputeSample(i);
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
    for (int i = FCount - n; i < FCount; ++i) ComputeSample(i);
}
