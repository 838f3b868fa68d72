#pragma once
// Small helpers of the chart tests: synthesised input and a chart with data.
#include "Kurvex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <utility>
#include <vector>

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers mods = {}) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, buttons, mods);
    QCoreApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, p, button, button, mods);
    SendMouse(w, QEvent::MouseButtonRelease, p, button, Qt::NoButton, mods);
}

inline void Drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
    SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
    SendMouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, mods);
    SendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
}

inline void Wheel(QWidget* w, QPoint p, QPoint angleDelta, Qt::KeyboardModifiers mods = {}) {
    QWheelEvent e(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), angleDelta, Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

inline void Wheel(QWidget* w, QPoint p, int delta, Qt::KeyboardModifiers mods = {}) {
    Wheel(w, p, QPoint(0, delta), mods);
}

// Keeps a picture a test checked in the folder named by WK_TEST_ARTIFACTS, when set.
inline void SaveArtifact(const QImage& image, const QString& name) {
    const QByteArray dir = qgetenv("WK_TEST_ARTIFACTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    image.save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

// Where two pictures of a line of colour Line differ by more than the pixel
// next to a turn that the stroker's joins may place: a pixel of the line in
// one picture with none of the line beside it along the same column (row when
// Down) in the other, or any other pixel that differs. Empty when none; else
// the first few places.
inline QString PixelsOffTheLine(const QImage& A, const QImage& B, QRgb Line, bool Down) {
    auto line = [Line](const QImage& img, int x, int y) {
        return x >= 0 && y >= 0 && x < img.width() && y < img.height() && img.pixel(x, y) == Line;
    };
    if (A.size() != B.size()) return QStringLiteral("sizes differ");
    QString off;
    int count = 0;
    auto note = [&](int x, int y, const char* what) {
        if (++count <= 5) off += QStringLiteral(" (%1,%2 %3)").arg(x).arg(y).arg(QLatin1String(what));
    };
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x) {
            const bool a = line(A, x, y), b = line(B, x, y);
            if (a == b) {
                if (!a && A.pixel(x, y) != B.pixel(x, y)) note(x, y, "differs");
                continue;
            }
            const QImage& other = a ? B : A;
            const bool near = Down ? line(other, x - 1, y) || line(other, x + 1, y)
                                   : line(other, x, y - 1) || line(other, x, y + 1);
            if (!near) note(x, y, a ? "only in the first" : "only in the second");
        }
    return off;
}

// Where a value of a linear scale lies along its strip, in plot-area pixels: worked
// out here from the range, the margins and the strip's length, not by the scale's
// own projection, so that pictures can be checked against it.
inline double ExpectedAlong(const TScale& s, double v) {
    const QWidget* strip = s.Control();
    const int length = IsVerticalAlign(s.GetAlign()) ? strip->height() : strip->width();
    const double usable = length - s.Offset() - s.BackOffset() - 1;
    const double raw = (v - s.Min()) / (s.Max() - s.Min()) * usable;
    const double p = s.InternalInverted() ? length - s.BackOffset() - 1 - raw : raw + s.Offset();
    return s.IsMainScale() ? p - s.Offset() : p;
}

// Where two pictures of a line of colour Line differ by more than a pixel in any
// direction: a pixel of the line in one picture with none of the line among its
// eight neighbours in the other (as where one picture rounds a point or clips a
// segment before the other does), or any other pixel that differs. Empty when
// none; else the first few places.
inline QString PixelsAwayFromTheLine(const QImage& A, const QImage& B, QRgb Line) {
    if (A.size() != B.size()) return QStringLiteral("sizes differ");
    auto line = [Line](const QImage& img, int x, int y) {
        return x >= 0 && y >= 0 && x < img.width() && y < img.height() && img.pixel(x, y) == Line;
    };
    QString off;
    int count = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x) {
            const bool a = line(A, x, y), b = line(B, x, y);
            bool fine = a == b && A.pixel(x, y) == B.pixel(x, y);
            if (a != b) {
                const QImage& other = a ? B : A;
                for (int dy = -1; dy <= 1 && !fine; ++dy)
                    for (int dx = -1; dx <= 1 && !fine; ++dx) fine = line(other, x + dx, y + dy);
            }
            if (!fine && ++count <= 5)
                off += QStringLiteral(" (%1,%2 %3)").arg(x).arg(y).arg(a ? "only in the first" : b ? "only in the second" : "differs");
        }
    return off;
}

// What the plot area of a field shows, painted now.
inline QImage PlotImage(TChartField* f) { return f->Client()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The labels a strip draws, with their extents along it (strip coordinates).
inline std::vector<std::pair<QString, std::pair<int, int>>> DrawnLabels(TScale& s) {
    std::vector<std::pair<QString, std::pair<int, int>>> out;
    TScaleControl* c = s.Control();
    const QFontMetrics fm(s.Font());
    const bool vertical = c->Vertical();
    const int len = vertical ? c->height() : c->width();
    s.WalkMarks([&](int p) { return p >= s.Offset() && p <= len - s.BackOffset(); },
                [&](int p) {
                    if (p < s.Offset() || p > len - s.BackOffset()) return;
                    const QString t = s.GetLabel();
                    const int half = vertical ? fm.height() / 2 : fm.horizontalAdvance(t) / 2;
                    out.push_back({t, {p - half, p - half + (vertical ? fm.height() : fm.horizontalAdvance(t)) - 1}});
                });
    return out;
}

// A chart with a table whose array "x" holds the X values and "y" the Y values.
struct TChartWithData {
    TGraphion Chart;
    TMemChartTable Table;
    TMemPointArray* X;
    TMemPointArray* Y;
    explicit TChartWithData(QSize size = QSize(600, 400)) {
        Table.SetCapacity(20000);
        X = Table.AddArray("x");
        Y = Table.AddArray("y");
        Chart.resize(size);
        Chart.show();
    }
    void AddPoint(double x, double y) {
        Table.AddRow();
        X->SetLastValue(x);
        Y->SetLastValue(y);
    }
    TRLineSeries* AddSeries(int field, int scale, QColor color = Qt::red) {
        auto* s = new TRLineSeries(&Chart);
        s->SetFieldInd(field);
        s->SetScaleInd(scale);
        Chart.InsertSeries(s);
        s->SetTable(&Table);
        s->SetFID("y");
        s->SetFXID("x");
        s->SetPen(QPen(color, 1));
        return s;
    }
};
