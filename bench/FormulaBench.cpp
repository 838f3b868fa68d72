// One formula over one million pairs of samples drawn from [-10, 10] (fixed
// seed): the prepared plan in its flat form, the computed channel
// recomputing a whole stream window, muparser's bulk evaluation of the same
// expression (a compiled formula library, the reference for speed) and the
// expression written as plain C++ loops in long double and in double.
//
// Every variant's results are checked against the long double loop (within
// 1e-12 relative) before it is timed.
#include "ExpressFlat.h"
#include "WKUDF.h"

#include <benchmark/benchmark.h>
#include <muParser.h>
#include <omp.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int SampleCount = 1'000'000;
// a*b + sin(a)/(1+b*b) - sqrt(abs(a-b))*2 + (a>b ? a : b); a sensor
// identifier cannot stand right before a comma, hence the brackets.
const QString Formula = QStringLiteral(
    "S1*S2 + SIN(S1)/(1+S2*S2) - SQRT(IF(S1>(S2), S1-(S2), S2-(S1)))*2 + IF(S1>(S2), (S1), S2)");
const char* const MuparserFormula = "a*b + sin(a)/(1+b*b) - sqrt(abs(a-b))*2 + (a>b ? a : b)";

struct TSources {
    std::vector<double> S1, S2;
    TSources() : S1(SampleCount), S2(SampleCount) {
        std::mt19937_64 random(20261210);
        std::uniform_real_distribution<double> range(-10, 10);
        for (int i = 0; i < SampleCount; ++i) {
            S1[i] = range(random);
            S2[i] = range(random);
        }
    }
};

const TSources& Sources() {
    static const TSources s;
    return s;
}

template <class T>
T PlainFormula(T a, T b) {
    return a * b + std::sin(a) / (1 + b * b) - std::sqrt(std::fabs(a - b)) * 2 + (a > b ? a : b);
}

// The long double loop's results: what every variant is checked against.
const std::vector<long double>& Expected() {
    static const std::vector<long double> e = [] {
        std::vector<long double> v(SampleCount);
        for (int i = 0; i < SampleCount; ++i)
            v[i] = PlainFormula<long double>(Sources().S1[i], Sources().S2[i]);
        return v;
    }();
    return e;
}

template <class T>
bool Agrees(const std::vector<T>& values, benchmark::State& state) {
    for (int i = 0; i < SampleCount; ++i) {
        const long double e = Expected()[i];
        const long double d = std::fabs(static_cast<long double>(values[i]) - e);
        if (!(d <= 1e-12L * std::max(std::fabs(e), 1.0L))) {
            state.SkipWithError("results differ from the long double loop");
            return false;
        }
    }
    return true;
}

// S1 and S2: the flat form's input columns.
class TColumnIdent : public TArgument {
public:
    TColumnIdent(TExpression& e, int column) : TArgument(e, ttIdentifier), Column(column) {}
    void Prepare() override {}
    const int Column;
};

class TColumnIdentConstructor : public TArgumentConstructor {
public:
    explicit TColumnIdentConstructor(TRParser& p)
        : TArgumentConstructor(p, ttIdentifier, {ttBinaryOperator, ttCloseBracket, ttComparison, ttLogicOperator}) {}
    bool Parse(QStringView& text, TExpression& e) override {
        const int column = Match(text);
        if (column < 0) return false;
        e.InsertToken(std::make_unique<TColumnIdent>(e, column));
        text = text.mid(2);
        return true;
    }
    bool SyntaxCheck(QStringView& text) override {
        if (Match(text) < 0) return false;
        text = text.mid(2);
        return TArgumentConstructor::SyntaxCheck(text);
    }

private:
    static int Match(QStringView text) {
        const QStringView run = IdentRun(text);
        return run == u"S1" ? 0 : run == u"S2" ? 1 : -1;
    }
};

