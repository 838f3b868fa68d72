#pragma once
// The small hints of a design surface: a control's name and class while the
// cursor rests on it, the position or size while dragging. One hint window
// serves every surface of the process; it exists while any hint object does.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>

#pragma GCC visibility push(default)

class QLabel;
class QWidget;

// The application's hint pauses in milliseconds (the old application's
// defaults): the wait before a hint shows, and how long it stays.
struct THintPauses {
    int Show = 500;
    int Hide = 2500;
};
THintPauses& ApplicationHintPauses();

// The process's hint window, or null while no surface exists.
QLabel* DesignHintWindow();

class TDEngHint : public QObject {
public:
    // underCursor: the widget the cursor is over now (for the check control).
    explicit TDEngHint(std::function<QWidget*()> underCursor, QObject* parent = nullptr);
    ~TDEngHint() override;

    // Shows caption below the cursor at globalPos: after the hint pause when
    // pause is set and no hint is shown yet, at once otherwise. With
    // hideAfterPause it hides after the hint hide pause; with a check control
    // it does not show once the cursor is over another widget; with hooks any
    // click, key or window change hides it.
    void Show(const QString& caption, const QPoint& globalPos, bool pause, bool hideAfterPause,
              QWidget* checkControl, bool useHooks);
    void Hide();
    bool Active() const { return FActive; }
    const QString& Caption() const { return FCaption; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    enum TTimerMode { tmShow, tmHide };
    void TimerFired();
    void ShowNow();
    void SetHooks(bool on);

    QTimer FTimer;
    TTimerMode FTimerMode = tmShow;
    bool FNeedStartHideTimer = false;
    QString FCaption;
    QPoint FPos;
    bool FActive = false;
    QPointer<QWidget> FCheckControl;
    bool FUseHooks = false;
    bool FHooked = false;
    std::function<QWidget*()> FUnderCursor;
};

#pragma GCC visibility pop
