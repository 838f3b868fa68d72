#include "GDIPUtil.h"

#include "SafeSave.h"
#include "StyleIF.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {
double GDPIScale = 1.0;

constexpr double Rad = std::numbers::pi / 180.0;

// The first bytes of a file (empty when it cannot be read).
QByteArray ReadHead(const QString& fileName, qint64 count) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(count);
}

QByteArray ReadAll(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

quint16 BE16(const QByteArray& d, qsizetype at) { return qFromBigEndian<quint16>(d.constData() + at); }
quint32 BE32(const QByteArray& d, qsizetype at) { return qFromBigEndian<quint32>(d.constData() + at); }
quint16 LE16(const QByteArray& d, qsizetype at) { return qFromLittleEndian<quint16>(d.constData() + at); }
quint32 LE32(const QByteArray& d, qsizetype at) { return qFromLittleEndian<quint32>(d.constData() + at); }

QSize Positive(qint64 w, qint64 h) {
    if (w <= 0 || h <= 0 || w > INT_MAX || h > INT_MAX) return {};
    return QSize(int(w), int(h));
}

// A linear gradient along the rectangle grown by one pixel: vertical,
// horizontal or diagonal, or at an angle (degrees clockwise).
QLinearGradient LinearGradient(const QRectF& area, TGradientType type, double angle) {
    const QRectF r = area.adjusted(-1, -1, 1, 1);
    switch (type) {
    case gtVertical: return QLinearGradient(r.topLeft(), r.bottomLeft());
    case gtHorizontal: return QLinearGradient(r.topLeft(), r.topRight());
    case gtForwardDiagonal: return QLinearGradient(r.topLeft(), r.bottomRight());
    case gtBackwardDiagonal: return QLinearGradient(r.topRight(), r.bottomLeft());
    default: {
        const QPointF c = r.center();
        const double half = std::hypot(r.width(), r.height()) / 2;
        const QPointF d(std::cos(angle * Rad) * half, std::sin(angle * Rad) * half);
        return QLinearGradient(c - d, c + d);
    }
    }
}
// A family the machine has: the one the general font resolves to, else the
// first installed.
QString MachineFamily() {
    const QString general = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    if (QFontDatabase::hasFamily(general)) return general;
    const QStringList all = QFontDatabase::families();
    return all.isEmpty() ? general : all.first();
}
}  // namespace

QString ImageMimeType(TImageType type) {
    switch (type) {
    case itPNG: return QStringLiteral("image/png");
    case itBMP: return QStringLiteral("image/bmp");
    case itJPEG: return QStringLiteral("image/jpeg");
    case itTIFF: return QStringLiteral("image/tiff");
    case itGIF: return QStringLiteral("image/gif");
    }
    return {};
}

QByteArray GetCLSID(TImageType type) {
    const QByteArray mime = ImageMimeType(type).toLatin1();
    if (!QImageWriter::supportedMimeTypes().contains(mime)) return {};
    const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(mime);
    return formats.isEmpty() ? QByteArray() : formats.first();
}

TEncoderParameters GetEncoderQualityParameters(int quality) {
    return TEncoderParameters{1, std::clamp(quality, 0, 100)};
}

void SaveImageAs(const QImage& image, const QString& fileName, TImageType type, int quality) {
    const QByteArray format = GetCLSID(type);
    if (format.isEmpty())
        throw EImageExportError(QStringLiteral("No image encoder for %1 is installed").arg(ImageMimeType(type)));
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, format);
    writer.setQuality(GetEncoderQualityParameters(quality).Quality);
    // Formats without an alpha channel get the picture on white, as the
    // dial would show on a plain form.
    QImage out = image;
    if (type == itBMP || type == itJPEG) {
        out = QImage(image.size(), QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter(&out).drawImage(0, 0, image);
    }
    if (!writer.write(out))
        throw EImageExportError(QStringLiteral("Could not save the image %1: %2").arg(fileName, writer.errorString()));
    try {
        SaveFileSafely(fileName, encoded.data());
    } catch (const EFileWriteError& e) {
        throw EImageExportError(e.Message());
    }
}

double CalculateDPIScale(const QPaintDevice* device, bool scaling) {
    double dpi = 96;
    if (device)
        dpi = device->logicalDpiX();
    else if (const QScreen* s = QGuiApplication::primaryScreen())
        dpi = s->logicalDotsPerInchX();
    GDPIScale = scaling && dpi > 0 ? dpi / 96.0 : 1.0;
    return GDPIScale;
}

