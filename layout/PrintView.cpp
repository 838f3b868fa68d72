#include "PrintView.h"

#include "ClassRegistry.h"
#include "WKConsts.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace Plotmere {

namespace {
int R(double v) { return int(Round(v)); }

TScrollAxis HorizontalAxis(int sheet, int client, int offset) {
    TScrollAxis a;
    const int d = sheet - client;
    if (d < -29) {
        a.Offset = -d / 2;
        return a;
    }
    a.HasRange = true;
    a.Min = -TSketchView::SheetMargin;
    a.Max = d + TSketchView::SheetMargin;
    // At least 1: a page step must never scroll the other way.
    a.LargeChange = std::max(1, (d + TSketchView::SheetMargin) / 3);
    a.SmallChange = std::max(1, a.LargeChange / 5);
    a.Offset = std::clamp(offset, -d - TSketchView::SheetMargin, int(TSketchView::SheetMargin));
    a.Position = -a.Offset;
    return a;
}

TScrollAxis VerticalAxis(int sheet, int client, int offset) {
    TScrollAxis a;
    const int d = sheet - client;
    if (d < -29) {
        a.Offset = TSketchView::SheetMargin;
        return a;
    }
    a.HasRange = true;
    a.Min = -TSketchView::SheetMargin;
    a.Max = d + TSketchView::SheetMargin;
    a.LargeChange = std::max(1, client / 2);
    a.SmallChange = std::max(1, a.LargeChange / 10);
    a.Offset = std::clamp(offset, client - sheet - TSketchView::SheetMargin, int(TSketchView::SheetMargin));
    a.Position = -a.Offset;
    return a;
}

Qt::CursorShape CursorOf(TPrintEditActions a) {
    if (a.Contains(saMove)) return Qt::SizeAllCursor;
    if (a.Contains(saSetup)) return Qt::PointingHandCursor;
    if (a.Contains(saAdd)) return Qt::CrossCursor;
    if (a.Contains(saModify)) return Qt::IBeamCursor;
    if (a.Contains(saMark)) return Qt::DragMoveCursor;
    if (a.Contains(saDelete)) return Qt::ArrowCursor;
    const bool l = a.Contains(saLeft), t = a.Contains(saTop), r = a.Contains(saRight), b = a.Contains(saBottom);
    if ((l && t) || (r && b)) return Qt::SizeFDiagCursor;
    if ((l && b) || (t && r)) return Qt::SizeBDiagCursor;
    if (l || r) return Qt::SizeHorCursor;
    if (t || b) return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}
}  // namespace

TScrollLayout CalcScrollLayout(const QSize& sheet, const QSize& client, const QSize& offset) {
    return {HorizontalAxis(sheet.width(), client.width(), offset.width()),
            VerticalAxis(sheet.height(), client.height(), offset.height())};
}

TSketchView::TSketchView(QObject* owner)
    : TPrintView(owner), FHorzBar(new QScrollBar(Qt::Horizontal, this)), FVertBar(new QScrollBar(Qt::Vertical, this)) {
    FDevice->Offset = QSize(InitialOffset, InitialOffset);
    SetBounds(Left(), Top(), 100, 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    FHorzBar->hide();
    connect(FHorzBar, &QScrollBar::actionTriggered, this, [this](int action) {
        if (!FUpdatingBars) DoScroll(Qt::Horizontal, action, FHorzBar->sliderPosition());
    });
    connect(FVertBar, &QScrollBar::actionTriggered, this, [this](int action) {
        if (!FUpdatingBars) DoScroll(Qt::Vertical, action, FVertBar->sliderPosition());
    });
    LayoutScrollBars();
}

TSketchView::~TSketchView() { SetDocument(nullptr); }

template <typename F>
void TSketchView::Guarded(const char* method, F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TSketchView.%1: %2").arg(QLatin1String(method), ExceptionMessage(e)));
        try {
            CancelAction();
        } catch (const std::exception&) {
            // Nothing more can be undone here; the view is repainted below.
        }
        update();
    }
}

