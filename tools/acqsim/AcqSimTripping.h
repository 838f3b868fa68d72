#pragma once
// A value source for the simulator: a drill string run into the well stand by
// stand and pulled out again, as the depth (101), bit off bottom (102) and
// travelling-block position (103) sensors see it. Each stand is a move of the
// string with the block, a pause, a move of the block alone (to the next stand
// or back), and a pause. The rig's operation code (122) and the rotary and
// top-drive speeds (1200, 1303) follow the trip: running in, at the bottom
// drilling with the rotary, sliding, a connection and circulation, then
// pulling out. Other sensors keep the simulator's built-in values.
#include <cstdint>
#include <vector>

struct TAcqSimTripping {
    std::vector<double> Lengths;  // stand lengths from the bottom of the string up, m
    double HoleDepth = 500;       // the depth sensor's value, m
    double BlockLow = 2;          // block height with a stand lowered fully, m
    int MoveRecords = 10;         // records of a move of the string or of the block
    int PauseRecords = 5;         // records of each standing pause

    int Stands() const { return int(Lengths.size()); }
    int StandRecords() const { return 2 * (MoveRecords + PauseRecords); }
    // One run in and out: the block lifted to the first stand, every stand in,
    // the block lowered, every stand out; then the cycle repeats.
    int64_t CycleRecords() const;
    // The last record of running stand n (1-based) in, and of pulling the
    // string out until n stands remain (0 <= n < Stands()), in the first cycle.
    int64_t RunInEnd(int n) const;
    int64_t PullOutEnd(int n) const;

    // Bit position (depth of the bit below the rotary table) and block height at record k.
    double BitPos(int64_t k) const;
    double Block(int64_t k) const;
    // The rig's operation code (the core's opRunningIn 1, opPullingOut 2,
    // opDrilling 3, opConnection 4, opCirculation 5, opRotorDrilling 7) and
    // the rotary speed at record k; the top drive stands still.
    int Operation(int64_t k) const;
    double RotarySpeed(int64_t k) const;
    // The sensor value at record k; NaN for sensors the scenario does not make.
    double Value(uint16_t gid, int64_t k) const;
    // Depth of the bit with the first n stands in.
    double StringLength(int n) const;
};
