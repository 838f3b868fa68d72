#include "RendDev.h"

#include "Formatting.h"
#include "Printers.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace Plotmere {

namespace {
int R(double v) { return int(Round(v)); }

// A rectangle from its edges (right and bottom are the first pixels outside).
QRect EdgeRect(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }

// Pixels per millimetre of a picture's stored resolution (96 dots per inch
// when it stores none).
double PictureDotsPerMM(int dotsPerMeter) {
    return (dotsPerMeter > 0 ? dotsPerMeter : DefaultDotsPerMeter) / 1000.0;
}

Qt::Alignment TextFlags(int format) {
    int flags = 0;
    if (format & DT_CENTER) flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT) flags |= Qt::AlignRight;
    else flags |= Qt::AlignLeft;
    if (format & DT_VCENTER) flags |= Qt::AlignVCenter;
    else if (format & DT_BOTTOM) flags |= Qt::AlignBottom;
    else flags |= Qt::AlignTop;
    if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    if (format & DT_SINGLELINE) flags |= Qt::TextSingleLine;
    if (format & DT_NOCLIP) flags |= Qt::TextDontClip;
    return Qt::Alignment(flags);
}
}  // namespace

TRenderDevice::TRenderDevice() { SetCurrentPrinter(); }

TRenderDevice::~TRenderDevice() = default;

void TRenderDevice::SetPageNo(int value) {
    FPageNo = value;
    CalcPageBounds();
    FYMMOfs = (value - 1) * PageHeight;
}

void TRenderDevice::CalcPageBounds() {
    if (FXRes < 0) return;
    PageBounds = QRect(QPoint(0, 0), MMToPixels(PageWidth, PageHeight));
}

void TRenderDevice::BeginRender(QPainter* canvas) {
    FCanvas = canvas;
    UpdateResolutions();
}

void TRenderDevice::SetCurrentPrinter() {
    try {
        if (Printers().HasPrinter()) {
            const QSizeF size = Printers().PageSizeMM();
            PageWidth = size.width();
            PageHeight = size.height();
            return;
        }
    } catch (const std::exception&) {
        // A printer that cannot be asked counts as none.
    }
    PageWidth = 210;
    PageHeight = 297;
}

QPoint TRenderDevice::PrjBack(const QPoint& point) const {
    const TFloatPoint p = PrjBack(double(point.x()), double(point.y()));
    return QPoint(R(p.x), R(p.y));
}

TFloatPoint TRenderDevice::PrjBack(double, double) const { return {0, 0}; }

TClipRgn TRenderDevice::SetDefaultClipRgn() { return SetNilClipRgn(); }

void TRenderDevice::SetScale(double value) {
    FScale = value;
    if (FCanvas) {
        UpdateResolutions();
    } else if (FXRes >= 0) {
        FXResScl = FXRes * FScale;
        FYResScl = FYRes * FScale;
    }
}

QPoint TRenderDevice::Prj(double x, double y) const { return QPoint(R(x * FXResScl), R((y - FYMMOfs) * FYResScl)); }

QPoint TRenderDevice::Prj(const QPoint& point) const { return Prj(double(point.x()), double(point.y())); }

QRect TRenderDevice::PrjRect(const QRect& rect) const {
    const QPoint lt = Prj(rect.left(), rect.top());
    const QPoint rb = Prj(double(rect.left() + rect.width()), double(rect.top() + rect.height()));
    return EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
}

QSize TRenderDevice::MMToPixels(double cx, double cy) const {
    return QSize(R(cx * FXRes * FScale), R(cy * FYRes * FScale));
}

QSize TRenderDevice::PixelsToMM(const QSize& size) const {
    return QSize(R(size.width() / FXResScl), R(size.height() / FYResScl));
}

QSizeF TRenderDevice::PixelsToMMFloat(const QSize& size) const {
    return QSizeF(size.width() / FXResScl, size.height() / FYResScl);
}

QSizeF TRenderDevice::PixelsToMMFloatNoScale(const QSize& size) const {
    return QSizeF(size.width() / FXRes, size.height() / FYRes);
}

QSize TRenderDevice::PixelsToMMNoScale(const QSize& size) const {
    return QSize(int(std::ceil(size.width() / FXRes)), int(std::ceil(size.height() / FYRes)));
}

double TRenderDevice::PixelsToMMNoScaleY(int y) const { return y / FYRes; }

double TRenderDevice::VPixelsToMM(int pixels) const { return pixels / FYResScl; }

