#include "ExpressFlat.h"
#include "ExtendedMath.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// The distance between a and b in units of the last place of b (extended).
Extended Ulps(Extended a, Extended b) {
    if (a == b) return 0;
    const Extended m = std::fabs(b);
    const Extended ulp = std::nextafter(m, std::numeric_limits<Extended>::infinity()) - m;
    return std::fabs(a - b) / ulp;
}

bool SameBits(Extended a, Extended b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, 10) == 0;
}

TEST(ExtendedMath, FunctionsAgreeWithTheCLibrary) {
    const Extended args[] = {0.0L, 1e-30L, 0.1L, 0.5L, 0.78L, 1.0L, 1.5L, 2.0L, 3.0L,
                             3.14159265358979323846L, 4.712389L, 6.2831853071795864769L, 10.0L, 100.0L,
                             12345.678L, 1e6L, 1.0e8L + 0.5L, 7.5e8L, 1e9L, 1e12L, 1e18L, 1e19L, 1e300L};
    for (Extended a : args)
        for (Extended x : {a, -a}) {
            SCOPED_TRACE(static_cast<double>(x));
            EXPECT_LE(Ulps(ExtendedMath::Sin(x), std::sin(x)), 4);
            EXPECT_LE(Ulps(ExtendedMath::Cos(x), std::cos(x)), 4);
            EXPECT_LE(Ulps(ExtendedMath::Tan(x), std::tan(x)), 8);
            EXPECT_LE(Ulps(ExtendedMath::ArcTan(x), std::atan(x)), 2);
            if (x > 0) {
                EXPECT_EQ(ExtendedMath::Sqrt(x), std::sqrt(x));  // correctly rounded, both
                EXPECT_LE(Ulps(ExtendedMath::Ln(x), std::log(x)), 2);
                EXPECT_LE(Ulps(ExtendedMath::Log10(x), std::log10(x)), 2);
            }
        }
    // Within a quarter turn the instruction's own result stands.
    for (Extended x : {0.0L, 0.25L, -0.5L, 0.785L})
        EXPECT_TRUE(SameBits(ExtendedMath::Sin(x), ExtendedMath::Detail::FSin(x))) << static_cast<double>(x);
    // Domain edges give what the instruction gives; callers turn them into faults.
    EXPECT_TRUE(std::isnan(ExtendedMath::Sin(std::numeric_limits<Extended>::infinity())));
    EXPECT_TRUE(std::isnan(ExtendedMath::Sqrt(-1)));
    EXPECT_TRUE(std::isnan(ExtendedMath::Ln(-1)));
    EXPECT_EQ(ExtendedMath::Log10(0), -std::numeric_limits<Extended>::infinity());
    EXPECT_TRUE(std::isnan(ExtendedMath::Cos(NaN)));
}

TEST(ExtendedMath, RoundingAndTruthWithoutIntegerConversion) {
    const Extended values[] = {0.0L, -0.0L, 0.3L, -0.3L, 0.5L, 1.5L, 2.5L, -2.5L, 255.9L, 256.0L, 256.5L,
                               257.0L, -1.0L, -255.5L, -256.0L, -511.99L, 1e15L + 1, 0x1p62L - 1, -(0x1p62L - 0.5L)};
    for (Extended v : values) {
        SCOPED_TRACE(static_cast<double>(v));
        EXPECT_TRUE(SameBits(ExtendedMath::RoundSmall(v), std::nearbyint(v)));
        const bool expected = (static_cast<int64_t>(std::trunc(v)) & 0xFF) != 0;
        EXPECT_EQ(ExtendedMath::LowByteOfWholePart(std::fabs(v)), expected);
        EXPECT_EQ(IsTrueValue(v), expected);
    }
    // Beyond 2^62 the plain integer conversion decides; beyond 2^63 it cannot.
    EXPECT_FALSE(IsTrueValue(0x1p62L + 256));
    EXPECT_TRUE(IsTrueValue(0x1p62L + 1));
    EXPECT_FALSE(IsTrueValue(-0x1p63L));
    EXPECT_THROW(IsTrueValue(0x1p63L), EInvalidOp);
    EXPECT_THROW(IsTrueValue(NaN), EInvalidOp);
}

