#pragma once
// The panel: a container with a caption, two bevels and a border.
#include "Controls.h"

#pragma GCC visibility push(default)

class QPainter;

class TPanel : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
public:
    enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(TBevelCut)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_INVOKABLE explicit TPanel(QObject* owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    int FrameWidth() const;
    QString FCaption;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsNone;
    int FBorderWidth = 0;
};

// The frame of a panel drawn from the outside in: the single border line,
// the outer bevel, the border width (filled with BorderFill when valid) and
// the inner bevel. Rect shrinks to what lies inside.
struct TPanelFrame {
    TPanel::TBevelCut Inner = TPanel::bvNone;
    TPanel::TBevelCut Outer = TPanel::bvRaised;
    int BevelWidth = 1;
    TPanel::TBorderStyle Border = TPanel::bsNone;
    int BorderWidth = 0;
    // Pixels on each side.
    int Width() const;
    void Paint(QPainter& DC, QRect& Rect, const QPalette& Palette, const QColor& BorderFill = QColor()) const;
};

#pragma GCC visibility pop
