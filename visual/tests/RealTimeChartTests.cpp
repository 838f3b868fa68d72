// The real-time chart against a stream list filled by hand: binding, the
// sliding window, range fitting, click labels, digital marks, thinning while
// a strip is dragged, drop-outs and zoomed sparse data, statistics, setup, the
// form text and the menus of a stored chart.
#include "VisualTestSupport.h"

#include "../../chart/tests/ChartTestSupport.h"
#include "ChartMenuTestSupport.h"
#include "DebugOutput.h"
#include "EditControls.h"
#include "WKFormText.h"
#include "WKServices.h"
#include "dlg_ChartStatistic.h"
#include "dlg_SetupChart.h"
#include "fr_Chart.h"

#include <QCheckBox>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>

namespace {
constexpr double Day0 = 46000.0;  // a date in 2025
constexpr double Sec = 1.0 / 86400;

class RealTimeChart : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("HandFilled"), false);
    }
    void TearDown() override {
        SecondaryServices.reset();
        VisualTest::TearDown();
    }
    TWKStreamList& Streams() { return SecondaryServices->Streams(); }
    // A stream with its main array (GID 0 for time, 101 for depth) and the given sensors.
    TSensorDataStream* AddStream(const QString& id, const QString& dataClass, bool time, std::vector<int> gids,
                                 int capacity = 20000) {
        const int main = time ? 0 : 101;
        auto* s = Streams().Add(std::make_unique<TSensorDataStream>(main, id, id, dataClass, time ? 1 : 0, time,
                                                                    capacity));
        s->AddSensor(main);
        for (int g : gids)
            if (g != main) s->AddSensor(g);
        return s;
    }
    static void AddRecord(TSensorDataStream* s, double x, double y, int gid = 1200) {
        s->AddRecord();
        s->MainDataArray()->SetLast(x);
        if (TSensorDataArray* a = s->GetSensor(gid); a && a != s->MainDataArray()) a->SetLast(y);
    }
    // A chart shown at size with one field and one value scale.
    std::unique_ptr<TWKChart> MakeChart(bool time, QSize size = QSize(600, 400)) {
        auto chart = std::make_unique<TWKChart>();
        chart->SetIsDateTime(time);
        chart->Fields().Items(0)->Scales().Add()->SetMinMax(0, 100);
        chart->resize(size);
        chart->show();
        return chart;
    }
    template <class T = TWKChartSeries>
    T* AddSeries(TWKChart& chart, int gid, const QString& streamID = {}, QColor color = Qt::red) {
        auto* s = new T(&chart);
        s->SetFieldInd(0);
        s->SetScaleInd(0);
        chart.InsertSeries(s);
        s->SetGID(gid);
        s->SetStreamID(streamID);
        if constexpr (std::is_base_of_v<TWKChartSeries, T>) s->SetPen(QPen(color, 1));
        return s;
    }
    TScale* ValueScale(TWKChart& chart) { return chart.Fields().Items(0)->Scales().Items(0); }
    // The plot area of field 0 as the line should look, worked out here: the plot
    // painted without the line, then every run of usable records (state normal or
    // later, and a number) drawn as one polyline through pixels computed from the
    // scales' ranges and margins, a lone usable record as a dot.
    QImage ExpectedLine(TWKChart& chart, TWKChartSeries& s) {
        TChartField* f = chart.Fields().Items(0);
        const QPen pen = s.Pen();
        s.SetPen(QPen(Qt::NoPen));
        QImage img = PlotImage(f);
        s.SetPen(pen);
        QPainter p(&img);
        p.setPen(QPen(pen.color(), 1));
        const bool h = chart.Orientation() == coHorizontal;
        const TScale& scale = *s.GetChartScale();
        std::vector<QPoint> run;
        auto flush = [&] {
            if (run.size() == 1) p.drawPoint(run[0]);
            else if (run.size() > 1) p.drawPolyline(run.data(), static_cast<int>(run.size()));
            run.clear();
        };
        for (int i = 0; i < s.RecordCount(); ++i) {
            const double y = s.YData()->GetValue(i);
            if (s.YData()->GetState(i) < ssNormal || std::isnan(y)) {
                flush();
                continue;
            }
            const int a = static_cast<int>(std::lround(ExpectedAlong(*chart.XScale(), s.XData()->GetValue(i))));
            const int v = static_cast<int>(std::lround(ExpectedAlong(scale, y)));
            run.push_back(h ? QPoint(a, v) : QPoint(v, a));
        }
        flush();
        return img;
    }
};

