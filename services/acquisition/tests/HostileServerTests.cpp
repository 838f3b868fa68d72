// The real client against a small scripted server on 127.0.0.1 that misbehaves
// on purpose: impossible record times, frames nobody asked for, floods, huge
// structures, a slow link, silence, a growing wells list.
#include "AcquisitionTestSupport.h"
#include "DebugOutput.h"
#include "WK2TCPClient.h"
#include "WKConsts.h"
#include "WKTCPCL.h"
#include "WKWells.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// One connection of the server, as its script sees it.
class THostileConnection {
public:
    explicit THostileConnection(int fd) : FFd(fd) {}
    // False once the client has gone.
    bool Send(const QByteArray& bytes) {
        const char* p = bytes.constData();
        size_t left = size_t(bytes.size());
        while (left > 0) {
            const ssize_t n = ::send(FFd, p, left, MSG_NOSIGNAL);
            if (n <= 0) return false;
            p += n;
            left -= size_t(n);
        }
        return true;
    }
    void SendFrame(const QByteArray& body) { Send(EncodeFrame(body)); }
    // The client closed or reset the connection.
    bool Closed() const {
        pollfd p{FFd, POLLRDHUP, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
    }

private:
    int FFd;
};

// The script answers each request; it runs on the server's thread, one
// request after another.
using TScript = std::function<void(THostileConnection&, QChar cmd, const QString& args)>;

class THostileServer {
public:
    explicit THostileServer(TScript script) : FScript(std::move(script)) {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        ::setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        EXPECT_EQ(::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(FListen, 8), 0);
        socklen_t len = sizeof a;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
        FPort = ntohs(a.sin_port);
        FThread = std::jthread([this](std::stop_token st) { Run(st); });
    }
    ~THostileServer() {
        FThread.request_stop();
        FThread.join();
        ::close(FListen);
    }
    uint16_t Port() const { return FPort; }
    int Connections() const { return FConnections; }
    // When each connection was accepted.
    std::vector<std::chrono::steady_clock::time_point> Accepted() const {
        std::lock_guard g(FLock);
        return FAccepted;
    }
    int Requests(QChar cmd) const {
        std::lock_guard g(FLock);
        const auto it = FRequests.find(cmd.unicode());
        return it == FRequests.end() ? 0 : it->second;
    }

private:
    void Run(std::stop_token st) {
        while (!st.stop_requested()) {
            pollfd p{FListen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            {
                std::lock_guard g(FLock);
                FAccepted.push_back(std::chrono::steady_clock::now());
            }
            ++FConnections;
            Serve(st, fd);
            ::close(fd);
        }
    }
    // One connection at a time: a new one comes only after the client dropped this one.
    void Serve(std::stop_token& st, int fd) {
        THostileConnection conn(fd);
        QByteArray input;
        char buf[4096];
        while (!st.stop_requested()) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            input.append(buf, n);
            QChar cmd;
            QString args;
            while (TakeRequest(input, cmd, args)) {
                {
                    std::lock_guard g(FLock);
                    ++FRequests[cmd.unicode()];
                }
                FScript(conn, cmd, args);
            }
        }
    }

    TScript FScript;
    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<int> FConnections{0};
    mutable std::mutex FLock;
    std::map<char16_t, int> FRequests;
    std::vector<std::chrono::steady_clock::time_point> FAccepted;
    std::jthread FThread;
};

// A monotonic clock that moves only when a test moves it; it counts how often
// the client looks at it.
struct TTestClock {
    std::atomic<int64_t> Ms{0};
    std::atomic<uint64_t> Reads{0};
    std::function<int64_t()> Function() {
        return [this] {
            ++Reads;
            return Ms.load();
        };
    }
};

// Sends a frame in pieces of Chunk bytes, StepMs of the client's clock apart:
// the clock moves, a piece goes out, and the next waits until the client has
// looked at its clock again (it does after every read), so the client sees
// the time pass whatever the machine's speed. Stops once the client has gone.
void Trickle(THostileConnection& c, TTestClock& clock, const QByteArray& frame, qsizetype Chunk, int StepMs) {
    for (qsizetype at = 0; at < frame.size(); at += Chunk) {
        if (c.Closed()) return;
        const uint64_t reads = clock.Reads;
        clock.Ms += StepMs;
        if (!c.Send(frame.mid(at, Chunk))) return;
        if (!WaitFor([&] { return clock.Reads > reads || c.Closed(); })) return;
    }
}

// A stream the script serves: its records are numbered 0 to Count - 1, one a
// second from kStart, each value Marker + k / 1000.
struct TServedStream {
    QString ShortID;
    TGIDArray Structure;
    int Count = 0;
    float Marker = 0;
    int Limit = 0;      // records per reply at most (0: all that remain)
    double Offset = 0;  // seconds from kStart to record 0

