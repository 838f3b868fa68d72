#include "PrintDevices.h"

#include "Formatting.h"
#include "Printers.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QScreen>
#include <cmath>

namespace Plotmere {

namespace {
int R(double v) { return int(Round(v)); }
}  // namespace

// --- screen ---------------------------------------------------------------------------

TScreenDevice::TScreenDevice() {
    DeviceType = dtScreen;
    FScale = 0.5;
}

void TScreenDevice::SetResolutions() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96;
    FXRes = dpiX / 25.4;
    FYRes = dpiY / 25.4;
    FXResScl = FXRes * FScale;
    FYResScl = FYRes * FScale;
}

void TScreenDevice::BeginRender(QPainter* canvas) {
    FNewRgn = QRegion();
    QPaintDevice* target = canvas->device();
    const QSize size(std::max(1, target->width()), std::max(1, target->height()));
    if (FBitmap.size() != size) FBitmap = QImage(size, QImage::Format_RGB32);
    const int dpm = R(target->logicalDpiX() / 0.0254);
    FBitmap.setDotsPerMeterX(dpm);
    FBitmap.setDotsPerMeterY(R(target->logicalDpiY() / 0.0254));
    FBufferCanvas = std::make_unique<QPainter>(&FBitmap);
    TRenderDevice::BeginRender(FBufferCanvas.get());
    const QPaintEngine* engine = canvas->paintEngine();
    const QRegion system = engine ? engine->systemClip() : QRegion();
    const QRect whole(QPoint(0, 0), size);
    FClipRect = canvas->hasClipping() ? canvas->clipBoundingRect().toAlignedRect() & whole
                : system.isEmpty()    ? whole
                                      : system.boundingRect() & whole;
    if (FClipRect.isEmpty()) FClipRect = whole;
    FBufferCanvas->setClipRect(FClipRect);
    FBufferCanvas->fillRect(FClipRect, ColorToQColor(TColor(BackgroundColor)));
}

void TScreenDevice::EndRender(QPainter* canvas) {
    if (FBufferCanvas) FBufferCanvas->end();
    FBufferCanvas.reset();
    FCanvas = nullptr;
    if (canvas) canvas->drawImage(FClipRect, FBitmap, FClipRect);
    FNewRgn = QRegion();
}

QPoint TScreenDevice::AbsPrj(double x, double y) const {
    return QPoint(R(x * FXRes * FScale) + Offset.width(),
                  R(y * FYRes * FScale) + int(Trunc(y / PageHeight)) * PageGap + Offset.height());
}

QRect TScreenDevice::GetAbsPrjRect(double l, double t, double r, double b) const {
    const QPoint lt = AbsPrj(l, t), rb = AbsPrj(r, b);
    return QRect(lt, QSize(rb.x() - lt.x(), rb.y() - lt.y()));
}

QRectF TScreenDevice::GetAbsPageBounds() const {
    return QRectF(QPointF(0, (FPageNo - 1) * PageHeight + 0.0000001),
                  QPointF(PageWidth, FPageNo * PageHeight - 0.0000001));
}

QRect TScreenDevice::GetAbsPageRect() const {
    const QRectF b = GetAbsPageBounds();
    return GetAbsPrjRect(b.left(), b.top(), b.right(), b.bottom());
}

QSize TScreenDevice::GetSheetSize(int pageCount) const {
    return QSize(R(PageWidth * FXRes * FScale), R(pageCount * PageHeight * FYRes * FScale) + (pageCount - 1) * PageGap);
}

int TScreenDevice::PrjMMToTopOffset(double mm) const {
    return R(mm * FYRes * FScale) + int(Trunc(mm / PageHeight)) * PageGap;
}

double TScreenDevice::PrjTopOffsetToMM(int offset) const {
    int y = offset;
    if (PageGap > 0) {
        const int pagePixels = R(PageHeight * FYRes * FScale);
        y -= y / (pagePixels + PageGap) * PageGap;
    }
    return y / FYRes / FScale;
}

TFloatPoint TScreenDevice::PrjBack(double x, double y) const {
    return {(x - Offset.width()) / FXRes / FScale, PrjTopOffsetToMM(int(std::lround(y)) - Offset.height())};
}

void TScreenDevice::BeginPage() {
    const QRect page = GetAbsPageRect();
    FOldRgn = CombineRegions(*FCanvas, page);
    FNewRgn = FCanvas->clipRegion();
    FCanvas->translate(page.topLeft());
}

void TScreenDevice::EndPage() {
    FCanvas->resetTransform();
    RestoreClipRgn(FOldRgn);
    FOldRgn.reset();
}

TClipRgn TScreenDevice::SetDefaultClipRgn() { return SelectDeviceClip(FNewRgn); }

// --- printer --------------------------------------------------------------------------

TPrinterDevice::TPrinterDevice() {
    DeviceType = dtPrinter;
    FScale = 1;
}

TPrinterDevice::~TPrinterDevice() {
    // A job left open by a failure ends with the device.
    if (FPrinterCanvas && FPrinterCanvas->isActive()) FPrinterCanvas->end();
}

void TPrinterDevice::BeginRender(QPainter*) {
    FJob = Printers().BeginJob(Title);
    FPrinterCanvas = std::make_unique<QPainter>();
    if (!FPrinterCanvas->begin(&FJob->Device()))
        throw EPrinterError(QStringLiteral("The print job \"%1\" cannot start").arg(Title));
    TRenderDevice::BeginRender(FPrinterCanvas.get());
    SetPageNo(StartPage);
    TopPage = StartPage;
}

void TPrinterDevice::EndRender(QPainter*) {
    if (FPrinterCanvas && FPrinterCanvas->isActive()) FPrinterCanvas->end();
    FPrinterCanvas.reset();
    FJob.reset();
    FCanvas = nullptr;
}

void TPrinterDevice::BeginPage() {
    if (FPageNo > StartPage) FJob->NewPage();
}

void TPrinterDevice::EndPage() { SetPageNo(FPageNo + 1); }

// --- bitmaps --------------------------------------------------------------------------

TBitmapDevice::TBitmapDevice() {
    DeviceType = dtBitmap;
    FScale = 1;
    FXRes = FYRes = ScreenPixelsPerMM;
    FXResScl = FXRes * FScale;
    FYResScl = FYRes * FScale;
}

void TBitmapDevice::BeginPage() {
    const QRect page = PageBounds.translated(0, (FPageNo - 1) * PageBounds.height());
    FDefRgn = QRegion(page);
    FCanvas->setClipRegion(FDefRgn);
    FCanvas->translate(page.topLeft());
}

void TBitmapDevice::EndPage() {
    FCanvas->resetTransform();
    FCanvas->setClipping(false);
    FDefRgn = QRegion();
}

void TBitmapDevice::EndRender(QPainter*) { FCanvas = nullptr; }

TClipRgn TBitmapDevice::SetDefaultClipRgn() { return SelectDeviceClip(FDefRgn); }

TBitmapHiResDevice::TBitmapHiResDevice(int dpi) { SetScale(dpi / 96.0); }

}  // namespace Plotmere
