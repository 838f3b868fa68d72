#include "Express.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended Pi = 3.1415926535897932385L;

// Named variables X and Y for formulas under test, read at every evaluation.
class TVar : public TArgument {
public:
    TVar(TExpression& e, const Extended& value) : TArgument(e, ttIdentifier), FValue(value) {}
    void Prepare() override { FExp.DataArray[Position] = FValue; }
    bool Check() const override { return !std::isnan(FValue); }

private:
    const Extended& FValue;
};

class TVarConstructor : public TArgumentConstructor {
public:
    TVarConstructor(TRParser& parser, std::map<QString, Extended>& vars)
        : TArgumentConstructor(parser, ttIdentifier,
                               {ttBinaryOperator, ttCloseBracket, ttComma, ttComparison, ttLogicOperator}),
          FVars(vars) {}
    bool Parse(QStringView& text, TExpression& e) override {
        const auto it = FVars.find(IdentRun(text).toString());
        if (it == FVars.end()) return false;
        e.InsertToken(std::make_unique<TVar>(e, it->second));
        text = text.mid(it->first.size());
        return true;
    }
    bool SyntaxCheck(QStringView& text) override {
        const auto it = FVars.find(IdentRun(text).toString());
        if (it == FVars.end()) return false;
        text = text.mid(it->first.size());
        return TArgumentConstructor::SyntaxCheck(text);
    }

private:
    std::map<QString, Extended>& FVars;
};

class ExpressTest : public ::testing::Test {
protected:
    ExpressTest() { Parser.RegisterConstructor<TVarConstructor>(Vars); }

    std::unique_ptr<TExpression> Build(const QString& text) {
        Parser.SetText(text);
        return Parser.BuildExpression();
    }
    Extended Eval(const QString& text) {
        auto e = Build(text);
        if (!e) throw Exception("no plan for " + text);
        return e->GetValue();
    }
    QString Check(const QString& text) {
        Parser.SetText(text);
        return Parser.SyntaxCheck();
    }

    std::map<QString, Extended> Vars{{"X", 0}, {"Y", 0}};
    TRParser Parser;
};

TEST_F(ExpressTest, PrecedenceBracketsAndFunctions) {
    const struct {
        const char* Text;
        Extended Value;
    } cases[] = {
        {"1 + 2 * 3", 7},
        {"(1+2)*3", 9},
        {"2^3", 8},
        {"2*3^2", 18},
        {"10 - 4 - 3", 3},        // equal priorities run left to right
        {"8 / 2 / 2", 2},
        {"2^3^2", 64},
        {"2 > 1 + 2", 3},         // comparison and plus share one priority: (2 > 1) + 2
        {"1 + 2 > 2", 1},
        {"1 OR 0 AND 0", 0},      // (1 OR 0) AND 0
        {"-2^2", 4},              // one negative constant
        {"-(2)^2", 4},            // the unary minus binds tighter than ^
        {"2*-3", -6},
        {"-(1+2)*2", -6},
        {"2*-(3)", -6},
        {"((2))", 2},
        {"1.5e-3 * 1000", 1.5},
        {"1E+2", 100},
        {".5 + 5.", 5.5},
        {"+5", 5},
        {"IF(1>2, 10, 20)", 20},
        {"IF(2>1, 10, 20)", 10},
        {"IF(256, 1, 2)", 2},     // low 8 bits of 256 are zero
        {"IF(257, 1, 2)", 1},
        {"IF(-1, 1, 2)", 1},
        {"IF(0.9, 1, 2)", 2},     // the integer part counts
        {"if(1, 2, 3) * 2", 4},
        {"IF(1, 2 + 3, 4) + 1", 6},
        {"3 OR 0", 1},
        {"256 OR 0", 0},
        {"3 AND 5", 1},
        {"3 AND 0", 0},
        {"1 < 2", 1},
        {"2 <= 2", 1},
        {"2 >= 3", 0},
        {"2 > 3", 0},
        {"3 = 3.0000000000000001", 1},   // same value within the automatic tolerance
        {"3 <> 3.0000000000000001", 0},
        {"3 < 3.0000000000000001", 1},   // the others compare exactly
        {"1 = 1.000001", 0},
        {"1 <> 1.000001", 1},
        {"SQRT(16)", 4},
        {"LOG(1000)", 3},
        {"LN(1)", 0},
        {"sin(0)", 0},
        {"SIN(0)", 0},
        {"COS(0)", 1},
        {"TAN(0)", 0},
        {"ROUND(2.5)", 2},
        {"ROUND(3.5)", 4},
        {"ROUND(-2.5)", -2},
        {"ROUND(2.6)", 3},
        {"0 ^ 0", 1},
        {"(-2) ^ 3", -8},
        {"4 ^ 0.5", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_NEAR(static_cast<double>(Eval(c.Text)), static_cast<double>(c.Value), 1e-12);
    }
    EXPECT_EQ(Eval("pi"), Pi);
    EXPECT_EQ(Eval("PI"), Pi);
    EXPECT_NEAR(static_cast<double>(Eval("ATAN(1) * 4")), static_cast<double>(Pi), 1e-15);
    EXPECT_NEAR(static_cast<double>(Eval("Sin(PI/2)")), 1.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(Eval("ln(2.718281828459045)")), 1.0, 1e-15);
}

TEST_F(ExpressTest, TokensOfTheText) {
    // text, argument tokens, function tokens (no plan: -1)
    const struct {
        const char* Text;
        int Args, Functions;
        Extended Value;
    } cases[] = {
        {"-3", 1, 0, -3},          // a leading minus with digits is a negative constant
        {"-X", 1, 1, -7},          // before an identifier it is a unary minus
        {"-(3)", 1, 1, -3},
        {"2*-3", 2, 1, -6},
        {"1.5e-3", 1, 0, 0.0015L},
        {"1-2", 2, 1, -1},         // a sign inside a number only after E
        {"1e-2-1", 2, 1, 0.01L - 1},
        {"1,5", 2, 0, 1},          // a comma is never a decimal separator
        {"IF(X>1,2,3)", 4, 2, 2},
        {"x + Y", -1, -1, 0},      // variable names of the fixture are case-sensitive
        {"2e", -1, -1, 0},
        {"1.2.3", -1, -1, 0},
        {"E5", -1, -1, 0},
        {"1e99999", -1, -1, 0},    // out of range is no number
        {"- 1", -1, -1, 0},        // a unary minus takes no constant
        {"2 PI", -1, -1, 0},
        {"SIN 1", -1, -1, 0},
        {"SIN()", -1, -1, 0},
        {"", -1, -1, 0},
        {"   ", -1, -1, 0},
        {"1 +", -1, -1, 0},        // no slot for the right operand
        {"1+2)*5", -1, -1, 0},     // an extra close bracket is not cut off silently
        {"1 2", -1, -1, 0},
    };
    Vars["X"] = 7;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        auto e = Build(c.Text);
        if (c.Args < 0) {
            EXPECT_EQ(e, nullptr);
            continue;
        }
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetArgumentsCount(), c.Args);
        EXPECT_EQ(e->GetFunctionsCount(), c.Functions);
        EXPECT_EQ(e->GetValue(), c.Value);
    }
}