    TDateTime Time(int k) const { return At(Offset + k); }
    float Value(int k) const { return Marker + float(k) / 1000.0f; }
    // The records after the query's time.
    QByteArray Records(const QString& args) const {
        const TWK2TDataQuery q = ParseDataQuery(args);
        int first = 0;
        if (q.HasTime)
            while (first < Count && Time(first) <= q.Time + kWK2TOneMillisecond / 2) ++first;
        const int end = Limit > 0 ? std::min(Count, first + Limit) : Count;
        QByteArray out;
        std::vector<float> values(Structure.size());
        for (int k = first; k < end; ++k) {
            std::fill(values.begin(), values.end(), Value(k));
            AppendRecord(out, Time(k), values.data(), values.size());
        }
        return out;
    }
};

// The well-behaved part of every script: version, wells, stream list, structures and data.
class TServedStreams {
public:
    std::vector<TServedStream> Streams;
    QString WellsText = QStringLiteral("WELL=1,FIELD=F,PAD=P,OILFIELD=O,SHORTID=5,WELLID=1001");
    char16_t Compression = kWK2TNoCompression;

    const TServedStream* Find(const QString& shortID) const {
        for (const auto& s : Streams)
            if (s.ShortID == shortID) return &s;
        return nullptr;
    }
    void Answer(THostileConnection& c, QChar cmd, const QString& args) const {
        switch (cmd.unicode()) {
            case u'V': c.SendFrame(MakeTextBody(cmd, QStringLiteral("Hostile 1.0"))); break;
            case u'A': c.SendFrame(MakeCodeBody(QLatin1Char('O'))); break;
            case u'W':
                c.SendFrame(args.isEmpty() ? MakeTextBody(cmd, WellsText) : MakeCodeBody(QLatin1Char('O')));
                break;
            case u'L': {
                QStringList lines;
                for (const auto& s : Streams) lines << s.ShortID + QStringLiteral("=1");
                c.SendFrame(MakeTextBody(cmd, lines.join(QStringLiteral("\r\n"))));
                break;
            }
            case u'S': c.SendFrame(MakeStructureBody(Find(args)->Structure)); break;
            case u'D': {
                const TServedStream* s = Find(args.section(',', 0, 0));
                c.SendFrame(MakeDataBody(Compression, s->Records(args)));
                break;
            }
            default: c.SendFrame(MakeErrorBody(1, QStringLiteral("?")));
        }
    }
};

class HostileServer : public testing::Test {
protected:
    HostileServer() { InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2"); }
    ~HostileServer() override {
        Client.reset();
        InitWKConsts({}, "/opt/wk/Welvista2");
    }
    TWK2TCPClient& StartClient(uint16_t port, TWK2TCPClientTimeouts timeouts = {30000, 3000, 10}) {
        Client = std::make_unique<TWK2TCPClient>(timeouts);
        Client->SetPollPeriod(20);
        Client->SetHostPortAccess("127.0.0.1", port, {});
        Client->Start();
        return *Client;
    }
    void Drain() { DrainByStream(*Client, Got); }
    size_t Count(const QString& id) { return Got[id].size(); }
    // Every record of the served stream once, in order, with its own values.
    void ExpectWhole(const TServedStream& s) {
        const auto& items = Got[s.ShortID];
        ASSERT_EQ(items.size(), size_t(s.Count)) << s.ShortID.toStdString();
        for (int k = 0; k < s.Count; ++k) {
            ASSERT_EQ(items[size_t(k)].Time, s.Time(k)) << k;
            ASSERT_EQ(items[size_t(k)].Count(), int(s.Structure.size()));
            for (int i = 0; i < items[size_t(k)].Count(); ++i) ASSERT_EQ(items[size_t(k)][i].Value, double(s.Value(k))) << k;
        }
    }

    TDebugOutputCapture Capture;
    std::unique_ptr<TWK2TCPClient> Client;
    std::map<QString, std::vector<TStreamDataItem>> Got;
};

TEST_F(HostileServer, ImpossibleRecordTimesAreRefusedAndCounted) {
    TServedStreams served;
    served.Streams = {{"Time1s", {101}, 30, 1, 10}};
    std::atomic<bool> poisoned{false};
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        if (cmd != QLatin1Char('D') || poisoned.exchange(true)) return served.Answer(c, cmd, args);
        // The first reply: two good records, then every kind of impossible
        // time, then a good one again.
        const TServedStream& s = served.Streams[0];
        QByteArray recs;
        const float v[] = {0};
        for (int k : {0, 1}) {
            const float good[] = {s.Value(k)};
            AppendRecord(recs, s.Time(k), good, 1);
        }
        const double inf = std::numeric_limits<double>::infinity();
        for (double bad : {inf, -inf, 1e300, 2958466.5 /* 10000-01-01 */, At(1) + 36525 /* a century on */,
                           std::numeric_limits<double>::quiet_NaN(), -1e300})
            AppendRecord(recs, bad, v, 1);
        const float good[] = {s.Value(2)};
        AppendRecord(recs, s.Time(2), good, 1);
        c.SendFrame(MakeDataBody(kWK2TNoCompression, recs));
    });
    StartClient(server.Port());
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        return Count("Time1s") >= 30;
    }));
    ExpectWhole(served.Streams[0]);
    EXPECT_EQ(Client->RefusedRecords(), 7u);
    // One line for the reply, not one for each record.
    EXPECT_EQ(Capture.Count(">>> DecodeStreamData - ignore time Time1s"), 1);
    EXPECT_EQ(Capture.Count("(пропущено записей: 7)"), 1);
    // The stream went on from its last good record, on the first connection.
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(Client->GetState(), "Соединение установлено");
}

