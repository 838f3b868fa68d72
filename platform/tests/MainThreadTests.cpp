#include "DebugOutput.h"
#include "Exceptions.h"
#include "MainThread.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(MainThreadHandOver, QueuedFailureIsLoggedAndLaterWorkStillRuns) {
    TDebugOutputCapture capture;
    std::atomic<int> ran{0};
    std::thread worker([&] {
        QueueToMainThread([] { throw Exception("queued work failed"); });
        QueueToMainThread([&] { ++ran; });
    });
    worker.join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return ran == 1; }));
    EXPECT_TRUE(capture.Contains("QueueToMainThread: queued work failed"));
}

TEST(MainThreadHandOver, WorkRunsInPostingOrder) {
    std::vector<int> order;
    std::thread worker([&] {
        for (int k = 0; k < 5; ++k) QueueToMainThread([&order, k] { order.push_back(k); });
    });
    worker.join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, std::vector<int>({0, 1, 2, 3, 4}));
}

}  // namespace
