// Render devices: projections, pages, clamping and skipping of off-page drawing.
#include "LayoutTestSupport.h"
#include "QtPrinters.h"

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
// A bitmap device rendering on a recording canvas of the given resolution.
struct TRecordingFixture {
    explicit TRecordingFixture(int dpi = 96, double scale = 1) : Canvas(dpi) {
        Device.SetScale(scale);
        Painter.begin(&Canvas);
        Device.BeginRender(&Painter);
        Device.SetPageNo(1);
    }
    ~TRecordingFixture() {
        Device.EndRender(&Painter);
        Painter.end();
    }
    TRecordingCanvas Canvas;
    QPainter Painter;
    TBitmapDevice Device;
};

// A screen device that knows a 96-dpi resolution.
void Use96Dpi(TScreenDevice& device) {
    QImage image(50, 50, QImage::Format_RGB32);
    image.setDotsPerMeterX(DefaultDotsPerMeter);
    image.setDotsPerMeterY(DefaultDotsPerMeter);
    QPainter p(&image);
    device.BeginRender(&p);
    device.EndRender(nullptr);
}
}  // namespace

TEST(RenderDevice, ProjectsMillimetresToPixelsRoundingHalfToEven) {
    // 254 dots per inch make 10 pixels a millimetre; at scale 0.5, 5.
    TRecordingFixture f(254, 0.5);
    struct TCase { double X, Y; QPoint Expected; };
    const TCase cases[] = {
        {0.5, 0, {2, 0}},   // 2.5 to the even 2
        {1.5, 0, {8, 0}},   // 7.5 to the even 8
        {2.5, 0.5, {12, 2}},
        {10, 20, {50, 100}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.X << ", " << c.Y);
        EXPECT_EQ(f.Device.Prj(c.X, c.Y), c.Expected);
    }
    f.Device.SetPageNo(2);
    EXPECT_EQ(f.Device.Prj(0, 297.5), QPoint(0, 2)) << "page 2 starts at 297 mm";
    EXPECT_EQ(f.Device.PrjRect(QRect(1, 2, 3, 4)), QRect(QPoint(5, 10 - 1485), QSize(15, 20)));
    EXPECT_EQ(f.Device.MMToPixels(3, 4), QSize(15, 20));
    EXPECT_EQ(f.Device.PixelsToMM(QSize(12, 13)), QSize(2, 3));  // 2.4 and 2.6
    EXPECT_EQ(f.Device.PixelsToMMNoScale(QSize(11, 20)), QSize(2, 2));
    EXPECT_DOUBLE_EQ(f.Device.VPixelsToMM(25), 5);
}

TEST(RenderDevice, PageOfTruncatesTowardZeroAndIntegersNeverGoBelowZero) {
    TBitmapDevice device;
    device.PageHeight = 297;
    struct TCase { int Y; int IntPage; int FloatPage; };
    const TCase cases[] = {{-600, 0, -1}, {-1, 1, 1}, {0, 1, 1}, {296, 1, 1}, {297, 2, 2}, {600, 3, 3}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Y);
        EXPECT_EQ(device.PageOf(c.Y), c.IntPage);
        EXPECT_EQ(device.PageOf(double(c.Y)), c.FloatPage);
    }
}

TEST(RenderDevice, PageSizeComesFromThePrinterOrIsA4WithoutOne) {
    TScreenDevice none;
    EXPECT_DOUBLE_EQ(none.PageWidth, 210);
    EXPECT_DOUBLE_EQ(none.PageHeight, 297);
    none.SetPageNo(1);
    EXPECT_TRUE(none.PageBounds.isEmpty()) << "no resolution yet, no page bounds";

    QTemporaryDir dir;
    auto printers = std::make_shared<TScriptedPrinters>(dir.filePath("x.pdf"));
    printers->SetPaperSizeMM(QSizeF(148, 210));
    const auto previous = SetPrinters(printers);
    TBitmapDevice device;
    SetPrinters(previous);
    EXPECT_NEAR(device.PageWidth, 148, 0.5);
    EXPECT_NEAR(device.PageHeight, 210, 0.5);
}

TEST(RenderDevice, ScreenStacksPagesWithGapsAndProjectsBack) {
    TScreenDevice device;
    device.SetScale(1);
    Use96Dpi(device);
    device.PageGap = 10;
    device.Offset = QSize(0, 0);
    const int pagePixels = int(Round(297 * ScreenPixelsPerMM));
    struct TCase { double Y; int Pixel; };
    const TCase cases[] = {{0, 0}, {100, 378}, {297, pagePixels + 10}, {400, int(Round(400 * ScreenPixelsPerMM)) + 10}, {650, int(Round(650 * ScreenPixelsPerMM)) + 20}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Y);
        EXPECT_EQ(device.AbsPrj(0, c.Y).y(), c.Pixel);
        EXPECT_NEAR(device.PrjBack(0, c.Pixel).y, c.Y, 0.3);
    }
    device.Offset = QSize(10, 20);
    EXPECT_EQ(device.AbsPrj(10, 0), QPoint(38 + 10, 20));
    EXPECT_NEAR(device.PrjBack(48, 20).x, 10, 0.3);
    EXPECT_EQ(device.GetSheetSize(3), QSize(int(Round(210 * ScreenPixelsPerMM)), int(Round(3 * 297 * ScreenPixelsPerMM)) + 20));
    EXPECT_EQ(device.PrjMMToTopOffset(297), pagePixels + 10);
    EXPECT_NEAR(device.PrjTopOffsetToMM(pagePixels + 10), 297, 0.3);
}

