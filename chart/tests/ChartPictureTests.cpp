// Pictures of lines as a driller reads them: drop-outs, zoomed sparse data,
// wide plot areas, thick pens in depth charts, the default grid, sharp drawing.
#include "ChartTestSupport.h"
#include "Formatting.h"

#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cmath>
#include <random>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct TLineChart : TChartWithData {
    TChartField* Field;
    TScale* Scale;
    explicit TLineChart(QSize size = QSize(600, 400), TChartOrientation o = coHorizontal) : TChartWithData(size) {
        Chart.SetOrientation(o);
        Field = Chart.Fields().Add();
        Scale = Field->Scales().Add();
        Scale->SetMinMax(0, 100);
        Chart.XScale()->SetLimits(-1e6, 1e6, false);
    }
    TScale& XS() { return *Chart.XScale(); }
    // The pixel of an (x, y) value pair in the plot area.
    QPoint At(double x, double y) {
        const int a = XS().Prj(x), v = Scale->Prj(y);
        return Chart.Orientation() == coHorizontal ? QPoint(a, v) : QPoint(v, a);
    }
};

int CountInLine(const QImage& img, QPoint from, QPoint step, int n, QColor c) {
    int k = 0;
    for (int i = 0; i < n; ++i) {
        const QPoint p = from + step * i;
        if (img.rect().contains(p) && img.pixelColor(p) == c) ++k;
    }
    return k;
}

TEST(TRLineSeries, ANaNSampleLeavesAGapInBothOrientationsAndWhenThinned) {
    struct Case { TChartOrientation o; int points; const char* name; };
    for (Case c : {Case{coHorizontal, 101, "nan-gap-horizontal"}, Case{coVertical, 101, "nan-gap-vertical"},
                   Case{coHorizontal, 20001, "nan-gap-thinned"}, Case{coVertical, 20001, "nan-gap-thinned-vertical"}}) {
        TLineChart d(QSize(600, 400), c.o);
        // Hook load steady at 60 with a drop-out from 40 to 60 on the X scale.
        for (int i = 0; i < c.points; ++i) {
            const double x = i * 100.0 / (c.points - 1);
            d.AddPoint(x, x > 40 && x < 60 ? NaN : 60 + (i % 2 ? 3 : -3));
        }
        d.XS().SetMinMax(0, 100);
        d.AddSeries(0, 0, Qt::red);
        const QImage img = PlotImage(d.Field);
        SaveArtifact(img, c.name);
        const bool h = c.o == coHorizontal;
        const QPoint across = h ? QPoint(0, 1) : QPoint(1, 0);
        const int n = h ? img.height() : img.width();
        // Nothing red anywhere across the plot area where the samples are missing.
        for (double x : {45.0, 50.0, 55.0}) {
            const QPoint start = h ? QPoint(d.XS().Prj(x), 0) : QPoint(0, d.XS().Prj(x));
            EXPECT_EQ(CountInLine(img, start, across, n, Qt::red), 0) << c.name << " " << x;
        }
        // The line is there on both sides of the drop-out.
        for (double x : {20.0, 80.0}) {
            const QPoint start = h ? QPoint(d.XS().Prj(x), 0) : QPoint(0, d.XS().Prj(x));
            EXPECT_GT(CountInLine(img, start, across, n, Qt::red), 0) << c.name << " " << x;
        }
    }
}

