#pragma once
// Turns a polyline in floating-point plot-area coordinates into what a painter
// draws fast and true: a NaN point breaks the line, an infinite coordinate runs
// to the edge it points to, every segment is clipped to the area where it
// really crosses its edge, and the points that fall into one pixel column (or
// row, for lines running down) are thinned to the pixels they cover. The buffers are kept between paints, so drawing allocates nothing.
#include <QLine>
#include <QPoint>
#include <QRect>
#include <vector>

#pragma GCC visibility push(default)

class QPainter;

class TLinePath {
public:
    // Starts a new picture for an area; Down: the line runs down the area (depth
    // charts), so points are thinned per pixel row instead of per column.
    void Begin(const QRect& Area, bool Down);
    // Appends the points (X[i], Y[i]); a NaN coordinate breaks the line there.
    void Add(const double* X, const double* Y, int Count);
    // Appends the points (X[i] × KX + CX, Y[i] × KY + CY): values mapped to pixels on the
    // way, without a buffer in between.
    void AddMapped(const double* X, double KX, double CX, const double* Y, double KY, double CY, int Count);
    // Ends the current piece of line (the next point starts a new one).
    void Break();
    // Draws the pieces with the painter's pen, Width times, each copy moved one more
    // pixel by Step (a thick line across its direction).
    void Draw(QPainter& DC, int Width, QPoint Step);

    // Ends the last piece, for a caller that draws the pieces itself.
    void End() { EndPiece(); }
    int PieceCount() const { return static_cast<int>(FPieces.size()); }
    // Start and count in Points of every piece.
    const std::vector<std::pair<int, int>>& Pieces() const { return FPieces; }
    const std::vector<QPoint>& Points() const { return FPoints; }

private:
    template <bool Down, class TSource>
    void AddRun(const TSource& Source, int Count);
    void AddPoint(double X, double Y);
    void AddInfinite(double X, double Y);
    void Segment(double X0, double Y0, double X1, double Y1);
    void Put(double X, double Y);
    void PutPixel(int X, int Y);
    void FlushColumn();
    void EndPiece();

    QRect FArea;
    double FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    bool FDown = false;
    bool FHavePrev = false;
    double FPrevX = 0, FPrevY = 0;
    // The last point lay at infinity: across (X) or along (Y) beyond the edge FPendingEdge.
    enum class TPending { None, Across, Along };
    TPending FPending = TPending::None;
    double FPendingEdge = 0;
    bool FOpen = false;  // a piece is being written
    // pixels of the current column: first, lowest, highest and last across it
    bool FHaveColumn = false;
    int FColumn = 0, FFirst = 0, FLow = 0, FHigh = 0, FLast = 0, FColumnCount = 0;
    std::vector<QPoint> FPoints;
    std::vector<std::pair<int, int>> FPieces;  // start and count in FPoints
    std::vector<QLine> FLines;
    std::vector<QPoint> FDots;  // pieces of one point
    int FPieceStart = 0;
};

#pragma GCC visibility pop
