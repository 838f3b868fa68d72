// The stand-by-stand scenario of the simulator: the string moves only with
// the block, the block moves alone only while the bit stands, and each stand
// ends with the string where its tally puts it.
#include "AcqSimTripping.h"

#include <gtest/gtest.h>
#include <cmath>
#include <map>

namespace {
TEST(AcqSimTripping, StringMovesWithTheBlockAndStandsWhileTheBlockMovesAlone) {
    TAcqSimTripping t;
    t.Lengths = {9.5, 9.75, 9.25};
    const int64_t cycle = t.CycleRecords();
    ASSERT_EQ(cycle, 2 * 3 * t.StandRecords() + 2 * (t.MoveRecords + t.PauseRecords));
    int stringMoves = 0, blockMoves = 0;
    for (int64_t k = 1; k <= 2 * cycle; ++k) {
        const double dBit = t.BitPos(k) - t.BitPos(k - 1);
        const double dBlock = t.Block(k) - t.Block(k - 1);
        if (std::abs(dBit) > 1e-9) {
            ++stringMoves;
            EXPECT_EQ(t.Value(122, k), dBit > 0 ? 1 : 2) << k << ": running in or pulling out";
            EXPECT_NEAR(dBit + dBlock, 0, 1e-9) << k << ": the string hangs in the block";
        } else if (std::abs(dBlock) > 1e-9) {
            ++blockMoves;
        }
        EXPECT_GE(t.Block(k), t.BlockLow - 1e-9) << k;
        EXPECT_DOUBLE_EQ(t.Value(101, k), t.HoleDepth);
        EXPECT_DOUBLE_EQ(t.Value(102, k), t.HoleDepth - t.BitPos(k));
    }
    EXPECT_EQ(stringMoves, 2 * 2 * 3 * t.MoveRecords);
    EXPECT_EQ(blockMoves, 2 * (2 * 3 + 2) * t.MoveRecords);
    EXPECT_TRUE(std::isnan(t.Value(1303 + 1, 5)));

    // At the bottom, between the last stand in and the first one out, the rig
    // drills with the rotary, slides, makes a connection and circulates; the
    // rotary turns only while it drills with it.
    std::map<int, int> records;
    for (int64_t k = t.RunInEnd(3) + 1; k <= t.RunInEnd(3) + t.MoveRecords + t.PauseRecords; ++k) {
        const int op = int(t.Value(122, k));
        ++records[op];
        EXPECT_EQ(t.Value(1200, k) > 0, op == 7) << k;
        EXPECT_EQ(t.Value(1303, k), 0) << k;
    }
    EXPECT_EQ(records, (std::map<int, int>{{3, 5}, {4, 2}, {5, 3}, {7, 5}}));
    EXPECT_EQ(t.Value(122, t.RunInEnd(3)), 1);
    EXPECT_EQ(t.Value(122, t.PullOutEnd(0)), 2);
    EXPECT_EQ(t.Value(122, cycle), 1) << "the next cycle runs in again";

    for (int n = 0; n <= 3; ++n) EXPECT_DOUBLE_EQ(t.BitPos(t.RunInEnd(n)), t.StringLength(n)) << n;
    for (int n = 0; n < 3; ++n) EXPECT_DOUBLE_EQ(t.BitPos(t.PullOutEnd(n)), t.StringLength(n)) << n;
    EXPECT_EQ(t.PullOutEnd(0), cycle - 1);
    EXPECT_DOUBLE_EQ(t.BitPos(cycle + t.RunInEnd(2)), 19.25) << "the next cycle runs the same";
}
}  // namespace