TEST(TRLineSeries, ZoomedSparseDataAndWideAreasDrawTheTrueLine) {
    // Two readings far apart; zoomed in between them, the left edge shows the
    // interpolated value, not the value of a line bent at a clamped end.
    TLineChart d;
    d.AddPoint(0, 10);
    d.AddPoint(100000, 100);
    d.XS().SetMinMax(40000, 50000);
    d.AddSeries(0, 0, Qt::blue);
    QImage img = PlotImage(d.Field);
    SaveArtifact(img, "zoomed-sparse");
    for (double x : {40000.0, 45000.0, 50000.0}) {
        const double y = 10 + 90 * x / 100000;
        const QPoint p = d.At(x, y);
        EXPECT_GT(CountInLine(img, p - QPoint(0, 1), QPoint(0, 1), 3, Qt::blue), 0) << x;
    }

    // A plot area wider than 3000 pixels: the points right of column 3000 stay where they are.
    TLineChart w(QSize(4200, 300));
    for (int x = 0; x <= 100; ++x) w.AddPoint(x, x);
    w.XS().SetMinMax(0, 100);
    w.AddSeries(0, 0, Qt::blue);
    ASSERT_GT(w.Field->Client()->width(), 3500);
    img = PlotImage(w.Field);
    for (double x : {80.0, 95.0}) {
        ASSERT_GT(w.XS().PrjValue(x), 3000);
        const QPoint p(static_cast<int>(std::lround(w.XS().PrjValue(x))), static_cast<int>(std::lround(w.Scale->PrjValue(x))));
        EXPECT_GT(CountInLine(img, p - QPoint(0, 1), QPoint(0, 1), 3, Qt::blue), 0) << x;
    }
    // Nothing piles up at column 3000.
    EXPECT_LE(CountInLine(img, QPoint(3000, 0), QPoint(0, 1), img.height(), Qt::blue), 2);
}

TEST(TRLineSeries, AThickPenIsThickAcrossTheLineInTheDepthLayout) {
    // Depth runs down: a steady reading is a vertical run, which a 3-pixel pen draws 3 pixels wide.
    TLineChart d(QSize(400, 500), coVertical);
    for (int x = 0; x <= 100; x += 5) d.AddPoint(x, 50);
    d.XS().SetMinMax(0, 100);
    TRLineSeries* s = d.AddSeries(0, 0, Qt::darkGreen);
    s->SetPen(QPen(Qt::darkGreen, 3));
    QImage img = PlotImage(d.Field);
    SaveArtifact(img, "thick-vertical");
    const QPoint mid = d.At(50, 50);
    EXPECT_EQ(CountInLine(img, QPoint(0, mid.y()), QPoint(1, 0), img.width(), Qt::darkGreen), 3);
    // The time layout thickens its horizontal runs the same way.
    TLineChart t;
    for (int x = 0; x <= 100; x += 5) t.AddPoint(x, 50);
    t.XS().SetMinMax(0, 100);
    t.AddSeries(0, 0, Qt::darkGreen)->SetPen(QPen(Qt::darkGreen, 3));
    img = PlotImage(t.Field);
    EXPECT_EQ(CountInLine(img, QPoint(t.At(50, 50).x(), 0), QPoint(0, 1), img.height(), Qt::darkGreen), 3);
}

TEST(TChartField, ANewFieldDrawsTheGridOfItsFirstScale) {
    TLineChart d;
    d.XS().SetMinMax(0, 100);
    d.Field->SetGridPen(QPen(Qt::magenta, 1));
    EXPECT_EQ(d.Field->GridIndex(), 0);
    const QImage img = PlotImage(d.Field);
    SaveArtifact(img, "default-grid");
    // Lines across the area at the value marks and along it at the X marks.
    EXPECT_EQ(img.pixelColor(d.XS().Prj(35), d.Scale->Prj(50)), QColor(Qt::magenta));
    EXPECT_EQ(img.pixelColor(d.XS().Prj(50), d.Scale->Prj(35)), QColor(Qt::magenta));
    EXPECT_NE(img.pixelColor(d.XS().Prj(35), d.Scale->Prj(35)), QColor(Qt::magenta));
}

TEST(TFieldClientBox, DrawsSharpAtAPixelRatioOfTwo) {
    TLineChart d;
    for (int x = 0; x <= 100; x += 10) d.AddPoint(x, 50);
    d.XS().SetMinMax(0, 100);
    d.AddSeries(0, 0, Qt::red);
    QWidget* area = d.Field->Client();
    QImage img(area->size() * 2, QImage::Format_RGB32);
    img.setDevicePixelRatio(2);
    img.fill(Qt::white);
    area->render(&img);
    SaveArtifact(img, "ratio-two");
    // A one-pixel line is one device pixel thick, not a doubled logical pixel.
    const int column = 2 * d.XS().Prj(25);
    EXPECT_EQ(CountInLine(img, QPoint(column, 0), QPoint(0, 1), img.height(), Qt::red), 1);
}
}  // namespace

