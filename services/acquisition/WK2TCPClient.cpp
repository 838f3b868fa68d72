#include "WK2TCPClient.h"

#include "WKConsts.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
QString SystemError(int code) { return QString::fromLocal8Bit(strerror(code)); }

// A failure of the socket itself: its message is the system's text.
class ESocketError : public Exception {
public:
    explicit ESocketError(int code) : Exception(SystemError(code)) {}
};

// The client is being stopped: a blocking wait was cut short.
class EWK2TStopped : public Exception {
public:
    EWK2TStopped() : Exception(QStringLiteral("TCP: клиент остановлен")) {}
};

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return int(std::max<int64_t>(0, left.count()));
}
}  // namespace

TWK2TCPClient::TWK2TCPClient(TWK2TCPClientTimeouts Timeouts)
    : FTimeouts(Timeouts), FWakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (FWakeFd < 0) throw ESocketError(errno);
    if (FTimeouts.Clock) FTicks = FTimeouts.Clock;
    FLastException = QStringLiteral("соединение устанавливается");
}

void TWK2TCPClient::Start() {
    if (FThread.joinable()) return;
    FThread = std::jthread([this](std::stop_token st) { Execute(st); });
}

TWK2TCPClient::~TWK2TCPClient() {
    StopThread();
    Disconnect();
    ::close(FWakeFd);
}

void TWK2TCPClient::StopThread() {
    if (!FThread.joinable()) return;
    FThread.request_stop();
    FPauseCV.notify_all();
    // Wakes a wait for the network at once.
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(FWakeFd, &one, sizeof one);
    FThread.join();
}

