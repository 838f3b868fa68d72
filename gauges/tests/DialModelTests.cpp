#include "DialTestSupport.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QApplication>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <numbers>

namespace {
// Collects the value events of a dial.
class TValueSink : public QObject {
    Q_OBJECT
public:
    QList<double> Values, DisplayValues;
    int Changes = 0;
    Q_INVOKABLE void ValueChanged(QObject*, double v) { Values << v; }
    Q_INVOKABLE void DisplayValueChanged(QObject*, double v) { DisplayValues << v; }
    Q_INVOKABLE void Change(QObject*) { ++Changes; }
};

void Listen(TSmoothDial& d, TValueSink& sink) {
    d.SetOnValueChanged({&sink, "ValueChanged"});
    d.SetOnDisplayValueChanged({&sink, "DisplayValueChanged"});
    d.SetOnChange({&sink, "Change"});
}
}  // namespace

TEST(DialModel, AnimationMovesAFifthOfTheRestPerTickAndLandsExactly) {
    TSmoothDial d;
    TValueSink sink;
    Listen(d, sink);
    d.SetValue(100);
    EXPECT_EQ(d.Value(), 0) << "only the target moves";
    EXPECT_EQ(d.TargetValue(), 100);
    EXPECT_TRUE(d.AnimationTimerActive());
    const double expected[] = {20, 36, 48.8, 59.04};
    for (double e : expected) {
        d.AnimationTick();
        EXPECT_NEAR(d.Value(), e, 1e-9);
        EXPECT_NEAR(d.DisplayValue(), e, 1e-9);
    }
    int ticks = 4;
    while (d.Animating() && ticks < 1000) {
        d.AnimationTick();
        ++ticks;
    }
    EXPECT_FALSE(d.Animating());
    EXPECT_FALSE(d.AnimationTimerActive()) << "the timer runs only while animating";
    EXPECT_EQ(d.Value(), 100.0);
    EXPECT_EQ(d.DisplayValue(), 100.0);
    EXPECT_EQ(sink.Values.first(), 20);
    EXPECT_EQ(sink.Values.last(), 100.0) << "the landing is reported";
    EXPECT_EQ(sink.DisplayValues.size(), sink.Values.size());
}

TEST(DialModel, AnimationFactorBelowOneCountsAsOne) {
    TSmoothDial d;
    d.SetAnimationFactor(0);
    EXPECT_EQ(d.AnimationFactor(), 0);
    d.SetValue(40);
    d.AnimationTick();
    EXPECT_EQ(d.Value(), 40);
    d.AnimationTick();
    EXPECT_FALSE(d.Animating());
}

TEST(DialModel, ValueWithoutAnimationJumpsAndClamps) {
    struct TCase {
        const char* What;
        bool Unlimited, UnlimitedDisplay;
        double Set, Needle, Display;
    } cases[] = {
        {"inside", false, false, 42, 42, 42},
        {"above the range", false, false, 150, 100, 100},
        {"below the range", false, false, -5, 0, 0},
        {"unlimited needle", true, false, 150, 150, 100},
        {"unlimited display", false, true, 150, 100, 150},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        auto d = MakeDial();
        TValueSink sink;
        Listen(*d, sink);
        d->SetUnlimitedValue(c.Unlimited);
        d->SetUnlimitedDisplayValue(c.UnlimitedDisplay);
        d->SetValue(c.Set);
        EXPECT_EQ(d->Value(), c.Needle);
        EXPECT_EQ(d->DisplayValue(), c.Display);
        EXPECT_EQ(sink.Values, QList<double>{c.Needle});
        EXPECT_EQ(sink.DisplayValues, QList<double>{c.Display});
        EXPECT_FALSE(d->Animating());
    }
}