// Identifiers A, B and C: input columns of the flat form, and for the plan
// the values of the sample under test.
struct TSampleValues {
    Extended A = 0, B = 0, C = 0;
};

class TColumnIdent : public TArgument {
public:
    TColumnIdent(TExpression& e, const Extended& value) : TArgument(e, ttIdentifier), FValue(value) {}
    void Prepare() override { FExp.DataArray[Position] = FValue; }
    const Extended* Source() const { return &FValue; }

private:
    const Extended& FValue;
};

class TColumnIdentConstructor : public TArgumentConstructor {
public:
    TColumnIdentConstructor(TRParser& parser, TSampleValues& values)
        : TArgumentConstructor(parser, ttIdentifier,
                               {ttBinaryOperator, ttCloseBracket, ttComma, ttComparison, ttLogicOperator}),
          FValues(values) {}
    bool Parse(QStringView& text, TExpression& e) override {
        const Extended* v = Match(text);
        if (!v) return false;
        e.InsertToken(std::make_unique<TColumnIdent>(e, *v));
        text = text.mid(1);
        return true;
    }
    bool SyntaxCheck(QStringView& text) override {
        if (!Match(text)) return false;
        text = text.mid(1);
        return TArgumentConstructor::SyntaxCheck(text);
    }

private:
    const Extended* Match(QStringView text) const {
        const QStringView run = IdentRun(text);
        if (run == u"A") return &FValues.A;
        if (run == u"B") return &FValues.B;
        if (run == u"C") return &FValues.C;
        return nullptr;
    }
    TSampleValues& FValues;
};

// Evaluates a formula over columns A, B, C both ways and compares every
// sample: the same fault, and bit for bit the same value.
class FlatAgainstPlan : public ::testing::Test {
protected:
    FlatAgainstPlan() { Parser.RegisterConstructor<TColumnIdentConstructor>(Current); }

    // Returns the flat form's fallback block count, or -1 when nothing parsed.
    int64_t Compare(const QString& text, const std::vector<double>& a, const std::vector<double>& b,
                    const std::vector<double>& c) {
        Parser.SetText(text);
        std::unique_ptr<TExpression> plan = Parser.BuildExpression();
        std::unique_ptr<TExpression> compiled = Parser.BuildExpression();
        if (!plan) return -1;
        TFlatExpression flat(*compiled);
        // Input columns in slot order: the letter each argument stands for.
        std::vector<const std::vector<double>*> columns(flat.SlotsCount(), nullptr);
        for (int i = 0; i < flat.SlotsCount(); ++i) {
            const auto* ident = dynamic_cast<const TColumnIdent*>(&compiled->GetArgument(i));
            EXPECT_EQ(flat.IsInput(i), ident != nullptr);
            if (!ident) continue;
            const Extended* s = ident->Source();
            columns[i] = s == &Current.A ? &a : s == &Current.B ? &b : &c;
        }
        const int total = static_cast<int>(a.size());
        std::vector<Extended> result(TFlatExpression::BlockSize);
        bool fault[TFlatExpression::BlockSize];
        std::vector<const double*> inputs(flat.SlotsCount(), nullptr);
        for (int first = 0; first < total; first += TFlatExpression::BlockSize) {
            const int n = std::min(TFlatExpression::BlockSize, total - first);
            for (int i = 0; i < flat.SlotsCount(); ++i)
                if (columns[i]) inputs[i] = columns[i]->data() + first;
            flat.Evaluate(inputs.data(), n, result.data(), fault);
            for (int j = 0; j < n; ++j) {
                Current = {a[first + j], b[first + j], c[first + j]};
                bool raised = false;
                Extended expected = NaN;
                try {
                    expected = plan->GetValue();
                } catch (const EMathError&) {
                    raised = true;
                }
                EXPECT_EQ(fault[j], raised) << text.toStdString() << " sample " << first + j;
                if (!raised)
                    EXPECT_TRUE(SameBits(result[j], expected))
                        << text.toStdString() << " sample " << first + j << ": " << static_cast<double>(result[j])
                        << " vs " << static_cast<double>(expected);
            }
        }
        EXPECT_EQ(flat.BlocksCount(), (total + TFlatExpression::BlockSize - 1) / TFlatExpression::BlockSize);
        return flat.FallbackBlocksCount();
    }

