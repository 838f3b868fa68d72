// The data-bound dial: binding to the secondary streams, the newest sample,
// the well change, the style and the setup dialog through the scripted UI.
#include "DebugOutput.h"
#include "EditControls.h"
#include "Exceptions.h"
#include "ExtControls.h"
#include "Messages.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "GaugeBusTest.h"
#include "dlg_SetupSmoothGauge.h"
#include "fr_Align.h"
#include "fr_ExtGaugeSetup.h"

#include <QComboBox>
#include <QDir>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<TWKSmoothGauge> Gauge(const QString& streamID) {
    auto g = std::make_unique<TWKSmoothGauge>();
    g->SetAnimation(false);
    g->Sensor()->SetGID(GaugeBusTest::Gid);
    g->Sensor()->SetStreamID(streamID);
    g->BindData();
    return g;
}

// A value-changed handler that fails, as a broken form script would.
class TFailingHandler : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void Boom(QObject*, double) { throw Exception(QStringLiteral("boom")); }
};

using DataBoundDial = GaugeBusTest;

TEST_F(DataBoundDial, FreshGaugeHasTwoEmptySectionsNoSpanAndListens) {
    const int before = SecondaryServices->Notifier()->Count();
    {
        TWKSmoothGauge g;
        EXPECT_EQ(SecondaryServices->Notifier()->Count(), before + 1);
        ASSERT_EQ(g.Sections()->Count(), 2);
        const TColor colours[2] = {TColor(0x008000), TColor(0x0000FF)};
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(g.Sections()->Items(i)->StartValue(), 0);
            EXPECT_EQ(g.Sections()->Items(i)->EndValue(), 0);
            EXPECT_EQ(g.Sections()->Items(i)->Color(), colours[i]);
        }
        EXPECT_EQ(g.Arc()->Threshold()->Span(), 0);
        EXPECT_EQ(g.GetStyle(), 0);
    }
    SecondaryServices->NotifyServices(seBindStreams, nullptr);
}

TEST_F(DataBoundDial, BindsByStreamIDOrThroughTheAcquisitionStreams) {
    struct TCase {
        const char* What;
        const char* StreamID;
        bool AcquisitionProgram;
        int Stream;  // 0 none, 1 Time1s.1001, 2 Depth.1001
        int GID;
    };
    const TCase cases[] = {
        {"empty ID: by GID in the SrcTime streams", "", false, 1, Gid},
        {"exact ID", "Depth.1001", false, 2, Gid},
        {"acquisition program ignores the ID", "Depth.1001", true, 1, Gid},
        {"missing stream", "Depth.9999", false, 0, Gid},
        {"stream without the sensor", "Depth.1001", false, 0, 77},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        InitWKConsts({}, BinDir() + (c.AcquisitionProgram ? QStringLiteral("/Boremont2") : QStringLiteral("/Welvista2")));
        auto g = Gauge(QString::fromUtf8(c.StreamID));
        g->Sensor()->SetGID(c.GID);
        g->Notify(seBindStreams, nullptr);
        TSensorDataArray* expected = c.Stream == 1 ? Time->GetSensor(GaugeBusTest::Gid) : c.Stream == 2 ? Depth->GetSensor(GaugeBusTest::Gid) : nullptr;
        EXPECT_EQ(g->Sensor()->FYData, expected);
    }
}

TEST_F(DataBoundDial, ShowsOnlyAUsableNewestSample) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    g->Notify(sePostData, nullptr);  // no records yet
    EXPECT_EQ(g->Value(), 0);
    struct TCase {
        const char* What;
        double Value;
        TSensorState State;
        double Shown;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TCase cases[] = {
        {"normal", 42, ssNormal, 42},   {"error keeps the needle", 60, ssError, 42},
        {"empty keeps it", 61, ssEmpty, 42}, {"NaN keeps it", nan, ssNormal, 42},
        {"fixed is usable", 30, ssFixed, 30},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Push(Time, c.Value, c.State);
        SecondaryServices->NotifyServices(sePostData, nullptr);
        EXPECT_EQ(g->Value(), c.Shown);
    }
}

