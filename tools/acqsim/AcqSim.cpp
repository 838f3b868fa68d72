#include "AcqSim.h"

#include "StringLists.h"

#include <algorithm>
#include <iterator>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr double kMSecsPerDay = 86400000.0;
// A connection whose request line never ends is dropped past this size.
constexpr qsizetype kMaxRequestBuffer = 1 << 20;
// Records of one data reply at most, whatever the query asks for.
constexpr int64_t kMaxRecordsPerReply = 200000;
// Requests kept in the log; the oldest go first.
constexpr qsizetype kMaxLoggedRequests = 10000;

QString WellKey(const QString& line, const QString& key) {
    TStringList sl;
    sl.StrictDelimiter = true;
    sl.SetCommaText(line);
    return sl.Values(key);
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}
}  // namespace

struct TAcqSim::TConnection {
    int Id = 0;
    std::atomic<int> Fd{-1};
    QByteArray Input;
    bool Closed = false;         // the peer hung up or a fault closed it
    bool Authorized = false;     // sent the access code (or none is needed)
    std::atomic<bool> Done{false};  // its thread has finished serving it
};

void AcqSimSetRate(TAcqSimConfig& config, int recordsPerSecond) {
    const int period = std::max(1, 1000 / std::clamp(recordsPerSecond, 1, 1000));
    for (auto& s : config.Streams) s.PeriodMs = period;
}

void AcqSimSetSensorCount(TAcqSimConfig& config, int count) {
    count = std::clamp(count, 1, 4096);
    for (auto& s : config.Streams) {
        if (int(s.Structure.size()) > count) s.Structure.resize(size_t(count));
        for (uint16_t gid = 2000; int(s.Structure.size()) < count; ++gid) s.Structure.push_back(gid);
    }
}

TAcqSimConfig AcqSimDefaultConfig(TDateTime start) {
    TAcqSimConfig c;
    c.Start = start;
    c.Wells = {
        QStringLiteral("WELL=101,FIELD=Северное,PAD=3,OILFIELD=Ключевое,SHORTID=5,WELLID=1001"),
        QStringLiteral("WELL=202,FIELD=Северное,PAD=4,OILFIELD=Ключевое,SHORTID=7,WELLID=1002"),
    };
    c.Streams = {
        {QStringLiteral("Time1s"), QStringLiteral("5"), {101, 102, 103, 122, 1200, 1303}, 1000},
        {QStringLiteral("Depth"), QStringLiteral("5"), {101, 103, 122, 1200}, 5000},
        {QStringLiteral("Time5s"), QStringLiteral("5"), {101, 1200}, 5000},
    };
    return c;
}

TAcqSim::TAcqSim(TAcqSimConfig config) : FConfig(std::move(config)) {}

TAcqSim::~TAcqSim() { Stop(); }

void TAcqSim::Start(uint16_t port) {
    Stop();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw Exception(QStringLiteral("acqsim: socket: ") + QString::fromLocal8Bit(strerror(errno)));
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        const QString err = QString::fromLocal8Bit(strerror(errno));
        ::close(fd);
        throw Exception(QStringLiteral("acqsim: cannot listen on 127.0.0.1:%1: %2").arg(port).arg(err));
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    FListenFd = fd;
    FPort = ntohs(addr.sin_port);
    FAcceptThread = std::jthread([this](std::stop_token st) { AcceptLoop(st); });
}

void TAcqSim::Stop() {
    if (FAcceptThread.joinable()) {
        FAcceptThread.request_stop();
        FAcceptThread.join();
    }
    if (FListenFd >= 0) {
        ::close(FListenFd);
        FListenFd = -1;
    }
    DropConnections();
    std::vector<TServeThread> threads;
    {
        std::lock_guard g(FThreadsLock);
        threads.swap(FConnThreads);
    }
    for (auto& t : threads) t.Thread.request_stop();
    threads.clear();  // joins
}

void TAcqSim::JoinFinishedThreads() {
    std::vector<TServeThread> finished;
    {
        std::lock_guard g(FThreadsLock);
        const auto done = std::stable_partition(FConnThreads.begin(), FConnThreads.end(),
                                                [](const TServeThread& t) { return !t.Conn->Done; });
        std::move(done, FConnThreads.end(), std::back_inserter(finished));
        FConnThreads.erase(done, FConnThreads.end());
    }
    finished.clear();  // joins threads that have ended
}