    TSampleValues Current;
    TRParser Parser;
};

TEST_F(FlatAgainstPlan, EachFaultKindInsideABlock) {
    // Every sample is ordinary except one in the middle of the second block.
    constexpr int N = 3 * TFlatExpression::BlockSize;
    constexpr int Bad = TFlatExpression::BlockSize + 37;
    const struct {
        const char* Formula;
        double A, B;  // the faulty sample's values
        bool Faults;
    } cases[] = {
        {"A / B", 1, 0, true},                  // division by zero
        {"A / B", 0, 0, true},                  // 0/0
        {"SQRT(A - 1)", 0, 1, true},            // root of a negative number
        {"LOG(A) + LN(B)", 0, 1, true},         // logarithm of zero
        {"LN(A * B)", -1, 2, true},             // logarithm of a negative number
        {"A * B * 1e4500", 1e300, 1e300, true},   // overflow of the extended range
        {"A ^ B", 0, -1, true},                 // zero to a negative power
        {"A > B", NAN, 1, true},                // comparison with NaN
        {"A = B", 1, NAN, true},
        {"A AND B", 1e30, 1, true},             // truth value out of range
        {"IF(A, 1, 2)", NAN, 0, true},
        {"ROUND(A) + B", 1e25, 1, true},
        {"A + B * 2", NAN, 1, false},           // NaN passes through arithmetic
        {"SIN(A) - COS(B)", Inf, 1, true},      // sine of an infinity
        {"A ^ B", NAN, 0, false},               // NaN to the power 0: NaN, no fault
        {"IF(A > 0, B, SQRT(B))", 1, -4, true}, // all three operands computed
        {"ROUND(A) + B", 5e18, 1, false},       // beyond the flat range, the plan's rounding
        {"IF(A OR B, A, B)", 5e18, 0, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Formula);
        std::vector<double> a(N), b(N), c(N, 0);
        for (int i = 0; i < N; ++i) {
            a[i] = 1.25 + (i % 17);
            b[i] = 0.5 + (i % 5);
        }
        a[Bad] = k.A;
        b[Bad] = k.B;
        const int64_t fallbacks = Compare(k.Formula, a, b, c);
        ASSERT_GE(fallbacks, 0);
        EXPECT_EQ(fallbacks, 1);  // only the block holding the candidate
        Current = {k.A, k.B, 0};
        Parser.SetText(k.Formula);
        bool raised = false;
        try {
            Parser.BuildExpression()->GetValue();
        } catch (const EMathError&) {
            raised = true;
        }
        EXPECT_EQ(raised, k.Faults);
    }
}

