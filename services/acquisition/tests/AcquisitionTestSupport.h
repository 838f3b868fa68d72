#pragma once
// Helpers of the acquisition tests.
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <ostream>
#include <thread>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }

// Waits for a condition that threads of the test bring about; the long limit
// only ends a test that would otherwise hang.
inline bool WaitFor(const std::function<bool()>& pred, int seconds = 60) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Moves every record queued in the client into got, by stream ID, in order.
template <class TClient, class TRecords>
void DrainByStream(TClient& client, TRecords& got) {
    typename TRecords::mapped_type::value_type item;
    while (client.GetSensorsData(item)) got[item.StreamID].push_back(std::move(item));
}
