#pragma once
// The flat form of a formula plan: the plan's functions compiled once into an
// array of typed operations over slots, evaluated over blocks of samples.
//
// Each operation runs over the whole block with one fault check at its end.
// The checks are conservative: a non-finite result, a truth value or a ROUND
// operand near the end of the integer range, a comparison with a non-finite
// operand. A block that meets such a candidate is evaluated again sample by
// sample by the plan itself, so values and error samples are exactly the
// plan's. Both paths compute with the same extended-precision functions in the
// same order, so a block that passes gives the plan's values bit for bit.
#include "Express.h"

#include <cstdint>
#include <vector>

#pragma GCC visibility push(default)

class TFlatExpression {
public:
    // Samples per block; a block's working rows stay in the first-level cache.
    static constexpr int BlockSize = 128;

    // Compiles a plan that BuildExpression made (prepared). Constants stay
    // constants; every other argument is an input column of the caller.
    explicit TFlatExpression(TExpression& expression);
    TFlatExpression(const TFlatExpression&) = delete;
    TFlatExpression& operator=(const TFlatExpression&) = delete;

    int SlotsCount() const { return static_cast<int>(FSlots.size()); }
    // Whether argument slot i reads an input column (false: a constant).
    bool IsInput(int i) const { return FSlots.at(i).Input; }

    // Evaluates n samples (0 < n <= BlockSize). inputs[i] points to the n
    // values of argument slot i (unused for constants). Writes each sample's
    // value to result[j] and whether its evaluation raises to fault[j]
    // (result[j] is then NaN).
    void Evaluate(const double* const* inputs, int n, Extended* result, bool* fault);

    // Blocks evaluated, and how many of them went sample by sample.
    int64_t BlocksCount() const { return FBlocks; }
    int64_t FallbackBlocksCount() const { return FFallbackBlocks; }
    // False when the plan holds a function the flat form does not know; every
    // block then goes sample by sample.
    bool IsFlat() const { return FSupported; }

    // The operations of the flat form.
    enum TOp : uint8_t {
        opNegate, opAdd, opSubtract, opMultiply, opDivide, opPower,
        opLess, opBigger, opEqual, opLessOrEqual, opBiggerOrEqual, opNotEqual,
        opOr, opAnd, opIf,
        // The same over truth values a comparison or a logic operator gave
        // (exactly 0 or 1): no range to check.
        opOrTruths, opAndTruths, opIfTruth,
        opSin, opCos, opTan, opArcTan, opSqrt, opLog, opLn, opRound
    };
    // Where an operand is read: a working row, an input column or a constant.
    struct TOperand {
        enum TKind : uint8_t { okRow, okInput, okConst } Kind = okConst;
        int Index = 0;  // row or argument slot
        Extended Value = 0;
        bool Truth = false;  // a row that holds only 0 and 1
    };
    struct TStep {
        TOp Op;
        int Row;  // the working row the result goes to
        TOperand A, B, C;
    };

private:
    struct TSlot {
        bool Input = false;
        Extended Value = 0;  // constants
    };
    bool EvaluateFlat(const double* const* inputs, int n, Extended* result);
    void EvaluateBySample(const double* const* inputs, int n, Extended* result, bool* fault);

    TExpression& FExpression;
    std::vector<TSlot> FSlots;
    std::vector<TStep> FSteps;
    TOperand FResult;
    bool FSupported = true;  // false: a function only the plan knows
    std::vector<Extended> FRows;  // RowsCount * BlockSize
    int64_t FBlocks = 0;
    int64_t FFallbackBlocks = 0;
};

#pragma GCC visibility pop