TEST_F(ExpressTest, SyntaxCheckMessages) {
    const QString expectAfterOperand =
        "Ожидается : бинарный оператор или запятая или оператор сравнения или логический оператор";
    const struct {
        const char* Text;
        QString Message;
    } cases[] = {
        {"", "Пустая строка"},
        {" \t ", "Пустая строка"},
        {"(1+2", "Недостаточно закрывающих скобок"},
        {"1+2)", "Лишняя закрывающая скобка"},
        {"(1+2))*(3", "Лишняя закрывающая скобка"},
        {"1+", "Несовпадение числа функций и аргументов"},
        {"IF(1, 2)", "Несовпадение числа функций и аргументов"},
        {"- 1", "Несовпадение числа функций и аргументов"},
        {"1 2", expectAfterOperand},
        {"2 PI", expectAfterOperand},
        {"(1 2)", "Ожидается : бинарный оператор или закрывающая скобка или запятая или оператор сравнения или "
                  "логический оператор"},
        {"1,", "Ожидается : унарный оператор или функция или идентификатор или константа или открывающая скобка"},
        {"SIN(1) SIN(2)", expectAfterOperand},
        {"1 + foo", "Неизвеcтный идентификатор : foo"},
        {"foo", "Неизвеcтный идентификатор : foo"},
        {"2 * _a1 + 3", "Неизвеcтный идентификатор : _a1"},
        {"1 + 1abc", expectAfterOperand},  // digits first: a constant, then no operator
        {"1 + é", "Несовпадение числа функций и аргументов"},  // not an identifier of the platform
        {"1 + 2", ""},
        {"SIN(0) + IF(X > 2, (3), 4) * pi", ""},
        {"-(X) >= 1 or Y <> 2 AND ln(3)", ""},
        {"((1))", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Check(c.Text), c.Message);
    }
    // The first word of the unknown-identifier text holds a Latin c.
    EXPECT_EQ(Check("foo").at(6), QLatin1Char('c'));
}

