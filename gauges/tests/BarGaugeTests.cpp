// The bar gauge: value text, hint, bar and marks by orientation, colours,
// layout, painting at known pixels and the shared setup form.
#include "GaugeBusTest.h"
#include "Messages.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "EditControls.h"
#include "WKGauge.h"
#include "WKGaugeDsgnSetup_u.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <limits>

namespace {
using BarGauge = GaugeBusTest;

std::unique_ptr<TWKGauge> Bar(const char* streamID = "Time1s.1001") {
    auto g = std::make_unique<TWKGauge>();
    g->SetWKStreamID(QString::fromUtf8(streamID));
    g->SetWKSensorID(GaugeBusTest::Gid);
    g->Notify(seBindStreams, nullptr);
    return g;
}

bool Near(QRgb c, TColor expected) {
    const QColor a = QColor::fromRgb(c), e = ColorToQColor(expected);
    return std::abs(a.red() - e.red()) <= 4 && std::abs(a.green() - e.green()) <= 4 && std::abs(a.blue() - e.blue()) <= 4;
}

void SaveArtifact(const QImage& image, const QString& name) {
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name);
}

TEST_F(BarGauge, ValueTextAndHintFollowStateNameUnitsAndNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct TCase {
        const char* What;
        double Value;
        TSensorState State;
        bool ShowName;
        const char* Units;
        const char* Text;
        const char* Hint;
    };
    const TCase cases[] = {
        {"plain", 12.5, ssNormal, false, "", "12.5 ", "Обороты ротора = 12.5 "},
        {"error with name and units", 12.5, ssError, true, "об/мин", "Рот: [12.5] об/мин", nullptr},
        {"fixed without name", 7, ssFixed, false, "", "=7 ", nullptr},
        {"NaN", nan, ssNormal, true, "об/мин", "Рот: ??? об/мин", "Обороты ротора = Нет значения."},
        // The same value in another state still rebuilds the text.
        {"same value, now error", 7, ssError, false, "", "[7] ", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        auto g = Bar();
        g->SetSensorName(QStringLiteral("Обороты ротора"));
        g->SetShortSensorName(QStringLiteral("Рот"));
        g->SetShowSensorName(c.ShowName);
        g->SetUnits(QString::fromUtf8(c.Units));
        if (std::string(c.What) == "same value, now error") {
            Push(Time, 7, ssNormal);
            g->Notify(sePostData, nullptr);
        }
        Push(Time, c.Value, c.State);
        g->Notify(sePostData, nullptr);
        EXPECT_EQ(g->DisplayValue(), QString::fromUtf8(c.Text));
        if (c.Hint) EXPECT_EQ(g->Hint(), QString::fromUtf8(c.Hint));
        EXPECT_EQ(g->GaugeState(), gsValue);
    }
}

TEST_F(BarGauge, UnboundOrEmptyArrayShowsNoBarAndBindsLazily) {
    TWKGauge g;
    g.SetWKStreamID(QStringLiteral("Time1s.1001"));
    g.SetWKSensorID(Gid);
    g.Notify(sePostData, nullptr);  // binds, shows nothing yet
    EXPECT_EQ(g.GaugeState(), gsNone);
    EXPECT_EQ(g.BoundSensor(), Time->GetSensor(Gid));
    g.Notify(sePostData, nullptr);  // an empty array is skipped
    EXPECT_EQ(g.GaugeState(), gsNone);
    Push(Time, 40);
    g.Notify(sePostData, nullptr);
    EXPECT_EQ(g.Position(), 40);

    auto missing = Bar("Nowhere.1");
    missing->Notify(sePostData, nullptr);
    EXPECT_EQ(missing->GaugeState(), gsNone);
}

TEST_F(BarGauge, WellChangeKeepsAnEmptyStreamIDEmpty) {
    auto g = Bar();
    SendWKMessage(g.get(), WM_WELLCHANGED, {}, QStringLiteral("1002"));
    EXPECT_EQ(g->WKStreamID(), QStringLiteral("Time1s.1002"));
    EXPECT_EQ(g->BoundSensor(), Time2->GetSensor(Gid));
    auto unbound = Bar("");
    SendWKMessage(unbound.get(), WM_WELLCHANGED, {}, QStringLiteral("1002"));
    EXPECT_EQ(unbound->WKStreamID(), QString());
}

TEST_F(BarGauge, BarRectangleByOrientationAndInvert) {
    struct TCase {
        TGaugeOrientation Orientation;
        bool Invert;
        QRect Expected;  // in a 100 x 100 gauge rectangle at (0, 0), value 25 of 0..100
    };
    const TCase cases[] = {
        {orLeftToRight, false, QRect(0, 0, 25, 100)}, {orLeftToRight, true, QRect(75, 0, 25, 100)},
        {orRightToLeft, false, QRect(25, 0, 75, 100)}, {orRightToLeft, true, QRect(25, 0, 75, 100)},
        {orTopToBottom, false, QRect(0, 0, 100, 75)},  {orBottomToTop, false, QRect(0, 75, 100, 25)},
        {orBottomToTop, true, QRect(0, 0, 100, 25)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Orientation) * 10 + int(c.Invert));
        TWKGauge g;
        g.SetShowText(false);
        g.SetBounds(0, 0, 100, 100);
        g.SetOrientation(c.Orientation);
        g.SetInvert(c.Invert);
        g.SetPosition(25);
        EXPECT_EQ(g.GaugeRect(), QRect(0, 0, 100, 100));
        EXPECT_EQ(g.PosRect(), c.Expected);
    }
}

