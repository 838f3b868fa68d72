#pragma once
// A dense projected polyline drawn as one short line per pixel column.
// A live chart puts a dozen records into each pixel column. A thin solid pen
// covers, in such a column, one unbroken run of pixels: from the lowest to the
// highest point of the column, with the part of the joins to its neighbours
// that falls into it. One line per column draws that run, so the stroker walks
// a few hundred short lines where the whole polyline has thousands of
// segments. Steps of more than one column stay segments of their own. The
// picture differs from the whole polyline's at most by a pixel next to a turn,
// where the stroker's joins place a pixel of their own.
#include <QLine>
#include <QPoint>
#include <QRect>
#include <vector>

#pragma GCC visibility push(default)

class QPainter;

// Writes the lines that draw the polyline through Points into Lines, which has
// room for 2 * Count of them: one along each pixel column the line crosses
// (a row when Down: the X axis runs down the plot) and one for each step of more
// than a column. A column whose only pixel ends such a step gets no line. Fewer
// than two points draw nothing. Returns the number of lines.
int PolylineColumnSpans(const QPoint* Points, int Count, bool Down, QLine* Lines);

// Room for the lines and for the rectangles they become.
struct TColumnSpanBuffers {
    std::vector<QLine> Lines;
    std::vector<QRect> Rects;
};

// Draws the polyline through Points as PolylineColumnSpans gives it, both ends
// of every line included: a line along a column or a row as a rectangle one
// pixel wide in the pen's colour (the raster engine fills those several times
// faster than it strokes them), any other with the pen. The painter's pen and
// brush are as they were afterwards.
void DrawPolylineColumns(QPainter& DC, const QPoint* Points, int Count, bool Down, TColumnSpanBuffers& Buffers);

// Whether the painter, as set up now, draws those lines as it would draw the
// polyline: the raster engine without antialiasing, a solid opaque pen at most
// one pixel wide, a plain copy of the colour (no blending that a pixel drawn
// twice would show) and no scaling or rotation.
bool ColumnSpansFit(const QPainter& DC);

#pragma GCC visibility pop
