#include "ExpressFlat.h"

#include "ExtendedMath.h"

#include <cmath>
#include <exception>
#include <limits>
#include <variant>

namespace {

constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();

// Operand readers, one per kind, so that each operation's loop is compiled
// for the kinds it meets and reads columns of doubles directly.
struct TRowIn {
    const Extended* P;
    Extended operator[](int j) const { return P[j]; }
};
struct TInputIn {
    const double* P;
    Extended operator[](int j) const { return P[j]; }
};
struct TConstIn {
    Extended V;
    Extended operator[](int) const { return V; }
};
using TIn = std::variant<TRowIn, TInputIn, TConstIn>;

// Zero for a finite value, NaN otherwise; summed over a block, one test at
// the end tells whether every value was finite.
inline Extended NonFinite(Extended r) { return r - r; }

// Whether a truth value or a ROUND operand lies where the flat form computes
// it exactly (not NaN, magnitude below 2^62).
inline bool Small(Extended v) { return std::fabs(v) < ExtendedMath::SmallLimit; }

inline bool Truth(Extended v) { return ExtendedMath::LowByteOfWholePart(std::fabs(v)); }

// The plan gives 1 for a zero exponent.
Extended Power(Extended base, Extended exponent) { return exponent == 0 ? 1 : std::pow(base, exponent); }

template <class F>
bool Unary(const TIn& a, Extended* d, int n, F f) {
    return std::visit(
        [&](const auto& x) {
            Extended acc = 0;
            for (int j = 0; j < n; ++j) {
                const Extended r = f(x[j]);
                d[j] = r;
                acc += NonFinite(r);
            }
            return acc == 0;
        },
        a);
}

// Arithmetic: a non-finite result (NaN or infinite operand, overflow,
// division by zero, a domain error) sends the block to the plan.
// CheckOperands: the result alone does not show a NaN operand ("^" with a
// zero exponent, or 1 raised to NaN).
template <bool CheckOperands = false, class F>
bool Arithmetic(const TIn& a, const TIn& b, Extended* d, int n, F f) {
    return std::visit(
        [&](const auto& x, const auto& y) {
            Extended acc = 0;
            for (int j = 0; j < n; ++j) {
                const Extended l = x[j], r = y[j];
                const Extended v = f(l, r);
                d[j] = v;
                acc += NonFinite(v);
                if constexpr (CheckOperands) acc += NonFinite(l) + NonFinite(r);
            }
            return acc == 0;
        },
        a, b);
}

// Comparisons: exact for finite operands; a non-finite one goes to the plan.
// When every input of the block is finite, so is every operand (each result
// that is not has already sent the block to the plan), and the check is left out.
template <class F>
bool Comparison(const TIn& a, const TIn& b, Extended* d, int n, bool finiteInputs, F f) {
    return std::visit(
        [&](const auto& x, const auto& y) {
            if (finiteInputs) {
                for (int j = 0; j < n; ++j) d[j] = f(x[j], y[j]) ? 1 : 0;
                return true;
            }
            Extended acc = 0;
            for (int j = 0; j < n; ++j) {
                const Extended l = x[j], r = y[j];
                d[j] = f(l, r) ? 1 : 0;
                acc += NonFinite(l) + NonFinite(r);
            }
            return acc == 0;
        },
        a, b);
}

template <class F>
bool Logic(const TIn& a, const TIn& b, Extended* d, int n, F f) {
    return std::visit(
        [&](const auto& x, const auto& y) {
            bool ok = true;
            for (int j = 0; j < n; ++j) {
                const Extended l = x[j], r = y[j];
                ok &= Small(l) & Small(r);
                d[j] = f(Truth(l), Truth(r)) ? 1 : 0;
            }
            return ok;
        },
        a, b);
}

bool If(const TIn& c, const TIn& a, const TIn& b, Extended* d, int n) {
    return std::visit(
        [&](const auto& z, const auto& x, const auto& y) {
            bool ok = true;
            for (int j = 0; j < n; ++j) {
                const Extended v = z[j];
                ok &= Small(v);
                d[j] = Truth(v) ? x[j] : y[j];
            }
            return ok;
        },
        c, a, b);
}

bool IfTruth(const TIn& c, const TIn& a, const TIn& b, Extended* d, int n) {
    std::visit(
        [&](const auto& z, const auto& x, const auto& y) {
            for (int j = 0; j < n; ++j) d[j] = z[j] != 0 ? x[j] : y[j];
        },
        c, a, b);
    return true;
}

template <class F>
bool LogicTruths(const TIn& a, const TIn& b, Extended* d, int n, F f) {
    std::visit(
        [&](const auto& x, const auto& y) {
            for (int j = 0; j < n; ++j) d[j] = f(x[j] != 0, y[j] != 0) ? 1 : 0;
        },
        a, b);
    return true;
}

bool Round(const TIn& a, Extended* d, int n) {
    return std::visit(
        [&](const auto& x) {
            bool ok = true;
            for (int j = 0; j < n; ++j) {
                const Extended v = x[j];
                ok &= Small(v);
                d[j] = ExtendedMath::RoundSmall(v);
            }
            return ok;
        },
        a);
}

// The negation never faults; a NaN passes as in the plan.
bool Negate(const TIn& a, Extended* d, int n) {
    std::visit(
        [&](const auto& x) {
            for (int j = 0; j < n; ++j) d[j] = -x[j];
        },
        a);
    return true;
}

bool RunStep(const TFlatExpression::TStep& s, const TIn& a, const TIn& b, const TIn& c, Extended* d, int n,
             bool finite) {
    using E = Extended;
    using F = TFlatExpression;
    switch (s.Op) {
    case F::opNegate: return Negate(a, d, n);
    case F::opAdd: return Arithmetic(a, b, d, n, [](E l, E r) { return l + r; });
    case F::opSubtract: return Arithmetic(a, b, d, n, [](E l, E r) { return l - r; });
    case F::opMultiply: return Arithmetic(a, b, d, n, [](E l, E r) { return l * r; });
    case F::opDivide: return Arithmetic(a, b, d, n, [](E l, E r) { return l / r; });
    case F::opPower:
        return Arithmetic<true>(a, b, d, n, [](E l, E r) { return Power(l, r); });
    case F::opLess: return Comparison(a, b, d, n, finite, [](E l, E r) { return l < r; });
    case F::opBigger: return Comparison(a, b, d, n, finite, [](E l, E r) { return l > r; });
    case F::opEqual: return Comparison(a, b, d, n, finite, [](E l, E r) { return ExtendedMath::SameValue(l, r); });
    case F::opLessOrEqual: return Comparison(a, b, d, n, finite, [](E l, E r) { return l <= r; });
    case F::opBiggerOrEqual: return Comparison(a, b, d, n, finite, [](E l, E r) { return l >= r; });
    case F::opNotEqual: return Comparison(a, b, d, n, finite, [](E l, E r) { return !ExtendedMath::SameValue(l, r); });
    case F::opOr: return Logic(a, b, d, n, [](bool l, bool r) { return l || r; });
    case F::opAnd: return Logic(a, b, d, n, [](bool l, bool r) { return l && r; });
    case F::opIf: return If(a, b, c, d, n);
    case F::opOrTruths: return LogicTruths(a, b, d, n, [](bool l, bool r) { return l || r; });
    case F::opAndTruths: return LogicTruths(a, b, d, n, [](bool l, bool r) { return l && r; });
    case F::opIfTruth: return IfTruth(a, b, c, d, n);
    case F::opSin: return Unary(a, d, n, [](E x) { return ExtendedMath::Sin(x); });
    case F::opCos: return Unary(a, d, n, [](E x) { return ExtendedMath::Cos(x); });
    case F::opTan: return Unary(a, d, n, [](E x) { return ExtendedMath::Tan(x); });
    case F::opArcTan: return Unary(a, d, n, [](E x) { return ExtendedMath::ArcTan(x); });
    case F::opSqrt: return Unary(a, d, n, [](E x) { return ExtendedMath::Sqrt(x); });
    case F::opLog: return Unary(a, d, n, [](E x) { return ExtendedMath::Log10(x); });
    case F::opLn: return Unary(a, d, n, [](E x) { return ExtendedMath::Ln(x); });
    case F::opRound: return Round(a, d, n);
    }
    return false;
}

// The flat operation of a plan function; false for a function the flat form
// does not know (one another unit added), which keeps the plan sample by sample.
bool FlatOp(const TFunction& f, TFlatExpression::TOp& op) {
    using F = TFlatExpression;
    if (dynamic_cast<const TUnaryOperator*>(&f)) return op = F::opNegate, true;
    if (const auto* b = dynamic_cast<const TBinaryOperator*>(&f)) {
        switch (b->BType()) {
        case '+': return op = F::opAdd, true;
        case '-': return op = F::opSubtract, true;
        case '*': return op = F::opMultiply, true;
        case '/': return op = F::opDivide, true;
        default: return op = F::opPower, true;
        }
    }
    if (const auto* c = dynamic_cast<const TComparisonOperator*>(&f)) {
        static constexpr F::TOp ops[] = {F::opLess,        F::opBigger,         F::opEqual,
                                         F::opLessOrEqual, F::opBiggerOrEqual, F::opNotEqual};
        return op = ops[c->ComparisonType()], true;
    }
    if (const auto* l = dynamic_cast<const TLogicOperator*>(&f)) return op = l->LogicType() == ltOr ? F::opOr : F::opAnd, true;
    if (const auto* b = dynamic_cast<const TBasicFunction*>(&f)) {
        static constexpr F::TOp ops[] = {F::opSin, F::opCos, F::opTan, F::opArcTan,
                                         F::opSqrt, F::opLog, F::opLn, F::opRound};
        return op = ops[b->FunctionType()], true;
    }
    if (dynamic_cast<const TIfFunction*>(&f)) return op = F::opIf, true;
    return false;
}

}  // namespace