double DPIScale() { return GDPIScale; }

void ShadowGDIP(QPainter& g, const QRectF& r) {
    if (r.isEmpty()) return;
    // A rectangular path gradient: each side fades over its tenth of the
    // rectangle, which the union of two linear fades gives.
    QImage mask(r.size().toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    const double w = mask.width(), h = mask.height();
    for (int y = 0; y < mask.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mask.scanLine(y));
        const double fy = std::min(y + 0.5, h - y - 0.5) / (h * 0.1);
        for (int x = 0; x < mask.width(); ++x) {
            const double fx = std::min(x + 0.5, w - x - 0.5) / (w * 0.1);
            const int a = int(std::lround(180 * std::clamp(std::min(fx, fy), 0.0, 1.0)));
            line[x] = qPremultiply(qRgba(0x80, 0x80, 0x80, a));
        }
    }
    g.drawImage(r, mask);
}

void FillGDIP(const TGDIPFillParameters& p) {
    if (!p.Graphics) return;
    QPainter& g = *p.Graphics;
    QPainterPath path = p.Path;
    if (!p.Fillpath) {
        path = QPainterPath();
        path.addRect(p.R);
    }
    const QRectF area = p.Fillpath ? path.boundingRect() : p.R;
    const QColor from = MakeColor(p.ColorFrom, p.OpacityFrom);
    const QColor to = MakeColor(p.ColorTo, p.OpacityTo);
    switch (p.GT) {
    case gtSolid:
        if (p.ColorFrom != clNone) g.fillPath(path, from);
        break;
    case gtVertical:
    case gtHorizontal:
    case gtForwardDiagonal:
    case gtBackwardDiagonal:
    case gtAngle: {
        if (p.ColorFrom == clNone || p.ColorTo == clNone) break;
        QLinearGradient grad = LinearGradient(area, p.GT, p.Angle);
        grad.setColorAt(0, from);
        // A mirrored fill starts with a one-pixel band of the start colour.
        if (p.Mirror) {
            const double len = QLineF(grad.start(), grad.finalStop()).length();
            if (len > 0) grad.setColorAt(std::min(1.0, 1.0 / len), from);
        }
        grad.setColorAt(1, to);
        g.fillPath(path, grad);
        break;
    }
    case gtRadial:
    case gtPath: {
        if (p.ColorFrom == clNone || p.ColorTo == clNone) break;
        QRadialGradient grad(area.center(), std::max(area.width(), area.height()) / 2);
        grad.setColorAt(0, from);
        grad.setColorAt(1, to);
        g.fillPath(path, grad);
        break;
    }
    case gtHatch:
        if (p.ColorTo != clNone) g.fillPath(path, to);
        if (p.ColorFrom != clNone) g.fillPath(path, QBrush(from, p.HatchStyle));
        break;
    case gtTexture:
        if (p.Image && !p.Image->Empty()) p.Image->FillPath(g, path);
        break;
    case gtNone: break;
    }
    if (p.BorderColor != clNone) {
        QPen pen(MakeColor(p.BorderColor), p.BorderWidth, p.BorderStyle, Qt::FlatCap, Qt::MiterJoin);
        g.strokePath(path, pen);
    }
}

void ArrowGDIP(QPainter& g, QPointF from, QPointF to, TColor color, double length, double width, double size) {
    if (color == clNone) return;
    const QLineF line(from, to);
    if (line.length() == 0) return;
    const QPointF dir = (to - from) / line.length();
    const QPointF normal(-dir.y(), dir.x());
    const QPointF tip = to + dir * (length * size);
    const QPointF half = normal * (width * size / 2);
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(to + half);
    path.lineTo(to - half);
    path.closeSubpath();
    g.fillPath(path, MakeColor(color));
}

QFont MakeFont(const TFont& font) {
    QString family = font.Name();
    if (!QFontDatabase::hasFamily(family))
        family = QFontDatabase::hasFamily(QStringLiteral("Arial")) ? QStringLiteral("Arial") : MachineFamily();
    QFont f(family);
    // Point sizes at 96 pixels per inch, whatever device is drawn on.
    f.setPixelSize(std::max(1, int(std::lround(font.Size() * 96.0 / 72.0))));
    f.setBold(font.Style().testFlag(TFont::fsBold));
    f.setItalic(font.Style().testFlag(TFont::fsItalic));
    f.setUnderline(font.Style().testFlag(TFont::fsUnderline));
    return f;
}

