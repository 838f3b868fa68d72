// Curves: runs of the block cache, page lists, projections, the automatic
// range, header sub-ticks, line drawing, marks, digital rows and comment
// templates.
#include "WellLogTestSupport.h"

#include "PrintView.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
using TRuns = std::vector<std::pair<int, int>>;

TRuns Runs(const TPrintSeries& series) {
    TRuns runs;
    for (const TSeriesCacheEntry& e : series.BlockCache()) runs.emplace_back(e.StartIndex, e.StopIndex);
    return runs;
}

std::vector<double> Sequence(double from, double step, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(from + i * step);
    return values;
}

// A document 0 .. max m at scale m/mm with a track at 10, 10 of width 40.
struct TCurveDoc {
    explicit TCurveDoc(double max = 10, double scale = 0.1, double min = 0) {
        SetUpDepthDocument(Doc, min, max, scale, 0);
        Field = new TPrintField(&Doc);
        Field->SetLeft(10);
        Field->SetTop(10);
        Field->SetWidth(40);
        Field->SetFlags({});
    }
    TPrintLineSeries* Line(double min = 0, double max = 100, TColor color = clRed) {
        return AddLineCurve(Field, "GR", min, max, color);
    }
    TSketchDocument Doc;
    TPrintField* Field;
};

// The texts drawn, pieces on one baseline joined (text runs of different
// scripts reach the canvas apart).
QStringList TextLines(const TRecordingCanvas& canvas) {
    QStringList lines;
    double lastY = -1e9;
    for (const auto& call : canvas.Calls) {
        if (call.Kind != "text") continue;
        if (!lines.isEmpty() && call.Points[0].y() == lastY) lines.last() += call.Text;
        else lines << call.Text;
        lastY = call.Points[0].y();
    }
    return lines;
}

std::vector<TRecordingCanvas::TCall> Polylines(const TRecordingCanvas& canvas, const QColor& color) {
    return canvas.Of("polygon", color);
}
}  // namespace

