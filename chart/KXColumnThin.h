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
#include <vector>

class QPainter;

// Writes the lines that draw the polyline through Points into Lines, which has
// room for 2 * Count of them: one along each pixel column the line crosses
// (a row when Down: the X axis runs down the plot) and one for each step of more
// than a column. A column whose only pixel ends such a step gets no line. Fewer
// than two points draw nothing. Returns the number of lines.
int PolylineColumnSpans(const QPoint* Points, int Count, bool Down, QLine* Lines);

// Draws the polyline through Points as PolylineColumnSpans gives it, with the
// painter's pen drawing both ends of every line. Buffer holds the lines.
void DrawPolylineColumns(QPainter& DC, const QPoint* Points, int Count, bool Down, std::vector<QLine>& Buffer);

// Whether the painter, as set up now, draws those lines as it would draw the
// polyline: the raster engine without antialiasing, a solid opaque pen at most
// one pixel wide, a plain copy of the colour (no blending that a pixel drawn
// twice would show) and no scaling or rotation.
bool ColumnSpansFit(const QPainter& DC);
