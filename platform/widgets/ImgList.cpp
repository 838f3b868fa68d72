#include "ImgList.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"

#include <QPainter>
#include <QtEndian>
#include <algorithm>

void TCustomImageList::SetWidth(int v) {
    FWidth = std::clamp(v, 1, 4096);
    FBitmap = QImage();
    FStored.clear();
}

void TCustomImageList::SetHeight(int v) {
    FHeight = std::clamp(v, 1, 4096);
    FBitmap = QImage();
    FStored.clear();
}

void TCustomImageList::Add(const QImage& image) {
    QImage grown(FWidth * (Count() + 1), FHeight, QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter p(&grown);
    if (!FBitmap.isNull()) p.drawImage(0, 0, FBitmap);
    p.drawImage(QRect(FWidth * Count(), 0, FWidth, FHeight), image);
    p.end();
    FBitmap = grown;
    FStored.clear();
}

QImage TCustomImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return {};
    return FBitmap.copy(index * FWidth, 0, FWidth, FHeight);
}

void TCustomImageList::SetBitmap(const QImage& bitmap) {
    FBitmap = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FStored.clear();
}

void TCustomImageList::SetStoredBitmap(const QByteArray& data) {
    FStored = data;
    const auto word = [&](int at) { return int(qFromLittleEndian<quint16>(data.constData() + at)); };
    if (data.size() < 30 || word(0) != 0x4C49) return;
    const int count = word(4), cx = word(10), cy = word(12);
    if (cx < 1 || cx > 4096 || cy < 1 || cy > 4096 || count > 4096) return;
    const QImage all = QImage::fromData(data.mid(28), "BMP");
    if (all.isNull() || all.width() < std::min(count, 4) * cx || all.height() < (count + 3) / 4 * cy) return;
    QImage strip(cx * count, cy, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int i = 0; i < count; ++i) p.drawImage(QPoint(i * cx, 0), all, QRect(i % 4 * cx, i / 4 * cy, cx, cy));
    p.end();
    FWidth = cx;
    FHeight = cy;
    FBitmap = strip;
}

void TCustomImageList::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        QStringLiteral("Bitmap"), [this](const QByteArray& b) { SetStoredBitmap(b); }, [this] { return FStored; },
        !FStored.isEmpty());
}

void TCustomImageList::Assign(const TCustomImageList& source) {
    FWidth = source.FWidth;
    FHeight = source.FHeight;
    FDepth = source.FDepth;
    FMasked = source.FMasked;
    FBitmap = source.FBitmap;
    FStored = source.FStored;
}

WK_REGISTER_CLASS(TImageList)