TEST(PrintSeries, RunsOfTheBlockCache) {
    std::vector<double> full(2500, 1.0);
    struct TCase {
        const char* What;
        std::vector<double> Values;
        TRuns Expected;
    };
    const TCase cases[] = {
        {"a single value between empties forms no run", {1, 2, Empty, 3, Empty, 4, 5, 6}, {{0, 1}, {5, 7}}},
        {"long runs are cut and share two rows", full, {{0, 1001}, {1000, 2001}, {2000, 2499}}},
        {"two rows at the end", {Empty, 1, 2}, {{1, 2}}},
        {"one row at the end", {1, 2, Empty, 3}, {{0, 1}}},
        {"nothing but empties", {Empty, Empty}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TCurveDoc d;
        TPrintLineSeries* line = d.Line();
        AddBlock(d.Doc, "SRC", "a", Sequence(0, 0.01, int(c.Values.size())), {{"GR", c.Values}});
        line->BuildCacheLevel1();
        EXPECT_EQ(Runs(*line), c.Expected);
    }

    // Blocks of another source or group, and columns of other kinds.
    TCurveDoc d;
    TPrintLineSeries* line = d.Line();
    AddBlock(d.Doc, "OTHER", "a", {0, 1, 2}, {{"GR", {1, 2, 3}}});
    AddBlock(d.Doc, "SRC", "b", {0, 1, 2}, {{"GR", {1, 2, 3}}}, "G1");
    TDataBlock* ints = AddBlock(d.Doc, "SRC", "ints", {0, 1, 2, 3, 4}, {});
    auto column = std::make_unique<TIntDataSegment>();
    column->SetID("GR");
    for (const qint32 v : {7, 2147483647, 8, 9, 10}) column->AddInteger(v);
    ints->AddSegment(std::move(column));
    TDataBlock* pictures = AddBlock(d.Doc, "SRC", "pictures", {0, 1}, {});
    auto bitmaps = std::make_unique<TBitmapDataSegment>();
    bitmaps->SetID("GR");
    bitmaps->AddBitmap(QImage(2, 2, QImage::Format_RGB32));
    bitmaps->AddBitmap(QImage(2, 2, QImage::Format_RGB32));
    pictures->AddSegment(std::move(bitmaps));
    line->BuildCacheLevel1();
    ASSERT_EQ(Runs(*line), (TRuns{{2, 4}})) << "MaxInt is empty; pictures have no runs";
    EXPECT_EQ(line->BlockCache()[0].Block, ints);
    TRecordingCanvas canvas;
    EXPECT_NO_THROW(RenderPages(d.Doc, canvas));
    EXPECT_EQ(Polylines(canvas, Qt::red).size(), 1u) << "the integer column is drawn";
}

TEST(PrintSeries, PageListsHoldTheRunsThatTouchEachPage) {
    TCurveDoc d(1000, 1);
    TPrintLineSeries* line = d.Line();
    AddBlock(d.Doc, "SRC", "a", Sequence(0, 1, 101), {{"GR", std::vector<double>(101, 5)}});
    AddBlock(d.Doc, "SRC", "b", Sequence(400, 1, 101), {{"GR", std::vector<double>(101, 5)}});
    AddBlock(d.Doc, "SRC", "c", Sequence(550, 1, 101), {{"GR", std::vector<double>(101, 5)}});
    d.Doc.PrepareDocument();
    ASSERT_LT(d.Field->ClientRect().top(), 10 + 30) << "the page edges below assume a low header";
    ASSERT_EQ(d.Doc.PageCount(), 4);
    TRecordingCanvas canvas;
    RenderPages(d.Doc, canvas);
    const auto& pages = line->PageCache();
    ASSERT_EQ(pages.size(), 4u);
    auto names = [&](int page) {
        QStringList list;
        for (const TSeriesCacheEntry& e : pages[size_t(page - 1)]) list << e.Block->Name();
        return list;
    };
    EXPECT_EQ(names(1), (QStringList{"a"}));
    EXPECT_EQ(names(2), (QStringList{"b", "c"}));
    EXPECT_EQ(names(3), (QStringList{"c"}));
    EXPECT_EQ(names(4), QStringList());
    d.Doc.PrepareDocument();
    EXPECT_TRUE(line->PageCache().empty()) << "a layout empties the page lists";
}

TEST(PrintSeries, Projections) {
    struct TCase {
        const char* What;
        bool Log;
        double Min, Max, A, B;
        double Value, ExpectedMM;
        bool CanPrj;
    };
    const TCase cases[] = {
        {"linear", false, 0, 100, 0, 0, 25, 20, true},
        {"linear with multiplier and offset", false, 0, 100, 2, 10, 20, 30, true},
        {"inverted", false, 100, 0, 0, 0, 25, 40, true},
        {"logarithmic", true, 1, 1000, 0, 0, 10, 10 + 40.0 / 3, true},
        {"logarithmic with multiplier and offset", true, 1, 1000, 2, 3, 2, 10 + 40.0 / 3, true},
        {"logarithmic, a value not above 0", true, 1, 1000, 0, 0, 0, -15000, true},
        {"Min = Max cannot project", false, 5, 5, 0, 0, 5, 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TCurveDoc d(50, 0.5);
        if (c.Log) d.Field->SetFlags({TFieldFlag::ffLogarithmic});
        TPrintLineSeries* line = d.Line(c.Min, c.Max);
        line->SetDataMultiplier(c.A);
        line->SetDataOffset(c.B);
        d.Doc.PrepareDocument();
        EXPECT_EQ(line->CanPrj(), c.CanPrj);
        if (!c.CanPrj) continue;
        EXPECT_NEAR(line->PrjDataX(c.Value), c.ExpectedMM, 1e-9);
        EXPECT_EQ(line->HasFlag(TSeriesFlag::sfInverted), c.Min > c.Max);
        EXPECT_NEAR(line->PrjDataY(25), d.Field->ClientRect().top() + 50, 1e-9);
        EXPECT_NEAR(line->PrjDataBackY(line->PrjDataY(25)), 25, 1e-9);
    }
    TCurveDoc d;
    d.Field->SetFlags({TFieldFlag::ffLogarithmic});
    TPrintLineSeries* line = d.Line(0, 100);
    d.Doc.PrepareDocument();
    EXPECT_EQ(line->Min(), 0.001) << "a logarithmic track takes 0.001 for a minimum of 0";
    EXPECT_TRUE(line->CanPrj());
    TCurveDoc noScale;
    noScale.Doc.SetScale(0);
    TPrintLineSeries* flat = noScale.Line();
    noScale.Doc.PrepareDocument();
    EXPECT_FALSE(flat->CanPrj());
}

TEST(PrintSeries, AutomaticRangeIsUndoable) {
    for (const bool log : {false, true}) {
        SCOPED_TRACE(log ? "logarithmic" : "linear");
        TCurveDoc d;
        if (log) d.Field->SetFlags({TFieldFlag::ffLogarithmic});
        TPrintLineSeries* line = d.Line(7, 8);
        AddBlock(d.Doc, "SRC", "a", {1, 2, 3}, {{"GR", {3.2, 47.5, 20}}});
        d.Doc.PrepareDocument();
        line->BuildCacheLevel1();
        ASSERT_TRUE(line->CanFindRange());
        double min, max;
        line->FindMinMax(min, max);
        EXPECT_EQ(min, 3.2);
        EXPECT_EQ(max, 47.5);
        line->AutoSetMinMax(true, true);
        EXPECT_EQ(line->Min(), log ? 1.0 : 0.0);
        EXPECT_EQ(line->Max(), log ? 100.0 : 50.0);
        ASSERT_EQ(d.Doc.DoneCount(), 1);
        const QUuid id = line->ID();
        d.Doc.Undo();
        auto* undone = qobject_cast<TPrintLineSeries*>(d.Doc.FindItem(id));
        ASSERT_NE(undone, nullptr);
        EXPECT_EQ(undone->Min(), 7.0);
        EXPECT_EQ(undone->Max(), 8.0);
        d.Doc.Redo();
        auto* redone = qobject_cast<TPrintLineSeries*>(d.Doc.FindItem(id));
        ASSERT_NE(redone, nullptr);
        EXPECT_EQ(redone->Max(), log ? 100.0 : 50.0);
    }
    // With A set the range is that of A x v + B; without data nothing changes.
    TCurveDoc d;
    TPrintLineSeries* line = d.Line(7, 8);
    line->SetDataMultiplier(2);
    line->SetDataOffset(1);
    AddBlock(d.Doc, "SRC", "a", {1, 2}, {{"GR", {1, 2}}});
    line->BuildCacheLevel1();
    double min, max;
    line->FindMinMax(min, max);
    EXPECT_EQ(min, 3.0);
    EXPECT_EQ(max, 5.0);
    TCurveDoc empty;
    TPrintLineSeries* none = empty.Line(7, 8);
    none->AutoSetMinMax(true, true);
    EXPECT_EQ(none->Min(), 7.0);
    EXPECT_EQ(empty.Doc.DoneCount(), 0);
}

TEST(PrintSeries, SubTickLabelsInTheHeader) {
    TCurveDoc d;
    d.Field->SetDecades(4);
    TPrintLineSeries* line = d.Line(0, 100);
    line->SetFlags(line->Flags() | TSeriesFlags{TSeriesFlag::sfSubTicks});
    TRecordingCanvas canvas;
    RenderPages(d.Doc, canvas);
    QStringList texts;
    for (const auto& call : canvas.Of("text", Qt::red)) texts << call.Text;
    EXPECT_EQ(texts, (QStringList{"GR", "0", "100", "25", "50", "75"}));
    std::vector<double> ticks;
    for (const auto& call : canvas.Of("line", Qt::red))
        if (call.Points.at(0).x() == call.Points.at(1).x() && std::abs(call.Points.at(1).y() - call.Points.at(0).y()) == 4)
            ticks.push_back(call.Points.at(0).x());
    ASSERT_EQ(ticks.size(), 3u);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(ticks[size_t(k)], (20 + 10 * k) * ScreenPixelsPerMM, 1);
}

TEST(PrintSeries, LineDrawingOnARecordingDevice) {
    // Three samples: 0 at 0 m, 50 at 5 m, 100 at 10 m; the track's data area
    // is 100 mm high, the curve spans its 40 mm width.
    struct TCase {
        const char* What;
        std::function<void(TPrintLineSeries&)> Setup;
        std::function<void(const TRecordingCanvas&, const QPolygonF& plain)> Check;
    };
    const auto polylines = [](const TRecordingCanvas& c) { return Polylines(c, Qt::red); };
    const TCase cases[] = {
        {"jagged: the value holds down to the next sample", [](TPrintLineSeries& s) { s.SetJagged(true); },
         [&](const TRecordingCanvas& c, const QPolygonF& plain) {
             const auto lines = polylines(c);
             ASSERT_EQ(lines.size(), 1u);
             EXPECT_EQ(lines[0].Points, (QPolygonF{plain[0], QPointF(plain[1].x(), plain[0].y()), plain[1],
                                                   QPointF(plain[2].x(), plain[1].y()), plain[2]}));
         }},
        {"pen width 3 on a bitmap: three one-pixel lines side by side", [](TPrintLineSeries& s) { s.SetPenWidth(3); },
         [&](const TRecordingCanvas& c, const QPolygonF& plain) {
             const auto lines = polylines(c);
             ASSERT_EQ(lines.size(), 3u);
             for (int k = 0; k < 3; ++k) {
                 EXPECT_EQ(lines[size_t(k)].Points, plain.translated(k, 0));
                 EXPECT_LE(lines[size_t(k)].PenWidth, 1);
             }
         }},
        {"crop at 20 hides what lies left of 20", [](TPrintLineSeries& s) { s.SetCropValue(20); },
         [&](const TRecordingCanvas& c, const QPolygonF&) {
             const auto lines = polylines(c);
             ASSERT_EQ(lines.size(), 1u);
             EXPECT_NEAR(lines[0].Clip.left(), (10 + 8) * ScreenPixelsPerMM + 1, 1.5);
         }},
        {"a crop equal to Min crops nothing", [](TPrintLineSeries& s) { s.SetCropValue(0); },
         [&](const TRecordingCanvas& c, const QPolygonF&) {
             const auto lines = polylines(c);
             ASSERT_EQ(lines.size(), 1u);
             EXPECT_NEAR(lines[0].Clip.left(), 10 * ScreenPixelsPerMM + 1, 1.5);
         }},
        {"fills towards the low and the high edge",
         [](TPrintLineSeries& s) {
             s.SetBrushStyle(TBrush::bsSolid);
             s.SetBrushColor(clYellow);
             s.SetMaxBrushStyle(TBrush::bsSolid);
             s.SetMaxBrushColor(clAqua);
         },
         [&](const TRecordingCanvas& c, const QPolygonF& plain) {
             const auto low = c.Of("path", Qt::yellow), high = c.Of("path", Qt::cyan);
             ASSERT_EQ(low.size(), 1u);
             ASSERT_EQ(high.size(), 1u);
             const double lowX = Round(10 * ScreenPixelsPerMM), highX = Round(50 * ScreenPixelsPerMM);
             EXPECT_TRUE(low[0].Points.contains(QPointF(lowX, plain[0].y())));
             EXPECT_TRUE(low[0].Points.contains(QPointF(lowX, plain[2].y())));
             EXPECT_TRUE(low[0].Points.contains(plain[1]));
             EXPECT_TRUE(high[0].Points.contains(QPointF(highX, plain[2].y())));
         }},
    };
    QPolygonF plain;
    {
        TCurveDoc d;
        d.Line();
        AddBlock(d.Doc, "SRC", "a", {0, 5, 10}, {{"GR", {0, 50, 100}}});
        TRecordingCanvas canvas;
        RenderPages(d.Doc, canvas);
        const auto lines = polylines(canvas);
        ASSERT_EQ(lines.size(), 1u);
        plain = lines[0].Points;
        ASSERT_EQ(plain.size(), 3);
        const double top = d.Field->ClientRect().top();
        EXPECT_EQ(plain[1], QPointF(Round(30 * ScreenPixelsPerMM), Round((top + 50) * ScreenPixelsPerMM)));
        EXPECT_TRUE(canvas.Of("path", Qt::red).empty()) << "no fill without a brush";
    }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TCurveDoc d;
        c.Setup(*d.Line());
        AddBlock(d.Doc, "SRC", "a", {0, 5, 10}, {{"GR", {0, 50, 100}}});
        TRecordingCanvas canvas;
        RenderPages(d.Doc, canvas);
        c.Check(canvas, plain);
    }
}

namespace {
struct TMarkFixture {
    TMarkFixture() {
        Line = Doc.Line();
        ID = Line->ID();
        AddBlock(Doc.Doc, "SRC", "a", Sequence(0, 0.1, 101), {{"GR", Sequence(0, 1, 101)}});
        View.resize(500, 600);
        View.SetMainView(true);
        View.SetDocument(&Doc.Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Doc.Changed(dcContents);
        View.repaint();
    }
    ~TMarkFixture() { View.SetDocument(nullptr); }
    TPrintLineSeries* Curve() { return qobject_cast<TPrintLineSeries*>(Doc.Doc.FindItem(ID)); }
    QPoint At(double x, double y) const { return View.Device().AbsPrj(x, y); }
    TCurveDoc Doc;
    TPrintLineSeries* Line;
    QUuid ID;
    TSketchView View;
};

struct TMarkState {
    double X, Y;
    bool Up;
    bool operator==(const TMarkState&) const = default;
};
std::vector<TMarkState> MarkStates(const TPrintLineSeries& line) {
    std::vector<TMarkState> states;
    for (int i = 0; i < line.Marks().Count(); ++i) {
        const TPrintMark* m = line.Marks().GetMark(i);
        states.push_back({m->X(), m->Y(), m->Up()});
    }
    return states;
}
}  // namespace

TEST(PrintSeries, MarksSetDeletedUndoneAndRedone) {
    TMarkFixture f;
    (new TPrintSetMarkAction(f.Line, 10, 1, true))->Finish();
    (new TPrintSetMarkAction(f.Line, 20, 2, false))->Finish();
    EXPECT_EQ(f.Doc.Doc.LastDone()->GetName(), "Добавить отметку");
    (new TPrintDeleteMarkAction(f.Line, f.Line->Marks().GetMark(0)))->Finish();
    EXPECT_EQ(f.Doc.Doc.LastDone()->GetName(), "Удалить отметку");
    EXPECT_EQ(MarkStates(*f.Line), (std::vector<TMarkState>{{20, 2, false}}));
    f.Doc.Doc.Undo();
    EXPECT_EQ(MarkStates(*f.Line), (std::vector<TMarkState>{{10, 1, true}, {20, 2, false}})) << "back at its place";
    f.Doc.Doc.Undo();
    f.Doc.Doc.Undo();
    EXPECT_TRUE(MarkStates(*f.Line).empty());
    f.Doc.Doc.Redo();
    f.Doc.Doc.Redo();
    f.Doc.Doc.Redo();
    EXPECT_EQ(MarkStates(*f.Line), (std::vector<TMarkState>{{20, 2, false}}));

    // Marks dropped by a reload are not hit by old actions.
    f.Doc.Doc.SetLoading(true);
    f.Doc.Doc.SetLoading(false);
    EXPECT_TRUE(MarkStates(*f.Line).empty()) << "new data from the plug-ins drop the marks";
    TPrintMark* other = f.Line->Marks().AddMark();
    other->SetX(55);
    other->SetY(5.5);
    f.Doc.Doc.Undo();  // the deleted first mark comes back at its place
    EXPECT_EQ(MarkStates(*f.Line), (std::vector<TMarkState>{{10, 1, true}, {55, 5.5, false}}));
    f.Doc.Doc.Undo();  // the second mark's creation: that mark is gone, the other stays
    EXPECT_EQ(MarkStates(*f.Line), (std::vector<TMarkState>{{10, 1, true}, {55, 5.5, false}}));
}

TEST(PrintSeries, MarksWithTheMouse) {
    TMarkFixture f;
    f.Line->SetDataMultiplier(2);
    f.Line->SetDataOffset(1);
    f.Line->SetMin(1);
    f.Line->SetMax(201);
    f.Doc.Doc.Changed(dcContents);
    f.View.repaint();
    // A click 1 mm right of the curve at 5 m (value 50: A x 50 + B = 101, the middle of the track).
    // Just above 5 m, so that the nearest sample below the point is the one at 5 m.
    const double y = f.Doc.Field->PrjVertValueToMM(5) - 0.3;
    const QPoint click = f.At(31, y);
    EXPECT_EQ(f.Doc.Field->GetUserAction(&f.View, click.x(), click.y(), {}), (TPrintEditActions{saMark}));
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, click);
    TPrintLineSeries* line = f.Curve();
    ASSERT_EQ(line->Marks().Count(), 1);
    const TPrintMark* mark = line->Marks().GetMark(0);
    EXPECT_EQ(mark->X(), 50.0);
    EXPECT_NEAR(mark->Y(), 5, 1e-9);
    EXPECT_TRUE(mark->Up()) << "the label goes right, away from the curve";
    EXPECT_EQ(line->MarkText(*mark), "101");
    f.View.repaint();

    // The label is found where it is drawn.
    const QRectF label = line->MarkLabelRect(f.View.Device(), *mark);
    const QPoint inside = f.At(label.center().x(), label.center().y());
    EXPECT_EQ(line->GetMarkIndex(f.View.Device(), inside.x(), inside.y()), 0);
    EXPECT_EQ(line->GetMarkIndex(f.View.Device(), inside.x(), f.At(0, label.bottom() + 2).y()), -1);
    EXPECT_EQ(f.Doc.Field->GetUserAction(&f.View, inside.x(), inside.y(), {}), (TPrintEditActions{saDelete}));
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, inside);
    EXPECT_EQ(f.Curve()->Marks().Count(), 0);
    EXPECT_EQ(f.Doc.Doc.DoneCount(), 2);

    // Far from the curve, or with Ctrl, a click sets nothing; Shift is loose.
    const QPoint far = f.At(45, y);
    EXPECT_TRUE(f.Doc.Field->GetUserAction(&f.View, far.x(), far.y(), {}).Contains(saNone));
    EXPECT_EQ(f.Curve()->GetUserAction(&f.View, far.x(), far.y(), Qt::ShiftModifier), (TPrintEditActions{saMark}));
    EXPECT_TRUE(f.Curve()->GetUserAction(&f.View, click.x(), click.y(), Qt::ControlModifier).Empty());
}

