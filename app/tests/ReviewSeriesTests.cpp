// Review series over hand-made blocks: runs, value texts, formula
// identifiers, the formula grid and digital marks.
#include "ClassRegistry.h"
#include "ReviewSeries.h"
#include "ReviewTestSupport.h"
#include "SketchDocStub.h"
#include "fm_Review.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace ReviewTest;

namespace {

using TRuns = std::vector<std::pair<int, int>>;

TRuns RunsOf(int count, const std::vector<int>& empty) {
    return SplitRuns(count, [&](int i) { return std::find(empty.begin(), empty.end(), i) != empty.end(); });
}

TRuns CachedRuns(const TWKReviewBaseSeries& s) {
    TRuns r;
    for (const TReviewRun& run : s.Cache()) r.emplace_back(run.First, run.Last);
    return r;
}

// A review form on depth with one field and a line series of parameter id of source src.
struct TReviewForm {
    std::unique_ptr<TfmReview> Form{CreateReviewForm(false, 0, 100)};
    TGraphion& Chart() const { return *Form->Chart(); }
    TReviewDataDocument& Doc() const { return *Form->GetDocument(); }
    template <class T>
    T* Add(const QString& id, const QString& source = QStringLiteral("SRC")) {
        auto* s = new T(Form->Chart());
        s->SetFID(id);
        s->SetSourceID(source);
        Chart().Fields().Items(0)->Scales().Add()->SetMinMax(0, 100);
        s->SetFieldInd(0);
        s->SetScaleInd(Chart().Fields().Items(0)->Scales().Count() - 1);
        Chart().InsertSeries(s);
        return s;
    }
};

TEST(ReviewSeries, RunsSkipEmptyValuesAndStayBounded) {
    struct TCase {
        const char* Name;
        int Count;
        std::vector<int> Empty;
        TRuns Expected;
    };
    const TCase cases[] = {
        {"gap in the middle", 10, {5}, {{0, 4}, {6, 9}}},
        {"two values after the last gap", 10, {7}, {{0, 6}}},
        {"no gap", 10, {}, {{0, 9}}},
        {"all empty", 6, {0, 1, 2, 3, 4, 5}, {}},
        {"one value", 1, {}, {}},
        {"long data continue from the last index", 7000, {}, {{0, 3001}, {3001, 6002}, {6002, 6999}}},
    };
    for (const TCase& c : cases) EXPECT_EQ(RunsOf(c.Count, c.Empty), c.Expected) << c.Name;
}

TEST(ReviewSeries, CacheRangesTakesOnlyUsableBlocksOfItsSource) {
    TReviewForm f;
    std::vector<double> gr = Steps(10, 1, 1);
    gr[5] = NaN;
    AddBlock(f.Doc().Blocks(), "SYS", "SRC", Steps(10, 0, 1), {{"GR", gr}});
    AddBlock(f.Doc().Blocks(), "SYS", "OTHER", Steps(10, 0, 1), {{"GR", Steps(10, 1, 1)}});
    AddBlock(f.Doc().Blocks(), "SYS", "SRC", Steps(10, 0, 1), {{"GR", Steps(9, 1, 1)}});  // unequal columns
    TDataBlock* noMain = AddBlock(f.Doc().Blocks(), "SYS", "SRC", Steps(10, 0, 1), {{"GR", Steps(10, 1, 1)}});
    noMain->SetMainID("NONE");
    auto* s = f.Add<TExLineSeries>("GR");
    EXPECT_TRUE(s->Link());
    s->CacheRanges(NaN, NaN);
    EXPECT_EQ(CachedRuns(*s), (TRuns{{0, 4}, {6, 9}}));

    // Not on a review form: no blocks, nothing cached.
    TGraphion bare;
    auto* lonely = new TExLineSeries(&bare);
    lonely->SetFID("GR");
    lonely->SetSourceID("SRC");
    bare.InsertSeries(lonely);
    EXPECT_FALSE(lonely->Link());
    lonely->CacheRanges(NaN, NaN);
    EXPECT_TRUE(lonely->Cache().empty());
}

TEST(ReviewSeries, AsStringAppliesFactorOffsetPrecisionAndUnits) {
    TReviewForm f;
    AddBlock(f.Doc().Blocks(), "SYS", "SRC", {0, 1, 2}, {{"GR", {2.5, NaN, 1234.5678}}});
    auto* s = f.Add<TExLineSeries>("GR");
    s->SetPrecision(2);
    s->SetUnits("м");
    ASSERT_GE(s->FindBlock(-1), 0);
    struct TCase {
        double A, B;
        int Index;
        QString Expected;
    } const cases[] = {
        {0, 5, 0, "7.50 м"},  // A = 0 counts as 1
        {2, 1, 0, "6.00 м"},
        {1, 0, 2, "1234.57 м"},
        {1, 0, 1, ""},  // empty value
        {1, 0, 9, ""},  // past the rows
    };
    for (const TCase& c : cases) {
        s->SetA(c.A);
        s->SetB(c.B);
        EXPECT_EQ(s->AsString(c.Index), c.Expected) << c.A << " " << c.B << " " << c.Index;
    }
    s->SetA(0);
    s->AsString(0);
    EXPECT_EQ(s->A(), 1.0);  // the A taken as 1 is kept
}

TEST(ReviewSeries, IdentifiersAreRecognisedInBraces) {
    using TIds = QList<std::pair<QString, QString>>;
    struct TCase {
        QString Formula;
        TIds Expected;
    } const cases[] = {
        {"{a.b.c}", {{"a", "b.c"}}},
        {"{LAS.GR}*2+{WITS.S101}", {{"LAS", "GR"}, {"WITS", "S101"}}},
        {"({LAS.GR}+1)/2", {{"LAS", "GR"}}},
        // A LAS curve named with its file.
        {"{LAS.well 7.las|GR}-{LAS.b.las|GR}", {{"LAS", "well 7.las|GR"}, {"LAS", "b.las|GR"}}},
        {"{ab}", {}},
        {"{.}", {}},
        {"{.}+{.}", {}},
        {"{LAS.GR", {}},
    };
    for (const TCase& c : cases) EXPECT_EQ(ReviewFormulaIdentifiers(c.Formula), c.Expected) << c.Formula.toStdString();
    TRParser& p = ReviewParser();
    p.SetText("{LAS.GR} * 2");
    EXPECT_EQ(p.SyntaxCheck(), QString());
    p.SetText("{LAS.well 7.las|GR} * 2");
    EXPECT_EQ(p.SyntaxCheck(), QString());
    p.SetText("{ab} * 2");
    EXPECT_NE(p.SyntaxCheck(), QString());
}

TEST(ReviewSeries, IdentifierUpdateUsesItsCachedIndexAndTolerance) {
    TDataBlockList blocks;
    AddBlock(blocks, "LAS", "LAS.Curves", Steps(11, 0, 0.1), {{"GR", Steps(11, 0, 10)}});
    AddBlock(blocks, "LAS", "LAS.Curves", {2, 2.5, 3}, {{"GR", {200, 250, 300}}});
    AddBlock(blocks, "LAS", "LAS.Curves", {5, 5.1, 5.6}, {{"GR", {500, 510, 560}}});
    AddBlock(blocks, "OTHER", "X", Steps(11, 0, 0.1), {{"GR", Steps(11, 0, 1)}});
    TExpression e;
    TWKReviewExpressionIdentifier id(e, "LAS", "GR");
    ASSERT_TRUE(id.Bind(&blocks));
    struct TStep {
        double X;
        bool Found;
        double Value;
        int CachedIndex;
    } const steps[] = {
        {0.3, true, 30, 3},
        {0.25, true, 30, 3},   // the next index within 1.1 steps
        {0.05, false, NaN, 3},  // behind the cached index
        {0.95, true, 100, 10},
        {2.2, true, 250, 1},    // another block: the cached index restarts
        {5.3, false, NaN, 0},   // 5.6 lies beyond the tolerance of 0.11
        {4.0, false, NaN, 0},   // no block holds it
    };
    for (const TStep& s : steps) {
        EXPECT_EQ(id.Update(s.X), s.Found) << s.X;
        if (s.Found) EXPECT_DOUBLE_EQ(id.Value(), s.Value) << s.X;
        else EXPECT_TRUE(std::isnan(id.Value())) << s.X;
        if (s.Found) EXPECT_EQ(id.CachedIndex(), s.CachedIndex) << s.X;
    }
    TWKReviewExpressionIdentifier nowhere(e, "NOPE", "GR");
    EXPECT_FALSE(nowhere.Bind(&blocks));
}

TEST(ReviewSeries, FormulaIsComputedOnItsGrid) {
    struct TCase {
        bool Time;
        double Start, Stop;
        int Count;
        double Step;
        QString Main;
        TRuns Runs;
    } const cases[] = {
        {true, 46000.0, 46000.0 + 1.0 / 24, 3600, 1.0 / 86400, "S0", {{0, 3001}, {3001, 3599}}},
        {false, 1000, 1100, 500, 0.2, "S101", {{0, 499}}},
    };
    for (const TCase& c : cases) {
        TReviewForm f;
        f.Form->SetIsDateTime(c.Time);
        const int n = c.Time ? 3601 : 1001;
        const double step = c.Time ? 1.0 / 86400 : 0.1;
        std::vector<double> gr = Steps(n, 0, 1);
        AddBlock(f.Doc().Blocks(), "LAS", "LAS.Curves", Steps(n, c.Start, step), {{"GR", gr}});
        auto* s = f.Add<TExpressionLineSeries>("{LAS.GR}*2");
        s->CacheRanges(c.Start, c.Stop);
        EXPECT_EQ(s->SourceID(), ExpressionsSourceID);
        EXPECT_EQ(s->SystemID(), ExpressionsSystemID);
        TDataBlock* b = f.Doc().Blocks().GetBlockByID(ExpressionsSourceID);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name(), ExpressionsBlockName);
        EXPECT_EQ(b->MainID(), c.Main);
        TDataSegment* main = b->GetMainSegment();
        TDataSegment* values = b->GetDataSegment("{LAS.GR}*2");
        ASSERT_NE(main, nullptr);
        ASSERT_NE(values, nullptr);
        ASSERT_EQ(main->GetCount(), c.Count) << c.Time;
        ASSERT_EQ(values->GetCount(), c.Count);
        EXPECT_NEAR(main->GetAsDouble(1) - main->GetAsDouble(0), c.Step, 1e-9);
        EXPECT_NEAR(main->GetAsDouble(c.Count - 1), c.Start + (c.Count - 1) * c.Step, 1e-9);
        // The grid point k lies on the source row k * (grid step / source step).
        const int ratio = c.Time ? 1 : 2;
        for (int k : {0, 1, 7, c.Count - 1}) EXPECT_FLOAT_EQ(float(values->GetAsDouble(k)), float(2 * k * ratio)) << k;
        EXPECT_EQ(CachedRuns(*s), c.Runs);
    }
}

