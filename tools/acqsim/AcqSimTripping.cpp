#include "AcqSimTripping.h"

#include <cmath>
#include <limits>

double TAcqSimTripping::StringLength(int n) const {
    double sum = 0;
    for (int i = 0; i < n && i < Stands(); ++i) sum += Lengths[size_t(i)];
    return sum;
}

int64_t TAcqSimTripping::CycleRecords() const {
    return 2 * int64_t(Stands()) * StandRecords() + 2 * int64_t(MoveRecords + PauseRecords);
}

int64_t TAcqSimTripping::RunInEnd(int n) const {
    return int64_t(MoveRecords + PauseRecords) + int64_t(n) * StandRecords() - 1;
}

int64_t TAcqSimTripping::PullOutEnd(int n) const {
    return RunInEnd(Stands()) + int64_t(MoveRecords + PauseRecords) + int64_t(Stands() - n) * StandRecords();
}

namespace {
struct TPhase {
    double Bit0, Bit1, Block0, Block1;
    int Records;  // records of the move; the position is reached at its last one
    int64_t At;   // record within the move (past it: the end position)
};

// The position reached at record At of a move of Records records.
double Along(double a, double b, int records, int64_t at) {
    if (at >= records - 1) return b;
    return a + (b - a) * double(at + 1) / double(records);
}
}  // namespace

// Where the cycle stands at record k: the bit and block of that moment.
static void Locate(const TAcqSimTripping& t, int64_t k, double& bit, double& block) {
    const int n = t.Stands();
    const int half = t.MoveRecords + t.PauseRecords;
    const int64_t cycle = t.CycleRecords();
    int64_t r = cycle > 0 ? ((k % cycle) + cycle) % cycle : 0;
    const double low = t.BlockLow;
    auto length = [&](int i) { return n > 0 ? t.Lengths[size_t(std::min(std::max(i, 0), n - 1))] : 0.0; };
    // The block lifted to the first stand, the bit at the rotary table.
    if (r < half) {
        bit = 0;
        block = Along(low, low + length(0), t.MoveRecords, r);
        return;
    }
    r -= half;
    // Running in: the string goes down with the block, then the block goes up to the next stand.
    if (r < int64_t(n) * t.StandRecords()) {
        const int j = int(r / t.StandRecords());
        const int64_t s = r % t.StandRecords();
        const double from = t.StringLength(j), to = t.StringLength(j + 1);
        if (s < half) {
            bit = Along(from, to, t.MoveRecords, s);
            block = low + (to - bit);
        } else {
            bit = to;
            block = Along(low, low + length(j + 1), t.MoveRecords, s - half);
        }
        return;
    }
    r -= int64_t(n) * t.StandRecords();
    // The block lowered without the string.
    if (r < half) {
        bit = t.StringLength(n);
        block = Along(low + length(n - 1), low, t.MoveRecords, r);
        return;
    }
    r -= half;
    // Pulling out: the string comes up with the block, then the block goes down alone.
    const int j = int(r / t.StandRecords());
    const int64_t s = r % t.StandRecords();
    const double from = t.StringLength(n - j), to = t.StringLength(n - j - 1);
    if (s < half) {
        bit = Along(from, to, t.MoveRecords, s);
        block = low + (from - bit);
    } else {
        bit = to;
        block = Along(low + (from - to), low, t.MoveRecords, s - half);
    }
}

double TAcqSimTripping::BitPos(int64_t k) const {
    double bit = 0, block = 0;
    Locate(*this, k, bit, block);
    return bit;
}

double TAcqSimTripping::Block(int64_t k) const {
    double bit = 0, block = 0;
    Locate(*this, k, bit, block);
    return block;
}

int TAcqSimTripping::Operation(int64_t k) const {
    const int half = MoveRecords + PauseRecords;
    const int64_t cycle = CycleRecords();
    const int64_t r = cycle > 0 ? ((k % cycle) + cycle) % cycle : 0;
    // The bottom: the stretch between the last stand in and the first one out.
    const int64_t bottom = half + int64_t(Stands()) * StandRecords();
    if (r < bottom) return 1;
    if (r >= bottom + half) return 2;
    const int64_t s = r - bottom;
    if (s < MoveRecords / 2) return 7;
    if (s < MoveRecords) return 3;
    if (s < MoveRecords + PauseRecords / 2) return 4;
    return 5;
}

double TAcqSimTripping::RotarySpeed(int64_t k) const { return Operation(k) == 7 ? 60 : 0; }

double TAcqSimTripping::Value(uint16_t gid, int64_t k) const {
    switch (gid) {
        case 101: return HoleDepth;
        case 102: return HoleDepth - BitPos(k);
        case 103: return Block(k);
        case 122: return Operation(k);
        case 1200: return RotarySpeed(k);
        case 1303: return 0;
        default: return std::numeric_limits<double>::quiet_NaN();
    }
}