QRect TSketchView::ClientArea() const {
    QRect r = rect();
    r.setWidth(std::max(0, r.width() - FVertBar->sizeHint().width()));
    if (FHorzBar->isVisibleTo(this)) r.setHeight(std::max(0, r.height() - FHorzBar->sizeHint().height()));
    return r;
}

void TSketchView::LayoutScrollBars() {
    const int vw = FVertBar->sizeHint().width(), hh = FHorzBar->sizeHint().height();
    const bool horz = FHorzBar->isVisibleTo(this);
    FVertBar->setGeometry(width() - vw, 0, vw, height() - (horz ? hh : 0));
    FHorzBar->setGeometry(0, height() - hh, width() - vw, hh);
}

void TSketchView::SetDocument(TPrintDocument* value) {
    if (value == FDocument) return;
    if (FDocument) FDocument->AddViewCache(this).ScrollPos = FDevice->Offset;
    TPrintView::SetDocument(value);
    if (!FDocument) {
        update();
        return;
    }
    const TViewCacheEntry* entry = FDocument->FindViewCache(this);
    if (!entry) FDevice->Offset = QSize(InitialOffset, InitialOffset);
    SyncDocProp(entry);
}

void TSketchView::SetMainView(bool value) {
    if (FMainView == value) return;
    TPrintView::SetMainView(value);
    if (!value) FHorzBar->hide();
    UpdateScroll(false);
}

void TSketchView::SyncDocProp(const TViewCacheEntry* entry) {
    if (!FDocument) return;
    if (FDocument->HasState(TPrintItem::psEditing)) FDocument->EndInplaceEdit();
    if (FDevice->XRes() < 0) FDevice->SetResolutions();
    FDevice->SetScale(FDocument->DocScale());
    FDevice->PageGap = FDocument->AsSheet() ? 0 : PageGapPixels;
    if (FDocument->IsFixedPageSize()) {
        FDevice->PageWidth = FDocument->FixedPageSize().width();
        FDevice->PageHeight = FDocument->FixedPageSize().height();
    } else {
        FDevice->SetCurrentPrinter();
    }
    if (entry) FDevice->Offset = entry->ScrollPos;
    // A document shown for the first time is laid out now.
    if (FMainView) FDocument->PrepareDocument();
    FPrevScrollPos = FDevice->Offset;
    UpdateScroll(false);
}

void TSketchView::DocChanged(TDocChangeEventType type) {
    switch (type) {
    case dcDisposition: case dcContents: case dcData:
        UpdateScroll(false);
        update();
        break;
    case dcProperty: SyncDocProp(nullptr); break;
    case dcUpdate: UpdateView(); break;
    case dcMode: CancelAction(); break;
    default: break;
    }
}

void TSketchView::DocChanged(TDocChangeEventType type, TPrintView* view) {
    if (type != dcHScroll || !view) return;
    FPrevScrollPos = FDevice->Offset;
    FDevice->Offset.setWidth(view->Device().Offset.width());
    UpdateScroll(true);
}

TPrintItem* TSketchView::GetItemAt(const QPoint& point) {
    if (!FDocument) return nullptr;
    return FDocument->GetItemAt(FDevice->PrjBack(double(point.x()), double(point.y())));
}

// --- scrolling ------------------------------------------------------------------------

