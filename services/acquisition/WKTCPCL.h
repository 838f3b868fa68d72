#pragma once
// The acquisition client as the service uses it: server stream IDs become
// local stream IDs through the wells list, every wells text goes to the wells
// list, and the server's time streams other than "Time1s" are not polled.
#include "CriticalSection.h"
#include "WK2TCPClient.h"
#include "WKServices.h"

#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QWidget;
class TWells;
class TfmTCPCLSetup;

class TWK2TCPServClient : public TWK2TCPClient {
public:
    // The wells list is the program's Wells() unless one is given.
    explicit TWK2TCPServClient(TWK2TCPClientTimeouts Timeouts = {}, TWells* WellsList = nullptr);
    ~TWK2TCPServClient() override;

    // Atomic read-and-reset of the structure counter: true when the stream set
    // or a structure changed since the last call.
    bool TakeStructureChanged() { return FStructureChanged.exchange(0) != 0; }
    int StructureChangeCount() const { return FStructureChanged; }

protected:
    void DoUpdateStreams() override;
    void DoUpdateWells(const QString& Text) override;
    QString TransformStreamID(const QString& ServerID) override;
    void PrepareNewStream(TWKTCPStream& Stream) override;
    bool PolledStream(const QString& ShortID) const override;

private:
    TWells& FWells;
    std::atomic<int> FStructureChanged{0};
};

// What a drain keeps between calls, so that a warmed-up drain allocates
// nothing: the runs taken, and for each stream structure the arrays its
// values go to, looked up once.
struct TDrainBuffers {
    struct TColumnMap {
        const TSensorDataStream* Stream = nullptr;
        uint64_t Layout = 0;
        TGIDArray GIDs;
        TSensorDataArray* Time = nullptr;
        std::vector<TSensorDataArray*> Arrays;  // one per GID; null: no array takes it
    };
    std::vector<TRecordRun> Runs;
    std::vector<TColumnMap> Maps;
};

// The service through which live data from an acquisition server enter the
// streams: it owns the client, creates a stream in the group's list for every
// server stream, moves at most 1025 queued records a tick into them, keeps the
// server informed of the active wells and announces a proxy's new wells.
// Settings live in the registry section TCPClient. Works in the secondary
// group only (it takes its stream list from the sender of sePoll).
class TWKTCPClientService : public TWKService {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TWKTCPClientService(QObject* Owner = nullptr);
    ~TWKTCPClientService() override;

    void Notify(TServiceEvent Event, void* Sender) override;

    // Streams for the client's active server streams: missing ones are created,
    // existing ones re-sized and given arrays for sensors the server added.
    void CreateStreams(TWKStreamList& List);
    // Moves at most MaxRecordsPerTick queued records into List's streams.
    void Poll(TWKStreamList& List);
    // Hands the core's active wells to the client.
    void RequestWells();
    // Atomic read-and-reset of the client's structure counter.
    bool StructureChanged() { return FTCPClient->TakeStructureChanged(); }

    int GetBufferHours();
    // Stores and writes the hours; a change re-creates the streams (new capacities).
    void SetBufferHours(int Hours);
    int GetFetchHours();
    void SetFetchHours(int Hours);
    const QString& AccessCode() const { return FAccessCode; }

    TWK2TCPServClient& Client() { return *FTCPClient; }

    // The settings command: the form filled from the client and the settings,
    // shown modally through the UI services; OK applies and stores them.
    void OnSetupClick();

    static constexpr int MaxRecordsPerTick = 1025;
    static constexpr int DefaultBufferHours = 24;
    static constexpr int DefaultFetchHours = 1;

    // Tells the user, through a hint with the server's address, when the
    // client loses its server (or never reaches it) and when it has it again;
    // at a loss the records of List become stale. Runs on every tick.
    void WatchConnection(TWKStreamList& List);

private:
    void AddMenuItems();

    enum class TServerLink { Unknown, Connected, Lost };
    TServerLink FServerLink = TServerLink::Unknown;
    QString FAccessCode;
    int FBufferHours = 0;
    int FFetchHours = -1;
    std::unique_ptr<TWK2TCPServClient> FTCPClient;
    TDrainBuffers FDrainBuffers;
    TCriticalSection FCSBuffer;
    QPointer<QAction> FMenuItem;
};

// The capacity of a created stream: for a date-time stream the buffer hours in
// seconds divided by the period in whole seconds (halves to even); a period
// below that counts in milliseconds (one second when zero or missing); else 15000.
int StreamBufferCapacity(int BufferHours, double PeriodMs, bool IsDateTime);

// Takes at most MaxRecords queued records of Client into the streams of List:
// a new record in the record's stream, its time in the array of GID 0, each
// value in its sensor's array (NaN as an error sample). Records of streams
// missing from List are dropped. Returns the number taken. The records are
// taken under one lock and written run by run (the records of one reply in a
// row), column by column.
int DrainRecords(TWK2TClientBase& Client, TWKStreamList& List, int MaxRecords);
int DrainRecords(TWK2TClientBase& Client, TWKStreamList& List, int MaxRecords, TDrainBuffers& Buffers);
