#include "KXCursors.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <array>

namespace {
constexpr int Size = 32;
constexpr int Mid = Size / 2 - 1;

// A double arrow across the cursor with a bar at the start end, the far end or
// both; Down turns it to run top to bottom.
QPixmap StripCursorPicture(bool Start, bool End, bool Down) {
    QPixmap pm(Size, Size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    auto at = [Down](int along, int across) { return Down ? QPoint(Mid + across, along) : QPoint(along, Mid + across); };
    const int from = 6, to = Size - 7;
    // Drawn twice, white and wide under black and narrow, so that it shows on any colour.
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, std::pair{QColor(Qt::black), 1}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(colour);
        p.drawLine(at(from, 0), at(to, 0));
        p.drawPolygon(QPolygon({at(from, 0), at(from + 4, -4), at(from + 4, 4)}));
        p.drawPolygon(QPolygon({at(to, 0), at(to - 4, -4), at(to - 4, 4)}));
        if (Start) p.drawLine(at(from - 4, -7), at(from - 4, 7));
        if (End) p.drawLine(at(to + 4, -7), at(to + 4, 7));
    }
    return pm;
}
}  // namespace

QCursor ChartCursor(int Index) {
    static const std::array<QCursor, 6> cursors = [] {
        std::array<QCursor, 6> c;
        for (int k = 0; k < 6; ++k) {
            const bool down = k >= 3;
            const int part = k % 3;
            c[static_cast<size_t>(k)] = QCursor(StripCursorPicture(part != 2, part != 0, down), Mid, Mid);
        }
        return c;
    }();
    if (Index < crHorMin || Index > crVertMax) return QCursor(Qt::ArrowCursor);
    return cursors[static_cast<size_t>(Index - crHorMin)];
}