namespace {
// Every label a strip draws lies inside the strip.
void ExpectLabelsInside(TScale& s, const char* what) {
    const int len = s.Control()->Vertical() ? s.Control()->height() : s.Control()->width();
    for (const auto& [text, extent] : DrawnLabels(s)) {
        EXPECT_GE(extent.first, 0) << what << " " << text.toStdString();
        EXPECT_LT(extent.second, len) << what << " " << text.toStdString();
    }
}

TEST(TGraphion, RealisticDrillingChartsShowEveryLabelAndCurve) {
    // Three stacked fields of noisy drilling data over two hours, with drop-outs.
    TChartWithData d(QSize(1000, 700));
    TGraphion& c = d.Chart;
    c.SetColor(RGBToColor(0xD4, 0xD0, 0xC8));
    struct TTrack { const char* name; double lo, hi, mean, noise; QColor color; };
    const TTrack tracks[3][2] = {{{"Вес на крюке", 0, 250, 160, 12, Qt::darkBlue}, {"Нагрузка", 0, 30, 12, 2, Qt::darkRed}},
                                 {{"Обороты", 0, 200, 150, 8, Qt::darkGreen}, {"Момент", 0, 40, 18, 4, Qt::darkMagenta}},
                                 {{"Давление", 0, 300, 180, 10, Qt::darkCyan}, {"Расход", 0, 60, 32, 3, Qt::black}}};
    const double t0 = EncodeDate(2024, 3, 17) + EncodeTime(10, 0, 0, 0);
    const int n = 7200;
    std::vector<TMemPointArray*> arrays;
    for (int f = 0; f < 3; ++f) {
        TChartField* field = c.Fields().Add();
        for (int k = 0; k < 2; ++k) {
            const TTrack& t = tracks[f][k];
            TScale* s = field->Scales().Add();
            s->SetCaption(QString::fromUtf8(t.name));
            s->SetLimits(t.lo - 1000, t.hi + 1000, false);
            s->SetMinMax(t.lo, t.hi);
            s->SetPenColor(t.color);
            arrays.push_back(d.Table.AddArray(f * 2 + k));
            auto* series = new TRLineSeries(&c);
            series->SetFieldInd(f);
            series->SetScaleInd(k);
            c.InsertSeries(series);
            series->SetTable(&d.Table);
            series->SetFID(f * 2 + k);
            series->SetFXID("x");
            series->SetPen(QPen(t.color, 1));
        }
    }
    std::mt19937 rng(3);
    std::normal_distribution<double> unit(0, 1);
    for (int i = 0; i < n; ++i) {
        d.Table.AddRow();
        d.X->SetLastValue(t0 + i / 86400.0);
        for (int a = 0; a < 6; ++a) {
            const TTrack& t = tracks[a / 2][a % 2];
            const bool dropout = a == 0 && i > 3000 && i < 3300;
            arrays[static_cast<size_t>(a)]->SetLastValue(dropout ? NaN : t.mean + t.noise * unit(rng) + 0.2 * t.noise * std::sin(i / 300.0));
        }
    }
    c.XScale()->SetAsDateTime(true);
    c.XScale()->SetLimits(t0 - 1, t0 + 1, false);
    c.XScale()->SetMinMax(t0, t0 + 2.0 / 24);
    c.SetShowCheckboxes(true);
    c.Fields().Items(1)->Scales().Items(0)->SetShowDisplayValues(true);
    c.Fields().Items(1)->Scales().Items(0)->SetDisplayValue(95);
    const QImage img = c.grab().toImage();
    SaveArtifact(img, "drilling-time-chart");
    ExpectLabelsInside(*c.XScale(), "time");
    for (int f = 0; f < 3; ++f)
        for (int k = 0; k < 2; ++k) ExpectLabelsInside(*c.Fields().Items(f)->Scales().Items(k), tracks[f][k].name);
    // every curve shows in its field
    for (int f = 0; f < 3; ++f) {
        const QImage plot = PlotImage(c.Fields().Items(f));
        for (int k = 0; k < 2; ++k) {
            int count = 0;
            for (int y = 0; y < plot.height(); ++y)
                for (int x = 0; x < plot.width(); ++x) count += plot.pixelColor(x, y) == tracks[f][k].color;
            EXPECT_GT(count, plot.width()) << tracks[f][k].name;
        }
    }

    // A depth chart: depth grows downwards, a logarithmic gas track beside the rate of penetration.
    TChartWithData dd(QSize(700, 900));
    TGraphion& depth = dd.Chart;
    depth.SetOrientation(coVertical);
    TScale& x = *depth.XScale();
    x.SetInverted(true);
    x.SetCaption("Глубина, м");
    x.SetLimits(0, 5000, false);
    x.SetMinMax(2400, 2600);
    TScale* rop = depth.Fields().Add()->Scales().Add();
    rop->SetCaption("Скорость, м/ч");
    rop->SetMinMax(0, 40);
    TScale* gas = depth.Fields().Add()->Scales().Add();
    gas->SetCaption("Газ, %");
    gas->SetLimits(1e-6, 1e6, false);
    gas->SetStepType(sttLogarithmic);
    gas->SetMinMax(0.01, 100);
    TMemPointArray* g = dd.Table.AddArray("gas");
    for (int i = 0; i <= 2000; ++i) {
        dd.Table.AddRow();
        dd.X->SetLastValue(2400 + i * 0.1);
        dd.Y->SetLastValue(15 + 5 * std::sin(i / 40.0) + unit(rng));
        g->SetLastValue(i > 1200 && i < 1300 ? 20 + 10 * unit(rng) * unit(rng) : 0.05 * std::exp(unit(rng)));
    }
    dd.AddSeries(0, 0, Qt::darkBlue);
    auto* gasSeries = dd.AddSeries(1, 0, Qt::red);
    gasSeries->SetFID("gas");
    const QImage deep = depth.grab().toImage();
    SaveArtifact(deep, "drilling-depth-chart");
    ExpectLabelsInside(x, "depth");
    ExpectLabelsInside(*rop, "rop");
    ExpectLabelsInside(*gas, "gas");
    // the gas show between 2520 and 2530 m stands right of the background level
    const QImage gasPlot = PlotImage(depth.Fields().Items(1));
    int right = -1;
    const int row = x.Prj(2525);
    for (int px = 0; px < gasPlot.width(); ++px)
        if (gasPlot.pixelColor(px, row) == QColor(Qt::red)) right = px;
    EXPECT_GT(right, gas->Prj(5));
}
}  // namespace

