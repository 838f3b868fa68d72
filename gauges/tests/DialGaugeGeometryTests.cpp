#include "DialTestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace {
constexpr double Rad = std::numbers::pi / 180;

// The opaque pixel of the colour farthest from the point.
QPointF FarthestPixel(const QImage& image, QPointF from, TColor color) {
    QPointF best = from;
    double bestDistance = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!Near(QColor::fromRgba(image.pixel(x, y)), color, 40)) continue;
            const double d = std::hypot(x + 0.5 - from.x(), y + 0.5 - from.y());
            if (d > bestDistance) {
                bestDistance = d;
                best = QPointF(x + 0.5, y + 0.5);
            }
        }
    return best;
}

double NormalizedDegrees(double a) {
    a = std::fmod(a, 360);
    return a < 0 ? a + 360 : a;
}

// A point of the background layer at a polar position around the layer's centre.
QPointF LayerPolar(const TSmoothDial& d, double radius, double degrees) {
    const QPointF c(d.Width() / 2.0, d.LayoutHeight() / 2.0);
    return LayerToControl(d, c + QPointF(radius * std::cos(degrees * Rad), radius * std::sin(degrees * Rad)));
}
}  // namespace

TEST(DialGaugeGeometry, NeedleTipLiesAtTheAngleOfTheValue) {
    const double values[] = {0, 12.5, 37, 50, 81, 100};
    for (double v : values) {
        SCOPED_TRACE(v);
        auto d = MakeDial();
        ClearDial(*d);
        d->Needle()->SetColor(clRed);
        d->SetValue(v);
        const QImage image = d->Render();
        const QPointF centre(125, 125);
        const QPointF tip = FarthestPixel(image, centre, clRed);
        const QPointF expected = d->NeedleTip(v);
        EXPECT_NEAR(std::hypot(tip.x() - expected.x(), tip.y() - expected.y()), 0, 3.5);
        const double angle = std::atan2(tip.y() - centre.y(), tip.x() - centre.x()) / Rad;
        EXPECT_NEAR(NormalizedDegrees(angle - d->GetAngle(v) + 180) - 180, 0, 1.5);
    }
}

TEST(DialGaugeGeometry, ExtraNeedlesAndTheMainNeedleOnTop) {
    auto d = MakeDial();
    ClearDial(*d);
    d->Needle()->SetColor(clRed);
    TSmoothDialNeedleItem* extra = d->ExtraNeedles()->Add();
    extra->SetColor(clLime);
    extra->SetShineColor(clNone);
    extra->SetValue(75);
    d->SetValue(30);
    const QImage image = d->Render();
    EXPECT_TRUE(Near(PixelAt(image, d->NeedleTip(75) * 0.7 + QPointF(125, 125) * 0.3), clLime, 40));
    extra->SetValue(30);
    const QImage same = d->Render();
    const QPointF onBoth = QPointF(125, 125) + (d->NeedleTip(30) - QPointF(125, 125)) * 0.6;
    EXPECT_TRUE(Near(PixelAt(same, onBoth), clRed, 40)) << "the main needle lies over the extra ones";
}

