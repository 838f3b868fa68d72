#include "PrintInplaceEditor.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <cmath>

namespace Plotmere {

TPrintInplaceTextEditor::TPrintInplaceTextEditor(TPrintView* view, const QRect& rect, const QString& text,
                                                 const QFont& font)
    : QPlainTextEdit(view), LinkedItemPos(rect), FView(view), FOriginal(rect) {
    setFont(font);
    setFrameStyle(QFrame::Box);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    setPlainText(text);
    const TScreenDevice& device = view->Device();
    setGeometry(device.GetAbsPrjRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height())
                    .adjusted(-2, -2, 2, 2));
    connect(this, &QPlainTextEdit::textChanged, this, &TPrintInplaceTextEditor::Grow);
    Grow();
}

TPrintInplaceTextEditor* OpenInplaceEditor(TPrintItem& item, TPrintView* view, QRect rect, const QString& text,
                                           const TFont& font, bool selectAll) {
    if (rect.height() == 0) rect.setHeight(20);
    if (rect.width() == 0) rect.setWidth(40);
    auto* editor = new TPrintInplaceTextEditor(view, rect, text, view->Device().ScaledQFont(font));
    if (selectAll) editor->selectAll();
    else editor->moveCursor(QTextCursor::End);
    QPointer<TPrintItem> guarded(&item);
    editor->OnLeave = [guarded] {
        if (guarded) guarded->EndInplaceEdit();
    };
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    return editor;
}

TInplaceResult CloseInplaceEditor(QPointer<TPrintInplaceTextEditor>& editor, const QString& oldText) {
    TInplaceResult result;
    if (!editor) return result;
    TPrintInplaceTextEditor* closing = editor;
    editor = nullptr;
    closing->OnLeave = nullptr;
    result.Text = closing->toPlainText();
    result.Rect = closing->LinkedItemPos;
    result.Changed = result.Text != oldText || closing->RectChanged();
    closing->hide();
    closing->deleteLater();
    return result;
}

void TPrintInplaceTextEditor::Grow() {
    const QFontMetrics metrics(font());
    QString text = toPlainText();
    // A trailing line break already makes room for the next line.
    if (text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('W');
    int width = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    const int height = int(lines.size()) * metrics.lineSpacing();
    const QMargins m = contentsMargins();
    const int margin = int(2 * document()->documentMargin());
    const QSize needed(width + 8 + margin + m.left() + m.right(), height + 2 + margin + m.top() + m.bottom());
    const QSize grown = size().expandedTo(needed);
    if (grown != size()) {
        resize(grown);
        MapBack();
    }
}

void TPrintInplaceTextEditor::MapBack() {
    if (!FView) return;
    const QRect inner = geometry().adjusted(1, 1, -1, -1);
    const TScreenDevice& device = FView->Device();
    const TFloatPoint lt = device.PrjBack(double(inner.left()), double(inner.top()));
    const TFloatPoint rb = device.PrjBack(double(inner.left() + inner.width()), double(inner.top() + inner.height()));
    const int left = int(std::round(lt.x)), top = int(std::round(lt.y));
    LinkedItemPos = QRect(left, top, std::max(1, int(std::round(rb.x)) - left), std::max(1, int(std::round(rb.y)) - top));
}

Qt::Edges TPrintInplaceTextEditor::EdgesAt(const QPoint& p) const {
    Qt::Edges edges;
    if (p.x() <= 3) edges |= Qt::LeftEdge;
    else if (width() - 1 - p.x() <= 3) edges |= Qt::RightEdge;
    if (p.y() <= 3) edges |= Qt::TopEdge;
    else if (height() - 1 - p.y() <= 3) edges |= Qt::BottomEdge;
    return edges;
}

void TPrintInplaceTextEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) return;
    FDragging = event->button() == Qt::LeftButton ? EdgesAt(event->position().toPoint()) : Qt::Edges();
    if (!FDragging) {
        QPlainTextEdit::mousePressEvent(event);
        return;
    }
    FPressed = event->globalPosition().toPoint();
    FPressedGeometry = geometry();
}

void TPrintInplaceTextEditor::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging) {
        const Qt::Edges edges = EdgesAt(event->position().toPoint());
        const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge), vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
        viewport()->setCursor(horizontal && vertical ? Qt::SizeFDiagCursor
                              : horizontal           ? Qt::SizeHorCursor
                              : vertical             ? Qt::SizeVerCursor
                                                     : Qt::IBeamCursor);
        QPlainTextEdit::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - FPressed;
    QRect g = FPressedGeometry;
    if (FDragging & Qt::LeftEdge) g.setLeft(std::min(g.left() + d.x(), g.right() - 8));
    if (FDragging & Qt::RightEdge) g.setRight(std::max(g.right() + d.x(), g.left() + 8));
    if (FDragging & Qt::TopEdge) g.setTop(std::min(g.top() + d.y(), g.bottom() - 8));
    if (FDragging & Qt::BottomEdge) g.setBottom(std::max(g.bottom() + d.y(), g.top() + 8));
    setGeometry(g);
    MapBack();
    FResized = true;
}

void TPrintInplaceTextEditor::mouseReleaseEvent(QMouseEvent* event) {
    if (FDragging) {
        FDragging = {};
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

void TPrintInplaceTextEditor::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) return;
    if (auto leave = std::exchange(OnLeave, nullptr)) leave();
}

}  // namespace Plotmere
