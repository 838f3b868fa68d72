#include "DesignHook.h"

#include <QChildEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace {
// Watches the form and all its descendant widgets, following widgets that
// join or leave it.
class TDesignHookFilter : public QObject {
public:
    TDesignHookFilter(QWidget* form, IDesignHook* hook) : QObject(form), FForm(form), FHook(hook) { Watch(form); }
    ~TDesignHookFilter() override {
        for (const QPointer<QWidget>& w : std::as_const(FTracked))
            if (w) w->setMouseTracking(false);
    }
    IDesignHook* Hook() const { return FHook; }

    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::ChildAdded:
                if (QObject* c = static_cast<QChildEvent*>(e)->child(); c && c != this && c->isWidgetType()) Watch(c);
                return false;
            case QEvent::ChildRemoved:
                // A widget leaving the form (a root going back to its own
                // parent) is not watched any longer.
                if (QObject* c = static_cast<QChildEvent*>(e)->child(); c && c != this) Unwatch(c);
                return false;
            default: break;
        }
        if (!watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (e->type() == QEvent::Paint && w == FForm) {
            QPainter painter(FForm);
            FHook->PaintGrid(painter, static_cast<QPaintEvent*>(e)->rect());
            return false;
        }
        if (e->type() == QEvent::Paint && w == FHook->GridSurface()) {
            // The surface covers the form with its own background: it paints
            // first and the grid goes over it, in the form's coordinates.
            static_cast<QObject*>(w)->event(e);
            const QPoint origin = w->mapTo(FForm, QPoint(0, 0));
            QPainter painter(w);
            painter.translate(-origin);
            FHook->PaintGrid(painter, static_cast<QPaintEvent*>(e)->rect().translated(origin));
            return true;
        }
        return FHook->IsDesignMsg(w, e);
    }

private:
    void Watch(QObject* o) {
        o->installEventFilter(this);
        // Qt offers moves without a button only to tracking widgets; the
        // hook needs them all (hints follow the cursor).
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->hasMouseTracking()) {
            w->setMouseTracking(true);
            FTracked << w;
        }
        for (QObject* c : o->children())
            if (c != this && c->isWidgetType()) Watch(c);
    }
    void Unwatch(QObject* o) {
        o->removeEventFilter(this);
        if (auto* w = qobject_cast<QWidget*>(o); w && FTracked.removeAll(w) > 0) w->setMouseTracking(false);
        for (QObject* c : o->children()) Unwatch(c);
    }

    QWidget* FForm;
    IDesignHook* FHook;
    QList<QPointer<QWidget>> FTracked;  // widgets that track the mouse only for the hook
};

TDesignHookFilter* FilterOf(const QWidget* form) {
    if (!form) return nullptr;
    for (QObject* c : form->children())
        if (auto* f = dynamic_cast<TDesignHookFilter*>(c)) return f;
    return nullptr;
}
}  // namespace

void SetDesignHook(QWidget* form, IDesignHook* hook) {
    if (!form) return;
    delete FilterOf(form);  // a deleted filter leaves every widget's filter list
    if (hook) new TDesignHookFilter(form, hook);
    form->update();
}

IDesignHook* DesignHookOf(const QWidget* form) {
    TDesignHookFilter* f = FilterOf(form);
    return f ? f->Hook() : nullptr;
}
