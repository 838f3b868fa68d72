#include "ImgList.h"

#include <QPainter>
#include <algorithm>

void TCustomImageList::SetWidth(int v) {
    FWidth = std::clamp(v, 1, 4096);
    FBitmap = QImage();
}

void TCustomImageList::SetHeight(int v) {
    FHeight = std::clamp(v, 1, 4096);
    FBitmap = QImage();
}

void TCustomImageList::Add(const QImage& image) {
    QImage grown(FWidth * (Count() + 1), FHeight, QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter p(&grown);
    if (!FBitmap.isNull()) p.drawImage(0, 0, FBitmap);
    p.drawImage(QRect(FWidth * Count(), 0, FWidth, FHeight), image);
    p.end();
    FBitmap = grown;
}

QImage TCustomImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return {};
    return FBitmap.copy(index * FWidth, 0, FWidth, FHeight);
}

void TCustomImageList::SetBitmap(const QImage& bitmap) {
    FBitmap = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TCustomImageList::Assign(const TCustomImageList& source) {
    FWidth = source.FWidth;
    FHeight = source.FHeight;
    FDepth = source.FDepth;
    FMasked = source.FMasked;
    FBitmap = source.FBitmap;
}
