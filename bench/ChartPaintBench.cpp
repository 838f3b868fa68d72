// Painting of the chart: a million points into a 1920 × 1080 image beside the
// same data drawn by QCustomPlot (the reference, adaptive sampling on), and a
// chart of 8 fields with 4 series each after one new record.
#include "Kurvex.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <cmath>
#include <memory>
#include <random>

namespace {
constexpr int MillionPoints = 1000000;
const QSize ImageSize(1920, 1080);

// y = sin + noise over x = index, the same for both painters.
struct TMillionPoints {
    QVector<double> X, Y;
    TMillionPoints() : X(MillionPoints), Y(MillionPoints) {
        std::mt19937 rng(17);
        std::normal_distribution<double> noise(0, 3);
        for (int i = 0; i < MillionPoints; ++i) {
            X[i] = i;
            Y[i] = 50 + 40 * std::sin(i * 0.00002) + noise(rng);
        }
    }
};

const TMillionPoints& MillionData() {
    static const TMillionPoints data;
    return data;
}

void PaintField(TGraphion& c, TChartField* f, QImage& img) {
    img.fill(Qt::white);
    QPainter p(&img);
    c.FieldPaintRequest(f, p);
}

void BM_ChartPaintMillion(benchmark::State& state) {
    const TMillionPoints& data = MillionData();
    TGraphion c;
    TChartField* f = c.Fields().Add();
    TScale* s = f->Scales().Add();
    s->SetMinMax(0, 100);
    c.show();
    // a chart whose plot area is as large as the image
    c.resize(ImageSize.width() + 200, ImageSize.height() + 200);
    c.resize(c.width() + ImageSize.width() - f->Client()->width(), c.height() + ImageSize.height() - f->Client()->height());
    TMemChartTable t;
    t.SetCapacity(MillionPoints);
    TMemPointArray* x = t.AddArray("x");
    TMemPointArray* y = t.AddArray("y");
    for (int i = 0; i < MillionPoints; ++i) {
        x->Add(data.X[i]);
        y->Add(data.Y[i]);
    }
    c.XScale()->SetLimits(0, MillionPoints, false);
    c.XScale()->SetMinMax(0, MillionPoints);
    auto* series = new TRLineSeries(&c);
    c.InsertSeries(series);
    series->SetTable(&t);
    series->SetFID("y");
    series->SetFXID("x");
    series->SetPen(QPen(Qt::blue, 1));
    QImage img(ImageSize, QImage::Format_RGB32);
    for (auto _ : state) PaintField(c, f, img);
    state.counters["plot_w"] = f->Client()->width();
    state.counters["plot_h"] = f->Client()->height();
}
BENCHMARK(BM_ChartPaintMillion)->Unit(benchmark::kMillisecond);

void BM_QCustomPlotPaintMillion(benchmark::State& state) {
    const TMillionPoints& data = MillionData();
    QCustomPlot plot;
    plot.resize(ImageSize);
    QCPGraph* g = plot.addGraph();
    g->setData(data.X, data.Y, true);
    g->setPen(QPen(Qt::blue, 1));
    g->setAdaptiveSampling(true);
    plot.xAxis->setRange(0, MillionPoints);
    plot.yAxis->setRange(0, 100);
    QImage img(ImageSize, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QCPPainter p(&img);
        plot.toPainter(&p, ImageSize.width(), ImageSize.height());
    }
}
BENCHMARK(BM_QCustomPlotPaintMillion)->Unit(benchmark::kMillisecond);

void BM_Chart8x4AfterNewRecord(benchmark::State& state) {
    const int window = 3600;  // an hour of one-second records in view
    TGraphion c;
    c.show();
    c.resize(1920, 1080);
    TMemChartTable t;
    t.SetCapacity(20000);
    TMemPointArray* x = t.AddArray("x");
    std::vector<TMemPointArray*> ys;
    for (int fi = 0; fi < 8; ++fi) {
        TChartField* f = c.Fields().Add();
        for (int k = 0; k < 4; ++k) {
            f->Scales().Add()->SetMinMax(0, 100);
            ys.push_back(t.AddArray(fi * 4 + k));
            auto* s = new TRLineSeries(&c);
            s->SetFieldInd(fi);
            s->SetScaleInd(k);
            c.InsertSeries(s);
            s->SetTable(&t);
            s->SetFID(fi * 4 + k);
            s->SetFXID("x");
        }
    }
    int next = 0;
    auto addRecord = [&] {
        t.AddRow();
        x->SetLastValue(next);
        for (size_t k = 0; k < ys.size(); ++k) ys[k]->SetLastValue(50 + 40 * std::sin(next * 0.01 + static_cast<double>(k)));
        ++next;
    };
    for (int i = 0; i < 20000; ++i) addRecord();
    c.XScale()->SetLimits(0, next, false);
    c.XScale()->SetMinMax(next - window, next);
    std::vector<QImage> images;
    for (int i = 0; i < c.Fields().Count(); ++i)
        images.emplace_back(c.Fields().Items(i)->Client()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        addRecord();
        c.XScale()->SetLimits(0, next, true);  // the window follows the newest record
        for (int i = 0; i < c.Fields().Count(); ++i) PaintField(c, c.Fields().Items(i), images[static_cast<size_t>(i)]);
    }
}
BENCHMARK(BM_Chart8x4AfterNewRecord)->Unit(benchmark::kMillisecond);
}  // namespace
