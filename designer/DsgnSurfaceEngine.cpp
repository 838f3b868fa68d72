#include "DsgnSurfaceEngine.h"

#include "ClassRegistry.h"
#include "WKConsts.h"
#include "DsgnSurfacePanel.h"
#include "Formatting.h"
#include "MainWindowHost.h"
#include "UIServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

TDEng::TDEng(TCustomFormDesigner* designer, TControl* root, QWidget* form)
    : FDesigner(designer), FSelCtrls(&designer->SelectedControls()), FGrid(designer->Grid()), FRoot(root), FForm(form) {
    FHint = std::make_unique<TDEngHint>([this] { return FUnderCursor.data(); });
    SetDesignHook(form, this);
    root->SetDesigner(this);
    if (auto* f = AsComponent(form); f && form != root) f->SetDesigning(true, false);
    root->SetDesigning(true);
    root->update();
    // The form keeps the focus itself: no designed control is active.
    if (QWidget* f = QApplication::focusWidget(); f && f != form && form->isAncestorOf(f)) form->setFocus();
    UpdateActive();
}

TDEng::~TDEng() {
    try {
        EndDrag(false);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TDEng.Destroy: %1").arg(ExceptionMessage(e)));
    }
    if (FForm) SetDesignHook(FForm, nullptr);
    if (FRoot) {
        FRoot->SetDesigner(nullptr);
        if (!FRoot->IsDestroying()) {
            FRoot->SetDesigning(false);
            FRoot->update();
        }
    }
    if (FForm && FForm != FRoot)
        if (auto* f = AsComponent(FForm.data()); f && !f->IsDestroying()) f->SetDesigning(false, false);
}

// --- names and notifications -----------------------------------------------------------------

QString TDEng::UniqueName(const QString& baseName) const {
    if (FDesigner->OnGetUniqueName) {
        QString name;
        FDesigner->OnGetUniqueName(baseName, name);
        if (!name.isEmpty()) return name;
    }
    const bool className = baseName.size() > 1 && (baseName[0] == 'T' || baseName[0] == 't');
    const QString base = className ? baseName.mid(1) : baseName;
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!FRoot->FindComponent(name)) return name;
    }
}

void TDEng::ValidateRename(TComponentBase* component, const QString&, const QString& newName) {
    if (newName.isEmpty() || !FDesigner->IsDesignable(component)) return;
    bool accept = IsValidIdent(newName);
    if (accept && FDesigner->OnValidateName) FDesigner->OnValidateName(newName, accept);
    if (!accept) throw EFormDesigner(InvalidNameMessage(newName));
    if (TComponentBase* other = FRoot->FindComponent(newName); other && other != component)
        throw EFormDesigner(DuplicateNameMessage(newName));
}

void TDEng::Notification(TComponentBase* component, TOperation operation) {
    if (operation == TOperation::opRemove) {
        // Compared as components: the control may be half destroyed already.
        for (int i = FSelCtrls->Count() - 1; i >= 0; --i)
            if (static_cast<TComponentBase*>(FSelCtrls->Items(i)->Control()) == component) FSelCtrls->Delete(i);
        if (static_cast<TComponentBase*>(FHintControl.data()) == component) {
            FHint->Hide();
            FHintControl = nullptr;
        }
    }
    if (FDesigner->OnNotification) FDesigner->OnNotification(component, operation);
}

void TDEng::Modified() {
    FSelCtrls->UpdateHandles();
    if (FDesigner->OnModified) FDesigner->OnModified();
}

void TDEng::PaintGrid(QPainter& painter, const QRect& clip) {
    if (!FGrid->Visible()) return;
    const int xs = FGrid->XStep(), ys = FGrid->YStep();
    QPolygon dots;
    for (int y = (clip.top() + ys - 1) / ys * ys; y <= clip.bottom(); y += ys)
        for (int x = (clip.left() + xs - 1) / xs * xs; x <= clip.right(); x += xs) dots << QPoint(x, y);
    painter.setPen(ColorToQColor(FGrid->Color()));
    painter.drawPoints(dots);
}

// A root that holds controls is what the user edits and it hides the form
// behind it: the dots belong on it.
QWidget* TDEng::GridSurface() const {
    return FRoot && FRoot != FForm && FRoot->AcceptsControls() ? FRoot.data() : nullptr;
}

// --- the hook --------------------------------------------------------------------------------