void TSketchView::UpdateScroll(bool smooth) {
    if (!FDocument) {
        update();
        return;
    }
    try {
        const QSize sheet = FDevice->GetSheetSize(FDocument->PageCount());
        TScrollLayout layout = CalcScrollLayout(sheet, ClientArea().size(), FDevice->Offset);
        const bool horz = layout.Horizontal.HasRange && FMainView;
        if (horz != FHorzBar->isVisibleTo(this)) {
            // The bar takes height from the client area: count again with it.
            FHorzBar->setVisible(horz);
            LayoutScrollBars();
            layout = CalcScrollLayout(sheet, ClientArea().size(), FDevice->Offset);
        }
        FDevice->Offset = QSize(layout.Horizontal.Offset, layout.Vertical.Offset);
        FLargeChange = QSize(layout.Horizontal.LargeChange, layout.Vertical.LargeChange);
        FSmallChange = QSize(layout.Horizontal.SmallChange, layout.Vertical.SmallChange);
        {
            const QScopedValueRollback updating(FUpdatingBars, true);
            if (FMainView && layout.Horizontal.HasRange) {
                FHorzBar->setRange(layout.Horizontal.Min, layout.Horizontal.Max);
                FHorzBar->setValue(layout.Horizontal.Position);
                FHorzBar->setSingleStep(FSmallChange.width());
                FHorzBar->setPageStep(FLargeChange.width());
            }
            FVertBar->setRange(layout.Vertical.HasRange ? layout.Vertical.Min : 0,
                               layout.Vertical.HasRange ? layout.Vertical.Max : 0);
            FVertBar->setValue(layout.Vertical.Position);
            FVertBar->setSingleStep(FSmallChange.height());
            FVertBar->setPageStep(FLargeChange.height());
            FVertBar->setEnabled(layout.Vertical.HasRange);
        }
        FOnScroll.Invoke(static_cast<QObject*>(this));
        const QSize moved = FDevice->Offset - FPrevScrollPos;
        FPrevScrollPos = FDevice->Offset;
        if (smooth && !moved.isNull()) scroll(moved.width(), moved.height(), ClientArea());
        else update();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TSketchView.UpdateScroll: ") + ExceptionMessage(e));
        update();
    }
}

void TSketchView::SetOffset(const QSize& offset) {
    FPrevScrollPos = FDevice->Offset;
    FDevice->Offset = offset;
    UpdateScroll(true);
}

void TSketchView::SetLeftOffset(int x) {
    SetOffset(QSize(x, GetTopOffset()));
    if (FDocument) FDocument->NotifyViews(dcHScroll, this);
}

void TSketchView::SetTopOffset(int y) { SetOffset(QSize(GetLeftOffset(), y)); }

void TSketchView::LineUp() { SetTopOffset(GetTopOffset() + FSmallChange.height()); }

void TSketchView::LineDown() { SetTopOffset(GetTopOffset() - FSmallChange.height()); }

void TSketchView::PageUp() { SetTopOffset(GetTopOffset() + FLargeChange.height()); }

void TSketchView::PageDown() { SetTopOffset(GetTopOffset() - FLargeChange.height()); }

void TSketchView::GoTop() { SetTopOffset(SheetMargin); }

void TSketchView::GoBottom() {
    if (!FDocument) return;
    const QSize sheet = FDevice->GetSheetSize(FDocument->PageCount());
    SetTopOffset(ClientArea().height() - sheet.height() - SheetMargin);
}

double TSketchView::GetPosition() const { return FDevice->PrjTopOffsetToMM(-GetTopOffset()); }

void TSketchView::SetPosition(double mm) { SetTopOffset(-FDevice->PrjMMToTopOffset(mm)); }

void TSketchView::DoScroll(Qt::Orientation orientation, int action, int trackPosition) {
    const bool horz = orientation == Qt::Horizontal;
    const QScrollBar* bar = horz ? FHorzBar : FVertBar;
    int pos = -(horz ? GetLeftOffset() : GetTopOffset());
    const int small = horz ? FSmallChange.width() : FSmallChange.height();
    const int large = horz ? FLargeChange.width() : FLargeChange.height();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: pos -= small; break;
    case QAbstractSlider::SliderSingleStepAdd: pos += small; break;
    case QAbstractSlider::SliderPageStepSub: pos -= large; break;
    case QAbstractSlider::SliderPageStepAdd: pos += large; break;
    case QAbstractSlider::SliderMove: pos = trackPosition; break;
    case QAbstractSlider::SliderToMinimum: pos = bar->minimum(); break;
    case QAbstractSlider::SliderToMaximum: pos = bar->maximum(); break;
    default: return;
    }
    pos = std::clamp(pos, bar->minimum(), bar->maximum());
    if (horz) SetLeftOffset(-pos);
    else SetTopOffset(-pos);
}

// --- painting -------------------------------------------------------------------------