TEST_F(RealTimeChart, SlidingWindow) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    for (int i = 0; i < 3600; ++i) AddRecord(t, Day0 + i * Sec, i % 50);
    auto chart = MakeChart(true);
    AddSeries(*chart, 1200);
    chart->XScale()->SetMinMax(Day0, Day0 + 1.0 / 12);  // a two-hour window
    chart->Notify(seBindStreams, nullptr);
    EXPECT_TRUE(chart->FirstUpdatePending());
    chart->Notify(sePoll, nullptr);
    EXPECT_FALSE(chart->FirstUpdatePending());
    const double newest = Day0 + 3599 * Sec;
    TScale& xs = *chart->XScale();
    EXPECT_DOUBLE_EQ(xs.MaxLimit(), newest);
    EXPECT_DOUBLE_EQ(xs.MinLimit(), newest - 3.0);
    EXPECT_NEAR(xs.Max(), newest, 1e-9);
    EXPECT_NEAR(xs.Max() - xs.Min(), 1.0 / 12, 1e-9);

    // A new record moves the window with it.
    AddRecord(t, newest + Sec, 1);
    chart->Notify(sePoll, nullptr);
    EXPECT_DOUBLE_EQ(xs.MaxLimit(), newest + Sec);
    EXPECT_NEAR(xs.Max(), newest + Sec, 1e-9);

    // An unchanged window is left alone: a window the user scrolled stays.
    xs.SetMinMax(xs.Min() - 0.01, xs.Max() - 0.01);
    const double min = xs.Min();
    chart->Notify(sePoll, nullptr);
    EXPECT_DOUBLE_EQ(xs.Min(), min);

    // A depth chart with more than 5000 m spans all of it.
    TSensorDataStream* d = AddStream("Depth", "Depth", false, {1200});
    for (int i = 0; i <= 600; ++i) AddRecord(d, i * 10.0, i);
    auto depth = MakeChart(false);
    AddSeries(*depth, 1200, "Depth");
    depth->Notify(sePoll, nullptr);
    EXPECT_DOUBLE_EQ(depth->XScale()->MinLimit(), 0);
    EXPECT_DOUBLE_EQ(depth->XScale()->MaxLimit(), 6000);
}

TEST_F(RealTimeChart, Binding) {
    TSensorDataStream* plain = AddStream("Time1s", "SrcTime", true, {1200});
    TSensorDataStream* w1 = AddStream("Time1s.W1", "SrcTime", true, {1200});
    TSensorDataStream* w2 = AddStream("Time1s.W2", "SrcTime", true, {1200});
    auto chart = MakeChart(true);
    TWKChartSeries* byID = AddSeries(*chart, 1200, "Time1s");
    TWKChartSeries* byClass = AddSeries(*chart, 1200);
    TWKChartSeries* missingSensor = AddSeries(*chart, 4444, "Time1s");
    TWKChartSeries* missingStream = AddSeries(*chart, 1200, "Nowhere");

    EXPECT_TRUE(byID->Link());
    EXPECT_EQ(byID->YData(), plain->GetSensor(1200));
    EXPECT_EQ(byID->XData(), plain->MainDataArray());
    EXPECT_TRUE(byClass->Link());
    EXPECT_EQ(byClass->YData(), plain->GetSensor(1200));
    EXPECT_FALSE(missingSensor->Link());
    EXPECT_FALSE(missingStream->Link());

    // The well change takes effect at the next binding.
    TWKMessage msg(WM_WELLCHANGED, {}, QStringLiteral("W1"));
    QCoreApplication::sendEvent(chart.get(), &msg);
    EXPECT_EQ(chart->StreamSuffix(), "W1");
    EXPECT_EQ(byID->YData(), plain->GetSensor(1200));
    chart->Notify(seBindStreams, nullptr);
    EXPECT_TRUE(byID->Link());
    EXPECT_EQ(byID->YData(), w1->GetSensor(1200));

    // Rebuilt streams: after binding no array of the old stream is used.
    TWKMessage msg2(WM_WELLCHANGED, {}, QStringLiteral("W2"));
    QCoreApplication::sendEvent(chart.get(), &msg2);
    Streams().Remove(w1);
    chart->Notify(seBindStreams, nullptr);
    EXPECT_TRUE(byID->Link());
    EXPECT_EQ(byID->YData(), w2->GetSensor(1200));
    EXPECT_EQ(byID->XData(), w2->MainDataArray());

    // Without the secondary group nothing binds and nothing paints.
    SecondaryServices.reset();
    byID->ClearLinks();
    EXPECT_FALSE(byID->Link());
    EXPECT_NO_THROW(PlotImage(chart->Fields().Items(0)));
}

