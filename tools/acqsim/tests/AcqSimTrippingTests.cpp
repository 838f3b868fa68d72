// The stand-by-stand scenario of the simulator: the string moves only with
// the block, the block moves alone only while the bit stands, and each stand
// ends with the string where its tally puts it.
#include "AcqSimTripping.h"

#include <gtest/gtest.h>
#include <cmath>

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
    EXPECT_TRUE(std::isnan(t.Value(1200, 5)));

    for (int n = 0; n <= 3; ++n) EXPECT_DOUBLE_EQ(t.BitPos(t.RunInEnd(n)), t.StringLength(n)) << n;
    for (int n = 0; n < 3; ++n) EXPECT_DOUBLE_EQ(t.BitPos(t.PullOutEnd(n)), t.StringLength(n)) << n;
    EXPECT_EQ(t.PullOutEnd(0), cycle - 1);
    EXPECT_DOUBLE_EQ(t.BitPos(cycle + t.RunInEnd(2)), 19.25) << "the next cycle runs the same";
}
}  // namespace