int TRenderDevice::PageOf(double y) const { return int(Trunc(y / PageHeight)) + 1; }

int TRenderDevice::PageOf(int y) const { return std::max(0, int(Trunc(y / PageHeight)) + 1); }

double TRenderDevice::GetXResolution() const { return FCanvas->device()->logicalDpiX() / 25.4; }

double TRenderDevice::GetYResolution() const { return FCanvas->device()->logicalDpiY() / 25.4; }

void TRenderDevice::UpdateResolutions() {
    FXRes = GetXResolution();
    FYRes = GetYResolution();
    FXResScl = FXRes * FScale;
    FYResScl = FYRes * FScale;
}

bool TRenderDevice::MeetsPage(const QRect& rect) const { return rect.intersects(PageBounds); }

TClipRgn TRenderDevice::SelectDeviceClip(const QRegion& region) {
    TClipRgn old;
    if (FCanvas->hasClipping()) old = FCanvas->clipRegion();
    FCanvas->setClipRegion(FCanvas->transform().inverted().map(region));
    return old;
}

void TRenderDevice::MoveTo(double x, double y) { FPenPos = Prj(x, y); }

void TRenderDevice::LineTo(double x, double y) {
    const QPoint to = Prj(x, y);
    FCanvas->drawLine(FPenPos, to);
    FPenPos = to;
}

void TRenderDevice::Rectangle(double l, double t, double r, double b) {
    const QPoint lt = Prj(l, t), rb = Prj(r, b);
    QRect rect = EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
    if (!MeetsPage(rect)) return;
    // Edges outside the page are moved out of sight instead of being drawn
    // at coordinates the canvas may not handle.
    int top = rect.top(), bottom = lt.y() + rect.height();
    if (top < PageBounds.top()) top = PageBounds.top() - 100;
    if (bottom > PageBounds.top() + PageBounds.height()) bottom = PageBounds.top() + PageBounds.height() + 100;
    rect = EdgeRect(rect.left(), top, rb.x(), bottom);
    // The outline lies inside the rectangle, as the old canvas drew it.
    const QPen pen = FCanvas->pen();
    const double w = pen.style() == Qt::NoPen ? 0 : std::max(1.0, pen.widthF());
    const QRectF inner(rect.left() + w / 2, rect.top() + w / 2, rect.width() - w, rect.height() - w);
    if (w == 0) FCanvas->fillRect(rect, FCanvas->brush());
    else FCanvas->drawRect(inner);
}

bool TRenderDevice::CombinesRaster() const {
    const QPaintEngine* engine = FCanvas ? FCanvas->paintEngine() : nullptr;
    return DeviceType != dtPrinter && engine && engine->type() == QPaintEngine::Raster;
}

void TRenderDevice::SelectTint(TColor xorColor) {
    FCanvas->setPen(Qt::NoPen);
    if (CombinesRaster()) {
        FCanvas->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        FCanvas->setBrush(ColorToQColor(xorColor));
        return;
    }
    QColor shown = ColorToQColor(TColor(int(xorColor) ^ 0xFFFFFF));
    shown.setAlpha(128);
    FCanvas->setBrush(shown);
}

