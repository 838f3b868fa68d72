#include "KXLinePath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
// Far enough outside the area that a clipped end never shows, near enough that
// pixel coordinates stay small integers.
constexpr double Margin = 2;

enum : unsigned { OutLeft = 1, OutRight = 2, OutTop = 4, OutBottom = 8 };

// Rounds to the nearest integer, ties to even, as the projection does (the default
// floating-point mode); only for coordinates well inside the int range, which
// clipped coordinates are. Adding 1.5 × 2^52 leaves the integer in the low bits.
inline int RoundPixel(double v) {
    const double shifted = v + 6755399441055744.0;
    std::int64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<int>(bits);
}

// Points as they are.
struct TPlainSource {
    const double* X;
    const double* Y;
    double PointX(int i) const { return X[i]; }
    double PointY(int i) const { return Y[i]; }
};

// Values mapped to pixels on the way.
struct TMappedSource {
    const double* X;
    double KX, CX;
    const double* Y;
    double KY, CY;
    double PointX(int i) const { return X[i] * KX + CX; }
    double PointY(int i) const { return Y[i] * KY + CY; }
};
}  // namespace

void TLinePath::Begin(const QRect& Area, bool Down) {
    FArea = Area;
    FLeft = Area.left() - Margin;
    FTop = Area.top() - Margin;
    FRight = Area.right() + Margin;
    FBottom = Area.bottom() + Margin;
    FDown = Down;
    FHavePrev = false;
    FPending = TPending::None;
    FOpen = false;
    FHaveColumn = false;
    FPoints.clear();
    FPieces.clear();
    FPieceStart = 0;
}

void TLinePath::Add(const double* X, const double* Y, int Count) {
    const TPlainSource source{X, Y};
    if (FDown) AddRun<true>(source, Count);
    else AddRun<false>(source, Count);
}

void TLinePath::AddMapped(const double* X, double KX, double CX, const double* Y, double KY, double CY, int Count) {
    const TMappedSource source{X, KX, CX, Y, KY, CY};
    if (FDown) AddRun<true>(source, Count);
    else AddRun<false>(source, Count);
}

// The hot loop: points inside the area while a piece is open go straight into the
// column being gathered, kept in locals; anything else takes the general way.
template <bool Down, class TSource>
void TLinePath::AddRun(const TSource& Source, int Count) {
    const double l = FLeft, t = FTop, r = FRight, b = FBottom;
    int i = 0;
    while (i < Count) {
        if (!FOpen || !FHaveColumn || FPending != TPending::None) {
            AddPoint(Source.PointX(i), Source.PointY(i));
            ++i;
            continue;
        }
        const int entered = i;
        int column = FColumn, first = FFirst, low = FLow, high = FHigh, last = FLast, count = FColumnCount;
        for (; i < Count; ++i) {
            const double x = Source.PointX(i), y = Source.PointY(i);
            // NaN fails every comparison and leaves the fast way too
            if (!(x >= l && x <= r && y >= t && y <= b)) break;
            const int a = RoundPixel(Down ? y : x), v = RoundPixel(Down ? x : y);
            if (a == column) {
                low = std::min(low, v);
                high = std::max(high, v);
                last = v;
                ++count;
                continue;
            }
            auto at = [](int col, int across) { return Down ? QPoint(across, col) : QPoint(col, across); };
            FPoints.push_back(at(column, first));
            if (count > 2) {
                FPoints.push_back(at(column, low));
                FPoints.push_back(at(column, high));
            }
            if (count > 1) FPoints.push_back(at(column, last));
            column = a;
            first = low = high = last = v;
            count = 1;
        }
        FColumn = column;
        FFirst = first;
        FLow = low;
        FHigh = high;
        FLast = last;
        FColumnCount = count;
        if (i > entered) {
            FPrevX = Source.PointX(i - 1);
            FPrevY = Source.PointY(i - 1);
        }
        if (i < Count) {
            AddPoint(Source.PointX(i), Source.PointY(i));
            ++i;
        }
    }
}