// Random formulas over random inputs with faults sprinkled in.
class TFormulaGenerator {
public:
    explicit TFormulaGenerator(unsigned seed) : FRandom(seed) {}
    QString Next(int depth) {
        const int pick = Pick(depth <= 0 ? 2 : 12);
        switch (pick) {
        case 0: return QString(QChar(u'A' + Pick(3)));
        case 1: {
            static const char* constants[] = {"2", "0.5", "256", "3", "0", "1e-3", "PI", "7.25"};
            return constants[Pick(8)];
        }
        case 2:
        case 3:
        case 4: {
            static const char* ops[] = {"+", "-", "*", "/", "^"};
            const char* op = ops[Pick(pick == 4 ? 5 : 4)];
            return "(" + Next(depth - 1) + " " + op + " " + Next(depth - 1) + ")";
        }
        case 5: {
            static const char* ops[] = {"<", ">", "=", "<=", ">=", "<>"};
            return "(" + Next(depth - 1) + ops[Pick(6)] + Next(depth - 1) + ")";
        }
        case 6: return "(" + Next(depth - 1) + (Pick(2) ? " AND " : " OR ") + Next(depth - 1) + ")";
        case 7: return "IF(" + Next(depth - 1) + ", " + Next(depth - 1) + ", " + Next(depth - 1) + ")";
        case 8: return "-(" + Next(depth - 1) + ")";
        default: {
            static const char* fns[] = {"SIN", "COS", "TAN", "ATAN", "SQRT", "LOG", "LN", "ROUND"};
            return QString(fns[Pick(8)]) + "(" + Next(depth - 1) + ")";
        }
        }
    }
    double Input() {
        // Mostly ordinary values; now and then a fault candidate.
        if (Pick(40) == 0) {
            static const double odd[] = {NAN, 0, -3, 1e300, -1e300, Inf, 256, 1e19, -0.0};
            return odd[Pick(9)];
        }
        return std::uniform_real_distribution<double>(-10, 10)(FRandom);
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

private:
    std::mt19937 FRandom;
};

TEST_F(FlatAgainstPlan, RandomFormulasAndInputs) {
    TFormulaGenerator gen(20261210);
    constexpr int N = 5 * TFlatExpression::BlockSize + 17;
    int64_t fallbacks = 0, formulas = 0;
    for (int f = 0; f < 300; ++f) {
        const QString text = gen.Next(4);
        std::vector<double> a(N), b(N), c(N);
        for (int i = 0; i < N; ++i) a[i] = gen.Input(), b[i] = gen.Input(), c[i] = gen.Input();
        const int64_t r = Compare(text, a, b, c);
        if (r < 0) continue;
        ++formulas;
        fallbacks += r;
        if (HasFailure()) break;
    }
    EXPECT_GT(formulas, 250);
    // Both paths were taken.
    EXPECT_GT(fallbacks, 0);
    EXPECT_LT(fallbacks, formulas * 6);
}

TEST(FlatExpression, CompilesConstantsAndFunctionsOnly) {
    TSampleValues values;
    TRParser parser;
    parser.RegisterConstructor<TColumnIdentConstructor>(values);
    parser.SetText("2 * A + PI - B");
    auto e = parser.BuildExpression();
    ASSERT_NE(e, nullptr);
    TFlatExpression flat(*e);
    ASSERT_EQ(flat.SlotsCount(), 4);
    EXPECT_FALSE(flat.IsInput(0));
    EXPECT_TRUE(flat.IsInput(1));
    EXPECT_FALSE(flat.IsInput(2));
    EXPECT_TRUE(flat.IsInput(3));
    EXPECT_TRUE(flat.IsFlat());
    const double a[] = {1, 2}, b[] = {0.5, 10};
    const double* inputs[] = {nullptr, a, nullptr, b};
    Extended result[2];
    bool fault[2];
    flat.Evaluate(inputs, 2, result, fault);
    EXPECT_EQ(result[0], 2 * 1.0L + 3.1415926535897932385L - 0.5L);
    EXPECT_EQ(result[1], 2 * 2.0L + 3.1415926535897932385L - 10);
    EXPECT_FALSE(fault[0] || fault[1]);
    EXPECT_EQ(flat.FallbackBlocksCount(), 0);

    // A single argument: the result is the argument itself.
    parser.SetText("B");
    auto single = parser.BuildExpression();
    TFlatExpression same(*single);
    const double nan[] = {std::nan("")};
    const double* one[] = {nan};
    same.Evaluate(one, 1, result, fault);
    EXPECT_TRUE(std::isnan(result[0]));
    EXPECT_FALSE(fault[0]);
}

}  // namespace
