#include "KXColumnThin.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

int ThinPolylineColumns(QPoint* Points, int Count, bool Down) {
    if (Count < 3) return Count;
    auto column = [Down](const QPoint& p) { return Down ? p.y() : p.x(); };
    auto across = [Down](const QPoint& p) { return Down ? p.x() : p.y(); };
    // The first run is [0, head), the last [tail, Count).
    int head = 1;
    while (head < Count && column(Points[head]) == column(Points[0])) ++head;
    int tail = Count - 1;
    while (tail > head && column(Points[tail - 1]) == column(Points[Count - 1])) --tail;
    if (head >= tail) return Count;

    int w = head;
    // A run is read whole before it is written, and it never writes more points
    // than it has, so writing stays behind reading.
    for (int i = head; i < tail;) {
        const int c = column(Points[i]);
        int j = i + 1;
        while (j < tail && column(Points[j]) == c) ++j;
        const int last = j - 1;
        // The stroker joins a segment to the one before by that one's direction
        // and last pixel, so the segments entering and leaving the column stay
        // as they are: the second point and the one before the last are kept.
        int second = i + 1;
        while (second < last && Points[second] == Points[i]) ++second;
        int beforeLast = last - 1;
        while (beforeLast > i && Points[beforeLast] == Points[last]) --beforeLast;
        // An extreme inside the run is a turn, whose pixel the stroker always
        // draws; so an extreme the first point shares is taken where it recurs.
        const int start = across(Points[i]);
        int lo = i, hi = i;
        for (int k = i + 1; k <= last; ++k) {
            const int v = across(Points[k]);
            if (v < across(Points[lo]) || (lo == i && v == start && k > second)) lo = k;
            if (v > across(Points[hi]) || (hi == i && v == start && k > second)) hi = k;
        }
        QPoint kept[6];
        int n = 0;
        auto keep = [&](int k) {
            if (n == 0 || Points[k] != kept[n - 1]) kept[n++] = Points[k];
        };
        keep(i);
        if (second < beforeLast) {
            // Between the kept ends the line only has to reach both extremes: the
            // nearer one first, so that fewer pixels are drawn twice.
            const bool useLo = lo > i && lo <= beforeLast, useHi = hi > i && hi <= beforeLast;
            const int s2 = across(Points[second]), b2 = across(Points[beforeLast]);
            const bool loFirst = std::abs(s2 - across(Points[lo])) + std::abs(across(Points[hi]) - b2) <=
                                 std::abs(s2 - across(Points[hi])) + std::abs(across(Points[lo]) - b2);
            keep(second);
            if (useLo && (loFirst || !useHi)) keep(lo);
            if (useHi) keep(hi);
            if (useLo && !loFirst && useHi) keep(lo);
            keep(beforeLast);
        } else {
            int inner[4] = {std::min(second, last), lo, hi, std::max(beforeLast, i)};
            std::sort(inner, inner + 4);
            for (int k : inner) keep(k);
        }
        keep(last);
        for (int k = 0; k < n; ++k) Points[w++] = kept[k];
        i = j;
    }
    for (int k = tail; k < Count; ++k) Points[w++] = Points[k];
    return w;
}

bool ThinningKeepsPixels(const QPainter& DC) {
    const QPaintEngine* engine = DC.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return false;
    if (DC.testRenderHint(QPainter::Antialiasing)) return false;
    if (DC.device() && DC.device()->devicePixelRatio() != 1) return false;
    if (DC.combinedTransform().type() > QTransform::TxTranslate) return false;
    if (DC.opacity() < 1) return false;
    const QPainter::CompositionMode mode = DC.compositionMode();
    if (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source) return false;
    const QPen& pen = DC.pen();
    return pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern && pen.color().alpha() == 255 &&
           pen.widthF() <= 1;
}
