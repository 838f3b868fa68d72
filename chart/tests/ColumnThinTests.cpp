#include "KXColumnThin.h"

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

QImage Draw(const std::vector<QPoint>& Points, int Count, const QPen& Pen, QSize Size, QPoint Shift = {}) {
    QImage img(Size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.translate(Shift);
    p.setPen(Pen);
    p.drawPolyline(Points.data(), Count);
    return img;
}
}  // namespace

TEST(ColumnThinning, DrawsThePixelsOfTheWholeLine) {
    struct TCase {
        const char* What;
        bool Down;
        QPen Pen;
        QPoint Shift;
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
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const QSize size = c.Down ? QSize(200, 300) : QSize(300, 200);
            std::vector<QPoint> pts = DenseLine(seed, 3601, 280, 200, c.Down);
            const QImage whole = Draw(pts, static_cast<int>(pts.size()), c.Pen, size, c.Shift);
            const int n = ThinPolylineColumns(pts.data(), static_cast<int>(pts.size()), c.Down);
            EXPECT_LT(n, 280 * 6 + 400);
            const QImage thin = Draw(pts, n, c.Pen, size, c.Shift);
            int diff = 0;
            QString where;
            for (int y = 0; y < thin.height(); ++y)
                for (int x = 0; x < thin.width(); ++x)
                    if (thin.pixel(x, y) != whole.pixel(x, y)) {
                        if (++diff < 6) where += QString(" (%1,%2 %3)").arg(x).arg(y).arg(whole.pixel(x, y) == 0xffffffff ? "extra" : "missing");
                    }
            EXPECT_EQ(diff, 0) << "seed " << seed << where.toStdString();
        }
    }
}

TEST(ColumnThinning, KeepsEndsAndOrderAndNeverGrows) {
    // Column 0: 3 5 1 (first run, whole); column 1: 4 6 9 2 7 9 3 4 -> 4 6 9 2 3 4 (first,
    // second, highest, lowest, second-to-last, last in path order); column 2: 6 6 -> 6;
    // column 3: 1 8 8 (last run, whole).
    std::vector<QPoint> pts = {{0, 3}, {0, 5}, {0, 1}, {1, 4}, {1, 6}, {1, 9}, {1, 2}, {1, 7}, {1, 9},
                               {1, 3}, {1, 4}, {2, 6}, {2, 6}, {3, 1}, {3, 8}, {3, 8}};
    const int n = ThinPolylineColumns(pts.data(), static_cast<int>(pts.size()), false);
    const std::vector<QPoint> expected = {{0, 3}, {0, 5}, {0, 1}, {1, 4}, {1, 6}, {1, 9}, {1, 2},
                                          {1, 3}, {1, 4}, {2, 6}, {3, 1}, {3, 8}, {3, 8}};
    EXPECT_EQ(std::vector<QPoint>(pts.begin(), pts.begin() + n), expected);

    // Rows instead of columns; repeats around the ends of a run are skipped; a line
    // in one row or of two points stays as it is.
    std::vector<QPoint> down = {{5, 0}, {7, 1}, {7, 1}, {3, 1}, {5, 1}, {6, 1}, {9, 1}, {8, 1}, {4, 1}, {4, 1}, {6, 2}};
    EXPECT_EQ(ThinPolylineColumns(down.data(), 11, true), 7);
    const std::vector<QPoint> rows = {{5, 0}, {7, 1}, {3, 1}, {9, 1}, {8, 1}, {4, 1}, {6, 2}};
    EXPECT_EQ(std::vector<QPoint>(down.begin(), down.begin() + 7), rows);
    std::vector<QPoint> flat = {{4, 0}, {4, 9}, {4, 3}, {4, 9}};
    EXPECT_EQ(ThinPolylineColumns(flat.data(), 4, false), 4);
    EXPECT_EQ(ThinPolylineColumns(flat.data(), 2, false), 2);
}

TEST(ColumnThinning, OnlyWherePixelsStayTheSame) {
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
        EXPECT_EQ(ThinningKeepsPixels(p), c.Keeps);
        p.restore();
    }
}
