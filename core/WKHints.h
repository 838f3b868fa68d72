#pragma once
// The suite's list of hints: short notices that services and windows raise and
// the hint panels show. Any thread may change the list; every change queues a
// "hints changed" broadcast (window message 1334) to the main thread.
#include "CriticalSection.h"
#include "Formatting.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#pragma GCC visibility push(default)

enum TWKHintClass { hcInformation, hcWarning, hcError };

// Called with a nil sender when the user activates the hint.
using TWKHintEvent = std::function<void(QObject* Sender)>;

struct TWKHint {
    TWKHintClass HintClass = hcInformation;
    TDateTime DateTime = 0;  // stamped when added
    TWKHintEvent Event;
    QString Caption;
    QString Message;
};

class TWKHintList {
public:
    // Runs in the main thread once per change; the host hands message 1334 to
    // the main form's windowed controls from it.
    using TBroadcaster = std::function<void()>;

    TWKHintList() = default;
    TWKHintList(const TWKHintList&) = delete;
    TWKHintList& operator=(const TWKHintList&) = delete;

    // Stamps the current time, appends the hint and returns the stored record.
    TWKHint AddHint(TWKHintClass HintClass, const QString& Caption, const QString& Message,
                    TWKHintEvent Event = {});
    // Calls the hint's event outside the lock (it may change the list);
    // nothing for an invalid index or a hint without event.
    void CallEvent(int Index);
    void ClearHints();
    // Raises for an index out of range.
    void Delete(int Index);
    int GetCount() const;
    // A copy of the hint; raises for an index out of range.
    TWKHint GetHint(int Index) const;

    // For readers that walk several hints; re-entrant, innermost of all locks.
    void Lock() const { FCSHint.Enter(); }
    void Unlock() const { FCSHint.Leave(); }

    void SetBroadcaster(TBroadcaster Broadcaster);

private:
    // Queues one broadcast for each of `changes` changed hints; called outside the lock.
    void Changed(int changes);

    mutable TCriticalSection FCSHint;
    std::vector<TWKHint> FItems;
    TBroadcaster FBroadcaster;
};

// The global hints list.
TWKHintList& Hints();

// Adds through the global list.
TWKHint AddHint(TWKHintClass HintClass, const QString& Caption, const QString& Message, TWKHintEvent Event = {});

#pragma GCC visibility pop
