#pragma once
// A live design surface for the tests: a window holding a design panel and a
// root control (pnlMain) with a few test controls, a designer activated on
// it, scripted UI services, and helpers that act as a user: mouse input goes
// through the top-level window as the window system delivers it, keys to the
// focused widget.
#include "ClassRegistry.h"
#include "Controls.h"
#include "DsgnSurface.h"
#include "DsgnSurfaceEngine.h"
#include "DsgnSurfacePanel.h"
#include "UIServices.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A label of the user forms as far as the surface needs one: a default size
// and a reference to another control. Registered under the user-form class
// name, which the surface uses for names and hints.
class TTestLabel : public TControl {
    Q_OBJECT
    Q_PROPERTY(TControl* FocusControl READ FocusControl WRITE SetFocusControl)
public:
    Q_INVOKABLE explicit TTestLabel(QObject* owner = nullptr) : TControl(owner) { SetBounds(0, 0, 65, 17); }
    TControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TControl* c) { FFocusControl = c; }

private:
    QPointer<TControl> FFocusControl;
};

// A container control.
class TTestPanel : public TControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTestPanel(QObject* owner = nullptr) : TControl(owner) { SetBounds(0, 0, 185, 41); }
    bool AcceptsControls() const override { return true; }
};

// A control that claims clicks on its left half (as a tab strip claims its tabs).
class TTestTabs : public TControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTestTabs(QObject* owner = nullptr) : TControl(owner) {}
    bool DesignHitTest(const QPoint& pos) const override { return pos.x() < Width() / 2; }
    int Presses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        ++Presses;
        e->accept();
    }
};

void RegisterDesignTestClasses();
// No mouse button held down for the window-level input of the next test.
void ForgetHeldMouseButtons();

// Acting as a user on a live surface whose root sits in a design panel: the
// event enters the root's top-level window at pos (root coordinates) and Qt
// delivers it to the widget under the pointer or to the one holding the grab.
QWidget* SurfaceWidgetAt(TCustomFormDesignPanel* panel, TControl* root, QPoint pos);
void SurfaceMouse(TCustomFormDesignPanel* panel, TControl* root, QEvent::Type type, QPoint pos,
                  Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Press at from, move in a few steps to to (and release there when release).
void SurfaceDrag(TCustomFormDesignPanel* panel, TControl* root, QPoint from, QPoint to,
                 Qt::KeyboardModifiers mods = Qt::NoModifier, bool release = true);

class TDesignSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A control of class T owned by the root, inside parent (root when null).
    template <typename T>
    T* Add(const QString& name, QRect bounds, TControl* parent = nullptr) {
        auto* c = new T(Root);
        c->SetName(name);
        c->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
        c->SetParentWidget(parent ? parent : Root);
        return c;
    }

    // The widget a user would hit at pos (root coordinates).
    QWidget* WidgetAt(QPoint pos) const;
    // A mouse event at pos (root coordinates), through the window.
    void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
    void Click(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Press at from, move in a few steps to to, release there.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Press at from and move to to, without releasing.
    void PressAndMove(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // A key pressed and released on the focused widget of the surface.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    QList<TControl*> Selected() { return Designer->SelectedControls().Controls(); }
    // The handles a user sees around c: their rectangles in c's parent.
    QList<QRect> VisibleHandles(TControl* c) const;
    // The centre of c's handle at pos, in root coordinates.
    QPoint HandleCentre(TControl* c, TDSelCtrlItemPointPos pos);

    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    std::unique_ptr<TControl> Window;
    TFormDesignPanel* Panel = nullptr;
    TControl* Root = nullptr;
    std::unique_ptr<TFormDesigner> Designer;
};
