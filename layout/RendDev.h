#pragma once
// Render devices: items draw in millimetres of the document's endless
// vertical strip; a device maps them to the pixels of a screen, a printer or
// a bitmap and cuts the strip into pages of PageWidth x PageHeight. One
// drawing routine of an item thus serves the view, printing and export.
//
// Protocol: BeginRender(canvas); for each page SetPageNo(n), BeginPage, the
// items draw, EndPage; EndRender(canvas). Page n starts at (n - 1) x
// PageHeight mm, so an item across a page edge is drawn partly on each page.
// Every drawing operation first tests its projected rectangle against the
// page and skips what lies outside.
#include "Graphics.h"

#include <QImage>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QSizeF>
#include <optional>

#pragma GCC visibility push(default)

class QPainter;

namespace Plotmere {

struct TFloatPoint {
    double x = 0;
    double y = 0;
    bool operator==(const TFloatPoint&) const = default;
};

struct TPagePoint {
    int Page = 0;
    int x = 0;
    int y = 0;
};

enum TDeviceType { dtScreen, dtPrinter, dtBitmap };

// The clip a device operation replaced: none (nullopt) or a region in the
// canvas's logical coordinates. The caller restores it with RestoreClipRgn.
using TClipRgn = std::optional<QRegion>;

// Text format flags of the old formatted-text call.
enum TDrawTextFormat {
    DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8, DT_WORDBREAK = 16,
    DT_SINGLELINE = 32, DT_NOCLIP = 256, DT_CALCRECT = 1024,
};

// Pixels per millimetre at 96 dots per inch.
inline constexpr double ScreenPixelsPerMM = 3.7795275590551181;
// Pixels per metre of a picture that stores no resolution (96 dots per inch).
inline constexpr int DefaultDotsPerMeter = 3780;

class TRenderDevice {
public:
    TRenderDevice();
    TRenderDevice(const TRenderDevice&) = delete;
    TRenderDevice& operator=(const TRenderDevice&) = delete;
    virtual ~TRenderDevice();

    virtual void SetPageNo(int value);
    virtual void CalcPageBounds();
    virtual void BeginPage() {}
    virtual void BeginRender(QPainter* canvas);
    virtual void EndPage() {}
    virtual void EndRender(QPainter* canvas) = 0;
    // Page size from the current printer; 210 x 297 mm without one.
    virtual void SetCurrentPrinter();
    QPoint PrjBack(const QPoint& point) const;
    // Pixels back to millimetres; only the screen inverts its projection.
    virtual TFloatPoint PrjBack(double x, double y) const;
    // The device's normal clip for the page; returns the one it replaced.
    virtual TClipRgn SetDefaultClipRgn();

    QPainter* Canvas() const { return FCanvas; }
    int PageNo() const { return FPageNo; }
    double Scale() const { return FScale; }
    void SetScale(double value);
    double YMMOfs() const { return FYMMOfs; }
    double XRes() const { return FXRes; }
    double YRes() const { return FYRes; }
    double XResScl() const { return FXResScl; }
    double YResScl() const { return FYResScl; }

    // Coordinate conversions, rounded half to even.
    QPoint Prj(double x, double y) const;
    QPoint Prj(const QPoint& point) const;
    QRect PrjRect(const QRect& rect) const;  // whole millimetres, right and bottom as edges
    QSize MMToPixels(double cx, double cy) const;
    QSize PixelsToMM(const QSize& size) const;
    QSizeF PixelsToMMFloat(const QSize& size) const;
    QSizeF PixelsToMMFloatNoScale(const QSize& size) const;
    QSize PixelsToMMNoScale(const QSize& size) const;
    double PixelsToMMNoScaleY(int y) const;
    double VPixelsToMM(int pixels) const;
    int PageOf(double y) const;
    int PageOf(int y) const;
    double GetXResolution() const;
    double GetYResolution() const;
    void UpdateResolutions();

