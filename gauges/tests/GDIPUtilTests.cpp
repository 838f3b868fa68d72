#include "GDIPUtil.h"
#include "RegIniFile.h"
#include "StyleIF.h"
#include "TestSupport.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <functional>

namespace {
void WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray LE16(quint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray LE32(quint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

// A GIF of w x h with a global colour table and an extension block before
// the image descriptor, whose size differs from the logical screen's.
QByteArray Gif(int w, int h) {
    QByteArray b("GIF89a");
    b += LE16(640) + LE16(480);
    b += char(0x81);  // global colour table of 4 entries
    b += char(0) + QByteArray(1, 0);
    b += QByteArray(12, char(0x7F));
    b += QByteArray("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);  // graphic control extension
    b += char(0x2C) + LE16(0) + LE16(0) + LE16(quint16(w)) + LE16(quint16(h)) + char(0);
    b += QByteArray("\x02\x02\x44\x01\x00\x3B", 6);
    return b;
}

// A big-endian TIFF whose first directory gives width as SHORT and height as LONG.
QByteArray Tif(int w, int h) {
    QByteArray b("MM");
    auto be16 = [](quint16 v) { QByteArray x(2, 0); qToBigEndian(v, x.data()); return x; };
    auto be32 = [](quint32 v) { QByteArray x(4, 0); qToBigEndian(v, x.data()); return x; };
    b += be16(42) + be32(8) + be16(2);
    b += be16(256) + be16(3) + be32(1) + be16(quint16(w)) + be16(0);
    b += be16(257) + be16(4) + be32(1) + be32(quint32(h));
    b += be32(0);
    return b;
}

QByteArray Ico(const QList<QSize>& entries) {
    QByteArray b = LE16(0) + LE16(1) + LE16(quint16(entries.size()));
    for (const QSize& s : entries) {
        b += char(s.width() >= 256 ? 0 : s.width());
        b += char(s.height() >= 256 ? 0 : s.height());
        b += QByteArray(2, 0) + LE16(1) + LE16(32) + LE32(0) + LE32(0);
    }
    return b;
}
}  // namespace

TEST(GDIPUtil, ImageSizeReadersOnWrittenFiles) {
    QTemporaryDir dir;
    QImage image(37, 21, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const QString png = dir.filePath("a.png"), jpg = dir.filePath("a.jpg"), bmp = dir.filePath("a.bmp");
    ASSERT_TRUE(image.save(png));
    ASSERT_TRUE(image.save(jpg, "JPEG"));
    ASSERT_TRUE(image.save(bmp, "BMP"));
    WriteBytes(dir.filePath("a.gif"), Gif(33, 17));
    WriteBytes(dir.filePath("a.tif"), Tif(300, 70000));
    WriteBytes(dir.filePath("a.ico"), Ico({{16, 16}, {256, 256}, {48, 48}, {32, 32}}));
    WriteBytes(dir.filePath("junk.bin"), QByteArray("BM\x01", 3));
    struct TCase {
        const char* What;
        std::function<QSize(const QString&)> Reader;
        QString File;
        QSize Expected;
    } cases[] = {
        {"png", GetPNGSize, png, {37, 21}},
        {"jpeg", GetJPGSize, jpg, {37, 21}},
        {"bmp", GetBMPSize, bmp, {37, 21}},
        {"gif: the image descriptor, not the screen", GetGIFSize, dir.filePath("a.gif"), {33, 17}},
        {"tiff", GetTifSize, dir.filePath("a.tif"), {300, 70000}},
        {"ico: largest entry up to 128", GetICOSize, dir.filePath("a.ico"), {48, 48}},
        {"png reader on a jpeg", GetPNGSize, jpg, {}},
        {"jpeg reader on a png", GetJPGSize, png, {}},
        {"truncated bmp", GetBMPSize, dir.filePath("junk.bin"), {}},
        {"missing file", GetGIFSize, dir.filePath("none.gif"), {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(c.Reader(c.File), c.Expected);
    }
}

TEST(GDIPUtil, ExportWritesWhatQtCanAndRaisesForTheRest) {
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const std::pair<TImageType, const char*> types[] = {
        {itPNG, "png"}, {itBMP, "bmp"}, {itJPEG, "jpg"}, {itTIFF, "tif"}, {itGIF, "gif"}};
    for (const auto& [type, ext] : types) {
        SCOPED_TRACE(ext);
        const QString file = dir.filePath(QStringLiteral("x.") + ext);
        if (GetCLSID(type).isEmpty()) {
            try {
                SaveImageAs(image, file, type, 90);
                ADD_FAILURE() << "saving without an encoder must raise";
            } catch (const EImageExportError& e) {
                EXPECT_TRUE(e.Message().contains(ImageMimeType(type))) << e.Message().toStdString();
            }
            EXPECT_FALSE(QFile::exists(file));
        } else {
            SaveImageAs(image, file, type, 90);
            EXPECT_EQ(QImage(file).size(), QSize(40, 30));
        }
    }
    EXPECT_FALSE(GetCLSID(itPNG).isEmpty());
    EXPECT_THROW(SaveImageAs(image, dir.filePath("no/such/folder/x.png"), itPNG, 100), EImageExportError);
    EXPECT_EQ(GetEncoderQualityParameters(130).Quality, 100);
    EXPECT_EQ(GetEncoderQualityParameters(-4).Quality, 0);
    EXPECT_EQ(GetEncoderQualityParameters(55).Quality, 55);
}

TEST(GDIPUtil, ColourArithmetic) {
    EXPECT_EQ(ChangeColor(TColor(0x808080), 20), TColor(0x666666));
    EXPECT_EQ(ChangeColor(TColor(0x0000FF), 50), TColor(0x000080));
    EXPECT_EQ(ChangeColor(clWhite, -10), clWhite) << "capped at 255";
    EXPECT_EQ(ChangeBrightness(TColor(0x000080), 50), TColor(0x0000C0)) << "the value grows";
    EXPECT_EQ(ChangeBrightness(TColor(0x8080FF), 20), TColor(0x6767FF)) << "full value: the saturation grows";
    EXPECT_EQ(ChangeBrightness(TColor(0x404040), 100), TColor(0x808080)) << "greys stay grey";
    EXPECT_EQ(ColorToARGB(TColor(0x0000FF)), 0xFFFF0000u);
    EXPECT_EQ(ColorToARGB(TColor(0x563412)), 0xFF123456u);
}

TEST(GDIPUtil, Tones) {
    const TColorTones dark = CreateMetroTones(msDark, clBlue);
    EXPECT_EQ(dark.Background.BrushColor, clBlack);
    EXPECT_EQ(dark.Background.TextColor, clWhite);
    EXPECT_EQ(dark.Background.BorderColor, clBlue);
    EXPECT_EQ(dark.Selected.BrushColor, clBlue);
    EXPECT_EQ(dark.Selected.TextColor, clWhite);
    EXPECT_EQ(dark.Hover.BrushColor, TColor(0xCC0000));
    EXPECT_EQ(dark.Disabled.BorderColor, TColor(0x808080));
    EXPECT_EQ(CreateMetroTones(msLight, clBlue).Background.BrushColor, clWhite);
    TColorTones t = DefaultMetroTones();
    EXPECT_FALSE(IsClearTones(t));
    ClearTones(t);
    EXPECT_TRUE(IsClearTones(t));
    EXPECT_EQ(t.Disabled.TextColor, clNone);
}

TEST(GDIPUtil, OfficeThemeFromSettings) {
    struct TCase {
        const char* What;
        const char* Version;
        const char* Name;
        int Value;
        TOfficeTheme Expected;
    } cases[] = {
        {"nothing stored", nullptr, nullptr, 0, ot2003Classic},
        {"2016 gray", "16.0", "UI Theme", 5, ot2016Gray},
        {"2016 white (3)", "16.0", "UI Theme", 3, ot2016White},
        {"2016 unknown value", "16.0", "UI Theme", 7, ot2003Blue},
        {"2013 silver", "15.0", "UI Theme", 1, ot2013Silver},
        {"2010 black", "14.0", "Theme", 3, ot2010Black},
        {"2007 blue", "12.0", "Theme", 1, ot2007Blue},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TTempXdgHome home;
        if (c.Version)
            TRegIniFile(QStringLiteral("Software\\Microsoft\\Office\\") + c.Version)
                .WriteInteger("Common", c.Name, c.Value);
        EXPECT_EQ(GetOfficeTheme(), c.Expected);
    }
    TTempXdgHome home;
    EXPECT_EQ(GetOfficeVersion(), ov2003);
    TRegIniFile("Software\\Microsoft\\Office\\14.0\\Common").WriteString("General", "x", "1");
    EXPECT_EQ(GetOfficeVersion(), ov2010);
}

TEST(GDIPUtil, FillsAndPaths) {
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter g(&image);
    TGDIPFillParameters p;
    p.Graphics = &g;
    p.R = QRectF(0, 0, 100, 50);
    p.GT = gtVertical;
    p.ColorFrom = clRed;
    p.ColorTo = clBlue;
    FillGDIP(p);
    p.R = QRectF(0, 50, 100, 50);
    p.GT = gtSolid;
    p.ColorFrom = clLime;
    p.BorderColor = clBlack;
    p.BorderWidth = 2;
    FillGDIP(p);
    g.end();
    EXPECT_GT(qRed(image.pixel(50, 1)), 230);
    EXPECT_GT(qBlue(image.pixel(50, 48)), 230);
    EXPECT_EQ(image.pixel(50, 75), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 50), qRgb(0, 0, 0)) << "the border";

    const QPainterPath round = CreateRoundRectangle(QRectF(10, 10, 80, 40), 10);
    EXPECT_EQ(round.boundingRect(), QRectF(10, 10, 80, 40));
    EXPECT_TRUE(round.contains(QPointF(50, 30)));
    EXPECT_TRUE(round.contains(QPointF(50, 11)));
    EXPECT_FALSE(round.contains(QPointF(11, 11))) << "the corner is rounded off";
}

TEST(GDIPUtil, ShadowAndArrowHead) {
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter g(&image);
    ShadowGDIP(g, QRectF(0, 0, 100, 100));
    // An arrow along +x ending at (150, 50): its head lies beyond the end.
    ArrowGDIP(g, QPointF(110, 50), QPointF(150, 50), clRed, 0.3, 0.2, 100);
    g.end();
    EXPECT_LT(qAlpha(image.pixel(0, 50)), 20) << "the shadow fades out at the edge";
    EXPECT_EQ(qAlpha(image.pixel(50, 50)), 180);
    EXPECT_EQ(QColor::fromRgba(qUnpremultiply(image.pixel(50, 50))).rgb(), QColor(0x80, 0x80, 0x80).rgb());
    EXPECT_EQ(image.pixel(155, 50), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(image.pixel(145, 50)), 0) << "nothing before the end point";
    EXPECT_EQ(qAlpha(image.pixel(182, 50)), 0) << "the head is 30 pixels long";
}

TEST(GDIPUtil, PictureKeepsTheEncodedBytes) {
    QTemporaryDir dir;
    QImage image(12, 9, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString file = dir.filePath("p.png");
    ASSERT_TRUE(image.save(file));
    TGDIPPicture pic;
    pic.LoadFromURL("FILE://" + file);
    EXPECT_FALSE(pic.Empty());
    EXPECT_EQ(pic.Width(), 12);
    EXPECT_EQ(pic.Height(), 9);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(pic.Data(), f.readAll());
    QImage target(24, 18, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter g(&target);
    pic.Draw(g, QRectF(0, 0, 24, 18));
    g.end();
    EXPECT_EQ(target.pixel(20, 15), qRgb(0, 255, 0));
    WriteBytes(dir.filePath("bad.png"), "not an image");
    EXPECT_THROW(pic.LoadFromFile(dir.filePath("bad.png")), Exception);
    EXPECT_EQ(pic.Width(), 12) << "a failed load keeps the picture";
    EXPECT_THROW(pic.LoadFromFile(dir.filePath("none.png")), Exception);
    EXPECT_THROW(pic.LoadFromURL("HTTP://x"), Exception);
    pic.Clear();
    EXPECT_TRUE(pic.Empty());
}

TEST(GDIPUtil, FontFallsBackToAFontTheMachineHas) {
    TFont font;
    font.SetName("No Such Family 123");
    font.SetSize(12);
    font.SetStyle(TFont::fsBold | TFont::fsStrikeOut);
    const QFont f = MakeFont(font);
    EXPECT_TRUE(QFontDatabase::hasFamily(f.family())) << f.family().toStdString();
    EXPECT_EQ(f.pixelSize(), 16);
    EXPECT_TRUE(f.bold());
    EXPECT_FALSE(f.strikeOut());
}
