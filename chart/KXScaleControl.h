#pragma once
// Double-buffered controls of the chart engine: the base, the scale strip and
// the splitter between fields.
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

#pragma GCC visibility push(default)

class QPainter;
class TScale;
class TGraphion;

// A control painted in one pass over its whole area, without background erasing.
class TFastControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AutoFill READ AutoFill WRITE SetAutoFill)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
public:
    explicit TFastControl(QWidget* Parent = nullptr);

    void Lock() { ++FLockCount; }
    void Unlock();
    bool Locked() const { return FLockCount > 0; }
    bool AutoFill() const { return FAutoFill; }
    void SetAutoFill(bool Value) { FAutoFill = Value; }
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);
    // The colour the control is filled with before painting.
    virtual QColor FillColor() const { return FColor; }

protected:
    virtual void PaintOn(QPainter& DC) = 0;
    // Qt's backing store already buffers every widget (at the screen's pixel
    // ratio), so the control paints straight into it.
    void paintEvent(QPaintEvent*) override;

private:
    bool FAutoFill = true;
    int FLockCount = 0;
    QColor FColor;
};

// The visible strip of one scale: caption, marks and labels, display value,
// check box; wheel zoom and pan, drags that move or stretch the range.
class TScaleControl : public TFastControl {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    TScaleControl(QWidget* Parent, TScale* Scale);
    ~TScaleControl() override;
    // Whether any strip of any chart is being dragged or stretched by the mouse now.
    static bool AnyHoldsCapture() { return FCaptureCount > 0; }

    TScale* ParentScale() const { return FParentScale; }
    // Sizes the strip again: the length from the strip, the thickness from the scale.
    void AdjustScale();
    bool ShowCheckbox() const;
    QRect GetCheckboxRect() const;
    // The third of the strip under a position along it: 0, 1 or 2.
    int MouseAt(int Pos) const;
    // The part a press at a point (strip coordinates) works on.
    int GetClickedAt(const QPoint& Pos) const;
    void MouseWheelScale(Qt::KeyboardModifiers Shift, const QPoint& MousePos, bool Up);
    // Notches wheel steps (fractions of one allowed), upwards when positive.
    void MouseWheelScale(Qt::KeyboardModifiers Shift, const QPoint& MousePos, double Notches);
    // The text and the font of the display value.
    QString DisplayValueText() const;
    QFont DisplayValueFont() const;
    // The strip's colour: its field's inside a field, else its chart's.
    QColor FillColor() const override;
    // The auto-range request of the data-bound charts: 1 asks the first series
    // painted on the scale to fit the range to its data.
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    void BeginMoveScale(int X, int Y);
    void MoveScale(int MPos);
    bool Vertical() const;
    QString text() const { return FText; }
    void setText(const QString& Value);
    // The chart the strip stands in, or null.
    TGraphion* Chart() const;

protected:
    void PaintOn(QPainter& DC) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // The box of the display value for a position along the strip, kept off the
    // caption and the check box.
    QRect DisplayValueBox(int P, const QFontMetrics& Fm, const QString& Text) const;
    QRect CaptionRect(const QFontMetrics& Fm) const;
    void PaintHorizontal(QPainter& DC);
    void PaintVertical(QPainter& DC);
    void PaintCaption(QPainter& DC);
    void PaintDisplayValue(QPainter& DC);
    void PaintCheckbox(QPainter& DC);
    int Along(const QPoint& p) const { return Vertical() ? p.y() : p.x(); }

    QPointer<TScale> FParentScale;
    int FPrevX = -1, FPrevY = -1;
    bool FDragging = false;
    static int FCaptureCount;
    void SetDragging(bool Value);
    bool FReordering = false;
    QString FText;
    int FTag = 0;
};

// The one-pixel bar between two fields; dragging it resizes the field before it.
class TKXSplitter : public QWidget {
    Q_OBJECT
public:
    explicit TKXSplitter(QWidget* Parent);
    void SetVertical(bool Value);  // a vertical bar between fields side by side
    bool IsVertical() const { return FVertical; }
    // Moved by Delta pixels along the chart's field direction.
    std::function<void(int Delta)> OnMoved;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool FVertical = false;
    bool FDown = false;
    int FLast = 0;
};

#pragma GCC visibility pop