void TSketchView::ShowCurrentPage(QPainter& canvas, const QRect& page, int pageNo, int pageCount) {
    const int l = page.left(), t = page.top(), r = page.left() + page.width(), b = page.top() + page.height();
    canvas.fillRect(page, Qt::white);
    const int step = FDocument->GridStep();
    if (FDocument->IsDesigner() && step > 0) {
        canvas.setPen(ColorToQColor(TColor(GridColor)));
        const double pxX = FDevice->XRes() * FDevice->Scale(), pxY = FDevice->YRes() * FDevice->Scale();
        for (int x = step; x < FDevice->PageWidth; x += step) canvas.drawLine(l + R(x * pxX), t, l + R(x * pxX), b - 1);
        for (int y = step; y < FDevice->PageHeight; y += step) canvas.drawLine(l, t + R(y * pxY), r - 1, t + R(y * pxY));
    }
    const bool gap = FDevice->PageGap > 0;
    const QColor border = ColorToQColor(TColor(PageBorderColor));
    if (!gap && pageNo > 1) canvas.setPen(QPen(ColorToQColor(TColor(PageJoinColor)), 0, Qt::DotLine));
    else canvas.setPen(border);
    canvas.drawLine(l, t, r, t);
    canvas.setPen(border);
    if (gap || pageNo == pageCount) canvas.drawLine(l, b, r + 1, b);
    canvas.drawLine(l, t, l, b);
    canvas.drawLine(r, t, r, b);
    const QColor shadow = ColorToQColor(clBtnShadow);
    if (gap || pageNo == pageCount) canvas.fillRect(QRect(QPoint(l + 5, b + 1), QPoint(r + 5, b + 6)), shadow);
    canvas.fillRect(QRect(QPoint(r + 1, t + 5), QPoint(r + 5, b + 5)), shadow);
}

void TSketchView::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    if (!FDocument) {
        canvas.fillRect(rect(), ColorToQColor(TColor(TScreenDevice::BackgroundColor)));
        return;
    }
    bool rendering = false;
    try {
        FDevice->BeginRender(&canvas);
        rendering = true;
        const QRect client = ClientArea();
        const int pageCount = FDocument->PageCount();
        bool first = true;
        for (int page = 1; page <= pageCount; ++page) {
            FDevice->SetPageNo(page);
            const QRect abs = FDevice->GetAbsPageRect();
            if (abs.intersects(client)) {
                ShowCurrentPage(*FDevice->Canvas(), abs, page, pageCount);
                if (first) {
                    first = false;
                    FDevice->TopPage = page;
                    FOnChangeTopPage.Invoke(static_cast<QObject*>(this));
                }
                FDocument->RenderCurrentPage(*FDevice);
            }
            if (client.top() + client.height() < abs.top() + abs.height()) break;
        }
        FDocument->PostRender(*FDevice);
        rendering = false;
        FDevice->EndRender(&canvas);
        PaintFrames(canvas, FDevice->Frames());
        PaintSegments(canvas, FDevice->Segments());
    } catch (const std::exception& e) {
        // Painting never raises: what was drawn is shown, the rest stays grey.
        DebugLog(QStringLiteral("TSketchView.Paint: ") + ExceptionMessage(e));
        if (rendering) FDevice->EndRender(&canvas);
    }
}

void TSketchView::resizeEvent(QResizeEvent* event) {
    TPrintView::resizeEvent(event);
    if (FDevice->XRes() < 0) FDevice->SetResolutions();
    LayoutScrollBars();
    FPrevScrollPos = FDevice->Offset;
    UpdateScroll(false);
}

void TSketchView::UpdateView() {
    if (!FDocument) return;
    const QRect client = ClientArea();
    for (int page = 1; page <= FDocument->PageCount(); ++page) {
        FDevice->SetPageNo(page);
        const QRect abs = FDevice->GetAbsPageRect();
        if (abs.intersects(client)) FDocument->InvalidateItemRect(this, *FDevice, client);
        if (client.top() + client.height() < abs.top() + abs.height()) break;
    }
    repaint();
}

