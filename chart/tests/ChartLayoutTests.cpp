#include "ChartTestSupport.h"

#include "Formatting.h"
#include "TestSupport.h"

#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>
#include <stdexcept>

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
TEST(TGraphion, NoLabelIsClippedAfterTheWindowChangesItsLabelFormat) {
    // A depth-style chart with a time X strip down the left: two hours show "hh:nn", three days "dd-mm-yy".
    TGraphion c;
    c.resize(700, 500);
    c.show();
    c.SetOrientation(coVertical);
    c.Fields().Add()->Scales().Add();
    TScale& x = *c.XScale();
    x.SetAsDateTime(true);
    const double t0 = EncodeDate(2024, 3, 17);
    x.SetLimits(t0 - 30, t0 + 30, false);
    x.SetMinMax(t0 + 0.25, t0 + 0.25 + 2.0 / 24);
    const int narrow = x.Control()->width();
    x.SetMinMax(t0, t0 + 3);
    EXPECT_EQ(x.FormatString(), "dd-mm-yy");
    const QFontMetrics fm(x.Font());
    EXPECT_GT(x.Control()->width(), narrow);
    EXPECT_GE(x.Control()->width(), fm.horizontalAdvance("17-03-24") + 7);
    const QImage img = c.grab().toImage();
    SaveArtifact(img, "datetime-format-change");
    // The plot areas moved over to make room.
    EXPECT_EQ(c.Fields().Items(0)->Control()->x(), x.Control()->width());

    // The horizontal X strip keeps room for half of its last label at its far end.
    TGraphion h;
    h.resize(600, 300);
    h.show();
    h.Fields().Add()->Scales().Add();
    h.XScale()->SetAsDateTime(true);
    h.XScale()->SetLimits(t0 - 30, t0 + 30, false);
    h.XScale()->SetMinMax(t0 + 10.0 / 24, t0 + 12.0 / 24);
    const auto labels = DrawnLabels(*h.XScale());
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.back().first, "12:00");
    EXPECT_LT(labels.back().second.second, h.XScale()->Control()->width());
    EXPECT_GE(labels.front().second.first, 0);
    SaveArtifact(h.grab().toImage(), "x-strip-last-label");
}

TEST(TGraphion, EndLabelsOfNeighbouringFieldsStayApart) {
    TGraphion c;
    c.resize(600, 400);
    c.show();
    c.SetOrientation(coVertical);
    TScale* a = c.Fields().Add()->Scales().Add();
    TScale* b = c.Fields().Add()->Scales().Add();
    a->SetLimits(0, 10000, false);
    a->SetMinMax(0, 2000);
    b->SetLimits(0, 10000, false);
    b->SetMinMax(400, 1000);
    const auto la = DrawnLabels(*a), lb = DrawnLabels(*b);
    ASSERT_FALSE(la.empty());
    ASSERT_FALSE(lb.empty());
    EXPECT_EQ(la.back().first, "2000");
    EXPECT_EQ(lb.front().first, "400");
    const int endA = a->Control()->mapTo(&c, QPoint(la.back().second.second, 0)).x();
    const int startB = b->Control()->mapTo(&c, QPoint(lb.front().second.first, 0)).x();
    EXPECT_GE(startB - endA, 4);
    SaveArtifact(c.grab().toImage(), "neighbouring-end-labels");
}

TEST(TScaleControl, DisplayValueBoxLeavesTheCaptionAndTheCheckBoxVisible) {
    TGraphion c;
    c.resize(500, 400);
    c.show();
    c.SetShowCheckboxes(true);
    TScale* s = c.Fields().Add()->Scales().Add();
    s->SetCaption("WOB");
    s->SetShowDisplayValues(true);
    TScaleControl* strip = s->Control();
    const QImage plain = strip->grab().toImage();
    const QFontMetrics fm(s->Font());
    const int captionWidth = fm.horizontalAdvance(QLatin1Char('W')) + 1;
    const QRect box = strip->GetCheckboxRect();
    // Values whose marker falls on the caption block and on the check box.
    const double onBox = s->PrjBack(box.top() + 1);
    ASSERT_GE(onBox, s->Min());
    for (double v : {50.0, onBox, 1.0}) {
        s->SetDisplayValue(v);
        const QImage shown = strip->grab().toImage();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < captionWidth; ++x) ASSERT_EQ(shown.pixel(x, y), plain.pixel(x, y)) << v << " " << x << "," << y;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) ASSERT_EQ(shown.pixel(x, y), plain.pixel(x, y)) << v;
        SaveArtifact(shown, QStringLiteral("display-value-%1").arg(v));
        // and the value itself is there
        EXPECT_TRUE(shown != plain) << v;
    }
}

TEST(TGraphion, ALayoutThatFailsLeavesTheChartUnlockedAndPainting) {
    TChartWithData d;
    TGraphion& c = d.Chart;
    TChartField* f = c.Fields().Add();
    f->Scales().Add()->SetMinMax(0, 100);
    for (int x = 0; x <= 100; x += 10) d.AddPoint(x, 50);
    c.XScale()->SetMinMax(0, 100);
    d.AddSeries(0, 0, Qt::red);
    // Something that the layout calls fails half-way (here a handler of the field panel's resize).
    struct TFailing : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Resize) throw std::runtime_error("resize failed");
            return false;
        }
    } failing;
    f->Control()->installEventFilter(&failing);
    c.resize(640, 480);
    f->Control()->removeEventFilter(&failing);
    EXPECT_FALSE(c.XScale()->Control()->Locked());
    EXPECT_FALSE(f->Client()->Locked());
    // The next layout runs, and the chart paints.
    c.resize(600, 400);
    EXPECT_EQ(f->Control()->height(), 400 - c.XScale()->Control()->height());
    const QImage img = PlotImage(f);
    EXPECT_EQ(img.pixelColor(c.XScale()->Prj(50), f->Scales().Items(0)->Prj(50)), QColor(Qt::red));
}

TEST(TGraphion, MovingTheXWindowRepaintsThePlotAreasAndNotTheValueStrips) {
    TGraphion c;
    c.resize(500, 300);
    c.show();
    TChartField* f = c.Fields().Add();
    TScale* s = f->Scales().Add();
    struct TPaints : QObject {
        int Count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++Count;
            return false;
        }
    } strip, area;
    ProcessEventsUntil([] { return false; }, 20);
    s->Control()->installEventFilter(&strip);
    f->Client()->installEventFilter(&area);
    c.XScale()->SetMinMax(10, 110);
    ProcessEventsUntil([&] { return area.Count > 0; }, 200);
    EXPECT_GT(area.Count, 0);
    EXPECT_EQ(strip.Count, 0);
}
}  // namespace