void TLinePath::AddPoint(double x, double y) {
    if (std::isnan(x) || std::isnan(y)) {
        Break();
        return;
    }
    if (std::isinf(x) || std::isinf(y)) {
        AddInfinite(x, y);
        return;
    }
    // After an infinite point the line comes back from the edge straight to this one.
    if (FPending != TPending::None) {
        const TPending pending = FPending;
        FPending = TPending::None;
        AddPoint(pending == TPending::Across ? FPendingEdge : x, pending == TPending::Along ? FPendingEdge : y);
    }
    if (!FHavePrev) {
        FHavePrev = true;
        FPrevX = x;
        FPrevY = y;
        if (x >= FLeft && x <= FRight && y >= FTop && y <= FBottom) Put(x, y);
        return;
    }
    // Both ends inside: the segment is drawn as it is.
    if (FOpen && x >= FLeft && x <= FRight && y >= FTop && y <= FBottom) Put(x, y);
    else Segment(FPrevX, FPrevY, x, y);
    FPrevX = x;
    FPrevY = y;
}

void TLinePath::Break() {
    EndPiece();
    FHavePrev = false;
    FPending = TPending::None;
}

// A segment to a point at infinity is, in the limit, a ray from its finite end
// straight to the edge the infinity points to; between two such points the line
// runs beyond that edge, out of sight.
void TLinePath::AddInfinite(double x, double y) {
    if (std::isinf(x) && std::isinf(y)) {
        // No direction to take: nothing is drawn towards it.
        Break();
        return;
    }
    const bool across = std::isinf(x);
    const double edge = across ? (x > 0 ? FRight : FLeft) : (y > 0 ? FBottom : FTop);
    if (FHavePrev) {
        FPending = TPending::None;
        AddPoint(across ? edge : FPrevX, across ? FPrevY : edge);
    }
    FPending = across ? TPending::Across : TPending::Along;
    FPendingEdge = edge;
}

// Cohen-Sutherland clipping of one segment whose start may lie outside.
void TLinePath::Segment(double X0, double Y0, double X1, double Y1) {
    auto code = [this](double x, double y) {
        unsigned c = 0;
        if (x < FLeft) c |= OutLeft;
        else if (x > FRight) c |= OutRight;
        if (y < FTop) c |= OutTop;
        else if (y > FBottom) c |= OutBottom;
        return c;
    };
    const double ex = X1, ey = Y1;
    unsigned c0 = code(X0, Y0), c1 = code(X1, Y1);
    while (true) {
        if (!(c0 | c1)) break;
        if (c0 & c1) {
            EndPiece();
            return;
        }
        const unsigned c = c0 ? c0 : c1;
        // The crossing in extended precision: differences of coordinates near the
        // double range's end (samples of 1e300) neither overflow nor lose the point.
        const long double x0 = X0, y0 = Y0, dx = static_cast<long double>(X1) - x0,
                          dy = static_cast<long double>(Y1) - y0;
        double x, y;
        if (c & OutTop) {
            x = static_cast<double>(x0 + dx * ((FTop - y0) / dy));
            y = FTop;
        } else if (c & OutBottom) {
            x = static_cast<double>(x0 + dx * ((FBottom - y0) / dy));
            y = FBottom;
        } else if (c & OutRight) {
            y = static_cast<double>(y0 + dy * ((FRight - x0) / dx));
            x = FRight;
        } else {
            y = static_cast<double>(y0 + dy * ((FLeft - x0) / dx));
            x = FLeft;
        }
        if (std::isnan(x) || std::isnan(y)) {
            EndPiece();
            return;
        }
        if (c == c0) {
            X0 = x;
            Y0 = y;
            c0 = code(X0, Y0);
        } else {
            X1 = x;
            Y1 = y;
            c1 = code(X1, Y1);
        }
    }
    // The start was clipped: the visible part begins a new piece at the edge.
    if (code(FPrevX, FPrevY)) {
        EndPiece();
        Put(X0, Y0);
    } else if (!FOpen) {
        Put(X0, Y0);
    }
    Put(X1, Y1);
    // The end was clipped: the line leaves the area here.
    if (X1 != ex || Y1 != ey) EndPiece();
}