// --- input ----------------------------------------------------------------------------

void TSketchView::MoveSelection(int dx, int dy) {
    if (!FDocument || FDocument->Selection().isEmpty()) return;
    (new TPrintMoveAction(dx, dy, FDevice.get(), FDocument))->Finish();
}

void TSketchView::CancelAction() {
    releaseMouse();
    FEditAction = {};
    if (FDocument && FDocument->CurAction()) FDocument->CurAction()->Cancel();
    HideFrames();
    update();
}

TPrintEditActions TSketchView::GetUserAction(Qt::KeyboardModifiers shift, int x, int y, bool doubleClick) {
    if (!FDocument) return {};
    TPrintItem* item = GetItemAt(QPoint(x, y));
    if (!item) return {};
    const TPrintEditActions own = item->GetUserAction(this, x, y, shift);
    if (!own.Empty()) return own;
    if (!FDocument->IsDesigner() || doubleClick)
        return item->HasState(TPrintItem::psCanSetup) ? TPrintEditActions{saSetup} : TPrintEditActions{};
    if (FDocument->Selection().size() > 1) return item->Selected() ? TPrintEditActions{saMove} : TPrintEditActions{};
    const bool withShift = shift.testFlag(Qt::ShiftModifier);
    if (item->Selected()) {
        if (withShift) return item->HasState(TPrintItem::psInplaceEditor) ? TPrintEditActions{saModify} : TPrintEditActions{};
        TPrintEditActions edges;
        if (!item->HasState(TPrintItem::psAutosize)) {
            const QPoint mm = FDevice->PrjBack(QPoint(x, y));
            const QRect b = item->Bounds();
            if (mm.x() - b.left() < 2) edges.Include(saLeft);
            else if (b.left() + b.width() - mm.x() < 2) edges.Include(saRight);
            if (mm.y() - b.top() < 2) edges.Include(saTop);
            else if (b.top() + b.height() - mm.y() < 2) edges.Include(saBottom);
        }
        return edges.Empty() ? TPrintEditActions{saMove} : edges;
    }
    if (!item->HasState(TPrintItem::psSelectable)) return {};
    if (item->HasState(TPrintItem::psInplaceEditor) && withShift && FDocument->Selection().isEmpty())
        return {saModify};
    return {saMove};
}

void TSketchView::DoUserAction(TPrintItem* item, TPrintEditActions actions, Qt::KeyboardModifiers shift, int x, int y) {
    if (!item || item->DoUserAction(this, actions, x, y, shift)) return;
    if (actions.Contains(saMove)) {
        FDocument->SetCurAction(new TPrintMoveAction(actions, FDocument));
    } else if (!(actions & TPrintEditActions{saLeft, saTop, saRight, saBottom}).Empty()) {
        FDocument->SetCurAction(new TPrintSizeAction(actions, FDocument));
    } else if (actions.Contains(saSetup)) {
        FDocument->SetupItem(item);
    } else if (actions.Contains(saModify)) {
        item->BeginInplaceEdit(this);
    }
}

void TSketchView::Press(QMouseEvent* event, bool doubleClick) {
    const QScopedValueRollback pressKind(FInDoubleClick, doubleClick);
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (!FDocument) return;
    const Qt::MouseButton button = event->button();
    const Qt::KeyboardModifiers shift = event->modifiers();
    const int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    if (TPrintAction* action = FDocument->CurAction()) {
        if (button == Qt::RightButton) CancelAction();
        else action->MouseDown(this, button, shift, x, y);
        return;
    }
    FEditAction = {};
    if (FDocument->EditMode() == emPlaceComponent) return;
    TPrintItem* item = GetItemAt(QPoint(x, y));
    FDocument->SelectTreeItem(item ? item : FDocument);
    if (button != Qt::LeftButton) {
        TPrintView::mousePressEvent(event);
        return;
    }
    FEditAction = GetUserAction(shift, x, y, doubleClick);
    if (FDocument->IsDesigner() && !FEditAction.Contains(saModify)) {
        if (!item || item == FDocument || !item->HasState(TPrintItem::psSelectable)) {
            if (!FDocument->Selection().isEmpty()) FDocument->DeselectAll();
        } else if (shift.testFlag(Qt::ShiftModifier)) {
            item->Select(!item->Selected());
        } else if (!item->Selected()) {
            FDocument->DeselectAll();
            item->Select(true);
        }
        FDocument->Update();
    }
    if (FEditAction.Empty()) return;
    DoUserAction(item, FEditAction, shift, x, y);
    if (TPrintAction* action = FDocument->CurAction()) action->MouseDown(this, button, shift, x, y);
}