// The bare plan: the flat form over the two source vectors, block by block.
void BM_FormulaPlanAnchor(benchmark::State& state) {
    TRParser parser;
    parser.RegisterConstructor<TColumnIdentConstructor>();
    parser.SetText(Formula);
    auto e = parser.BuildExpression();
    if (!e) {
        state.SkipWithError("the formula does not parse");
        return;
    }
    TFlatExpression flat(*e);
    const double* columns[] = {Sources().S1.data(), Sources().S2.data()};
    std::vector<int> columnOfSlot(flat.SlotsCount(), -1);
    for (int i = 0; i < flat.SlotsCount(); ++i)
        if (flat.IsInput(i)) columnOfSlot[i] = dynamic_cast<const TColumnIdent&>(e->GetArgument(i)).Column;
    std::vector<const double*> inputs(flat.SlotsCount(), nullptr);
    std::vector<Extended> out(SampleCount);
    bool fault[TFlatExpression::BlockSize];
    const auto run = [&] {
        for (int first = 0; first < SampleCount; first += TFlatExpression::BlockSize) {
            const int n = std::min(TFlatExpression::BlockSize, SampleCount - first);
            for (int i = 0; i < flat.SlotsCount(); ++i)
                if (columnOfSlot[i] >= 0) inputs[i] = columns[columnOfSlot[i]] + first;
            flat.Evaluate(inputs.data(), n, out.data() + first, fault);
        }
    };
    run();
    if (!Agrees(out, state)) return;
    for (auto _ : state) {
        run();
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["fallback_blocks"] = static_cast<double>(flat.FallbackBlocksCount());
    state.SetItemsProcessed(state.iterations() * SampleCount);
}
BENCHMARK(BM_FormulaPlanAnchor)->Unit(benchmark::kMillisecond);

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

// The computed channel recomputing all its samples from the stream's sensors.
void BM_FormulaChannelAnchor(benchmark::State& state) {
    TSourceStreams src;
    auto* udf = src.Stream->CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText(Formula);
    udf->Bind(src.List);
    if (!udf->Expression()) {
        state.SkipWithError("the formula does not parse");
        return;
    }
    const double* values = udf->GetDataPointer();
    if (!Agrees(std::vector<double>(values, values + SampleCount), state)) return;
    for (auto _ : state) {
        udf->ResetData();
        benchmark::DoNotOptimize(udf->GetDataPointer());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
}
BENCHMARK(BM_FormulaChannelAnchor)->Unit(benchmark::kMillisecond);

// muparser's bulk evaluation, one thread.
void BM_MuparserBulkAnchor(benchmark::State& state) {
    omp_set_num_threads(1);
    std::vector<double> a = Sources().S1, b = Sources().S2, out(SampleCount);
    mu::Parser parser;
    try {
        parser.DefineVar("a", a.data());
        parser.DefineVar("b", b.data());
        parser.SetExpr(MuparserFormula);
        parser.Eval(out.data(), SampleCount);
    } catch (const mu::Parser::exception_type& e) {
        state.SkipWithError(e.GetMsg().c_str());
        return;
    }
    if (!Agrees(out, state)) return;
    for (auto _ : state) {
        parser.Eval(out.data(), SampleCount);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
}
BENCHMARK(BM_MuparserBulkAnchor)->Unit(benchmark::kMillisecond);

template <class T>
void PlainLoop(benchmark::State& state) {
    const double* a = Sources().S1.data();
    const double* b = Sources().S2.data();
    std::vector<T> out(SampleCount);
    for (int i = 0; i < SampleCount; ++i) out[i] = PlainFormula<T>(a[i], b[i]);
    if (!Agrees(out, state)) return;
    for (auto _ : state) {
        for (int i = 0; i < SampleCount; ++i) out[i] = PlainFormula<T>(a[i], b[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SampleCount);
}

void BM_PlainLoopLongDoubleAnchor(benchmark::State& state) { PlainLoop<long double>(state); }
BENCHMARK(BM_PlainLoopLongDoubleAnchor)->Unit(benchmark::kMillisecond);

void BM_PlainLoopDoubleAnchor(benchmark::State& state) { PlainLoop<double>(state); }
BENCHMARK(BM_PlainLoopDoubleAnchor)->Unit(benchmark::kMillisecond);

}  // namespace
