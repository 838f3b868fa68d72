// Painting of the chart: one series of a million points into a 1920-pixel
// track, and a chart of 8 fields with 4 series each after one new record.
#include "Kurvex.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {
// Resizes the chart so that the plot areas are `width` pixels wide.
void SetPlotWidth(TGraphion& c, TChartField* f, int width, int height) {
    c.show();
    c.resize(width + 200, height);
    c.resize(c.width() + width - f->Client()->width(), height);
}

void PaintField(TGraphion& c, TChartField* f, QImage& img) {
    img.fill(Qt::white);
    QPainter p(&img);
    c.FieldPaintRequest(f, p);
}

void BM_PaintMillionPointSeries(benchmark::State& state) {
    const int n = 1000000;
    TGraphion c;
    TChartField* f = c.Fields().Add();
    TScale* s = f->Scales().Add();
    s->SetMinMax(0, 100);
    SetPlotWidth(c, f, 1920, 600);
    TMemChartTable t;
    t.SetCapacity(n);
    TMemPointArray* x = t.AddArray("x");
    TMemPointArray* y = t.AddArray("y");
    for (int i = 0; i < n; ++i) {
        x->Add(i);
        y->Add(50 + 45 * std::sin(i * 0.0007) + 3 * std::sin(i * 0.37));
    }
    c.XScale()->SetLimits(0, n, false);
    c.XScale()->SetMinMax(0, n);
    auto* series = new TRLineSeries(&c);
    c.InsertSeries(series);
    series->SetTable(&t);
    series->SetFID("y");
    series->SetFXID("x");
    QImage img(f->Client()->size(), QImage::Format_RGB32);
    for (auto _ : state) PaintField(c, f, img);
    state.counters["track_px"] = f->Client()->width();
}
BENCHMARK(BM_PaintMillionPointSeries)->Unit(benchmark::kMillisecond);

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