double TextWidth(QPainter& g, const QString& text, const QFont& font) {
    return QFontMetricsF(font, g.device()).boundingRect(QRectF(0, 0, 10000, 10000), 0, text).width();
}

double TextHeight(QPainter& g, const QString& text, const QFont& font) {
    return QFontMetricsF(font, g.device()).boundingRect(QRectF(0, 0, 10000, 10000), 0, text).height();
}

double DrawText(QPainter& g, const QString& text, const QFont& font, TColor color, const QRectF& r, int flags,
                TColor background) {
    const QRectF bounds = QFontMetricsF(font, g.device()).boundingRect(r, flags, text);
    if (background != clNone) g.fillRect(bounds, MakeColor(background));
    g.setFont(font);
    g.setPen(MakeColor(color));
    g.drawText(r, flags, text);
    return bounds.height();
}

QPainterPath CreateRoundRectangle(const QRectF& r, double radius) {
    const double d = std::min({radius * 2, r.width(), r.height()});
    QPainterPath path;
    if (d <= 0) {
        path.addRect(r);
        return path;
    }
    // Qt's arcs turn counter-clockwise for positive sweeps: these run
    // clockwise on screen, as the corners are visited.
    path.arcMoveTo(QRectF(r.left(), r.top(), d, d), 180);
    path.arcTo(QRectF(r.left(), r.top(), d, d), 180, -90);
    path.arcTo(QRectF(r.right() - d, r.top(), d, d), 90, -90);
    path.arcTo(QRectF(r.right() - d, r.bottom() - d, d, d), 0, -90);
    path.arcTo(QRectF(r.left(), r.bottom() - d, d, d), 270, -90);
    path.closeSubpath();
    return path;
}

QSize GetPNGSize(const QString& fileName) {
    const QByteArray d = ReadHead(fileName, 24);
    if (d.size() < 24 || !d.startsWith(QByteArray("\x89PNG\r\n\x1A\n", 8))) return {};
    return Positive(BE32(d, 16), BE32(d, 20));
}

QSize GetJPGSize(const QString& fileName) {
    const QByteArray d = ReadAll(fileName);
    if (d.size() < 4 || quint8(d[0]) != 0xFF || quint8(d[1]) != 0xD8) return {};
    qsizetype at = 2;
    while (at + 4 <= d.size()) {
        if (quint8(d[at]) != 0xFF) return {};
        const quint8 marker = quint8(d[at + 1]);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return {};
        const quint16 length = BE16(d, at + 2);
        if ((marker == 0xC0 || marker == 0xC1 || marker == 0xC2) && at + 9 <= d.size())
            return Positive(BE16(d, at + 7), BE16(d, at + 5));
        if (length < 2) return {};
        at += 2 + length;
    }
    return {};
}

QSize GetGIFSize(const QString& fileName) {
    const QByteArray d = ReadAll(fileName);
    if (d.size() < 13 || !(d.startsWith("GIF87a") || d.startsWith("GIF89a"))) return {};
    qsizetype at = 13;
    const quint8 packed = quint8(d[10]);
    if (packed & 0x80) at += 3 * (qsizetype(1) << ((packed & 7) + 1));
    while (at < d.size()) {
        const quint8 block = quint8(d[at]);
        if (block == 0x2C) {
            if (at + 9 > d.size()) return {};
            return Positive(LE16(d, at + 5), LE16(d, at + 7));
        }
        if (block != 0x21 || at + 2 >= d.size()) return {};
        at += 2;  // introducer and label, then the data sub-blocks
        while (at < d.size() && quint8(d[at]) != 0) at += 1 + quint8(d[at]);
        ++at;
    }
    return {};
}

QSize GetBMPSize(const QString& fileName) {
    const QByteArray d = ReadHead(fileName, 26);
    if (d.size() < 22 || !d.startsWith("BM")) return {};
    if (LE32(d, 14) == 12) return Positive(LE16(d, 18), LE16(d, 20));
    if (d.size() < 26) return {};
    // Bottom-up bitmaps store a positive height, top-down ones a negative.
    return Positive(qint32(LE32(d, 18)), std::abs(qint64(qint32(LE32(d, 22)))));
}

