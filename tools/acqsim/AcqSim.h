#pragma once
// Acquisition server simulator: speaks the acquisition protocol on 127.0.0.1.
// Wells, streams with structures, records generated on a clock, replies in
// every compression, scripted pushes and injected faults, and a log of the
// requests it received. Tests start it on an ephemeral port; the acqsim
// program runs it for manual work and the demo.
#include "WK2TCPProtocol.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

// One stream the simulator offers.
struct TAcqSimStream {
    QString Name;         // "Time1s", "Depth" ...
    QString WellShortID;  // the well's short ID; empty for a stream of no well
    TGIDArray Structure;  // value columns of the records
    int PeriodMs = 1000;  // record k has the time Start + k * PeriodMs
    QString ShortID() const { return WellShortID.isEmpty() ? Name : Name + QLatin1Char('.') + WellShortID; }
};

struct TAcqSimConfig {
    QString Version = QStringLiteral("Acquisition server simulator 1.0");
    QString AccessCode;  // when set, every request but V gets an error reply until an A with this code
    QStringList Wells;   // wells text lines (comma text of WELL, FIELD, PAD, OILFIELD, SHORTID, WELLID)
    std::vector<TAcqSimStream> Streams;
    char16_t Compression = kWK2TNoCompression;
    TDateTime Start = 0;  // time of record 0 of every stream
};

// Where record values come from: the value of sensor gid in record k of the
// stream shortID. Called with the simulator's lock held: it must not call back
// into the simulator.
using TAcqSimValueSource = std::function<float(const QString& shortID, uint16_t gid, int64_t k)>;

// Two wells (short IDs 5 and 7), a one-second time stream, a depth stream and
// a five-second time stream for the first well.
TAcqSimConfig AcqSimDefaultConfig(TDateTime start);
// Every stream makes this many records a second (1 to 1000).
void AcqSimSetRate(TAcqSimConfig& config, int recordsPerSecond);
// Every stream has this many sensors (1 to 4096): its own first ones, then GIDs from 2000 on.
void AcqSimSetSensorCount(TAcqSimConfig& config, int count);

// A scripted event: applies once, to the next reply to Command (for `D` and
// `S` optionally only for the stream ShortID).
struct TAcqSimAction {
    enum TKind {
        // Replies pushed in place of the reply the request asked for.
        PushStructure,    // new structure (also becomes the stream's structure)
        PushWells,        // the wells text (Text replaces the wells when not empty)
        PushError,        // error reply with Number and Text
        PushUnknownCode,  // a reply with the code 'X'
        // Faults of the frame or the connection.
        Delay,          // the reply waits DelayMs, or until the client hangs up
        WrongCode,      // a reply with the acceptance code 'O'
        ShortLength,    // a frame length of 1
        HugeLength,     // a frame length of 2 GiB - 1
        TruncatedBody,  // half the body, then nothing more
        CloseMidFrame,  // half the body, then the connection closes
        ShortErrorBody, // an error reply without its number
        CorruptZlib,    // a data reply marked zlib whose payload does not inflate
        RLEOverflow,    // a data reply whose run-length data overflow the buffer
        // Records that the client must ignore, added after the reply's first record.
        Duplicate,          // the first record again
        WithinMillisecond,  // half a millisecond after the first record
        Earlier,            // one second before the first record
        NaNTime,            // a record with a NaN time
    };
    TAcqSimAction() = default;
    TAcqSimAction(TKind kind, QChar command = QLatin1Char('D'), QString shortID = {})
        : Kind(kind), Command(command), ShortID(std::move(shortID)) {}
    TAcqSimAction WithStructure(TGIDArray gids) const { auto a = *this; a.Structure = std::move(gids); return a; }
    TAcqSimAction WithText(QString text, uint16_t number = 1) const {
        auto a = *this;
        a.Text = std::move(text);
        a.Number = number;
        return a;
    }
    TAcqSimAction WithDelay(int ms) const { auto a = *this; a.DelayMs = ms; return a; }

    TKind Kind = Delay;
    QChar Command = QLatin1Char('D');
    QString ShortID;
    TGIDArray Structure;
    QString Text;
    uint16_t Number = 1;
    int DelayMs = 0;
};

struct TAcqSimRequest {
    int Connection = 0;  // 1 for the first accepted connection
    QChar Cmd;
    QString Args;
    QString Text() const { return QString(Cmd) + Args; }
};

