#include "DsgnSurfaceFixture.h"
#include "TestSupport.h"

#include <QAction>

namespace {
class DesignSurfaceKeyboard : public TDesignSurfaceTest {
protected:
    void SetUp() override {
        TDesignSurfaceTest::SetUp();
        // A 2 x 2 grid of labels and one inside a panel elsewhere.
        A = Add<TTestLabel>("A", {16, 16, 40, 20});
        B = Add<TTestLabel>("B", {120, 24, 40, 20});
        C = Add<TTestLabel>("C", {24, 120, 40, 20});
        D = Add<TTestLabel>("D", {128, 128, 40, 20});
    }
    void Select(TControl* c) { Designer->SelectedControls().ClearExcept(c); }

    TTestLabel *A, *B, *C, *D;
};

TEST_F(DesignSurfaceKeyboard, TabAndShiftTabWrapInCreationOrder) {
    Select(A);
    const struct {
        int Key;
        Qt::KeyboardModifiers Mods;
        const char* Expected;
    } steps[] = {
        {Qt::Key_Tab, Qt::NoModifier, "B"}, {Qt::Key_Tab, Qt::NoModifier, "C"}, {Qt::Key_Tab, Qt::NoModifier, "D"},
        {Qt::Key_Tab, Qt::NoModifier, "A"}, {Qt::Key_Tab, Qt::ShiftModifier, "D"}, {Qt::Key_Backtab, Qt::ShiftModifier, "C"},
    };
    for (const auto& s : steps) {
        Key(s.Key, s.Mods);
        ASSERT_EQ(Selected().size(), 1);
        EXPECT_EQ(Selected()[0]->Name(), s.Expected);
    }
}

TEST_F(DesignSurfaceKeyboard, EscSelectsTheRoot) {
    Select(A);
    Designer->SelectedControls().Add(B);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
    EXPECT_TRUE(VisibleHandles(A).isEmpty());
}

TEST_F(DesignSurfaceKeyboard, ArrowsSelectTheNearestSiblingThatWay) {
    const struct {
        TControl* From;
        int Key;
        TControl* Expected;
    } cases[] = {
        {A, Qt::Key_Right, B}, {A, Qt::Key_Down, C}, {B, Qt::Key_Down, D}, {D, Qt::Key_Left, C},
        {D, Qt::Key_Up, B},    {C, Qt::Key_Up, A},   {B, Qt::Key_Right, B},  // nothing that way: unchanged
        {A, Qt::Key_Left, A},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.From->Name().toStdString() << " key " << c.Key);
        Select(c.From);
        Key(c.Key);
        EXPECT_EQ(Selected(), QList<TControl*>{c.Expected});
    }
    // The root has no siblings to go to.
    Select(Root);
    Key(Qt::Key_Right);
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
}

TEST_F(DesignSurfaceKeyboard, ShiftArrowsSizeByOnePixel) {
    int modified = 0;
    Designer->OnModified = [&] { ++modified; };
    const struct {
        int Key;
        QSize Expected;
    } cases[] = {
        {Qt::Key_Left, {39, 20}}, {Qt::Key_Right, {41, 20}}, {Qt::Key_Up, {40, 19}}, {Qt::Key_Down, {40, 21}},
    };
    for (const auto& c : cases) {
        A->SetBounds(16, 16, 40, 20);
        Select(A);
        Key(c.Key, Qt::ShiftModifier);
        EXPECT_EQ(A->BoundsRect(), QRect(QPoint(16, 16), c.Expected));
    }
    EXPECT_EQ(modified, 4);
    // Never below zero; Shift wins over Ctrl.
    A->SetBounds(16, 16, 0, 20);
    Select(A);
    Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(A->BoundsRect(), QRect(16, 16, 0, 20));
    // Resize-locked controls keep their size and leave the selection.
    Designer->LockControl(B, {lmNoResize});
    Designer->SelectedControls().Add(B);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(B->BoundsRect(), QRect(120, 24, 40, 20));
    EXPECT_EQ(A->BoundsRect(), QRect(16, 16, 1, 20));
    EXPECT_EQ(Selected(), QList<TControl*>{A});
}