namespace {
TEST(TGraphion, SeriesProjectionInFloatingPointAgreesAndIsNotClamped) {
    for (TChartOrientation o : {coHorizontal, coVertical}) {
        TLineChart d(QSize(600, 400), o);
        d.XS().SetMinMax(0, 100);
        const double xs[] = {0, 37.5, 100, 100000, 50};
        const double ys[] = {0, 61, 100, 50, NaN};
        QPoint clamped[5];
        double px[5], py[5];
        d.Chart.PrjSeries(d.Scale, 1, 0, xs, ys, 5, clamped);
        d.Chart.PrjSeriesValues(d.Scale, 1, 0, xs, ys, 5, px, py);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(px[i], clamped[i].x(), 0.5) << o << " " << i;
            EXPECT_NEAR(py[i], clamped[i].y(), 0.5) << o << " " << i;
        }
        // far beyond the window: where it truly lies, not at ±3000
        EXPECT_GT(std::fabs(o == coHorizontal ? px[3] : py[3]), 100000);
        EXPECT_TRUE(std::isnan(o == coHorizontal ? py[4] : px[4]));
    }
}
}  // namespace

namespace {
// An infinite sample is a value beyond every finite one: the line runs from its
// finite neighbours straight to the edge it points to (and on beyond it, out of
// sight), never across the plot to some corner.
TEST(TRLineSeries, InfiniteSamplesRunStraightToTheEdgeTheyPointTo) {
    const double inf = HUGE_VAL;
    struct TCase {
        const char* What;
        TChartOrientation O;
        bool Inverted;
        std::vector<std::pair<int, double>> Samples;  // index (X = 10 × index) and value; the rest are 50
        std::vector<std::pair<double, int>> Rays;     // X of a ray and its way: +1 towards +inf
        std::vector<double> Empty;                    // X where nothing is drawn
    };
    const TCase cases[] = {
        {"+inf", coHorizontal, false, {{3, inf}}, {{20, 1}, {40, 1}}, {25, 30, 35}},
        {"-inf", coHorizontal, false, {{3, -inf}}, {{20, -1}, {40, -1}}, {25, 30, 35}},
        {"+inf, inverted scale", coHorizontal, true, {{3, inf}}, {{20, 1}, {40, 1}}, {25, 30, 35}},
        {"+inf, depth layout", coVertical, false, {{3, inf}}, {{20, 1}, {40, 1}}, {25, 30, 35}},
        {"-inf, depth layout, inverted", coVertical, true, {{3, -inf}}, {{20, -1}, {40, -1}}, {25, 30, 35}},
        {"+inf first", coHorizontal, false, {{0, inf}}, {{10, 1}}, {5}},
        {"-inf last", coHorizontal, false, {{10, -inf}}, {{90, -1}}, {95}},
        {"two +inf in a row", coHorizontal, false, {{3, inf}, {4, inf}}, {{20, 1}, {50, 1}}, {25, 35, 45}},
        {"+inf then -inf", coVertical, false, {{3, inf}, {4, -inf}}, {{20, 1}, {20, -1}, {50, -1}}, {25, 35, 45}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TLineChart d(QSize(500, 400), c.O);
        d.Scale->SetInverted(c.Inverted);
        for (int i = 0; i <= 10; ++i) {
            double v = 50;
            for (const auto& [at, value] : c.Samples)
                if (at == i) v = value;
            d.AddPoint(i * 10.0, v);
        }
        d.XS().SetMinMax(0, 100);
        d.AddSeries(0, 0, Qt::red);
        const QImage img = PlotImage(d.Field);
        SaveArtifact(img, QStringLiteral("inf_") + QString::fromLatin1(c.What).replace(QRegularExpression("[^a-z0-9+-]+"), "_"));
        const bool h = c.O == coHorizontal;
        const int alongX = h ? img.width() : img.height(), alongV = h ? img.height() : img.width();
        auto red = [&](int a, int v) { return img.pixelColor(h ? QPoint(a, v) : QPoint(v, a)) == QColor(Qt::red); };
        auto col = [&](double x) { return static_cast<int>(std::lround(ExpectedAlong(d.XS(), x))); };
        const int line = static_cast<int>(std::lround(ExpectedAlong(*d.Scale, 50)));
        // +inf lies where the values grow.
        const int up = ExpectedAlong(*d.Scale, 100) > ExpectedAlong(*d.Scale, 0) ? 1 : -1;
        std::vector<int> rayColumns;
        for (const auto& [x, way] : c.Rays) {
            const int a = col(x), dir = way * up, edge = dir > 0 ? alongV - 1 : 0;
            rayColumns.push_back(a);
            // in the column of X, or the one beside it where the position is half-way
            int missing = alongV;
            for (int near = a - 1; near <= a + 1; ++near) {
                int m = 0;
                for (int v = line + 2 * dir; v != edge + dir; v += dir) m += !red(near, v);
                missing = std::min(missing, m);
            }
            EXPECT_EQ(missing, 0) << "the ray at X " << x << " reaches the edge";
        }
        for (double x : c.Empty) {
            int n = 0;
            for (int v = 0; v < alongV; ++v) n += red(col(x), v);
            EXPECT_EQ(n, 0) << "nothing at X " << x;
        }
        // Elsewhere the line is where the value 50 is, and nowhere else.
        int stray = 0;
        for (int a = 0; a < alongX; ++a) {
            bool nearRay = false;
            for (int r : rayColumns) nearRay = nearRay || std::abs(a - r) <= 1;
            if (nearRay) continue;
            for (int v = 0; v < alongV; ++v) stray += red(a, v) && std::abs(v - line) > 1;
        }
        EXPECT_EQ(stray, 0);
    }
}
}  // namespace
