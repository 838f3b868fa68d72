// Projection of one million values through a value scale and through the main X scale.
#include "Kurvex.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {
constexpr int N = 1000000;

TMemPointArray& Values() {
    static auto* a = [] {
        auto* r = new TMemPointArray(N);
        for (int i = 0; i < N; ++i) r->Add(50 + 40 * std::sin(i * 0.001));
        return r;
    }();
    return *a;
}

void BM_PrjArrayMillion(benchmark::State& state) {
    TScale s;
    s.SetAlign(saBottom);
    s.SetLength(1921);
    s.SetMinMax(0, 100);
    TPoints pts;
    for (auto _ : state) {
        s.PrjArray(Values(), pts, 0, N - 1, 0, true);
        benchmark::DoNotOptimize(pts.data());
    }
    state.SetItemsProcessed(state.iterations() * N);
}
BENCHMARK(BM_PrjArrayMillion)->Unit(benchmark::kMillisecond);

void BM_PrjMillion(benchmark::State& state) {
    TScale s;
    s.SetLength(1081);
    s.SetMinMax(0, 100);
    for (auto _ : state) {
        long long sum = 0;
        for (int i = 0; i < N; ++i) sum += s.Prj(Values().Values(i));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * N);
}
BENCHMARK(BM_PrjMillion)->Unit(benchmark::kMillisecond);
}  // namespace
