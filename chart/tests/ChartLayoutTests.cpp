#include "ChartTestSupport.h"

#include <gtest/gtest.h>

namespace {
QRect InChart(TGraphion& c, QWidget* w) { return QRect(w->mapTo(&c, QPoint(0, 0)), w->size()); }

TEST(TGraphion, FieldsStackedShareTheRoomAndTheSplitterStoresNewShares) {
    TGraphion c;
    c.resize(500, 300);
    c.show();
    TChartField* a = c.Fields().Add();
    TChartField* b = c.Fields().Add();
    const int xh = c.XScale()->Control()->height();
    ASSERT_GT(xh, 0);
    // Room for the fields: 400 pixels once the X strip and one splitter are taken.
    c.resize(500, 400 + xh + 1);
    EXPECT_EQ(a->Size(), 200);
    EXPECT_EQ(b->Size(), 200);
    EXPECT_DOUBLE_EQ(a->Percents(), 0.5);
    const QRect ra = InChart(c, a->Control()), rb = InChart(c, b->Control());
    EXPECT_EQ(ra.top(), 0);
    EXPECT_EQ(rb.top(), ra.bottom() + 2);  // the splitter lies between them
    EXPECT_EQ(InChart(c, c.XScale()->Control()).top(), rb.bottom() + 1);

    // Drag the splitter 100 pixels up: the first field gives them to the second, and the shares follow.
    QWidget* splitter = b->Splitter();
    SendMouse(splitter, QEvent::MouseButtonPress, QPoint(10, 0), Qt::LeftButton, Qt::LeftButton);
    SendMouse(splitter, QEvent::MouseMove, QPoint(10, -100), Qt::NoButton, Qt::LeftButton);
    SendMouse(splitter, QEvent::MouseButtonRelease, QPoint(10, -100), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(a->Size(), 100);
    EXPECT_EQ(b->Size(), 300);
    EXPECT_DOUBLE_EQ(a->Percents(), 0.25);
    EXPECT_DOUBLE_EQ(b->Percents(), 0.75);
    // The shares hold on a later resize.
    c.resize(500, 800 + xh + 1);
    EXPECT_EQ(a->Size(), 200);
    EXPECT_EQ(b->Size(), 600);
}

TEST(TGraphion, RoundedSharesThatOverflowAreTakenFromTheLargestField) {
    TGraphion c;
    c.show();
    c.resize(300, 200);
    for (int i = 0; i < 3; ++i) c.Fields().Add();
    const int xh = c.XScale()->Control()->height();
    // 3 fields of a third of 101 pixels round to 34 each: one pixel too many.
    c.resize(300, 101 + 2 + xh);
    int bottom = -1, total = 0;
    for (int i = 0; i < 3; ++i) {
        const QRect r = InChart(c, c.Fields().Items(i)->Control());
        EXPECT_GT(r.top(), bottom) << i;  // nothing overlaps
        bottom = r.bottom();
        total += r.height();
    }
    EXPECT_EQ(total, 101);
    EXPECT_LT(bottom, InChart(c, c.XScale()->Control()).top());
}

TEST(TGraphion, PlotAreasStartWhereTheXScaleValuesStart) {
    TGraphion c;
    c.resize(600, 400);
    c.show();
    TChartField* a = c.Fields().Add();
    TChartField* b = c.Fields().Add();
    a->Scales().Add()->SetCaption("Weight");
    a->Scales().Add()->SetCaption("Torque");
    TScale* wide = b->Scales().Add();
    wide->SetLimits(0, 1e7, false);
    wide->SetMinMax(0, 1e6);  // the widest labels
    const int sumA = a->GetSumOffset(), sumB = b->GetSumOffset();
    const int margin = std::max(sumA, sumB);
    EXPECT_EQ(c.XScale()->Offset(), margin);
    EXPECT_EQ(a->SpacePos(), margin - sumA);
    EXPECT_EQ(b->SpacePos(), margin - sumB);
    const int xStart = InChart(c, c.XScale()->Control()).left() + c.XScale()->Offset();
    EXPECT_EQ(InChart(c, a->Client()).left(), xStart);
    EXPECT_EQ(InChart(c, b->Client()).left(), xStart);
    // Strips stand side by side after the indent, as wide as their scales ask.
    EXPECT_EQ(a->Scales().Items(0)->Control()->x(), a->SpacePos());
    EXPECT_EQ(a->Scales().Items(1)->Control()->x(), a->SpacePos() + a->Scales().Items(0)->Control()->width());
    // The X scale spans the plot areas: its last value lands where the strip keeps room for half its label.
    EXPECT_GT(c.XScale()->BackOffset(), 1);
    EXPECT_EQ(c.XScale()->Prj(c.XScale()->Max()), a->Client()->width() - 1 - c.XScale()->BackOffset());
}

TEST(TGraphion, VerticalOrientationPutsFieldsSideBySide) {
    TGraphion c;
    c.resize(600, 400);
    c.show();
    int changes = 0;
    c.OnChangeOrientation = [&] { ++changes; };
    TChartField* a = c.Fields().Add();
    TChartField* b = c.Fields().Add();
    TScale* sa = a->Scales().Add();
    c.SetOrientation(coVertical);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(c.XScale()->GetAlign(), saLeft);
    EXPECT_EQ(sa->GetAlign(), saTop);
    const QRect ra = InChart(c, a->Control()), rb = InChart(c, b->Control());
    EXPECT_EQ(ra.top(), rb.top());
    EXPECT_EQ(ra.height(), rb.height());
    EXPECT_EQ(rb.left(), ra.right() + 2);
    EXPECT_EQ(InChart(c, c.XScale()->Control()).right() + 1, ra.left());
    // Plot areas begin at the same height, below the value strips.
    EXPECT_EQ(InChart(c, a->Client()).top(), InChart(c, b->Client()).top());
    EXPECT_EQ(InChart(c, a->Client()).top(), c.XScale()->Offset());
    c.SetOrientation(coHorizontal);
    EXPECT_EQ(sa->GetAlign(), saLeft);
    EXPECT_EQ(c.XScale()->GetAlign(), saBottom);
    EXPECT_FALSE(c.XScale()->Inverted());
}

TEST(TGraphion, DeletingAScaleOrAFieldFreesTheSeriesOnIt) {
    TChartWithData d;
    TChartField* f = d.Chart.Fields().Add();
    f->Scales().Add();
    f->Scales().Add();
    TRLineSeries* onFirst = d.AddSeries(0, 0);
    TRLineSeries* onSecond = d.AddSeries(0, 1);
    TRLineSeries* noScale = d.AddSeries(0, -1);
    EXPECT_EQ(noScale->ScaleID(), -1);
    QPointer<TSeries> gone = onFirst, moved = onSecond, kept = noScale;
    f->Scales().Delete(0);
    EXPECT_TRUE(gone.isNull());
    ASSERT_FALSE(moved.isNull());
    EXPECT_EQ(moved->ScaleIndex(), 0);  // the index follows the scale
    EXPECT_FALSE(kept.isNull());
    std::vector<TSeries*> onScale;
    d.Chart.GetScaleSeries(f->Scales().Items(0), onScale);
    EXPECT_EQ(onScale, std::vector<TSeries*>{moved.data()});
    d.Chart.Fields().Delete(0);
    EXPECT_TRUE(moved.isNull());
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(d.Chart.GetSeriesCount(), 0);
}
}  // namespace