TEST_F(DesignSurfaceKeyboard, CtrlArrowsMoveAllButLockedControls) {
    Designer->LockControl(B, {lmNoMove});
    Select(A);
    Designer->SelectedControls().Add(B);
    Designer->SelectedControls().Add(C);
    const struct {
        int Key;
        QPoint By;
    } cases[] = {{Qt::Key_Right, {1, 0}}, {Qt::Key_Down, {0, 1}}, {Qt::Key_Left, {-1, 0}}, {Qt::Key_Up, {0, -1}}};
    QPoint a = A->BoundsRect().topLeft(), c = C->BoundsRect().topLeft();
    for (const auto& k : cases) {
        Key(k.Key, Qt::ControlModifier);
        a += k.By;
        c += k.By;
        EXPECT_EQ(A->BoundsRect().topLeft(), a);
        EXPECT_EQ(C->BoundsRect().topLeft(), c);
        EXPECT_EQ(B->BoundsRect().topLeft(), QPoint(120, 24));
    }
    Key(Qt::Key_Right, Qt::ControlModifier);
    // The handles follow the moved control.
    EXPECT_EQ(VisibleHandles(C).value(0).topLeft(), C->BoundsRect().topLeft());
}

TEST_F(DesignSurfaceKeyboard, DeleteFreesTheSelectionOnce) {
    auto* panel = Add<TTestPanel>("P", {200, 200, 150, 80});
    auto* inner = Add<TTestLabel>("Inner", {10, 10, 40, 20}, panel);
    QPointer<TControl> p(panel), i(inner), a(A);
    // A control and its own child: the child goes with its parent.
    Select(inner);
    Designer->SelectedControls().Add(panel);
    Designer->SelectedControls().Add(A);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(p.isNull());
    EXPECT_TRUE(i.isNull());
    EXPECT_TRUE(a.isNull());
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
    // With the root alone nothing goes.
    const int count = Root->ComponentCount();
    Key(Qt::Key_Delete);
    EXPECT_EQ(Root->ComponentCount(), count);
    // A locked control: the user is told, nothing is deleted.
    Designer->LockControl(B, {lmNoDelete});
    Select(B);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Root->ComponentCount(), count);
    ASSERT_EQ(UI->Messages.size(), 1);
    EXPECT_TRUE(UI->Messages[0].startsWith("Control \"B\""));
}

TEST_F(DesignSurfaceKeyboard, ApplicationShortcutsPassOtherKeysReachTheSurface) {
    int saved = 0, deleted = 0;
    auto* save = new QAction(Window.get());
    save->setShortcut(QKeySequence("Ctrl+S"));
    save->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(save, &QAction::triggered, [&] { ++saved; });
    Window->addAction(save);
    auto* del = new QAction(Window.get());
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    del->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(del, &QAction::triggered, [&] { ++deleted; });
    Window->addAction(del);
    ASSERT_EQ(QApplication::focusWidget(), Panel->Form());

    Select(A);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved, 1);
    QPointer<TControl> a(A);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(a.isNull());
    EXPECT_EQ(deleted, 0);
}

TEST_F(DesignSurfaceKeyboard, KeyEventsGoToTheDesignerAndMayBeCleared) {
    QStringList seen;
    Designer->OnKeyDown = [&](int& key, Qt::KeyboardModifiers) {
        seen << QString("down %1").arg(key);
        if (key == Qt::Key_Escape) key = 0;
    };
    Designer->OnKeyPress = [&](QString& text) { seen << "press " + text; };
    Designer->OnKeyUp = [&](int& key, Qt::KeyboardModifiers) { seen << QString("up %1").arg(key); };
    Select(A);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Selected(), QList<TControl*>{A});  // cleared by the handler
    Key(Qt::Key_X);
    EXPECT_EQ(seen, (QStringList{QString("down %1").arg(Qt::Key_Escape), QString("up %1").arg(Qt::Key_Escape),
                                 QString("down %1").arg(Qt::Key_X), "press x", QString("up %1").arg(Qt::Key_X)}));
}
}  // namespace

namespace {
TEST_F(DesignSurfaceKeyboard, TheFormKeepsTheFocusAndTheHandlesShowIt) {
    A->setFocusPolicy(Qt::StrongFocus);
    Select(A);
    A->setFocus();  // as Qt does for a clicked control that takes focus
    EXPECT_EQ(QApplication::focusWidget(), Panel->Form());
    EXPECT_TRUE(Designer->SelectedControls().Active());
    EXPECT_EQ(Designer->SelectedControls().Items(0)->Point(ppLeft)->Fill(), Designer->HandleClr);
    // Unfocused, a single selection shows the inactive colours.
    auto* other = new QWidget(Window.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    other->setFocus();
    EXPECT_FALSE(Designer->SelectedControls().Active());
    EXPECT_EQ(Designer->SelectedControls().Items(0)->Point(ppLeft)->Fill(), Designer->InactiveHandleClr);
}
}  // namespace