TFlatExpression::TFlatExpression(TExpression& expression) : FExpression(expression) {
    if (!expression.IsPrepared()) expression.Prepare();
    const int slotCount = expression.GetArgumentsCount();
    FSlots.resize(slotCount);
    // What each slot holds as the walk goes: its argument until a function
    // writes its result there, a working row from then on.
    std::vector<TOperand> held(slotCount);
    for (int i = 0; i < slotCount; ++i) {
        if (const auto* c = dynamic_cast<const TConst*>(&expression.GetArgument(i))) {
            FSlots[i].Value = c->Value();
            held[i] = {TOperand::okConst, i, c->Value()};
        } else {
            FSlots[i].Input = true;
            held[i] = {TOperand::okInput, i, 0};
        }
    }
    std::vector<int> rowOfSlot(slotCount, -1);
    int rows = 0;
    bool supported = true;
    for (int k = 0; k < expression.GetFunctionsCount() && supported; ++k) {
        const TFunction& f = expression.GetFunction(k);
        TStep step{};
        supported = FlatOp(f, step.Op) && !f.ArgsIndexes.empty() && f.ArgsIndexes.size() <= 3;
        if (!supported) break;
        TOperand* operands[] = {&step.A, &step.B, &step.C};
        for (size_t a = 0; a < f.ArgsIndexes.size(); ++a) *operands[a] = held[f.ArgsIndexes[a]];
        if (step.Op == opIf && step.A.Truth) step.Op = opIfTruth;
        if (step.Op == opOr && step.A.Truth && step.B.Truth) step.Op = opOrTruths;
        if (step.Op == opAnd && step.A.Truth && step.B.Truth) step.Op = opAndTruths;
        const int dst = f.ArgsIndexes[0];
        if (rowOfSlot[dst] < 0) rowOfSlot[dst] = rows++;
        step.Row = rowOfSlot[dst];
        const bool truth = (step.Op >= opLess && step.Op <= opAnd && step.Op != opIf) || step.Op == opOrTruths ||
                           step.Op == opAndTruths;
        held[dst] = {TOperand::okRow, step.Row, 0, truth};
        FSteps.push_back(step);
    }
    if (!supported) {
        FSteps.clear();
        FSupported = false;
        return;
    }
    FResult = slotCount > 0 ? held[expression.ResultIndex()] : TOperand{};
    FRows.assign(static_cast<size_t>(rows) * BlockSize, 0);
}

