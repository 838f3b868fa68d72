#pragma once
// The transport-independent acquisition client: the server's streams as the
// client sees them, the queue of accepted records, the protocol commands and
// the decoding of replies. A transport supplies SendCommand and
// ReadBinaryResult.
//
// Locks: FCSLock guards the queue, the stream list and every field of its
// streams that other threads read, the settings and the texts; FCSEvents
// guards connecting and disconnecting. FCSLock is taken first when both are
// needed. No network I/O happens while FCSLock is held, and no call into the
// core's wells list either, so the main thread never waits on the network.
#include "CriticalSection.h"
#include "Formatting.h"
#include "WK2TCPProtocol.h"

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct TGIDValuePair {
    uint16_t GID;
    double Value;
};

// One accepted record: its stream, its time and a value per structure GID.
class TStreamDataItem {
public:
    QString StreamID;
    TDateTime Time = 0;
    std::vector<TGIDValuePair> Pairs;

    int Count() const { return int(Pairs.size()); }
    const TGIDValuePair& operator[](int i) const { return Pairs[size_t(i)]; }
    // The value of the first pair with that GID; NaN when there is none.
    double GetDataByGID(uint16_t GID) const;
};

// One stream of the server.
class TWKTCPStream {
public:
    bool Active = true;
    TGIDArray CurrentStructure;
    TDateTime LastTime = 0;
    bool StructureChanged = false;
    // The structure does not fit the replies or could not be taken: it is
    // asked for again before the next data request, and no data until then.
    bool StructureStale = false;
    // Replies of this stream in a row that failed the cycle (client thread
    // only); such streams are asked after the others.
    int Failures = 0;
    QString StreamID;  // the local stream ID
    QString ShortID;   // the server's short stream ID
};

class TWKTCPStreams {
public:
    // The first stream whose StreamID is exactly ID; null when none.
    TWKTCPStream* GetStreamByID(const QString& ID) const;
    int Count() const { return int(FItems.size()); }
    TWKTCPStream* operator[](int i) const { return FItems[size_t(i)].get(); }
    void Add(std::unique_ptr<TWKTCPStream> stream) { FItems.push_back(std::move(stream)); }

private:
    std::vector<std::unique_ptr<TWKTCPStream>> FItems;
};

struct TWKTCPStreamStructure {
    QString StreamID;
    TDateTime StreamTime = 0;
    TGIDArray Structure;
};
using TWKTCPStreamStructures = std::vector<TWKTCPStreamStructure>;

// Accepted records of one reply: one stream, one structure. The times and the
// values are kept column by column, so that a drain copies each sensor's
// values as one block. Filled by the decoder, read-only once queued.
class TRecordBlock {
public:
    TRecordBlock(QString StreamID, TGIDArray GIDs, size_t Rows);

    const QString& StreamID() const { return FStreamID; }
    const TGIDArray& GIDs() const { return FGIDs; }
    size_t Count() const { return FCount; }
    const double* Times() const { return FData.get(); }
    // The values of the k-th GID of the structure, one per record.
    const double* Column(size_t k) const { return FData.get() + (k + 1) * FRows; }
    // Memory the block takes, about.
    size_t Bytes() const { return Bytes(size_t(FStreamID.size()), FGIDs.size(), FRows); }
    static size_t Bytes(size_t IDLength, size_t Width, size_t Rows) {
        return sizeof(TRecordBlock) + IDLength * 2 + Width * sizeof(uint16_t) + Rows * RowBytes(Width);
    }
    static constexpr size_t RowBytes(size_t Width) { return sizeof(double) * (Width + 1); }

    // Decoder side: record Count() gets time and values (one per GID).
    double* NextRow(TDateTime Time) {
        FData[FCount] = Time;
        return FData.get() + FRows + FCount;
    }
    size_t Stride() const { return FRows; }
    void CommitRow() { ++FCount; }

private:
    QString FStreamID;
    TGIDArray FGIDs;
    size_t FRows = 0;
    size_t FCount = 0;
    std::unique_ptr<double[]> FData;  // times, then one column per GID, FRows each
};