TEST_F(HostileServer, RepliesOutOfStepDropTheConnectionAndLoseNothing) {
    TServedStreams served;
    // Two streams of one width, and one of another: a reply credited to the
    // wrong stream is found by its size or by its times (B's records start
    // later than A's, so A's records lie before B's last time).
    served.Streams = {{"A", {101}, 40, 1, 4, 0}, {"B", {102}, 40, 2, 4, 1000}, {"C", {103, 104, 105}, 40, 3, 4, 0}};
    std::map<QString, int> replies;  // the server's thread only
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        served.Answer(c, cmd, args);
        if (cmd != QLatin1Char('D')) return;
        // A duplicated frame: of B (read as C's: another record size), of C
        // (left over after the cycle), of A (read as B's: earlier times).
        const QString id = args.section(',', 0, 0);
        const int n = ++replies[id];
        if ((id == "B" && n == 2) || (id == "C" && n == 4) || (id == "A" && n == 6)) served.Answer(c, cmd, args);
    });
    StartClient(server.Port());
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        return Count("A") >= 40 && Count("B") >= 40 && Count("C") >= 40;
    }));
    for (const auto& s : served.Streams) ExpectWhole(s);
    // A reply read as another stream's, with other times or another width,
    // ends the reading of the cycle; a frame left over drops the connection.
    EXPECT_GE(server.Connections(), 2) << Capture.Lines().join('\n').toStdString();
    EXPECT_EQ(Client->GetState(), "Соединение установлено");
}

