// The real-time chart of the workstation: one chart of 4 line series over a
// two-hour window of one-second records in 1920x1080; the poll update with
// the repaint after one new record, and the thinned repaint while a value
// strip is dragged.
#include "WKServices.h"
#include "fr_Chart.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {
constexpr double Day0 = 46000.0;
constexpr double Sec = 1.0 / 86400;
constexpr int Records = 7200;

struct TLiveChart {
    TSensorDataStream* Stream;
    std::unique_ptr<TWKChart> Chart;
    QImage Image;
    int Next = 0;

    explicit TLiveChart(QSize Size = QSize(1920, 1080)) {
        SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("Bench"), false);
        Stream = SecondaryServices->Streams().Add(
            std::make_unique<TSensorDataStream>(0, "Time1s", "Time1s", "SrcTime", 1, true, 20000));
        Stream->AddSensor(0);
        for (int g : {101, 1200, 1303, 103}) Stream->AddSensor(g);
        for (int i = 0; i < Records; ++i) AddRecord();
        Chart = MakeChart(Size);
        Image = QImage(Chart->Fields().Items(0)->Client()->size(), QImage::Format_RGB32);
    }
    // A chart of the four series over the stream, shown at the size.
    std::unique_ptr<TWKChart> MakeChart(QSize Size) const {
        auto chart = std::make_unique<TWKChart>();
        chart->SetIsDateTime(true);
        TChartField* f = chart->Fields().Items(0);
        const int gids[] = {101, 1200, 1303, 103};
        const QColor colours[] = {Qt::blue, Qt::red, Qt::darkGreen, Qt::magenta};
        for (int k = 0; k < 4; ++k) {
            f->Scales().Add()->SetMinMax(0, 100);
            auto* s = new TWKChartSeries(chart.get());
            s->SetFieldInd(0);
            s->SetScaleInd(k);
            s->SetGID(gids[k]);
            s->SetPen(QPen(colours[k], 1));
            chart->InsertSeries(s);
        }
        chart->resize(Size);
        chart->show();
        chart->Notify(seBindStreams, nullptr);
        chart->Notify(sePoll, nullptr);
        chart->XScale()->SetMinMax(Day0 + Next * Sec - 2.0 / 24, Day0 + Next * Sec);
        return chart;
    }
    ~TLiveChart() {
        Chart.reset();
        SecondaryServices.reset();
    }
    void AddRecord() {
        Stream->AddRecord();
        const double t = Next;
        Stream->GetSensor(0)->SetLast(Day0 + t * Sec);
        Stream->GetSensor(101)->SetLast(50 + 40 * std::sin(t * 0.001));
        Stream->GetSensor(1200)->SetLast(50 + 30 * std::sin(t * 0.01) + 5 * std::sin(t * 0.7));
        Stream->GetSensor(1303)->SetLast(50 + 20 * std::cos(t * 0.003));
        Stream->GetSensor(103)->SetLast(std::fmod(t * 0.05, 100));
        ++Next;
    }
    void Paint() { Paint(*Chart, Image); }
    static void Paint(TWKChart& Chart, QImage& Image) {
        Image.fill(Qt::white);
        QPainter p(&Image);
        Chart.FieldPaintRequest(Chart.Fields().Items(0), p);
    }
};

void BM_RealTimeChartPollAfterNewRecord(benchmark::State& state) {
    TLiveChart live;
    for (auto _ : state) {
        live.AddRecord();
        live.Chart->UpdateData();
        live.Paint();
    }
}
BENCHMARK(BM_RealTimeChartPollAfterNewRecord)->Unit(benchmark::kMillisecond);

void BM_RealTimeChartThinnedWhileDragging(benchmark::State& state) {
    TLiveChart live;
    QWidget* strip = live.Chart->Fields().Items(0)->Scales().Items(0)->Control();
    const QPointF mid(strip->width() / 2.0, strip->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, mid, strip->mapToGlobal(mid), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(strip, &press);
    if (!TScaleControl::AnyHoldsCapture()) state.SkipWithError("the strip did not take the capture");
    for (auto _ : state) live.Paint();
    QMouseEvent release(QEvent::MouseButtonRelease, mid, strip->mapToGlobal(mid), Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(strip, &release);
}
BENCHMARK(BM_RealTimeChartThinnedWhileDragging)->Unit(benchmark::kMillisecond);

// The workstation's tick with twenty chart forms tiled on a 1920x1080 screen
// (four by five, 480x216 each), all on the same live stream: one new record,
// then every chart's poll update and repaint.
void BM_RealTimeTwentyFormsTick(benchmark::State& state) {
    TLiveChart live(QSize(480, 216));
    std::vector<std::unique_ptr<TWKChart>> charts;
    std::vector<QImage> images;
    charts.push_back(std::move(live.Chart));
    while (charts.size() < 20) charts.push_back(live.MakeChart(QSize(480, 216)));
    for (auto& c : charts) images.emplace_back(c->Fields().Items(0)->Client()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        live.AddRecord();
        for (size_t i = 0; i < charts.size(); ++i) {
            charts[i]->UpdateData();
            TLiveChart::Paint(*charts[i], images[i]);
        }
    }
    charts.clear();
}
BENCHMARK(BM_RealTimeTwentyFormsTick)->Unit(benchmark::kMillisecond);
}  // namespace