TEST(DialModel, ValueJumpsWhileDesigningOrLoading) {
    TSmoothDial designing;
    designing.SetDesigning(true);
    designing.SetValue(70);
    EXPECT_EQ(designing.Value(), 70);
    TSmoothDial loading;
    loading.SetState(TComponentStateItem::csLoading, true);
    loading.SetValue(30);
    EXPECT_EQ(loading.Value(), 30);
    loading.SetState(TComponentStateItem::csLoading, false);
}

TEST(DialModel, UnusableValuesLeaveTheNeedleWhereItIs) {
    auto d = MakeDial();
    d->SetValue(40);
    d->SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(d->Value(), 40);
    d->SetLogarithmic(true);
    d->SetValue(100);
    EXPECT_NEAR(d->Value(), 100, 1e-9);
    EXPECT_NEAR(d->ShownValue(), 2, 1e-12);
    d->SetValue(0);
    d->SetValue(-3);
    EXPECT_NEAR(d->Value(), 100, 1e-9);
}

TEST(DialModel, LogarithmicScale) {
    auto d = MakeDial();
    d->SetLogarithmic(true);
    d->SetMaxValue(4);
    d->SetValue(1000);
    EXPECT_NEAR(d->ShownValue(), 3, 1e-12);
    EXPECT_NEAR(d->Value(), 1000, 1e-9);
    d->SetValue(1e9);
    EXPECT_NEAR(d->ShownValue(), 4, 1e-12) << "clamped to the maximum exponent";
    // Unlimited targets are logarithms too, not the raw value.
    d->SetUnlimitedValue(true);
    d->SetUnlimitedDisplayValue(true);
    d->SetValue(1e6);
    EXPECT_NEAR(d->ShownValue(), 6, 1e-12);
    EXPECT_NEAR(d->ShownDisplayValue(), 6, 1e-12);
    EXPECT_NEAR(d->Value(), 1e6, 1e-3);
    // The maximum is limited to the exponent of the largest double.
    d->SetMaxValue(1000);
    EXPECT_NEAR(d->MaximumValue(), std::log10(std::numeric_limits<double>::max()), 1e-9);
    // A base below 2 is stored as 2.
    d->SetLogarithmicBase(1);
    EXPECT_EQ(d->LogarithmicBase(), 2);
    d->SetLogarithmicBase(0);
    EXPECT_EQ(d->LogarithmicBase(), 2);
    d->SetValue(8);
    EXPECT_NEAR(d->ShownValue(), 3, 1e-12);
    d->SetMaxValue(5000);
    EXPECT_NEAR(d->MaximumValue(), std::log2(std::numeric_limits<double>::max()), 1e-9);
}

TEST(DialModel, RangeSetters) {
    struct TCase {
        const char* What;
        bool Animation;
        double Min, Max;               // applied in this order
        double ExpMin, ExpMax;
        double ExpShown, ExpTarget;   // after a value of 60
    } cases[] = {
        {"maximum below the needle pulls it down", false, 0, 50, 0, 50, 50, 50},
        {"maximum below the minimum is ignored", false, 0, -10, 0, 100, 60, 60},
        {"maximum equal to the minimum is ignored", false, 0, 0, 0, 100, 60, 60},
        {"minimum above the needle pushes it up", false, 70, 100, 70, 100, 70, 70},
        {"minimum above the maximum is ignored", false, 150, 100, 0, 100, 60, 60},
        {"with animation only the target moves", true, 0, 50, 0, 50, 60, 50},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSmoothDial d;
        d.SetAnimation(false);
        d.SetValue(60);
        d.SetAnimation(c.Animation);
        TValueSink sink;
        Listen(d, sink);
        d.SetMinValue(c.Min);
        d.SetMaxValue(c.Max);
        EXPECT_EQ(d.MinimumValue(), c.ExpMin);
        EXPECT_EQ(d.MaximumValue(), c.ExpMax);
        EXPECT_EQ(d.ShownValue(), c.ExpShown);
        EXPECT_EQ(d.TargetValue(), c.ExpTarget);
        if (!c.Animation && c.ExpShown != 60) {
            EXPECT_EQ(sink.Values.last(), c.ExpShown);
        }
        if (c.Animation) {
            EXPECT_TRUE(d.Animating()) << "the needle glides back into the range";
            for (int i = 0; i < 1000 && d.Animating(); ++i) d.AnimationTick();
            EXPECT_EQ(d.ShownValue(), 50);
        }
    }
}

