// Reading a 24 MB LAS 2.0 file (100,000 depths x 20 curves) through the table,
// beside a bare C pass over the same bytes (fread, strtod) as the baseline.
#include "Logsheaf10.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Curves = 20;

void WriteBenchFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    QByteArray h =
        "~Version information\r\n VERS.   2.0 : CWLS LAS Version\r\n WRAP.   NO : Wrap mode\r\n"
        "~Well information\r\n STRT.M   1000.0 : Start\r\n STOP.M   13499.875 : Stop\r\n STEP.M   0.125 : Step\r\n"
        " NULL.   -999.25 : Null value\r\n WELL.   BENCH 1 : Well\r\n~Curve information\r\n DEPT.M  : Depth\r\n";
    for (int c = 1; c < Curves; ++c) h += " C" + QByteArray::number(c) + ".U  : Curve " + QByteArray::number(c) + "\r\n";
    h += "~Parameter information\r\n BHT.DEGC  35.5 : Bottom hole temperature\r\n~Other information\r\n Bench file\r\n~A\r\n";
    f.write(h);
    // A fixed linear congruential sequence: the same file on every machine.
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    QByteArray chunk;
    char buf[32];
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Curves; ++c) {
            const quint32 x = next();
            double v = c == 0 ? 1000.0 + r * 0.125 : double(x % 2000000) / 97.0 - 5000.0;
            if (c > 0 && x % 190 == 0) v = -999.25;
            std::snprintf(buf, sizeof buf, " %11.4f", v);
            chunk += buf;
        }
        chunk += "\r\n";
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
}

const QString& BenchFile() {
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (path.isEmpty()) {
        path = qEnvironmentVariable("WK_LAS_BENCH_FILE");
        if (path.isEmpty()) {
            dir = std::make_unique<QTemporaryDir>();
            path = dir->filePath("bench.las");
        }
        if (!QFile::exists(path)) WriteBenchFile(path);
    }
    return path;
}

void BM_LasRead(benchmark::State& state) {
    const QString path = BenchFile();
    double sum = 0;
    qint64 rows = 0, nulls = 0;
    int curves = 0;
    for (auto _ : state) {
        TLogsheaf t;
        t.SetFileName(path);
        t.SetReadOnly(true);
        t.Open();
        curves = t.FieldCount();
        std::vector<TField*> fields;
        for (int i = 0; i < curves; ++i) fields.push_back(t.Fields(i));
        rows = nulls = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            ++rows;
            for (TField* f : fields) {
                double v = 0;
                if (f->GetData(&v)) sum += v;
                else ++nulls;
            }
        }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["rows"] = double(rows);
    state.counters["curves"] = curves;
    state.counters["nulls"] = double(nulls);
}
BENCHMARK(BM_LasRead)->Unit(benchmark::kMillisecond);

void BM_LasBareStrtod(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(BenchFile());
    double sum = 0;
    for (auto _ : state) {
        FILE* f = std::fopen(path.constData(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        std::vector<char> bytes(size_t(size) + 1);
        const size_t got = std::fread(bytes.data(), 1, size_t(size), f);
        std::fclose(f);
        bytes[got] = '\0';
        const char* p = std::strstr(bytes.data(), "~A");
        p = std::strchr(p, '\n');
        const char* end = bytes.data() + got;
        while (p && p < end) {
            char* stop = nullptr;
            const double v = std::strtod(p, &stop);
            if (stop == p) ++p;
            else {
                sum += v;
                p = stop;
            }
        }
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_LasBareStrtod)->Unit(benchmark::kMillisecond);

}  // namespace