bool TDEng::IsDesignMsg(QWidget* sender, QEvent* event) {
    try {
        return DesignMsg(sender, event);
    } catch (const std::exception& e) {
        // What a user did failed (a locked control, a bad paste): tell them.
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
        return true;
    }
}

bool TDEng::InRoot(const QWidget* w) const { return w && FRoot && (w == FRoot || FRoot->isAncestorOf(w)); }

TControl* TDEng::NearestControl(QWidget* w) const {
    for (; w && w != FForm; w = w->parentWidget())
        if (auto* c = qobject_cast<TControl*>(w); c && InRoot(c)) return c;
    return InRoot(w) ? qobject_cast<TControl*>(w) : nullptr;
}

TControl* TDEng::NearestDesignable(QWidget* w) const {
    for (TControl* c = NearestControl(w); c; c = c == FRoot ? nullptr : c->ParentControl())
        if (FDesigner->IsDesignable(c)) return c;
    return FRoot;
}

void TDEng::UpdateActive() {
    QWidget* f = QApplication::focusWidget();
    FSelCtrls->SetActive(f && FForm && (f == FForm || FForm->isAncestorOf(f)));
}

bool TDEng::DesignMsg(QWidget* sender, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
            // Qt focuses a clicked control before any filter sees the click;
            // on the surface the form keeps the focus, no control is active.
            if (sender != FForm && InRoot(sender)) {
                FForm->setFocus();
                return true;
            }
            UpdateActive();
            return false;
        case QEvent::FocusOut:
            UpdateActive();
            return false;
        case QEvent::Close:
            return sender == FForm && RootIsForm() && CloseMsg(static_cast<QCloseEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return MouseMsg(sender, static_cast<QMouseEvent*>(event));
        case QEvent::Leave:
            // The cursor left the surface: no control hint stays behind.
            if (sender == FForm && !FIsInDrawMode) {
                FHint->Hide();
                FHintControl = nullptr;
            }
            return false;
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return InRoot(sender);
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return KeyMsg(static_cast<QKeyEvent*>(event));
        default:
            return false;
    }
}

bool TDEng::CloseMsg(QCloseEvent* e) {
    TCloseAction action = caHide;
    if (FDesigner->OnDesignFormClose) FDesigner->OnDesignFormClose(action);
    e->ignore();
    IWKMainWindowHost* host = MainWindowHost();
    if (action != caNone && host && host->MainWindow() == FRoot) {
        qApp->quit();
        return true;
    }
    switch (action) {
        case caNone: break;
        case caHide: FRoot->hide(); break;
        case caFree: FRoot->deleteLater(); break;
        case caMinimize:
            if (FRoot->isVisible()) FRoot->showMinimized();
            break;
    }
    return true;
}

// --- mouse -------------------------------------------------------------------------------------

bool TDEng::MouseMsg(QWidget* sender, QMouseEvent* e) {
    const QPoint g = e->globalPosition().toPoint();
    if (FIsInDrawMode) {
        if (e->type() == QEvent::MouseMove) DragTo(g);
        if (e->type() == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton) {
            DragTo(g);
            EndDrag(true);
        }
        return true;
    }
    auto* handle = qobject_cast<TDSelCtrlItemPoint*>(sender);
    if (!handle) {
        // A control may claim the click for itself (a tab of a tab strip).
        TControl* under = NearestControl(sender);
        if (under && under->DesignHitTest(under->mapFromGlobal(g))) {
            if (e->type() == QEvent::MouseMove) FHint->Hide();
            return false;
        }
    }
    switch (e->type()) {
        case QEvent::MouseMove:
            MouseMoveHint(sender, g);
            break;
        case QEvent::MouseButtonPress:
            if (handle)
                HandleDown(handle, e);
            else if ((e->button() == Qt::LeftButton || e->button() == Qt::RightButton) && InRoot(sender))
                MouseDown(sender, e);
            break;
        case QEvent::MouseButtonRelease:
            if (e->button() == Qt::RightButton) ContextPopup(g);
            break;
        case QEvent::MouseButtonDblClick:
            if (FDesigner->OnDblClick) FDesigner->OnDblClick();
            break;
        default: break;
    }
    return true;
}

