#include "StdCtrls.h"

#include <QFontMetrics>
#include <QPainter>

TCustomLabel::TCustomLabel(QObject* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 17); }

void TCustomLabel::SetCaption(const QString& v) {
    if (v == FCaption) return;
    FCaption = v;
    AdjustBounds();
    update();
}

void TCustomLabel::SetAlignment(TAlignment v) {
    FAlignment = v;
    update();
}

void TCustomLabel::SetAutoSize(bool v) {
    FAutoSize = v;
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool v) {
    FTransparent = v;
    setAutoFillBackground(!v);
    update();
}

void TCustomLabel::SetWordWrap(bool v) {
    FWordWrap = v;
    AdjustBounds();
    update();
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    const QFontMetrics fm(Font()->ToQFont());
    const QRect r = FWordWrap ? fm.boundingRect(QRect(0, 0, Width(), 100000), Qt::TextWordWrap, FCaption)
                              : QRect(0, 0, fm.horizontalAdvance(FCaption), fm.height());
    const int w = FWordWrap ? Width() : std::max(r.width(), 1);
    // A right-aligned label keeps its right edge, as the old one did.
    const int left = FAlignment == taRightJustify ? Left() + Width() - w : Left();
    SetBounds(left, Top(), w, std::max(r.height(), fm.height()));
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!FTransparent) p.fillRect(rect(), ColorToQColor(Color()));
    p.setFont(Font()->ToQFont());
    p.setPen(ColorToQColor(Font()->Color()));
    int flags = FAlignment == taRightJustify ? Qt::AlignRight : FAlignment == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= Qt::AlignTop;
    if (FWordWrap) flags |= Qt::TextWordWrap;
    p.drawText(rect(), flags, FCaption);
}

TGroupBox::TGroupBox(QObject* owner) : TControl(owner) { SetBounds(0, 0, 185, 105); }

void TGroupBox::SetCaption(const QString& v) {
    FCaption = v;
    Realign();
    update();
}

void TGroupBox::AdjustClientRect(QRect& rect) const {
    const int h = QFontMetrics(Font()->ToQFont()).height();
    rect.adjust(2, h, -2, -2);
}

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    const QFont f = Font()->ToQFont();
    const QFontMetrics fm(f);
    const int top = fm.height() / 2;
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, top, -1, -1));
    if (FCaption.isEmpty()) return;
    const QRect text(8, 0, fm.horizontalAdvance(FCaption), fm.height());
    p.fillRect(text, ColorToQColor(Color()));
    p.setFont(f);
    p.setPen(ColorToQColor(Font()->Color()));
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop, FCaption);
}
