#pragma once
// Thinning of an already projected polyline to the points that decide its pixels.
// A thin solid pen covers, in a pixel column that a run of consecutive points
// shares, every pixel between the run's lowest and highest point, and it joins the
// neighbouring columns at the run's first and last point. The stroker places the
// pixels of a join by the direction and the last pixel of the segment before it,
// so the segments entering and leaving the column are kept too: the first, second,
// lowest, highest, second-to-last and last point, in path order, draw the same
// pixels as the whole run. A live chart has a dozen records per column, so this
// saves half the segments the stroker walks.
#include <QPoint>

class QPainter;

// Shrinks every run of consecutive points that share a column (a row when Down:
// the X axis runs down the plot) to the six points above, in path order and
// without repeats. The first and the last run stay whole, so the
// ends of the line, where the pen's caps apply, are drawn point for point.
// Works in place; returns the new count.
int ThinPolylineColumns(QPoint* Points, int Count, bool Down);

// Whether the painter, as set up now, draws a thinned polyline with exactly the
// pixels of the full one: the raster engine without antialiasing, a solid opaque
// pen at most one pixel wide, a plain copy of the colour (no blending that a pixel
// drawn twice would show) and no scaling or rotation.
bool ThinningKeepsPixels(const QPainter& DC);