TEST_F(HostileServer, QueueIsBoundedInBytesAndQueriesWaitUntilDrained) {
    TServedStreams served;
    // One zlib reply of 60,000 records of 64 sensors, whatever the limit asks.
    TGIDArray wide;
    for (uint16_t g = 1; g <= 64; ++g) wide.push_back(g);
    served.Streams = {{"Wide", wide, 60000, 7, 0}};
    served.Compression = kWK2TZlibCompression;
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) { served.Answer(c, cmd, args); });
    TWK2TCPClient& client = StartClient(server.Port());
    const size_t bound = 8 * 1024 * 1024;
    client.SetMaxQueuedBytes(bound);
    ASSERT_TRUE(WaitFor([&] { return client.QueuedRecords() > 0; }));
    // Nobody drains: the queue stays under the bound and no data is asked for.
    const int queries = server.Requests('D');
    const uint64_t cycles = client.Cycles();
    ASSERT_TRUE(WaitFor([&] { return client.Cycles() > cycles + 5; }));
    EXPECT_LE(client.QueuedBytes(), bound);
    EXPECT_LT(client.QueuedRecords(), 60000u);
    EXPECT_EQ(server.Requests('D'), queries);
    // Draining lets the rest come, every record once; the emptied queue holds nothing.
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        EXPECT_LE(client.QueuedBytes(), bound);
        return Count("Wide") >= 60000;
    }));
    ExpectWhole(served.Streams[0]);
    EXPECT_EQ(client.QueuedBytes(), 0u);
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(HostileServer, OversizedStructureStopsOnlyItsStream) {
    TServedStreams served;
    TGIDArray huge;
    for (int g = 0; g < 5000; ++g) huge.push_back(uint16_t(100 + g));
    served.Streams = {{"Huge", huge, 5, 1, 0}, {"Later", {101}, 8, 2, 2}, {"Healthy", {101}, 20, 3, 4}};
    // Later starts with a structure the client takes, and after its first
    // records grows past the bound.
    int laterReplies = 0;  // the server's thread only
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        if (args.startsWith("Later") && (cmd == QLatin1Char('D') ? laterReplies++ : laterReplies) > 0) {
            if (cmd == QLatin1Char('S')) return c.SendFrame(MakeStructureBody(huge));
            TServedStream later = served.Streams[1];
            later.Structure = huge;
            return c.SendFrame(MakeDataBody(kWK2TNoCompression, later.Records(args)));
        }
        served.Answer(c, cmd, args);
    });
    TWK2TCPClient& client = StartClient(server.Port());
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        return Count("Healthy") >= 20 && client.GetStreamProblem().contains("поток Later: структура");
    }));
    ExpectWhole(served.Streams[2]);
    // The stream that never had a usable structure is not kept; the one whose
    // records grew is stopped and says why, with nothing of the wide records taken.
    const TWKTCPStreamStructures streams = client.GetStreams(false);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].StreamID, "Later");
    EXPECT_EQ(Count("Later"), 2u);
    EXPECT_TRUE(client.GetState().contains("поток Later: структура из 5000 датчиков, больше 4096"))
        << client.GetState().toStdString();
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(HostileServer, SlowLinkDeliversALargeReply) {
    TServedStreams served;
    served.Streams = {{"Slow", {101, 102, 103, 104, 105, 106}, 1000, 1, 0}};  // 32 KB of records
    TTestClock clock;
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        if (cmd != QLatin1Char('D') || args.section(',', 1, 1).size() > 0) return served.Answer(c, cmd, args);
        // Two kilobytes every 150 ms: the whole frame takes far longer than
        // the time-out, but the link is never silent that long and keeps up
        // the least rate.
        Trickle(c, clock, EncodeFrame(MakeDataBody(kWK2TNoCompression, served.Streams[0].Records(args))), 2048, 150);
    });
    TWK2TCPClientTimeouts timeouts{1500, 3000, 10};
    timeouts.Clock = clock.Function();
    StartClient(server.Port(), timeouts);
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        return Count("Slow") >= 1000;
    }));
    ExpectWhole(served.Streams[0]);
    EXPECT_GT(clock.Ms, 1500);
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(HostileServer, StopInterruptsAWaitForASilentServer) {
    std::atomic<bool> asked{false};
    THostileServer server([&](THostileConnection&, QChar, const QString&) { asked = true; });
    // A reply time-out longer than any test may run: only the stop ends the wait.
    StartClient(server.Port(), {3600000, 3000, 10});
    ASSERT_TRUE(WaitFor([&] { return asked.load(); }));
    Client.reset();
    EXPECT_EQ(Capture.Count("exception"), 0) << Capture.Lines().join('\n').toStdString();
}

