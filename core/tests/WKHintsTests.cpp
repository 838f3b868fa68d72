#include "Exceptions.h"
#include "Formatting.h"
#include "MainThread.h"
#include "TestSupport.h"
#include "WKHints.h"

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <future>
#include <thread>

namespace {

// Counts the broadcasts that reached the main thread.
struct TBroadcastProbe {
    std::atomic<int> Calls{0};
    std::atomic<int> OffMainThread{0};
    TWKHintList::TBroadcaster Hook() {
        return [this] {
            if (!IsMainThread()) ++OffMainThread;
            ++Calls;
        };
    }
};

void DrainEvents() {
    for (int k = 0; k < 20; ++k) QCoreApplication::processEvents();
}

TEST(WKHints, HintsKeepTheirOrderAndFields) {
    TWKHintList list;
    const TDateTime before = Now();
    const TWKHint first = list.AddHint(hcWarning, "Caption 1", "Message 1");
    list.AddHint(hcError, "Caption 2", "Message 2");
    list.AddHint(hcInformation, "Caption 3", "Message 3");
    EXPECT_EQ(first.HintClass, hcWarning);
    EXPECT_EQ(first.Caption, "Caption 1");
    EXPECT_GE(first.DateTime, before);
    EXPECT_LE(first.DateTime, Now());
    ASSERT_EQ(list.GetCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.GetHint(i).Message, QString("Message %1").arg(i + 1));
    EXPECT_EQ(list.GetHint(1).HintClass, hcError);
    list.Delete(0);
    EXPECT_EQ(list.GetHint(0).Caption, "Caption 2");
    EXPECT_THROW(list.Delete(2), Exception);
    EXPECT_THROW(list.GetHint(-1), Exception);
    list.ClearHints();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(WKHints, EventRunsOutsideTheLockAndMayChangeTheList) {
    TWKHintList list;
    QObject* sender = reinterpret_cast<QObject*>(1);
    int seenCount = -1;
    list.AddHint(hcInformation, "c", "m", [&](QObject* s) {
        sender = s;
        // Another thread can take the lock while the event runs.
        seenCount = std::async(std::launch::async, [&] { return list.GetCount(); }).get();
        list.Delete(0);
    });
    list.AddHint(hcInformation, "no event", "m");
    list.CallEvent(5);  // past the end: nothing
    list.CallEvent(-1);
    list.CallEvent(1);  // no event assigned
    EXPECT_EQ(list.GetCount(), 2);
    list.CallEvent(0);
    EXPECT_EQ(sender, nullptr);
    EXPECT_EQ(seenCount, 2);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHint(0).Caption, "no event");
}

TEST(WKHints, LockKeepsWritersOutWhileAReaderWalks) {
    TWKHintList list;
    list.AddHint(hcInformation, "a", "m");
    list.Lock();
    std::promise<void> started;
    std::thread writer([&] {
        started.set_value();
        list.AddHint(hcInformation, "b", "m");
    });
    started.get_future().wait();
    // The reader still sees one hint, however long the writer has been waiting.
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHint(0).Caption, "a");
    list.Unlock();
    writer.join();
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(WKHints, EveryChangeQueuesOneBroadcastToTheMainThread) {
    TWKHintList list;
    TBroadcastProbe probe;
    list.AddHint(hcInformation, "before the hook", "m");  // nothing to broadcast to
    list.SetBroadcaster(probe.Hook());

    std::thread worker([&] { list.AddHint(hcWarning, "from a worker", "m"); });
    worker.join();
    EXPECT_EQ(probe.Calls, 0);  // queued, not sent
    ASSERT_TRUE(ProcessEventsUntil([&] { return probe.Calls == 1; }));
    DrainEvents();
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_EQ(probe.OffMainThread, 0);

    // Changes made on the main thread are queued as well: two hints in a row
    // queue two broadcasts, a delete one, a clear one per removed hint.
    list.AddHint(hcError, "x", "m");
    list.AddHint(hcError, "y", "m");
    list.Delete(0);
    EXPECT_EQ(probe.Calls, 1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return probe.Calls == 4; }));
    list.ClearHints();
    list.ClearHints();  // nothing left: nothing changed
    ASSERT_TRUE(ProcessEventsUntil([&] { return probe.Calls == 7; }));
    DrainEvents();
    EXPECT_EQ(probe.Calls, 7);
    EXPECT_EQ(probe.OffMainThread, 0);
}

TEST(WKHints, GlobalListAddsThroughHints) {
    const int before = Hints().GetCount();
    const TWKHint h = AddHint(hcError, "global", "text");
    ASSERT_EQ(Hints().GetCount(), before + 1);
    EXPECT_EQ(Hints().GetHint(before).Caption, "global");
    EXPECT_EQ(h.Message, "text");
    Hints().Delete(before);
}

}  // namespace
