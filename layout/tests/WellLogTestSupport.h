#pragma once
// Well-log documents with data blocks made in the test, and drawing a
// document's pages onto a recording canvas.
#include "LayoutTestSupport.h"
#include "PrintComments.h"
#include "PrintSeries.h"

#include <QImage>

#include <limits>
#include <utility>
#include <vector>

namespace LayoutTests {

inline constexpr double Empty = std::numeric_limits<double>::quiet_NaN();

using TColumnValues = std::pair<QString, std::vector<double>>;

// A block of double columns indexed by "__DEPTH__"; NaN rows are empty.
Plotmere::TDataBlock* AddBlock(Plotmere::TSketchDocument& doc, const QString& source, const QString& name,
                               const std::vector<double>& index, const std::vector<TColumnValues>& columns,
                               const QString& group = QString());

// A depth document from min to max at scale metres per mm, grid step step,
// on a fixed A4 page.
void SetUpDepthDocument(Plotmere::TSketchDocument& doc, double min, double max, double scale, double step);

// A track with a line curve of column gid of source "SRC".
Plotmere::TPrintLineSeries* AddLineCurve(Plotmere::TPrintField* field, const QString& gid, double min, double max,
                                         TColor color);

// A LAS file of one well, 0 - 100 m every 0.1 m: GR in 0..100, empty
// strictly between 40 and 50 m; RES from 1 to 1000, a straight line on a
// logarithmic track of three decades.
void WriteWellLas(const QString& path);

// A track at the given place, and a comment at offset x and index value.
Plotmere::TPrintField* AddTrack(Plotmere::TPrintItem* parent, int left, int top, int width);
Plotmere::TPrintComment* AddComment(Plotmere::TPrintItem* root, double x, double value, const QString& text);

// The pixel has the colour (alpha aside).
inline bool IsColour(const QImage& image, int x, int y, QRgb colour) {
    return (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}

// Lays the document out and draws every page on a bitmap device of the
// canvas's resolution.
void RenderPages(Plotmere::TPrintDocument& doc, TRecordingCanvas& canvas);

}  // namespace LayoutTests
