// Pictures of lines as a driller reads them: drop-outs, zoomed sparse data,
// wide plot areas, thick pens in depth charts, the default grid, sharp drawing.
#include "ChartTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <cmath>

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
