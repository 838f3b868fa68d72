#include "Pictures.h"

#include "ComponentStreaming.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace {
QString GraphicClassOf(const QByteArray& format) {
    if (format == "bmp") return QStringLiteral("TBitmap");
    if (format == "png") return QStringLiteral("TPngImage");
    if (format == "jpeg" || format == "jpg") return QStringLiteral("TJPEGImage");
    if (format == "ico") return QStringLiteral("TIcon");
    return {};
}

QImage ReadImage(QByteArray bytes, QByteArray* format = nullptr) {
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    // The format is known only before reading consumes the device.
    if (format) *format = reader.format();
    return reader.read();
}
}  // namespace

void TPicture::LoadFromData(const QByteArray& fileBytes) {
    QByteArray format;
    const QImage image = ReadImage(fileBytes, &format);
    const QString cls = GraphicClassOf(format);
    if (image.isNull() || cls.isEmpty()) throw Exception(QStringLiteral("Unsupported picture data"));
    FClass = cls;
    FBytes = fileBytes;
    FImage = image;
    emit Changed();
}

void TPicture::Clear() {
    FClass.clear();
    FBytes.clear();
    FImage = QImage();
    emit Changed();
}

QByteArray TPicture::Data() const {
    if (FClass.isEmpty()) return {};
    const QByteArray name = FClass.toLatin1();
    QByteArray data(1, char(name.size()));
    data += name;
    if (FClass == QLatin1String("TBitmap")) {
        char size[4];
        qToLittleEndian<qint32>(qint32(FBytes.size()), size);
        data.append(size, 4);
    }
    return data + FBytes;
}

void TPicture::SetData(const QByteArray& data) {
    if (data.isEmpty()) return Clear();
    const int n = quint8(data[0]);
    if (data.size() < 1 + n) throw Exception(QStringLiteral("Picture data ends inside its class name"));
    const QString cls = QString::fromLatin1(data.mid(1, n));
    QByteArray bytes = data.mid(1 + n);
    if (cls == QLatin1String("TBitmap")) {
        if (bytes.size() < 4) throw Exception(QStringLiteral("Bitmap data without its length"));
        const qint32 size = qFromLittleEndian<qint32>(bytes.constData());
        if (size < 0 || size > bytes.size() - 4) throw Exception(QStringLiteral("Bitmap data shorter than its length"));
        bytes = bytes.mid(4, size);
    }
    FClass = cls;
    FBytes = bytes;
    // Graphic classes the platform does not draw (metafiles) keep their data only.
    const bool drawn = cls == QLatin1String("TBitmap") || cls == QLatin1String("TPngImage") ||
                       cls == QLatin1String("TJPEGImage") || cls == QLatin1String("TIcon");
    FImage = drawn ? ReadImage(bytes) : QImage();
    emit Changed();
}

void TPicture::Assign(const TPersistent* source) {
    const auto* p = qobject_cast<const TPicture*>(source);
    if (!p) return TPersistent::Assign(source);
    FClass = p->FClass;
    FBytes = p->FBytes;
    FImage = p->FImage;
    emit Changed();
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](const QByteArray& b) { SetData(b); }, [this] { return Data(); }, !Empty());
}

void TBitmap::LoadFromData(const QByteArray& fileBytes) {
    const QImage image = ReadImage(fileBytes);
    if (image.isNull()) throw Exception(QStringLiteral("Not a picture"));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) throw Exception(QStringLiteral("Cannot store the picture as a bitmap"));
    FBytes = bmp;
    FImage = image;
    emit Changed();
}

QByteArray TBitmap::Data() const {
    if (FBytes.isEmpty()) return {};
    char size[4];
    qToLittleEndian<qint32>(qint32(FBytes.size()), size);
    return QByteArray(size, 4) + FBytes;
}

void TBitmap::SetData(const QByteArray& data) {
    if (data.isEmpty()) {
        FBytes.clear();
        FImage = QImage();
        emit Changed();
        return;
    }
    if (data.size() < 4) throw Exception(QStringLiteral("Bitmap data without its length"));
    const qint32 size = qFromLittleEndian<qint32>(data.constData());
    if (size < 0 || size > data.size() - 4) throw Exception(QStringLiteral("Bitmap data shorter than its length"));
    const QByteArray bytes = data.mid(4, size);
    const QImage image = ReadImage(bytes);
    if (image.isNull()) throw Exception(QStringLiteral("Bitmap data is not a bitmap"));
    FBytes = bytes;
    FImage = image;
    emit Changed();
}

void TBitmap::Assign(const TPersistent* source) {
    const auto* b = qobject_cast<const TBitmap*>(source);
    if (!b) return TPersistent::Assign(source);
    FBytes = b->FBytes;
    FImage = b->FImage;
    emit Changed();
}

void TBitmap::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](const QByteArray& b) { SetData(b); }, [this] { return Data(); }, !Empty());
}

TImage::TImage(QObject* owner) : TGraphicControl(owner), FPicture(new TPicture(this)) {
    SetBounds(0, 0, 105, 105);
    connect(FPicture, &TPersistent::Changed, this, [this] { update(); });
}

void TImage::SetCenter(bool v) {
    FCenter = v;
    update();
}
void TImage::SetStretch(bool v) {
    FStretch = v;
    update();
}
void TImage::SetProportional(bool v) {
    FProportional = v;
    update();
}
void TImage::SetTransparent(bool v) {
    FTransparent = v;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    const QImage& image = FPicture->Graphic();
    if (image.isNull()) return;
    QPainter p(this);
    QSize size = image.size();
    if (FStretch) size = FProportional ? size.scaled(this->size(), Qt::KeepAspectRatio) : this->size();
    QRect target(QPoint(0, 0), size);
    if (FCenter) target.moveCenter(rect().center());
    p.drawImage(target, image);
}
