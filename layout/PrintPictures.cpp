#include "PrintPictures.h"

#include "ClassRegistry.h"
#include "ClipboardFormats.h"
#include "ItemSetup.h"
#include "Pictures.h"
#include "PrintSeries.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <cmath>

namespace Plotmere {

namespace {
// Designer-only states of pictures, panels and tables.
void FollowDesigner(TPrintItem& item) {
    const TPrintDocument* doc = item.GetDocument();
    const bool designer = doc && doc->IsDesigner();
    item.SetStateFlag(TPrintItem::psSelectable, designer);
    item.SetStateFlag(TPrintItem::psCanSetup, designer);
}
}  // namespace

TPrintImage::TPrintImage(QObject* owner) : TPrintItem(owner), FImage(new TPicture(this)) {
    FWidth = 50;
    FHeight = 50;
}

void TPrintImage::SetImage(TPicture* value) { FImage->Assign(value); }

void TPrintImage::SetGraphic(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    FImage->LoadFromData(bytes);
}

bool TPrintImage::SetImageFile(const QString& fileName) {
    QFile file(fileName);
    try {
        if (!file.open(QIODevice::ReadOnly)) throw Exception(file.errorString());
        FImage->LoadFromData(file.readAll());
    } catch (const std::exception& e) {
        MessageDlg(QStringLiteral("Не удается загрузить изображение %1: %2").arg(fileName, ExceptionMessage(e)), mtError, mbOK);
        return false;
    }
    FImageFile = fileName;
    return true;
}

QSize PictureSizeMM(const QImage& image) {
    if (image.isNull() || image.width() == 0 || image.height() == 0) return {50, 50};
    const auto mm = [](int pixels, int dotsPerMeter) {
        return int(std::ceil(pixels * 1000.0 / (dotsPerMeter > 0 ? dotsPerMeter : DefaultDotsPerMeter) - 1e-9));
    };
    return {mm(image.width(), image.dotsPerMeterX()), mm(image.height(), image.dotsPerMeterY())};
}

void TPrintImage::AutoSize() {
    const QSize size = FImage->Empty() ? QSize(50, 50) : PictureSizeMM(FImage->Graphic());
    FWidth = size.width();
    FHeight = size.height();
}

void TPrintImage::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (!HasState(psCanSetup)) return;
    tree.AddChild(node, FImage->Empty() ? QStringLiteral("Изображение(пустое)") : QStringLiteral("Изображение"), 6, this);
}

int TPrintImage::SupportsClipboardFormat(const QList<int>& formats) const {
    return formats.contains(CF_BITMAP) || formats.contains(CF_DIB) ? 99 : -1;
}

void TPrintImage::CreateFromClipboard() {
    SetGraphic(UIServices().Clipboard().GetImage());
    AutoSize();
}

void TPrintImage::Prepare(TRenderDevice& device) {
    FollowDesigner(*this);
    const TPrintDocument* doc = GetDocument();
    if (!(doc && doc->IsDesigner()) && Selected()) Select(false);
    TPrintItem::Prepare(device);
}

void TPrintImage::Render(TRenderDevice& device) {
    if (!device.Canvas()) return;
    const double l = FBounds.left(), t = FBounds.top(), r = l + FBounds.width(), b = t + FBounds.height();
    if (!FImage->Empty() && !FImage->Graphic().isNull()) {
        device.Draw(l, t, r, b, FImage->Graphic());
    } else {
        QPainter& canvas = *device.Canvas();
        canvas.save();
        canvas.setBrush(Qt::NoBrush);
        canvas.setPen(QPen(ColorToQColor(clRed), 1, Qt::DotLine));
        device.Rectangle(l, t, r, b);
        canvas.restore();
    }
    TPrintItem::Render(device);
}

bool TPrintImage::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

TPrintShape::TPrintShape(QObject* owner) : TPrintItem(owner) {
    FWidth = 50;
    FHeight = 50;
    FState = TPrintItemState(psAcceptItems);
}

bool TPrintShape::AcceptItem(TPrintItem* item) const {
    return item && !qobject_cast<TPrintSeries*>(item) && !item->inherits("Plotmere::TPrintComment") &&
           !item->inherits("Plotmere::TPrintCommentsRoot");
}

void TPrintShape::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (!HasState(psCanSetup) && Items().isEmpty()) return;
    QTreeWidgetItem* own = tree.AddChild(node, QStringLiteral("Панель"), 5, this);
    TPrintItem::BuildTree(tree, own);
}

void TPrintShape::Prepare(TRenderDevice& device) {
    FollowDesigner(*this);
    TPrintItem::Prepare(device);
}

void DrawPanel(QPainter& canvas, const QRect& r, TColor brushColor, TColor topColor, TColor bottomColor, int frameWidth) {
    canvas.save();
    canvas.fillRect(r, ColorToQColor(brushColor));
    const QColor top = ColorToQColor(topColor), bottom = ColorToQColor(bottomColor);
    for (int i = 0; i < frameWidth; ++i) {
        const QRect f = r.adjusted(i, i, -i, -i);
        if (f.width() <= 0 || f.height() <= 0) break;
        canvas.setPen(top);
        canvas.drawLine(f.left(), f.top(), f.right(), f.top());
        canvas.drawLine(f.left(), f.top(), f.left(), f.bottom());
        canvas.setPen(bottom);
        canvas.drawLine(f.right(), f.top(), f.right(), f.bottom());
        canvas.drawLine(f.left(), f.bottom(), f.right(), f.bottom());
    }
    canvas.restore();
}

void TPrintShape::Render(TRenderDevice& device) {
    if (!device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    QRect r = device.PrjRect(FBounds);
    if (r.intersects(device.PageBounds)) {
        // Edges beyond the page are moved just out of sight.
        const int pageBottom = device.PageBounds.top() + device.PageBounds.height();
        if (r.top() < device.PageBounds.top()) r.setTop(-100);
        if (r.top() + r.height() > pageBottom) r.setBottom(pageBottom + 100);
        DrawPanel(canvas, r, FBrushColor, FTopColor, FBottomColor, FFrameWidth);
    }
    TPrintItem::Render(device);
}

bool TPrintShape::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

WK_REGISTER_CLASS(TPrintImage)
WK_REGISTER_CLASS(TPrintShape)

}  // namespace Plotmere