int TWK2TCPClient::WaitSocket(short Events, int Ms) {
    pollfd p[2] = {{FSocket, Events, 0}, {FWakeFd, POLLIN, 0}};
    int n;
    do {
        n = ::poll(p, 2, Ms);
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw ESocketError(errno);
    if (p[1].revents) throw EWK2TStopped();
    return n;
}

bool TWK2TCPClient::HasPendingInput() {
    if (FSocket < 0) return false;
    if (FInputPos < FInput.size()) return true;
    return WaitSocket(POLLIN, 0) > 0;
}

void TWK2TCPClient::SetHostPortAccess(const QString& Host, int Port, const QString& AccessCode) {
    bool changed;
    {
        TCriticalSectionGuard g(FCSLock);
        changed = Host != FHost || Port != FPort || AccessCode != FAccessCode;
        if (changed) FForceDisconnect = true;
        FHost = Host;
        FPort = Port;
        FAccessCode = AccessCode;
    }
    if (!changed) return;
    // New settings end a pause after failures at once.
    {
        std::lock_guard lk(FPauseLock);
        FWakeUp = true;
    }
    FPauseCV.notify_all();
}

QString TWK2TCPClient::GetHost() const {
    TCriticalSectionGuard g(FCSLock);
    return FHost;
}

int TWK2TCPClient::GetPort() const {
    TCriticalSectionGuard g(FCSLock);
    return FPort;
}

QString TWK2TCPClient::GetAccessCode() const {
    TCriticalSectionGuard g(FCSLock);
    return FAccessCode;
}

QString TWK2TCPClient::GetState() const {
    TCriticalSectionGuard g(FCSLock);
    if (!FLastException.isEmpty()) return QStringLiteral("Соединение не установлено: ") + FLastException;
    // A connection that brings no records is not called working.
    QString state = QStringLiteral("Соединение установлено");
    const int64_t silent = Ticks() - FDataSince;
    if (FTimeouts.NoDataPolls > 0 && silent > int64_t(FTimeouts.NoDataPolls) * std::max(FPollPeriod, 1))
        state = QStringLiteral("Данные не поступают %1 с").arg(silent / 1000);
    if (!FStreamProblem.isEmpty()) state += QStringLiteral("; ") + FStreamProblem;
    return state;
}

bool TWK2TCPClient::GetWellUpdate() { return FUpdateWellsEvent.exchange(false); }

void TWK2TCPClient::DoUpdateWells(const QString& Text) {
    DebugLog(QStringLiteral("TWK2TCPClient.DoUpdateWells ") + Text);
    if (ProxyConnection()) FUpdateWellsEvent = true;
}

// ---- Thread ----

void TWK2TCPClient::Pause(std::stop_token& Stop, int Ms) {
    std::unique_lock lk(FPauseLock);
    FPauseCV.wait_for(lk, Stop, std::chrono::milliseconds(Ms), [this] { return FWakeUp; });
    FWakeUp = false;
}

void TWK2TCPClient::Execute(std::stop_token Stop) {
    pthread_setname_np(pthread_self(), "TWK2TClientThrd");
    while (!Stop.stop_requested()) {
        try {
            if (CheckConnected()) {
                {
                    TCriticalSectionGuard g(FCSLock);
                    FLastException.clear();
                    FWellsRequestRequired = !FWellsRequest.isEmpty();
                    FDataSince = Ticks();
                }
                UpdateVersion();
                Authentification();
                QueryWells();
                RequestActiveWells(true);
                UpdateStreams(true);
            }
            if (FStreams.Count() == 0) {
                QueryWells();
                RequestActiveWells(true);
                UpdateStreams(true);
            } else {
                const bool sent = RequestActiveWells(false);
                UpdateStreams(sent);
                Poll();
            }
            ++FCycles;
            FFailedCycles = 0;
            Pause(Stop, GetPollPeriod() / 10 * 10);
        } catch (const EWK2TStopped&) {
            break;
        } catch (const std::exception& e) {
            const QString state = ExceptionMessage(e);
            {
                TCriticalSectionGuard g(FCSLock);
                FLastException = state;
            }
            // The one line of a failure, with where it happened.
            const auto* failure = dynamic_cast<const EWK2TFailure*>(&e);
            DebugLog(QStringLiteral("TWK2TClientThread.Execute exception: ") +
                     (failure ? failure->Where() + QStringLiteral(": ") : QString()) + state);
            Disconnect();
            ++FCycles;
            // Failures in a row wait longer each time, so that a server that
            // fails every exchange is not hammered with connections.
            const int doublings = std::min(FFailedCycles++, 20);
            Pause(Stop, int(std::min<int64_t>(int64_t(FTimeouts.RetryPauseMs) << doublings,
                                              std::max(FTimeouts.MaxRetryPauseMs, FTimeouts.RetryPauseMs))));
        }
    }
}

bool TWK2TCPClient::CheckConnected() {
    QString host;
    int port;
    {
        TCriticalSectionGuard g(FCSLock);
        if (FHost.isEmpty() || FPort == 0) return false;
        if (FForceDisconnect) {
            FForceDisconnect = false;
            FFailedCycles = 0;
            Disconnect();
        }
        host = FHost.trimmed().isEmpty() ? QStringLiteral("127.0.0.1") : FHost;
        port = FPort;
    }
    if (FSocket >= 0) return false;
    Connect(host, port);
    return true;
}

void TWK2TCPClient::Connect(const QString& Host, int Port) {
    TCriticalSectionGuard g(FCSEvents);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    const int rc = ::getaddrinfo(Host.toUtf8().constData(), QByteArray::number(Port).constData(), &hints, &res);
    if (rc != 0) throw Exception(QString::fromLocal8Bit(gai_strerror(rc)));
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> guard(res, &::freeaddrinfo);
    int lastError = ECONNREFUSED;
    for (addrinfo* ai = res; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int err = 0;
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                pollfd p[2] = {{fd, POLLOUT, 0}, {FWakeFd, POLLIN, 0}};
                int n;
                do {
                    n = ::poll(p, 2, FTimeouts.ConnectMs);
                } while (n < 0 && errno == EINTR);
                if (p[1].revents) {
                    ::close(fd);
                    throw EWK2TStopped();
                }
                if (n == 0) {
                    err = ETIMEDOUT;
                } else {
                    socklen_t len = sizeof err;
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
                }
            }
        }
        if (err == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            FSocket = fd;
            FInput.clear();
            FInputPos = 0;
            FConnected = true;
            return;
        }
        ::close(fd);
        lastError = err;
    }
    throw ESocketError(lastError);
}

void TWK2TCPClient::Disconnect() {
    TCriticalSectionGuard g(FCSEvents);
    if (FSocket >= 0) ::close(FSocket);
    FSocket = -1;
    FConnected = false;
    // What the server sent and was not read belongs to the dropped exchange.
    FInput.clear();
    FInputPos = 0;
}