TEST_F(RealTimeChart, FormulaSeriesShareTheirArray) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {101, 1200});
    for (int i = 0; i < 10; ++i) {
        AddRecord(t, Day0 + i * Sec, i);
        t->GetSensor(101)->SetLast(100 + i);
    }
    auto chart = MakeChart(true);
    auto* f1 = new TWKExpressionSeries(chart.get(), QStringLiteral("S1200+S101"));
    auto* f2 = new TWKDigitalExpressionSeries(chart.get(), QStringLiteral("S1200+S101"));
    auto* bad = new TWKExpressionSeries(chart.get(), QStringLiteral("S1200+("));
    for (TSeries* s : {static_cast<TSeries*>(f1), static_cast<TSeries*>(f2), static_cast<TSeries*>(bad)})
        chart->InsertSeries(s);
    chart->Notify(seBindStreams, nullptr);
    chart->Notify(sePoll, nullptr);
    ASSERT_TRUE(f1->Link());
    ASSERT_TRUE(f2->Link());
    EXPECT_EQ(f1->YData(), f2->YData());
    EXPECT_EQ(f1->YData()->GetStream(), t);
    f1->UpdateData(true);
    EXPECT_DOUBLE_EQ(f1->YData()->GetValue(9), 9 + 109);
    EXPECT_FALSE(bad->Link());
}

TEST_F(RealTimeChart, FitRange) {
    struct TCase {
        const char* What;
        std::vector<double> Values;
        double Min, Max;
    };
    const TCase cases[] = {
        {"12.3 to 57.9", {12.3, 40, 57.9}, 10, 60},
        {"NaN only: unchanged", {NAN, NAN}, 0, 100},
        {"constant: unchanged", {5, 5, 5}, 0, 100},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Streams().Clear();
        TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
        for (size_t i = 0; i < c.Values.size(); ++i) AddRecord(t, Day0 + double(i) * Sec, c.Values[i]);
        auto chart = MakeChart(true);
        AddSeries(*chart, 1200);
        chart->XScale()->SetMinMax(Day0, Day0 + 10 * Sec);
        TScale* scale = ValueScale(*chart);
        scale->Control()->SetTag(1);
        PlotImage(chart->Fields().Items(0));
        EXPECT_EQ(scale->Control()->Tag(), 0);
        EXPECT_DOUBLE_EQ(scale->Min(), c.Min);
        EXPECT_DOUBLE_EQ(scale->Max(), c.Max);
    }
}

TEST_F(RealTimeChart, ClickLabels) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    for (int i = 0; i <= 100; ++i) AddRecord(t, Day0 + i * Sec, 50);
    auto chart = MakeChart(true);
    TWKChartSeries* s = AddSeries(*chart, 1200);
    s->SetPrecision(1);
    chart->XScale()->SetMinMax(Day0, Day0 + 100 * Sec);
    TScale* scale = ValueScale(*chart);
    TScale* xs = chart->XScale();
    const int x = xs->Prj(Day0 + 50.5 * Sec), y = scale->Prj(50);
    struct TCase {
        const char* What;
        int X, Y;
        Qt::KeyboardModifiers Shift;
        bool Handled;
        int Labels;
    };
    const TCase cases[] = {
        {"8 pixels off without Shift", x, y + 8, {}, true, 0},
        {"8 pixels off with Shift", x, y + 8, Qt::ShiftModifier, true, 1},
        {"on the line", x, y + 2, {}, true, 2},
        {"left of the first record: no crossing", xs->Prj(Day0 - 10 * Sec), y, {}, false, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(s->MouseDown(xs, scale, Qt::LeftButton, c.Shift, c.X, c.Y), c.Handled);
        EXPECT_EQ(s->Labels().Count(), c.Labels);
    }
    EXPECT_EQ(s->Labels().GetLabel(0)->Text.trimmed(), "50.0");
    EXPECT_DOUBLE_EQ(s->Labels().GetLabel(0)->X, Day0 + 50 * Sec);
    EXPECT_FALSE(s->MouseDown(xs, scale, Qt::RightButton, {}, x, y));
}

TEST_F(RealTimeChart, DigitalMarks) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    // Two hours, one record a minute.
    for (int i = 0; i <= 120; ++i) AddRecord(t, Day0 + i * 60 * Sec, i);
    auto chart = MakeChart(true, QSize(1200, 300));
    auto* d = AddSeries<TWKDigitalSeries>(*chart, 1200);
    d->SetPrecision(0);
    d->SetStep(10);
    chart->XScale()->SetMinMax(Day0, Day0 + 2.0 / 24);
    PlotImage(chart->Fields().Items(0));
    // One mark every 10 minutes: at 0, 10, ..., 120 minutes, none overlapping.
    ASSERT_EQ(d->LastMarks().size(), 13u);
    for (size_t i = 1; i < d->LastMarks().size(); ++i)
        EXPECT_FALSE(d->LastMarks()[i].intersects(d->LastMarks()[i - 1]));

    // Squeezed into a narrow chart, overlapping marks are skipped.
    chart->resize(150, 300);
    PlotImage(chart->Fields().Items(0));
    EXPECT_LT(d->LastMarks().size(), 13u);
    EXPECT_GT(d->LastMarks().size(), 0u);

    for (double step : {0.0, -5.0, double(NAN)}) {
        d->SetStep(step);
        PlotImage(chart->Fields().Items(0));
        EXPECT_TRUE(d->LastMarks().empty());
    }
}