TEST_F(DataBoundDial, WellChangeRewritesTheSuffixButKeepsAnEmptyID) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    SendWKMessage(g.get(), WM_WELLCHANGED, {}, QStringLiteral("1002"));
    EXPECT_EQ(g->Sensor()->StreamID(), QStringLiteral("Time1s.1002"));
    EXPECT_EQ(g->Sensor()->FYData, Time2->GetSensor(GaugeBusTest::Gid));

    auto bySource = Gauge(QString());
    SendWKMessage(bySource.get(), WM_WELLCHANGED, {}, QStringLiteral("1002"));
    EXPECT_EQ(bySource->Sensor()->StreamID(), QString());
    EXPECT_NE(bySource->Sensor()->FYData, nullptr);
}

TEST_F(DataBoundDial, AFailingGaugeDoesNotStopTheBus) {
    TDebugOutputCapture capture;
    TFailingHandler handler;
    auto failing = Gauge(QStringLiteral("Time1s.1001"));
    failing->SetOnValueChanged(TMethod{&handler, "Boom"});
    auto healthy = Gauge(QStringLiteral("Time1s.1001"));
    Push(Time, 12);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    EXPECT_EQ(healthy->Value(), 12);
    EXPECT_TRUE(capture.Contains(QStringLiteral("TWKSmoothGauge.Notify: boom")));
}

TEST_F(DataBoundDial, StyleZeroIsTheOwnPaletteAndNIsStyleNMinusOne) {
    TWKSmoothGauge g;
    g.SetStyle(5);
    EXPECT_EQ(g.GetComponentStyle(), tsOffice2007Luna);
    EXPECT_EQ(g.GetStyle(), 5);
    g.Arc()->SetColor(clBlack);
    g.SetStyle(0);
    EXPECT_EQ(g.GetStyle(), 0);
    EXPECT_EQ(g.Arc()->Color(), TColor(0xFFEFE3));
    EXPECT_EQ(g.Needle()->OuterCenterColor(), TColor(0xFFD1AD));
    EXPECT_EQ(g.DivisionColor(), TColor(0x962D00));
    EXPECT_EQ(g.ValueFont()->Color(), TColor(0x962D00));
    for (int bad : {-1, 25}) {
        g.SetStyle(bad);
        EXPECT_EQ(g.GetStyle(), 0);
    }
}

