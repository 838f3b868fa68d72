#include "DsgnSurfaceFixture.h"

#include "TestSupport.h"

void RegisterDesignTestClasses() {
    static const bool done = [] {
        RegisterClass({QStringLiteral("TWKLabel"), &TTestLabel::staticMetaObject,
                       [](QObject* owner) -> QObject* { return new TTestLabel(owner); }});
        RegisterClass({QStringLiteral("TTestPanel"), &TTestPanel::staticMetaObject,
                       [](QObject* owner) -> QObject* { return new TTestPanel(owner); }});
        RegisterClass({QStringLiteral("TTestTabs"), &TTestTabs::staticMetaObject,
                       [](QObject* owner) -> QObject* { return new TTestTabs(owner); }});
        RegisterClass({QStringLiteral("TControl"), &TControl::staticMetaObject,
                       [](QObject* owner) -> QObject* { return new TControl(owner); }});
        return true;
    }();
    (void)done;
}

void ForgetHeldMouseButtons() {
    // QTest remembers the buttons held across tests; a test that ended in
    // the middle of a drag must not leave the next one dragging.
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
}

void TDesignSurfaceTest::SetUp() {
    RegisterDesignTestClasses();
    ForgetHeldMouseButtons();
    UI = std::make_shared<TScriptedUIServices>();
    OldUI = SetUIServices(UI);
    ApplicationHintPauses() = THintPauses{};
    Window = std::make_unique<TControl>();
    Window->SetBounds(0, 0, 420, 320);
    Panel = new TFormDesignPanel(Window.get());
    Panel->SetName("DesignPanel");
    Panel->SetParentWidget(Window.get());
    Panel->SetBounds(0, 0, 402, 302);
    Root = new TControl(Window.get());
    Root->SetName("pnlMain");
    Root->SetParentWidget(Window.get());
    Root->SetBounds(10, 10, 400, 300);
    Designer = std::make_unique<TFormDesigner>();
    Designer->SetDesignControl(Root);
    Designer->SetDesignPanel(Panel);
    Window->show();
    Window->activateWindow();
    ProcessEventsUntil([this] { return QApplication::activeWindow() == Window.get(); }, 100);
    Designer->SetActive(true);
    Panel->Form()->setFocus();
}

void TDesignSurfaceTest::TearDown() {
    Designer.reset();
    Window.reset();
    SetUIServices(OldUI);
}

QWidget* SurfaceWidgetAt(TCustomFormDesignPanel* panel, TControl* root, QPoint pos) {
    QWidget* form = panel->Form();
    QWidget* w = form->childAt(root->mapTo(form, pos));
    return w ? w : form;
}

void SurfaceMouse(TCustomFormDesignPanel*, TControl* root, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                  Qt::KeyboardModifiers mods) {
    // Through the top-level window, as the window system hands input to Qt:
    // the widget under the pointer, the implicit grab of a pressed widget
    // and hidden widgets all behave as on a desktop.
    QWidget* top = root->window();
    QWindow* window = top->windowHandle();
    ASSERT_NE(window, nullptr) << "the surface's window is not shown";
    const QPoint at = root->mapTo(top, pos);
    switch (type) {
        case QEvent::MouseButtonPress: QTest::mousePress(window, button, mods, at); break;
        case QEvent::MouseButtonRelease: QTest::mouseRelease(window, button, mods, at); break;
        case QEvent::MouseButtonDblClick: QTest::mouseDClick(window, button, mods, at); break;
        default: QTest::mouseEvent(QTest::MouseMove, window, Qt::NoButton, mods, at); break;
    }
}

void SurfaceDrag(TCustomFormDesignPanel* panel, TControl* root, QPoint from, QPoint to, Qt::KeyboardModifiers mods,
                 bool release) {
    SurfaceMouse(panel, root, QEvent::MouseButtonPress, from, Qt::LeftButton, mods);
    for (int i = 1; i <= 4; ++i)
        SurfaceMouse(panel, root, QEvent::MouseMove, from + (to - from) * i / 4, Qt::LeftButton, mods);
    if (release) SurfaceMouse(panel, root, QEvent::MouseButtonRelease, to, Qt::LeftButton, mods);
}

QWidget* TDesignSurfaceTest::WidgetAt(QPoint pos) const { return SurfaceWidgetAt(Panel, Root, pos); }

void TDesignSurfaceTest::Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    SurfaceMouse(Panel, Root, type, pos, button, mods);
}

void TDesignSurfaceTest::Click(QPoint pos, Qt::KeyboardModifiers mods) {
    Mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, mods);
    Mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, mods);
}

void TDesignSurfaceTest::PressAndMove(QPoint from, QPoint to, Qt::KeyboardModifiers mods) {
    SurfaceDrag(Panel, Root, from, to, mods, false);
}

void TDesignSurfaceTest::Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods) {
    SurfaceDrag(Panel, Root, from, to, mods, true);
}

void TDesignSurfaceTest::Key(int key, Qt::KeyboardModifiers mods) {
    QWidget* w = QApplication::focusWidget();
    QTest::keyClick(w ? w : Panel->Form(), Qt::Key(key), mods);
}

QList<QRect> TDesignSurfaceTest::VisibleHandles(TControl* c) const {
    QList<QRect> rects;
    for (auto* h : c->parentWidget()->findChildren<TDSelCtrlItemPoint*>(Qt::FindDirectChildrenOnly))
        if (h->isVisibleTo(c->parentWidget()) && h->Item()->Control() == c) rects << h->geometry();
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
        return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
    });
    return rects;
}

QPoint TDesignSurfaceTest::HandleCentre(TControl* c, TDSelCtrlItemPointPos pos) {
    TFormDesignerSelectedControls& sel = Designer->SelectedControls();
    TDSelCtrlItemPoint* h = sel.Items(sel.IndexOf(c))->Point(pos);
    return Root->mapFromGlobal(h->mapToGlobal(QPoint(2, 2)));
}
