// Charts on live data: the simulator on loopback, the real service groups
// over the default configuration, ticks driven by hand.
#include "AcquisitionTestSupport.h"
#include "ChartTestSupport.h"
#include "LiveServices.h"
#include "WKFormText.h"
#include "fr_Chart.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// One field with one value scale per series, so that no line covers another.
template <class T>
T* AddOwnField(TWKChart& chart, T* s, QColor color) {
    TChartField* f = chart.Fields().Count() == 1 && chart.Fields().Items(0)->Scales().Count() == 0
                         ? chart.Fields().Items(0)
                         : chart.Fields().Add();
    f->Scales().Add();
    s->SetFieldInd(f->Index());
    s->SetScaleInd(0);
    s->SetPen(QPen(color, 1));
    chart.InsertSeries(s);
    return s;
}

// Whether the pixel at p or one next to it has the colour.
bool ColourNear(const QImage& img, QPoint p, QColor c) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const QPoint q = p + QPoint(dx, dy);
            if (img.rect().contains(q) && img.pixelColor(q) == c) return true;
        }
    return false;
}

TEST(RealTimeChart, RealTimeChartEndToEnd) {
    TLiveServices live(kStart, At(59.5));
    {
        // The time chart: rotary speed, depth and a formula over both.
        auto time = std::make_unique<TWKChart>();
        time->SetIsDateTime(true);
        time->XScale()->SetMinMax(kStart, kStart + 1.0 / 12);  // two hours, as the setup makes it
        time->resize(900, 600);
        time->show();
        auto* depthLine = AddOwnField(*time, new TWKChartSeries(time.get()), Qt::blue);
        depthLine->SetGID(101);
        auto* rpm = AddOwnField(*time, new TWKChartSeries(time.get()), Qt::red);
        rpm->SetGID(1200);
        auto* formula = AddOwnField(*time, new TWKExpressionSeries(time.get(), "S101+S1200"), Qt::darkGreen);
        // Top-drive speed: the simulator sends an error sample every 50 records.
        auto* topDrive = AddOwnField(*time, new TWKChartSeries(time.get()), Qt::darkCyan);
        topDrive->SetGID(1303);

        // The depth chart comes from its component text.
        std::unique_ptr<TWKChart> depth;
        {
            TWKChart source;
            source.SetIsDateTime(false);
            auto* s = AddOwnField(source, new TWKChartSeries(&source), Qt::magenta);
            s->SetGID(1200);
            s->SetStreamID("Depth");
            const QString text = ComponentToString(&source);
            depth.reset(dynamic_cast<TWKChart*>(StringToComponent(text, nullptr)));
        }
        ASSERT_TRUE(depth);
        ASSERT_EQ(depth->GetSeriesCount(), 1);
        depth->resize(600, 400);
        depth->show();

        NotifyServices(seStartLogging, nullptr);
        TWKStreamList& list = SecondaryServices->Streams();
        auto count = [&](const char* id) {
            TSensorDataStream* s = list.GetStreamByID(id);
            return s ? s->TotalCount() : -1;
        };
        auto tickUntil = [&](int time1s, int depthRecords) {
            return WaitFor([&] {
                SecondaryServices->ProcessTimer();
                return count("Time1s.1001") >= time1s && count("Depth.1001") >= depthRecords;
            });
        };
        ASSERT_TRUE(tickUntil(60, 12));
        // The well's streams carry its suffix; a well change tells the depth chart.
        TWKMessage msg(WM_WELLCHANGED, {}, QStringLiteral("1001"));
        QCoreApplication::sendEvent(depth.get(), &msg);
        NotifyServices(seBindStreams, nullptr);
        SecondaryServices->ProcessTimer();

        TSensorDataStream* ts = list.GetStreamByID("Time1s.1001");
        TSensorDataStream* ds = list.GetStreamByID("Depth.1001");
        ASSERT_TRUE(ts && ds);
        for (TWKChartBaseSeries* s : {static_cast<TWKChartBaseSeries*>(depthLine), static_cast<TWKChartBaseSeries*>(rpm),
                                      static_cast<TWKChartBaseSeries*>(formula)})
            EXPECT_TRUE(s->Link()) << s->GID();
        EXPECT_EQ(rpm->YData(), ts->GetSensor(1200));
        auto* depthSeries = qobject_cast<TWKChartSeries*>(depth->GetSeries(0));
        ASSERT_TRUE(depthSeries && depthSeries->Link());
        EXPECT_EQ(depthSeries->YData(), ds->GetSensor(1200));

        auto newest = [](TSensorDataStream* s) { return s->MainDataArray()->GetValue(s->GetDataCount() - 1); };
        const double first = newest(ts);
        EXPECT_DOUBLE_EQ(time->XScale()->MaxLimit(), first);
        EXPECT_DOUBLE_EQ(depth->XScale()->MaxLimit(), newest(ds));

        live.Sim->SetTime(At(89.5));
        ASSERT_TRUE(tickUntil(90, 18));
        SecondaryServices->ProcessTimer();
        EXPECT_GT(newest(ts), first);
        EXPECT_DOUBLE_EQ(time->XScale()->MaxLimit(), newest(ts));
        EXPECT_NEAR(time->XScale()->Max(), newest(ts), 1e-9);
        EXPECT_DOUBLE_EQ(depth->XScale()->MaxLimit(), newest(ds));

        // The newest point of each line shows in its pen colour.
        for (TWKChartSeries* s : {depthLine, rpm, static_cast<TWKChartSeries*>(formula)}) {
            TScale* scale = s->GetChartScale();
            ASSERT_TRUE(scale);
            scale->Control()->SetTag(1);
            TChartField* f = time->Fields().FindItemID(s->FieldID());
            PlotImage(f);  // fits the value range
            const QImage img = PlotImage(f);
            SaveArtifact(time->grab().toImage(), "RealTimeChartEndToEnd");
            const int n = s->RecordCount();
            ASSERT_GE(n, 2);
            QPoint p;
            const double x = s->XData()->GetValue(n - 1), y = s->YData()->GetValue(n - 1);
            time->PrjSeries(scale, 1, 0, &x, &y, 1, &p);
            EXPECT_TRUE(ColourNear(img, p, s->Pen().color())) << s->GID() << " at " << p.x() << "," << p.y();
        }

        // An error sample leaves a gap: nothing of the line beyond the values sent (120 to 126).
        ASSERT_TRUE(topDrive->Link());
        int errors = 0;
        for (int i = 0; i < topDrive->RecordCount(); ++i) errors += topDrive->YData()->GetState(i) == ssError;
        EXPECT_GT(errors, 0);
        TScale* scale = topDrive->GetChartScale();
        ASSERT_TRUE(scale);
        scale->SetMinMax(100, 140);
        TChartField* f = time->Fields().FindItemID(topDrive->FieldID());
        const QImage img = PlotImage(f);
        SaveArtifact(time->grab().toImage(), "RealTimeChartEndToEnd_TopDrive");
        const double top = ExpectedAlong(*scale, 126) - 1, bottom = ExpectedAlong(*scale, 120) + 1;
        int drawn = 0, beyond = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) == QColor(Qt::darkCyan)) {
                    ++drawn;
                    beyond += y < top || y > bottom;
                }
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(beyond, 0);
    }
}
}  // namespace
