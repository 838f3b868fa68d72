#include "StringGrid.h"

#include "ClassRegistry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

WK_REGISTER_CLASS(TStringGrid)

TStringGrid::TStringGrid(QObject* owner) : TCustomGrid(owner) { setFocusPolicy(Qt::StrongFocus); }

QString TStringGrid::Cells(int col, int row) const {
    const auto it = FCells.find({col, row});
    return it == FCells.end() ? QString() : it->second;
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (text.isEmpty()) FCells.erase({col, row});
    else FCells[{col, row}] = text;
    if (FEditor && col == FEditCol && row == FEditRow) FEditor->setText(text);
    update();
}

void TStringGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect) {
    // A grid disabled only to take no input still shows its text plainly.
    p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    p.setFont(Font()->ToQFont());
    p.drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, Cells(col, row));
}

namespace {
// Where index i goes when the line at from moves to to.
int MovedIndex(int i, int from, int to) {
    if (i == from) return to;
    if (from < to && i > from && i <= to) return i - 1;
    if (from > to && i >= to && i < from) return i + 1;
    return i;
}
}  // namespace

void TStringGrid::ColumnMoved(int from, int to) {
    std::map<std::pair<int, int>, QString> moved;
    for (const auto& [key, text] : FCells) moved[{MovedIndex(key.first, from, to), key.second}] = text;
    FCells.swap(moved);
}

void TStringGrid::RowMoved(int from, int to) {
    std::map<std::pair<int, int>, QString> moved;
    for (const auto& [key, text] : FCells) moved[{key.first, MovedIndex(key.second, from, to)}] = text;
    FCells.swap(moved);
}

void TStringGrid::ShowEditor() {
    if (!Options().testFlag(goEditing) || Col() < FixedCols() || Row() < FixedRows()) return;
    if (Col() >= ColCount() || Row() >= RowCount()) return;
    if (!FEditor) {
        FEditor = new QLineEdit(this);
        FEditor->setFrame(false);
        connect(FEditor, &QLineEdit::editingFinished, this, [this] { HideEditor(); });
    }
    FEditCol = Col();
    FEditRow = Row();
    FEditor->setText(Cells(FEditCol, FEditRow));
    FEditor->setGeometry(CellRect(FEditCol, FEditRow));
    FEditor->show();
    FEditor->setFocus();
}

void TStringGrid::HideEditor() {
    if (!FEditor || FEditCol < 0) return;
    const int col = FEditCol, row = FEditRow;
    FEditCol = FEditRow = -1;
    SetCells(col, row, FEditor->text());
    FEditor->hide();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    TCustomGrid::mouseDoubleClickEvent(e);
    ShowEditor();
}

void TStringGrid::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F2 || (!e->text().isEmpty() && e->text().at(0).isPrint())) {
        ShowEditor();
        if (FEditor && FEditor->isVisible() && e->key() != Qt::Key_F2) FEditor->setText(e->text());
        return;
    }
    TCustomGrid::keyPressEvent(e);
}