TEST(ReviewSeries, FormulaOverDescendingIndex) {
    // A log recorded bottom-up: depth falls from 100 m to 0 m by 0.1 m, GR is
    // three times the depth, empty from 40 to 50 m. A plug-in may give the
    // block's range either way round.
    const auto gr = [](double depth) { return depth > 40 + 1e-9 && depth < 50 - 1e-9 ? NaN : 3 * depth; };
    std::vector<double> down = Steps(1001, 100, -0.1), up = Steps(1001, 0, 0.1);
    std::vector<double> grDown, grUp;
    for (double d : down) grDown.push_back(gr(d));
    for (double d : up) grUp.push_back(gr(d));
    struct TCase {
        const char* What;
        std::vector<double> Main, Values;
        bool SwapRange;
    } const cases[] = {
        {"falling, range from its first row", down, grDown, false},
        {"falling, range low to high", down, grDown, true},
        {"rising", up, grUp, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TReviewForm f;
        TDataBlock* b = AddBlock(f.Doc().Blocks(), "LAS", "LAS.Curves", c.Main, {{"GR", c.Values}});
        if (c.SwapRange) {
            b->SetStart(0);
            b->SetStop(100);
        }
        auto* s = f.Add<TExpressionLineSeries>("{LAS.GR}+1");
        s->CacheRanges(0, 100);
        TDataBlock* e = f.Doc().Blocks().GetBlockByID(ExpressionsSourceID);
        ASSERT_NE(e, nullptr);
        TDataSegment* grid = e->GetMainSegment();
        TDataSegment* values = e->GetDataSegment("{LAS.GR}+1");
        ASSERT_EQ(grid->GetCount(), 500);
        int drawn = 0;
        for (int k = 0; k < grid->GetCount(); ++k) {
            const double x = std::round(grid->GetAsDouble(k) * 10) / 10;
            if (std::isnan(gr(x))) {
                EXPECT_TRUE(values->GetIsEmpty(k) || std::isnan(values->GetAsDouble(k))) << x;
            } else {
                EXPECT_NEAR(values->GetAsDouble(k), 3 * x + 1, 1e-3) << x;
                ++drawn;
            }
        }
        EXPECT_EQ(drawn, 451);
        // The formula draws both stretches; a plain line over the block too.
        EXPECT_EQ(CachedRuns(*s), (TRuns{{0, 200}, {250, 499}}));
        auto* line = f.Add<TExLineSeries>("GR", "LAS.Curves");
        line->CacheRanges(0, 100);
        EXPECT_EQ(line->Cache().size(), 2u);
    }
}

TEST(ReviewSeries, FormulaOverAnUnknownSystemFailsToBind) {
    TReviewForm f;
    AddBlock(f.Doc().Blocks(), "LAS", "LAS.Curves", Steps(11, 0, 0.1), {{"GR", Steps(11, 0, 1)}});
    auto* s = f.Add<TExpressionLineSeries>("{WITS.GR}+1");
    try {
        s->CacheRanges(0, 1);
        ADD_FAILURE() << "no bind failure";
    } catch (const std::exception& e) {
        // The message names the formula and its parameter that has no data.
        EXPECT_EQ(ExceptionMessage(e), SFunctionBindFail + ": no data of {WITS.GR} for formula {WITS.GR}+1");
    }
    EXPECT_TRUE(s->Cache().empty());
}

TEST(ReviewSeries, AutoRangeRoundsToTheSpansDecade) {
    struct TCase {
        double Min, Max;
        bool Set;
        double ExpMin, ExpMax;
    } const cases[] = {
        {3, 97, true, 0, 100},
        {0.12, 0.57, true, 0.1, 0.6},
        {10, 11, true, 10, 11},  // a span of one decade's step is refined
        {-2147483647.0 * -1, -2147483647.0, false, 0, 0},  // nothing was found
        {5, 5, false, 0, 0},
        {0, std::numeric_limits<double>::infinity(), false, 0, 0},
    };
    for (const TCase& c : cases) {
        double mn = c.Min, mx = c.Max;
        EXPECT_EQ(AutoRangeLimits(mn, mx), c.Set) << c.Min << " " << c.Max;
        if (c.Set) {
            EXPECT_NEAR(mn, c.ExpMin, 1e-12);
            EXPECT_NEAR(mx, c.ExpMax, 1e-12);
        }
    }
}

// Marks of a digital series painted on a chart of the given width.
std::vector<int> PaintedMarks(TReviewForm& f, TWKDigitalReviewSeries& s, int width) {
    f.Form->resize(width, 300);
    f.Form->show();
    QCoreApplication::processEvents();
    s.CacheRanges(NaN, NaN);
    QImage img(width, 300, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    s.Paint(p, f.Chart().Fields().Items(0)->Scales().Items(0), &img);
    return s.LastMarkIndices();
}

TEST(ReviewSeries, DigitalMarksFollowTheStepAndDropOverlaps) {
    // Every 30 s from 15 s past a 10-minute mark, on time.
    TReviewForm f;
    f.Form->SetIsDateTime(true);
    const double t0 = 46000.0 + 15.0 / 86400;
    AddBlock(f.Doc().Blocks(), "SYS", "SRC", Steps(121, t0, 30.0 / 86400), {{"V", Steps(121, 0, 0.5)}});
    f.Chart().XScale()->SetMinMax(t0 - 0.001, t0 + 0.05);
    auto* s = f.Add<TWKDigitalReviewSeries>("V");
    s->FontObject()->SetSize(6);
    s->SetStep(10);
    s->SetByMainParam(true);
    EXPECT_EQ(PaintedMarks(f, *s, 4000), (std::vector<int>{0, 20, 40, 60, 80, 100, 120}));
    // By value: a mark where the value moved by the step.
    s->SetByMainParam(false);
    EXPECT_EQ(PaintedMarks(f, *s, 4000), (std::vector<int>{0, 20, 40, 60, 80, 100, 120}));
    s->SetStep(25);
    EXPECT_EQ(PaintedMarks(f, *s, 4000), (std::vector<int>{0, 50, 100}));
    // Crowded: no drawn mark overlaps the one before it, and some are left out.
    s->SetStep(1);
    const std::vector<int> crowded = PaintedMarks(f, *s, 200);
    EXPECT_GT(crowded.size(), 1u);
    EXPECT_LT(crowded.size(), 61u);
    for (size_t i = 1; i < s->LastMarks().size(); ++i) EXPECT_FALSE(s->LastMarks()[i].intersects(s->LastMarks()[i - 1]));
    for (double bad : {0.0, -1.0, NaN}) {
        s->SetStep(bad);
        EXPECT_TRUE(PaintedMarks(f, *s, 4000).empty()) << bad;
    }
}

TEST(ReviewSeries, SeriesStreamWithTheirSettings) {
    for (const char* name : {"TExLineSeries", "TExpressionLineSeries", "TWKDigitalReviewSeries"})
        EXPECT_NE(FindClass(name), nullptr) << name;
}

}  // namespace