class TAcqSim {
public:
    explicit TAcqSim(TAcqSimConfig config);
    ~TAcqSim();
    TAcqSim(const TAcqSim&) = delete;
    TAcqSim& operator=(const TAcqSim&) = delete;

    // Listens on 127.0.0.1:Port (0: an ephemeral port); raises Exception on failure.
    void Start(uint16_t port = 0);
    // Closes the listener and every connection.
    void Stop();
    uint16_t Port() const { return FPort; }

    // The clock that makes records available: record k of a stream exists once
    // its time is at or before the clock. Without a clock of its own the
    // simulator uses the system time.
    void SetClock(std::function<TDateTime()> clock);
    // Shorthand for tests: a manual clock set to the given time.
    void SetTime(TDateTime now);
    TDateTime Time() const;

    // The record time of record K of a stream, and the record number of a time
    // (-1 when the time is no record time of that stream).
    TDateTime RecordTime(const QString& shortID, int64_t k) const;
    int64_t RecordIndex(const QString& shortID, TDateTime time) const;
    // The value of sensor GID in record K (the same for every stream).
    static float Value(uint16_t gid, int64_t k);

    // Values of this instance from now on; an empty source restores the built-in ones.
    void SetValueSource(TAcqSimValueSource source);

    void SetVersion(const QString& version);
    void SetAccessCode(const QString& code);
    void SetWells(const QStringList& lines);
    void SetCompression(char16_t compression);
    void AddStream(const TAcqSimStream& stream);
    void SetStructure(const QString& shortID, const TGIDArray& structure);
    // Connections are accepted and closed at once this many times.
    void RefuseConnections(int count);
    // Closes every open connection (the listener stays).
    void DropConnections();

    // Data replies are kept (at most MaxReplies; 0 keeps none) and served
    // again whenever the same records of a stream are asked for, so that a
    // client measured against the simulator does not wait for its compression.
    void SetReplyCache(size_t MaxReplies);
    // Data replies served from the cache, and data replies made, so far.
    uint64_t CachedReplies() const;
    uint64_t MadeReplies() const;

    void Script(const TAcqSimAction& action);
    int PendingActions() const;

    // The comma list of the last `W` with an argument.
    QString SelectedWells() const;
    // The last requests received (at most 10,000).
    QList<TAcqSimRequest> Requests() const;
    QStringList RequestTexts(int connection = 0) const;  // 0: every connection
    void ClearRequests();
    // The logged requests, taking them out of the log.
    QList<TAcqSimRequest> TakeRequests();
    int Connections() const;
    int OpenConnections() const;
    // Threads serving connections not yet joined (those that ended are joined
    // when the next connection comes).
    int ServeThreads() const;

private:
    struct TConnection;
    struct TServeThread {
        std::shared_ptr<TConnection> Conn;
        std::jthread Thread;
    };
    void AcceptLoop(std::stop_token stop);
    void JoinFinishedThreads();
    void Serve(std::stop_token stop, std::shared_ptr<TConnection> conn);
    void Answer(TConnection& conn, QChar cmd, const QString& args, std::stop_token& stop);
    QByteArray DataReply(const QString& args, const TAcqSimAction* anomaly);
    std::optional<TAcqSimAction> TakeAction(QChar cmd, const QString& shortID);
    const TAcqSimStream* FindStream(const QString& shortID) const;
    bool Offered(const TAcqSimStream& s) const;
    TDateTime NowLocked() const;

    mutable std::mutex FLock;
    TAcqSimConfig FConfig;
    std::function<TDateTime()> FClock;
    TAcqSimValueSource FValueSource;
    TDateTime FManualTime = 0;
    bool FManual = false;
    QString FSelectedWells;
    std::list<TAcqSimAction> FActions;
    QList<TAcqSimRequest> FRequests;
    int FRefuse = 0;
    int FConnectionCount = 0;
    std::vector<std::shared_ptr<TConnection>> FOpen;
    struct TReplyKey {
        QString ShortID;
        int64_t First = 0;
        int64_t Count = 0;
        bool operator<(const TReplyKey& o) const {
            return std::tie(ShortID, First, Count) < std::tie(o.ShortID, o.First, o.Count);
        }
    };
    std::map<TReplyKey, QByteArray> FReplyCache;
    size_t FReplyCacheMax = 0;
    uint64_t FCachedReplies = 0;
    uint64_t FMadeReplies = 0;

    int FListenFd = -1;
    uint16_t FPort = 0;
    std::jthread FAcceptThread;
    mutable std::mutex FThreadsLock;
    std::vector<TServeThread> FConnThreads;
};
