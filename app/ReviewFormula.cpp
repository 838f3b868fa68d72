// Formulas of review charts: the identifiers of recorded parameters, the
// review parser and the formula series that computes into the document.
#include "ReviewSeries.h"
#include "SketchDLLMan.h"
#include "SketchDocStub.h"
#include "UIServices.h"

#include <cmath>
#include <limits>

using namespace Plotmere;

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::vector<TWKReviewExpressionIdentifier*> Identifiers(const TExpression& e) {
    std::vector<TWKReviewExpressionIdentifier*> list;
    for (int i = 0; i < e.GetArgumentsCount(); ++i)
        if (auto* id = dynamic_cast<TWKReviewExpressionIdentifier*>(&e.GetArgument(i))) list.push_back(id);
    return list;
}

std::unique_ptr<TExpression> ParseReviewFormula(const QString& formula) {
    TRParser& parser = ReviewParser();
    parser.SetText(formula);
    return parser.BuildExpression();
}
}  // namespace

double FormulaGridStep(bool IsDateTime) { return IsDateTime ? 1.0 / 86400.0 : 0.2; }

TRParser& ReviewParser() {
    static TRParser parser;
    static const bool registered = (parser.RegisterConstructor<TWKReviewIdentConstructor>(), true);
    Q_UNUSED(registered);
    return parser;
}

QList<std::pair<QString, QString>> ReviewFormulaIdentifiers(const QString& Formula) {
    QList<std::pair<QString, QString>> list;
    try {
        if (const auto e = ParseReviewFormula(Formula))
            for (const TWKReviewExpressionIdentifier* id : Identifiers(*e)) list.append({id->SystemID(), id->StrID()});
    } catch (const std::exception&) {
        list.clear();
    }
    return list;
}

// ---- TWKReviewIdentConstructor ----

TWKReviewIdentConstructor::TWKReviewIdentConstructor(TRParser& parser)
    : TArgumentConstructor(parser, ttIdentifier, {ttBinaryOperator, ttCloseBracket}) {}

bool TWKReviewIdentConstructor::SyntaxCheck(QStringView& text) {
    if (text.size() < 5 || text[0] != QLatin1Char('{')) return false;
    const qsizetype close = text.indexOf(QLatin1Char('}'));
    if (close < 0) return false;
    const QStringView inner = text.mid(1, close - 1);
    const qsizetype dot = inner.indexOf(QLatin1Char('.'));
    // Both names are needed: braces around a point alone name nothing.
    if (dot <= 0 || dot == inner.size() - 1) return false;
    FSavedSysID = inner.left(dot).toString();
    FSavedID = inner.mid(dot + 1).toString();
    text = text.mid(close + 1);
    return TArgumentConstructor::SyntaxCheck(text);
}

bool TWKReviewIdentConstructor::Parse(QStringView& text, TExpression& expression) {
    QStringView rest = text;
    if (!SyntaxCheck(rest)) return false;
    expression.InsertToken(std::make_unique<TWKReviewExpressionIdentifier>(expression, FSavedSysID, FSavedID));
    text = rest;
    return true;
}

// ---- TWKReviewExpressionIdentifier ----

TWKReviewExpressionIdentifier::TWKReviewExpressionIdentifier(TExpression& expression, const QString& systemID,
                                                             const QString& strID)
    : TConst(expression, NaN), FSystemID(systemID), FStrID(strID), FValue(NaN) {}

bool TWKReviewExpressionIdentifier::Bind(TDataBlockList* Blocks) {
    FBlocks = Blocks;
    FBlockCache.clear();
    FCachedBlock = nullptr;
    FCachedIndex = -1;
    if (!Blocks) return false;
    for (int i = 0; i < Blocks->Count(); ++i) {
        TDataBlock* b = Blocks->GetBlock(i);
        if (b->SystemID() == FSystemID && b->GetDataSegment(FStrID)) FBlockCache.emplace_back(b);
    }
    return !FBlockCache.empty();
}

bool TWKReviewExpressionIdentifier::Update(double x) {
    FValue = NaN;
    // A block of a log recorded upwards may give its range either way round.
    const auto covers = [x](const TDataBlock* b) {
        return b && x >= std::min(b->Start(), b->Stop()) && x <= std::max(b->Start(), b->Stop());
    };
    TDataBlock* block = nullptr;
    if (covers(FCachedBlock)) {
        block = FCachedBlock;
    } else {
        for (const auto& b : FBlockCache)
            if (covers(b)) {
                block = b;
                FCachedBlock = b;
                FCachedIndex = -1;
                break;
            }
    }
    if (!block) return false;
    TDataSegment* param = block->GetDataSegment(FStrID);
    TDataSegment* main = block->GetMainSegment();
    if (!param || !main || main->GetCount() < 2) return false;
    const double tolerance = 1.1 * std::fabs(main->GetAsDouble(0) - main->GetAsDouble(1));
    // Index values and grid values come from different arithmetic (a file's
    // text, a sum of steps): a difference far below the step is no difference.
    const double slack = tolerance * 1e-6;
    const int n = std::min(main->GetCount(), param->GetCount());
    const auto matches = [&](int k) {
        const double m = main->GetAsDouble(k);
        if (!(x <= m + slack && m - x < tolerance)) return false;
        FValue = param->GetIsEmpty(k) ? NaN : param->GetAsDouble(k);
        FCachedIndex = k;
        return true;
    };
    // The grid rises: over a rising index the match moves forwards, over a
    // falling one (a log recorded bottom-up) backwards from the last value.
    if (main->GetAsDouble(n - 1) < main->GetAsDouble(0)) {
        for (int k = FCachedIndex >= 0 && FCachedIndex < n ? FCachedIndex : n - 1; k >= 0; --k)
            if (matches(k)) return true;
    } else {
        for (int k = std::max(FCachedIndex, 0); k < n; ++k)
            if (matches(k)) return true;
    }
    return false;
}