TEST(RenderDevice, ScaledFontTruncatesTheHeightAndNeverGivesZero) {
    struct TCase { double Scale; int Height; int Expected; };
    const TCase cases[] = {{0.01, -8, 1}, {1, -8, -8}, {0.5, -11, -5}, {2, 12, 24}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Scale << " " << c.Height);
        TBitmapDevice device;
        device.SetScale(c.Scale);
        TFont font;
        font.SetHeight(c.Height);
        EXPECT_EQ(device.SetScaledFont(font), c.Expected);
    }
}

TEST(RenderDevice, RectangleEdgesOutsideThePageMoveOneHundredPixelsOut) {
    TRecordingFixture f;
    f.Painter.setPen(Qt::NoPen);
    f.Painter.setBrush(Qt::black);
    f.Device.Rectangle(10, -5, 20, 400);
    ASSERT_EQ(f.Canvas.Calls.size(), 1u);
    const QRect r = f.Canvas.Calls[0].Rect.toRect();
    EXPECT_EQ(r.top(), -100);
    EXPECT_EQ(r.top() + r.height(), f.Device.PageBounds.height() + 100);
    EXPECT_EQ(r.left(), 38);
}

TEST(RenderDevice, DrawingOffThePageReachesNoCanvas) {
    TRecordingFixture f;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    f.Painter.setBrush(Qt::black);
    f.Device.Rectangle(10, 300, 20, 310);   // below page 1
    f.Device.TextOut(10, -20, "above");
    f.Device.TextRect(QRect(0, 400, 10, 10), "below");
    f.Device.DrawText(0, 298, 10, 305, "below", DT_LEFT);
    f.Device.DrawText(0, 2 * 297 + 10, "far below", DT_LEFT);
    f.Device.Draw(0, -30, 10, -20, picture);
    f.Device.FillBmp(220, 0, 260, 10, picture);  // right of the page
    EXPECT_TRUE(f.Canvas.Calls.empty()) << f.Canvas.Calls.size() << " calls, first " << f.Canvas.Calls[0].Kind.toStdString();

    f.Device.Rectangle(10, 10, 20, 20);
    f.Device.TextOut(10, 10, "on the page");
    f.Device.Draw(0, 0, 10, 10, picture);
    std::set<QString> kinds;
    for (const auto& call : f.Canvas.Calls) kinds.insert(call.Kind);
    EXPECT_TRUE(kinds.count("image"));
    EXPECT_TRUE(kinds.count("text") || kinds.count("path"));
    EXPECT_GE(f.Canvas.Calls.size(), 3u);
}

TEST(RenderDevice, FillBmpTilesFromTheDeviceOriginInsideTheRectangle) {
    TRecordingFixture f;
    QImage tile(10, 10, QImage::Format_RGB32);  // 96 dpi: 10 pixels on a 96-dpi page
    tile.fill(Qt::blue);
    tile.setDotsPerMeterX(DefaultDotsPerMeter);
    tile.setDotsPerMeterY(DefaultDotsPerMeter);
    f.Device.FillBmp(5, 5, 10, 10, tile);  // pixels 19 to 38
    ASSERT_FALSE(f.Canvas.Calls.empty());
    EXPECT_EQ(f.Canvas.Calls.front().Rect.toRect().topLeft(), QPoint(10, 10)) << "first tile anchored at a multiple";
    for (const auto& call : f.Canvas.Calls) EXPECT_EQ(call.Rect.toRect().size(), QSize(10, 10));
    EXPECT_EQ(f.Canvas.Calls.size(), 9u);  // columns 10, 20, 30; rows likewise
}

TEST(RenderDevice, FramesToggleLikeXorDrawing) {
    TBitmapDevice device;
    const QRect clip(0, 0, 100, 100);
    DoShowFrame(device, QRect(10, 10, 20, 20), clip);
    ASSERT_EQ(device.Frames().size(), 1);
    EXPECT_EQ(device.Frames().first(), QRect(9, 9, 22, 22)) << "grown by one pixel";
    DoShowFrame(device, QRect(90, 90, 20, 20), clip);
    EXPECT_EQ(device.Frames().last(), QRect(89, 89, 11, 11)) << "cut to the clip rectangle";
    DoShowFrame(device, QRect(10, 10, 20, 20), clip);
    EXPECT_EQ(device.Frames().size(), 1) << "shown twice is gone";

    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    PaintFrames(p, device.Frames());
    p.end();
    EXPECT_EQ(QColor(image.pixel(89, 89)), QColor(Qt::yellow)) << "yellow dotted pen";
}