TEST_F(BarGauge, BarColourInsideAndBeyondTheLimits) {
    TWKGauge g;
    g.SetMaxLimit(80);
    g.SetMinLimit(20);
    for (auto [v, colour] : {std::pair{50.0, TColor(0x800000)}, std::pair{150.0, TColor(0x0000FF)},
                             std::pair{10.0, TColor(0x0000FF)}}) {
        g.SetPosition(v);
        EXPECT_EQ(g.BarColor(), colour) << v;
    }
    EXPECT_EQ(g.Position(), 10);
    g.SetPosition(150);
    EXPECT_EQ(g.Position(), 100);  // a full bar
}

TEST_F(BarGauge, LayoutReservesLimitSpaceOnlyForShownMarks) {
    TWKGauge g;
    g.SetBounds(0, 0, 200, 80);
    g.SetShowLimits(true);
    const int withText = g.GaugeRect().top();
    EXPECT_GT(withText, 0);
    EXPECT_EQ(g.GaugeRect().bottom(), 79);  // both limits at the scale ends: no marks
    g.SetMinLimit(0);
    EXPECT_FALSE(g.ShowMinLimitMark());
    g.SetMaxLimit(80);
    EXPECT_TRUE(g.ShowMaxLimitMark());
    EXPECT_LT(g.GaugeRect().bottom(), 79);
    EXPECT_EQ(g.MaxLimitRect().left(), g.GaugeRect().left() + qRound(g.GaugeRect().width() * 0.8));
    g.SetShowText(false);
    EXPECT_EQ(g.GaugeRect().top(), 0);
}

TEST_F(BarGauge, PaintsBackgroundBarAndMarkAtKnownPixels) {
    TWKGauge g;
    g.SetColor(clWhite);
    g.SetShowText(false);
    g.SetShowValue(false);
    g.SetBounds(0, 0, 200, 40);
    g.SetMaxLimit(60);
    g.SetGaugeState(gsValue);
    g.SetPosition(40);
    QImage image = g.Render();
    EXPECT_TRUE(Near(image.pixel(20, 20), TColor(0x800000)));   // bar
    EXPECT_TRUE(Near(image.pixel(150, 20), TColor(0xDDFFFF)));  // empty bar area
    EXPECT_TRUE(Near(image.pixel(120, 20), TColor(0x0000FF)));  // the maximum limit mark
    g.SetPosition(90);
    image = g.Render();
    EXPECT_TRUE(Near(image.pixel(150, 20), TColor(0x0000FF)));  // beyond the limit
    g.SetShowText(true);
    g.SetShowValue(true);
    g.SetShowLimits(true);
    g.SetBounds(0, 0, 240, 80);
    g.SetUnits(QStringLiteral("т"));
    g.UpdateControl();
    SaveArtifact(g.Render(), QStringLiteral("bar-gauge.png"));
}

double Luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// As the designer inserts it (a 260 x 50 drag) with scale texts and limits
// shown, a value from the bus: the bar stays as tall as its text and the
// text reads on the filled bar and on the empty one.
TEST_F(BarGauge, ValueReadableAtInsertedSize) {
    auto g = Bar();
    g->SetBounds(0, 0, 260, 50);
    g->SetColor(clWhite);
    g->SetShowText(true);
    g->SetShowLimits(true);
    g->SetMinLimit(20);
    g->SetMaxLimit(80);
    Push(Time, 50);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    const QImage image = g->Render().convertToFormat(QImage::Format_RGB32);
    SaveArtifact(image, QStringLiteral("bar-gauge-inserted.png"));

    const QColor bar = ColorToQColor(g->GaugeColor()), empty = ColorToQColor(g->GaugeBkColor());
    auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) <= 24 && std::abs(a.green() - b.green()) <= 24 && std::abs(a.blue() - b.blue()) <= 24;
    };
    // The bar's rows, read off its filled left end.
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        if (near(image.pixelColor(3, y), bar)) {
            if (top < 0) top = y;
            bottom = y;
        }
    ASSERT_GE(top, 0) << "no filled bar at the left end";
    const int thickness = bottom - top + 1;
    const QFont valueFont = g->PositionFont()->ToQFont();
    const QRect glyphs = QFontMetrics(valueFont).tightBoundingRect(QStringLiteral("50"));
    EXPECT_GE(thickness, glyphs.height() + 2) << "the bar is thinner than its value text";
    // Where the fill ends, read off the bar's top row (the text is centred
    // below it; the minimum limit's mark crosses the fill).
    const QColor mark = ColorToQColor(g->GaugeOutColor());
    int fillEnd = 0;
    while (fillEnd < image.width() &&
           (near(image.pixelColor(fillEnd, top), bar) || near(image.pixelColor(fillEnd, top), mark)))
        ++fillEnd;
    ASSERT_GT(fillEnd, 60);
    ASSERT_LT(fillEnd, 200);

    int onBar = 0, onEmpty = 0, textTop = image.height(), textBottom = -1;
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const QColor under = x < fillEnd ? bar : empty;
            if (near(p, under) || near(p, mark)) continue;
            if (ContrastRatio(p, under) < 3) continue;
            (x < fillEnd ? onBar : onEmpty) += 1;
            textTop = std::min(textTop, y);
            textBottom = std::max(textBottom, y);
        }
    EXPECT_GE(onBar, 10) << "the value text does not read on the filled bar";
    EXPECT_GE(onEmpty, 10) << "the value text does not read on the empty bar";
    EXPECT_GE(textBottom - textTop + 1, glyphs.height() - 1) << "the value text is cut";
}