int TAcqSim::ServeThreads() const {
    std::lock_guard g(FThreadsLock);
    return int(FConnThreads.size());
}

void TAcqSim::AcceptLoop(std::stop_token stop) {
    while (!stop.stop_requested()) {
        pollfd p{FListenFd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int fd = ::accept4(FListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        auto conn = std::make_shared<TConnection>();
        conn->Fd = fd;
        {
            std::lock_guard g(FLock);
            if (FRefuse > 0) {
                --FRefuse;
                ::close(fd);
                continue;
            }
            conn->Id = ++FConnectionCount;
            conn->Authorized = FConfig.AccessCode.isEmpty();
            FOpen.push_back(conn);
        }
        JoinFinishedThreads();
        std::lock_guard g(FThreadsLock);
        FConnThreads.push_back({conn, std::jthread([this, conn](std::stop_token st) { Serve(st, conn); })});
    }
}

void TAcqSim::Serve(std::stop_token stop, std::shared_ptr<TConnection> conn) {
    char buf[65536];
    while (!stop.stop_requested() && !conn->Closed) {
        pollfd p{conn->Fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::recv(conn->Fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        conn->Input.append(buf, n);
        QChar cmd;
        QString args;
        while (!conn->Closed && TakeRequest(conn->Input, cmd, args)) {
            {
                std::lock_guard g(FLock);
                FRequests.append({conn->Id, cmd, args});
                if (FRequests.size() > kMaxLoggedRequests) FRequests.remove(0, FRequests.size() - kMaxLoggedRequests);
            }
            Answer(*conn, cmd, args, stop);
        }
        if (conn->Input.size() > kMaxRequestBuffer) break;
    }
    {
        std::lock_guard g(FLock);
        std::erase(FOpen, conn);
        ::close(conn->Fd.exchange(-1));
    }
    conn->Done = true;
}

std::optional<TAcqSimAction> TAcqSim::TakeAction(QChar cmd, const QString& shortID) {
    for (auto it = FActions.begin(); it != FActions.end(); ++it) {
        if (it->Command != cmd) continue;
        if (!it->ShortID.isEmpty() && it->ShortID != shortID) continue;
        TAcqSimAction a = *it;
        FActions.erase(it);
        return a;
    }
    return std::nullopt;
}

const TAcqSimStream* TAcqSim::FindStream(const QString& shortID) const {
    for (const auto& s : FConfig.Streams)
        if (s.ShortID() == shortID) return &s;
    return nullptr;
}

bool TAcqSim::Offered(const TAcqSimStream& s) const {
    if (s.WellShortID.isEmpty() || FSelectedWells.isEmpty()) return true;
    const QStringList selected = FSelectedWells.split(QLatin1Char(','));
    for (const QString& w : FConfig.Wells)
        if (WellKey(w, QStringLiteral("SHORTID")) == s.WellShortID)
            return selected.contains(WellKey(w, QStringLiteral("WELLID")));
    return false;
}

TDateTime TAcqSim::NowLocked() const {
    if (FManual) return FManualTime;
    return FClock ? FClock() : Now();
}

void TAcqSim::Answer(TConnection& conn, QChar cmd, const QString& args, std::stop_token& stop) {
    QByteArray body;
    std::optional<TAcqSimAction> action;
    {
        std::lock_guard g(FLock);
        QString shortID = args;
        if (cmd == QLatin1Char('D')) shortID = args.section(QLatin1Char(','), 0, 0);
        action = TakeAction(cmd, shortID);
        const bool anomaly = action && action->Kind >= TAcqSimAction::Duplicate;
        // With an access code only the version is told before the code was sent.
        const bool refused = !conn.Authorized && cmd != QLatin1Char('V') && cmd != QLatin1Char('A');
        switch (refused ? u'?' : cmd.unicode()) {
            case u'?':
                body = MakeErrorBody(5, QStringLiteral("Требуется код доступа"));
                break;
            case u'V':
                body = MakeTextBody(cmd, FConfig.Version);
                break;
            case u'A':
                conn.Authorized = FConfig.AccessCode.isEmpty() || args == FConfig.AccessCode;
                body = conn.Authorized ? MakeCodeBody(QLatin1Char('O'))
                                       : MakeErrorBody(5, QStringLiteral("Неверный код доступа"));
                break;
            case u'W':
                if (args.isEmpty()) {
                    body = MakeTextBody(cmd, FConfig.Wells.join(QStringLiteral("\r\n")));
                } else {
                    FSelectedWells = args;
                    body = MakeCodeBody(QLatin1Char('O'));
                }
                break;
            case u'L': {
                QStringList lines;
                for (const auto& s : FConfig.Streams)
                    if (Offered(s)) lines.append(s.ShortID() + QStringLiteral("=1"));
                body = MakeTextBody(cmd, lines.join(QStringLiteral("\r\n")));
                break;
            }
            case u'S': {
                const TAcqSimStream* s = FindStream(args);
                body = s ? MakeStructureBody(s->Structure) : MakeErrorBody(3, QStringLiteral("Поток не найден: ") + args);
                break;
            }
            case u'D':
                body = DataReply(args, anomaly ? &*action : nullptr);
                if (anomaly && body.size() <= 4) FActions.push_front(*action);  // no record to follow yet
                break;
            default:
                body = MakeErrorBody(1, QStringLiteral("Неизвестная команда"));
        }
        if (action) {
            using K = TAcqSimAction;
            switch (action->Kind) {
                case K::PushStructure: {
                    const QString id = action->ShortID.isEmpty() ? shortID : action->ShortID;
                    for (auto& s : FConfig.Streams)
                        if (s.ShortID() == id) s.Structure = action->Structure;
                    FReplyCache.clear();
                    body = MakeStructureBody(action->Structure);
                    break;
                }
                case K::PushWells:
                    if (!action->Text.isEmpty()) FConfig.Wells = SplitReplyLines(action->Text);
                    body = MakeTextBody(QLatin1Char('W'), FConfig.Wells.join(QStringLiteral("\r\n")));
                    break;
                case K::PushError:
                    body = MakeErrorBody(action->Number, action->Text);
                    break;
                case K::PushUnknownCode:
                    body = MakeTextBody(QLatin1Char('X'), QStringLiteral("unknown"));
                    break;
                case K::WrongCode:
                    body = MakeCodeBody(QLatin1Char('O'));
                    break;
                case K::ShortErrorBody:
                    body = QByteArray("E\0\3", 3);
                    break;
                case K::CorruptZlib:
                    body = MakeDataBody(kWK2TNoCompression, QByteArray("this is not zlib data at all"));
                    body[2] = char(kWK2TZlibCompression);
                    break;
                case K::RLEOverflow:
                    body = MakeDataBody(kWK2TNoCompression, QByteArray("\x7F\x41\xFF\xFF\x7F", 5));
                    body[2] = char(kWK2TRLECompression);
                    break;
                default:
                    break;
            }
        }
    }

    QByteArray frame = EncodeFrame(body);
    if (action) {
        using K = TAcqSimAction;
        switch (action->Kind) {
            case K::Delay: {
                const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(action->DelayMs);
                char buf[4096];
                while (!stop.stop_requested() && std::chrono::steady_clock::now() < until) {
                    pollfd p{conn.Fd, POLLIN, 0};
                    if (::poll(&p, 1, 10) <= 0) continue;
                    const ssize_t n = ::recv(conn.Fd, buf, sizeof buf, 0);
                    if (n <= 0) {
                        conn.Closed = true;
                        return;
                    }
                    conn.Input.append(buf, n);
                }
                break;
            }
            case K::ShortLength:
                frame = QByteArray("\1\0\0\0V", 5);
                break;
            case K::HugeLength:
                frame = QByteArray("\xFF\xFF\xFF\x7F", 4) + body;
                break;
            case K::TruncatedBody:
                frame.truncate(4 + body.size() / 2);
                break;
            case K::CloseMidFrame:
                frame.truncate(4 + body.size() / 2);
                SendAll(conn.Fd, frame.constData(), size_t(frame.size()));
                ::shutdown(conn.Fd, SHUT_RDWR);
                conn.Closed = true;
                return;
            default:
                break;
        }
    }
    if (!SendAll(conn.Fd, frame.constData(), size_t(frame.size()))) conn.Closed = true;
}

QByteArray TAcqSim::DataReply(const QString& args, const TAcqSimAction* anomaly) {
    TWK2TDataQuery q;
    try {
        q = ParseDataQuery(args);
    } catch (const Exception& e) {
        return MakeErrorBody(2, e.Message());
    }
    const TAcqSimStream* s = FindStream(q.ShortID);
    if (!s) return MakeErrorBody(3, QStringLiteral("Поток не найден: ") + q.ShortID);
    const double period = s->PeriodMs / kMSecsPerDay;
    int64_t first = 0;
    if (q.HasTime)
        first = std::max<int64_t>(0, int64_t(std::floor((q.Time + kWK2TOneMillisecond / 2 - FConfig.Start) / period)) + 1);
    const double now = NowLocked();
    const int64_t last = now < FConfig.Start ? -1 : int64_t(std::floor((now - FConfig.Start + kWK2TOneMillisecond / 2) / period));
    int64_t count = std::max<int64_t>(0, last - first + 1);
    if (q.MaxRecords > 0) count = std::min<int64_t>(count, q.MaxRecords);
    count = std::min(count, kMaxRecordsPerReply);
    const size_t width = s->Structure.size();
    if (FConfig.Compression == kWK2TRLECompression)
        count = std::min<int64_t>(count, int64_t(kWK2TRLEBufferSize / RecordSize(width)) - 4);
    const bool cached = FReplyCacheMax > 0 && !anomaly;
    const TReplyKey key{q.ShortID, first, count};
    if (cached) {
        const auto hit = FReplyCache.find(key);
        if (hit != FReplyCache.end()) {
            ++FCachedReplies;
            return hit->second;
        }
    }

    QByteArray records;
    records.reserve(qsizetype((count + 1) * int64_t(RecordSize(width))));
    std::vector<float> values(width);
    auto fill = [&](int64_t k) {
        for (size_t i = 0; i < width; ++i)
            values[i] = FValueSource ? FValueSource(s->ShortID(), s->Structure[i], k) : Value(s->Structure[i], k);
    };
    for (int64_t k = first; k < first + count; ++k) {
        fill(k);
        const TDateTime t = FConfig.Start + double(k * s->PeriodMs) / kMSecsPerDay;
        AppendRecord(records, t, values.data(), width);
        if (k == first && anomaly) {
            using K = TAcqSimAction;
            TDateTime bad = t;
            switch (anomaly->Kind) {
                case K::WithinMillisecond: bad = t + kWK2TOneMillisecond / 2; break;
                case K::Earlier: bad = t - 1000 / kMSecsPerDay; break;
                case K::NaNTime: bad = std::nan(""); break;
                default: break;
            }
            std::fill(values.begin(), values.end(), -999.0f);
            AppendRecord(records, bad, values.data(), width);
        }
    }
    QByteArray body = MakeDataBody(FConfig.Compression, records);
    ++FMadeReplies;
    if (cached && FReplyCache.size() < FReplyCacheMax) FReplyCache.emplace(key, body);
    return body;
}

void TAcqSim::SetReplyCache(size_t MaxReplies) {
    std::lock_guard g(FLock);
    FReplyCacheMax = MaxReplies;
    FReplyCache.clear();
}

uint64_t TAcqSim::CachedReplies() const {
    std::lock_guard g(FLock);
    return FCachedReplies;
}

uint64_t TAcqSim::MadeReplies() const {
    std::lock_guard g(FLock);
    return FMadeReplies;
}

float TAcqSim::Value(uint16_t gid, int64_t k) {
    const int64_t phase = k % 1200;  // 15 minutes of drilling, then a connection and circulation
    const bool drilling = phase < 900;
    switch (gid) {
        case 101: return float(1500.0 + 0.002 * double(k));
        case 102: return drilling ? 0.0f : 1.5f;
        case 103: return drilling ? float(25.0 - 0.02 * double(phase)) : float(7.0 + 0.05 * double(phase - 900));
        case 122: return float(drilling ? 3 : phase < 1020 ? 4 : 5);
        case 1200: return drilling ? float(60.0 + 5.0 * std::sin(double(k) / 30.0)) : 0.0f;
        case 1303: return k % 50 == 49 ? std::nanf("") : float(120 + k % 7);
        default: return float(gid + 0.001 * double(k % 100000));
    }
}

TDateTime TAcqSim::RecordTime(const QString& shortID, int64_t k) const {
    std::lock_guard g(FLock);
    const TAcqSimStream* s = FindStream(shortID);
    return s ? FConfig.Start + double(k * s->PeriodMs) / kMSecsPerDay : std::nan("");
}

int64_t TAcqSim::RecordIndex(const QString& shortID, TDateTime time) const {
    std::lock_guard g(FLock);
    const TAcqSimStream* s = FindStream(shortID);
    if (!s || !std::isfinite(time)) return -1;
    const int64_t k = std::llround((time - FConfig.Start) * kMSecsPerDay / s->PeriodMs);
    if (k < 0) return -1;
    const TDateTime t = FConfig.Start + double(k * s->PeriodMs) / kMSecsPerDay;
    return t == time ? k : -1;
}

void TAcqSim::SetClock(std::function<TDateTime()> clock) {
    std::lock_guard g(FLock);
    FClock = std::move(clock);
    FManual = false;
}

void TAcqSim::SetTime(TDateTime now) {
    std::lock_guard g(FLock);
    FManual = true;
    FManualTime = now;
}

TDateTime TAcqSim::Time() const {
    std::lock_guard g(FLock);
    return NowLocked();
}

void TAcqSim::SetVersion(const QString& version) {
    std::lock_guard g(FLock);
    FConfig.Version = version;
}

void TAcqSim::SetAccessCode(const QString& code) {
    std::lock_guard g(FLock);
    FConfig.AccessCode = code;
}

void TAcqSim::SetWells(const QStringList& lines) {
    std::lock_guard g(FLock);
    FConfig.Wells = lines;
}

void TAcqSim::SetValueSource(TAcqSimValueSource source) {
    std::lock_guard g(FLock);
    FReplyCache.clear();  // the kept replies were made of the old settings
    FValueSource = std::move(source);
}

void TAcqSim::SetCompression(char16_t compression) {
    std::lock_guard g(FLock);
    FReplyCache.clear();  // the kept replies were made of the old settings
    FConfig.Compression = compression;
}

void TAcqSim::AddStream(const TAcqSimStream& stream) {
    std::lock_guard g(FLock);
    FReplyCache.clear();  // the kept replies were made of the old settings
    FConfig.Streams.push_back(stream);
}

void TAcqSim::SetStructure(const QString& shortID, const TGIDArray& structure) {
    std::lock_guard g(FLock);
    FReplyCache.clear();  // the kept replies were made of the old settings
    for (auto& s : FConfig.Streams)
        if (s.ShortID() == shortID) s.Structure = structure;
}

void TAcqSim::RefuseConnections(int count) {
    std::lock_guard g(FLock);
    FRefuse = count;
}

void TAcqSim::DropConnections() {
    std::lock_guard g(FLock);
    for (auto& c : FOpen) {
        const int fd = c->Fd;
        if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
    }
}

void TAcqSim::Script(const TAcqSimAction& action) {
    std::lock_guard g(FLock);
    FActions.push_back(action);
}

int TAcqSim::PendingActions() const {
    std::lock_guard g(FLock);
    return int(FActions.size());
}

QString TAcqSim::SelectedWells() const {
    std::lock_guard g(FLock);
    return FSelectedWells;
}

QList<TAcqSimRequest> TAcqSim::Requests() const {
    std::lock_guard g(FLock);
    return FRequests;
}

QStringList TAcqSim::RequestTexts(int connection) const {
    std::lock_guard g(FLock);
    QStringList out;
    for (const auto& r : FRequests)
        if (connection == 0 || r.Connection == connection) out.append(r.Text());
    return out;
}

QList<TAcqSimRequest> TAcqSim::TakeRequests() {
    std::lock_guard g(FLock);
    return std::exchange(FRequests, {});
}

void TAcqSim::ClearRequests() {
    std::lock_guard g(FLock);
    FRequests.clear();
}

int TAcqSim::Connections() const {
    std::lock_guard g(FLock);
    return FConnectionCount;
}

int TAcqSim::OpenConnections() const {
    std::lock_guard g(FLock);
    return int(FOpen.size());
}
