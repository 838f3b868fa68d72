// Appending records in blocks, as the acquisition drain does, against the
// same records appended one by one; windows large enough for the wider spare.
#include "WKDataStructures.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>

namespace {

void ExpectSameArrays(TSensorDataArray& block, TSensorDataArray& single, int step) {
    ASSERT_EQ(block.GetCount(), single.GetCount()) << "step " << step;
    ASSERT_LE(block.GetStart() + block.GetCount(), block.GetBufferSize());
    const double* p = block.GetDataPointer();
    for (int i = 0; i < single.GetCount(); ++i) {
        ASSERT_EQ(std::bit_cast<uint64_t>(block.GetValue(i)), std::bit_cast<uint64_t>(single.GetValue(i)))
            << "step " << step << " index " << i;
        ASSERT_EQ(std::bit_cast<uint64_t>(p[i]), std::bit_cast<uint64_t>(single.GetValue(i)));
        ASSERT_EQ(block.GetState(i), single.GetState(i)) << "step " << step << " index " << i;
    }
    ASSERT_EQ(std::bit_cast<uint64_t>(block.GetLastReal()), std::bit_cast<uint64_t>(single.GetLastReal()));
    // SetLast after a block writes the newest sample, as after single appends.
    ASSERT_EQ(block.GetLastIndex() - block.GetStart(), single.GetLastIndex() - single.GetStart());
}

TEST(SensorDataArray, BlockAppendMatchesOneByOne) {
    std::mt19937 rnd(7);
    for (int capacity : {0, 1, 5, 1500, 2048, 3000}) {
        SCOPED_TRACE(capacity);
        TSensorDataArray block(1, nullptr), single(1, nullptr);
        block.SetCapacity(capacity);
        single.SetCapacity(capacity);
        // Large windows keep their capacity as spare, small ones 1024 slots.
        EXPECT_EQ(block.GetBufferSize(), capacity + std::max(1024, capacity));
        int value = 0, compactions = 0;
        std::vector<double> values;
        for (int step = 0; step < 300; ++step) {
            const int n = std::uniform_int_distribution<int>(0, step % 10 == 0 ? 2 * capacity + 3 : 40)(rnd);
            values.resize(size_t(n));
            for (double& v : values) v = ++value % 13 == 0 ? std::nan("") : value;
            const bool nanIsError = step % 2 == 0;
            const int oldStart = block.GetStart();
            block.AddEmpty(n);
            block.SetLastValues(values.data(), n, nanIsError);
            for (double v : values) {
                single.AddEmpty();
                single.SetLast(v, nanIsError && std::isnan(v) ? ssError : ssNormal);
            }
            if (block.GetStart() < oldStart) {
                ASSERT_EQ(block.GetStart(), 0);  // the window only ever moves back to slot 0
                ++compactions;
            }
            ExpectSameArrays(block, single, step);
            if (HasFatalFailure()) return;
            // Single samples between blocks.
            const int blockStart = block.GetStart();
            block.AddEmpty();
            compactions += block.GetStart() < blockStart;
            single.AddEmpty();
            block.SetLast(-step);
            single.SetLast(-step);
            ExpectSameArrays(block, single, step);
            if (HasFatalFailure()) return;
        }
        // A block moves the window by at most its capacity, so a one-sample
        // window takes more records than this to reach the end of its spare.
        if (capacity > 1) {
            EXPECT_GT(compactions, 0);
        }
    }
}

TEST(SensorDataStream, AddRecordsCountsEveryRecord) {
    TSensorDataStream s(0, "Src.W1", "Src", "SrcTime", 1, true, 4);
    s.AddSensor(0);
    s.AddSensor(101);
    s.AddRecords(3);
    s.AddRecords(0);
    s.AddRecords(6);
    EXPECT_EQ(s.TotalCount(), 9);
    EXPECT_EQ(s.NewCount(), 9);
    EXPECT_EQ(s.GetDataCount(), 4);
    for (int k = 0; k < s.Count(); ++k)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(s.GetSensorByIndex(k)->GetState(i), ssEmpty);
}

}  // namespace

