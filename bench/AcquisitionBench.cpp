// Decoding acquisition data replies into queued records, in each compression,
// beside a raw zlib inflate plus a copy of the same bytes.
#include "AcqSim.h"
#include "WK2TCPClient.h"
#include "WKTCPCL.h"

#include "RLE.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {
const TGIDArray kGIDs = {101, 102, 103, 122, 1200, 1303};
constexpr int kRecords = 3600;  // one hour of one-second records, the default fetch
const TDateTime kStart = 46364.0;

// The protocol client without a transport: replies are decoded directly.
class TDecoder : public TWK2TClientBase {
public:
    explicit TDecoder(const TGIDArray& gids = kGIDs) {
        FStream.StreamID = FStream.ShortID = QStringLiteral("Time1s.5");
        FStream.CurrentStructure = gids;
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

// The acquisition server's own record shape with 8 sensors: 40-byte records
// (the time and 8 floats), 3600-record replies, an 86,400-record window.
const TGIDArray kEightGIDs = {101, 102, 103, 110, 122, 1200, 1303, 204};
constexpr int kWindow = 86400;

QByteArray EightSensorRecords() {
    QByteArray recs;
    float v[8];
    for (int k = 0; k < kRecords; ++k) {
        for (size_t i = 0; i < kEightGIDs.size(); ++i) v[i] = TAcqSim::Value(kEightGIDs[i], k);
        AppendRecord(recs, kStart + k / 86400.0, v, kEightGIDs.size());
    }
    return recs;
}

// Decoding a reply and draining it into the stream, 1025 records a tick, as
// the client thread and the service's tick do between them. Each iteration
// decodes the same reply for a new hour.
void DrainEightSensors(benchmark::State& state, char16_t compression) {
    const QByteArray raw = EightSensorRecords();
    const QByteArray body = MakeDataBody(compression, raw);
    TDecoder d(kEightGIDs);
    TWKStreamList list;
    auto* stream = list.Add(std::make_unique<TSensorDataStream>(0, "Time1s.5", "Time1s", "SrcTime", 1000, true, kWindow));
    stream->AddSensor(0);
    for (uint16_t gid : kEightGIDs) gid == 122 ? stream->AddSensor<TOpCodesDataArray>(gid) : stream->AddSensor(gid);
    TDrainBuffers buffers;
    // Fill the window first, so that every record measured pushes one out.
    while (stream->GetDataCount() < kWindow) {
        d.Decode(body);
        while (DrainRecords(d, list, TWKTCPClientService::MaxRecordsPerTick, buffers) > 0) {
        }
    }
    for (auto _ : state) {
        d.Decode(body);
        while (DrainRecords(d, list, TWKTCPClientService::MaxRecordsPerTick, buffers) > 0) {
        }
    }
    // The newest record in the window is the reply's last one.
    for (size_t i = 0; i < kEightGIDs.size(); ++i) {
        const double stored = stream->GetSensor(kEightGIDs[i])->GetValue(kWindow - 1);
        const double sent = TAcqSim::Value(kEightGIDs[i], kRecords - 1);
        if (stream->GetDataCount() != kWindow || !(stored == sent || (std::isnan(stored) && std::isnan(sent))))
            state.SkipWithError("the window does not hold the records decoded");
    }
    state.counters["records/s"] =
        benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ns/record"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void BM_DrainEightSensorsPlain(benchmark::State& state) { DrainEightSensors(state, u'0'); }
void BM_DrainEightSensorsZlib(benchmark::State& state) { DrainEightSensors(state, u'2'); }
void BM_DrainEightSensorsRunLength(benchmark::State& state) { DrainEightSensors(state, u'1'); }
BENCHMARK(BM_DrainEightSensorsPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrainEightSensorsZlib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrainEightSensorsRunLength)->Unit(benchmark::kMicrosecond);

// The floor: a bare uncompress() of the same zlib reply bytes.
void BM_InflateEightSensors(benchmark::State& state) {
    const QByteArray raw = EightSensorRecords();
    const QByteArray body = MakeDataBody(u'2', raw);
    const auto* z = reinterpret_cast<const Bytef*>(body.constData()) + 4;
    const uLong zsize = uLong(body.size() - 4);
    std::vector<Bytef> out(size_t(raw.size()));
    for (auto _ : state) {
        uLongf n = uLongf(out.size());
        if (uncompress(out.data(), &n, z, zsize) != Z_OK || n != uLongf(raw.size())) {
            state.SkipWithError("uncompress failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["ns/record"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_InflateEightSensors)->Unit(benchmark::kMicrosecond);

// Run-length decoding alone of the same records' run-length reply bytes.
void BM_RunLengthEightSensors(benchmark::State& state) {
    const QByteArray raw = EightSensorRecords();
    const QByteArray body = MakeDataBody(u'1', raw);
    const auto* src = reinterpret_cast<const uint8_t*>(body.constData()) + 4;
    const size_t size = size_t(body.size()) - 4;
    std::vector<uint8_t> out(size_t(raw.size()));
    for (auto _ : state) {
        if (RLEDecompress(src, out.data(), size, out.size()) != size_t(raw.size())) {
            state.SkipWithError("run-length decoding failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["ns/record"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RunLengthEightSensors)->Unit(benchmark::kMicrosecond);

// The simulator's own share of the loopback figure below: building and
// compressing one reply of an hour of records. Measured apart, so that the
// loopback figure minus this is the client's work.
void BM_SimulatorReply(benchmark::State& state) {
    const char16_t comp = char16_t(u'0' + state.range(0));
    const QByteArray raw = RawRecords();
    for (auto _ : state) benchmark::DoNotOptimize(MakeDataBody(comp, raw));
    state.counters["records/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatorReply)->DenseRange(0, 2)->ArgName("compression")->Unit(benchmark::kMicrosecond);

// End to end on loopback: the simulator serves an hour of records per
// iteration, the client thread fetches and decodes them, the main thread
// drains them into the stream and blocks until the client queues more. The
// simulator makes and compresses every reply once, in a rehearsal with
// another client before the measurement, and serves it from its cache while
// the figure is taken: what is measured is the client's work and the
// loopback transfer (BM_SimulatorReply above is the compression's own cost).
constexpr int kLoopbackHours = 24;

class TLoopbackClient {
public:
    explicit TLoopbackClient(uint16_t port) {
        FClient.OnDataAccept = [this] {
            std::lock_guard<std::mutex> g(FLock);
            FQueued.notify_one();
        };
        FClient.SetPollPeriod(0);
        FClient.SetHostPortAccess("127.0.0.1", port, {});
        FStream = FList.Add(std::make_unique<TSensorDataStream>(0, "Time1s.5", "Time1s", "SrcTime", 1000, true, 86400));
        FStream->AddSensor(0);
        for (uint16_t gid : kGIDs) FStream->AddSensor(gid);
        FClient.Start();
    }
    // Drains until the stream has received Total records; false when the
    // client queued nothing for a long time.
    bool DrainUntil(int64_t total) {
        while (FStream->TotalCount() < total) {
            if (DrainRecords(FClient, FList, TWKTCPClientService::MaxRecordsPerTick, FBuffers) > 0) continue;
            std::unique_lock<std::mutex> g(FLock);
            if (!FQueued.wait_for(g, std::chrono::seconds(10), [&] { return FClient.QueuedRecords() > 0; }))
                return false;
        }
        return true;
    }

private:
    // Declared before the client: its thread calls OnDataAccept until the client is gone.
    std::mutex FLock;
    std::condition_variable FQueued;
    TWKStreamList FList;
    TSensorDataStream* FStream = nullptr;
    TDrainBuffers FBuffers;
    TWK2TCPClient FClient;
};

void BM_LoopbackIngest(benchmark::State& state) {
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    config.Streams = {{"Time1s", "5", kGIDs, 1000}};
    config.Compression = char16_t(u'0' + state.range(0));
    TAcqSim sim(config);
    sim.SetReplyCache(4 * kLoopbackHours + 16);
    // Hour h: records 0 to h * 3600 - 1 exist.
    const auto setHour = [&](int h) { sim.SetTime(kStart + (h * double(kRecords) - 0.5) / 86400.0); };
    setHour(0);
    sim.Start();
    {
        TLoopbackClient rehearsal(sim.Port());
        for (int h = 1; h <= kLoopbackHours; ++h) {
            setHour(h);
            if (!rehearsal.DrainUntil(int64_t(h) * kRecords)) {
                state.SkipWithError("the client received no records");
                return;
            }
        }
    }
    setHour(0);
    const uint64_t cachedBefore = sim.CachedReplies(), madeBefore = sim.MadeReplies();
    TLoopbackClient client(sim.Port());
    int h = 0;
    for (auto _ : state) {
        setHour(++h);
        if (!client.DrainUntil(int64_t(h) * kRecords)) {
            state.SkipWithError("the client received no records");
            break;
        }
    }
    state.counters["records/s"] = benchmark::Counter(double(h) * kRecords, benchmark::Counter::kIsRate);
    state.counters["cached replies"] = double(sim.CachedReplies() - cachedBefore);
    // Replies the simulator had to make while measured (none when the rehearsal saw them all).
    state.counters["made replies"] = double(sim.MadeReplies() - madeBefore);
}
BENCHMARK(BM_LoopbackIngest)
    ->DenseRange(0, 2)
    ->ArgName("compression")
    ->Iterations(kLoopbackHours)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
}  // namespace
