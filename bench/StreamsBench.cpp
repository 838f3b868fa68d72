// Sensor streams: appending records, copying new records between stream lists,
// and reading a window through the data pointer.
#include "WKDataStructures.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Sensors = 64;
constexpr int Capacity = 10000;

std::unique_ptr<TSensorDataStream> NewStream(const QString& id) {
    auto s = std::make_unique<TSensorDataStream>(0, id, id, "SrcTime", 1.0, true, Capacity);
    for (int g = 0; g < Sensors; ++g) s->AddSensor(g == 0 ? 0 : 100 + g);
    return s;
}

void FillRecord(TSensorDataStream& s, double v) {
    s.AddRecord();
    for (int k = 0; k < s.Count(); ++k) s.GetSensorByIndex(k)->SetLast(v + k);
}

// A primary list of 10 streams with full windows, and its secondary copy
// holding the same: what is measured then is the steady state, not the
// buffers growing to their size in the first thousands of records.
void FillWindows(TWKStreamList& primary, TWKStreamList& secondary, double& v) {
    for (int k = 0; k < 10; ++k) primary.Add(NewStream(QStringLiteral("S%1.W1").arg(k)));
    secondary.SyncronizeWith(primary);
    for (int k = 0; k < primary.Count(); ++k)
        for (int r = 0; r < Capacity; ++r) FillRecord(*primary.GetStreamByIndex(k), ++v);
    secondary.ResetNewCounters();
    secondary.CopyFrom(primary);
}

// One record into a stream of 64 sensors: AddRecord and a SetLast per sensor.
void BM_AppendRecord(benchmark::State& state) {
    auto s = NewStream("Time1s.W1");
    double v = 0;
    for (auto _ : state) FillRecord(*s, ++v);
    state.SetItemsProcessed(state.iterations() * Sensors);
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ns/sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * Sensors,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendRecord);

// N new records appended to each of 10 primary streams and copied into the
// secondary list, as one poll pass plus one secondary tick do.
void BM_AppendAndCopy(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TWKStreamList primary, secondary;
    double v = 0;
    FillWindows(primary, secondary, v);
    for (auto _ : state) {
        for (int k = 0; k < primary.Count(); ++k)
            for (int r = 0; r < n; ++r) FillRecord(*primary.GetStreamByIndex(k), ++v);
        secondary.ResetNewCounters();
        secondary.CopyFrom(primary);
    }
    const double records = static_cast<double>(state.iterations()) * n * 10;
    state.SetItemsProcessed(static_cast<int64_t>(records * Sensors));  // sensor samples
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AppendAndCopy)->Arg(1)->Arg(5)->Arg(50)->Arg(1025);

// Only the copy: N new records across 10 streams.
void BM_CopyNewRecords(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TWKStreamList primary, secondary;
    double v = 0;
    FillWindows(primary, secondary, v);
    for (auto _ : state) {
        state.PauseTiming();
        for (int k = 0; k < primary.Count(); ++k)
            for (int r = 0; r < n; ++r) FillRecord(*primary.GetStreamByIndex(k), ++v);
        state.ResumeTiming();
        secondary.ResetNewCounters();
        secondary.CopyFrom(primary);
    }
    const double records = static_cast<double>(state.iterations()) * n * 10;
    state.SetItemsProcessed(static_cast<int64_t>(records * Sensors));
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["ns/sample"] = benchmark::Counter(records * Sensors, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CopyNewRecords)->Arg(5)->Arg(1025);

// The floor of the copy above: the same samples (a double and a state byte
// each) moved by plain memcpy between buffers of the same total size.
void BM_CopyFloor(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const size_t arrays = 10 * Sensors, bufferSize = Capacity + Capacity / 2;
    std::vector<double> from(arrays * bufferSize, 1.0), to(arrays * bufferSize);
    std::vector<uint8_t> fromStates(arrays * bufferSize, 2), toStates(arrays * bufferSize);
    size_t at = 0;
    for (auto _ : state) {
        if (at + size_t(n) > bufferSize) at = 0;
        for (size_t a = 0; a < arrays; ++a) {
            std::memcpy(to.data() + a * bufferSize + at, from.data() + a * bufferSize + at, sizeof(double) * size_t(n));
            std::memcpy(toStates.data() + a * bufferSize + at, fromStates.data() + a * bufferSize + at, size_t(n));
        }
        at += size_t(n);
        benchmark::DoNotOptimize(to.data());
    }
    const double samples = static_cast<double>(state.iterations()) * n * double(arrays);
    state.counters["ns/sample"] = benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CopyFloor)->Arg(5)->Arg(1025);

// A reader walking a full window of one sensor through the data pointer.
void BM_ReadWindow(benchmark::State& state) {
    auto s = NewStream("Time1s.W1");
    for (int r = 0; r < Capacity + 500; ++r) FillRecord(*s, r);
    TSensorDataArray* a = s->GetSensor(101);
    for (auto _ : state) {
        const double* p = a->GetDataPointer();
        double sum = 0;
        for (int i = 0, n = a->GetCount(); i < n; ++i) sum += p[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * a->GetCount());
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * a->GetCount(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadWindow);

}  // namespace
