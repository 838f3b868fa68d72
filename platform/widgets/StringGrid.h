#pragma once
// The text grid of the old class library: a grid of cells that hold text.
// With goEditing a cell is edited in place (double click, F2 or typing;
// Enter keeps the text, Escape drops it).
#include "Grids.h"

#include <QLineEdit>
#include <QPointer>
#include <map>

#pragma GCC visibility push(default)

class TStringGrid : public TCustomGrid {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TStringGrid(QObject* owner = nullptr);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    // Opens the in-place editor on the selected cell (only with goEditing, never on a fixed cell).
    void ShowEditor();
    // Keeps the editor's text in its cell and closes it.
    void HideEditor();
    QLineEdit* InplaceEditor() const { return FEditor; }

protected:
    void DrawCell(QPainter& p, int col, int row, const QRect& rect) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::map<std::pair<int, int>, QString> FCells;  // (col, row)
    QPointer<QLineEdit> FEditor;
    int FEditCol = -1, FEditRow = -1;
};

#pragma GCC visibility pop