TEST(DialGaugeGeometry, SectionsPieAndBorderRing) {
    struct TCase {
        const char* What;
        TSectionType Type;
        int InnerMargin;
        double RadiusOfTickBand;  // probe radius as a fraction of the tick radius
        bool SectionColour;
    } cases[] = {
        {"pie reaches the centre", stCustomMargin, 0, 0.3, true},
        {"pie under the ticks", stCustomMargin, 0, 0.9, true},
        {"ring with a custom inner margin leaves the middle", stCustomMargin, 60, 0.3, false},
        {"ring with a custom inner margin covers its band", stCustomMargin, 60, 0.75, true},
        {"border ring covers the division band", stBorder, 0, 0.95, true},
        {"border ring leaves the middle whatever the margins", stBorder, 0, 0.5, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        auto d = MakeDial();
        ClearDial(*d);
        d->InnerCircle()->SetColor(clWhite);
        d->InnerCircle()->SetOpacity(255);
        TSmoothDialSection* s = d->Sections()->Add();
        s->SetStartValue(20);
        s->SetEndValue(60);
        s->SetColor(clBlue);
        s->SetOpacity(255);
        s->SetOuterMargin(10);
        s->SetInnerMargin(c.InnerMargin);
        s->SetSectionType(c.Type);
        const QImage image = d->Render();
        const double radius = d->TickRadius() * c.RadiusOfTickBand;
        const QPointF inside = LayerPolar(*d, radius, d->GetAngle(40));
        EXPECT_TRUE(Near(PixelAt(image, inside), c.SectionColour ? clBlue : clWhite)) << PixelAt(image, inside).name().toStdString();
        const QPointF outside = LayerPolar(*d, radius, d->GetAngle(80));
        EXPECT_TRUE(Near(PixelAt(image, outside), clWhite)) << "the face beside the section";
    }
}

TEST(DialGaugeGeometry, ArcAndThresholdBand) {
    auto d = MakeDial();
    ClearDial(*d);
    d->Arc()->SetColor(clBlue);
    d->Arc()->SetOpacity(255);
    d->Arc()->Threshold()->SetColor(clRed);
    d->Arc()->Threshold()->SetOpacity(255);
    d->Arc()->Threshold()->SetCenter(50);
    d->Arc()->Threshold()->SetSpan(20);
    const QImage image = d->Render();
    const QRectF frg = d->ArcRect();
    const double radius = frg.width() / 2;
    auto at = [&](double degrees) {
        return LayerToControl(*d, frg.center() + QPointF(radius * std::cos(degrees * Rad), radius * std::sin(degrees * Rad)));
    };
    EXPECT_TRUE(Near(PixelAt(image, at(d->GetAngle(50))), clRed));
    EXPECT_TRUE(Near(PixelAt(image, at(d->GetAngle(20))), clBlue));
    EXPECT_TRUE(Near(PixelAt(image, at(d->GetAngle(90))), clBlue));
    EXPECT_EQ(PixelAt(image, at(90)).alpha(), 0) << "no arc in the gap";

    // By value: the arc runs only between the threshold's start and end values.
    d->Arc()->Threshold()->SetColor(clNone);
    d->Arc()->Threshold()->SetThresholdKind(tkValue);
    d->Arc()->Threshold()->SetStartValue(20);
    d->Arc()->Threshold()->SetEndValue(40);
    const QImage byValue = d->Render();
    EXPECT_TRUE(Near(PixelAt(byValue, at(d->GetAngle(30))), clBlue));
    EXPECT_EQ(PixelAt(byValue, at(d->GetAngle(80))).alpha(), 0);
}

TEST(DialGaugeGeometry, SevenSegmentReadout) {
    auto d = MakeDial();
    // Three times the default size, so that a segment is several pixels thick.
    d->SetBounds(0, 0, 750, 750);
    ClearDial(*d);
    d->Digit()->SetVisible(true);
    d->Digit()->SetBackGroundColor(clWhite);
    d->Digit()->SetBackGroundOpacity(255);
    d->Digit()->SetColor(clRed);
    d->InnerCircle()->SetColor(clBlue);
    d->InnerCircle()->SetOpacity(255);
    d->SetMinValue(-100);
    d->SetValue(-12.5);
    ASSERT_EQ(d->ValueFormat(), "000.00");
    const QImage image = d->Render();

    const double W = 750, H = 750;
    const double y = H / 1.21;
    const int h = int(std::lround(H / 12));  // 62.5 rounds to even: 62
    const double c = h / 13.0 * 10;
    const double cell = W / 250 * 15, gap = d->ImageRect().width() / 250 * 2;
    const double start = W / 2 - W / 5 + (W / 2.5 - (6 * cell + gap)) / 2;
    // A point inside each segment on the 12 x 15 grid: top, upper right,
    // lower right, bottom, lower left, upper left, middle.
    const QPointF inside[7] = {{6.4, 1.5}, {9.17, 4.2}, {8.42, 9.9}, {4.8, 12.55}, {1.92, 9.9}, {2.75, 4.2}, {5.6, 7}};
    struct TCell {
        char Symbol;
        double Left;
        const char* Lit;  // per segment in the order above
        bool Dot;
    } cells[] = {
        {'-', start, "0000001", false},
        {'0', start + cell, "1111110", false},
        {'1', start + 2 * cell, "0110000", false},
        {'2', start + 3 * cell, "1101101", true},
        {'5', start + 4 * cell + gap, "1011011", false},
        {'0', start + 5 * cell + gap, "1111110", false},
    };
    for (const TCell& cl : cells) {
        for (int s = 0; s < 7; ++s) {
            SCOPED_TRACE(testing::Message() << "cell " << cl.Symbol << " segment " << s);
            const QPointF p = LayerToControl(*d, {cl.Left + c * inside[s].x() / 12, y + h * inside[s].y() / 15});
            const QColor px = PixelAt(image, p);
            if (cl.Lit[s] == '1') {
                EXPECT_TRUE(Near(px, clRed, 30)) << px.name().toStdString();
            } else {
                // The unlit pattern: the face colour at alpha 40 over the white background.
                EXPECT_TRUE(px.blue() == 255 && px.red() > 190 && px.red() < 240) << px.name().toStdString();
            }
        }
        const QPointF dot = LayerToControl(*d, {cl.Left + c * 10 / 12 + c / 14, y + h * 12.0 / 15 + c / 14});
        EXPECT_EQ(Near(PixelAt(image, dot), clRed, 30), cl.Dot) << "decimal point of cell " << cl.Symbol;
    }
}

TEST(DialGaugeGeometry, ReadoutAndCaptionVisibility) {
    struct TCase {
        const char* What;
        bool Visible;
        TColor Background;
        bool Number, Caption;
    } cases[] = {
        {"shown", true, clWhite, true, true},
        {"read-out off hides both", false, clWhite, false, false},
        {"no background: caption only", true, clNone, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        auto d = MakeDial();
        ClearDial(*d);
        d->Digit()->SetVisible(c.Visible);
        d->Digit()->SetBackGroundColor(c.Background);
        d->Digit()->SetBackGroundOpacity(255);
        d->Digit()->SetColor(clRed);
        d->Font()->SetColor(clLime);
        d->Font()->SetSize(20);
        d->SetDialText("WWW");
        d->SetValue(88);
        const QImage image = d->Render();
        int red = 0, lime = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor px = QColor::fromRgba(image.pixel(x, y));
                red += Near(px, clRed, 30);
                lime += Near(px, clLime, 30);
            }
        EXPECT_EQ(red > 50, c.Number) << red;
        EXPECT_EQ(lime > 20, c.Caption) << lime;
    }
}

TEST(DialGaugeGeometry, FocusRingOnlyWithFocusAndTabStop) {
    auto d = MakeDial();
    ClearDial(*d);
    d->show();
    d->setFocus();
    QApplication::processEvents();
    if (!d->hasFocus()) GTEST_SKIP() << "the offscreen window did not take the focus";
    auto opaque = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 100;
        return n;
    };
    EXPECT_GT(opaque(d->Render()), 100) << "the dotted ring around the dial";
    d->SetTabStop(false);
    EXPECT_EQ(opaque(d->Render()), 0);
}