void TWK2TCPClient::SendCommand(QChar Cmd, const QString& Args) {
    if (WK2TVerbose()) DebugLog(QStringLiteral("TWK2TCPClient.SendCommand ") + Cmd + QLatin1Char(' ') + Args);
    if (FSocket < 0) throw Exception(QStringLiteral("TIdTCPClient.SendCommand IOHandler is Nil"));
    const QByteArray line = EncodeRequest(Cmd, Args);
    const char* p = line.constData();
    size_t left = size_t(line.size());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FTimeouts.ReplyMs);
    while (left > 0) {
        const ssize_t n = ::send(FSocket, p, left, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            left -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitSocket(POLLOUT, RemainingMs(deadline)) == 0)
                throw Exception(QStringLiteral("TCP: время ожидания передачи истекло"));
            continue;
        }
        throw ESocketError(errno);
    }
}

void TWK2TCPClient::ReadFrameBytes(char* Dest, size_t Size, TFrameProgress& Frame) {
    // Two bounds: silence (no byte for ReplyMs), and the whole frame, which
    // gets ReplyMs and the time its bytes take at the least rate; a server
    // that trickles a byte now and then never holds the client longer.
    const int64_t rate = std::max(FTimeouts.MinReplyRate, 1);
    // Fails when a bound has passed; else the milliseconds to the nearer one.
    auto check = [&](int64_t now) -> int64_t {
        const int64_t silence = Frame.LastByte + FTimeouts.ReplyMs;
        const int64_t whole = Frame.Start + FTimeouts.ReplyMs + Frame.Received * 1000 / rate;
        if (now >= silence) throw Exception(QStringLiteral("TCP: время ожидания ответа истекло"));
        if (now > whole)
            throw Exception(QStringLiteral("TCP: ответ приходит слишком медленно (%1 байт за %2 мс)")
                                .arg(Frame.Received)
                                .arg(now - Frame.Start));
        return std::min(silence, whole + 1) - now;
    };
    while (Size > 0) {
        const qsizetype avail = FInput.size() - FInputPos;
        if (avail > 0) {
            const size_t n = std::min(Size, size_t(avail));
            std::memcpy(Dest, FInput.constData() + FInputPos, n);
            FInputPos += qsizetype(n);
            Dest += n;
            Size -= n;
            continue;
        }
        FInput.clear();
        FInputPos = 0;
        // Large bodies go straight to their destination; small reads are buffered.
        ssize_t n;
        if (Size >= 65536) {
            n = ::recv(FSocket, Dest, Size, 0);
            if (n > 0) {
                Dest += n;
                Size -= size_t(n);
            }
        } else {
            FInput.resize(65536);
            n = ::recv(FSocket, FInput.data(), size_t(FInput.size()), 0);
            FInput.resize(std::max<ssize_t>(n, 0));
        }
        if (n > 0) {
            const int64_t now = Ticks();
            Frame.LastByte = now;
            Frame.Received += n;
            check(now);
            continue;
        }
        if (n == 0) throw Exception(QStringLiteral("TCP: соединение закрыто сервером"));
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) throw ESocketError(errno);
        // Waits in short slices, so that a clock that jumps is seen.
        const int64_t left = check(Ticks());
        WaitSocket(POLLIN, int(std::clamp<int64_t>(left, 1, 50)));
    }
}

QByteArray TWK2TCPClient::ReadBinaryResult() {
    if (FSocket < 0) throw Exception(QStringLiteral("TIdTCPClient.ReadBinaryResult IOHandler is Nil"));
    TFrameProgress frame;
    frame.Start = frame.LastByte = Ticks();
    uint8_t header[4];
    ReadFrameBytes(reinterpret_cast<char*>(header), 4, frame);
    const int32_t len = DecodeFrameLength(header);
    QByteArray body(len, Qt::Uninitialized);
    ReadFrameBytes(body.data(), size_t(len), frame);
    if (WK2TVerbose())
        DebugLog(QStringLiteral("TWK2TCPClient.ReadBinaryResult: Answer Size = ") + QString::number(len) +
                 QStringLiteral(" Answer state = ") + QChar(ReplyCode(body)));
    return body;
}
