#include "DsgnSurfaceHint.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QToolTip>

namespace {
// The shared window and the number of hint objects using it; main thread only.
struct THintWindowShare {
    QPointer<QLabel> Window;
    int Users = 0;
};
THintWindowShare& Share() {
    static THintWindowShare share;
    return share;
}

// How far below the cursor's hot spot its image reaches; Qt does not expose
// the image of the standard arrow, whose visible part is this tall.
constexpr int CursorBelowHotSpot = 20;
}  // namespace

THintPauses& ApplicationHintPauses() {
    static THintPauses pauses;
    return pauses;
}

QLabel* DesignHintWindow() { return Share().Window; }

TDEngHint::TDEngHint(std::function<QWidget*()> underCursor, QObject* parent)
    : QObject(parent), FUnderCursor(std::move(underCursor)) {
    FTimer.setSingleShot(true);
    FTimer.setObjectName(QStringLiteral("DesignHintTimer"));
    connect(&FTimer, &QTimer::timeout, this, [this] { TimerFired(); });
    THintWindowShare& s = Share();
    if (s.Users++ == 0) {
        auto* w = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        w->setObjectName(QStringLiteral("DesignHintWindow"));
        w->setMargin(2);
        w->setFrameStyle(QFrame::Box | QFrame::Plain);
        w->setLineWidth(1);
        s.Window = w;
    }
}

TDEngHint::~TDEngHint() {
    Hide();
    THintWindowShare& s = Share();
    if (--s.Users == 0) delete s.Window.data();
}

void TDEngHint::Show(const QString& caption, const QPoint& globalPos, bool pause, bool hideAfterPause,
                     QWidget* checkControl, bool useHooks) {
    FCaption = caption;
    FPos = globalPos;
    FCheckControl = checkControl;
    FUseHooks = useHooks;
    FNeedStartHideTimer = hideAfterPause;
    FTimer.stop();
    const bool shown = Share().Window && Share().Window->isVisible();
    if (pause && !shown) {
        FTimerMode = tmShow;
        FTimer.start(ApplicationHintPauses().Show);
        return;
    }
    ShowNow();
}

void TDEngHint::TimerFired() {
    if (FTimerMode == tmShow)
        ShowNow();
    else
        Hide();
}

void TDEngHint::ShowNow() {
    QLabel* w = Share().Window;
    if (!w) return;
    if (FCheckControl && FUnderCursor && FUnderCursor() != FCheckControl.data()) {
        Hide();
        return;
    }
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QToolTip::palette().color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, QToolTip::palette().color(QPalette::ToolTipText));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->setFont(QToolTip::font());
    w->setText(FCaption);
    w->adjustSize();
    if (const QScreen* screen = QGuiApplication::screenAt(FPos) ? QGuiApplication::screenAt(FPos) : QGuiApplication::primaryScreen())
        if (w->width() > screen->geometry().width()) w->resize(screen->geometry().width(), w->height());
    w->move(FPos + QPoint(0, CursorBelowHotSpot));
    w->show();
    FActive = true;
    SetHooks(FUseHooks);
    if (FNeedStartHideTimer) {
        FTimerMode = tmHide;
        FTimer.start(ApplicationHintPauses().Hide);
    }
}

void TDEngHint::Hide() {
    FTimer.stop();
    SetHooks(false);
    if (FActive)
        if (QLabel* w = Share().Window) w->hide();
    FActive = false;
}

void TDEngHint::SetHooks(bool on) {
    if (on == FHooked || !qApp) return;
    FHooked = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TDEngHint::eventFilter(QObject*, QEvent* e) {

    switch (e->type()) {
        case QEvent::MouseButtonPress: case QEvent::MouseButtonDblClick: case QEvent::KeyPress:
        case QEvent::Wheel: case QEvent::WindowDeactivate: case QEvent::ApplicationDeactivate:
            Hide();
            break;
        default: break;
    }
    return false;
}