void TWKReviewExpressionIdentifier::Prepare() { FExp.DataArray[Position] = FValue; }

bool TWKReviewExpressionIdentifier::Check() const { return !std::isnan(FValue); }

// ---- TExpressionLineSeries ----

TExpressionLineSeries::TExpressionLineSeries(QObject* AOwner) : TExLineSeries(AOwner) {}

void TExpressionLineSeries::CacheRanges(double Start, double Stop) {
    FSystemID = ExpressionsSystemID;
    FSourceID = ExpressionsSourceID;
    TReviewDataDocument* doc = Document();
    if (!doc) {
        FCache.clear();
        return;
    }
    TDataBlockList& blocks = doc->Blocks();
    TDataBlock* block = blocks.GetBlockByID(ExpressionsSourceID);
    if (!block) {
        block = blocks.Add();
        block->SetName(ExpressionsBlockName);
        block->SetSystemID(ExpressionsSystemID);
        block->SetSourceID(ExpressionsSourceID);
        block->SetMainID(doc->DataClass() == 0 ? QStringLiteral("S0") : QStringLiteral("S101"));
    }
    TDataSegment* main = block->GetDataSegment(block->MainID());
    if (!main) {
        auto seg = std::make_unique<TDoubleDataSegment>();
        seg->SetID(block->MainID());
        main = block->AddSegment(std::move(seg));
    }
    if (!std::isnan(Start)) {
        const double step = FormulaGridStep(doc->DataClass() == 0);
        // Day numbers carry about 1e-11 of rounding: an hour of them must still
        // give 3600 seconds, not 3599.
        const double span = (Stop - Start) / step + 1e-6;
        const int n = std::isfinite(span) && span > 0 && span < std::numeric_limits<int>::max() ? int(std::trunc(span)) : 0;
        if (n > 0 && !(main->GetCount() == n && main->GetAsDouble(0) == Start)) {
            main->AllocBuffer(n);
            // Each grid value from the start, so that no error accumulates.
            for (int k = 0; k < n; ++k) main->AddData(Start + k * step);
            main->CropBuffer();
        }
    }
    const QString formula = ID().toString();
    TDataSegment* values = block->GetDataSegment(formula);
    if (!values) {
        auto seg = std::make_unique<TSingleDataSegment>();
        seg->SetID(formula);
        values = block->AddSegment(std::move(seg));
    }
    const int count = main->GetCount();
    values->AllocBuffer(count);
    const std::unique_ptr<TExpression> expression = ParseReviewFormula(formula);
    const std::vector<TWKReviewExpressionIdentifier*> ids =
        expression ? Identifiers(*expression) : std::vector<TWKReviewExpressionIdentifier*>{};
    for (TWKReviewExpressionIdentifier* id : ids)
        if (!id->Bind(&blocks)) {
            // Nothing of this formula stays computed.
            for (int k = 0; k < count; ++k) values->AddData(NaN);
            values->CropBuffer();
            FCache.clear();
            throw Exception(QStringLiteral("%1: no data of {%2.%3} for formula %4")
                                .arg(SFunctionBindFail, id->SystemID(), id->StrID(), formula));
        }
    for (int k = 0; k < count; ++k) {
        double v = NaN;
        if (expression) {
            const double x = main->GetAsDouble(k);
            bool all = true;
            for (TWKReviewExpressionIdentifier* id : ids) all = id->Update(x) && all;
            if (all) {
                try {
                    v = double(expression->GetValue());
                } catch (const std::exception&) {
                    v = NaN;
                }
            }
        }
        values->AddData(v);
    }
    values->CropBuffer();
    TExLineSeries::CacheRanges(Start, Stop);
}

void TExpressionLineSeries::RegisterParams(const QString& ID, const QString&, QStringList& List) {
    TDataSourceLibrary* source = Welvista::PluginManager().GetSourceByID(ID);
    if (!source) return;
    const QString system = source->Descr().SystemID;
    for (const auto& [sys, param] : ReviewFormulaIdentifiers(TSeries::ID().toString()))
        if (sys == system) List.append(param);
}

void TExpressionLineSeries::Setup(TScale* Scale) {
    if (!Scale || !FChart) return;
    const auto& dialog = ReviewSetupDialogs().FormulaScale;
    if (!dialog) {
        MessageDlg(SSetupUnavailable, mtInformation, mbOK);
        return;
    }
    QString formula = ID().toString();
    if (!dialog(*Scale, formula, FChart->XScale()->AsDateTime()) || formula == ID().toString()) return;
    SetFID(formula);
    CacheRanges(NaN, NaN);
    FChart->ClearLabels();
    FChart->ForceRepaint();
}
