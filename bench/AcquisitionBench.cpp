// Decoding acquisition data replies into queued records, in each compression,
// beside a raw zlib inflate plus a copy of the same bytes.
#include "AcqSim.h"
#include "WK2TCPClient.h"
#include "WKTCPCL.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
const TGIDArray kGIDs = {101, 102, 103, 122, 1200, 1303};
constexpr int kRecords = 3600;  // one hour of one-second records, the default fetch
const TDateTime kStart = 46364.0;

// The protocol client without a transport: replies are decoded directly.
class TDecoder : public TWK2TClientBase {
public:
    TDecoder() {
        FStream.StreamID = FStream.ShortID = QStringLiteral("Time1s.5");
        FStream.CurrentStructure = kGIDs;
    }
    void Decode(const QByteArray& body) {
        FStream.LastTime = 0;
        DecodeStreamData(FStream, body);
    }

protected:
    QByteArray ReadBinaryResult() override { return {}; }
    void SendCommand(QChar, const QString&) override {}

private:
    TWKTCPStream FStream;
};

QByteArray RawRecords() {
    QByteArray recs;
    std::vector<float> v(kGIDs.size());
    for (int k = 0; k < kRecords; ++k) {
        for (size_t i = 0; i < kGIDs.size(); ++i) v[i] = TAcqSim::Value(kGIDs[i], k);
        AppendRecord(recs, kStart + k / 86400.0, v.data(), v.size());
    }
    return recs;
}

void Drain(TDecoder& d) {
    TStreamDataItem item;
    while (d.GetSensorsData(item)) benchmark::DoNotOptimize(item.Pairs.data());
}

// Decoding only: the queue is emptied outside the measurement.
void BM_DecodeReplyToQueue(benchmark::State& state) {
    const char16_t comp = char16_t(u'0' + state.range(0));
    const QByteArray body = MakeDataBody(comp, RawRecords());
    TDecoder d;
    for (auto _ : state) {
        d.Decode(body);
        state.PauseTiming();
        Drain(d);
        state.ResumeTiming();
    }
    state.counters["records/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(body.size()) * state.iterations());
}
BENCHMARK(BM_DecodeReplyToQueue)->DenseRange(0, 2)->ArgName("compression")->Unit(benchmark::kMicrosecond);

// Decoding and taking every record off the queue, as the service's tick does.
void BM_DecodeAndDrain(benchmark::State& state) {
    const char16_t comp = char16_t(u'0' + state.range(0));
    const QByteArray body = MakeDataBody(comp, RawRecords());
    TDecoder d;
    for (auto _ : state) {
        d.Decode(body);
        Drain(d);
    }
    state.counters["records/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeAndDrain)->DenseRange(0, 2)->ArgName("compression")->Unit(benchmark::kMicrosecond);

// The floor: inflating the same zlib payload and copying its bytes once.
void BM_RawInflateAndCopy(benchmark::State& state) {
    const QByteArray raw = RawRecords();
    const QByteArray body = MakeDataBody(u'2', raw);
    const auto* z = reinterpret_cast<const uint8_t*>(body.constData()) + 4;
    const size_t zsize = size_t(body.size()) - 4;
    std::vector<uint8_t> out, copy(size_t(raw.size()));
    for (auto _ : state) {
        ZlibInflate(z, zsize, out);
        std::memcpy(copy.data(), out.data(), out.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.counters["records/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(raw.size()) * state.iterations());
}
BENCHMARK(BM_RawInflateAndCopy)->Unit(benchmark::kMicrosecond);
// The service's drain path: decoding a reply and moving its records into a
// stream of the list, 1025 a tick.
void BM_DecodeAndDrainIntoStreams(benchmark::State& state) {
    const char16_t comp = char16_t(u'0' + state.range(0));
    const QByteArray body = MakeDataBody(comp, RawRecords());
    TDecoder d;
    TWKStreamList list;
    auto* stream = list.Add(std::make_unique<TSensorDataStream>(0, "Time1s.5", "Time1s", "SrcTime", 1000, true, 86400));
    stream->AddSensor(0);
    for (uint16_t gid : kGIDs) gid == 122 ? stream->AddSensor<TOpCodesDataArray>(gid) : stream->AddSensor(gid);
    for (auto _ : state) {
        d.Decode(body);
        while (DrainRecords(d, list, TWKTCPClientService::MaxRecordsPerTick) > 0) {
        }
    }
    state.counters["records/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeAndDrainIntoStreams)->DenseRange(0, 2)->ArgName("compression")->Unit(benchmark::kMicrosecond);

// End to end on loopback: the simulator serves an hour of records per
// iteration, the client thread fetches and decodes them, the main thread
// drains them into the stream.
void BM_LoopbackIngest(benchmark::State& state) {
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    config.Streams = {{"Time1s", "5", kGIDs, 1000}};
    config.Compression = char16_t(u'0' + state.range(0));
    TAcqSim sim(config);
    double seconds = -0.5;
    sim.SetTime(kStart + seconds / 86400.0);
    sim.Start();
    TWK2TCPClient client;
    client.SetPollPeriod(0);
    client.SetHostPortAccess("127.0.0.1", sim.Port(), {});
    client.Start();
    TWKStreamList list;
    auto* stream = list.Add(std::make_unique<TSensorDataStream>(0, "Time1s.5", "Time1s", "SrcTime", 1000, true, 86400));
    stream->AddSensor(0);
    for (uint16_t gid : kGIDs) stream->AddSensor(gid);
    int64_t total = 0;
    for (auto _ : state) {
        seconds += kRecords;
        sim.SetTime(kStart + seconds / 86400.0);
        total += kRecords;
        while (stream->TotalCount() < total)
            if (DrainRecords(client, list, TWKTCPClientService::MaxRecordsPerTick) == 0)
                std::this_thread::yield();
    }
    state.counters["records/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoopbackIngest)->DenseRange(0, 2)->ArgName("compression")->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
