#pragma once
// The splitter: a thin control aligned beside another aligned control (its
// neighbour, the one whose edge it touches); dragging it with the left mouse
// button resizes the neighbour. The neighbour keeps at least MinSize pixels
// (with AutoSnap it collapses to 0 when dragged below that) and the room left
// for the parent's other controls keeps MinSize too.
#include "Controls.h"

#pragma GCC visibility push(default)

class TSplitter : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoSnap READ AutoSnap WRITE SetAutoSnap)
    Q_PROPERTY(bool Beveled READ Beveled WRITE SetBeveled)
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)
    Q_PROPERTY(TResizeStyle ResizeStyle READ ResizeStyle WRITE SetResizeStyle)
    Q_PROPERTY(TMethod OnCanResize READ OnCanResize WRITE SetOnCanResize)
    Q_PROPERTY(TMethod OnMoved READ OnMoved WRITE SetOnMoved)
public:
    // rsUpdate resizes while dragging; the others when the button is released.
    enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
    Q_ENUM(TResizeStyle)

    Q_INVOKABLE explicit TSplitter(QObject* owner = nullptr);

    bool AutoSnap() const { return FAutoSnap; }
    void SetAutoSnap(bool v) { FAutoSnap = v; }
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool v);
    int MinSize() const { return FMinSize; }
    void SetMinSize(int v) { FMinSize = std::max(v, 1); }
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle v) { FResizeStyle = v; }
    // Handlers: OnCanResize(QObject* sender, int* newSize, bool* accept),
    // OnMoved(QObject* sender).
    TMethod OnCanResize() const { return FOnCanResize; }
    void SetOnCanResize(const TMethod& v) { FOnCanResize = v; }
    TMethod OnMoved() const { return FOnMoved; }
    void SetOnMoved(const TMethod& v) { FOnMoved = v; }

    // The control this splitter resizes, or null.
    TControl* FindNeighbour() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;

private:
    bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
    int NewSizeFor(QPoint parentPos);
    void Apply(int newSize);

    bool FAutoSnap = true;
    bool FBeveled = false;
    int FMinSize = 30;
    TResizeStyle FResizeStyle = rsPattern;
    TMethod FOnCanResize, FOnMoved;

    QPointer<TControl> FNeighbour;
    QPoint FDownPos;
    int FOldSize = 0;
    int FMaxSize = 0;
    int FPendingSize = -1;
};

#pragma GCC visibility pop