void TDEng::MouseDown(QWidget* sender, QMouseEvent* e) {
    const QPoint g = e->globalPosition().toPoint();
    const bool left = e->button() == Qt::LeftButton;
    TControl* pressed = NearestControl(sender);
    TControl* container = FDesigner->ContainerOf(pressed);
    FHint->Hide();
    if (left && !LockModeOf(container).Contains(lmNoInsertIn) && FDesigner->OnControlInserting) {
        const TClassInfo* cls = nullptr;
        FDesigner->OnControlInserting(cls);
        if (cls) {
            StartDrag(container, true, false, true, false,
                      [&](QPoint start) { return InsertDrawProc(*this, container, start, cls); }, g);
            return;
        }
    }
    TControl* control = NearestDesignable(pressed);
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (mods & Qt::ShiftModifier) {
        FSelCtrls->BeginUpdate();
        if (FSelCtrls->IndexOf(control) >= 0) {
            FSelCtrls->Remove(control);
        } else if (control != FRoot) {
            // A control joining the selection replaces the root in it.
            FSelCtrls->Remove(FRoot);
            FSelCtrls->Add(control);
        } else if (FSelCtrls->Count() == 0) {
            FSelCtrls->Add(FRoot);
        }
        if (FSelCtrls->Count() == 0) FSelCtrls->Add(FRoot);
        FSelCtrls->EndUpdate();
        return;
    }
    if (control == FRoot || (mods & Qt::ControlModifier)) {
        FSelCtrls->ClearExcept(FRoot);
        if (left)
            StartDrag(container, false, false, false, false,
                      [&](QPoint start) { return RubberBandDrawProc(*this, container, start); }, g);
        return;
    }
    QList<TControl*> candidates;
    if (FSelCtrls->IndexOf(control) < 0) {
        candidates << control;
    } else {
        for (TControl* c : FSelCtrls->Controls())
            if (c->parentWidget() == control->parentWidget()) candidates << c;
    }
    auto moveLocked = [](TControl* c) { return LockModeOf(c).Contains(lmNoMove); };
    const bool anyMovable = std::any_of(candidates.begin(), candidates.end(), [&](TControl* c) { return !moveLocked(c); });
    if (left && !moveLocked(control) && anyMovable) {
        candidates.removeIf(moveLocked);
        FSelCtrls->SetVisible(false);
        FSelCtrls->SelectControls(candidates);
        StartDrag(control->parentWidget(), true, false, false, false,
                  [&](QPoint start) { return MoveDrawProc(*this, start, candidates); }, g);
        return;
    }
    FSelCtrls->SelectControls(candidates);
}

void TDEng::HandleDown(TDSelCtrlItemPoint* handle, QMouseEvent* e) {
    TDSelCtrlItem* item = handle->Item();
    TControl* c = item->Control();
    if (e->button() != Qt::LeftButton || item->Mode() != imSizeable || !c) return;
    if (LockModeOf(c).Contains(lmNoResize)) return;
    const TDSelCtrlItemPointPos pos = handle->Pos();
    item->SetActivePos(pos);
    FSelCtrls->SetVisible(false);
    FSelCtrls->ClearExcept(c);
    StartDrag(c->parentWidget(), true, pos == ppTop || pos == ppBottom, false, pos == ppLeft || pos == ppRight,
              [&](QPoint start) { return SizeDrawProc(*this, start, c, pos); }, e->globalPosition().toPoint());
}

void TDEng::MouseMoveHint(QWidget* sender, const QPoint& globalPos) {
    FUnderCursor = NearestDesignable(sender);
    TControl* target = InRoot(sender) ? NearestDesignable(sender) : nullptr;
    if (!target || target == FRoot || !FDesigner->ShowingHints().Contains(htControl)) {
        FHint->Hide();
        FHintControl = nullptr;
        return;
    }
    if (target == FHintControl) return;
    FHintControl = target;
    const TClassInfo* cls = FindClassByMeta(target->metaObject());
    QString text = target->Name() + QStringLiteral(": ") + (cls ? cls->Name : target->ClassName());
    if (FDesigner->OnControlHint) FDesigner->OnControlHint(target, text);
    if (text.isEmpty()) {
        FHint->Hide();
        return;
    }
    FHint->Show(text, globalPos, true, true, target, true);
}

void TDEng::DragHint(const QString& text) {
    FHint->Show(text, FContainer ? FContainer->mapToGlobal(FLastVirtCursorPos) : QPoint(), false, false, nullptr, false);
}

void TDEng::ContextPopup(const QPoint& globalPos) {
    bool handled = false;
    if (FDesigner->OnContextPopup) FDesigner->OnContextPopup(globalPos, handled);
    if (!handled && FDesigner->PopupMenu()) FDesigner->PopupMenu()->popup(globalPos);
}

