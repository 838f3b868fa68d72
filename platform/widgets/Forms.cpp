#include "Forms.h"

#include "ClassRegistry.h"

#include <QCloseEvent>
#include <QPointer>

WK_REGISTER_CLASS(TForm)

namespace {
QList<TForm*>& FormList() {
    static QList<TForm*> list;
    return list;
}
}  // namespace

QList<TForm*> Forms() { return FormList(); }

TForm::TForm(QObject* owner) : TControl(owner) {
    FormList().append(this);
    SetParentFont(false);
    SetParentColor(false);
    ApplyWindowFlags();
}

TForm::~TForm() {
    FormList().removeOne(this);
    DestroyComponent();
}

void TForm::SetCaption(const QString& v) {
    FCaption = v;
    setWindowTitle(v);
}

void TForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags() {
    if (parentWidget()) return;  // docked: a plain child widget
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags;
    switch (FBorderStyle) {
        case bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
        case bsToolWindow:
        case bsSizeToolWin: flags = Qt::Tool; break;
        case bsDialog: flags = Qt::Dialog; break;
        case bsSingle:
        case bsSizeable: flags = Qt::Window; break;
    }
    if (windowFlags() == flags) return;
    setWindowFlags(flags);
    if (wasVisible) show();
}

TForm::TWindowState TForm::WindowState() const {
    if (!isWindow()) return FStoredState;
    if (isMaximized()) return wsMaximized;
    if (isMinimized()) return wsMinimized;
    return isVisible() ? wsNormal : FStoredState;
}

void TForm::SetWindowState(TWindowState v) {
    FStoredState = v;
    if (!isWindow()) return;
    Qt::WindowStates s = windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
    if (v == wsMaximized) s |= Qt::WindowMaximized;
    if (v == wsMinimized) s |= Qt::WindowMinimized;
    setWindowState(s);
}

void TForm::ShowForm() {
    if (!isVisible()) FormShowing();
    if (isWindow()) {
        show();
        raise();
        activateWindow();
    } else {
        SetVisible(true);
        QWidget::setVisible(true);
    }
}

void TForm::HideForm() {
    if (isWindow()) hide();
    else SetVisible(false);
}

void TForm::Activate() {
    FormActivate();
    FOnActivate.Invoke(static_cast<QObject*>(this));
}

TForm::TCloseAction TForm::RunClose() {
    if (!FormCloseQuery()) return caNone;
    bool canClose = true;
    FOnCloseQuery.Invoke(static_cast<QObject*>(this), &canClose);
    if (!canClose) return caNone;
    TCloseAction action = DefaultCloseAction();
    FormClose(action);
    int stored = int(action);
    if (FOnClose.Invoke(static_cast<QObject*>(this), &stored) && stored >= caNone && stored <= caMinimize)
        action = TCloseAction(stored);
    return action;
}

bool TForm::Close() {
    if (FClosing) return false;
    FClosing = true;
    const TCloseAction action = RunClose();
    FClosing = false;
    switch (action) {
        case caNone: return false;
        case caHide: HideForm(); return true;
        case caMinimize:
            if (isWindow()) showMinimized();
            return true;
        case caFree:
            HideForm();
            deleteLater();
            return true;
    }
    return false;
}

void TForm::closeEvent(QCloseEvent* e) {
    // The window system's close button runs the form's own protocol.
    e->ignore();
    Close();
}

bool TForm::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::Show:
            FormShow();
            FOnShow.Invoke(static_cast<QObject*>(this));
            break;
        case QEvent::WindowActivate:
            if (isWindow()) Activate();
            break;
        default: break;
    }
    return TControl::event(e);
}

void TForm::ManualDock(QWidget* host) {
    // No showing hooks here: the host that docks a form is the one they tell.
    setWindowFlags(Qt::Widget);
    SetParentWidget(host);
    SetVisible(true);
    QWidget::setVisible(true);
}

void TForm::ManualFloat(const QRect& rect) {
    SetParentWidget(nullptr);
    ApplyWindowFlags();
    SetBounds(rect.x(), rect.y(), rect.width(), rect.height());
    show();
}

QRect TForm::NormalBounds() const {
    if (isWindow() && (isMaximized() || isMinimized()) && normalGeometry().isValid()) return normalGeometry();
    return BoundsRect();
}

void TForm::SetNormalBounds(const QRect& r) {
    if (isWindow() && isMaximized()) {
        // A maximized form keeps its state and restores to the rectangle.
        setWindowState(windowState() & ~Qt::WindowMaximized);
        SetBounds(r.x(), r.y(), r.width(), r.height());
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    SetBounds(r.x(), r.y(), r.width(), r.height());
}
