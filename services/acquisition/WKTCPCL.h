#pragma once
// The acquisition client as the service uses it: server stream IDs become
// local stream IDs through the wells list, every wells text goes to the wells
// list, and the server's time streams other than "Time1s" are not polled.
#include "WK2TCPClient.h"

#include <atomic>

class TWells;

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

private:
    TWells& FWells;
    std::atomic<int> FStructureChanged{0};
};