TEST(DialGaugeGeometry, HalfDialShowsTheUpperHalf) {
    auto d = MakeDial();
    d->SetComponentStyle(tsOffice2013White);
    d->SetBounds(0, 0, 300, 150);
    d->SetCircleStartValue(180);
    ASSERT_EQ(d->Width(), 300);
    ASSERT_EQ(d->LayoutHeight(), 300);
    TSmoothDialSection* red = d->Sections()->Add();
    red->SetStartValue(80);
    red->SetEndValue(100);
    red->SetColor(clRed);
    red->SetSectionType(stBorder);
    d->ExtraNeedles()->Add()->SetValue(20);
    d->SetValue(50);
    const QImage image = d->Render();
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!artifacts.isEmpty()) d->SaveToImage(artifacts + "/DialHalfCircle.png", 300, 150);
    // The needle at mid-scale points straight up.
    EXPECT_NEAR(d->GetAngle(50), 270, 1e-9);
    const QPointF tip = d->NeedleTip(50);
    EXPECT_NEAR(tip.x(), 150, 1e-9);
    EXPECT_LT(tip.y(), 40);
    // The face fills the upper half disc; the corners beside it stay clear.
    const QPointF face = LayerPolar(*d, 40, 240);
    EXPECT_GE(qAlpha(image.pixel(int(face.x()), int(face.y()))), d->InnerCircle()->Opacity());
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(image.pixel(297, 2)), 0);
}

TEST(DialGaugeGeometry, AValueChangeDrawsLikeAFreshDial) {
    // The background layer is kept across value changes and rebuilt after
    // any other change: either way the frame equals a fresh dial's.
    auto configure = [](TSmoothDial& d) {
        d.SetComponentStyle(tsOffice2010Blue);
        d.SetDialText("RPM");
        d.ExtraNeedles()->Add()->SetValue(35);
    };
    auto kept = MakeDial();
    configure(*kept);
    kept->SetValue(88);
    kept->Render();
    kept->SetValue(11.25);
    auto fresh = MakeDial();
    configure(*fresh);
    fresh->SetValue(11.25);
    EXPECT_TRUE(kept->Render() == fresh->Render()) << "after a value change";
    kept->SetDivisionCount(5);
    fresh->SetDivisionCount(5);
    EXPECT_TRUE(kept->Render() == fresh->Render()) << "after a setting change";
    kept->Needle()->SetColor(clRed);
    fresh->Needle()->SetColor(clRed);
    EXPECT_TRUE(kept->Render() == fresh->Render()) << "after a sub-object change";
}