TEST_F(RealTimeChart, ThinnedWhileAStripIsDragged) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    for (int i = 0; i < 7200; ++i) AddRecord(t, Day0 + i * Sec, i % 100);
    auto chart = MakeChart(true);
    TWKChartSeries* s = AddSeries(*chart, 1200);
    chart->XScale()->SetMinMax(Day0, Day0 + 7200 * Sec);
    TChartField* f = chart->Fields().Items(0);
    PlotImage(f);
    // Chunks of 3000 records sharing their ends: 3001 + 3001 + 1200 points.
    EXPECT_EQ(s->LastPointsDrawn(), 3001 + 3001 + 1200);

    TScaleControl* strip = ValueScale(*chart)->Control();
    const QPoint mid(strip->width() / 2, strip->height() / 2);
    SendMouse(strip, QEvent::MouseButtonPress, mid, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(TScaleControl::AnyHoldsCapture());
    PlotImage(f);
    // Every 11th record of a 3000-record chunk, every 4th of the 1199-record one.
    EXPECT_EQ(s->LastPointsDrawn(), 273 + 273 + 300);
    SendMouse(strip, QEvent::MouseButtonRelease, mid, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(TScaleControl::AnyHoldsCapture());
}

// Dense lines are drawn from fewer points than records; the picture must stay the
// one of every record drawn, broken where a record has no number, across a sliding
// window, a changed value range and a chart turned on its side.
TEST_F(RealTimeChart, DenseLinesShowEveryRecord) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    auto value = [](int i) { return i % 997 < 3 ? NAN : 50 + 30 * std::sin(i * 0.004) + 9 * std::sin(i * 0.7); };
    int next = 0;
    for (; next < 7200; ++next) AddRecord(t, Day0 + next * Sec, value(next));
    auto chart = MakeChart(true);
    TWKChartSeries* s = AddSeries(*chart, 1200);
    chart->Notify(seBindStreams, nullptr);
    chart->XScale()->SetMinMax(Day0 + 300 * Sec, Day0 + 7200 * Sec);
    TChartField* f = chart->Fields().Items(0);
    struct TStep {
        const char* What;
        std::function<void()> Do;
    };
    const TStep steps[] = {
        {"two hours with gaps", [] {}},
        {"window slid by a poll",
         [&] {
             for (int k = 0; k < 7; ++k, ++next) AddRecord(t, Day0 + next * Sec, value(next));
             chart->Notify(sePoll, nullptr);
         }},
        {"value range narrowed past the line", [&] { ValueScale(*chart)->SetMinMax(40, 70); }},
        {"chart on its side", [&] { chart->SetOrientation(coVertical); }},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.What);
        step.Do();
        const QImage shown = PlotImage(f);
        EXPECT_EQ(PixelsAwayFromTheLine(shown, ExpectedLine(*chart, *s), QColor(Qt::red).rgb()).toStdString(), "");
        EXPECT_GT(s->LastPointsDrawn(), 7000);
        SaveArtifact(shown, QStringLiteral("DenseLine_") + QString::fromLatin1(step.What).replace(' ', '_'));
    }
}

