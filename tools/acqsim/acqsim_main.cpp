// acqsim: the acquisition server simulator as a program, for manual runs and
// the demo. Listens on 127.0.0.1 only.
#include "AcqSim.h"
#include "AcqSimTripping.h"

#include <QCoreApplication>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
void Usage(FILE* out) {
    std::fprintf(out,
                 "Usage: acqsim [options]\n"
                 "Acquisition server simulator on 127.0.0.1.\n\n"
                 "  --port N          TCP port (default 4150; 0 picks a free one)\n"
                 "  --compression C   data replies: 0 plain, 1 run-length, 2 zlib (default 2)\n"
                 "  --code TEXT       access code the clients must send\n"
                 "  --proxy           report itself as a proxy\n"
                 "  --history H       hours of records before start-up (default 2)\n"
                 "  --rate N          records a second of every stream (1 to 1000)\n"
                 "  --sensors N       sensors of every stream (1 to 4096)\n"
                 "  --verbose         print every request received\n"
                 "  --trip N          run a string of N stands of 9.5 m in and out, stand by stand, with the rig's operation codes\n"
                 "  --help            this text\n");
}

bool ParseInt(const char* s, long lo, long hi, long& v) {
    char* end = nullptr;
    v = std::strtol(s, &end, 10);
    return end && *end == 0 && end != s && v >= lo && v <= hi;
}
}  // namespace

int main(int argc, char** argv) {
    long port = 4150, compression = 2, history = 2, rate = 0, sensors = 0;
    bool proxy = false, verbose = false;
    long tripStands = 0;
    QString code;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "acqsim: %s needs a value\n", a);
                std::exit(2);
            }
            return argv[++i];
        };
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            Usage(stdout);
            return 0;
        } else if (!std::strcmp(a, "--port")) {
            if (!ParseInt(next(), 0, 65535, port)) return std::fprintf(stderr, "acqsim: bad port\n"), 2;
        } else if (!std::strcmp(a, "--compression")) {
            if (!ParseInt(next(), 0, 9, compression)) return std::fprintf(stderr, "acqsim: bad compression\n"), 2;
        } else if (!std::strcmp(a, "--history")) {
            if (!ParseInt(next(), 0, 1000, history)) return std::fprintf(stderr, "acqsim: bad history\n"), 2;
        } else if (!std::strcmp(a, "--rate")) {
            if (!ParseInt(next(), 1, 1000, rate)) return std::fprintf(stderr, "acqsim: bad rate\n"), 2;
        } else if (!std::strcmp(a, "--sensors")) {
            if (!ParseInt(next(), 1, 4096, sensors)) return std::fprintf(stderr, "acqsim: bad sensor count\n"), 2;
        } else if (!std::strcmp(a, "--code")) {
            code = QString::fromLocal8Bit(next());
        } else if (!std::strcmp(a, "--proxy")) {
            proxy = true;
        } else if (!std::strcmp(a, "--trip")) {
            if (!ParseInt(next(), 1, 1000, tripStands)) return std::fprintf(stderr, "acqsim: bad stand count\n"), 2;
        } else if (!std::strcmp(a, "--verbose")) {
            verbose = true;
        } else {
            std::fprintf(stderr, "acqsim: unknown option %s\n", a);
            Usage(stderr);
            return 2;
        }
    }
    QCoreApplication app(argc, argv);

    // Whole seconds, so record times print as round values.
    const TDateTime start = std::floor((Now() - double(history) / 24.0) * 86400.0) / 86400.0;
    TAcqSimConfig config = AcqSimDefaultConfig(start);
    config.Compression = char16_t(u'0' + compression);
    config.AccessCode = code;
    if (rate > 0) AcqSimSetRate(config, int(rate));
    if (sensors > 0) AcqSimSetSensorCount(config, int(sensors));
    if (proxy) config.Version = QStringLiteral("Acquisition server simulator 1.0 (Proxy)");
    TAcqSim sim(config);
    if (tripStands > 0) {
        TAcqSimTripping trip;
        trip.Lengths.assign(size_t(tripStands), 9.5);
        sim.SetValueSource([trip](const QString&, uint16_t gid, int64_t k) {
            const double v = trip.Value(gid, k);
            return std::isnan(v) ? TAcqSim::Value(gid, k) : float(v);
        });
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // inherited by the server threads
    try {
        sim.Start(uint16_t(port));
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    std::printf("acqsim: listening on 127.0.0.1:%u\n", unsigned(sim.Port()));
    std::fflush(stdout);

    std::atomic<bool> done{false};
    std::jthread printer;
    if (verbose)
        printer = std::jthread([&](std::stop_token st) {
            while (!st.stop_requested()) {
                for (const TAcqSimRequest& r : sim.TakeRequests())
                    std::printf("#%d %s\n", r.Connection, r.Text().toLocal8Bit().constData());
                std::fflush(stdout);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
    int sig = 0;
    sigwait(&stopSignals, &sig);
    printer = {};
    sim.Stop();
    return 0;
}
