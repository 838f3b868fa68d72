#pragma once
// The custom grid base of the old class library: a table of cells with
// fixed (header) columns and rows, column widths and row heights, the
// goXxx options, a selected cell, a scroll position and owner-drawn cells
// (DrawCell). Subclasses publish what they need.
#include "Controls.h"

#include <QList>

#pragma GCC visibility push(default)

class TCustomGrid : public TControl {
    Q_OBJECT
    Q_PROPERTY(int ColCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int RowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE SetFixedCols)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int DefaultColWidth READ DefaultColWidth WRITE SetDefaultColWidth)
    Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE SetDefaultRowHeight)
    Q_PROPERTY(bool DefaultDrawing READ DefaultDrawing WRITE SetDefaultDrawing)
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE SetGridLineWidth)
    Q_PROPERTY(TGridOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(Colors::TColor FixedColor READ FixedColor WRITE SetFixedColor)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TGridDrawingStyle DrawingStyle READ DrawingStyle WRITE SetDrawingStyle)
    Q_PROPERTY(Colors::TColor GradientStartColor READ GradientStartColor WRITE SetGradientStartColor)
    Q_PROPERTY(Colors::TColor GradientEndColor READ GradientEndColor WRITE SetGradientEndColor)
public:
    enum TGridOption {
        goFixedVertLine = 0x1, goFixedHorzLine = 0x2, goVertLine = 0x4, goHorzLine = 0x8, goRangeSelect = 0x10,
        goDrawFocusSelected = 0x20, goRowSizing = 0x40, goColSizing = 0x80, goRowMoving = 0x100,
        goColMoving = 0x200, goEditing = 0x400, goTabs = 0x800, goRowSelect = 0x1000, goAlwaysShowEditor = 0x2000,
        goThumbTracking = 0x4000
    };
    Q_DECLARE_FLAGS(TGridOptions, TGridOption)
    Q_FLAG(TGridOptions)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)
    enum TGridDrawingStyle { gdsClassic, gdsThemed, gdsGradient };
    Q_ENUM(TGridDrawingStyle)

    // Counts and sizes above these are refused, so a stored form cannot make
    // the grid allocate without bound.
    static constexpr int MaxCount = 100000;

    Q_INVOKABLE explicit TCustomGrid(QObject* owner = nullptr);

    int ColCount() const { return int(FColWidths.size()); }
    void SetColCount(int v);
    int RowCount() const { return int(FRowHeights.size()); }
    void SetRowCount(int v);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int v);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int v);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool v) { FDefaultDrawing = v; }
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int v);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions v);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TGridDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TGridDrawingStyle v);
    TColor GradientStartColor() const { return FGradientStart; }
    void SetGradientStartColor(TColor v);
    TColor GradientEndColor() const { return FGradientEnd; }
    void SetGradientEndColor(TColor v);

    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;

    // The selected cell (-1 when none) and the first scrollable column and row shown.
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    void SetSelection(int col, int row);
    int LeftCol() const { return FLeftCol; }
    int TopRow() const { return FTopRow; }
    void SetLeftCol(int v);
    void SetTopRow(int v);
    // The cell under a point of the control (-1, -1 outside the cells).
    void MouseToCell(const QPoint& pos, int& col, int& row) const;
    QRect CellRect(int col, int row) const;
    int VisibleRowCount() const;

    // Moves a row or column as the mouse moving options do.
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);
    // While the mouse drags a row or column: what moves and where it would
    // land (-1 when nothing is dragged).
    int DragFrom() const { return FDragFrom; }
    int DragTo() const { return FDragTo; }
    // Moves the selected cell by rows (the wheel), clamped to the scrollable
    // rows, scrolling so that it stays in view.
    void MoveSelectionRows(int delta);

protected:
    virtual void DrawCell(QPainter& p, int col, int row, const QRect& rect);
    virtual void RowMoved(int from, int to) { Q_UNUSED(from); Q_UNUSED(to); }
    virtual void ColumnMoved(int from, int to) { Q_UNUSED(from); Q_UNUSED(to); }
    void paintEvent(QPaintEvent* e) override;
    // Mouse: a press selects the cell under the pointer (clamped to the
    // scrollable cells). With goRowMoving a press on a fixed column's cell
    // drags that row, with goColMoving a press on a fixed row's cell drags
    // that column; releasing moves it to the row or column under the pointer.
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // The wheel moves the selection one row per notch.
    void wheelEvent(QWheelEvent* e) override;
    void AdjustClientRect(QRect& rect) const override;

private:
    static int Clamped(int v, const char* what);
    // The left edge of a column (or top of a row) in the current scroll state; -1 when scrolled away.
    int ColLeft(int col) const;
    int RowTop(int row) const;

    QList<int> FColWidths;
    QList<int> FRowHeights;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    bool FDefaultDrawing = true;
    int FGridLineWidth = 1;
    TGridOptions FOptions = TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    TColor FFixedColor = clBtnFace;
    TBorderStyle FBorderStyle = bsSingle;
    TGridDrawingStyle FDrawingStyle = gdsThemed;
    TColor FGradientStart = clWhite;
    TColor FGradientEnd = clBtnFace;
    int FCol = 1;
    int FRow = 1;
    int FLeftCol = 1;
    int FTopRow = 1;
    enum class TDrag { None, Row, Column } FDrag = TDrag::None;
    int FDragFrom = -1;
    int FDragTo = -1;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomGrid::TGridOptions)

#pragma GCC visibility pop
