#include "KXColumnThin.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

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
    auto put = [&](const QPoint& p) {
        if (Points[w - 1] != p) Points[w++] = p;
    };
    // A run is read whole before it is written, and it never writes more points
    // than it has, so writing stays behind reading.
    for (int i = head; i < tail;) {
        const int c = column(Points[i]);
        int lo = i, hi = i, j = i + 1;
        for (; j < tail && column(Points[j]) == c; ++j) {
            if (across(Points[j]) < across(Points[lo])) lo = j;
            if (across(Points[j]) > across(Points[hi])) hi = j;
        }
        const QPoint first = Points[i], last = Points[j - 1], low = Points[lo], high = Points[hi];
        // A run's first point never repeats the point before it: that one lies in another column.
        Points[w++] = first;
        put(lo <= hi ? low : high);
        put(lo <= hi ? high : low);
        put(last);
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