TEST_F(HostileServer, WellsListHoldsTheLastAnswerOnly) {
    TWells wells;
    std::atomic<int> answers{0};
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        if (cmd != QLatin1Char('W') || !args.isEmpty()) return TServedStreams().Answer(c, cmd, args);
        // Every answer names three new wells (and no stream is listed, so the
        // client asks again every cycle).
        const int n = ++answers;
        QStringList lines;
        for (int i = 0; i < 3; ++i)
            lines << QStringLiteral("WELL=%1,FIELD=F,PAD=P,OILFIELD=O,SHORTID=%1,WELLID=%1").arg(n * 10 + i);
        c.SendFrame(MakeTextBody(cmd, lines.join("\r\n")));
    });
    auto client = std::make_unique<TWK2TCPServClient>(TWK2TCPClientTimeouts{30000, 3000, 10}, &wells);
    client->SetPollPeriod(20);
    client->SetHostPortAccess("127.0.0.1", server.Port(), {});
    client->Start();
    ASSERT_TRUE(WaitFor([&] { return answers >= 20; }));
    client.reset();
    const int last = answers;
    EXPECT_EQ(wells.GetWellCount(), 3);
    // The client may stop before it reads the last answer sent: the list then
    // holds the one before it, whole.
    int held = -1;
    for (const int k : {last, last - 1})
        if (held < 0 && wells.GetWellByID(QString::number(k * 10))) held = k;
    ASSERT_NE(held, -1);
    for (int i = 0; i < 3; ++i) EXPECT_NE(wells.GetWellByID(QString::number(held * 10 + i)), nullptr) << i;
}

TEST_F(HostileServer, OneBadFrameWritesOneLine) {
    TServedStreams served;
    served.Streams = {{"Time1s", {101}, 20, 1, 5}};
    std::atomic<int> dataReplies{0};
    THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
        if (cmd == QLatin1Char('D') && ++dataReplies == 2) {
            QByteArray body = MakeDataBody(kWK2TNoCompression, QByteArray("this is not zlib data at all"));
            body[2] = char(kWK2TZlibCompression);
            return c.SendFrame(body);
        }
        served.Answer(c, cmd, args);
    });
    StartClient(server.Port());
    ASSERT_TRUE(WaitFor([&] {
        Drain();
        return Count("Time1s") >= 20;
    }));
    ExpectWhole(served.Streams[0]);
    EXPECT_EQ(server.Connections(), 2);
    // One line, naming where it happened and why.
    const QStringList lines = Capture.Lines().filter("exception", Qt::CaseInsensitive);
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("TWK2TClientThread.Execute exception: TWK2TClientBase.Poll: ReadRequestResult "
                                    "Time1s: DecodeStreamData <2>: "))
        << lines[0].toStdString();
}
}  // namespace