namespace {

// Declared windows cost memory only as samples arrive, and never more than
// the buffer: a day of 1-second records for a sensor that sends ten samples
// holds ten-odd slots, not a day's.
TEST(SensorDataArray, BuffersGrowAsSamplesArrive) {
    TSensorDataArray a(1, nullptr);
    a.SetCapacity(86400);
    EXPECT_EQ(a.GetBufferSize(), 2 * 86400);
    EXPECT_LE(a.GetAllocatedSize(), 1);
    for (int k = 0; k < 10; ++k) {
        a.AddEmpty();
        a.SetLast(k);
    }
    EXPECT_LE(a.GetAllocatedSize(), 256);
    a.AddEmpty(200000);
    EXPECT_EQ(a.GetCount(), 86400);
    EXPECT_LE(a.GetAllocatedSize(), a.GetBufferSize());
    for (int k = 0; k < 100000; ++k) a.AddEmpty();
    EXPECT_EQ(a.GetAllocatedSize(), a.GetBufferSize());
    EXPECT_LE(a.GetStart() + a.GetCount(), a.GetAllocatedSize());
    a.SetCapacity(10);
    EXPECT_LE(a.GetAllocatedSize(), 1);  // a new window gives the old memory back
}

}  // namespace

namespace {

// A window that fills moves on with the next record: however its samples
// arrive, a full window has its whole buffer, and keeps that buffer (and
// so its data pointer's base) from then on.
TEST(SensorDataArray, AFullWindowHasItsWholeBuffer) {
    constexpr int Capacity = 3000;
    TSensorDataArray source(1, nullptr);
    source.SetCapacity(Capacity);
    source.AddEmpty(Capacity);
    struct Case {
        const char* Name;
        void (*Add)(TSensorDataArray& a, const TSensorDataArray& source, int n);
    };
    const Case cases[] = {
        {"one by one", [](TSensorDataArray& a, const TSensorDataArray&, int n) {
             for (int k = 0; k < n; ++k) a.AddEmpty();
         }},
        {"block", [](TSensorDataArray& a, const TSensorDataArray&, int n) { a.AddEmpty(n); }},
        {"copy", [](TSensorDataArray& a, const TSensorDataArray& source, int n) { a.CopyFrom(source, 0, n); }},
        {"count", [](TSensorDataArray& a, const TSensorDataArray&, int n) { a.SetCount(a.GetCount() + n); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSensorDataArray a(1, nullptr);
        a.SetCapacity(Capacity);
        c.Add(a, source, Capacity - 1);
        c.Add(a, source, 1);
        ASSERT_EQ(a.GetCount(), Capacity);
        EXPECT_EQ(a.GetAllocatedSize(), a.GetBufferSize());
        const double* buffer = a.GetDataPointer() - a.GetStart();
        for (int k = 0; k < 10; ++k) c.Add(a, source, 100);
        EXPECT_EQ(a.GetDataPointer() - a.GetStart(), buffer);
    }
}

}  // namespace

namespace {

// The arrays of a stream advance in step: their newest samples must not all
// fall into the same cache sets, as they would if every large buffer began
// at the same offset in its page (a 12-way cache holds at most 12 of them).
TEST(SensorDataStream, ArrayBuffersStartAtStaggeredPageOffsets) {
    TSensorDataStream s(0, "Time1s.W1", "Time1s", "SrcTime", 1, true, 10000);
    for (int g = 0; g < 64; ++g) s.AddSensor(g == 0 ? 0 : 100 + g);
    for (int r = 0; r < 12000; ++r) {
        s.AddRecord();
        for (int k = 0; k < s.Count(); ++k) s.GetSensorByIndex(k)->SetLast(r);
    }
    std::map<uintptr_t, int> arraysAtOffset;
    for (int k = 0; k < s.Count(); ++k) {
        TSensorDataArray& a = *s.GetSensorByIndex(k);
        ASSERT_EQ(a.GetAllocatedSize(), a.GetBufferSize());
        const auto base = reinterpret_cast<uintptr_t>(a.GetDataPointer() - a.GetStart());
        ASSERT_EQ(base % alignof(double), 0u);
        ++arraysAtOffset[base % 4096 / 64];
    }
    int most = 0;
    for (const auto& [offset, arrays] : arraysAtOffset) most = std::max(most, arrays);
    EXPECT_LE(most, 4);
}

}  // namespace
