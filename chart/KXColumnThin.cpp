#include "KXColumnThin.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>

int PolylineColumnSpans(const QPoint* Points, int Count, bool Down, QLine* Lines) {
    if (Count < 2) return 0;
    auto column = [Down](const QPoint& p) { return Down ? p.y() : p.x(); };
    auto across = [Down](const QPoint& p) { return Down ? p.x() : p.y(); };
    auto span = [Down](int c, int from, int to) { return Down ? QLine(from, c, to, c) : QLine(c, from, c, to); };
    int n = 0;
    int c = column(Points[0]), lo = across(Points[0]), hi = lo;
    // The column was entered by a step of its own, which already draws its
    // first pixel.
    bool entered = false;
    for (int i = 1; i < Count; ++i) {
        const QPoint& p = Points[i - 1];
        const QPoint& q = Points[i];
        const int qc = column(q), qa = across(q);
        if (qc == c) {
            lo = std::min(lo, qa);
            hi = std::max(hi, qa);
            continue;
        }
        if (qc == c + 1 || qc == c - 1) {
            // A step to a neighbouring column that rises or falls by more than a
            // pixel: the stroker draws all of it but the end in the higher column
            // in the lower one.
            const int pa = across(p), d = qa - pa;
            const int s = d > 0 ? 1 : -1;
            const bool steep = d > 1 || d < -1;
            const bool toHigher = qc > c;
            if (toHigher && steep) {
                lo = std::min(lo, qa - s);
                hi = std::max(hi, qa - s);
            }
            if (lo != hi || !entered) Lines[n++] = span(c, lo, hi);
            c = qc;
            lo = std::min(qa, !toHigher && steep ? pa + s : qa);
            hi = std::max(qa, !toHigher && steep ? pa + s : qa);
            entered = false;
            continue;
        }
        // A longer step: the column so far, then the step as a segment; the
        // segment's start is the column's pixel when it has only one.
        if (lo != hi) Lines[n++] = span(c, lo, hi);
        Lines[n++] = QLine(p, q);
        c = qc;
        lo = hi = qa;
        entered = true;
    }
    if (lo != hi || !entered) Lines[n++] = span(c, lo, hi);
    return n;
}

void DrawPolylineColumns(QPainter& DC, const QPoint* Points, int Count, bool Down, TColumnSpanBuffers& Buffers) {
    const size_t room = static_cast<size_t>(std::max(Count, 0)) * 2;
    if (Buffers.Lines.size() < room) Buffers.Lines.resize(room);
    if (Buffers.Rects.size() < room) Buffers.Rects.resize(room);
    const int n = PolylineColumnSpans(Points, Count, Down, Buffers.Lines.data());
    int rects = 0, lines = 0;
    for (int k = 0; k < n; ++k) {
        const QLine& l = Buffers.Lines[static_cast<size_t>(k)];
        if (l.x1() == l.x2() || l.y1() == l.y2())
            Buffers.Rects[static_cast<size_t>(rects++)] = QRect(l.p1(), l.p2()).normalized();
        else
            Buffers.Lines[static_cast<size_t>(lines++)] = l;  // never ahead of k
    }
    const QPen pen = DC.pen();
    const QBrush brush = DC.brush();
    DC.setPen(Qt::NoPen);
    DC.setBrush(pen.color());
    DC.drawRects(Buffers.Rects.data(), rects);
    if (lines > 0) {
        QPen square = pen;
        // A flat cap leaves out a line's last pixel, which is the next column's first.
        square.setCapStyle(Qt::SquareCap);
        DC.setPen(square);
        DC.drawLines(Buffers.Lines.data(), lines);
    }
    DC.setPen(pen);
    DC.setBrush(brush);
}

bool ColumnSpansFit(const QPainter& DC) {
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