QSize GetTifSize(const QString& fileName) {
    const QByteArray d = ReadAll(fileName);
    if (d.size() < 8) return {};
    const bool little = d.startsWith("II");
    if (!little && !d.startsWith("MM")) return {};
    auto u16 = [&](qsizetype at) { return little ? LE16(d, at) : BE16(d, at); };
    auto u32 = [&](qsizetype at) { return little ? LE32(d, at) : BE32(d, at); };
    if (u16(2) != 42) return {};
    const qsizetype ifd = u32(4);
    if (ifd + 2 > d.size()) return {};
    const int count = u16(ifd);
    qint64 width = 0, height = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype e = ifd + 2 + qsizetype(i) * 12;
        if (e + 12 > d.size()) break;
        const quint16 tag = u16(e), type = u16(e + 2);
        const qint64 value = type == 3 ? u16(e + 8) : type == 4 ? qint64(u32(e + 8)) : 0;
        if (tag == 256) width = value;
        if (tag == 257) height = value;
    }
    return Positive(width, height);
}

QSize GetICOSize(const QString& fileName) {
    const QByteArray d = ReadAll(fileName);
    if (d.size() < 6 || LE16(d, 0) != 0 || LE16(d, 2) != 1) return {};
    const int count = LE16(d, 4);
    QSize best;
    for (int i = 0; i < count; ++i) {
        const qsizetype e = 6 + qsizetype(i) * 16;
        if (e + 16 > d.size()) break;
        const int w = quint8(d[e]) == 0 ? 256 : quint8(d[e]);
        const int h = quint8(d[e + 1]) == 0 ? 256 : quint8(d[e + 1]);
        if (w > 128 || h > 128) continue;
        if (best.isEmpty() || w * h > best.width() * best.height()) best = QSize(w, h);
    }
    return best;
}

void TGDIPPicture::SetData(QByteArray data, const QString& fileName) {
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception(QStringLiteral("Not an image: %1 (%2)").arg(fileName, reader.errorString()));
    QSize size = image.size();
    // A file's own header gives the size as its writer meant it.
    if (!fileName.isEmpty()) {
        const QString ext = QFileInfo(fileName).suffix().toLower();
        QSize header;
        if (ext == "png") header = GetPNGSize(fileName);
        else if (ext == "jpg" || ext == "jpeg") header = GetJPGSize(fileName);
        else if (ext == "gif") header = GetGIFSize(fileName);
        else if (ext == "bmp") header = GetBMPSize(fileName);
        else if (ext == "tif" || ext == "tiff") header = GetTifSize(fileName);
        else if (ext == "ico") header = GetICOSize(fileName);
        if (!header.isEmpty()) size = header;
    }
    FData = std::move(data);
    FImage = std::move(image);
    FSize = size;
}

void TGDIPPicture::LoadFromFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open %1: %2").arg(fileName, f.errorString()));
    SetData(f.readAll(), fileName);
}

void TGDIPPicture::LoadFromStream(QIODevice& stream) { SetData(stream.readAll(), QString()); }

void TGDIPPicture::LoadFromResource(const QString& name) {
    const QString path = name.startsWith(QLatin1String(":/")) ? name : QStringLiteral(":/") + name;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw Exception(QStringLiteral("Resource %1 not found").arg(name));
    SetData(f.readAll(), QString());
}

void TGDIPPicture::LoadFromURL(const QString& url) {
    if (url.startsWith(QLatin1String("RES://"), Qt::CaseInsensitive)) return LoadFromResource(url.mid(6));
    if (url.startsWith(QLatin1String("FILE://"), Qt::CaseInsensitive)) return LoadFromFile(url.mid(7));
    throw Exception(QStringLiteral("Unknown image address %1").arg(url));
}

void TGDIPPicture::Clear() {
    FData.clear();
    FImage = QImage();
    FSize = QSize();
}

void TGDIPPicture::Draw(QPainter& g, const QRectF& r) const {
    if (!FImage.isNull()) g.drawImage(r, FImage);
}

void TGDIPPicture::FillPath(QPainter& g, const QPainterPath& path) const {
    if (!FImage.isNull()) g.fillPath(path, QBrush(FImage));
}

void TGDIPPicture::FillRect(QPainter& g, const QRectF& r) const {
    QPainterPath path;
    path.addRect(r);
    FillPath(g, path);
}
