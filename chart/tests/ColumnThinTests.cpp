#include "KXColumnThin.h"

#include "ChartTestSupport.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {
// A dense line as a live chart projects it: a dozen points per column with
// swings, a gap drawn at -1 (a missing value), points piled at the clamp
// position -3000 left of the area and values beyond the area's far edge.
std::vector<QPoint> DenseLine(unsigned Seed, int Count, int Columns, int Across, bool Down) {
    std::mt19937 rng(Seed);
    std::uniform_int_distribution<int> swing(-6, 6), jump(0, 99);
    std::vector<QPoint> pts;
    int v = Across / 2;
    for (int i = 0; i < Count; ++i) {
        int column = i * Columns / Count;
        if (i < Count / 20) column = -3000;
        v = std::clamp(v + swing(rng), -20, Across + 20);
        int value = v;
        const int r = jump(rng);
        if (r == 0) value = -1;
        else if (r == 1) value = Across + 40;
        pts.push_back(Down ? QPoint(value, column) : QPoint(column, value));
    }
    return pts;
}

QImage Draw(const std::function<void(QPainter&)>& Paint, const QPen& Pen, QSize Size, QPoint Shift) {
    QImage img(Size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.translate(Shift);
    p.setPen(Pen);
    Paint(p);
    return img;
}

}  // namespace

TEST(ColumnThinning, DrawsTheWholeLineToWithinAPixel) {
    struct TCase {
        const char* What;
        bool Down;
        QPen Pen;
        QPoint Shift;
        bool Backwards = false;  // the line runs towards the lower columns
    };
    QPen flat(Qt::darkGreen, 1);
    flat.setCapStyle(Qt::FlatCap);
    QPen round(Qt::red, 1);
    round.setCapStyle(Qt::RoundCap);
    const TCase cases[] = {
        {"across, one-pixel pen", false, QPen(Qt::blue, 1), {}},
        {"down the area", true, QPen(Qt::blue, 1), {}},
        {"cosmetic pen", false, QPen(Qt::black, 0), {}},
        {"flat caps", false, flat, {}},
        {"round caps, down", true, round, {}},
        {"painter moved", false, QPen(Qt::magenta, 1), QPoint(7, -3)},
        {"backwards", false, QPen(Qt::blue, 1), {}, true},
        {"backwards, down", true, QPen(Qt::blue, 1), {}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const QSize size = c.Down ? QSize(200, 300) : QSize(300, 200);
            std::vector<QPoint> pts = DenseLine(seed, 3601, 280, 200, c.Down);
            if (c.Backwards) std::reverse(pts.begin(), pts.end());
            const int count = static_cast<int>(pts.size());
            const QImage whole = Draw([&](QPainter& p) { p.drawPolyline(pts.data(), count); }, c.Pen, size, c.Shift);
            TColumnSpanBuffers buffer;
            const QPen before = c.Pen;
            const QImage spans = Draw(
                [&](QPainter& p) {
                    DrawPolylineColumns(p, pts.data(), count, c.Down, buffer);
                    EXPECT_EQ(p.pen(), before) << "the painter's pen is given back";
                    EXPECT_EQ(p.brush(), QBrush()) << "and its brush";
                },
                c.Pen, size, c.Shift);
            std::vector<QLine> lines(pts.size() * 2);
            EXPECT_LE(PolylineColumnSpans(pts.data(), count, c.Down, lines.data()), 281)
                << "a line per column and the step from the clamped points";
            EXPECT_EQ(PixelsOffTheLine(whole, spans, c.Pen.color().rgb(), c.Down).toStdString(), "") << "seed " << seed;
        }
    }
}

TEST(ColumnThinning, OneLinePerColumnAndSegmentsForLongerSteps) {
    // Column 0: 3 5 1, then a step of four pixels to column 1, whose pixels but
    // the last stay in column 0; column 1: 5 2 7, a step of one pixel to column 2
    // (nothing of it stays in column 1); column 2: 8 alone, where a step of three
    // columns starts, drawn as a segment; column 5: 6 alone is that segment's end;
    // a step of four pixels back to column 4 (2) puts all of them but 6 into
    // column 4, which ends the line.
    const std::vector<QPoint> pts = {{0, 3}, {0, 5}, {0, 1}, {1, 5}, {1, 2}, {1, 7},
                                     {2, 8}, {5, 6}, {4, 2}};
    std::vector<QLine> lines(pts.size() * 2);
    const int n = PolylineColumnSpans(pts.data(), static_cast<int>(pts.size()), false, lines.data());
    const std::vector<QLine> expected = {QLine(0, 1, 0, 5), QLine(1, 2, 1, 7), QLine(QPoint(2, 8), QPoint(5, 6)),
                                         QLine(4, 2, 4, 5)};
    EXPECT_EQ(std::vector<QLine>(lines.begin(), lines.begin() + n), expected);

    // Rows instead of columns (the step of two pixels leaves one in row 0); a
    // segment's end alone in the last row draws nothing more.
    const std::vector<QPoint> down = {{5, 0}, {7, 0}, {9, 1}, {9, 4}};
    const int m = PolylineColumnSpans(down.data(), 4, true, lines.data());
    const std::vector<QLine> rows = {QLine(5, 0, 8, 0), QLine(QPoint(9, 1), QPoint(9, 4))};
    EXPECT_EQ(std::vector<QLine>(lines.begin(), lines.begin() + m), rows);

    EXPECT_EQ(PolylineColumnSpans(pts.data(), 1, false, lines.data()), 0) << "a single point is no line";
}

TEST(ColumnThinning, OnlyWhereThePenDrawsEveryPixelAlike) {
    QImage img(20, 20, QImage::Format_RGB32);
    QPainter p(&img);
    struct TCase {
        const char* What;
        std::function<void(QPainter&)> Set;
        bool Keeps;
    };
    const TCase cases[] = {
        {"thin solid opaque pen", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); }, true},
        {"cosmetic pen", [](QPainter& d) { d.setPen(QPen(Qt::blue, 0)); }, true},
        {"moved painter", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); d.translate(3, 4); }, true},
        {"wide pen", [](QPainter& d) { d.setPen(QPen(Qt::blue, 2)); }, false},
        {"dashes follow the path length", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1, Qt::DashLine)); }, false},
        {"translucent colour shows overdraw", [](QPainter& d) { d.setPen(QPen(QColor(0, 0, 255, 128), 1)); }, false},
        {"antialiasing", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); d.setRenderHint(QPainter::Antialiasing); }, false},
        {"scaled", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); d.scale(2, 2); }, false},
        {"half opacity", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); d.setOpacity(0.5); }, false},
        {"xor", [](QPainter& d) { d.setPen(QPen(Qt::blue, 1)); d.setCompositionMode(QPainter::RasterOp_SourceXorDestination); }, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        p.save();
        c.Set(p);
        EXPECT_EQ(ColumnSpansFit(p), c.Keeps);
        p.restore();
    }
}