    // Drawing in millimetres on the canvas with its pen, brush and font.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Rectangle(double l, double t, double r, double b);
    void TextOut(double x, double y, const QString& text);
    void TextRect(const QRect& rect, const QString& text);
    // Text with its top-left corner at a point in device pixels, in the
    // colour of the current font.
    void TextOutPx(const QPoint& point, const QString& text);
    QRect DrawText(double l, double t, double r, double b, const QString& text, int format);
    QRect DrawText(double x, double y, const QString& text, int format);
    void Draw(double l, double t, double r, double b, const QImage& graphic);
    void Draw(double x, double y, const QImage& bitmap, bool transparent);
    void FillBmp(double l, double t, double r, double b, const QImage& bmp);
    void FillPicture(double l, double t, double r, double b, const QImage& picture);
    // The font, its height scaled by the zoom; returns the height used.
    int SetScaledFont(const TFont& font);
    int SetRotatedFont(const TFont& font, double angle);
    // The height SetScaledFont gives a font height at this scale.
    int ScaledFontHeight(int height) const;
    // The font SetScaledFont selects, sized in this device's pixels, so that
    // text can be measured also while no canvas is attached (layout).
    QFont ScaledQFont(const TFont& font) const;
    // Text extents in device pixels with the scaled font; the height of an
    // empty text is 0.
    int TextHeight(const TFont& font, const QString& text) const;
    int TextWidth(const TFont& font, const QString& text) const;
    // True when the canvas paints into a raster image, where an exclusive-or
    // truly combines with what lies below. PDF and printer engines claim
    // raster operations and composition modes but paint the source opaque.
    bool CombinesRaster() const;
    // Selects, with no pen, the brush of an exclusive-or tint in xorColor:
    // the raster operation itself where the canvas combines; elsewhere the
    // colour that tint shows on white (xorColor xor $FFFFFF), half
    // translucent, so that what lies below stays visible. The caller saves
    // and restores the canvas around it.
    void SelectTint(TColor xorColor);
    TClipRgn Clip(double l, double t, double r, double b, bool excludeBorder);
    TClipRgn SetNilClipRgn();
    void RestoreClipRgn(const TClipRgn& region);

    // Rubber-band frames of editing actions, in device pixels. Showing a
    // frame that is shown removes it (the old XOR drawing); the view paints
    // the list after the page content (PaintFrames).
    void ShowFrame(const QRect& rect, const QRect& clipRect);
    const QList<QRect>& Frames() const { return FFrames; }
    // Rubber-band segments (lines between nodes), toggled the same way.
    void ShowSegment(const QLine& line);
    const QList<QLine>& Segments() const { return FSegments; }
    void ClearFrames() {
        FFrames.clear();
        FSegments.clear();
    }

    int TopPage = 0;
    TDeviceType DeviceType = dtScreen;
    double PageWidth = 210;
    double PageHeight = 297;
    QRect PageBounds;  // the page in device pixels, origin 0, 0
    int PageGap = 0;

protected:
    bool MeetsPage(const QRect& rect) const;
    // Selects a clip given in device pixels (taken before the page origin
    // moved); returns the one it replaced.
    TClipRgn SelectDeviceClip(const QRegion& region);
    void DrawImageRect(const QRect& target, const QImage& image);

    QPainter* FCanvas = nullptr;
    int FPageNo = 0;
    double FScale = 0.5;
    double FYMMOfs = 0;
    double FXResScl = 0, FYResScl = 0;
    double FXRes = -1, FYRes = 0;
    double FFontAngle = 0;
    QColor FTextColor = Qt::black;
    QPoint FPenPos;
    QList<QRect> FFrames;
    QList<QLine> FSegments;
};

// Free routines of the unit. Rotated text (SetRotatedFont) turns the
// painter around the text's point instead of using a rotated font.
// The clip rectangle combined with the canvas's current clip (the rectangle
// alone when there is none); returns the previous one.
TClipRgn CombineRegions(QPainter& canvas, const QRect& rect);
QPoint FloatPointToPoint(const TFloatPoint& point);
// The rubber-band frame of a rectangle: grown by one pixel, cut to clipRect;
// toggled in the device's frame list.
void DoShowFrame(TRenderDevice& device, const QRect& rect, const QRect& clipRect);
// Paints frames with a clear brush and a yellow ($0000FFFF) dotted one-pixel
// pen, XOR-combined where the canvas can do it.
void PaintFrames(QPainter& canvas, const QList<QRect>& frames);
// Paints segments in solid yellow, XOR-combined where the canvas can do it.
void PaintSegments(QPainter& canvas, const QList<QLine>& segments);

}  // namespace Plotmere

#pragma GCC visibility pop
