#pragma once
// The formula language: a small extensible parser that turns a formula text
// (S101 * 2 + 1, IF(...), comparisons and logic) into an evaluation plan
// (TExpression), and a syntax check that explains in Russian what is wrong.
//
// A plan holds argument tokens (constants, identifiers), each writing its value
// into its own slot of DataArray, and function tokens (operators, functions),
// each reading its argument slots and writing its result into its first one.
// Linking assigns the slots once; evaluating is then a walk over both lists.
//
// Token constructors recognise tokens at the front of the remaining text; a
// parser tries them in registration order. Other units add their own (sensor
// identifiers, recorded-parameter identifiers) with RegisterConstructor.
#include "Exceptions.h"
#include "Sets.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <type_traits>
#include <vector>

#pragma GCC visibility push(default)

// Values are evaluated in extended precision throughout.
using Extended = long double;

enum TTokenType {
    ttUnaryOperator,
    ttBinaryOperator,
    ttFunction,
    ttIdentifier,
    ttConst,
    ttOpenBracket,
    ttCloseBracket,
    ttComma,
    ttComparison,
    ttLogicOperator
};
using TTokenSet = TSet<TTokenType>;

enum TBasicFuncions { bfSin, bfCos, bfTan, bfAtan, bfSqrt, bfLog, bfLn, bfRound };
enum TComparisonType { ctLess, ctBigger, ctEqual, ctLessOrEqual, ctBiggerOrEqual, ctNotEqual };
enum TBinaryLogicType { ltOr, ltAnd };

// Floating-point faults of an evaluation. The arithmetic checks for them
// explicitly and raises, so callers can decide per value what a fault means.
class EMathError : public Exception {
public:
    using Exception::Exception;
};
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError(QStringLiteral("Invalid floating point operation")) {}
};
class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError(QStringLiteral("Floating point division by zero")) {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError(QStringLiteral("Floating point overflow")) {}
};

class TExpression;
class TRParser;

// Whether a character may be part of an identifier or a word operator.
bool IsIdentChar(QChar c);
// The run of identifier characters at the front of the text.
QStringView IdentRun(QStringView text);
// Truth of a value for OR, AND and IF: the low 8 bits of its integer part
// are not all zero; raises EInvalidOp for NaN and for values out of range.
bool IsTrueValue(Extended value);

class TToken {
public:
    TToken(TExpression& expression, TTokenType type) : FExp(expression), FType(type) {}
    virtual ~TToken() = default;
    TToken(const TToken&) = delete;
    TToken& operator=(const TToken&) = delete;

    TTokenType TokenType() const { return FType; }
    TExpression& Expression() const { return FExp; }

    // The number of argument tokens inserted before this one: an argument's
    // own slot, a function's place among the arguments.
    int Position = 0;

protected:
    TExpression& FExp;
    TTokenType FType;
};

class TArgument : public TToken {
public:
    using TToken::TToken;
    // Puts the argument's value into its slot of the expression's DataArray.
    virtual void Prepare() = 0;
    // False when the argument has no usable value.
    virtual bool Check() const { return true; }
};

class TConst : public TArgument {
public:
    TConst(TExpression& expression, Extended value) : TArgument(expression, ttConst), FValue(value) {}
    void Prepare() override;
    Extended Value() const { return FValue; }

private:
    Extended FValue;
};

// Direction of an argument: the nearest free slot to the left or to the right.
enum TArgDirection { adLeft = 0, adRight = 1 };

class TFunction : public TToken {
public:
    TFunction(TExpression& expression, TTokenType type, int priority, int priorityModifier,
              std::vector<int> directions);
    int Priority() const { return FPriority; }
    int PriorityModifier() const { return FPriorityModifier; }
    int EffectivePriority() const { return FPriority + FPriorityModifier; }
    // Computes the result from the argument slots into the first one;
    // floating-point faults raise EMathError.
    virtual void Process() = 0;

    std::vector<int> ArgsIndexes;
    std::vector<int> ArgDirections;

protected:
    Extended& Arg(int k) const;  // defined after TExpression

    int FPriority;
    int FPriorityModifier;
};

class TUnaryOperator : public TFunction {
public:
    TUnaryOperator(TExpression& expression, int priorityModifier);
    void Process() override;
};

// Arithmetic passes a NaN operand on as NaN ("^" included).
class TBinaryOperator : public TFunction {
public:
    // op is one of * + - / ^.
    TBinaryOperator(TExpression& expression, char op, int priorityModifier);
    char BType() const { return FBType; }
    void Process() override;

private:
    char FBType;
};

