#pragma once
// The layout view: the pages of a document stacked vertically on a grey
// background, scrolled and zoomed, drawn through the double-buffered screen
// device; in design mode it turns mouse and keyboard input into editing
// actions. Views of one document scroll horizontally together; the main view
// lends its device to the document's layout.
#include "PrintEngine.h"

#include <QScrollBar>

#pragma GCC visibility push(default)

namespace Plotmere {

// One axis of the scroll bars as UpdateScroll sets it.
struct TScrollAxis {
    bool HasRange = false;
    int Min = 0, Max = 0, Position = 0;
    int LargeChange = 1, SmallChange = 1;
    int Offset = 0;  // the device offset on this axis
};
struct TScrollLayout {
    TScrollAxis Horizontal, Vertical;
};
// The scroll bars for a sheet in a client area at an offset: 15 pixels of
// margin around the sheet; a sheet more than 29 pixels narrower than the
// client is centred, a lower one sits 15 pixels from the top.
TScrollLayout CalcScrollLayout(const QSize& sheet, const QSize& client, const QSize& offset);

class TSketchView : public TPrintView {
    Q_OBJECT
    Q_PROPERTY(Plotmere::TPrintDocument* Document READ Document WRITE SetDocument)
    Q_PROPERTY(bool MainView READ MainView WRITE SetMainView)
    Q_PROPERTY(TMethod OnChangeTopPage READ OnChangeTopPage WRITE SetOnChangeTopPage)
    Q_PROPERTY(TMethod OnScroll READ OnScroll WRITE SetOnScroll)
public:
    Q_INVOKABLE explicit TSketchView(QObject* owner = nullptr);
    ~TSketchView() override;

    static constexpr int InitialOffset = 10;
    static constexpr int SheetMargin = 15;
    static constexpr int PageGapPixels = 10;
    static constexpr unsigned PageBorderColor = 8421504;   // $808080
    static constexpr unsigned PageJoinColor = 12632256;    // $C0C0C0
    static constexpr unsigned GridColor = 15790320;        // $F0F0F0

    void SetDocument(TPrintDocument* value) override;
    void SetMainView(bool value) override;
    virtual void SyncDocProp(const TViewCacheEntry* entry);
    void DocChanged(TDocChangeEventType type) override;
    void DocChanged(TDocChangeEventType type, TPrintView* view) override;
    TPrintItem* GetItemAt(const QPoint& point) override;
    QRect ClientArea() const override;

    TMethod OnChangeTopPage() const { return FOnChangeTopPage; }
    void SetOnChangeTopPage(const TMethod& value) { FOnChangeTopPage = value; }
    TMethod OnScroll() const { return FOnScroll; }
    void SetOnScroll(const TMethod& value) { FOnScroll = value; }

    int GetLeftOffset() const { return FDevice->Offset.width(); }
    int GetTopOffset() const { return FDevice->Offset.height(); }
    void SetLeftOffset(int x);
    void SetTopOffset(int y);
    void SetOffset(const QSize& offset);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void GoTop();
    void GoBottom();
    // The millimetre at the top of the window.
    double GetPosition() const;
    void SetPosition(double mm);
    QSize SmallChange() const { return FSmallChange; }
    QSize LargeChange() const { return FLargeChange; }
    QScrollBar* HorzScrollBar() const { return FHorzBar; }
    QScrollBar* VertScrollBar() const { return FVertBar; }

    void UpdateScroll(bool smooth);
    void DoScroll(Qt::Orientation orientation, int action, int trackPosition);
    void MoveSelection(int dx, int dy);
    void CancelAction();
    void UpdateView();
    // The actions a press at (x, y) would start.
    TPrintEditActions GetUserAction(Qt::KeyboardModifiers shift, int x, int y, bool doubleClick = false);
    void DoUserAction(TPrintItem* item, TPrintEditActions actions, Qt::KeyboardModifiers shift, int x, int y);
    TPrintEditActions EditAction() const { return FEditAction; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Another window or a popup taking over cancels the action in progress.
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowCurrentPage(QPainter& canvas, const QRect& page, int pageNo, int pageCount);
    void Press(QMouseEvent* event, bool doubleClick);
    void UpdateCursor(Qt::KeyboardModifiers shift, const QPoint& pos);
    void LayoutScrollBars();
    // Runs an input handler; a failure cancels the action in progress and
    // is written to the debug log, so that the view stays usable.
    template <typename F>
    void Guarded(const char* method, F&& handler);

    QSize FPrevScrollPos;
    QSize FSmallChange{1, 1}, FLargeChange{1, 1};
    TPrintEditActions FEditAction;
    TMethod FOnChangeTopPage, FOnScroll;
    QScrollBar* FHorzBar;  // children of the view
    QScrollBar* FVertBar;
    bool FUpdatingBars = false;
};

}  // namespace Plotmere

#pragma GCC visibility pop
