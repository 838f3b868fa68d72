#include "Messages.h"

#include "MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>

TWKMessage::TWKMessage(int msg, QVariant wParam, QVariant lParam)
    : QEvent(QEvent::Type(msg)), FWParam(std::move(wParam)), FLParam(std::move(lParam)) {}

TWKMessage* TWKMessage::clone() const { return new TWKMessage(*this); }

bool TWKMessage::IsWKMessage(const QEvent* e) {
    // Only user-range events can be messages; spare the cast for the rest.
    return e && e->type() >= QEvent::User && dynamic_cast<const TWKMessage*>(e) != nullptr;
}

qintptr SendWKMessage(QObject* target, TWKMessage& msg) {
    if (!target) return 0;
    QCoreApplication::sendEvent(target, &msg);
    return msg.Result;
}

qintptr SendWKMessage(QObject* target, int msg, QVariant wParam, QVariant lParam) {
    TWKMessage m(msg, std::move(wParam), std::move(lParam));
    return SendWKMessage(target, m);
}

bool IsWindowedControl(const QObject* object) {
    if (!object || !object->isWidgetType()) return false;
    const QMetaObject* meta = object->metaObject();
    return meta->indexOfClassInfo("GraphicControl") < 0;
}

namespace {
void Broadcast(QObject* node, TWKMessage& msg) {
    // A receiver may free children while handling; walk a guarded copy.
    QList<QPointer<QObject>> children;
    for (QObject* c : node->children())
        if (IsWindowedControl(c)) children << QPointer<QObject>(c);
    for (const QPointer<QObject>& c : std::as_const(children))
        if (c) Broadcast(c, msg);
    QCoreApplication::sendEvent(node, &msg);
}
}  // namespace

void BroadcastWKMessage(QObject* root, TWKMessage& msg) {
    if (root) Broadcast(root, msg);
}

void BroadcastWKMessage(QObject* root, int msg, QVariant wParam, QVariant lParam) {
    TWKMessage m(msg, std::move(wParam), std::move(lParam));
    BroadcastWKMessage(root, m);
}

void PostWKMessage(QObject* target, int msg, QVariant wParam, QVariant lParam) {
    if (!target) return;
    // Qt removes posted events of a receiver that is deleted.
    QCoreApplication::postEvent(target, new TWKMessage(msg, std::move(wParam), std::move(lParam)));
}

namespace {
QPointer<QObject>& MainWindowRef() {
    static QPointer<QObject> window;  // set and read on the main thread
    return window;
}
}  // namespace

void SetMainWindow(QObject* window) { MainWindowRef() = window; }
QObject* MainWindow() { return MainWindowRef().data(); }

void PostBroadcastToMainWindow(int msg) {
    QueueToMainThread([msg] {
        if (QObject* w = MainWindow()) BroadcastWKMessage(w, msg);
    });
}