// A sensor that drops out leaves a gap in the line: error samples (with a value
// or without one) and a minute of empty samples, in a dense two-hour window and
// in a sparse one, in both layouts, drawn in full and thinned while a strip is
// dragged. Nothing of the line reaches beyond the values the sensor sent.
TEST_F(RealTimeChart, DropOutsLeaveGaps) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    auto value = [](int i) { return 50 + 25 * std::sin(i * 0.004); };
    TSensorDataArray* rpm = t->GetSensor(1200);
    for (int i = 0; i < 7200; ++i) {
        t->AddRecord();
        t->MainDataArray()->SetLast(Day0 + i * Sec);
        if (i >= 3000 && i < 3060) continue;  // nothing sent for a minute: empty samples
        if (i % 50 == 25) rpm->SetLast(i % 100 == 25 ? NAN : 0.0, ssError);
        else if (i == 5000 || i == 5002) rpm->SetLast(100, ssError);  // one good record between two errors
        else rpm->SetLast(value(i));
    }
    auto chart = MakeChart(true);
    TWKChartSeries* s = AddSeries(*chart, 1200);
    TChartField* f = chart->Fields().Items(0);
    TScale& scale = *ValueScale(*chart);
    TScale& xs = *chart->XScale();
    auto at = [&](int record) { return ExpectedAlong(xs, Day0 + record * Sec); };
    struct TWindow {
        const char* What;
        int From, To;                              // seconds
        std::vector<std::pair<int, int>> Gaps;     // the good records either side of a gap
    };
    const TWindow windows[] = {
        {"dense", 0, 7200, {{2999, 3060}}},
        {"sparse", 2950, 3110, {{2974, 2976}, {2999, 3060}, {3074, 3076}}},
    };
    for (TChartOrientation o : {coHorizontal, coVertical}) {
        chart->SetOrientation(o);
        const bool h = o == coHorizontal;
        for (const TWindow& w : windows)
            for (bool thin : {false, true}) {
                SCOPED_TRACE(testing::Message() << w.What << (h ? " horizontal" : " vertical")
                                                << (thin ? " thinned" : ""));
                xs.SetMinMax(Day0 + w.From * Sec, Day0 + w.To * Sec);
                TScaleControl* strip = scale.Control();
                const QPoint mid(strip->width() / 2, strip->height() / 2);
                if (thin) {
                    SendMouse(strip, QEvent::MouseButtonPress, mid, Qt::LeftButton, Qt::LeftButton);
                    ASSERT_TRUE(TScaleControl::AnyHoldsCapture());
                }
                const QImage shown = PlotImage(f);
                if (thin) SendMouse(strip, QEvent::MouseButtonRelease, mid, Qt::LeftButton, Qt::NoButton);
                SaveArtifact(shown, QStringLiteral("DropOuts_%1_%2%3")
                                        .arg(QLatin1String(w.What), h ? "horizontal" : "vertical",
                                             thin ? "_thinned" : ""));
                const QRgb red = QColor(Qt::red).rgb();
                auto isRed = [&](int a, int v) { return shown.pixel(h ? QPoint(a, v) : QPoint(v, a)) == red; };
                const int alongX = h ? shown.width() : shown.height(), alongV = h ? shown.height() : shown.width();
                // The sensor sent 25 to 75: no spike to 0, 100 or an edge.
                const double lo = std::min(ExpectedAlong(scale, 24), ExpectedAlong(scale, 76)),
                             hi = std::max(ExpectedAlong(scale, 24), ExpectedAlong(scale, 76));
                int spikes = 0, drawn = 0;
                for (int a = 0; a < alongX; ++a)
                    for (int v = 0; v < alongV; ++v)
                        if (isRed(a, v)) {
                            ++drawn;
                            spikes += v < lo || v > hi;
                        }
                EXPECT_EQ(spikes, 0);
                EXPECT_GT(drawn, alongX / 2);
                for (const auto& [before, after] : w.Gaps) {
                    int inGap = 0;
                    for (int a = static_cast<int>(std::floor(at(before))) + 2; a <= at(after) - 2; ++a)
                        for (int v = 0; v < alongV; ++v) inGap += isRed(a, v);
                    EXPECT_EQ(inGap, 0) << "between records " << before << " and " << after;
                }
                if (!thin) {
                    EXPECT_EQ(PixelsAwayFromTheLine(shown, ExpectedLine(*chart, *s), red).toStdString(), "");
                }
            }
    }
}

// Zoomed far into sparse data the line is the one between the two records around
// the window, not one bent towards a clamped end.
TEST_F(RealTimeChart, ZoomedSparseLineIsTrue) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    // A record every 10 minutes holding 0, 100, 200, ...
    for (int i = 0; i <= 12; ++i) AddRecord(t, Day0 + i * 600 * Sec, i * 100.0);
    for (TChartOrientation o : {coHorizontal, coVertical}) {
        SCOPED_TRACE(o == coHorizontal ? "horizontal" : "vertical");
        auto chart = MakeChart(true);
        chart->SetOrientation(o);
        AddSeries(*chart, 1200, {}, Qt::blue);
        TScale& scale = *ValueScale(*chart);
        TScale& xs = *chart->XScale();
        scale.SetMinMax(300, 350);
        const double mid = Day0 + 1950 * Sec;  // 00:32:30, where the value is 325
        xs.SetMinMax(mid - 2 * Sec, mid + 2 * Sec);
        const QImage img = PlotImage(chart->Fields().Items(0));
        SaveArtifact(img, QStringLiteral("ZoomedSparse_%1").arg(o == coHorizontal ? "horizontal" : "vertical"));
        const bool h = o == coHorizontal;
        const int alongX = h ? img.width() : img.height(), alongV = h ? img.height() : img.width();
        // The value at a pixel along X: the X value there (the scale's linear map turned
        // round), then the straight line from 300 at 00:30 to 400 at 00:40.
        const double a0 = ExpectedAlong(xs, xs.Min()), a1 = ExpectedAlong(xs, xs.Max());
        auto expected = [&](int a) {
            const double x = xs.Min() + (a - a0) / (a1 - a0) * (xs.Max() - xs.Min());
            return ExpectedAlong(scale, 300 + (x - (Day0 + 1800 * Sec)) / (600 * Sec) * 100);
        };
        ASSERT_NEAR(expected(alongX / 2), ExpectedAlong(scale, 325), 2);
        int missing = 0, stray = 0;
        for (int a = 0; a < alongX; ++a) {
            bool seen = false;
            for (int v = 0; v < alongV; ++v) {
                if (img.pixelColor(h ? QPoint(a, v) : QPoint(v, a)) != QColor(Qt::blue)) continue;
                if (std::fabs(v - expected(a)) <= 1.5) seen = true;
                else ++stray;
            }
            missing += !seen;
        }
        EXPECT_EQ(missing, 0) << "the line crosses the whole window";
        EXPECT_EQ(stray, 0);
    }
}