void TLinePath::Put(double X, double Y) { PutPixel(RoundPixel(X), RoundPixel(Y)); }

void TLinePath::PutPixel(int X, int Y) {
    FOpen = true;
    const int column = FDown ? Y : X, across = FDown ? X : Y;
    if (FHaveColumn && column == FColumn) {
        if (across < FLow) FLow = across;
        if (across > FHigh) FHigh = across;
        FLast = across;
        ++FColumnCount;
        return;
    }
    FlushColumn();
    FHaveColumn = true;
    FColumn = column;
    FFirst = FLow = FHigh = FLast = across;
    FColumnCount = 1;
}

// A column's points draw the pixels between its lowest and highest one and join
// the neighbours at its first and last one: those four points, in path order,
// draw the same.
void TLinePath::FlushColumn() {
    if (!FHaveColumn) return;
    FHaveColumn = false;
    auto at = [this](int across) { return FDown ? QPoint(across, FColumn) : QPoint(FColumn, across); };
    FPoints.push_back(at(FFirst));
    if (FColumnCount > 2) {
        FPoints.push_back(at(FLow));
        FPoints.push_back(at(FHigh));
    }
    if (FColumnCount > 1) FPoints.push_back(at(FLast));
}

void TLinePath::EndPiece() {
    FlushColumn();
    FOpen = false;
    const int end = static_cast<int>(FPoints.size());
    if (end > FPieceStart) FPieces.emplace_back(FPieceStart, end - FPieceStart);
    FPieceStart = end;
}

void TLinePath::Draw(QPainter& DC, int Width, QPoint Step) {
    EndPiece();
    // A solid pen draws the pieces as lines: the run of points inside one pixel column
    // becomes one line from its lowest to its highest pixel, so no pixel is drawn twice
    // over; a patterned pen keeps its pattern along the whole polyline.
    const bool solid = DC.pen().style() == Qt::SolidLine;
    if (solid) {
        FLines.clear();
        FDots.clear();
        auto column = [this](const QPoint& p) { return FDown ? p.y() : p.x(); };
        auto across = [this](const QPoint& p) { return FDown ? p.x() : p.y(); };
        for (const auto& [start, count] : FPieces) {
            const QPoint* p = FPoints.data() + start;
            if (count == 1) {
                FDots.push_back(p[0]);
                continue;
            }
            for (int k = 0; k + 1 < count;) {
                const int c = column(p[k]);
                if (column(p[k + 1]) != c) {
                    FLines.emplace_back(p[k], p[k + 1]);
                    ++k;
                    continue;
                }
                int lo = across(p[k]), hi = lo, j = k;
                while (j + 1 < count && column(p[j + 1]) == c) {
                    ++j;
                    lo = std::min(lo, across(p[j]));
                    hi = std::max(hi, across(p[j]));
                }
                FLines.emplace_back(FDown ? QLine(lo, c, hi, c) : QLine(c, lo, c, hi));
                k = j;
            }
        }
    }
    const int copies = std::max(Width, 1);
    for (int k = 0; k < copies; ++k) {
        if (k > 0) DC.translate(Step);
        if (solid) {
            DC.drawLines(FLines.data(), static_cast<int>(FLines.size()));
            if (!FDots.empty()) DC.drawPoints(FDots.data(), static_cast<int>(FDots.size()));
            continue;
        }
        for (const auto& [start, count] : FPieces) {
            if (count == 1) DC.drawPoint(FPoints[static_cast<size_t>(start)]);
            else DC.drawPolyline(FPoints.data() + start, count);
        }
    }
    if (copies > 1) DC.translate(-Step * (copies - 1));
}