// A part of a queued block taken by the consumer: records First to First + Count - 1.
struct TRecordRun {
    std::shared_ptr<const TRecordBlock> Block;
    size_t First = 0;
    size_t Count = 0;
};

// First-in first-out queue of accepted records, held as the blocks the
// decoder made. Not locked itself.
class TWKTCPDataQueue {
public:
    void Push(std::shared_ptr<const TRecordBlock> Block);
    // The oldest record as an item; an emptied queue gives its memory back.
    bool Pop(TStreamDataItem& Item);
    // The oldest records, at most Max, appended to Runs as parts of blocks.
    size_t Take(std::vector<TRecordRun>& Runs, size_t Max);
    size_t Count() const { return FCount; }
    // Memory the queued blocks take, about.
    size_t Bytes() const { return FBytes; }

private:
    struct TEntry {
        std::shared_ptr<const TRecordBlock> Block;
        size_t First = 0;
    };
    void Consumed(size_t Records);
    std::deque<TEntry> FBlocks;
    size_t FCount = 0;
    size_t FBytes = 0;
};

// What the client takes from a server at most.
constexpr int kWK2TMaxStreams = 256;          // streams in one stream list
constexpr size_t kWK2TMaxStreamGIDs = 4096;   // sensors in one stream structure

// A failure on its way up to the client thread: the message as the state text
// shows it, and where it happened. The thread logs it once.
class EWK2TFailure : public Exception {
public:
    EWK2TFailure(const QString& Where, const std::exception& Inner);
    const QString& Where() const { return FWhere; }

private:
    QString FWhere;
};

using TWellChangeEvent = std::function<void(const QString& wellsText)>;

class TWK2TClientBase {
public:
    TWK2TClientBase();
    virtual ~TWK2TClientBase();
    TWK2TClientBase(const TWK2TClientBase&) = delete;
    TWK2TClientBase& operator=(const TWK2TClientBase&) = delete;

    // ---- The thread-safe interface of the service ----

    // The oldest queued record; false when the queue is empty.
    bool GetSensorsData(TStreamDataItem& Item);
    // The oldest queued records, at most Max, in Items (its old content
    // replaced), under one lock; returns how many.
    size_t GetSensorsData(std::vector<TStreamDataItem>& Items, size_t Max);
    // The same records as runs of the decoded blocks (Runs' old content
    // replaced), under one lock and without copying a value; returns how many.
    size_t GetSensorsData(std::vector<TRecordRun>& Runs, size_t Max);
    // The number of records waiting.
    size_t QueuedRecords() const;
    // The active streams (only those with StructureChanged set when OnlyChanged).
    TWKTCPStreamStructures GetStreams(bool OnlyChanged) const;
    QString GetWells() const;
    QString GetVersion() const;
    bool ProxyConnection() const;
    // Hands in the comma list of active well IDs; sent in the next cycle.
    virtual void SetWells(const QString& WellIDs);
    void SetFetchSize(int Hours);
    int GetFetchSize() const;
    int GetPollPeriod() const;
    void SetPollPeriod(int Ms);
    // While this many records, or records taking this many bytes, wait, the
    // poll asks for no more data, and records of a reply beyond the bound are
    // not accepted. Nothing is lost: a stream's last time advances only when a
    // record is accepted, and the next query asks again from there.
    void SetMaxQueuedRecords(size_t Count);
    void SetMaxQueuedBytes(size_t Bytes);
    size_t QueuedBytes() const;
    // Records refused so far: a time that is no valid date-time, far ahead of
    // the clock, or not after the stream's last time.
    uint64_t RefusedRecords() const;
    // The clock that record times are checked against (tests set their own).
    void SetClock(std::function<TDateTime()> Clock);
    // The streams taken first when the server lists more than the client
    // keeps: local stream IDs, or their names before the first point.
    void SetWantedStreams(const QStringList& IDs);
    // What is wrong with a stream's replies or structure ("поток ...: ..."),
    // empty while every stream decodes.
    QString GetStreamProblem() const;