TEST_F(DataBoundDial, SetupRefusesARangeWithoutWidthAndAppliesAGoodOne) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    g->SetStyle(5);
    UI->ScriptDialogOnce(QStringLiteral("TdlgSetupSmoothGauge"), [this](QObject* d) {
        auto* dlg = qobject_cast<TdlgSetupSmoothGauge*>(d);
        EXPECT_TRUE(dlg->frAlign->isVisibleTo(dlg));
        EXPECT_EQ(dlg->frExtGaugeSetup->cbStyle->currentIndex(), 5);
        EXPECT_EQ(dlg->frExtGaugeSetup->cbStyle->count(), 25);
        dlg->Descr.StreamID = QStringLiteral("Depth.1001");
        dlg->Descr.Name = QStringLiteral("Обороты");
        dlg->frExtGaugeSetup->neMin->SetValue(50);
        dlg->frExtGaugeSetup->neMax->SetValue(50);
        dlg->frExtGaugeSetup->neS1Max->SetValue(20);
        dlg->frExtGaugeSetup->cbStyle->setCurrentIndex(0);
        dlg->OKBtn->click();
        EXPECT_EQ(UI->Messages, QStringList{QStringLiteral("Минимальное значение шкалы должно быть меньше максимального")});
        EXPECT_NE(DialogResult(*dlg), int(mrOk));
        dlg->CancelBtn->click();
        return DialogResult(*dlg);
    });
    g->Setup();
    EXPECT_EQ(g->MinimumValue(), 0);
    EXPECT_EQ(g->MaximumValue(), 100);
    EXPECT_EQ(g->Sections()->Items(0)->EndValue(), 0);
    EXPECT_EQ(g->GetStyle(), 5);
    EXPECT_EQ(g->Sensor()->StreamID(), QStringLiteral("Time1s.1001"));

    UI->ScriptDialogOnce(QStringLiteral("TdlgSetupSmoothGauge"), [](QObject* d) {
        auto* dlg = qobject_cast<TdlgSetupSmoothGauge*>(d);
        dlg->Descr.StreamID = QStringLiteral("Depth.1001");
        dlg->frExtGaugeSetup->neMin->SetValue(10);
        dlg->frExtGaugeSetup->neMax->SetValue(200);
        dlg->frExtGaugeSetup->neS2Min->SetValue(150);
        dlg->frExtGaugeSetup->neS2Max->SetValue(200);
        dlg->frExtGaugeSetup->rgS2Type->SetItemIndex(1);
        dlg->frExtGaugeSetup->leName->setText(QStringLiteral("Ротор"));
        dlg->frExtGaugeSetup->cbStyle->setCurrentIndex(0);
        dlg->OKBtn->click();
        return DialogResult(*dlg);
    });
    g->Setup();
    EXPECT_EQ(g->MinimumValue(), 10);
    EXPECT_EQ(g->MaximumValue(), 200);
    EXPECT_EQ(g->Sections()->Items(1)->StartValue(), 150);
    EXPECT_EQ(g->Sections()->Items(1)->SectionType(), stBorder);
    EXPECT_EQ(g->DialText(), QStringLiteral("Ротор"));
    EXPECT_EQ(g->GetStyle(), 0);
    EXPECT_EQ(g->Sensor()->FYData, Depth->GetSensor(GaugeBusTest::Gid));
}

TEST_F(DataBoundDial, RunTimeSetupHidesTheAlignmentAndColoursComeFromTheDialogs) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    UI->ColorAnswers = {TColor(0x123456)};
    UI->ScriptDialogOnce(QStringLiteral("TdlgSetupSmoothGauge"), [](QObject* d) {
        auto* dlg = qobject_cast<TdlgSetupSmoothGauge*>(d);
        EXPECT_FALSE(dlg->frAlign->isVisibleTo(dlg));
        dlg->frExtGaugeSetup->btnS1Font->click();
        dlg->OKBtn->click();
        return DialogResult(*dlg);
    });
    g->DoSetup(true);
    EXPECT_EQ(g->Sections()->Items(0)->Color(), TColor(0x123456));
    EXPECT_EQ(UI->ShownDialogs, QStringList{QStringLiteral("TdlgSetupSmoothGauge: Настройка индикатора")});
}

// A new range wholly above or below the old one is taken whole, from the
// designer's setup and from a click on the dial at run time.
TEST_F(DataBoundDial, RangeAboveTheOldMaximumIsTakenWhole) {
    struct TCase {
        const char* What;
        double OldMin, OldMax, NewMin, NewMax;
    };
    const TCase cases[] = {
        {"above the old maximum", 0, 100, 200, 500},
        {"starting at the old maximum", 0, 100, 100, 300},
        {"below the old minimum", 0, 100, -500, -200},
        {"down from above", 200, 500, 0, 100},
        {"inside the old range", 0, 100, 40, 60},
    };
    for (bool runTime : {false, true}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.What << (runTime ? ", clicked at run time" : ", from the designer"));
            auto g = Gauge(QStringLiteral("Time1s.1001"));
            g->SetMaxValue(1e9);
            g->SetMinValue(c.OldMin);
            g->SetMaxValue(c.OldMax);
            ASSERT_EQ(g->MinimumValue(), c.OldMin);
            ASSERT_EQ(g->MaximumValue(), c.OldMax);
            UI->Messages.clear();
            UI->ScriptDialogOnce(QStringLiteral("TdlgSetupSmoothGauge"), [&c](QObject* d) {
                auto* dlg = qobject_cast<TdlgSetupSmoothGauge*>(d);
                dlg->frExtGaugeSetup->neMin->SetValue(c.NewMin);
                dlg->frExtGaugeSetup->neMax->SetValue(c.NewMax);
                dlg->OKBtn->click();
                return DialogResult(*dlg);
            });
            if (runTime) {
                g->SetBounds(0, 0, 200, 200);
                g->show();
                ASSERT_NE(g->windowHandle(), nullptr);
                QTest::mouseClick(g->windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
            } else {
                g->Setup();
            }
            EXPECT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
            EXPECT_EQ(g->MinimumValue(), c.NewMin);
            EXPECT_EQ(g->MaximumValue(), c.NewMax);
        }
    }
}

