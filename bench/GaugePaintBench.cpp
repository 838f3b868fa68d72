// Painting of the dial gauge: one 250 x 250 frame with every layer (face,
// outline, rim, two sections, ticks and labels, arc, threshold band,
// read-out, caption, an extra needle, the needle, centre cap and gloss).
#include "SmoothDial.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {
void BM_SmoothDialFrame250(benchmark::State& state) {
    TSmoothDial d;
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
    QImage image(250, 250, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter g(&image);
        d.Paint(g);
    }
}
BENCHMARK(BM_SmoothDialFrame250)->Unit(benchmark::kMillisecond);
}  // namespace