    std::function<void()> OnDataAccept;
    TWellChangeEvent OnWellChanged;

    // ---- Protocol steps (client thread) ----

    // Sends Cmd + Args and returns the reply body; the reply code must be
    // Expected (the command letter itself when Expected is null).
    virtual QByteArray Exchange(QChar Cmd, const QString& Args = {}, QChar Expected = QChar());
    void UpdateVersion();
    void Authentification();
    void QueryWells();
    bool RequestActiveWells(bool Force);
    void UpdateStreams(bool Force);
    void Poll();
    // Decodes a data body for Stream and queues the accepted records; false
    // when the records are not of the stream's structure (nothing is taken
    // and the structure is asked for again).
    bool DecodeStreamData(TWKTCPStream& Stream, const QByteArray& Body);
    // Takes a structure body as the stream's structure; true when it changed.
    bool DecodeStructure(TWKTCPStream& Stream, const QByteArray& Body);
    // The stream list; read without the lock only on the client thread.
    const TWKTCPStreams& Streams() const { return FStreams; }

protected:
    virtual void DoAcceptData();
    virtual void DoUpdateStreams() {}
    virtual void DoUpdateWells(const QString& Text);
    // The local stream ID of a server stream; empty: ignore the stream.
    virtual QString TransformStreamID(const QString& ServerID) { return ServerID; }
    // A new stream before it joins the list (and other threads see it).
    virtual void PrepareNewStream(TWKTCPStream&) {}
    // False for a server stream the client lists but never polls; such
    // streams come last when the list is longer than the client keeps.
    virtual bool PolledStream(const QString& /*ShortID*/) const { return true; }
    virtual void QueryStreamData(const TWKTCPStream& Stream);
    virtual QByteArray ReadBinaryResult() = 0;
    virtual void SendCommand(QChar Cmd, const QString& Args) = 0;
    // Reads and dispatches the reply to one stream's poll request; false when
    // a data reply did not fit the stream.
    bool ReadRequestResult(TWKTCPStream& Stream);
    // True when the server sent bytes nobody asked for (read between cycles).
    virtual bool HasPendingInput() { return false; }
    void SetWellInfo(const QString& Text);
    // Records the problem of a stream and logs it when it is new; records
    // of the stream that fit clear it.
    void SetStreamProblem(const QString& StreamID, const QString& Problem);
    // Milliseconds of the monotonic clock the client measures waits with.
    int64_t Ticks() const { return FTicks(); }

    mutable TCriticalSection FCSLock;
    mutable TCriticalSection FCSEvents;
    int FPollPeriod = 200;
    int FFetchSize = 1;
    int FMaxRecords = 3600;
    QString FVersion;
    bool FProxyConnection = false;
    QString FAccessCode;
    QString FWellsRequest;
    bool FWellsRequestRequired = false;
    QString FWellsInfo;
    TWKTCPStreams FStreams;
    TWKTCPDataQueue FQueue;
    size_t FMaxQueuedRecords = 262144;
    size_t FMaxQueuedBytes = 64 * 1024 * 1024;
    uint64_t FRefusedRecords = 0;
    bool FQueueFull = false;  // a reply was cut at the bound: wait until half drained
    std::function<TDateTime()> FClock;
    // Set before the thread starts, read-only afterwards.
    std::function<int64_t()> FTicks;
    QStringList FWantedStreams;
    QString FStreamProblem;
    QString FProblemStreamID;
    int64_t FDataSince = 0;  // Ticks() of the last accepted record, or of the connection when later

private:
    TWK2TDecodeBuffers FBuffers;
};

// True when the VERBOSE switch was given: exchange lines are written too.
bool WK2TVerbose();
