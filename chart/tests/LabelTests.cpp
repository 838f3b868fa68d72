#include "ChartTestSupport.h"
#include "Formatting.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {
// One field, scale [0, 100], a rising line from (0, 0) to (100, 100).
struct TLineChart : TChartWithData {
    TChartField* Field;
    TScale* Scale;
    TRLineSeries* Line;
    TLineChart() {
        Field = Chart.Fields().Add();
        Scale = Field->Scales().Add();
        for (int x = 0; x <= 100; x += 10) AddPoint(x, x);
        Line = AddSeries(0, 0, Qt::red);
    }
    QPoint At(double x, double y) const { return {Chart.XScale()->Prj(x), Scale->Prj(y)}; }
};

TEST(TLabelsList, AFullListDropsItsOldestLabel) {
    TLabelsList l(LabelsCapacity);
    for (int i = 0; i < 21; ++i) l.Add(i, i, QString::number(i), Qt::red);
    EXPECT_EQ(l.Count(), 20);
    EXPECT_EQ(l.GetLabel(0)->Text, "1");
    EXPECT_EQ(l.GetLabel(19)->Text, "20");
}

TEST(TRLineSeries, AClickOnTheCurveAddsALabelAtTheInterpolatedPoint) {
    TLineChart d;
    Click(d.Field->Client(), d.At(35, 35));
    ASSERT_EQ(d.Line->Labels().Count(), 1);
    TChartLabel* l = d.Line->Labels().GetLabel(0);
    EXPECT_NEAR(l->X, 35, 0.5);
    EXPECT_NEAR(l->Y, 35, 0.5);
    EXPECT_EQ(l->Text, FormatFloat("0.###", l->Y));
    EXPECT_EQ(l->Color, QColor(Qt::red));

    // Eight pixels off the curve: nothing without Shift, a label on the curve with it.
    const QPoint off = d.At(65, 65) - QPoint(0, 8);
    Click(d.Field->Client(), off);
    EXPECT_EQ(d.Line->Labels().Count(), 1);
    Click(d.Field->Client(), off, Qt::ShiftModifier);
    ASSERT_EQ(d.Line->Labels().Count(), 2);
    EXPECT_NEAR(d.Line->Labels().GetLabel(1)->Y, 65, 0.5);
    // Left of the first point there is no crossing; another button adds nothing.
    d.Chart.XScale()->SetMinMax(-50, 100);
    Click(d.Field->Client(), d.At(-20, 0), Qt::ShiftModifier);
    Click(d.Field->Client(), d.At(50, 50), {}, Qt::RightButton);
    EXPECT_EQ(d.Line->Labels().Count(), 2);
}

TEST(TGraphion, LabelBoxesHangAboveRightOfTheirPointAndDoNotOverlap) {
    // Where the second box goes depends on the height of the scale's font (Tahoma).
    ASSERT_TRUE(FontResolvesAsMeasured(QStringLiteral("Tahoma")));
    TLineChart d;
    d.Line->Labels().Add(50, 50, "50.000", Qt::red);
    d.Line->Labels().Add(50, 50, "second", Qt::blue);
    const QImage img = PlotImage(d.Field);
    const QPoint p = d.At(50, 50);
    const QRect a = d.Line->Labels().GetLabel(0)->TextRect, b = d.Line->Labels().GetLabel(1)->TextRect;
    EXPECT_EQ(a.left(), p.x() + 9);
    EXPECT_EQ(a.bottom(), p.y() - 12);
    EXPECT_FALSE(a.intersects(b));
    // With the default font a box is taller than the room left above the point: the second goes right.
    EXPECT_EQ(b.left(), a.right() + 1);
    EXPECT_EQ(img.pixelColor(a.left() - 1, a.top()), QColor(Qt::red));  // the frame in the label colour
    // A smaller font leaves room: the second box goes below the first.
    QFont small = d.Chart.XScale()->Font();
    small.setPixelSize(6);
    d.Chart.XScale()->SetFont(small);
    PlotImage(d.Field);
    const QPoint p2 = d.At(50, 50);  // the X strip changed its height: the plot area too
    const QRect a2 = d.Line->Labels().GetLabel(0)->TextRect, b2 = d.Line->Labels().GetLabel(1)->TextRect;
    EXPECT_EQ(b2.top(), a2.bottom() + 1);
    EXPECT_LT(b2.bottom(), p2.y());
}

TEST(TGraphion, ALabelNearTheTopIsMovedDownAndItsLeaderStillReachesThePoint) {
    TLineChart d;
    d.Line->Labels().Add(40, 98, "top", Qt::blue);
    d.Line->Labels().Add(99, 60, "right edge", Qt::blue);
    const QImage img = PlotImage(d.Field);
    const TChartLabel* l = d.Line->Labels().GetLabel(0);
    EXPECT_EQ(l->TextRect.top(), 0);
    const QPoint p = d.At(40, 98);
    EXPECT_GT(p.y(), 0);
    // Labels take the series colour.
    EXPECT_EQ(img.pixelColor(p), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(l->TextRect.left() - 1, l->TextRect.bottom()), QColor(Qt::red));
    // A label at the right edge is pulled inside.
    EXPECT_EQ(d.Line->Labels().GetLabel(1)->TextRect.right(), img.width() - 1);
}

TEST(TGraphion, AClickInsideALabelDeletesItAndReachesNoSeries) {
    TLineChart d;
    d.Line->Labels().Add(30, 30, "pinned", Qt::red);
    PlotImage(d.Field);
    const QRect box = d.Line->Labels().GetLabel(0)->TextRect;
    int handler = 0;
    d.Chart.OnMouseDown = [&](TChartField*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { return ++handler > 0; };
    Click(d.Field->Client(), box.center(), Qt::ShiftModifier);
    EXPECT_EQ(d.Line->Labels().Count(), 0);
    EXPECT_EQ(handler, 0);
    // A press that no series claims reaches the handler.
    Click(d.Field->Client(), d.At(50, 90));
    EXPECT_EQ(handler, 1);
}

TEST(TGraphion, LabelsOfValuesScrolledOutOfTheDataAreDropped) {
    TLineChart d;
    d.Line->Labels().Add(10, 10, "old", Qt::red);
    d.Line->Labels().Add(90, 90, "new", Qt::red);
    d.Table.SetCapacity(10);  // the table keeps 11 rows: push the first ones out
    for (int x = 50; x <= 100; x += 5) d.AddPoint(x, x);
    PlotImage(d.Field);
    ASSERT_EQ(d.Line->Labels().Count(), 1);
    EXPECT_EQ(d.Line->Labels().GetLabel(0)->Text, "new");
    d.Table.Clear();
    PlotImage(d.Field);
    EXPECT_EQ(d.Line->Labels().Count(), 0);
}
}  // namespace