TEST(PrintSeries, DigitalRows) {
    struct TCase {
        const char* What;
        bool ByChanging;
        double Step;
        std::vector<double> Index, Values;
        std::vector<int> Rows;
    };
    const std::vector<double> depths = Sequence(1000, 0.5, 71);
    const TCase cases[] = {
        {"by step: 1000 itself is skipped", false, 10, depths, depths, {20, 40, 60}},
        {"by change", true, 2, {1, 2, 3, 4, 5, 6, 7}, {1, 1.5, 2, 5, 5.2, 9, 20}, {2, 3, 5, 6}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TCurveDoc d(c.Index.back() + 1, 0.1, c.Index.front() - 1);
        auto* digital = new TPrintDigitalSeries(d.Field);
        digital->SetSourceID("SRC");
        digital->SetGID("GR");
        digital->SetByChanging(c.ByChanging);
        digital->SetStep(c.Step);
        AddBlock(d.Doc, "SRC", "a", c.Index, {{"GR", c.Values}});
        TRecordingCanvas canvas;
        RenderPages(d.Doc, canvas);
        ASSERT_FALSE(digital->PageCache().empty());
        std::vector<int> rows;
        for (const TSeriesCacheEntry& e : digital->PageCache()[0]) rows.push_back(e.StartIndex);
        EXPECT_EQ(rows, c.Rows);
    }
}

TEST(PrintSeries, DigitalLabelsDoNotCollide) {
    TCurveDoc d(1040, 1, 990);
    auto* digital = new TPrintDigitalSeries(d.Field);
    digital->SetSourceID("SRC");
    digital->SetGID("GR");
    digital->SetStep(1);
    digital->SetUnits(" m");
    digital->SetPrecision(1);
    AddBlock(d.Doc, "SRC", "a", Sequence(1000, 0.5, 41), {{"GR", Sequence(1000, 0.5, 41)}});
    TRecordingCanvas canvas;
    RenderPages(d.Doc, canvas);
    std::vector<double> ys;
    for (const auto& call : canvas.Calls)
        if (call.Kind == "text" && call.Text.endsWith(" m") && call.Color == Qt::black) ys.push_back(call.Points[0].y());
    ASSERT_FALSE(digital->PageCache().empty());
    const int chosen = int(digital->PageCache()[0].size());
    ASSERT_EQ(chosen, 20);
    ASSERT_GE(ys.size(), 2u);
    EXPECT_LT(int(ys.size()), chosen) << "labels 1 mm apart cannot all be written";
    const int height = TBitmapDevice().TextHeight(*digital->Font(), "0.#");
    for (size_t i = 1; i < ys.size(); ++i) EXPECT_GE(ys[i] - ys[i - 1], 2 * (height / 2)) << i;
}

TEST(PrintSeries, AutomaticCommentTemplates) {
    TCurveDoc d(10, 0.1);
    TDataBlock* block = AddBlock(d.Doc, "SYS", "Events", {2, 6}, {});
    for (const auto& [id, texts] : std::vector<std::pair<QString, QStringList>>{
             {"BIT", {"PDC", "Шарошка"}}, {"DEPTH", {"1200", "1350"}}}) {
        auto column = std::make_unique<TStringDataSegment>(id);
        for (const QString& t : texts) column->AddData(t);
        block->AddSegment(std::move(column));
    }
    auto* comments = new TPrintAutoCommentSeries(d.Field);
    comments->SetSourceID("SYS");
    comments->SetBlockName("Events");
    comments->SetOffset(2);
    struct TCase {
        QString Text;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"Долото {~BIT} на {~ DEPTH } м", {"Долото PDC на 1200 м", "Долото Шарошка на 1350 м"}},
        {"{~BIT}/{~NONE}!", {"PDC/!", "Шарошка/!"}},
        {"{~BIT} и {~DEPTH", {"PDC и {~DEPTH", "Шарошка и {~DEPTH"}},
        {"без полей", {"без полей", "без полей"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        comments->SetText(c.Text);
        TRecordingCanvas canvas;
        RenderPages(d.Doc, canvas);
        EXPECT_EQ(comments->Max(), comments->Min() + 1);
        EXPECT_EQ((QStringList{comments->GetDisplayText(0), comments->GetDisplayText(1)}), c.Expected);
        EXPECT_EQ(TextLines(canvas), c.Expected);
    }
    // Several lines go down, one text height apart; nothing without the table.
    comments->SetText("{~BIT}\n{~DEPTH}");
    TRecordingCanvas lines;
    RenderPages(d.Doc, lines);
    std::vector<QPointF> at;
    for (const auto& call : lines.Calls)
        if (call.Kind == "text" && (call.Text == "PDC" || call.Text == "1200")) at.push_back(call.Points[0]);
    EXPECT_EQ(TextLines(lines), (QStringList{"PDC", "1200", "Шарошка", "1350"}));
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].x(), at[1].x());
    EXPECT_GT(at[1].y(), at[0].y());
    comments->SetBlockName("Missing");
    TRecordingCanvas none;
    RenderPages(d.Doc, none);
    EXPECT_EQ(std::count_if(none.Calls.begin(), none.Calls.end(), [](const auto& c) { return c.Kind == "text"; }), 0);
}
