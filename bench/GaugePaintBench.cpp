// Painting of the dial gauge: one 250 x 250 frame with every layer (face,
// outline, rim, two sections, ticks and labels, arc, threshold band,
// read-out, caption, an extra needle, the needle, centre cap and gloss):
// as a new value or an animation step draws it (the background layer kept),
// and after a change of a setting (the background layer drawn anew).
#include "SmoothDial.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {
void Setup(TSmoothDial& d) {
    d.SetAnimation(false);
    d.SetComponentStyle(tsOffice2007Luna);
    d.SetDialText("WOB, t");
    d.SetValue(63.2);
    d.Arc()->Threshold()->SetCenter(80);
    TSmoothDialSection* low = d.Sections()->Add();
    low->SetStartValue(0);
    low->SetEndValue(30);
    low->SetColor(clLime);
    TSmoothDialSection* high = d.Sections()->Add();
    high->SetStartValue(85);
    high->SetEndValue(100);
    high->SetColor(clRed);
    high->SetSectionType(stBorder);
    d.ExtraNeedles()->Add()->SetValue(40);
}

void BM_SmoothDialFrame250(benchmark::State& state) {
    TSmoothDial d;
    Setup(d);
    QImage image(250, 250, QImage::Format_ARGB32_Premultiplied);
    int i = 0;
    for (auto _ : state) {
        d.SetValue(++i % 2 ? 63.2 : 64.7);
        image.fill(Qt::transparent);
        QPainter g(&image);
        d.Paint(g);
    }
}
BENCHMARK(BM_SmoothDialFrame250)->Unit(benchmark::kMillisecond);

void BM_SmoothDialFrame250AfterSettingChange(benchmark::State& state) {
    TSmoothDial d;
    Setup(d);
    QImage image(250, 250, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.Changed();
        image.fill(Qt::transparent);
        QPainter g(&image);
        d.Paint(g);
    }
}
BENCHMARK(BM_SmoothDialFrame250AfterSettingChange)->Unit(benchmark::kMillisecond);
}  // namespace