class TComparisonOperator : public TFunction {
public:
    TComparisonOperator(TExpression& expression, TComparisonType type, int priorityModifier);
    TComparisonType ComparisonType() const { return FCType; }
    void Process() override;

private:
    TComparisonType FCType;
};

class TLogicOperator : public TFunction {
public:
    TLogicOperator(TExpression& expression, TBinaryLogicType type, int priorityModifier);
    TBinaryLogicType LogicType() const { return FLType; }
    void Process() override;

private:
    TBinaryLogicType FLType;
};

class TBasicFunction : public TFunction {
public:
    TBasicFunction(TExpression& expression, TBasicFuncions type, int priorityModifier);
    TBasicFuncions FunctionType() const { return FFType; }
    void Process() override;

private:
    TBasicFuncions FFType;
};

// IF(condition, then, else); all three operands are computed in any case.
class TIfFunction : public TFunction {
public:
    TIfFunction(TExpression& expression, int priorityModifier);
    void Process() override;
};

// A parsed formula: its tokens, their slots and the linking between them.
class TExpression {
public:
    // owner: whatever the caller attaches; not owned.
    explicit TExpression(void* owner = nullptr) : FOwner(owner) {}
    TExpression(const TExpression&) = delete;
    TExpression& operator=(const TExpression&) = delete;

    void* Owner() const { return FOwner; }

    // Takes the token over: a function goes to the function list, any other
    // token to the argument list; its Position is set on the way.
    template <class T>
    T& InsertToken(std::unique_ptr<T> token) {
        static_assert(std::is_base_of_v<TArgument, T> || std::is_base_of_v<TFunction, T>);
        T& ref = *token;
        token->Position = static_cast<int>(FArguments.size());
        if constexpr (std::is_base_of_v<TFunction, T>)
            FFunctions.push_back(std::move(token));
        else
            FArguments.push_back(std::move(token));
        FPrepared = false;
        return ref;
    }

    // Links every function to its argument slots; raises
    // "Expression: ArgLink failed" when an argument has no slot left.
    void Prepare();
    // Evaluates the plan; floating-point faults raise EMathError.
    Extended GetValue();
    // The function walk of GetValue over the argument values already in
    // DataArray (a prepared plan only).
    Extended ProcessFunctions();
    bool IsPrepared() const { return FPrepared; }
    // The slot that holds the result after the function walk.
    int ResultIndex() const { return FResultIndex; }
    // Check of every argument in order; false at the first that fails.
    bool CheckArguments() const;

    int GetArgumentsCount() const { return static_cast<int>(FArguments.size()); }
    TArgument& GetArgument(int i) const { return *FArguments.at(i); }
    int GetFunctionsCount() const { return static_cast<int>(FFunctions.size()); }
    // In evaluation order once prepared.
    TFunction& GetFunction(int i) const { return *FFunctions.at(i); }

    // One value per argument token.
    std::vector<Extended> DataArray;

private:
    void* FOwner;
    std::vector<std::unique_ptr<TFunction>> FFunctions;
    std::vector<std::unique_ptr<TArgument>> FArguments;
    int FResultIndex = 0;
    bool FPrepared = false;
};

inline Extended& TFunction::Arg(int k) const { return FExp.DataArray[ArgsIndexes[k]]; }

// Recognises one kind of token at the front of the remaining formula.
class TTokenConstructor {
public:
    TTokenConstructor(TRParser& parser, TTokenType type, TTokenSet nextTokens)
        : FParser(parser), FTokenType(type), FNextTokens(nextTokens) {}
    virtual ~TTokenConstructor() = default;
    TTokenConstructor(const TTokenConstructor&) = delete;
    TTokenConstructor& operator=(const TTokenConstructor&) = delete;

    // When the token is at the front of text: removes it, creates its token
    // in the expression (if it has one) and returns true.
    virtual bool Parse(QStringView& text, TExpression& expression) = 0;
    // The same recognition without an expression, counting operands.
    virtual bool SyntaxCheck(QStringView& text) = 0;

    TTokenType TokenType() const { return FTokenType; }
    TTokenSet NextTokens() const { return FNextTokens; }
    TRParser& Parser() const { return FParser; }

protected:
    TRParser& FParser;
    TTokenType FTokenType;
    TTokenSet FNextTokens;
};

// Constructors of operators and functions: each asks for operands.
class TFunctionConstructor : public TTokenConstructor {
public:
    using TTokenConstructor::TTokenConstructor;
    bool SyntaxCheck(QStringView& text) override;
    virtual void AdjustRequestedArgumentsCount();
};

