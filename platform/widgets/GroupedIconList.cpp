#include "GroupedIconList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollArea>

namespace {
constexpr int Margin = 6;
}  // namespace

TGroupedIconList::TGroupedIconList(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    // A scroll area around the list sizes it by its height for the width it
    // gets (it asks the size policy), so that every group can be scrolled to.
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void TGroupedIconList::SetGroups(const QStringList& captions) {
    FGroups = captions;
    Relayout();
}

void TGroupedIconList::SetSpacing(int horizontal, int vertical) {
    FSpacingX = qMax(16, horizontal);
    FSpacingY = qMax(16, vertical);
    Relayout();
}

int TGroupedIconList::AddEntry(const TEntry& entry) {
    FEntries.append(entry);
    Relayout();
    return FEntries.size() - 1;
}

int TGroupedIconList::FindCaption(const QString& caption) const {
    for (int i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Caption == caption) return i;
    return -1;
}

void TGroupedIconList::SetSelected(int index) {
    if (index < -1 || index >= FEntries.size()) index = -1;
    if (index == FSelected) return;
    FSelected = index;
    update();
    emit SelectionChanged(index);
}

TGroupedIconList::TLayout TGroupedIconList::Layout(int width) const {
    TLayout l;
    l.Cells.resize(FEntries.size());
    const int header = fontMetrics().height() + 6;
    const int perRow = qMax(1, (width - 2 * Margin) / FSpacingX);
    // Room for the picture and three lines of caption, at least the spacing.
    int iconHeight = 32;
    for (const QImage& image : FImages) iconHeight = qMax(iconHeight, image.height());
    const int rowHeight = qMax(FSpacingY, 4 + iconHeight + 2 + 3 * fontMetrics().lineSpacing() + 6);
    int y = Margin;
    for (int g = 0; g < FGroups.size(); ++g) {
        int column = 0;
        bool any = false;
        for (int i = 0; i < FEntries.size(); ++i) {
            if (FEntries[i].Group != g) continue;
            if (!any) {
                l.Headers.append({g, QRect(Margin, y, qMax(0, width - 2 * Margin), header)});
                y += header;
                any = true;
            }
            if (column == perRow) {
                column = 0;
                y += rowHeight;
            }
            l.Cells[i] = QRect(Margin + column * FSpacingX, y, FSpacingX, rowHeight);
            ++column;
        }
        if (any) y += rowHeight + Margin;
    }
    l.Height = y;
    return l;
}

void TGroupedIconList::Relayout() {
    FLayout = Layout(width());
    updateGeometry();
    update();
}

QRect TGroupedIconList::EntryRect(int index) const {
    return index >= 0 && index < FLayout.Cells.size() ? FLayout.Cells[index] : QRect();
}

int TGroupedIconList::EntryAt(const QPoint& p) const {
    for (int i = 0; i < FLayout.Cells.size(); ++i)
        if (FLayout.Cells[i].contains(p)) return i;
    return -1;
}

QSize TGroupedIconList::sizeHint() const {
    const int w = 4 * FSpacingX + 2 * Margin;
    return {w, heightForWidth(w)};
}

int TGroupedIconList::heightForWidth(int width) const { return Layout(width).Height; }

void TGroupedIconList::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FLayout = Layout(width());
}

void TGroupedIconList::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    for (const auto& [group, rect] : FLayout.Headers) {
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.setPen(pal.color(QPalette::Highlight).darker(130));
        const QString caption = FGroups.value(group);
        p.drawText(rect.adjusted(2, 0, 0, -4), Qt::AlignLeft | Qt::AlignVCenter, caption);
        const int textRight = rect.left() + 8 + QFontMetrics(bold).horizontalAdvance(caption);
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(textRight, rect.center().y(), rect.right(), rect.center().y());
    }
    p.setFont(font());
    for (int i = 0; i < FEntries.size(); ++i) {
        const QRect cell = FLayout.Cells[i].adjusted(2, 2, -2, -2);
        const TEntry& e = FEntries[i];
        const bool selected = i == FSelected;
        if (selected) {
            QColor fill = pal.color(QPalette::Highlight);
            fill.setAlpha(60);
            p.setPen(pal.color(QPalette::Highlight));
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(cell).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        const QImage image = FImages.value(e.ImageIndex);
        const int textTop = cell.top() + 4 + (image.isNull() ? 32 : image.height()) + 2;
        if (!image.isNull()) p.drawImage(QPoint(cell.center().x() - image.width() / 2, cell.top() + 4), image);
        p.setPen(pal.color(QPalette::Text));
        const QRect textRect(cell.left() + 2, textTop, cell.width() - 4, cell.bottom() - textTop);
        p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, e.Caption);
    }
}

void TGroupedIconList::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) SetSelected(EntryAt(e->position().toPoint()));
    QWidget::mousePressEvent(e);
}

void TGroupedIconList::mouseDoubleClickEvent(QMouseEvent* e) {
    const int index = EntryAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && index >= 0) {
        SetSelected(index);
        emit EntryDoubleClicked(index);
    }
}

void TGroupedIconList::keyPressEvent(QKeyEvent* e) {
    // Arrows walk the entries in their drawn order: groups first, then rows.
    QList<int> order;
    for (int g = 0; g < FGroups.size(); ++g)
        for (int i = 0; i < FEntries.size(); ++i)
            if (FEntries[i].Group == g) order << i;
    const int at = order.indexOf(FSelected);
    const int last = int(order.size()) - 1;
    int next;
    switch (e->key()) {
        case Qt::Key_Right: case Qt::Key_Down: next = at < 0 ? 0 : qMin(at + 1, last); break;
        case Qt::Key_Left: case Qt::Key_Up: next = at < 0 ? 0 : qMax(at - 1, 0); break;
        case Qt::Key_Home: next = 0; break;
        case Qt::Key_End: next = last; break;
        default: return QWidget::keyPressEvent(e);
    }
    if (order.isEmpty()) return QWidget::keyPressEvent(e);
    SetSelected(order[next]);
    EnsureVisible(order[next]);
}

void TGroupedIconList::EnsureVisible(int index) {
    const QRect cell = EntryRect(index);
    if (cell.isNull()) return;
    // The list sits in a scroll area's viewport: the area brings the cell into view.
    QWidget* viewport = parentWidget();
    auto* area = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    if (!area) return;
    // The group's caption above a group's first row comes into view with it.
    const int above = cell.top() - (fontMetrics().height() + 6);
    area->ensureVisible(cell.center().x(), qMax(0, above), cell.width() / 2, 0);
    area->ensureVisible(cell.center().x(), cell.center().y(), cell.width() / 2 + 1, cell.height() / 2 + 1);
}