// A dial whose stream is gone (a well without it) shows that it has no
// value: the needle at the scale's start and dashes in the read-out.
TEST_F(DataBoundDial, ShowsNoValueWithoutItsStream) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    g->SetBounds(0, 0, 200, 200);
    g->SetMinValue(-50);
    Push(Time, 42);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    ASSERT_EQ(g->Value(), 42);
    ASSERT_TRUE(g->HasValue());
    const QImage live = g->Render();

    SendWKMessage(g.get(), WM_WELLCHANGED, {}, QStringLiteral("1003"));
    ASSERT_EQ(g->Sensor()->FYData, nullptr);
    EXPECT_FALSE(g->HasValue());
    EXPECT_EQ(g->Value(), -50) << "the needle parks at the scale's start";
    const QImage none = g->Render();
    EXPECT_NE(none, live);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    EXPECT_FALSE(g->HasValue());

    // The same picture as a dial told so directly: dashes, not a number.
    auto reference = Gauge(QStringLiteral("Depth.9999"));
    reference->SetBounds(0, 0, 200, 200);
    reference->SetMinValue(-50);
    reference->ShowNoValue();
    EXPECT_EQ(reference->Render(), none);
    reference->SetValue(-50);
    EXPECT_NE(reference->Render(), none) << "the read-out shows the same with and without a value";

    // Back to a well that has it: the next sample shows again.
    SendWKMessage(g.get(), WM_WELLCHANGED, {}, QStringLiteral("1001"));
    Push(Time, 17);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    EXPECT_TRUE(g->HasValue());
    EXPECT_EQ(g->Value(), 17);
}

// The setup copies the parameter's full name as the caption, in 14 pt: on a
// 200-pixel dial it must not cover the scale's labels.
TEST_F(DataBoundDial, LongCaptionCoversNoScaleLabel) {
    auto g = Gauge(QStringLiteral("Time1s.1001"));
    g->SetBounds(0, 0, 200, 200);
    g->SetMaxValue(250);
    g->Font()->SetSize(14);
    auto render = [&](bool labels, const QString& caption) {
        g->SetShowValues(labels);
        g->SetDialText(caption);
        return g->Render();
    };
    const QString caption = QStringLiteral("Частота вращения верхнего привода, об/мин");
    const QImage bare = render(false, QString());
    const QImage withLabels = render(true, QString());
    const QImage withCaption = render(true, caption);
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        withCaption.save(dir + QStringLiteral("/dial-inserted.png"));
    }
    int labelPixels = 0, captionPixels = 0, covered = 0;
    for (int y = 0; y < bare.height(); ++y)
        for (int x = 0; x < bare.width(); ++x) {
            const bool label = bare.pixel(x, y) != withLabels.pixel(x, y);
            const bool captioned = withLabels.pixel(x, y) != withCaption.pixel(x, y);
            labelPixels += label;
            captionPixels += captioned;
            covered += label && captioned;
        }
    ASSERT_GT(labelPixels, 100);
    EXPECT_GT(captionPixels, 100) << "the caption is not shown";
    EXPECT_EQ(covered, 0) << "the caption covers scale labels";
}

}  // namespace

#include "DataBoundDialTests.moc"