// One row per way a server misbehaves; in each, the healthy stream must get
// every record the server sent, once, in order, with its values, and the
// client must not reconnect in a tight loop.
TEST_F(HostileServer, HealthyStreamLivesThroughEveryMisbehaviour) {
    enum class Fault { MismatchedStructureOnce, TrailingBytes, WiderStructure, OneByteASecond, ManyStreams };
    const struct {
        Fault F;
        const char* Name;
    } rows[] = {
        {Fault::MismatchedStructureOnce, "a mismatched structure reply"},
        {Fault::TrailingBytes, "trailing bytes on every reply"},
        {Fault::WiderStructure, "a wider structure than the data"},
        {Fault::OneByteASecond, "one byte a second"},
        {Fault::ManyStreams, "20,000 listed streams"},
    };
    constexpr int kRetryMs = 10, kMaxRetryMs = 80, kJunk = 19998;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Got.clear();
        Capture.Clear();
        TServedStreams served;
        // The odd stream comes first, so that its trouble is met before the
        // healthy stream's reply is read.
        served.Streams = {{"Odd", {101}, 12, 5, 4}, {"Healthy", {101, 102}, 40, 1, 4}};
        TTestClock clock;
        int oddStructures = 0;  // the server's thread only
        THostileServer server([&](THostileConnection& c, QChar cmd, const QString& args) {
            const QString id = cmd == QLatin1Char('D') ? args.section(',', 0, 0) : args;
            switch (row.F) {
                case Fault::MismatchedStructureOnce:
                    if (cmd == QLatin1Char('S') && id == "Odd" && oddStructures++ == 0)
                        return c.SendFrame(MakeStructureBody({101, 102, 103}));
                    break;
                case Fault::WiderStructure:
                    if (cmd == QLatin1Char('S') && id == "Odd") return c.SendFrame(MakeStructureBody({101, 102, 103}));
                    break;
                case Fault::TrailingBytes:
                    if (cmd == QLatin1Char('D'))
                        return c.SendFrame(MakeDataBody(kWK2TZlibCompression,
                                                        served.Find(id)->Records(args) + QByteArray("\1\2\3\4\5")));
                    break;
                case Fault::OneByteASecond:
                    if (cmd == QLatin1Char('D') && id == "Odd")
                        return Trickle(c, clock, EncodeFrame(MakeDataBody(kWK2TNoCompression, served.Find(id)->Records(args))), 1,
                                       1000);
                    break;
                case Fault::ManyStreams:
                    if (cmd == QLatin1Char('L')) {
                        QStringList lines;
                        for (int i = 0; i < kJunk; ++i) lines << QStringLiteral("Junk%1=1").arg(i);
                        lines << "Odd=1" << "Healthy=1";
                        return c.SendFrame(MakeTextBody(cmd, lines.join("\r\n")));
                    }
                    if (id.startsWith("Junk"))
                        return c.SendFrame(cmd == QLatin1Char('S') ? MakeStructureBody({500})
                                                                   : MakeDataBody(kWK2TNoCompression, {}));
                    break;
            }
            served.Answer(c, cmd, args);
        });
        TWK2TCPClientTimeouts timeouts;
        timeouts.RetryPauseMs = kRetryMs;
        timeouts.MaxRetryPauseMs = kMaxRetryMs;
        timeouts.Clock = clock.Function();
        Client = std::make_unique<TWK2TCPClient>(timeouts);
        Client->SetPollPeriod(20);
        Client->SetWantedStreams({"Healthy"});
        Client->SetHostPortAccess("127.0.0.1", server.Port(), {});
        Client->Start();

        const bool oddWhole = row.F == Fault::MismatchedStructureOnce || row.F == Fault::TrailingBytes;
        ASSERT_TRUE(WaitFor([&] {
            Drain();
            return Count("Healthy") >= 40 && (!oddWhole || Count("Odd") >= 12);
        }));
        ExpectWhole(served.Streams[1]);
        if (oddWhole) ExpectWhole(served.Streams[0]);
        // No record of a stream that does not fit was taken.
        else EXPECT_EQ(Count("Odd"), 0u);
        EXPECT_EQ(Client->RefusedRecords(), 0u);

        if (row.F == Fault::OneByteASecond) {
            // Each trickled reply ended its connection; the connections came
            // no faster than the pauses, which doubled up to their bound.
            const auto accepted = server.Accepted();
            ASSERT_GE(accepted.size(), 6u);
            for (size_t k = 0; k + 1 < accepted.size(); ++k)
                EXPECT_GE(accepted[k + 1] - accepted[k],
                          std::chrono::milliseconds(std::min(kRetryMs << std::min<size_t>(k, 8), kMaxRetryMs)))
                    << k;
            EXPECT_GE(Capture.Count("TCP: ответ приходит слишком медленно"), 5);
            Client.reset();
            continue;
        }
        // Everything else without a single reconnection.
        EXPECT_EQ(server.Connections(), 1);
        EXPECT_EQ(Capture.Count("TWK2TClientThread.Execute exception"), 0) << Capture.Lines().join('\n').toStdString();
        const QString state = Client->GetState();
        EXPECT_TRUE(state.startsWith("Соединение установлено")) << state.toStdString();
        switch (row.F) {
            case Fault::MismatchedStructureOnce:
                // Asked again after the data did not fit, and healed.
                EXPECT_EQ(Capture.Count("поток Odd: записи в ответе по 12 байт, структура из 3 датчиков ждёт 20 байт"), 1);
                EXPECT_EQ(state, "Соединение установлено");
                break;
            case Fault::WiderStructure:
                // Asked again and again, but told once.
                EXPECT_GE(server.Requests('S'), 4);
                EXPECT_EQ(Capture.Count("поток Odd: "), 1) << Capture.Lines().join('\n').toStdString();
                EXPECT_EQ(state, "Соединение установлено; поток Odd: записи в ответе по 12 байт, структура из 3 "
                                 "датчиков ждёт 20 байт; структура запрошена снова");
                break;
            case Fault::ManyStreams:
                EXPECT_EQ(Client->GetStreams(false).size(), size_t(kWK2TMaxStreams));
                EXPECT_EQ(Capture.Count("сервер перечислил 20000 потоков"), 1);
                break;
            default:
                EXPECT_EQ(state, "Соединение установлено");
                break;
        }
        // With no record for more than a few poll periods, the state says so.
        clock.Ms += 1000;
        EXPECT_TRUE(Client->GetState().startsWith("Данные не поступают 1 с")) << Client->GetState().toStdString();
        Client.reset();
    }
}