// On a logarithmic scale zero and negative values lie below every positive one:
// the line runs down from its neighbours to the low edge, and nowhere else.
TEST_F(RealTimeChart, LogScaleZeroAndNegativeValuesRunToTheLowEdge) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {1200});
    const double values[] = {10, 100, 0, 100, -5, 100};
    for (int i = 0; i < 6; ++i) AddRecord(t, Day0 + i * 10 * Sec, values[i]);
    auto chart = MakeChart(true);
    AddSeries(*chart, 1200, {}, Qt::blue);
    TScale& scale = *ValueScale(*chart);
    scale.SetStepType(sttLogarithmic);
    scale.SetMinMax(1, 1000);
    chart->XScale()->SetMinMax(Day0, Day0 + 50 * Sec);
    const QImage img = PlotImage(chart->Fields().Items(0));
    SaveArtifact(img, "LogScaleZeroAndNegative");
    // 100 is two thirds up the usable strip, from the scale's margins.
    const int length = scale.Control()->height();
    const double usable = length - scale.Offset() - scale.BackOffset() - 1;
    const double row100 = length - scale.BackOffset() - 1 - usable * 2 / 3;
    int above = 0;
    for (int y = 0; y < row100 - 1; ++y)
        for (int x = 0; x < img.width(); ++x) above += img.pixelColor(x, y) == QColor(Qt::blue);
    EXPECT_EQ(above, 0) << "nothing above the largest value";
    // Rays down from the records either side of the zero and the negative value.
    const int bottom = img.height() - 1;
    for (int record : {1, 3, 5}) {
        const int x = static_cast<int>(std::lround(ExpectedAlong(*chart->XScale(), Day0 + record * 10 * Sec)));
        bool reaches = false;
        for (int dx = -1; dx <= 1; ++dx) reaches = reaches || img.pixelColor(x + dx, bottom) == QColor(Qt::blue);
        EXPECT_TRUE(reaches) << "record " << record;
    }
}

// The value strips of a chart read from the bundled desktop carry the scale menu.
TEST_F(RealTimeChart, LoadedValueScalesHaveTheirMenu) {
    QFile file(SourceDir() + QStringLiteral("/config/desktops/default.sd2"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // The chart as its form stores it.
    QStringList text;
    bool inside = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString l = line.trimmed().isEmpty() ? QString() : QString(line).remove(QLatin1Char('\r'));
        if (l.startsWith(QStringLiteral("  object TWKChart:"))) inside = true;
        if (inside) text << l.mid(2);
        if (inside && l == QStringLiteral("  end")) break;
    }
    ASSERT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.join('\n').contains(QStringLiteral("PopupMenu")));
    std::unique_ptr<TComponentBase> read(StringToComponent(text.join('\n'), nullptr));
    auto* chart = dynamic_cast<TWKChart*>(read.get());
    ASSERT_TRUE(chart);
    chart->resize(800, 500);
    chart->show();
    ASSERT_EQ(chart->Fields().Count(), 2);
    TMenuRecorder recorder;
    for (int f = 0; f < chart->Fields().Count(); ++f) {
        TScale* scale = chart->Fields().Items(f)->Scales().Items(0);
        SCOPED_TRACE(scale->Caption().toStdString());
        EXPECT_EQ(scale->PopupMenu(), dmControlRes->pmScale);
        recorder.Last = nullptr;
        RightClick(scale->Control());
        ASSERT_EQ(recorder.Last, dmControlRes->pmScale);
        EXPECT_EQ(dmControlRes->pmScale->PopupComponent(), scale->Control());
        EXPECT_EQ(dmControlRes->miDeleteSeries->text(), "Удалить шкалу");
        EXPECT_TRUE(dmControlRes->miFindMinMax->isEnabled());
        UI->ShownDialogs.clear();
        dmControlRes->ChartProperties->trigger();
        ASSERT_EQ(UI->ShownDialogs.size(), 1);
        EXPECT_TRUE(UI->ShownDialogs[0].startsWith("TdlgScaleProperties:")) << UI->ShownDialogs[0].toStdString();
    }
    EXPECT_EQ(chart->Fields().Items(0)->Scales().Items(0)->Caption(), "Глубина м");
}