// --- drags -------------------------------------------------------------------------------------

void TDEng::StartDrag(QWidget* container, bool snap, bool skipX, bool alignStart, bool skipY,
                      const std::function<std::unique_ptr<TDEngDrawProc>(QPoint start)>& makeProc, const QPoint& globalPos) {
    FHint->Hide();
    FForm->update();
    FContainer = container;
    FInitSnapToGrid = snap;
    FInitSkipXCursorMoving = skipX;
    FInitSkipYCursorMoving = skipY;
    FPressPos = container->mapFromGlobal(globalPos);
    FInitCursorPos = FPressPos;
    if (alignStart && FDesigner->SnapToGrid()) {
        // Down to the grid of the form; the cursor then moves in whole steps
        // from where it was pressed, so a click stays a click.
        const QPoint f = container->mapTo(FForm, FInitCursorPos);
        const int xs = FGrid->XStep(), ys = FGrid->YStep();
        const QPoint snapped(int(std::floor(double(f.x()) / xs)) * xs, int(std::floor(double(f.y()) / ys)) * ys);
        FInitCursorPos = container->mapFrom(FForm, snapped);
    }
    // The form takes the mouse until the button is up: the pressed widget's
    // implicit grab ends when it hides (a sizing handle does at once), and
    // the hook must see the whole drag, its release included.
    FForm->grabMouse();
    FCanvas = new TDEngCanvas(container);
    FDrawProc = makeProc(FInitCursorPos);
    FLastVirtCursorPos = VirtualCursor(globalPos);
    FIsInDrawMode = true;
    FDrawProc->Draw(pfInitAndDraw, FLastVirtCursorPos);
}

QPoint TDEng::VirtualCursor(const QPoint& globalPos) const {
    QPoint c = FContainer->mapFromGlobal(globalPos);
    const QRect clip = FContainer->rect() & QRect(FContainer->mapFrom(FForm, QPoint(0, 0)), FForm->size());
    if (!clip.isEmpty()) c = QPoint(std::clamp(c.x(), clip.left(), clip.right()), std::clamp(c.y(), clip.top(), clip.bottom()));
    const bool snap = FInitSnapToGrid && FDesigner->SnapToGrid();
    auto axis = [&](bool skip, int init, int press, int cursor, int step) {
        if (skip) return init;
        if (snap) return init + int(Round(double(cursor - press) / step)) * step;
        return cursor;
    };
    return {axis(FInitSkipXCursorMoving, FInitCursorPos.x(), FPressPos.x(), c.x(), FGrid->XStep()),
            axis(FInitSkipYCursorMoving, FInitCursorPos.y(), FPressPos.y(), c.y(), FGrid->YStep())};
}

void TDEng::DragTo(const QPoint& globalPos) {
    if (!FIsInDrawMode || !FContainer) return;
    const QPoint v = VirtualCursor(globalPos);
    if (v == FLastVirtCursorPos) return;
    FLastVirtCursorPos = v;
    FDrawProc->Draw(pfMove, v);
}

void TDEng::CancelDrag() { EndDrag(false); }

void TDEng::EndDrag(bool ok) {
    if (!FIsInDrawMode) return;
    FIsInDrawMode = false;
    const std::unique_ptr<TDEngDrawProc> proc = std::move(FDrawProc);
    std::exception_ptr failure;
    try {
        proc->Draw(ok ? pfOkRemoveAndDispose : ddpfCancelRemoveAndDispose, FLastVirtCursorPos);
    } catch (...) {
        failure = std::current_exception();
    }
    delete FCanvas.data();
    if (FForm && QWidget::mouseGrabber() == FForm) FForm->releaseMouse();
    FContainer = nullptr;
    FHint->Hide();
    FSelCtrls->SetVisible(true);
    FSelCtrls->UpdateHandles();
    if (failure) std::rethrow_exception(failure);
}

// --- keyboard ----------------------------------------------------------------------------------

namespace {
bool IsSurfaceKey(int key) {
    switch (key) {
        case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Escape: case Qt::Key_Delete:
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
            return true;
        default: return false;
    }
}
}  // namespace

