#pragma once
// Test-only items and canvases of the layout tests.
#include "PrintEngine.h"

#include <QPaintDevice>
#include <QPainterPath>
#include <QPaintEngine>
#include <QRect>
#include <vector>

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
    // Makes the next Render raise.
    bool FailRender = false;

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
    };
    std::vector<TCall> Calls;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int FDpi;
    QSize FSize;
    mutable std::unique_ptr<QPaintEngine> FEngine;
};

// The folder named by WK_TEST_ARTIFACTS, or empty.
QString ArtifactsDir();

}  // namespace LayoutTests