TEST_F(RealTimeChart, Statistics) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {101, 1200});
    const double ys[] = {1, 2, NAN, 4, 10};
    for (int i = 0; i < 5; ++i) {
        AddRecord(t, Day0 + i * Sec, ys[i]);
        t->GetSensor(101)->SetLast(1000 + i);
    }
    auto chart = MakeChart(true);
    TWKChartSeries* rpm = AddSeries(*chart, 1200);
    rpm->SetA(100);  // the statistics show stored values, without A and B
    rpm->SetPrecision(2);
    AddSeries(*chart, 101)->SetPrecision(1);
    AddSeries(*chart, 4444, "Time1s");
    // A formula is named by its own title, not by the sensor of its GID (0, the
    // time), and its values keep 7 significant digits whatever the precision.
    auto* power = new TWKExpressionSeries(chart.get(), QStringLiteral("S101*1000.5"));
    power->SetCaption(QStringLiteral("Мощность"));
    power->SetPrecision(3);
    chart->InsertSeries(power);
    chart->Notify(seBindStreams, nullptr);
    chart->Notify(sePoll, nullptr);
    power->UpdateData(true);
    const TSensDescr d1200 = GetSensDescr(1200, QString());

    // Ends included, NaN left out.
    QList<QStringList> rows = chart->Statistics(Day0 + 1 * Sec, Day0 + 3 * Sec);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringList({"Параметр", "Минимум", "Максимум", "Среднее"}));
    EXPECT_EQ(rows[1][0], d1200.Units.isEmpty() ? d1200.Name : d1200.Name + " (" + d1200.Units + ")");
    EXPECT_EQ(rows[1].mid(1), QStringList({"2.00", "4.00", "3.00"}));
    EXPECT_EQ(rows[2].mid(1), QStringList({"1001.0", "1003.0", "1002.0"}));
    EXPECT_EQ(rows[3], QStringList(4)) << "an unbound series has empty cells";
    EXPECT_EQ(rows[4], QStringList({"Мощность", "1001501.000", "1003502.000", "1002501.000"}));

    rows = chart->Statistics(Day0 + 10 * Sec, Day0 + 20 * Sec);
    EXPECT_EQ(rows[1].mid(1), QStringList(3)) << "no record in the selection";
}

TEST_F(RealTimeChart, StatisticsDialogAfterASelection) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {101, 1200});
    for (int i = 0; i < 5; ++i) {
        AddRecord(t, Day0 + i * Sec, i);
        t->GetSensor(101)->SetLast(1000 + i);
    }
    auto chart = MakeChart(true);
    AddSeries(*chart, 1200)->SetPrecision(0);
    AddSeries(*chart, 101)->SetPrecision(0);

    // Without a complete selection there is no dialog.
    chart->SetSelectionMode(true);
    chart->OnSelectionChanged();
    EXPECT_TRUE(UI->ShownDialogs.isEmpty());
    EXPECT_FALSE(chart->SelectionMode());

    QStringList grid;
    ScriptOnce<TdlgChartStatistic>(*UI, "TdlgChartStatistic", [&grid](TdlgChartStatistic& dlg) {
        for (int r = 0; r < dlg.sgStat->rowCount(); ++r)
            for (int c = 0; c < dlg.sgStat->columnCount(); ++c) grid << dlg.sgStat->item(r, c)->text();
        // Two rows by three columns copied as tab-separated lines.
        dlg.sgStat->setRangeSelected(QTableWidgetSelectionRange(1, 1, 2, 3), true);
        dlg.actCopy->trigger();
        dlg.btnExit->click();
        return DialogResult(dlg);
    });
    chart->SetSelectionMode(true);
    chart->SetSelection(Day0 + 1 * Sec, Day0 + 3 * Sec);
    chart->OnSelectionChanged();
    ASSERT_EQ(UI->ShownDialogs, QStringList({"TdlgChartStatistic: Статистика"}));
    EXPECT_EQ(grid.mid(0, 4), QStringList({"Параметр", "Минимум", "Максимум", "Среднее"}));
    EXPECT_EQ(UI->Clipboard().AsText(), "1\t3\t2\n1001\t1003\t1002");
    EXPECT_FALSE(chart->SelectionMode());
    EXPECT_TRUE(std::isnan(chart->SelectionStart()));
}