TEST_F(BarGauge, SetupShowsPrecisionAndStoresTheFormat) {
    auto g = Bar();
    struct TCase {
        int Precision;
        const char* Format;
    };
    for (const TCase c : {TCase{1, "0.#"}, TCase{0, "0."}, TCase{3, "0.###"}}) {
        UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [c](QObject* d) {
            auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
            f->udPrecision->SetValue(c.Precision);
            f->btnOk->click();
            return DialogResult(*f);
        });
        g->Setup();
        EXPECT_EQ(g->DisplayFormat(), QString::fromUtf8(c.Format));
    }
    int shown = -1;
    UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [&shown](QObject* d) {
        auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
        shown = f->udPrecision->Value();
        f->btnCancel->click();
        return DialogResult(*f);
    });
    g->Setup();
    EXPECT_EQ(shown, 3);
}

TEST_F(BarGauge, ApplyRefusesBadRangesAndLimits) {
    struct TCase {
        const char* Min;
        const char* Max;
        const char* MinLimit;
        const char* MaxLimit;
        const char* Message;
    };
    const TCase cases[] = {
        {"10", "10", "", "", "Максимальное значение шкалы должно быть больше минимального"},
        {"0", "100", "-5", "", "Значение минимального предела должно быть в видимом диапазоне шкалы"},
        {"0", "100", "", "120", "Значение максимального предела должно быть в видимом диапазоне шкалы"},
        {"0", "100", "60", "40", "Значение минимального предела должно быть меньше максимального предела"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        auto g = Bar();
        UI->Messages.clear();
        UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [&c](QObject* d) {
            auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
            f->edtMinPosition->setText(QString::fromUtf8(c.Min));
            f->edtMaxPosition->setText(QString::fromUtf8(c.Max));
            f->edtMinLimit->setText(QString::fromUtf8(c.MinLimit));
            f->edtMaxLimit->setText(QString::fromUtf8(c.MaxLimit));
            f->btnOk->click();
            const int afterOk = DialogResult(*f);
            f->btnCancel->click();
            return afterOk == 0 ? DialogResult(*f) : afterOk;
        });
        g->Setup();
        EXPECT_EQ(UI->Messages, QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(g->MinPosition(), 0);
        EXPECT_EQ(g->MaxPosition(), 100);
        EXPECT_EQ(g->MaxLimit(), 100);
    }
    auto g = Bar();
    UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [](QObject* d) {
        auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
        f->edtMinPosition->setText(QStringLiteral("10"));
        f->edtMaxPosition->setText(QStringLiteral("300"));
        f->edtMaxLimit->setText(QStringLiteral("250"));
        f->btnOk->click();
        return DialogResult(*f);
    });
    g->Setup();
    EXPECT_EQ(g->MinPosition(), 10);
    EXPECT_EQ(g->MaxPosition(), 300);
    EXPECT_EQ(g->MaxLimit(), 250);
    EXPECT_EQ(g->MinLimit(), 10);
}

TEST_F(BarGauge, RunTimeSetupHidesDesignerChoicesOnlyForThatShowing) {
    auto g = Bar();
    bool hiddenAtRunTime = false, shownInDesigner = false;
    UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [&](QObject* d) {
        auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
        hiddenAtRunTime = f->cmbOrientation->isHidden() && f->chbShowDlg->isHidden() && f->cmbGaugeAlign->isHidden();
        f->btnCancel->click();
        return DialogResult(*f);
    });
    g->SetupDlg();
    UI->ScriptDialogOnce(QStringLiteral("TfmWKGaugeDsgnSetup"), [&](QObject* d) {
        auto* f = qobject_cast<TfmWKGaugeDsgnSetup*>(d);
        shownInDesigner = !f->cmbOrientation->isHidden() && !f->chbShowDlg->isHidden();
        f->btnCancel->click();
        return DialogResult(*f);
    });
    g->Setup();
    EXPECT_TRUE(hiddenAtRunTime);
    EXPECT_TRUE(shownInDesigner);
}

}  // namespace
