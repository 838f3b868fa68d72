#pragma once
// The engine of an active design surface: the design hook of the hosting form
// and the root's designer. It turns the input of designed controls into
// selection, drags and commands (mouse, keyboard, hints), keeps names unique
// and paints the grid.
//
// A drag works in the client coordinates of a container control, draws its
// outlines on an overlay (TDEngCanvas) above the container's children, and is
// driven by a draw procedure called with pfInitAndDraw, then pfMove whenever
// the virtual cursor changes, and finally pfOkRemoveAndDispose (button up) or
// ddpfCancelRemoveAndDispose (Esc, deactivation). The virtual cursor is the
// cursor clamped to the container and the form (Linux cannot clip the real
// one) and, while snapping, moved to the grid relative to where the drag
// started.
#include "DesignHook.h"
#include "DsgnSurface.h"
#include "DsgnSurfaceHint.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

#pragma GCC visibility push(default)

enum TDEngDrawProcFlag { pfInitAndDraw, pfMove, pfOkRemoveAndDispose, ddpfCancelRemoveAndDispose };

// The overlay of a drag: a transparent child of the container that the mouse
// passes through, drawing the outlines over the container's children.
class TDEngCanvas : public QWidget {
    Q_OBJECT
public:
    enum TPenKind { pkDottedWhite, pkGrey2 };
    explicit TDEngCanvas(QWidget* container);
    void SetOutlines(const QList<QRect>& rects, TPenKind pen);
    const QList<QRect>& Outlines() const { return FOutlines; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QList<QRect> FOutlines;
    TPenKind FPen = pkGrey2;
};

class TDEng;

class TDEngDrawProc {
public:
    virtual ~TDEngDrawProc() = default;
    // cursor: the virtual cursor in the container's coordinates.
    virtual void Draw(TDEngDrawProcFlag flag, const QPoint& cursor) = 0;
};

// The draw procedures of the four drags (DsgnSurfaceDrag.cpp).
std::unique_ptr<TDEngDrawProc> RubberBandDrawProc(TDEng& eng, QWidget* container, QPoint start);
std::unique_ptr<TDEngDrawProc> MoveDrawProc(TDEng& eng, QPoint start, const QList<TControl*>& controls);
std::unique_ptr<TDEngDrawProc> SizeDrawProc(TDEng& eng, QPoint start, TControl* control, TDSelCtrlItemPointPos pos);
std::unique_ptr<TDEngDrawProc> InsertDrawProc(TDEng& eng, TControl* container, QPoint start, const TClassInfo* cls);

class TDEng : public IDesignHook, public IRootDesigner {
public:
    TDEng(TCustomFormDesigner* designer, TControl* root, QWidget* form);
    ~TDEng() override;
    TDEng(const TDEng&) = delete;
    TDEng& operator=(const TDEng&) = delete;

    TCustomFormDesigner& Designer() const { return *FDesigner; }
    TFormDesignerSelectedControls& Selection() const { return *FSelCtrls; }
    TControl* Root() const { return FRoot; }
    QWidget* Form() const { return FForm; }
    bool RootIsForm() const { return FRoot == FForm; }
    TDEngCanvas* Canvas() const { return FCanvas; }
    TDEngHint& Hint() { return *FHint; }

    bool IsInDrawMode() const { return FIsInDrawMode; }
    // Ends a running drag as Esc does.
    void CancelDrag();
    // base + the smallest n = 1, 2, ... that no component of the root has
    // (OnGetUniqueName may decide); a leading T of a class name is dropped.
    QString UniqueName(const QString& baseName) const;
    // The handles follow changed controls; OnModified.
    void Modified();
    // Shows a drag hint (position, size) at once below the cursor.
    void DragHint(const QString& text);

    bool IsDesignMsg(QWidget* sender, QEvent* event) override;
    void PaintGrid(QPainter& painter, const QRect& clip) override;
    QWidget* GridSurface() const override;
    void ValidateRename(TComponentBase* component, const QString& curName, const QString& newName) override;
    void Notification(TComponentBase* component, TOperation operation) override;

private:
    bool DesignMsg(QWidget* sender, QEvent* event);
    bool MouseMsg(QWidget* sender, QMouseEvent* e);
    bool KeyMsg(QKeyEvent* e);
    bool CloseMsg(QCloseEvent* e);
    void MouseDown(QWidget* sender, QMouseEvent* e);
    void HandleDown(TDSelCtrlItemPoint* handle, QMouseEvent* e);
    void MouseMoveHint(QWidget* sender, const QPoint& globalPos);
    void ContextPopup(const QPoint& globalPos);
    void ArrowKey(int key, Qt::KeyboardModifiers mods);
    void TabKey(bool back);
    TControl* NearestDesignable(QWidget* w) const;
    TControl* NearestControl(QWidget* w) const;
    bool InRoot(const QWidget* w) const;
    void UpdateActive();

    void StartDrag(QWidget* container, bool snap, bool skipX, bool alignStart, bool skipY,
                   const std::function<std::unique_ptr<TDEngDrawProc>(QPoint start)>& makeProc, const QPoint& globalPos);
    void DragTo(const QPoint& globalPos);
    void EndDrag(bool ok);
    QPoint VirtualCursor(const QPoint& globalPos) const;

    TCustomFormDesigner* FDesigner;
    TFormDesignerSelectedControls* FSelCtrls;
    TFormDesignerGrid* FGrid;
    std::unique_ptr<TDEngHint> FHint;
    QPointer<TControl> FHintControl;
    QPointer<TDEngCanvas> FCanvas;
    QPointer<TControl> FRoot;
    QPointer<QWidget> FForm;
    QPointer<QWidget> FUnderCursor;

    // The running drag.
    bool FIsInDrawMode = false;
    QPointer<QWidget> FContainer;
    std::unique_ptr<TDEngDrawProc> FDrawProc;
    QPoint FInitCursorPos;
    QPoint FPressPos;  // where the button went down; snapping counts steps from here
    QPoint FLastVirtCursorPos;
    bool FInitSnapToGrid = false;
    bool FInitSkipXCursorMoving = false;
    bool FInitSkipYCursorMoving = false;
};

#pragma GCC visibility pop