TEST_F(ExpressTest, NaNOperands) {
    Vars["X"] = NaN;
    for (const char* text : {"X+1", "1-X", "X*2", "2/X", "X/0", "-X", "X^2", "2^X", "SIN(X)", "COS(X)", "TAN(X)",
                             "ATAN(X)", "SQRT(X)", "LOG(X)", "LN(X)"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(std::isnan(Eval(text)));
    }
    for (const char* text : {"X<1", "X>1", "X=1", "X<=1", "X>=1", "X<>1", "1<>X", "X OR 1", "1 AND X", "IF(X,1,2)",
                             "ROUND(X)", "IF(X+1 > 0, 1, 2)"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Eval(text), EInvalidOp);
    }
    // A branch that is not taken does not matter.
    EXPECT_EQ(Eval("IF(1, 2, X)"), 2);
    EXPECT_EQ(Eval("IF(0, X, 3)"), 3);
    // Identifiers report their NaN through CheckArguments.
    auto e = Build("1 + Y * X");
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->CheckArguments());
    Vars["X"] = 1;
    EXPECT_TRUE(e->CheckArguments());
    EXPECT_EQ(e->GetValue(), 1);
}

TEST_F(ExpressTest, FloatingPointFaultsRaise) {
    EXPECT_THROW(Eval("1/0"), EZeroDivide);
    EXPECT_THROW(Eval("0/0"), EInvalidOp);
    EXPECT_THROW(Eval("LN(0)"), EZeroDivide);
    EXPECT_THROW(Eval("LOG(0)"), EZeroDivide);
    EXPECT_THROW(Eval("LN(-1)"), EInvalidOp);
    EXPECT_THROW(Eval("SQRT(-1)"), EInvalidOp);
    EXPECT_THROW(Eval("(-8)^(1/3)"), EInvalidOp);
    EXPECT_THROW(Eval("0^-1"), EZeroDivide);
    EXPECT_THROW(Eval("10^5000"), EOverflow);
    EXPECT_THROW(Eval("1e4000 * 1e4000"), EOverflow);
    EXPECT_THROW(Eval("ROUND(1e30)"), EInvalidOp);
    EXPECT_THROW(Eval("IF(1e30, 1, 2)"), EInvalidOp);
    // Extended precision reaches beyond the double range.
    EXPECT_NEAR(static_cast<double>(Eval("1e400 / 1e399")), 10.0, 1e-12);
    // A fault in one evaluation leaves the plan usable.
    Vars["X"] = 0;
    auto e = Build("1 / X");
    ASSERT_NE(e, nullptr);
    EXPECT_THROW(e->GetValue(), EZeroDivide);
    Vars["X"] = 4;
    EXPECT_EQ(e->GetValue(), 0.25);
}

TEST_F(ExpressTest, PlanFollowsItsIdentifiers) {
    auto e = Build("IF(X > Y, X - Y, Y - X) * 2");
    ASSERT_NE(e, nullptr);
    for (auto [x, y, r] : {std::tuple{5, 3, 4}, {3, 5, 4}, {-1, -1, 0}}) {
        Vars["X"] = x;
        Vars["Y"] = y;
        EXPECT_EQ(e->GetValue(), r);
    }
}

TEST(Express, LinkingFailsWithoutSlots) {
    TExpression e;
    e.InsertToken(std::make_unique<TBinaryOperator>(e, '+', 0));
    e.InsertToken(std::make_unique<TConst>(e, 1));
    try {
        e.Prepare();
        FAIL() << "linked";
    } catch (const Exception& ex) {
        EXPECT_EQ(ex.Message(), "Expression: ArgLink failed");
    }
}

TEST(Express, ConstructorsAreTriedInRegistrationOrder) {
    // A constructor taking every word comes after the built-in ones, so PI
    // and the functions keep their meaning and only other words reach it.
    class TAnyWord : public TArgumentConstructor {
    public:
        explicit TAnyWord(TRParser& p)
            : TArgumentConstructor(p, ttIdentifier, {ttBinaryOperator, ttCloseBracket, ttComparison}) {}
        bool Parse(QStringView& text, TExpression& e) override {
            const QStringView run = IdentRun(text);
            if (run.isEmpty()) return false;
            e.InsertToken(std::make_unique<TConst>(e, run.size()));
            text = text.mid(run.size());
            return true;
        }
        bool SyntaxCheck(QStringView& text) override {
            const QStringView run = IdentRun(text);
            if (run.isEmpty()) return false;
            text = text.mid(run.size());
            return TArgumentConstructor::SyntaxCheck(text);
        }
    };
    TRParser p;
    EXPECT_EQ(p.ConstructorsCount(), 11);
    p.SetText("foo + bar");
    EXPECT_EQ(p.SyntaxCheck(), "Неизвеcтный идентификатор : foo");
    EXPECT_EQ(p.BuildExpression(), nullptr);
    p.RegisterConstructor<TAnyWord>();
    EXPECT_EQ(p.SyntaxCheck(), "");
    EXPECT_EQ(p.BuildExpression()->GetValue(), 6);
    p.SetText("pi + sin(0) + abcd");
    EXPECT_EQ(p.BuildExpression()->GetValue(), Pi + 4);
    // The owner travels with the plan.
    int owner = 0;
    EXPECT_EQ(p.BuildExpression(&owner)->Owner(), &owner);
}

}  // namespace