bool TFlatExpression::EvaluateFlat(const double* const* inputs, int n, Extended* result) {
    const auto in = [&](const TOperand& o) -> TIn {
        switch (o.Kind) {
        case TOperand::okRow: return TRowIn{FRows.data() + static_cast<size_t>(o.Index) * BlockSize};
        case TOperand::okInput: return TInputIn{inputs[o.Index]};
        case TOperand::okConst: break;
        }
        return TConstIn{o.Value};
    };
    // Whether every input value of the block is finite; a column that several
    // slots read (a sensor named twice) is looked at once.
    double acc = 0;
    const double* seen[4] = {};
    int seenCount = 0;
    for (size_t i = 0; i < FSlots.size(); ++i) {
        if (!FSlots[i].Input) continue;
        const double* p = inputs[i];
        bool again = false;
        for (int k = 0; k < seenCount; ++k) again |= seen[k] == p;
        if (again) continue;
        if (seenCount < 4) seen[seenCount++] = p;
        for (int j = 0; j < n; ++j) acc += p[j] - p[j];
    }
    const bool finite = acc == 0;
    for (const TStep& s : FSteps)
        if (!RunStep(s, in(s.A), in(s.B), in(s.C), FRows.data() + static_cast<size_t>(s.Row) * BlockSize, n, finite))
            return false;
    std::visit(
        [&](const auto& r) {
            for (int j = 0; j < n; ++j) result[j] = r[j];
        },
        in(FResult));
    return true;
}

void TFlatExpression::EvaluateBySample(const double* const* inputs, int n, Extended* result, bool* fault) {
    std::vector<Extended>& values = FExpression.DataArray;
    for (int j = 0; j < n; ++j) {
        for (size_t i = 0; i < FSlots.size(); ++i) values[i] = FSlots[i].Input ? inputs[i][j] : FSlots[i].Value;
        try {
            result[j] = FExpression.ProcessFunctions();
            fault[j] = false;
        } catch (const std::exception&) {
            result[j] = NaN;
            fault[j] = true;
        }
    }
}

void TFlatExpression::Evaluate(const double* const* inputs, int n, Extended* result, bool* fault) {
    ++FBlocks;
    if (FSlots.empty()) {
        // A plan without arguments cannot be evaluated; GetValue says why.
        for (int j = 0; j < n; ++j) result[j] = NaN, fault[j] = true;
        return;
    }
    if (FSupported && EvaluateFlat(inputs, n, result)) {
        for (int j = 0; j < n; ++j) fault[j] = false;
        return;
    }
    ++FFallbackBlocks;
    EvaluateBySample(inputs, n, result, fault);
}
