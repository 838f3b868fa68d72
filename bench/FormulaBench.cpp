// A formula of a dozen operators over one million samples of two sensors,
// beside the same expression written as a plain loop: the bare evaluation
// plan, and the computed channel recomputing a whole stream window.
#include "Express.h"
#include "WKUDF.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr int SampleCount = 1'000'000;
const QString Formula = QStringLiteral("(S1 * 2 + S2 / 3 - 1) * (S1 - S2) + IF(S1 > (S2), (S1), S2) - SQRT(S2 * S2)");

struct TSources {
    std::vector<double> S1, S2;
    TSources() : S1(SampleCount), S2(SampleCount) {
        for (int i = 0; i < SampleCount; ++i) {
            S1[i] = std::sin(i * 0.001) * 100;
            S2[i] = std::cos(i * 0.0007) * 50 + 10;
        }
    }
};

const TSources& Sources() {
    static const TSources s;
    return s;
}

// The same samples as sensors 1 and 2 of a time stream (time = record number).
struct TSourceStreams {
    TWKStreamList List;
    TSensorDataStream* Stream;
    TSourceStreams() {
        Stream = List.Add(std::make_unique<TSensorDataStream>(0, "Src.W1", "Src", "SrcTime", 1.0, true, SampleCount));
        TSensorDataArray* t = Stream->AddSensor(0);
        TSensorDataArray* s1 = Stream->AddSensor(1);
        TSensorDataArray* s2 = Stream->AddSensor(2);
        for (int i = 0; i < SampleCount; ++i) {
            Stream->AddRecord();
            t->SetLast(i);
            s1->SetLast(Sources().S1[i]);
            s2->SetLast(Sources().S2[i]);
        }
    }
};

TSourceStreams& SourceStreams() {
    static TSourceStreams s;
    return s;
}

double PlainFormula(double s1, double s2) {
    return (s1 * 2 + s2 / 3 - 1) * (s1 - s2) + (s1 > s2 ? s1 : s2) - std::sqrt(s2 * s2);
}

// S1 and S2 read the current sample of the two source vectors.
class TSampleIdent : public TArgument {
public:
    TSampleIdent(TExpression& e, const std::vector<double>& data, const int& index)
        : TArgument(e, ttIdentifier), FData(data), FIndex(index) {}
    void Prepare() override { FExp.DataArray[Position] = FData[FIndex]; }

private:
    const std::vector<double>& FData;
    const int& FIndex;
};

class TSampleIdentConstructor : public TArgumentConstructor {
public:
    TSampleIdentConstructor(TRParser& p, const int& index)
        : TArgumentConstructor(p, ttIdentifier, {ttBinaryOperator, ttCloseBracket, ttComparison, ttLogicOperator}),
          FIndex(index) {}
    bool Parse(QStringView& text, TExpression& e) override {
        const std::vector<double>* data = Match(text);
        if (!data) return false;
        e.InsertToken(std::make_unique<TSampleIdent>(e, *data, FIndex));
        text = text.mid(2);
        return true;
    }
    bool SyntaxCheck(QStringView& text) override {
        if (!Match(text)) return false;
        text = text.mid(2);
        return TArgumentConstructor::SyntaxCheck(text);
    }

private:
    const std::vector<double>* Match(QStringView text) const {
        const QStringView run = IdentRun(text);
        if (run == u"S1") return &Sources().S1;
        if (run == u"S2") return &Sources().S2;
        return nullptr;
    }
    const int& FIndex;
};

void BM_ExpressionPlan(benchmark::State& state) {
    int index = 0;
    TRParser parser;
    parser.RegisterConstructor<TSampleIdentConstructor>(index);
    parser.SetText(Formula);
    auto e = parser.BuildExpression();
    if (!e) {
        state.SkipWithError("the formula does not parse");
        return;
    }
    std::vector<double> out(SampleCount);
    for (auto _ : state) {
        for (index = 0; index < SampleCount; ++index) out[index] = static_cast<double>(e->GetValue());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
}
BENCHMARK(BM_ExpressionPlan)->Unit(benchmark::kMillisecond);

// The computed channel recomputing all its samples from the stream's sensors.
void BM_ComputedChannel(benchmark::State& state) {
    TSourceStreams& src = SourceStreams();
    auto* udf = src.Stream->CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText(Formula);
    udf->Bind(src.List);
    if (!udf->Expression()) {
        state.SkipWithError("the formula does not parse");
        return;
    }
    for (auto _ : state) {
        udf->ResetData();
        benchmark::DoNotOptimize(udf->GetDataPointer());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
    src.Stream->RemoveSensor(udf);
}
BENCHMARK(BM_ComputedChannel)->Unit(benchmark::kMillisecond);

// The expression written by hand over the same sensor arrays.
void BM_PlainLoop(benchmark::State& state) {
    TSourceStreams& src = SourceStreams();
    const double* s1 = src.Stream->GetSensor(1)->GetDataPointer();
    const double* s2 = src.Stream->GetSensor(2)->GetDataPointer();
    std::vector<double> out(SampleCount);
    for (auto _ : state) {
        for (int i = 0; i < SampleCount; ++i) out[i] = PlainFormula(s1[i], s2[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace
