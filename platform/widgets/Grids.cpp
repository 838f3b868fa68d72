#include "Grids.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <algorithm>

TCustomGrid::TCustomGrid(QObject* owner) : TControl(owner) {
    SetBounds(0, 0, 320, 120);
    SetColor(clWindow);
    SetColCount(5);
    SetRowCount(5);
}

int TCustomGrid::Clamped(int v, const char* what) {
    if (v < 0 || v > MaxCount)
        throw EComponentError(QStringLiteral("%1 out of range: %2").arg(QLatin1String(what)).arg(v));
    return v;
}

void TCustomGrid::SetColCount(int v) {
    Clamped(v, "ColCount");
    while (FColWidths.size() < v) FColWidths << FDefaultColWidth;
    FColWidths.resize(v);
    FFixedCols = std::min(FFixedCols, std::max(v - 1, 0));
    // Fewer fixed columns must not leave the first scrollable one out of view.
    FLeftCol = std::clamp(FLeftCol, FFixedCols, std::max(FFixedCols, v - 1));
    update();
}

void TCustomGrid::SetRowCount(int v) {
    Clamped(v, "RowCount");
    while (FRowHeights.size() < v) FRowHeights << FDefaultRowHeight;
    FRowHeights.resize(v);
    FFixedRows = std::min(FFixedRows, std::max(v - 1, 0));
    FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, v - 1));
    update();
}

void TCustomGrid::SetFixedCols(int v) {
    if (v < 0 || (ColCount() > 0 && v >= ColCount()))
        throw EComponentError(QStringLiteral("FixedCols out of range: %1").arg(v));
    FFixedCols = v;
    FLeftCol = v;
    update();
}

void TCustomGrid::SetFixedRows(int v) {
    if (v < 0 || (RowCount() > 0 && v >= RowCount()))
        throw EComponentError(QStringLiteral("FixedRows out of range: %1").arg(v));
    FFixedRows = v;
    FTopRow = v;
    update();
}

void TCustomGrid::SetDefaultColWidth(int v) {
    FDefaultColWidth = Clamped(v, "DefaultColWidth");
    std::fill(FColWidths.begin(), FColWidths.end(), v);
    update();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
    FDefaultRowHeight = Clamped(v, "DefaultRowHeight");
    std::fill(FRowHeights.begin(), FRowHeights.end(), v);
    update();
}

void TCustomGrid::SetGridLineWidth(int v) {
    FGridLineWidth = std::clamp(v, 0, 100);
    update();
}

void TCustomGrid::SetOptions(TGridOptions v) {
    FOptions = v;
    update();
}

void TCustomGrid::SetFixedColor(TColor v) {
    FFixedColor = v;
    update();
}

void TCustomGrid::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    update();
}

void TCustomGrid::SetDrawingStyle(TGridDrawingStyle v) {
    FDrawingStyle = v;
    update();
}

void TCustomGrid::SetGradientStartColor(TColor v) {
    FGradientStart = v;
    update();
}

void TCustomGrid::SetGradientEndColor(TColor v) {
    FGradientEnd = v;
    update();
}

int TCustomGrid::ColWidths(int col) const { return col >= 0 && col < ColCount() ? FColWidths[col] : 0; }

void TCustomGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    FColWidths[col] = std::clamp(width, 0, MaxCount);
    update();
}

int TCustomGrid::RowHeights(int row) const { return row >= 0 && row < RowCount() ? FRowHeights[row] : 0; }

void TCustomGrid::SetSelection(int col, int row) {
    FCol = col;
    FRow = row;
    update();
}

void TCustomGrid::SetLeftCol(int v) {
    FLeftCol = std::clamp(v, FFixedCols, std::max(FFixedCols, ColCount() - 1));
    update();
}

void TCustomGrid::SetTopRow(int v) {
    FTopRow = std::clamp(v, FFixedRows, std::max(FFixedRows, RowCount() - 1));
    update();
}

void TCustomGrid::AdjustClientRect(QRect& rect) const {
    if (FBorderStyle == bsSingle) rect.adjust(1, 1, -1, -1);
}

int TCustomGrid::ColLeft(int col) const {
    if (col >= FFixedCols && col < FLeftCol) return -1;
    int x = ClientRect().left();
    for (int c = 0; c < std::min(col, FFixedCols); ++c) x += FColWidths[c] + FGridLineWidth;
    for (int c = std::max(FLeftCol, FFixedCols); c < col; ++c) x += FColWidths[c] + FGridLineWidth;
    return x;
}

int TCustomGrid::RowTop(int row) const {
    if (row >= FFixedRows && row < FTopRow) return -1;
    int y = ClientRect().top();
    for (int r = 0; r < std::min(row, FFixedRows); ++r) y += FRowHeights[r] + FGridLineWidth;
    for (int r = std::max(FTopRow, FFixedRows); r < row; ++r) y += FRowHeights[r] + FGridLineWidth;
    return y;
}

QRect TCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    const int x = ColLeft(col), y = RowTop(row);
    if (x < 0 || y < 0) return {};
    return QRect(x, y, FColWidths[col], FRowHeights[row]);
}

int TCustomGrid::VisibleRowCount() const {
    int n = 0;
    const int bottom = ClientRect().bottom();
    for (int r = std::max(FTopRow, FFixedRows); r < RowCount(); ++r) {
        if (RowTop(r) + FRowHeights[r] > bottom + 1) break;
        ++n;
    }
    return n;
}

void TCustomGrid::MouseToCell(const QPoint& pos, int& col, int& row) const {
    col = row = -1;
    for (int c = 0; c < ColCount() && col < 0; ++c)
        if (ColLeft(c) >= 0 && pos.x() >= ColLeft(c) && pos.x() < ColLeft(c) + FColWidths[c] + FGridLineWidth) col = c;
    for (int r = 0; r < RowCount() && row < 0; ++r)
        if (RowTop(r) >= 0 && pos.y() >= RowTop(r) && pos.y() < RowTop(r) + FRowHeights[r] + FGridLineWidth) row = r;
    if (col < 0 || row < 0) col = row = -1;
}

void TCustomGrid::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount() || from == to) return;
    FRowHeights.move(from, to);
    RowMoved(from, to);
    update();
}

void TCustomGrid::MoveColumn(int from, int to) {
    if (from < 0 || to < 0 || from >= ColCount() || to >= ColCount() || from == to) return;
    FColWidths.move(from, to);
    ColumnMoved(from, to);
    update();
}

void TCustomGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect) {
    Q_UNUSED(p);
    Q_UNUSED(col);
    Q_UNUSED(row);
    Q_UNUSED(rect);
}

void TCustomGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    if (FBorderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setClipRect(ClientRect());
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c) {
            const QRect cell = CellRect(c, r);
            if (cell.isEmpty() || !cell.intersects(ClientRect())) continue;
            const bool fixed = c < FFixedCols || r < FFixedRows;
            if (FDefaultDrawing) {
                if (fixed && FDrawingStyle == gdsGradient) {
                    QLinearGradient g(cell.topLeft(), cell.bottomLeft());
                    g.setColorAt(0, ColorToQColor(FGradientStart));
                    g.setColorAt(1, ColorToQColor(FGradientEnd));
                    p.fillRect(cell, g);
                } else if (fixed) {
                    p.fillRect(cell, ColorToQColor(FFixedColor));
                } else if (c == FCol && r == FRow && FOptions.testFlag(goDrawFocusSelected)) {
                    p.fillRect(cell, palette().color(QPalette::Highlight).lighter(170));
                }
            }
            if (FGridLineWidth > 0) {
                const bool vert = FOptions.testFlag(fixed ? goFixedVertLine : goVertLine);
                const bool horz = FOptions.testFlag(fixed ? goFixedHorzLine : goHorzLine);
                p.setPen(QPen(palette().color(QPalette::Mid), FGridLineWidth));
                if (vert) p.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
                if (horz) p.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
            }
            p.save();
            p.setClipRect(cell.intersected(ClientRect()));
            DrawCell(p, c, r, cell);
            p.restore();
        }
    // Where a dragged row or column would land.
    if (FDrag != TDrag::None && FDragTo != FDragFrom) {
        const QRect target = FDrag == TDrag::Row ? CellRect(0, FDragTo) : CellRect(FDragTo, 0);
        if (!target.isEmpty()) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            const bool after = FDragTo > FDragFrom;
            if (FDrag == TDrag::Row) {
                const int y = after ? target.bottom() + 1 : target.top();
                p.drawLine(ClientRect().left(), y, ClientRect().right(), y);
            } else {
                const int x = after ? target.right() + 1 : target.left();
                p.drawLine(x, ClientRect().top(), x, ClientRect().bottom());
            }
        }
    }
}

void TCustomGrid::mousePressEvent(QMouseEvent* e) {
    TControl::mousePressEvent(e);
    int c = -1, r = -1;
    MouseToCell(e->position().toPoint(), c, r);
    if (c < 0) return;
    if (e->button() == Qt::LeftButton) {
        if (FOptions.testFlag(goRowMoving) && c < FFixedCols && r >= FFixedRows) {
            FDrag = TDrag::Row;
            FDragFrom = FDragTo = r;
        } else if (FOptions.testFlag(goColMoving) && r < FFixedRows && c >= FFixedCols) {
            FDrag = TDrag::Column;
            FDragFrom = FDragTo = c;
        }
    }
    SetSelection(std::clamp(c, FFixedCols, std::max(FFixedCols, ColCount() - 1)),
                 std::clamp(r, FFixedRows, std::max(FFixedRows, RowCount() - 1)));
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* e) {
    TControl::mouseMoveEvent(e);
    if (FDrag == TDrag::None) return;
    int c = -1, r = -1;
    MouseToCell(e->position().toPoint(), c, r);
    const int at = FDrag == TDrag::Row ? r : c;
    const int first = FDrag == TDrag::Row ? FFixedRows : FFixedCols;
    if (at >= first) FDragTo = at;
    update();
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
    TControl::mouseReleaseEvent(e);
    if (FDrag == TDrag::None || e->button() != Qt::LeftButton) return;
    const TDrag drag = FDrag;
    const int from = FDragFrom, to = FDragTo;
    FDrag = TDrag::None;
    FDragFrom = FDragTo = -1;
    if (drag == TDrag::Row) {
        MoveRow(from, to);
        if (from != to) SetSelection(FCol, to);
    } else {
        MoveColumn(from, to);
        if (from != to) SetSelection(to, FRow);
    }
}

void TCustomGrid::MoveSelectionRows(int delta) {
    if (RowCount() <= FFixedRows) return;
    const int row = std::clamp(FRow + delta, FFixedRows, RowCount() - 1);
    SetSelection(FCol, row);
    if (row < FTopRow)
        SetTopRow(row);
    else if (const int visible = std::max(1, VisibleRowCount()); row >= FTopRow + visible)
        SetTopRow(row - visible + 1);
}

void TCustomGrid::wheelEvent(QWheelEvent* e) {
    const int notches = e->angleDelta().y() / 120;
    if (notches == 0) return TControl::wheelEvent(e);
    MoveSelectionRows(-notches);
    e->accept();
}
