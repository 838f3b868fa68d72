#include "Express.h"

#include "Components.h"
#include "ExtendedMath.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended Pi = 3.1415926535897932385L;
// 2^63: integer parts at or beyond it do not fit the 64-bit conversion.
constexpr Extended Int64Limit = 9223372036854775808.0L;

constexpr TTokenSet AfterOperand{ttBinaryOperator, ttCloseBracket, ttComma, ttComparison, ttLogicOperator};
constexpr TTokenSet AfterOperator{ttUnaryOperator, ttFunction, ttIdentifier, ttConst, ttOpenBracket};

// The old runtime trimmed every control character along with the blank.
bool IsBlank(QChar c) { return c.unicode() <= ' '; }

QStringView TrimLeft(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return text.mid(i);
}

bool IsAsciiDigit(QChar c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(QChar c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// An arithmetic result from operands that are not NaN: NaN means an invalid
// operation, an infinity from finite operands an overflow.
[[gnu::always_inline]] inline Extended Checked(Extended r, Extended a, Extended b = 0) {
    if (std::isfinite(r)) [[likely]]
        return r;
    if (std::isnan(r)) throw EInvalidOp();
    if (std::isfinite(a) && std::isfinite(b)) throw EOverflow();
    return r;
}

Extended Power(Extended base, Extended exponent) {
    if (exponent == 0) return 1;
    if (base == 0 && exponent < 0) throw EZeroDivide();
    return Checked(std::pow(base, exponent), base, exponent);
}

// Matches a word of identifier characters, in any letter case.
bool IsWord(QStringView run, const char* word) {
    return run.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool IsIdentChar(QChar c) {
    const char16_t u = c.unicode();
    return IsAsciiDigit(c) || IsAsciiLetter(c) || u == '_' || (u >= 0x00C0 && u <= 0x00FF);
}

QStringView IdentRun(QStringView text) {
    qsizetype n = 0;
    while (n < text.size() && IsIdentChar(text[n])) ++n;
    return text.left(n);
}

bool IsTrueValue(Extended value) {
    if (std::isnan(value)) throw EInvalidOp();
    const Extended magnitude = std::fabs(value);
    if (magnitude < ExtendedMath::SmallLimit) [[likely]]
        return ExtendedMath::LowByteOfWholePart(magnitude);
    const Extended t = std::trunc(value);
    if (t >= Int64Limit || t < -Int64Limit) throw EInvalidOp();
    return (static_cast<int64_t>(t) & 0xFF) != 0;
}

// ---- tokens

void TConst::Prepare() { FExp.DataArray[Position] = FValue; }

TFunction::TFunction(TExpression& expression, TTokenType type, int priority, int priorityModifier,
                     std::vector<int> directions)
    : TToken(expression, type),
      ArgDirections(std::move(directions)),
      FPriority(priority),
      FPriorityModifier(priorityModifier) {}

TUnaryOperator::TUnaryOperator(TExpression& expression, int priorityModifier)
    : TFunction(expression, ttUnaryOperator, 4, priorityModifier, {adRight}) {}

void TUnaryOperator::Process() {
    Extended& x = Arg(0);
    x = -x;
}

namespace {
int BinaryPriority(char op) {
    switch (op) {
    case '+':
    case '-': return 1;
    case '*':
    case '/': return 2;
    default: return 3;
    }
}
}  // namespace

TBinaryOperator::TBinaryOperator(TExpression& expression, char op, int priorityModifier)
    : TFunction(expression, ttBinaryOperator, BinaryPriority(op), priorityModifier, {adLeft, adRight}),
      FBType(op) {}

void TBinaryOperator::Process() {
    Extended& l = Arg(0);
    const Extended r = Arg(1);
    if (std::isnan(l) || std::isnan(r)) {
        l = NaN;
        return;
    }
    switch (FBType) {
    case '+': l = Checked(l + r, l, r); break;
    case '-': l = Checked(l - r, l, r); break;
    case '*': l = Checked(l * r, l, r); break;
    case '/':
        if (r == 0) {
            if (l == 0) throw EInvalidOp();
            throw EZeroDivide();
        }
        l = Checked(l / r, l, r);
        break;
    default: l = Power(l, r); break;
    }
}

TComparisonOperator::TComparisonOperator(TExpression& expression, TComparisonType type, int priorityModifier)
    : TFunction(expression, ttComparison, 1, priorityModifier, {adLeft, adRight}), FCType(type) {}

void TComparisonOperator::Process() {
    Extended& l = Arg(0);
    const Extended r = Arg(1);
    if (std::isnan(l) || std::isnan(r)) throw EInvalidOp();
    bool result = false;
    switch (FCType) {
    case ctLess: result = l < r; break;
    case ctBigger: result = l > r; break;
    case ctEqual: result = ExtendedMath::SameValue(l, r); break;
    case ctLessOrEqual: result = l <= r; break;
    case ctBiggerOrEqual: result = l >= r; break;
    case ctNotEqual: result = !ExtendedMath::SameValue(l, r); break;
    }
    l = result ? 1 : 0;
}

TLogicOperator::TLogicOperator(TExpression& expression, TBinaryLogicType type, int priorityModifier)
    : TFunction(expression, ttLogicOperator, 1, priorityModifier, {adLeft, adRight}), FLType(type) {}

void TLogicOperator::Process() {
    Extended& l = Arg(0);
    const bool a = IsTrueValue(l);
    const bool b = IsTrueValue(Arg(1));
    l = (FLType == ltOr ? (a || b) : (a && b)) ? 1 : 0;
}

TBasicFunction::TBasicFunction(TExpression& expression, TBasicFuncions type, int priorityModifier)
    : TFunction(expression, ttFunction, 5, priorityModifier, {adRight}), FFType(type) {}

void TBasicFunction::Process() {
    Extended& x = Arg(0);
    if (FFType == bfRound) {
        if (std::isnan(x)) throw EInvalidOp();
        const Extended r = std::nearbyint(x);  // the default rounding mode: halves to even
        if (r >= Int64Limit || r < -Int64Limit) throw EInvalidOp();
        x = r;
        return;
    }
    if (std::isnan(x)) return;
    switch (FFType) {
    case bfSin: x = Checked(ExtendedMath::Sin(x), x); break;
    case bfCos: x = Checked(ExtendedMath::Cos(x), x); break;
    case bfTan: x = Checked(ExtendedMath::Tan(x), x); break;
    case bfAtan: x = Checked(ExtendedMath::ArcTan(x), x); break;
    case bfSqrt:
        if (x < 0) throw EInvalidOp();
        x = ExtendedMath::Sqrt(x);
        break;
    case bfLog:
    case bfLn:
        if (x == 0) throw EZeroDivide();
        if (x < 0) throw EInvalidOp();
        x = FFType == bfLog ? ExtendedMath::Log10(x) : ExtendedMath::Ln(x);
        break;
    case bfRound: break;
    }
}

TIfFunction::TIfFunction(TExpression& expression, int priorityModifier)
    : TFunction(expression, ttFunction, 5, priorityModifier, {adRight, adRight, adRight}) {}

void TIfFunction::Process() {
    Extended& c = Arg(0);
    c = IsTrueValue(c) ? Arg(1) : Arg(2);
}

// ---- expression

void TExpression::Prepare() {
    std::stable_sort(FFunctions.begin(), FFunctions.end(), [](const auto& a, const auto& b) {
        return a->EffectivePriority() > b->EffectivePriority();
    });
    const int n = static_cast<int>(FArguments.size());
    DataArray.assign(n, 0);
    std::vector<char> taken(n, 0);
    for (const auto& f : FFunctions) {
        f->ArgsIndexes.assign(f->ArgDirections.size(), -1);
        int start = f->Position;
        for (size_t k = 0; k < f->ArgDirections.size(); ++k) {
            int slot = -1;
            if (f->ArgDirections[k] == adLeft) {
                for (int s = std::min(start, n) - 1; s >= 0; --s)
                    if (!taken[s]) {
                        slot = s;
                        break;
                    }
            } else {
                for (int s = std::max(start, 0); s < n; ++s)
                    if (!taken[s]) {
                        slot = s;
                        start = s;
                        break;
                    }
            }
            if (slot < 0) throw Exception(QStringLiteral("Expression: ArgLink failed"));
            taken[slot] = 1;
            f->ArgsIndexes[k] = slot;
        }
        // The result lands in the first slot, an operand for what follows.
        if (!f->ArgsIndexes.empty()) taken[f->ArgsIndexes[0]] = 0;
    }
    FResultIndex = FFunctions.empty() || FFunctions.back()->ArgsIndexes.empty() ? 0
                                                                               : FFunctions.back()->ArgsIndexes[0];
    FPrepared = true;
}

Extended TExpression::GetValue() {
    if (!FPrepared) Prepare();
    if (FArguments.empty()) throw Exception(QStringLiteral("Expression: no arguments"));
    for (const auto& a : FArguments) a->Prepare();
    return ProcessFunctions();
}

Extended TExpression::ProcessFunctions() {
    for (const auto& f : FFunctions) f->Process();
    return DataArray[FResultIndex];
}

bool TExpression::CheckArguments() const {
    return std::all_of(FArguments.begin(), FArguments.end(), [](const auto& a) { return a->Check(); });
}

// ---- constructors

bool TFunctionConstructor::SyntaxCheck(QStringView&) {
    AdjustRequestedArgumentsCount();
    return true;
}

void TFunctionConstructor::AdjustRequestedArgumentsCount() { ++FParser.RequestedArgumentsCount; }

bool TArgumentConstructor::SyntaxCheck(QStringView&) {
    AdjustRequestedArgumentsCount();
    return true;
}

void TArgumentConstructor::AdjustRequestedArgumentsCount() { --FParser.RequestedArgumentsCount; }

TConstConstructor::TConstConstructor(TRParser& parser) : TArgumentConstructor(parser, ttConst, AfterOperand) {}

int TConstConstructor::Match(QStringView text, Extended& value) {
    qsizetype n = 0;
    while (n < text.size()) {
        const QChar c = text[n];
        const bool signAllowed = n == 0 || text[n - 1] == 'E' || text[n - 1] == 'e';
        if (IsAsciiDigit(c) || c == '.' || c == 'E' || c == 'e' || ((c == '+' || c == '-') && signAllowed))
            ++n;
        else
            break;
    }
    if (n == 0) return 0;
    // Decimal syntax: sign, digits with at most one '.', optional exponent.
    const QByteArray run = text.left(n).toLatin1();
    qsizetype i = 0;
    bool negative = false;
    if (run[i] == '+' || run[i] == '-') negative = run[i++] == '-';
    const qsizetype mantissa = i;
    int digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(run[i]))) ++i, ++digits;
    if (i < n && run[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(run[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < n && (run[i] == 'e' || run[i] == 'E')) {
        ++i;
        if (i < n && (run[i] == '+' || run[i] == '-')) ++i;
        int exponentDigits = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(run[i]))) ++i, ++exponentDigits;
        if (exponentDigits == 0) return 0;
    }
    if (i != n) return 0;
    Extended v = 0;
    const char* first = run.constData() + mantissa;
    const char* last = run.constData() + n;
    const auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != last) return 0;  // out of range counts as no number
    value = negative ? -v : v;
    return static_cast<int>(n);
}

bool TConstConstructor::Parse(QStringView& text, TExpression& expression) {
    Extended v = 0;
    const int n = Match(text, v);
    if (n == 0) return false;
    expression.InsertToken(std::make_unique<TConst>(expression, v));
    text = text.mid(n);
    return true;
}

bool TConstConstructor::SyntaxCheck(QStringView& text) {
    Extended v = 0;
    const int n = Match(text, v);
    if (n == 0) return false;
    text = text.mid(n);
    return TArgumentConstructor::SyntaxCheck(text);
}

TBinaryOperatorConstructor::TBinaryOperatorConstructor(TRParser& parser)
    : TFunctionConstructor(parser, ttBinaryOperator, AfterOperator) {}

namespace {
bool IsBinaryOperatorChar(QStringView text) {
    return !text.isEmpty() && QStringView(u"*+-/^").contains(text[0]);
}
}  // namespace

bool TBinaryOperatorConstructor::Parse(QStringView& text, TExpression& expression) {
    if (!IsBinaryOperatorChar(text)) return false;
    expression.InsertToken(
        std::make_unique<TBinaryOperator>(expression, static_cast<char>(text[0].unicode()), FParser.CurrentPriority));
    text = text.mid(1);
    return true;
}

bool TBinaryOperatorConstructor::SyntaxCheck(QStringView& text) {
    if (!IsBinaryOperatorChar(text)) return false;
    text = text.mid(1);
    return TFunctionConstructor::SyntaxCheck(text);
}

TComparisonConstructor::TComparisonConstructor(TRParser& parser)
    : TFunctionConstructor(parser, ttComparison, AfterOperator) {}

int TComparisonConstructor::Match(QStringView text, TComparisonType& type) {
    if (text.startsWith(u"<=")) return type = ctLessOrEqual, 2;
    if (text.startsWith(u"<>")) return type = ctNotEqual, 2;
    if (text.startsWith(u">=")) return type = ctBiggerOrEqual, 2;
    if (text.startsWith(u'<')) return type = ctLess, 1;
    if (text.startsWith(u'=')) return type = ctEqual, 1;
    if (text.startsWith(u'>')) return type = ctBigger, 1;
    return 0;
}

bool TComparisonConstructor::Parse(QStringView& text, TExpression& expression) {
    TComparisonType type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    expression.InsertToken(std::make_unique<TComparisonOperator>(expression, type, FParser.CurrentPriority));
    text = text.mid(n);
    return true;
}

bool TComparisonConstructor::SyntaxCheck(QStringView& text) {
    TComparisonType type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    text = text.mid(n);
    return TFunctionConstructor::SyntaxCheck(text);
}

TOpenBracketConstructor::TOpenBracketConstructor(TRParser& parser)
    : TTokenConstructor(parser, ttOpenBracket, AfterOperator) {}

bool TOpenBracketConstructor::Parse(QStringView& text, TExpression& expression) {
    if (!SyntaxCheck(text)) return false;
    (void)expression;
    FParser.CurrentPriority += 10;
    return true;
}

bool TOpenBracketConstructor::SyntaxCheck(QStringView& text) {
    if (!text.startsWith(u'(')) return false;
    text = text.mid(1);
    ++FParser.BracketsCount;
    return true;
}

TCloseBracketConstructor::TCloseBracketConstructor(TRParser& parser)
    : TTokenConstructor(parser, ttCloseBracket, AfterOperand) {}

bool TCloseBracketConstructor::Parse(QStringView& text, TExpression& expression) {
    if (!SyntaxCheck(text)) return false;
    (void)expression;
    FParser.CurrentPriority -= 10;
    return true;
}

bool TCloseBracketConstructor::SyntaxCheck(QStringView& text) {
    if (!text.startsWith(u')')) return false;
    text = text.mid(1);
    --FParser.BracketsCount;
    return true;
}

TUnaryOperatorConstructor::TUnaryOperatorConstructor(TRParser& parser)
    : TTokenConstructor(parser, ttUnaryOperator, {ttFunction, ttIdentifier, ttOpenBracket}) {}

bool TUnaryOperatorConstructor::Parse(QStringView& text, TExpression& expression) {
    if (!SyntaxCheck(text)) return false;
    expression.InsertToken(std::make_unique<TUnaryOperator>(expression, FParser.CurrentPriority));
    return true;
}

bool TUnaryOperatorConstructor::SyntaxCheck(QStringView& text) {
    if (!text.startsWith(u'-')) return false;
    text = text.mid(1);
    return true;
}

TBasicFunctionConstructor::TBasicFunctionConstructor(TRParser& parser)
    : TTokenConstructor(parser, ttFunction, {ttOpenBracket}) {}

int TBasicFunctionConstructor::Match(QStringView text, TBasicFuncions& type) {
    static const struct {
        const char* Name;
        TBasicFuncions Type;
    } names[] = {{"SIN", bfSin},   {"COS", bfCos}, {"TAN", bfTan}, {"ATAN", bfAtan},
                 {"SQRT", bfSqrt}, {"LOG", bfLog}, {"LN", bfLn},   {"ROUND", bfRound}};
    const QStringView run = IdentRun(text);
    for (const auto& n : names)
        if (IsWord(run, n.Name)) {
            type = n.Type;
            return static_cast<int>(run.size());
        }
    return 0;
}

bool TBasicFunctionConstructor::Parse(QStringView& text, TExpression& expression) {
    TBasicFuncions type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    expression.InsertToken(std::make_unique<TBasicFunction>(expression, type, FParser.CurrentPriority));
    text = text.mid(n);
    return true;
}

bool TBasicFunctionConstructor::SyntaxCheck(QStringView& text) {
    TBasicFuncions type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    text = text.mid(n);
    return true;
}

TConstIdentConstructor::TConstIdentConstructor(TRParser& parser)
    : TArgumentConstructor(parser, ttIdentifier, AfterOperand) {}

bool TConstIdentConstructor::Parse(QStringView& text, TExpression& expression) {
    const QStringView run = IdentRun(text);
    if (!IsWord(run, "PI")) return false;
    expression.InsertToken(std::make_unique<TConst>(expression, Pi));
    text = text.mid(run.size());
    return true;
}

bool TConstIdentConstructor::SyntaxCheck(QStringView& text) {
    const QStringView run = IdentRun(text);
    if (!IsWord(run, "PI")) return false;
    text = text.mid(run.size());
    return TArgumentConstructor::SyntaxCheck(text);
}

TLogicOperatorConstructor::TLogicOperatorConstructor(TRParser& parser)
    : TFunctionConstructor(parser, ttLogicOperator, AfterOperator) {}

int TLogicOperatorConstructor::Match(QStringView text, TBinaryLogicType& type) {
    const QStringView run = IdentRun(text);
    if (IsWord(run, "OR")) return type = ltOr, 2;
    if (IsWord(run, "AND")) return type = ltAnd, 3;
    return 0;
}

bool TLogicOperatorConstructor::Parse(QStringView& text, TExpression& expression) {
    TBinaryLogicType type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    expression.InsertToken(std::make_unique<TLogicOperator>(expression, type, FParser.CurrentPriority));
    text = text.mid(n);
    return true;
}

bool TLogicOperatorConstructor::SyntaxCheck(QStringView& text) {
    TBinaryLogicType type{};
    const int n = Match(text, type);
    if (n == 0) return false;
    text = text.mid(n);
    return TFunctionConstructor::SyntaxCheck(text);
}

TIfFunctionConstructor::TIfFunctionConstructor(TRParser& parser)
    : TFunctionConstructor(parser, ttFunction, {ttOpenBracket}) {}

bool TIfFunctionConstructor::Parse(QStringView& text, TExpression& expression) {
    const QStringView run = IdentRun(text);
    if (!IsWord(run, "IF")) return false;
    expression.InsertToken(std::make_unique<TIfFunction>(expression, FParser.CurrentPriority));
    text = text.mid(run.size());
    return true;
}

bool TIfFunctionConstructor::SyntaxCheck(QStringView& text) {
    const QStringView run = IdentRun(text);
    if (!IsWord(run, "IF")) return false;
    text = text.mid(run.size());
    return TFunctionConstructor::SyntaxCheck(text);
}

void TIfFunctionConstructor::AdjustRequestedArgumentsCount() { FParser.RequestedArgumentsCount += 2; }

TCommaConstructor::TCommaConstructor(TRParser& parser) : TTokenConstructor(parser, ttComma, AfterOperator) {}

bool TCommaConstructor::Parse(QStringView& text, TExpression& expression) {
    (void)expression;
    return SyntaxCheck(text);
}

bool TCommaConstructor::SyntaxCheck(QStringView& text) {
    if (!text.startsWith(u',')) return false;
    text = text.mid(1);
    return true;
}

// ---- parser

TRParser::TRParser() {
    RegisterConstructor<TConstConstructor>();
    RegisterConstructor<TBinaryOperatorConstructor>();
    RegisterConstructor<TComparisonConstructor>();
    RegisterConstructor<TOpenBracketConstructor>();
    RegisterConstructor<TCloseBracketConstructor>();
    RegisterConstructor<TUnaryOperatorConstructor>();
    RegisterConstructor<TBasicFunctionConstructor>();
    RegisterConstructor<TConstIdentConstructor>();
    RegisterConstructor<TLogicOperatorConstructor>();
    RegisterConstructor<TIfFunctionConstructor>();
    RegisterConstructor<TCommaConstructor>();
}

TRParser::TScanResult TRParser::Scan(TExpression* expression) {
    CurrentPriority = 0;
    ArgumentsCount = 0;
    CurrentArgument = 0;
    BracketsCount = 0;
    TScanResult r;
    r.Allowed = AfterOperator;
    QStringView text(FText);
    while (true) {
        text = TrimLeft(text);
        if (text.isEmpty()) break;
        bool accepted = false;
        for (const auto& c : FConstructors) {
            if (!r.Allowed.Contains(c->TokenType())) continue;
            QStringView rest = text;
            if (expression ? c->Parse(rest, *expression) : c->SyntaxCheck(rest)) {
                text = rest;
                r.Allowed = c->NextTokens();
                r.LastType = c->TokenType();
                r.HasToken = true;
                accepted = true;
                break;
            }
        }
        if (!accepted) {
            r.Ok = false;
            break;
        }
        if (expression) ArgumentsCount = expression->GetArgumentsCount();
        // More brackets closed than opened: nothing after it can make sense.
        if (BracketsCount < 0) {
            r.Ok = false;
            break;
        }
    }
    r.Rest = text;
    return r;
}

std::unique_ptr<TExpression> TRParser::BuildExpression(void* owner) {
    auto expression = std::make_unique<TExpression>(owner);
    try {
        const TScanResult r = Scan(expression.get());
        if (!r.Ok || expression->GetArgumentsCount() == 0) return nullptr;
        expression->Prepare();
    } catch (const std::exception&) {
        return nullptr;
    }
    return expression;
}

QString ExpressTexts::TokenTypeName(TTokenType type) {
    switch (type) {
    case ttUnaryOperator: return QStringLiteral("унарный оператор");
    case ttBinaryOperator: return QStringLiteral("бинарный оператор");
    case ttFunction: return QStringLiteral("функция");
    case ttIdentifier: return QStringLiteral("идентификатор");
    case ttConst: return QStringLiteral("константа");
    case ttOpenBracket: return QStringLiteral("открывающая скобка");
    case ttCloseBracket: return QStringLiteral("закрывающая скобка");
    case ttComma: return QStringLiteral("запятая");
    case ttComparison: return QStringLiteral("оператор сравнения");
    case ttLogicOperator: return QStringLiteral("логический оператор");
    }
    return {};
}

QString TRParser::SyntaxCheck() {
    using namespace ExpressTexts;
    if (std::all_of(FText.begin(), FText.end(), IsBlank)) return EmptyString;
    RequestedArgumentsCount = 1;
    TScanResult r;
    try {
        r = Scan(nullptr);
    } catch (const std::exception& e) {
        return ExceptionMessage(e);
    }
    if (!r.Ok && BracketsCount >= 0 && r.Allowed.Contains(ttIdentifier)) {
        const QStringView run = IdentRun(r.Rest);
        if (IsValidIdent(run.toString())) return UnknownIdentifier + run.toString();
    }
    if (RequestedArgumentsCount != 0) return ArgumentsMismatch;
    if (BracketsCount < 0) return ExtraCloseBracket;
    const auto expected = [&] {
        QStringList names;
        for (int t = ttUnaryOperator; t <= ttLogicOperator; ++t) {
            const auto type = static_cast<TTokenType>(t);
            if (!r.Allowed.Contains(type)) continue;
            if (type == ttCloseBracket && BracketsCount <= 0) continue;
            names << TokenTypeName(type);
        }
        return Expected + names.join(Or);
    };
    if (!r.Ok) return expected();
    if (r.LastType != ttIdentifier && r.LastType != ttConst && r.LastType != ttCloseBracket) return expected();
    if (BracketsCount > 0) return MissingCloseBracket;
    return {};
}

TRParser& RParser() {
    static TRParser parser;
    return parser;
}