void TRenderDevice::TextOut(double x, double y, const QString& text) {
    const QPoint p = Prj(x, y);
    const QRect extent(p, FCanvas->fontMetrics().size(Qt::TextSingleLine, text));
    if (FFontAngle == 0 && !MeetsPage(extent)) return;
    FCanvas->save();
    FCanvas->setPen(FTextColor);
    FCanvas->translate(p);
    if (FFontAngle != 0) FCanvas->rotate(-FFontAngle);
    FCanvas->drawText(QRect(QPoint(0, 0), extent.size()), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    FCanvas->restore();
}

void TRenderDevice::TextOutPx(const QPoint& point, const QString& text) {
    FCanvas->save();
    FCanvas->setPen(FTextColor);
    FCanvas->drawText(QRect(point, QSize(0, 0)), int(Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip), text);
    FCanvas->restore();
}

void TRenderDevice::TextRect(const QRect& rect, const QString& text) {
    const QRect r = PrjRect(rect);
    if (!MeetsPage(r)) return;
    FCanvas->save();
    FCanvas->setPen(FTextColor);
    FCanvas->setClipRect(r, FCanvas->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    FCanvas->drawText(r, Qt::AlignLeft | Qt::AlignTop, text);
    FCanvas->restore();
}

QRect TRenderDevice::DrawText(double l, double t, double r, double b, const QString& text, int format) {
    const QPoint lt = Prj(l, t), rb = Prj(r, b);
    QRect rect = EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
    if (format & DT_CALCRECT) {
        const QRect calc = FCanvas->fontMetrics().boundingRect(rect, int(TextFlags(format)), text);
        return QRect(rect.topLeft(), calc.size());
    }
    if (!MeetsPage(rect)) return rect;
    FCanvas->save();
    FCanvas->setPen(FTextColor);
    FCanvas->drawText(rect, int(TextFlags(format)), text);
    FCanvas->restore();
    return rect;
}

QRect TRenderDevice::DrawText(double x, double y, const QString& text, int format) {
    const QPoint p = Prj(x, y);
    const QRect rect(p, QSize(0, 0));
    const int pageHeight = PageBounds.height();
    if (p.y() <= -pageHeight || p.y() >= 2 * pageHeight) return rect;
    FCanvas->save();
    FCanvas->setPen(FTextColor);
    FCanvas->translate(p);
    if (FFontAngle != 0) FCanvas->rotate(-FFontAngle);
    FCanvas->drawText(QRect(0, 0, 0, 0), int(TextFlags(format | DT_NOCLIP)), text);
    FCanvas->restore();
    return rect;
}

void TRenderDevice::DrawImageRect(const QRect& target, const QImage& image) {
    FCanvas->drawImage(target, image);
}

void TRenderDevice::Draw(double l, double t, double r, double b, const QImage& graphic) {
    if (graphic.isNull()) return;
    const QPoint lt = Prj(l, t), rb = Prj(r, b);
    const QRect rect = EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
    if (!MeetsPage(rect)) return;
    DrawImageRect(rect, graphic);
}

void TRenderDevice::Draw(double x, double y, const QImage& bitmap, bool transparent) {
    if (bitmap.isNull()) return;
    const QPoint p = Prj(x, y);
    if (transparent) {
        // Transparent bitmaps count 96 dots per inch; their bottom-left
        // pixel's colour is the transparent one.
        const QSize size(R(bitmap.width() / double(DefaultDotsPerMeter) * 1000 * FXResScl),
                         R(bitmap.height() / double(DefaultDotsPerMeter) * 1000 * FYResScl));
        QImage masked = bitmap.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = bitmap.pixel(0, bitmap.height() - 1);
        for (int row = 0; row < masked.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(masked.scanLine(row));
            for (int col = 0; col < masked.width(); ++col)
                if (line[col] == key) line[col] = qRgba(0, 0, 0, 0);
        }
        DrawImageRect(QRect(p, size), masked);
        return;
    }
    const QSize size(R(bitmap.width() / PictureDotsPerMM(bitmap.dotsPerMeterX()) * FXResScl),
                     R(bitmap.height() / PictureDotsPerMM(bitmap.dotsPerMeterY()) * FYResScl));
    DrawImageRect(QRect(p, size), bitmap);
}

void TRenderDevice::FillBmp(double l, double t, double r, double b, const QImage& bmp) {
    if (bmp.isNull() || bmp.width() == 0 || bmp.height() == 0) return;
    const QPoint lt = Prj(l, t), rb = Prj(r, b);
    const QRect rect = EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
    if (!MeetsPage(rect)) return;
    QSize tile = bmp.size();
    if (DeviceType != dtScreen)
        tile = QSize(std::max(1, R(bmp.width() / PictureDotsPerMM(bmp.dotsPerMeterX()) * FXResScl)),
                     std::max(1, R(bmp.height() / PictureDotsPerMM(bmp.dotsPerMeterY()) * FYResScl)));
    // Tiles are anchored at the device's 0, 0 so that neighbouring fills join.
    auto floorTo = [](int v, int step) { return int(std::floor(double(v) / step)) * step; };
    const TClipRgn old = Clip(l, t, r, b, false);
    for (int y = floorTo(rect.top(), tile.height()); y < rect.top() + rect.height(); y += tile.height())
        for (int x = floorTo(rect.left(), tile.width()); x < rect.left() + rect.width(); x += tile.width())
            DrawImageRect(QRect(QPoint(x, y), tile), bmp);
    RestoreClipRgn(old);
}

void TRenderDevice::FillPicture(double l, double t, double r, double b, const QImage& picture) {
    FillBmp(l, t, r, b, picture);
}

int TRenderDevice::ScaledFontHeight(int height) const {
    if (FScale == 1) return height;
    const int h = int(Trunc(height * FScale));
    return h == 0 ? 1 : h;
}

QFont TRenderDevice::ScaledQFont(const TFont& font) const {
    TFont scaled;
    scaled.Assign(&font);
    scaled.SetHeight(ScaledFontHeight(font.Height()));
    QFont q = scaled.ToQFont();
    const double yRes = FYRes > 0 ? FYRes : ScreenPixelsPerMM;
    q.setPixelSize(std::max(1, R(q.pixelSize() * yRes / ScreenPixelsPerMM)));
    return q;
}

int TRenderDevice::TextHeight(const TFont& font, const QString& text) const {
    if (text.isEmpty()) return 0;
    return QFontMetrics(ScaledQFont(font)).height();
}

int TRenderDevice::TextWidth(const TFont& font, const QString& text) const {
    return QFontMetrics(ScaledQFont(font)).horizontalAdvance(text);
}

int TRenderDevice::SetScaledFont(const TFont& font) {
    TFont scaled;
    scaled.Assign(&font);
    const int height = ScaledFontHeight(font.Height());
    scaled.SetHeight(height);
    QFont q = scaled.ToQFont();
    // Font heights count pixels at 96 dots per inch; as points the canvas
    // sizes them for its own resolution (a printer's, a bitmap's).
    q.setPointSizeF(q.pixelSize() * 72.0 / 96.0);
    if (FCanvas) FCanvas->setFont(q);
    FTextColor = ColorToQColor(font.Color());
    FFontAngle = 0;
    return height;
}

int TRenderDevice::SetRotatedFont(const TFont& font, double angle) {
    const int height = SetScaledFont(font);
    FFontAngle = angle;
    return height;
}

TClipRgn TRenderDevice::Clip(double l, double t, double r, double b, bool excludeBorder) {
    const QPoint lt = Prj(l, t), rb = Prj(r, b);
    QRect rect = EdgeRect(lt.x(), lt.y(), rb.x(), rb.y());
    if (excludeBorder) rect.adjust(1, 1, -1, -1);
    rect &= PageBounds.adjusted(-1, -1, 1, 1);
    return CombineRegions(*FCanvas, rect);
}

TClipRgn TRenderDevice::SetNilClipRgn() {
    TClipRgn old;
    if (FCanvas && FCanvas->hasClipping()) old = FCanvas->clipRegion();
    if (FCanvas) FCanvas->setClipping(false);
    return old;
}

void TRenderDevice::RestoreClipRgn(const TClipRgn& region) {
    if (!FCanvas) return;
    if (region) FCanvas->setClipRegion(*region);
    else FCanvas->setClipping(false);
}

void TRenderDevice::ShowFrame(const QRect& rect, const QRect& clipRect) {
    const QRect frame = rect.adjusted(-1, -1, 1, 1) & clipRect;
    if (frame.isEmpty()) return;
    if (!FFrames.removeOne(frame)) FFrames.append(frame);
}

void TRenderDevice::ShowSegment(const QLine& line) {
    if (!FSegments.removeOne(line)) FSegments.append(line);
}

TClipRgn CombineRegions(QPainter& canvas, const QRect& rect) {
    TClipRgn old;
    if (canvas.hasClipping()) {
        old = canvas.clipRegion();
        canvas.setClipRect(rect, Qt::IntersectClip);
    } else {
        canvas.setClipRect(rect);
    }
    return old;
}

QPoint FloatPointToPoint(const TFloatPoint& point) { return QPoint(R(point.x), R(point.y)); }

void DoShowFrame(TRenderDevice& device, const QRect& rect, const QRect& clipRect) { device.ShowFrame(rect, clipRect); }

void PaintFrames(QPainter& canvas, const QList<QRect>& frames) {
    if (frames.isEmpty()) return;
    canvas.save();
    QPen pen(ColorToQColor(clYellow), 0, Qt::DotLine);
    pen.setCosmetic(true);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    if (canvas.paintEngine() && canvas.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QRect& r : frames) canvas.drawRect(r.adjusted(0, 0, -1, -1));
    canvas.restore();
}

void PaintSegments(QPainter& canvas, const QList<QLine>& segments) {
    if (segments.isEmpty()) return;
    canvas.save();
    QPen pen(ColorToQColor(clYellow), 0);
    pen.setCosmetic(true);
    canvas.setPen(pen);
    if (canvas.paintEngine() && canvas.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QLine& line : segments) canvas.drawLine(line);
    canvas.restore();
}

}  // namespace Plotmere
