#pragma once
// Drawing and image routines of the gauge controls over QPainter: image
// export through the installed image writers, DPI scale, fills, shadow,
// arrow heads, text, image-size readers, an image class holding encoded
// bytes and a rounded-rectangle path.
//
// QPainter follows the conventions the gauges were drawn with: angles are
// given clockwise from the positive x axis with y pointing down, and a
// gradient rectangle is the area grown by one pixel.
//
// The old COM stream adapter (an image saved into a global memory block for
// the clipboard) has no counterpart: QImage saves into a QBuffer directly.
#include "Exceptions.h"
#include "Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QSize>

class QIODevice;
class QPaintDevice;
class QPainter;
class TGDIPPicture;

enum TImageType { itPNG, itBMP, itJPEG, itTIFF, itGIF };

enum TGradientType {
    gtSolid, gtRadial, gtVertical, gtHorizontal, gtForwardDiagonal, gtBackwardDiagonal, gtAngle, gtHatch, gtPath,
    gtTexture, gtNone,
};

class EImageExportError : public Exception {
public:
    using Exception::Exception;
};

// The MIME type of an image type ("image/png").
QString ImageMimeType(TImageType type);
// The writer format that saves the image type's MIME type, or an empty text
// when no installed image writer has it.
QByteArray GetCLSID(TImageType type);

// The encoder quality parameter: one value, the quality clamped to 0..100.
struct TEncoderParameters {
    int Count = 1;
    int Quality = 100;
};
TEncoderParameters GetEncoderQualityParameters(int quality);

// Saves image in the format of type; raises EImageExportError naming the
// MIME type when no writer has it, or the file and the reason when writing
// fails.
void SaveImageAs(const QImage& image, const QString& fileName, TImageType type, int quality);

// Pixels per inch of the device (the primary screen when null) over 96 when
// scaling is on, else 1; remembered for DPIScale.
double CalculateDPIScale(const QPaintDevice* device = nullptr, bool scaling = true);
double DPIScale();

// Fills the rectangle with a shadow: transparent at the edge, $808080 at
// alpha 180 from 10 percent inwards.
void ShadowGDIP(QPainter& g, const QRectF& r);

struct TGDIPFillParameters {
    QPainter* Graphics = nullptr;
    QPainterPath Path;
    bool Fillpath = false;  // fill Path (else the rectangle R)
    QRectF R;
    TGradientType GT = gtSolid;
    TColor ColorFrom = clNone;
    TColor ColorTo = clNone;
    int OpacityFrom = 255;
    int OpacityTo = 255;
    Qt::BrushStyle HatchStyle = Qt::BDiagPattern;
    double Angle = 0;  // degrees, clockwise
    const TGDIPPicture* Image = nullptr;
    TColor BorderColor = clNone;
    int BorderWidth = 1;
    Qt::PenStyle BorderStyle = Qt::SolidLine;
    bool Mirror = false;
};
// Fills the path (or the rectangle) as GT says, then outlines it unless the
// border colour is none.
void FillGDIP(const TGDIPFillParameters& p);

// Fills an arrow head at `to`, pointing away from `from`; its length and
// width are fractions of size.
void ArrowGDIP(QPainter& g, QPointF from, QPointF to, TColor color, double length, double width, double size);

// The QFont of a stored font: the family when the machine has it, else
// Arial, else the machine's general font; the point size at 96 pixels per
// inch; bold, italic and underline (not strike-out).
QFont MakeFont(const TFont& font);
// Text measured within a 10000 x 10000 box.
double TextWidth(QPainter& g, const QString& text, const QFont& font);
double TextHeight(QPainter& g, const QString& text, const QFont& font);
// Draws text in r with the alignment flags, the background filled first
// unless it is none; returns the text's height.
double DrawText(QPainter& g, const QString& text, const QFont& font, TColor color, const QRectF& r,
                int flags = Qt::AlignLeft | Qt::AlignTop, TColor background = clNone);

// A closed path of four quarter arcs of the radius joined by straight edges.
QPainterPath CreateRoundRectangle(const QRectF& r, double radius);

// Width and height read from the file's header; an empty size when the file
// cannot be read or is not of the kind.
QSize GetJPGSize(const QString& fileName);
QSize GetPNGSize(const QString& fileName);
QSize GetGIFSize(const QString& fileName);
QSize GetBMPSize(const QString& fileName);
QSize GetTifSize(const QString& fileName);
// The largest entry not above 128 x 128.
QSize GetICOSize(const QString& fileName);

// An image kept as its encoded bytes, decoded for drawing.
class TGDIPPicture {
public:
    bool Empty() const { return FData.isEmpty(); }
    int Width() const { return FSize.width(); }
    int Height() const { return FSize.height(); }
    const QByteArray& Data() const { return FData; }
    // Raise Exception when the file or device cannot be read or holds no
    // image Qt can decode.
    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);
    // A Qt resource (":/name" or "name" under ":/").
    void LoadFromResource(const QString& name);
    // "RES://name" or "FILE://path".
    void LoadFromURL(const QString& url);
    void Clear();
    // Draws the image stretched into r.
    void Draw(QPainter& g, const QRectF& r) const;
    // Fills the path (or rectangle) with the image tiled.
    void FillPath(QPainter& g, const QPainterPath& path) const;
    void FillRect(QPainter& g, const QRectF& r) const;
    const QImage& Image() const { return FImage; }

private:
    void SetData(QByteArray data, const QString& fileName);
    QByteArray FData;
    QImage FImage;
    QSize FSize;
};
