#pragma once
// The window messages that the system's windows exchange, kept with their old
// numbers. Each is a TWKMessage event whose QEvent type is the message number
// (all of them lie in Qt's user range). A receiver handles them in its
// event() (controls: TControl::WKMessage).
//
//   1025 CM_CHARTDESTROYED   chart engine: the chart is going (to its legend)
//   1026 CM_CHARTCHANGED     chart engine: the chart changed
//   1046 WM_FORMACTIVATED    form to main window, posted; LParam: the form or none
//   1047 WM_FORMCLOSING      form to main window, sent; LParam: the form
//   1048 WM_FORMSHOWING      form to main window, sent; LParam: the form
//   1224 WM_NEWOPERATION     log grid to main window; WParam: none
//   1225 WM_EDITOPERATION    WParam: the operation's time (double day number)
//   1226 WM_DELETEOPERATION  WParam: the operation's time
//   1227 WM_NEWMESSAGE       no parameters
//   1228 WM_WELLCHANGED      form to its windowed controls; LParam: well id text
//   1334 WM_HINTSCHANGED     hints list to the main window's controls; none
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QVariant>

#pragma GCC visibility push(default)

enum TWKMessageId : int {
    CM_CHARTDESTROYED = 1025,
    CM_CHARTCHANGED = 1026,
    WM_FORMACTIVATED = 1046,
    WM_FORMCLOSING = 1047,
    WM_FORMSHOWING = 1048,
    WM_NEWOPERATION = 1224,
    WM_EDITOPERATION = 1225,
    WM_DELETEOPERATION = 1226,
    WM_NEWMESSAGE = 1227,
    WM_WELLCHANGED = 1228,
    WM_HINTSCHANGED = 1334,
};

class TWKMessage : public QEvent {
public:
    explicit TWKMessage(int msg, QVariant wParam = {}, QVariant lParam = {});
    int Msg() const { return int(type()); }
    const QVariant& WParam() const { return FWParam; }
    const QVariant& LParam() const { return FLParam; }
    // What the receiver answers (0 when nobody handled it).
    qintptr Result = 0;
    // Set by a receiver that handled the message.
    bool Handled = false;
    // A copy for another receiver (a posted event is owned by the queue).
    TWKMessage* clone() const override;

    // True when the event is one of the family.
    static bool IsWKMessage(const QEvent* e);

private:
    QVariant FWParam, FLParam;
};

// Sends msg to target at once; returns the receiver's Result.
qintptr SendWKMessage(QObject* target, TWKMessage& msg);
qintptr SendWKMessage(QObject* target, int msg, QVariant wParam = {}, QVariant lParam = {});

// True for a widget that the old platform treated as a window; controls that
// were not windows carry the class info "GraphicControl".
bool IsWindowedControl(const QObject* object);

// Hands msg to every windowed control below root, depth first in child
// order, each one's children before itself, and to root last. Non-windowed
// controls and what they hold are skipped.
void BroadcastWKMessage(QObject* root, TWKMessage& msg);
void BroadcastWKMessage(QObject* root, int msg, QVariant wParam = {}, QVariant lParam = {});

// Queues msg for target on the main thread's event loop; callable from any
// thread; dropped when target is gone by then.
void PostWKMessage(QObject* target, int msg, QVariant wParam = {}, QVariant lParam = {});

// The application's main window, which the system's messages are addressed to.
void SetMainWindow(QObject* window);
QObject* MainWindow();
// From any thread: queues, on the main thread, a broadcast of msg over the
// main window that is current when it runs (nothing when there is none).
void PostBroadcastToMainWindow(int msg);

#pragma GCC visibility pop
