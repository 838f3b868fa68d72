#pragma once
// Test-only items and canvases of the layout tests.
#include "PrintEngine.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPaintEngine>
#include <QRect>
#include <ostream>
#include <vector>

// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

namespace LayoutTests {

// An item that fills its rectangle with Color (never white), so that pictures
// show exactly where it lies; it accepts children.
class TFillItem : public Plotmere::TPrintItem {
    Q_OBJECT
    Q_PROPERTY(int Color READ Color WRITE SetColor)
public:
    Q_INVOKABLE explicit TFillItem(QObject* owner = nullptr);
    int Color() const { return FColor; }
    void SetColor(int value) { FColor = value; }
    bool AcceptItem(Plotmere::TPrintItem*) const override { return true; }
    void Render(Plotmere::TRenderDevice& device) override;
    // The colour a confirmed setup dialog gives the item; -1: the dialog is cancelled.
    bool Setup(Plotmere::TRenderDevice* device) override;
    Plotmere::TPrintEditActions GetUserAction(Plotmere::TPrintView* view, int x, int y,
                                              Qt::KeyboardModifiers shift) override;
    // Make Render, or asking for the mouse actions, raise.
    bool FailRender = false;
    bool FailUserAction = false;
    int SetupColor = -1;

private:
    int FColor = 0x808080;
};

// A new fill item at (left, top) of width x height millimetres.
TFillItem* AddFill(Plotmere::TPrintItem* parent, int left, int top, int width, int height, int color = 0x808080);

// A canvas that records what reaches it: one entry per drawing call with the
// device rectangle it covers.
class TRecordingCanvas : public QPaintDevice {
public:
    explicit TRecordingCanvas(int dpi = 96, QSize size = {2000, 2000});
    ~TRecordingCanvas() override;
    QPaintEngine* paintEngine() const override;
    struct TCall {
        QString Kind;
        QRectF Rect;
        // In device pixels: the points of a line, polyline or path, a text's
        // baseline start; the text, the pen (or for paths the brush) colour,
        // the pen width and style, and the clip (empty without one).
        QPolygonF Points;
        QString Text;
        QColor Color;
        double PenWidth = 0;
        Qt::PenStyle Style = Qt::SolidLine;
        QRectF Clip;
    };
    // The calls of a kind drawn in a colour.
    std::vector<TCall> Of(const QString& kind, const QColor& color) const;
    std::vector<TCall> Calls;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int FDpi;
    QSize FSize;
    mutable std::unique_ptr<QPaintEngine> FEngine;
};

// The text form without the items' state: where every item is and what it
// looks like, but not the selection, which clicks change outside the actions.
QString LayoutText(Plotmere::TPrintItem& item);

// The folder named by WK_TEST_ARTIFACTS, or empty.
QString ArtifactsDir();

// Page `page` (from 1) of a PDF file as poppler's pdftoppm rasterises it at
// dpi dots per inch. Raises, saying why, when pdftoppm is missing or fails.
QImage RasterisePdfPage(const QString& pdfFile, int page, int dpi);

}  // namespace LayoutTests