TEST(DialModel, RangeChangeMovesTheThresholdCentreOntoTheLimit) {
    auto d = MakeDial();
    d->Arc()->Threshold()->SetCenter(80);
    d->SetMaxValue(60);
    EXPECT_EQ(d->Arc()->Threshold()->Center(), 60);
    d->Arc()->Threshold()->SetCenter(75);
    EXPECT_EQ(d->Arc()->Threshold()->Center(), 60) << "a centre outside the range is ignored";
    d->Arc()->Threshold()->SetSpan(120);
    EXPECT_EQ(d->Arc()->Threshold()->Span(), 25);
}

TEST(DialModel, TickTable) {
    struct TCase {
        int Divisions, SubDivisions;
    } cases[] = {{10, 3}, {24, 10}, {2, 1}, {5, 4}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Divisions << " x " << c.SubDivisions);
        auto d = MakeDial();
        d->SetMaxValue(240);
        d->SetDivisionCount(c.Divisions);
        d->SetSubDivisionCount(c.SubDivisions);
        const auto& t = d->CalibrationValues();
        int used = 0, large = 0;
        for (const TCalibrationValue& v : t)
            if (v.ValueType != cvNone) {
                ++used;
                large += v.ValueType == cvLarge;
            }
        EXPECT_EQ(used, (c.Divisions + 1) + c.Divisions * (c.SubDivisions + 1));
        EXPECT_EQ(large, c.Divisions + 1);
        EXPECT_EQ(t[used].ValueType, cvNone);
        const double R = d->TickRadius();
        const double cx = 125, cy = 125;
        // The first and last division ticks lie at the arc's ends (135 and 405 degrees).
        EXPECT_EQ(t[0].ValueType, cvLarge);
        EXPECT_NEAR(std::atan2(t[0].y - cy, t[0].x - cx) * 180 / std::numbers::pi, 135, 1e-9);
        EXPECT_NEAR(std::atan2(t[used - 1].y - cy, t[used - 1].x - cx) * 180 / std::numbers::pi, 45, 1e-9);
        EXPECT_EQ(t[0].rv, 0);
        EXPECT_NEAR(t[used - 1].rv, 240, 1e-9);
        EXPECT_NEAR(std::hypot(t[0].x - cx, t[0].y - cy), R, 1e-9);
        EXPECT_NEAR(std::hypot(t[0].x1 - cx, t[0].y1 - cy), R - 250 / 20.0, 1e-9);
        EXPECT_NEAR(std::hypot(t[1].x1 - cx, t[1].y1 - cy), R - 250 / 50.0, 1e-9);
        // The last small tick of each division lies under the next large one.
        for (int i = 1; i < used; ++i)
            if (t[i].ValueType == cvLarge) {
                EXPECT_EQ(t[i - 1].ValueType, cvSmall);
                EXPECT_NEAR(t[i - 1].x, t[i].x, 1e-9);
                EXPECT_NEAR(t[i - 1].y, t[i].y, 1e-9);
            }
    }
    auto d = MakeDial();
    d->SetDivisionCount(25);
    d->SetDivisionCount(1);
    d->SetSubDivisionCount(11);
    d->SetSubDivisionCount(0);
    EXPECT_EQ(d->DivisionCount(), 10);
    EXPECT_EQ(d->SubDivisionCount(), 3);
}