// Constructors of arguments: each supplies one operand.
class TArgumentConstructor : public TTokenConstructor {
public:
    using TTokenConstructor::TTokenConstructor;
    bool SyntaxCheck(QStringView& text) override;
    virtual void AdjustRequestedArgumentsCount();
};

class TConstConstructor : public TArgumentConstructor {
public:
    explicit TConstConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;

private:
    // Length of the number at the front of text (0 when none) and its value.
    static int Match(QStringView text, Extended& value);
};

class TBinaryOperatorConstructor : public TFunctionConstructor {
public:
    explicit TBinaryOperatorConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

class TComparisonConstructor : public TFunctionConstructor {
public:
    explicit TComparisonConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;

private:
    static int Match(QStringView text, TComparisonType& type);
};

class TOpenBracketConstructor : public TTokenConstructor {
public:
    explicit TOpenBracketConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

class TCloseBracketConstructor : public TTokenConstructor {
public:
    explicit TCloseBracketConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

class TUnaryOperatorConstructor : public TTokenConstructor {
public:
    explicit TUnaryOperatorConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

class TBasicFunctionConstructor : public TTokenConstructor {
public:
    explicit TBasicFunctionConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;

private:
    static int Match(QStringView text, TBasicFuncions& type);
};

// The named constant PI.
class TConstIdentConstructor : public TArgumentConstructor {
public:
    explicit TConstIdentConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

class TLogicOperatorConstructor : public TFunctionConstructor {
public:
    explicit TLogicOperatorConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;

private:
    static int Match(QStringView text, TBinaryLogicType& type);
};

class TIfFunctionConstructor : public TFunctionConstructor {
public:
    explicit TIfFunctionConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
    // IF asks for two operands beyond the one it gives back.
    void AdjustRequestedArgumentsCount() override;
};

class TCommaConstructor : public TTokenConstructor {
public:
    explicit TCommaConstructor(TRParser& parser);
    bool Parse(QStringView& text, TExpression& expression) override;
    bool SyntaxCheck(QStringView& text) override;
};

// The formula parser. One parser is used by one thread at a time.
class TRParser {
public:
    // Registers the built-in constructors, in the order they are tried.
    TRParser();
    TRParser(const TRParser&) = delete;
    TRParser& operator=(const TRParser&) = delete;

    // Appends a constructor made with this parser; it is tried after all
    // constructors registered before it.
    template <class T, class... Args>
    T& RegisterConstructor(Args&&... args) {
        auto c = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *c;
        FConstructors.push_back(std::move(c));
        return ref;
    }
    int ConstructorsCount() const { return static_cast<int>(FConstructors.size()); }
    TTokenConstructor& Constructor(int i) const { return *FConstructors.at(i); }

    void SetText(const QString& text) { FText = text; }
    const QString& Text() const { return FText; }

    // The plan of the text; nullptr when the text cannot be turned into one.
    std::unique_ptr<TExpression> BuildExpression(void* owner = nullptr);
    // Empty when the text is a valid formula, else the first error's text.
    QString SyntaxCheck();

    // Scanning state, shared with the constructors.
    int CurrentPriority = 0;  // 10 per open bracket
    int ArgumentsCount = 0;
    int CurrentArgument = 0;
    int BracketsCount = 0;            // open minus closed so far
    int RequestedArgumentsCount = 0;  // operand balance of the syntax check

private:
    struct TScanResult {
        bool Ok = true;
        TTokenSet Allowed;
        TTokenType LastType = ttConst;
        bool HasToken = false;
        QStringView Rest;
    };
    TScanResult Scan(TExpression* expression);

    QString FText;
    std::vector<std::unique_ptr<TTokenConstructor>> FConstructors;
};

// The global parser of live formulas (main thread only); WKUDF adds sensor
// identifiers to it.
TRParser& RParser();

// Texts of the syntax check.
namespace ExpressTexts {
inline const QString EmptyString = QStringLiteral("Пустая строка");
// The first word is spelled with a Latin c, as users have always seen it.
inline const QString UnknownIdentifier =
    QStringLiteral("Неизве") + QLatin1Char('c') + QStringLiteral("тный идентификатор : ");
inline const QString ArgumentsMismatch = QStringLiteral("Несовпадение числа функций и аргументов");
inline const QString ExtraCloseBracket = QStringLiteral("Лишняя закрывающая скобка");
inline const QString MissingCloseBracket = QStringLiteral("Недостаточно закрывающих скобок");
inline const QString Expected = QStringLiteral("Ожидается : ");
inline const QString Or = QStringLiteral(" или ");
// The name of a token type in the expectation message.
QString TokenTypeName(TTokenType type);
}  // namespace ExpressTexts

#pragma GCC visibility pop
