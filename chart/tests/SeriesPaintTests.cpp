#include "ChartTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <stdexcept>

namespace {
// One field with one value scale [0, 100] and the X scale [0, 100].
struct TOneField : TChartWithData {
    TChartField* Field;
    TScale* Scale;
    explicit TOneField(QSize size = QSize(600, 400)) : TChartWithData(size) {
        Field = Chart.Fields().Add();
        Scale = Field->Scales().Add();
        Scale->SetMinMax(0, 100);
    }
    TScale& XS() { return *Chart.XScale(); }
};

int CountColor(const QImage& img, QColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

TEST(TRLineSeries, DrawsKnownValuesAtTheirPixels) {
    TOneField d;
    for (int x = 0; x <= 100; x += 10) d.AddPoint(x, x == 50 ? 80 : 20);
    d.AddSeries(0, 0, Qt::red);
    const QImage img = PlotImage(d.Field);
    for (double x : {0.0, 10.0, 90.0, 100.0}) {
        const QPoint p(d.XS().Prj(x), d.Scale->Prj(20));
        EXPECT_EQ(img.pixelColor(p), QColor(Qt::red)) << x;
    }
    EXPECT_EQ(img.pixelColor(d.XS().Prj(50), d.Scale->Prj(80)), QColor(Qt::red));
    // A value scale grows upwards: 80 lies above 20.
    EXPECT_LT(d.Scale->Prj(80), d.Scale->Prj(20));
    // Nothing red far from the curve.
    EXPECT_EQ(img.pixelColor(d.XS().Prj(10), d.Scale->Prj(60)), d.Field->Color());
    // A wider pen draws the same line again one pixel lower.
    d.Chart.GetSeries(0)->SetPen(QPen(Qt::blue, 3));
    const QImage wide = PlotImage(d.Field);
    const QPoint p(d.XS().Prj(10), d.Scale->Prj(20));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(wide.pixelColor(p + QPoint(0, k)), QColor(Qt::blue)) << k;
    EXPECT_NE(wide.pixelColor(p + QPoint(0, 3)), QColor(Qt::blue));
}

TEST(TRLineSeries, ColumnReductionDrawsThePictureOfTheFullPolyline) {
    TOneField d(QSize(400, 300));
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> v(0, 100);  // inside the area: no clipping
    const int n = 9000;
    for (int i = 0; i < n; ++i) d.AddPoint(i * 100.0 / (n - 1), i % 500 == 0 ? std::nan("") : v(rng));
    d.AddSeries(0, 0, Qt::black);
    const QImage shown = PlotImage(d.Field);

    // The same chunks drawn point by point.
    QImage ref(shown.size(), QImage::Format_RGB32);
    ref.fill(d.Field->Color());
    QPainter p(&ref);
    p.setPen(QPen(Qt::black, 1));
    TPoints pts;
    // A NaN sample breaks the line.
    for (int a = 0; a < n - 1;) {
        while (a < n && std::isnan(d.Y->Values(a))) ++a;
        int b = a;
        while (b + 1 < n && !std::isnan(d.Y->Values(b + 1))) ++b;
        if (b > a) {
            d.XS().PrjArray(*d.X, pts, a, b, 0, true);
            d.Scale->PrjArray(*d.Y, pts, a, b, 0, false);
            p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
        }
        a = b + 1;
    }
    p.end();
    // Every pixel column spans the same rows (the line stroker may place a join pixel one row
    // off), and all but a handful of pixels agree.
    int diff = 0;
    const QRgb line = QColor(Qt::black).rgb();
    for (int x = 0; x < ref.width(); ++x) {
        int refTop = -1, refBottom = -1, top = -1, bottom = -1;
        for (int y = 0; y < ref.height(); ++y) {
            const bool r = ref.pixel(x, y) == line, s2 = shown.pixel(x, y) == line;
            if (r) { if (refTop < 0) refTop = y; refBottom = y; }
            if (s2) { if (top < 0) top = y; bottom = y; }
            diff += r != s2;
        }
        EXPECT_NEAR(top, refTop, 1) << x;
        EXPECT_NEAR(bottom, refBottom, 1) << x;
    }
    EXPECT_LE(diff, CountColor(ref, Qt::black) / 200);
    EXPECT_GT(CountColor(shown, Qt::black), 1000);
}

TEST(TRLineSeries, ChunksOf3001PointsAndOnlyThoseTouchingTheWindow) {
    TOneField d;
    for (int i = 0; i < 7000; ++i) d.AddPoint(i, 50);
    TRLineSeries* s = d.AddSeries(0, 0);
    d.XS().SetLimits(0, 10000, false);
    d.XS().SetMinMax(0, 7000);
    PlotImage(d.Field);
    using C = std::vector<std::pair<int, int>>;
    EXPECT_EQ(s->LastChunks(), (C{{0, 3000}, {3000, 6000}, {6000, 6999}}));
    d.XS().SetMinMax(6500, 7500);
    PlotImage(d.Field);
    EXPECT_EQ(s->LastChunks(), (C{{6000, 6999}}));
    d.XS().SetMinMax(3500, 4000);  // inside one chunk
    PlotImage(d.Field);
    EXPECT_EQ(s->LastChunks(), (C{{3000, 6000}}));
    d.XS().SetMinMax(8000, 9000);
    PlotImage(d.Field);
    EXPECT_TRUE(s->LastChunks().empty());
}

TEST(TRLineSeries, UnlinkedOrShortSeriesDrawNothing) {
    TOneField d;
    d.AddPoint(10, 50);
    TRLineSeries* s = d.AddSeries(0, 0);
    EXPECT_EQ(CountColor(PlotImage(d.Field), Qt::red), 0);
    d.AddPoint(90, 50);
    EXPECT_GT(CountColor(PlotImage(d.Field), Qt::red), 0);
    s->SetFID("missing");
    EXPECT_FALSE(s->Link());
    EXPECT_EQ(CountColor(PlotImage(d.Field), Qt::red), 0);
    s->SetTable(nullptr);
    EXPECT_FALSE(s->Link());
}

class TThrowingSeries : public TRLineSeries {
public:
    using TRLineSeries::TRLineSeries;
    void Paint(QPainter&, TScale*, QImage*) override { throw std::runtime_error("broken series"); }
};

TEST(TGraphion, AFailingSeriesOrHandlerIsSkippedAndTheRestPaints) {
    TOneField d;
    d.AddPoint(0, 50);
    d.AddPoint(100, 50);
    auto* bad = new TThrowingSeries(&d.Chart);
    d.Chart.InsertSeries(bad);
    bad->Labels().Add(50, 50, "never", Qt::green);
    d.AddSeries(0, 0, Qt::red);
    bool handlerRan = false;
    d.Chart.OnPaintField = [&](TChartField*, QPainter&) {
        handlerRan = true;
        throw std::runtime_error("broken handler");
    };
    const QImage img = PlotImage(d.Field);
    EXPECT_TRUE(handlerRan);
    EXPECT_EQ(img.pixelColor(d.XS().Prj(50), d.Scale->Prj(50)), QColor(Qt::red));
    EXPECT_EQ(CountColor(img, Qt::green), 0);  // the failing series' labels are skipped
}

TEST(TGraphion, GridFollowsTheMarksOfBothScales) {
    TOneField d(QSize(600, 400));
    d.Field->SetGridInd(0);
    d.Field->SetGridPen(QPen(Qt::blue, 1));
    const QImage img = PlotImage(d.Field);
    // Vertical lines at the X marks, horizontal lines at the value marks.
    const int x50 = d.XS().Prj(50), y50 = d.Scale->Prj(50);
    EXPECT_EQ(img.pixelColor(x50, img.height() / 3), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(img.width() / 3 + 3, y50), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(x50 + 3, y50 + 3), d.Field->Color());
    d.Field->SetGridInd(5);  // no such scale: the grid stays
    EXPECT_EQ(d.Field->GridIndex(), 0);
}

TEST(TGraphion, SelectionByPressDragAndRelease) {
    TOneField d;
    d.Chart.SetSelectionMode(true);
    int changed = 0;
    d.Chart.OnSelectionChanged = [&] { ++changed; };
    QWidget* area = d.Field->Client();
    const int x20 = d.XS().Prj(20), x60 = d.XS().Prj(60), y = 50;
    // Press sets start = stop, the drag moves the stop, release before start swaps them.
    SendMouse(area, QEvent::MouseButtonPress, {x60, y}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(d.Chart.SelectionStart(), d.Chart.SelectionStop());
    SendMouse(area, QEvent::MouseMove, {x20, y}, Qt::NoButton, Qt::LeftButton);
    SendMouse(area, QEvent::MouseButtonRelease, {x20, y}, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(d.Chart.SelectionStart(), 20, 0.5);
    EXPECT_NEAR(d.Chart.SelectionStop(), 60, 0.5);
    EXPECT_EQ(changed, 1);
    const QImage img = PlotImage(d.Field);
    EXPECT_EQ(img.pixelColor(d.XS().Prj(45), 10), SelectionColor);
    EXPECT_EQ(img.pixelColor(d.XS().Prj(80), 10), d.Field->Color());
    // Pressing on the start end makes it the moving one.
    SendMouse(area, QEvent::MouseButtonPress, {x20, y}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(area, QEvent::MouseMove, {d.XS().Prj(90), y}, Qt::NoButton, Qt::LeftButton);
    SendMouse(area, QEvent::MouseButtonRelease, {d.XS().Prj(90), y}, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(d.Chart.SelectionStart(), 60, 0.5);
    EXPECT_NEAR(d.Chart.SelectionStop(), 90, 0.5);
    // A click on one value clears it.
    const int x10 = d.XS().Prj(10);
    Click(area, {x10, y});
    EXPECT_TRUE(std::isnan(d.Chart.SelectionStart()));
    EXPECT_TRUE(std::isnan(d.Chart.SelectionStop()));
}

TEST(TGraphion, WheelOverThePlotAreaSlidesTheXWindow) {
    TOneField d;
    Wheel(d.Field->Client(), {100, 100}, -120);
    EXPECT_DOUBLE_EQ(d.XS().Min(), 5);
    EXPECT_DOUBLE_EQ(d.XS().Max(), 105);
    Wheel(d.Field->Client(), {100, 100}, 120);
    Wheel(d.Field->Client(), {100, 100}, 120);
    EXPECT_DOUBLE_EQ(d.XS().Min(), -5);
    EXPECT_DOUBLE_EQ(d.XS().Max(), 95);
}

TEST(TGraphion, PrjSeriesProjectsPairsIntoThePlotArea) {
    TOneField d;
    const double xs[] = {0, 50, 100, 50};
    const double ys[] = {0, 50, 100, std::nan("")};
    QPoint pts[4];
    d.Chart.PrjSeries(d.Scale, 0, 0, xs, ys, 4, pts);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pts[i], QPoint(d.XS().Prj(xs[i]), d.Scale->Prj(ys[i]))) << i;
    EXPECT_EQ(pts[3].y(), -1);
    // Y' = 2Y + 10
    d.Chart.PrjSeries(d.Scale, 2, 10, xs, ys, 2, pts);
    EXPECT_EQ(pts[1].y(), d.Scale->Prj(110));
}
}  // namespace