void TSketchView::mousePressEvent(QMouseEvent* event) {
    Guarded("MouseDown", [&] { Press(event, false); });
}

void TSketchView::mouseDoubleClickEvent(QMouseEvent* event) {
    Guarded("DblClick", [&] { Press(event, true); });
}

void TSketchView::UpdateCursor(Qt::KeyboardModifiers shift, const QPoint& pos) {
    if (!FDocument) return;
    if (FDocument->EditMode() == emPlaceComponent) {
        setCursor(Qt::DragCopyCursor);
        return;
    }
    if (QApplication::mouseButtons() != Qt::NoButton) return;  // captured: the cursor stays
    setCursor(CursorOf(GetUserAction(shift, pos.x(), pos.y())));
}

void TSketchView::mouseMoveEvent(QMouseEvent* event) {
    Guarded("MouseMove", [&] {
        if (!FDocument) return;
        const QPoint p = event->position().toPoint();
        if (TPrintAction* action = FDocument->CurAction()) action->MouseMove(this, event->modifiers(), p.x(), p.y());
        else UpdateCursor(event->modifiers(), p);
    });
}

void TSketchView::mouseReleaseEvent(QMouseEvent* event) {
    Guarded("MouseUp", [&] {
        if (!FDocument) return;
        const QPoint p = event->position().toPoint();
        if (TPrintAction* action = FDocument->CurAction()) action->MouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
        if (event->button() == Qt::LeftButton && FDocument->EditMode() == emPlaceComponent)
            FDocument->PlaceItem(FDevice->PrjBack(double(p.x()), double(p.y())));
    });
}

void TSketchView::wheelEvent(QWheelEvent* event) {
    Guarded("MouseWheel", [&] {
        if (FDocument && FDocument->CurAction()) return;
        const bool down = event->angleDelta().y() < 0;
        if (event->modifiers().testFlag(Qt::ShiftModifier)) down ? PageDown() : PageUp();
        else down ? LineDown() : LineUp();
    });
}

void TSketchView::keyPressEvent(QKeyEvent* event) {
    Guarded("KeyDown", [&] {
        if (!FDocument || FDocument->CurAction()) return;
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        switch (event->key()) {
        case Qt::Key_PageUp: shift ? LineUp() : PageUp(); break;
        case Qt::Key_PageDown: shift ? LineDown() : PageDown(); break;
        case Qt::Key_End: GoBottom(); break;
        case Qt::Key_Home: GoTop(); break;
        case Qt::Key_Left: MoveSelection(-1, 0); break;
        case Qt::Key_Up: MoveSelection(0, -1); break;
        case Qt::Key_Right: MoveSelection(1, 0); break;
        case Qt::Key_Down: MoveSelection(0, 1); break;
        default: UpdateCursor(event->modifiers(), mapFromGlobal(QCursor::pos())); break;
        }
    });
}

void TSketchView::keyReleaseEvent(QKeyEvent* event) {
    Guarded("KeyUp", [&] {
        if (FDocument && !FDocument->CurAction()) UpdateCursor(event->modifiers(), mapFromGlobal(QCursor::pos()));
    });
}

void TSketchView::focusOutEvent(QFocusEvent* event) {
    TPrintView::focusOutEvent(event);
    const bool takenAway = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    Guarded("CancelMode", [&] {
        if (takenAway && FDocument && FDocument->CurAction()) CancelAction();
    });
}

WK_REGISTER_CLASS(TSketchView)

}  // namespace Plotmere