bool TDEng::KeyMsg(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->type() == QEvent::ShortcutOverride) {
        // The surface's own keys always reach it; every other key may be an
        // application shortcut (open, save, insert) and passes.
        if (!IsSurfaceKey(e->key())) return false;
        e->accept();
        return true;
    }
    int key = e->key();
    if (e->type() == QEvent::KeyRelease) {
        if (FDesigner->OnKeyUp) FDesigner->OnKeyUp(key, mods);
        return true;
    }
    if (FDesigner->OnKeyDown) FDesigner->OnKeyDown(key, mods);
    switch (key) {
        case 0: return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!FIsInDrawMode) TabKey(key == Qt::Key_Backtab || (mods & Qt::ShiftModifier));
            return true;
        case Qt::Key_Escape:
            if (FIsInDrawMode)
                EndDrag(false);
            else
                FSelCtrls->ClearExcept(FRoot);
            return true;
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
            if (!FIsInDrawMode && FSelCtrls->Count() > 0) ArrowKey(key, mods);
            return true;
        case Qt::Key_Delete:
            if (!FIsInDrawMode) FDesigner->DeleteSelectedControls();
            return true;
        default: break;
    }
    QString text = e->text();
    if (!text.isEmpty() && text[0].isPrint() && FDesigner->OnKeyPress) FDesigner->OnKeyPress(text);
    return true;
}

void TDEng::TabKey(bool back) {
    TControl* def = FSelCtrls->DefaultControl();
    if (!def || def->Owner() != FRoot) return;
    QList<TControl*> order;
    for (int i = 0; i < FRoot->ComponentCount(); ++i)
        if (auto* c = qobject_cast<TControl*>(FRoot->Components(i)->Self()); c && c->parentWidget()) order << c;
    const qsizetype n = order.size(), i = order.indexOf(def);
    if (n == 0 || i < 0) return;
    FSelCtrls->ClearExcept(order[(i + (back ? n - 1 : 1)) % n]);
}

namespace {
// A rectangle turned so that the arrow points to the right.
QRect Turned(const QRect& r, int key) {
    switch (key) {
        case Qt::Key_Left: return QRect(-r.x() - r.width(), r.y(), r.width(), r.height());
        case Qt::Key_Down: return QRect(r.y(), r.x(), r.height(), r.width());
        case Qt::Key_Up: return QRect(-r.y() - r.height(), r.x(), r.height(), r.width());
        default: return r;
    }
}
}  // namespace

void TDEng::ArrowKey(int key, Qt::KeyboardModifiers mods) {
    TControl* def = FSelCtrls->DefaultControl();
    if (!def || def == FRoot) return;
    if (!(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        // The nearest sibling wholly beyond the default control in the arrow's
        // direction, by the distance between the facing edges.
        const QRect d = Turned(def->BoundsRect(), key);
        TControl* best = nullptr;
        double bestDist = 0;
        for (TControl* s : def->ParentControl() ? def->ParentControl()->Controls() : QList<TControl*>()) {
            if (s == def || !FDesigner->IsDesignable(s)) continue;
            const QRect t = Turned(s->BoundsRect(), key);
            const int dx = t.left() - (d.left() + d.width());
            if (dx < 0) continue;
            const int dy = std::max({0, t.top() - (d.top() + d.height()), d.top() - (t.top() + t.height())});
            const double dist = std::hypot(double(dx), double(dy));
            if (!best || dist < bestDist) {
                best = s;
                bestDist = dist;
            }
        }
        if (best) FSelCtrls->ClearExcept(best);
        return;
    }
    if (!(mods & (Qt::ShiftModifier | Qt::ControlModifier))) return;
    const bool size = mods & Qt::ShiftModifier;
    FSelCtrls->BeginUpdate();
    FSelCtrls->ClearNotChildrensOf(def->parentWidget());
    for (TControl* c : FSelCtrls->Controls())
        if (LockModeOf(c).Contains(size ? lmNoResize : lmNoMove)) FSelCtrls->Remove(c);
    FSelCtrls->EndUpdate();
    for (TControl* c : FSelCtrls->Controls()) {
        if (c == FRoot) continue;
        QRect b = c->BoundsRect();
        if (size) {
            switch (key) {
                case Qt::Key_Left: b.setWidth(std::max(0, b.width() - 1)); break;
                case Qt::Key_Right: b.setWidth(b.width() + 1); break;
                case Qt::Key_Up: b.setHeight(std::max(0, b.height() - 1)); break;
                default: b.setHeight(b.height() + 1); break;
            }
        } else {
            b.translate(key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0,
                        key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0);
        }
        c->SetBounds(b.x(), b.y(), b.width(), b.height());
    }
    Modified();
}