TEST_F(RealTimeChart, SetupOkAndCancel) {
    auto chart = MakeChart(false);
    ScriptOnce<TdlgSetupChart>(*UI, "TdlgSetupChart", [](TdlgSetupChart& dlg) {
        // A chart has no frame until one is chosen.
        EXPECT_EQ(dlg.rgOuter->ItemIndex(), 0);
        EXPECT_EQ(dlg.rgInner->ItemIndex(), 0);
        EXPECT_FALSE(dlg.cbBorder->isChecked());
        dlg.cbVert->setChecked(true);
        dlg.cbTime->setChecked(true);
        dlg.rgInner->SetItemIndex(1);
        return int(mrCancel);
    });
    chart->Setup();
    EXPECT_EQ(chart->Orientation(), coHorizontal);
    EXPECT_FALSE(chart->XScale()->AsDateTime());

    EXPECT_EQ(chart->BevelInner(), TPanel::bvNone);
    ScriptOnce<TdlgSetupChart>(*UI, "TdlgSetupChart", [](TdlgSetupChart& dlg) {
        dlg.cbVert->setChecked(true);
        dlg.cbTime->setChecked(true);
        dlg.rgInner->SetItemIndex(1);
        dlg.rgOuter->SetItemIndex(2);
        dlg.cbBorder->setChecked(true);
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    const double before = Now();
    chart->Setup();
    EXPECT_EQ(chart->Orientation(), coVertical);
    EXPECT_TRUE(chart->XScale()->AsDateTime());
    EXPECT_GE(chart->XScale()->Min(), before);
    EXPECT_NEAR(chart->XScale()->Max() - chart->XScale()->Min(), 1.0 / 12, 1e-9);
    EXPECT_EQ(chart->BevelInner(), TPanel::bvLowered);
    EXPECT_EQ(chart->BevelOuter(), TPanel::bvRaised);
    EXPECT_EQ(chart->BorderStyle(), TPanel::bsSingle);
    // The border line, the raised bevel's light edge, the lowered one's dark
    // edge; the fields start inside all three.
    const QImage img = chart->grab().toImage();
    EXPECT_EQ(img.pixelColor(5, 0).rgb(), chart->palette().color(QPalette::WindowText).rgb());
    EXPECT_EQ(img.pixelColor(5, 1).rgb(), chart->palette().color(QPalette::Light).rgb());
    EXPECT_EQ(img.pixelColor(5, 2).rgb(), chart->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(chart->XScale()->Control()->geometry().left(), 3);
    const QString text = ComponentToString(chart.get());
    EXPECT_TRUE(text.contains("BevelOuter = bvRaised")) << text.toStdString();
    EXPECT_TRUE(text.contains("BorderStyle = bsSingle"));
}

TEST_F(RealTimeChart, NoDescriptorWithoutASeriesOnTheStrip) {
    auto chart = MakeChart(true);
    TSensDescr d;
    EXPECT_FALSE(chart->GetSensorDescriptor(d));
}

TEST_F(RealTimeChart, WrittenReadAndPaintedAgain) {
    TSensorDataStream* t = AddStream("Time1s", "SrcTime", true, {101, 1200});
    for (int i = 0; i < 600; ++i) {
        AddRecord(t, Day0 + i * Sec, 40 + 30 * std::sin(i / 40.0));
        t->GetSensor(101)->SetLast(1000 + i);
    }
    auto chart = MakeChart(true);
    chart->setObjectName("chTime");
    chart->SetStreamSuffix("");
    AddSeries(*chart, 1200, {}, Qt::blue)->SetUnits("об/мин");
    auto* dig = AddSeries<TWKDigitalSeries>(*chart, 101);
    dig->SetStep(2);
    auto* f = new TWKExpressionSeries(chart.get(), QStringLiteral("S1200*2"));
    f->SetFieldInd(0);
    f->SetScaleInd(0);
    f->SetPen(QPen(Qt::darkGreen, 1));
    chart->InsertSeries(f);
    chart->Notify(seBindStreams, nullptr);
    chart->Notify(sePoll, nullptr);
    chart->XScale()->SetMinMax(Day0, Day0 + 600 * Sec);
    const QImage first = chart->grab().toImage();
    SaveArtifact(first, "RealTimeChart");

    const QString text = ComponentToString(chart.get());
    EXPECT_TRUE(text.contains("TWKExpressionSeries")) << text.toStdString();
    std::unique_ptr<TComponentBase> read(StringToComponent(text, nullptr));
    auto* again = dynamic_cast<TWKChart*>(read.get());
    ASSERT_TRUE(again);
    ASSERT_EQ(again->GetSeriesCount(), 3);
    again->resize(chart->size());
    again->show();
    again->Notify(seBindStreams, nullptr);
    again->Notify(sePoll, nullptr);
    again->XScale()->SetMinMax(Day0, Day0 + 600 * Sec);
    EXPECT_EQ(again->grab().toImage(), first);
}
}  // namespace
