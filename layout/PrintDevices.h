#pragma once
// The concrete render devices: the double-buffered screen of a view, the
// printer, and bitmaps for export.
#include "RendDev.h"

#include <QImage>
#include <QPainter>
#include <memory>

#pragma GCC visibility push(default)

class IPrintJob;

namespace Plotmere {

// Pages stacked vertically with PageGap pixels between them, the sheet moved
// by Offset; drawing goes into a back buffer kept between repaints, of which
// only the damaged (clip) rectangle is copied to the window.
class TScreenDevice : public TRenderDevice {
public:
    TScreenDevice();
    // Sizes the back buffer to the canvas's device, takes the paint's clip
    // rectangle (the whole area without one) and fills it with the background.
    void BeginRender(QPainter* canvas) override;
    void EndRender(QPainter* canvas) override;
    void BeginPage() override;
    void EndPage() override;
    TFloatPoint PrjBack(double x, double y) const override;
    using TRenderDevice::PrjBack;
    TClipRgn SetDefaultClipRgn() override;

    QPoint AbsPrj(double x, double y) const;
    QRect GetAbsPrjRect(double l, double t, double r, double b) const;
    // The current page from just below its top to just above its bottom.
    QRectF GetAbsPageBounds() const;
    QRect GetAbsPageRect() const;
    QSize GetSheetSize(int pageCount) const;
    int PrjMMToTopOffset(double mm) const;
    double PrjTopOffsetToMM(int offset) const;
    // The resolution of the screen itself.
    void SetResolutions();
    // The paint's clip rectangle in window pixels.
    QRect ClipRect() const { return FClipRect; }
    const QImage& BackBuffer() const { return FBitmap; }

    QSize Offset{0, 0};  // scroll offset in pixels

    static constexpr unsigned BackgroundColor = 15593198;  // $EDEEEE

private:
    QImage FBitmap;
    std::unique_ptr<QPainter> FBufferCanvas;
    QRect FClipRect;
    TClipRgn FOldRgn;
    QRegion FNewRgn;
};

// Prints pages StartPage to StopPage as one job titled Title.
class TPrinterDevice : public TRenderDevice {
public:
    TPrinterDevice();
    ~TPrinterDevice() override;
    // Starts the job on the current printer and draws on its own canvas; the
    // canvas argument is not used.
    void BeginRender(QPainter* canvas) override;
    void EndRender(QPainter* canvas) override;
    void BeginPage() override;
    void EndPage() override;

    QString Title;
    int StartPage = 0;
    int StopPage = 0;

private:
    std::unique_ptr<IPrintJob> FJob;
    std::unique_ptr<QPainter> FPrinterCanvas;
};

// Pages stacked without gap on one bitmap.
class TBitmapDevice : public TRenderDevice {
public:
    TBitmapDevice();
    void BeginPage() override;
    void EndPage() override;
    void EndRender(QPainter* canvas) override;
    TClipRgn SetDefaultClipRgn() override;

private:
    QRegion FDefRgn;
};

// A bitmap device of DPI dots per inch on a 96-dpi canvas: scale DPI / 96.
class TBitmapHiResDevice : public TBitmapDevice {
public:
    explicit TBitmapHiResDevice(int dpi);
};

}  // namespace Plotmere

#pragma GCC visibility pop