TEST(DialModel, TickGeometryOfTheDefaultDial) {
    auto d = MakeDial();
    EXPECT_EQ(d->MarginX(), 5);
    EXPECT_EQ(d->ImageRect(), QRectF(5, 5, 240, 240));
    // d = round(2.5) = 2 (half to even); R = (240 - 2) / 2 - 10.
    EXPECT_EQ(d->TickRadius(), 109);
    // a = round(250 * 0.03) = 8 (7.5 to even).
    EXPECT_EQ(d->ArcRect(), QRectF(13, 13, 224, 224));
}

TEST(DialModel, ThresholdBandIsClippedToTheArc) {
    struct TCase {
        const char* What;
        double Center, Span;
        double Start, Sweep;
    } cases[] = {
        {"default: a quarter of 270 centred on 25", 25, 25, 168.75, 67.5},
        {"at the minimum: cut at the arc's start", 0, 20, 135, 54},
        {"at the maximum: cut at the arc's stop", 100, 20, 378, 27},
        {"whole span", 50, 100, 135, 270},
        {"zero span", 50, 0, 270, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        auto d = MakeDial();
        d->Arc()->Threshold()->SetCenter(c.Center);
        d->Arc()->Threshold()->SetSpan(c.Span);
        EXPECT_NEAR(d->ThresholdStart(), c.Start, 1e-9);
        EXPECT_NEAR(d->ThresholdSweep(), c.Sweep, 1e-9);
    }
}

TEST(DialModel, CircleLimitsAndEffectiveAngles) {
    auto d = MakeDial();
    d->SetCircleStartValue(180);
    EXPECT_EQ(d->Width(), 500) << "the width follows twice the height";
    EXPECT_EQ(d->Height(), 250);
    EXPECT_EQ(d->LayoutHeight(), 500);
    EXPECT_EQ(d->ImageRect(), QRectF(10, 5, 480, 490));
    EXPECT_EQ(d->ArcStartAngle(), 180);
    EXPECT_EQ(d->ArcStopAngle(), 360);
    EXPECT_EQ(d->ThresholdStartAngle(), 180);
    EXPECT_EQ(d->ThresholdSweepAngle(), 180);
    d->Arc()->SetStartAngle(90);
    EXPECT_EQ(d->Arc()->StartAngle(), 180) << "stored as at least the circle's start";
    d->SetCircleStartValue(361);
    d->SetCircleEndValue(100);
    d->SetCircleEndValue(400);
    EXPECT_EQ(d->CircleStartValue(), 180);
    EXPECT_EQ(d->CircleEndValue(), 360);
    d->SetBounds(0, 0, 10, 120);
    EXPECT_EQ(d->Width(), 240);
    d->SetEqualDimensions(false);
    d->SetBounds(0, 0, 300, 120);
    EXPECT_EQ(d->Width(), 300);
}

TEST(DialModel, XYToScaleRoundTrip) {
    auto d = MakeDial();
    const double center = 125;
    for (int i = 0; i <= 40; ++i) {
        const double v = i * 2.5;
        SCOPED_TRACE(v);
        const double t = d->GetAngle(v) * std::numbers::pi / 180;
        const QPointF p(center + 70 * std::cos(t), center + 70 * std::sin(t));
        double got = -1;
        ASSERT_TRUE(d->XYToScale(p, got));
        EXPECT_NEAR(got, v, 1e-9);
    }
    double got = -1;
    const double bottom = 90 * std::numbers::pi / 180;
    EXPECT_FALSE(d->XYToScale({center + 70 * std::cos(bottom), center + 70 * std::sin(bottom)}, got))
        << "the gap below the arc holds no value";
}

TEST(DialModel, MouseReleaseSetsTheValueUnderThePointer) {
    auto d = MakeDial();
    const double t = d->GetAngle(30) * std::numbers::pi / 180;
    const QPointF p(125 + 60 * std::cos(t), 125 + 60 * std::sin(t));
    QMouseEvent release(QEvent::MouseButtonRelease, p, d->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(d.get(), &release);
    EXPECT_NEAR(d->Value(), 30, 1e-9);
    d->SetTabStop(false);
    const double t2 = d->GetAngle(70) * std::numbers::pi / 180;
    const QPointF p2(125 + 60 * std::cos(t2), 125 + 60 * std::sin(t2));
    QMouseEvent release2(QEvent::MouseButtonRelease, p2, d->mapToGlobal(p2), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(d.get(), &release2);
    EXPECT_NEAR(d->Value(), 30, 1e-9) << "without TabStop the mouse changes nothing";
}

TEST(DialModel, Keys) {
    struct TCase {
        Qt::Key Key;
        double Expected;
    } cases[] = {{Qt::Key_PageUp, 60}, {Qt::Key_PageDown, 40}, {Qt::Key_End, 100}, {Qt::Key_Home, 0},
                 {Qt::Key_Up, 51},     {Qt::Key_Right, 51},    {Qt::Key_Left, 49}, {Qt::Key_Down, 49}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Key);
        auto d = MakeDial();
        d->SetValue(50);
        QKeyEvent press(QEvent::KeyPress, c.Key, Qt::NoModifier);
        QApplication::sendEvent(d.get(), &press);
        EXPECT_EQ(d->Value(), c.Expected);
        d->SetEnabled(false);
        QApplication::sendEvent(d.get(), &press);
        EXPECT_EQ(d->Value(), c.Expected) << "a disabled dial ignores keys";
    }
}

TEST(DialModel, ExtraNeedleValuesAreClampedToTheRange) {
    auto d = MakeDial();
    TSmoothDialNeedleItem* n = d->ExtraNeedles()->Add();
    n->SetValue(130);
    EXPECT_EQ(n->Value(), 100);
    n->SetValue(-1);
    EXPECT_EQ(n->Value(), 0);
}

TEST(DialModel, DesignerPlacementTakesTheLunaStyle) {
    TComponent form;
    form.SetDesigning(true);
    auto* d = new TSmoothDial(&form);
    EXPECT_TRUE(d->DesignTime());
    EXPECT_EQ(d->GetComponentStyle(), tsOffice2007Luna);
    EXPECT_EQ(d->InnerCircle()->Color(), TColor(0xFFD2AF));
    EXPECT_EQ(d->Arc()->Threshold()->EndValue(), 100);

    TSmoothDial plain;
    EXPECT_FALSE(plain.DesignTime());
    EXPECT_EQ(plain.GetComponentStyle(), tsCustom);
    EXPECT_EQ(plain.InnerCircle()->Color(), TColor(0xFF0000));
    EXPECT_EQ(plain.Arc()->Threshold()->EndValue(), 0);
}

TEST(DialModel, AssignCopiesSettingsAndShownValues) {
    auto a = MakeDial();
    a->SetMaxValue(300);
    a->SetValue(250);
    a->SetDivisionCount(6);
    a->SetDialText("WOB");
    a->Needle()->SetColor(clRed);
    a->Sections()->Add()->SetEndValue(40);
    a->SetComponentStyle(tsWindows10);
    auto b = MakeDial();
    b->Assign(a.get());
    EXPECT_EQ(b->MaximumValue(), 300);
    EXPECT_EQ(b->Value(), 250);
    EXPECT_EQ(b->TargetValue(), 250);
    EXPECT_EQ(b->DivisionCount(), 6);
    EXPECT_EQ(b->DialText(), "WOB");
    EXPECT_EQ(b->Needle()->Color(), a->Needle()->Color());
    EXPECT_EQ(b->Sections()->Count(), 1);
    EXPECT_EQ(b->Sections()->Items(0)->EndValue(), 40);
    EXPECT_EQ(b->InnerCircle()->Color(), TColor(0xF7F6F5));
    TComponent other;
    b->Assign(&other);
    EXPECT_EQ(b->MaximumValue(), 300);
}

TEST(DialModel, ComponentTextRoundTrip) {
    auto d = MakeDial();
    d->SetName("Dial1");
    d->SetMaxValue(500);
    d->SetMinValue(200);
    d->SetValue(321.5);
    d->SetDialText(QString::fromUtf8("Нагрузка"));
    d->SetDivisionCount(8);
    d->SetComponentStyle(tsOffice2013Gray);
    d->Arc()->Threshold()->SetCenter(400);
    TSmoothDialSection* s = d->Sections()->Add();
    s->SetStartValue(200);
    s->SetEndValue(300);
    s->SetColor(clLime);
    s->SetSectionType(stBorder);
    d->Sections()->Add()->SetInnerMargin(30);
    TSmoothDialNeedleItem* n = d->ExtraNeedles()->Add();
    n->SetValue(450);
    n->SetColor(clRed);
    d->ExtraNeedles()->Add()->SetValue(260);
    const QString text = WriteComponentToText(d.get());
    EXPECT_TRUE(text.contains("Version = '2.3.0.0'")) << text.toStdString();
    EXPECT_TRUE(text.contains("KVLStyle = 19")) << text.toStdString();
    // The minimum is written before the maximum: reading checks the pair
    // once both are in.
    EXPECT_LT(text.indexOf("MinimumValue"), text.indexOf("MaximumValue"));

    TSmoothDial copy;
    ReadComponentFromText(text, &copy);
    EXPECT_EQ(copy.MinimumValue(), 200);
    EXPECT_EQ(copy.MaximumValue(), 500);
    EXPECT_EQ(copy.Value(), 321.5);
    EXPECT_EQ(copy.Arc()->Threshold()->Center(), 400);
    ASSERT_EQ(copy.ExtraNeedles()->Count(), 2);
    EXPECT_EQ(copy.ExtraNeedles()->Items(0)->Value(), 450);
    EXPECT_EQ(copy.GetComponentStyle(), tsOffice2013Gray);
    EXPECT_EQ(WriteComponentToText(&copy), text);
}

TEST(DialModel, LogarithmicDialReadsBackItsValue) {
    auto d = MakeDial();
    d->SetLogarithmic(true);
    d->SetMinValue(1);
    d->SetMaxValue(5);
    d->SetValue(1000);
    const QString text = WriteComponentToText(d.get());
    TSmoothDial copy;
    ReadComponentFromText(text, &copy);
    EXPECT_TRUE(copy.Logarithmic());
    EXPECT_NEAR(copy.Value(), 1000, 1e-6) << "the value is read before the scale is known";
    EXPECT_NEAR(copy.ShownValue(), 3, 1e-12);
    EXPECT_FALSE(copy.Animating());
}

TEST(DialModel, StoredStyleNumberAppliesNoColours) {
    auto d = MakeDial();
    QString text = WriteComponentToText(d.get());
    ASSERT_TRUE(text.contains("KVLStyle = 8"));
    text.replace("KVLStyle = 8", "KVLStyle = 17");
    text.replace("Version = '2.3.0.0'", "Version = '1.0'");
    TSmoothDial copy;
    ReadComponentFromText(text, &copy);
    EXPECT_EQ(copy.GetComponentStyle(), tsOffice2013White);
    EXPECT_EQ(copy.InnerCircle()->Color(), TColor(0xFF0000)) << "the colours stay those stored";
    EXPECT_EQ(copy.Version(), "2.3.0.0");
}

TEST(DialModel, RegisteredForStreamingByName) {
    const TClassInfo* info = FindClass("TSmoothDial");
    ASSERT_NE(info, nullptr);
    std::unique_ptr<QObject> o(info->Create(nullptr));
    EXPECT_NE(qobject_cast<TSmoothDial*>(o.get()), nullptr);
    EXPECT_NE(qobject_cast<IKVLStyle*>(o.get()), nullptr);
    EXPECT_NE(qobject_cast<IKVLTones*>(o.get()), nullptr);
}

#include "DialModelTests.moc"
