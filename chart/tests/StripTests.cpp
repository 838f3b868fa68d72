#include "ChartTestSupport.h"

#include "Formatting.h"
#include "Menus.h"

#include <QContextMenuEvent>
#include <cmath>

#include <QAction>
#include <gtest/gtest.h>

namespace {
struct TStripChart {
    TGraphion Chart;
    TChartField* Field;
    TScale* Value;
    TStripChart() {
        Chart.resize(600, 400);
        Chart.show();
        Field = Chart.Fields().Add();
        Value = Field->Scales().Add();
    }
    TScaleControl* X() { return Chart.XScale()->Control(); }
    // A point in the given third of a strip, counted from its start.
    static QPoint InThird(TScaleControl* c, int third) {
        const TScale& s = *c->ParentScale();
        const bool v = c->Vertical();
        const int len = v ? c->height() : c->width();
        const int usable = len - s.Offset() - s.BackOffset();
        const int along = s.Offset() + usable * (2 * third + 1) / 6;
        return v ? QPoint(c->width() / 2, along) : QPoint(along, c->height() / 2);
    }
};

TEST(TScaleControl, WheelZoomsAtTheEndUnderThePointerAndSlidesInTheMiddle) {
    struct Case { int third, delta; double mn, mx; };
    for (Case c : {Case{1, -120, 5, 105}, Case{0, -120, 5, 100}, Case{2, -120, 0, 105}, Case{1, 120, -5, 95},
                   Case{0, 120, -5, 100}, Case{2, 120, 0, 95}}) {
        TStripChart d;
        Wheel(d.X(), TStripChart::InThird(d.X(), c.third), c.delta);
        EXPECT_DOUBLE_EQ(d.Chart.XScale()->Min(), c.mn) << c.third << " " << c.delta;
        EXPECT_DOUBLE_EQ(d.Chart.XScale()->Max(), c.mx) << c.third << " " << c.delta;
    }
    // A vertical strip that is not inverted grows upwards: the directions turn round.
    TStripChart v;
    TScaleControl* vc = v.Value->Control();
    Wheel(vc, TStripChart::InThird(vc, 1), -120);
    EXPECT_DOUBLE_EQ(v.Value->Min(), -5);
    EXPECT_DOUBLE_EQ(v.Value->Max(), 95);
    Wheel(vc, TStripChart::InThird(vc, 0), -120);  // the top third is the Max end
    EXPECT_DOUBLE_EQ(v.Value->Min(), -5);
    EXPECT_DOUBLE_EQ(v.Value->Max(), 90);
    // Alt slides the window wherever the pointer is.
    TStripChart a;
    Wheel(a.X(), TStripChart::InThird(a.X(), 0), -120, Qt::AltModifier);
    EXPECT_DOUBLE_EQ(a.Chart.XScale()->Min(), 5);
    EXPECT_DOUBLE_EQ(a.Chart.XScale()->Max(), 105);
}

TEST(TScaleControl, DragsMoveOrStretchTheRange) {
    struct Case { int pixels; double mn, mx; };
    for (Case c : {Case{40, 10, 110}, Case{2, 0.5, 100.5}, Case{-8, -2, 98}}) {
        TStripChart d;
        const QPoint from = TStripChart::InThird(d.X(), 1);
        Drag(d.X(), from, from - QPoint(c.pixels, 0));
        EXPECT_DOUBLE_EQ(d.Chart.XScale()->Min(), c.mn) << c.pixels;
        EXPECT_DOUBLE_EQ(d.Chart.XScale()->Max(), c.mx) << c.pixels;
    }
    // Dragging the Max end towards the start stretches only Max; with Shift it lands on a step.
    TStripChart e;
    const QPoint maxEnd = TStripChart::InThird(e.X(), 2);
    Drag(e.X(), maxEnd, maxEnd - QPoint(14, 0));
    EXPECT_DOUBLE_EQ(e.Chart.XScale()->Min(), 0);
    EXPECT_DOUBLE_EQ(e.Chart.XScale()->Max(), 103.5);
    TStripChart r;
    Drag(r.X(), maxEnd, maxEnd - QPoint(14, 0), Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(r.Chart.XScale()->Max(), 100);
    Drag(r.X(), maxEnd, maxEnd - QPoint(30, 0), Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(r.Chart.XScale()->Max(), 110);
}

TEST(TScaleControl, DoubleClickRestoresTheDefaultRangeOrRunsTheDefaultCommand) {
    TStripChart d;
    TScale& x = *d.Chart.XScale();
    x.SetDefaultMin(20);
    x.SetDefaultMax(40);
    SendMouse(d.X(), QEvent::MouseButtonDblClick, TStripChart::InThird(d.X(), 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(x.Min(), 20);
    EXPECT_EQ(x.Max(), 40);
    TPopupMenu menu;
    QAction* fit = menu.Menu()->addAction("fit");
    int ran = 0;
    QObject::connect(fit, &QAction::triggered, [&] { ++ran; });
    menu.Menu()->setDefaultAction(fit);
    x.SetPopupMenu(&menu);
    x.SetMinMax(0, 100);
    SendMouse(d.X(), QEvent::MouseButtonDblClick, TStripChart::InThird(d.X(), 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(menu.PopupComponent(), d.X());
    EXPECT_EQ(x.Max(), 100);
}

TEST(TScaleControl, CheckBoxClickTogglesAndStartsNoDrag) {
    TStripChart d;
    d.Chart.SetShowCheckboxes(true);
    TScaleControl* c = d.Value->Control();
    ASSERT_TRUE(c->ShowCheckbox());
    EXPECT_FALSE(d.X()->ShowCheckbox());  // only value strips carry one
    const QPoint box = c->GetCheckboxRect().center();
    Drag(c, box, box + QPoint(0, -40));
    EXPECT_TRUE(d.Value->Checked());
    EXPECT_EQ(d.Value->Min(), 0);
    EXPECT_EQ(d.Value->Max(), 100);
    Click(c, box);
    EXPECT_FALSE(d.Value->Checked());
}

TEST(TScaleControl, PaintsMarksAndTheDisplayValueMarker) {
    TStripChart d;
    TScale& x = *d.Chart.XScale();
    x.SetPenColor(Qt::red);
    auto shot = [&] { return d.X()->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    QImage img = shot();
    // Main ticks run from the top edge to the base line at row 5.
    const int p50 = x.Prj(50) + x.Offset();
    for (int y = 0; y <= 5; ++y) EXPECT_EQ(img.pixelColor(p50, y), QColor(Qt::red)) << y;
    x.SetShowDisplayValues(true);
    x.SetDisplayValue(50);
    img = shot();
    const int h = d.X()->height();
    EXPECT_EQ(img.pixelColor(p50, h - 2), QColor(Qt::red));
    x.SetDisplayValue(150);  // outside the range: no marker
    img = shot();
    EXPECT_NE(img.pixelColor(x.Prj(99) + x.Offset(), h - 2), QColor(Qt::red));
    EXPECT_NE(img.pixelColor(p50, h - 2), QColor(Qt::red));
}

TEST(TScaleControl, WheelStepsFollowTheDeltaAndASidewaysDeltaSlides) {
    // Half a notch (a fine wheel or a touchpad) moves half as far as a notch.
    TStripChart d;
    Wheel(d.X(), TStripChart::InThird(d.X(), 1), -60);
    EXPECT_DOUBLE_EQ(d.Chart.XScale()->Min(), 2.5);
    EXPECT_DOUBLE_EQ(d.Chart.XScale()->Max(), 102.5);
    // Eight eighths of a notch make one.
    TStripChart e;
    for (int i = 0; i < 8; ++i) Wheel(e.X(), TStripChart::InThird(e.X(), 1), -15);
    EXPECT_NEAR(e.Chart.XScale()->Min(), 5, 1e-9);
    EXPECT_NEAR(e.Chart.XScale()->Max(), 105, 1e-9);
    // A sideways delta over the Min third slides the window instead of zooming it,
    // on the strip and over the plot area.
    TStripChart h;
    Wheel(h.X(), TStripChart::InThird(h.X(), 0), QPoint(-120, 0));
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Min(), 5);
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Max(), 105);
    Wheel(h.Field->Client(), QPoint(50, 50), QPoint(240, 0));
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Min(), -5);
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Max(), 95);
    Wheel(h.Field->Client(), QPoint(50, 50), QPoint(0, -60));
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Min(), -2.5);
    EXPECT_DOUBLE_EQ(h.Chart.XScale()->Max(), 97.5);
}

TEST(TScaleControl, WheelOnALogarithmicStripWorksInDecades) {
    struct Case { int third, delta; double lo, hi; };
    // Four decades shown: a notch moves by a fifth of a decade (a vertical strip grows upwards;
    // its top third is the Max end).
    for (Case c : {Case{1, 120, 0.2, 4.2}, Case{1, -120, -0.2, 3.8}, Case{0, -120, 0.0, 3.8}, Case{2, -120, -0.2, 4.0}}) {
        TStripChart d;
        TScale& s = *d.Value;
        s.SetLimits(1e-6, 1e9, false);
        s.SetStepType(sttLogarithmic);
        s.SetMinMax(1, 10000);
        TScaleControl* vc = s.Control();
        Wheel(vc, TStripChart::InThird(vc, c.third), c.delta);
        EXPECT_NEAR(std::log10(s.Min()), c.lo, 1e-9) << c.third << " " << c.delta;
        EXPECT_NEAR(std::log10(s.Max()), c.hi, 1e-9) << c.third << " " << c.delta;
    }
}

TEST(TScaleControl, DoubleClickOnTheCheckBoxIsTwoPressesOnTheBox) {
    TStripChart d;
    d.Chart.SetShowCheckboxes(true);
    TScaleControl* c = d.Value->Control();
    d.Value->SetDefaultMin(20);
    d.Value->SetDefaultMax(40);
    const QPoint box = c->GetCheckboxRect().center();
    SendMouse(c, QEvent::MouseButtonPress, box, Qt::LeftButton, Qt::LeftButton);
    SendMouse(c, QEvent::MouseButtonRelease, box, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(d.Value->Checked());
    SendMouse(c, QEvent::MouseButtonDblClick, box, Qt::LeftButton, Qt::LeftButton);
    SendMouse(c, QEvent::MouseButtonRelease, box, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(d.Value->Checked());
    EXPECT_EQ(d.Value->Min(), 0);  // the range stays
    EXPECT_EQ(d.Value->Max(), 100);
}

TEST(TScaleControl, RightClickOpensThePopupMenuForTheStripOrThePlotArea) {
    TStripChart d;
    TPopupMenu strips, chart;
    strips.Menu()->addAction("Найти минимум и максимум");
    chart.Menu()->addAction("Свойства");
    std::vector<QObject*> shown;
    strips.ShowHandler = chart.ShowHandler = [&](TPopupMenu* m) { shown.push_back(m); };
    d.Value->SetPopupMenu(&strips);
    d.Chart.SetPopupMenu(&chart);
    TScaleControl* c = d.Value->Control();
    const QPoint at(c->width() / 2, c->height() / 2);
    QContextMenuEvent onStrip(QContextMenuEvent::Mouse, at, c->mapToGlobal(at));
    QCoreApplication::sendEvent(c, &onStrip);
    ASSERT_EQ(shown, std::vector<QObject*>{&strips});
    EXPECT_EQ(strips.PopupComponent(), c);
    EXPECT_EQ(strips.PopupPoint(), c->mapToGlobal(at));

    QWidget* area = d.Field->Client();
    EXPECT_EQ(d.Field->Client()->PopupMenu(), &chart);
    QContextMenuEvent onArea(QContextMenuEvent::Mouse, QPoint(30, 40), area->mapToGlobal(QPoint(30, 40)));
    QCoreApplication::sendEvent(area, &onArea);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], &chart);
    EXPECT_EQ(chart.PopupComponent(), area);
    EXPECT_EQ(chart.PopupPoint(), area->mapToGlobal(QPoint(30, 40)));

    // Without a menu of its own a strip shows none.
    QContextMenuEvent onX(QContextMenuEvent::Mouse, QPoint(5, 5), d.X()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(d.X(), &onX);
    EXPECT_EQ(shown.size(), 2u);
}

TEST(TScaleControl, DisplayValueIsShownInTheScaleFormatInASmallerFont) {
    TStripChart d;
    TScale& x = *d.Chart.XScale();
    x.SetAsDateTime(true);
    const double t0 = EncodeDate(2024, 3, 17) + EncodeTime(10, 0, 0, 0);
    x.SetLimits(t0 - 10, t0 + 10, false);
    x.SetMinMax(t0, t0 + 2.0 / 24);
    x.SetShowDisplayValues(true);
    x.SetDisplayValue(t0 + 0.5 / 24);
    EXPECT_EQ(d.X()->DisplayValueText(), "10:30");
    const QFont f = d.X()->DisplayValueFont();
    EXPECT_LT(f.pixelSize(), x.Font().pixelSize());
    EXPECT_GT(f.pixelSize(), 0);
    d.Value->SetDisplayValue(12.345678);
    d.Value->SetDisplayValuePrecision(2);
    EXPECT_EQ(d.Value->Control()->DisplayValueText(), "12.35");
}

TEST(TScaleControl, StripsTakeTheColourOfTheirChartAndField) {
    TGraphion c;
    c.resize(500, 300);
    c.show();
    c.SetColor(RGBToColor(0xC0, 0xC0, 0xC0));
    TChartField* f = c.Fields().Add();
    TScale* s = f->Scales().Add();
    s->SetCaption("");
    auto corner = [](QWidget* w) { return w->grab().toImage().pixelColor(1, 1); };
    EXPECT_EQ(corner(s->Control()), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(corner(c.XScale()->Control()), QColor(0xC0, 0xC0, 0xC0));
    f->SetColor(QColor(0xFF, 0xF8, 0xE0));
    EXPECT_EQ(corner(s->Control()), QColor(0xFF, 0xF8, 0xE0));
}

TEST(TScaleControl, CtrlDragReordersTheScalesOfAField) {
    TStripChart d;
    TScale* second = d.Field->Scales().Add();
    second->SetCaption("second");
    d.Value->SetCaption("first");
    TScaleControl* a = d.Value->Control();
    TScaleControl* b = second->Control();
    const QPoint onB = a->mapFrom(d.Field->Control(), b->mapTo(d.Field->Control(), QPoint(b->width() / 2, b->height() / 2)));
    SendMouse(a, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(a, QEvent::MouseButtonRelease, onB, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    EXPECT_EQ(d.Field->Scales().Items(0), second);
    EXPECT_EQ(d.Field->Scales().Items(1), d.Value);
}
}  // namespace

namespace {
// The pointer over a strip shows which end a drag there moves: three cursors a
// strip, told apart, the same again over the same third.
TEST(TScaleControl, TheCursorTellsWhichEndADragMoves) {
    TStripChart d;
    for (TScaleControl* strip : {d.X(), d.Value->Control()}) {
        SCOPED_TRACE(strip->Vertical() ? "vertical" : "horizontal");
        std::vector<QImage> seen;
        for (int third : {0, 1, 2, 0}) {
            SendMouse(strip, QEvent::MouseMove, TStripChart::InThird(strip, third), Qt::NoButton, Qt::NoButton);
            ASSERT_EQ(strip->cursor().shape(), Qt::BitmapCursor);
            seen.push_back(strip->cursor().pixmap().toImage());
        }
        EXPECT_NE(seen[0], seen[1]);
        EXPECT_NE(seen[1], seen[2]);
        EXPECT_NE(seen[0], seen[2]);
        EXPECT_EQ(seen[3], seen[0]);
        // The bar of the end that moves stands at that end: the start's third draws
        // in the start half of the picture what the far end's third draws in its far half.
        auto inkAt = [&](const QImage& img, bool startHalf) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const int along = strip->Vertical() ? y : x, len = strip->Vertical() ? img.height() : img.width();
                    if ((along < len / 2) == startHalf) n += qAlpha(img.pixel(x, y)) > 0;
                }
            return n;
        };
        EXPECT_GT(inkAt(seen[0], true), inkAt(seen[0], false));
        EXPECT_GT(inkAt(seen[2], false), inkAt(seen[2], true));
    }
}
}  // namespace
