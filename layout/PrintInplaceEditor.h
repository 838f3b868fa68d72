#pragma once
// The in-place text editor of labels and comments: a memo over the item on
// the view, growing with its text, whose edges can be dragged. Closing it
// hands the text and the rectangle back to the item, which makes the change
// an undoable action.
#include "PrintActions.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintInplaceTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    // Over rect (millimetres) of the view, with the item's text and font.
    TPrintInplaceTextEditor(TPrintView* view, const QRect& rect, const QString& text, const QFont& font);
    // The item's rectangle in whole millimetres, as resized by the user.
    QRect LinkedItemPos;
    // Called once when the editor loses the focus.
    std::function<void()> OnLeave;
    // The user dragged an edge to a new rectangle.
    bool RectChanged() const { return FResized && LinkedItemPos != FOriginal; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Grows (never shrinks) to the text plus 8 x 2 pixels.
    void Grow();
    // The editor's inner rectangle back to whole millimetres.
    void MapBack();
    // Which edges a point within 3 pixels of them grabs.
    Qt::Edges EdgesAt(const QPoint& point) const;

    QPointer<TPrintView> FView;
    QRect FOriginal;
    Qt::Edges FDragging;
    bool FResized = false;
    QPoint FPressed;
    QRect FPressedGeometry;
};

// Opens an editor for item over rect (a zero height counts 20 mm, a zero
// width 40 mm) with the text in the font as the view shows it; leaving it
// calls the item's EndInplaceEdit.
TPrintInplaceTextEditor* OpenInplaceEditor(TPrintItem& item, TPrintView* view, QRect rect, const QString& text,
                                           const TFont& font, bool selectAll);
// Takes the editor's result and frees it (later: it may be in its own event).
struct TInplaceResult {
    QString Text;
    QRect Rect;
    bool Changed = false;
};
TInplaceResult CloseInplaceEditor(QPointer<TPrintInplaceTextEditor>& editor, const QString& oldText);

// A label's or comment's text edited in place.
class TPrintLabelEditAction : public TPrintSetupAction {
public:
    using TPrintSetupAction::TPrintSetupAction;
    QString GetName() const override { return QStringLiteral("Редактирование текста"); }
};

}  // namespace Plotmere

#pragma GCC visibility pop
