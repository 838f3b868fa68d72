#pragma once
// The design hook of a form: while a design surface works on a form, every
// event of the form and of each widget inside it (also of widgets put into it
// later) is offered to the hook before the widget sees it, and the hook may
// consume it. The form's paint events also let the hook draw over the form's
// background (the design grid), under its children; so do those of the
// surface the hook names.
#include <QRect>

#pragma GCC visibility push(default)

class QEvent;
class QPainter;
class QWidget;

class IDesignHook {
public:
    virtual ~IDesignHook() = default;
    // sender: the widget the event is for. True consumes the event.
    virtual bool IsDesignMsg(QWidget* sender, QEvent* event) = 0;
    // Draws on the form after its background; clip in the form's coordinates.
    virtual void PaintGrid(QPainter& painter, const QRect& clip) = 0;
    // A widget inside the form that covers it and is edited (the design
    // root): the grid is drawn over its background too. Null: none.
    virtual QWidget* GridSurface() const { return nullptr; }
};

// Makes hook the design hook of form (null removes the one it has). The hook
// must outlive its installation.
void SetDesignHook(QWidget* form, IDesignHook* hook);
// The hook of form, or null.
IDesignHook* DesignHookOf(const QWidget* form);

#pragma GCC visibility pop
