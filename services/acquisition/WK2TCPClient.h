#pragma once
// The acquisition client over TCP: a blocking socket driven by the client's
// own thread, the connection state and the thread loop (connect, handshake,
// poll, reconnect after every failure).
#include "WK2TCPClientBase.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Time-outs and pauses of the client; tests shorten them and drive the clock.
struct TWK2TCPClientTimeouts {
    TWK2TCPClientTimeouts() = default;
    TWK2TCPClientTimeouts(int Reply, int Connect, int RetryPause)
        : ReplyMs(Reply), ConnectMs(Connect), RetryPauseMs(RetryPause) {}

    int ReplyMs = 5000;    // silence while a reply is awaited or arrives (no byte for this long)
    int ConnectMs = 3000;  // a connection attempt
    int RetryPauseMs = 50; // after a failed cycle; doubles with every further failed cycle
    int MaxRetryPauseMs = 4000;
    // A reply frame must arrive whole within ReplyMs plus its bytes at this
    // rate (bytes a second), however steadily it trickles.
    int MinReplyRate = 4096;
    // With no record accepted for this many poll periods the state says so.
    int NoDataPolls = 15;
    // Milliseconds of a monotonic clock for the reply time-outs and the state;
    // the steady clock when empty.
    std::function<int64_t()> Clock;
};

class TWK2TCPClient : public TWK2TClientBase {
public:
    // The thread starts with Start(), once the object is complete (the thread
    // calls the overrides of derived classes); it connects only after SetHostPortAccess.
    explicit TWK2TCPClient(TWK2TCPClientTimeouts Timeouts = {});
    ~TWK2TCPClient() override;

    // Starts the client's thread; a second call does nothing.
    void Start();

    // Stores the server and the access code; a change makes the thread
    // disconnect and connect again in its next cycle.
    void SetHostPortAccess(const QString& Host, int Port, const QString& AccessCode);
    QString GetHost() const;
    int GetPort() const;
    QString GetAccessCode() const;
    // "Соединение установлено", or "Соединение не установлено: " and the last failure.
    QString GetState() const;
    bool Connected() const { return FConnected; }
    // True once after each wells text a proxy sent.
    bool GetWellUpdate();
    // Cycles of the thread loop so far (tests wait on it).
    uint64_t Cycles() const { return FCycles; }

protected:
    void DoUpdateWells(const QString& Text) override;
    QByteArray ReadBinaryResult() override;
    void SendCommand(QChar Cmd, const QString& Args) override;
    bool HasPendingInput() override;
    // Stops the thread; a derived class whose hooks the thread calls stops it
    // in its own destructor.
    void StopThread();

private:
    class TWK2TClientThread;
    void Execute(std::stop_token Stop);
    bool CheckConnected();
    void Connect(const QString& Host, int Port);
    void Disconnect();
    void Pause(std::stop_token& Stop, int Ms);
    // Reads a reply frame's bytes; Frame keeps the frame's start and progress.
    struct TFrameProgress {
        int64_t Start = 0;
        int64_t LastByte = 0;
        int64_t Received = 0;
    };
    void ReadFrameBytes(char* Dest, size_t Size, TFrameProgress& Frame);
    // Waits up to Ms for events on the socket, or for a stop request, which
    // raises EWK2TStopped; the poll() result otherwise.
    int WaitSocket(short Events, int Ms);

    TWK2TCPClientTimeouts FTimeouts;
    QString FHost;
    int FPort = 0;
    bool FForceDisconnect = false;
    QString FLastException;
    std::atomic<bool> FUpdateWellsEvent{false};
    std::atomic<bool> FConnected{false};
    std::atomic<uint64_t> FCycles{0};
    int FFailedCycles = 0;  // failed cycles in a row (client thread)
    bool FWakeUp = false;   // under FPauseLock: settings changed, end the pause
    int FSocket = -1;
    QByteArray FInput;  // bytes received and not yet read
    qsizetype FInputPos = 0;
    int FWakeFd = -1;  // readable once the thread is asked to stop
    std::mutex FPauseLock;
    std::condition_variable_any FPauseCV;
    std::jthread FThread;
};
