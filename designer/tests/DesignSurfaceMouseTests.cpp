#include "DsgnSurfaceFixture.h"
#include "TestSupport.h"

#include <QLabel>

namespace {
class DesignSurfaceMouse : public TDesignSurfaceTest {};

QList<QRect> Handles(std::initializer_list<QPoint> topLefts) {
    QList<QRect> r;
    for (QPoint p : topLefts) r << QRect(p, QSize(5, 5));
    std::sort(r.begin(), r.end(), [](const QRect& a, const QRect& b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    return r;
}

TEST_F(DesignSurfaceMouse, ClickAndShiftClickSelectWithTheirHandles) {
    auto* a = Add<TTestLabel>("A", {40, 40, 80, 24});
    auto* b = Add<TTestLabel>("B", {200, 40, 60, 20});
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
    EXPECT_TRUE(VisibleHandles(Root).isEmpty());

    Click({50, 50});
    EXPECT_EQ(Selected(), QList<TControl*>{a});
    // Sizeable: eight handles 2 pixels outside the control.
    EXPECT_EQ(VisibleHandles(a), Handles({{38, 38}, {78, 38}, {117, 38}, {38, 50}, {117, 50}, {38, 61}, {78, 61}, {117, 61}}));

    Click({210, 45}, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (QList<TControl*>{a, b}));
    // Several selected: four corner handles each, on the control's corners.
    EXPECT_EQ(VisibleHandles(a), Handles({{40, 40}, {115, 40}, {40, 59}, {115, 59}}));
    EXPECT_EQ(VisibleHandles(b), Handles({{200, 40}, {255, 40}, {200, 55}, {255, 55}}));

    Click({50, 50}, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), QList<TControl*>{b});
    EXPECT_TRUE(VisibleHandles(a).isEmpty());
    EXPECT_EQ(VisibleHandles(b).size(), 8);

    // Shift-clicking the only selected control leaves the root.
    Click({210, 45}, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
    EXPECT_TRUE(VisibleHandles(b).isEmpty());

    Click({300, 250});
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
}

TEST_F(DesignSurfaceMouse, RubberBandSelectsTheChildrenItTouches) {
    auto* a = Add<TTestLabel>("A", {40, 40, 40, 20});
    auto* b = Add<TTestLabel>("B", {120, 40, 40, 20});
    Add<TTestLabel>("C", {40, 200, 40, 20});
    auto* panel = Add<TTestPanel>("P", {200, 100, 150, 100});
    auto* inner = Add<TTestLabel>("Inner", {10, 10, 40, 20}, panel);
    auto* inner2 = Add<TTestLabel>("Inner2", {10, 60, 40, 20}, panel);

    Drag({20, 20}, {130, 50});
    EXPECT_EQ(Selected(), (QList<TControl*>{a, b}));
    EXPECT_EQ(Panel->Form()->findChildren<TDEngCanvas*>().size(), 0);  // the band is gone

    Drag({20, 100}, {30, 110});
    EXPECT_EQ(Selected(), QList<TControl*>{Root});

    // With Ctrl the band starts on a control and works in its container.
    Drag({215, 115}, {260, 175}, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (QList<TControl*>{inner, inner2}));
}

TEST_F(DesignSurfaceMouse, MoveSnapsToTheGrid) {
    struct TCase {
        const char* What;
        bool Snap;
        QPoint By;
        QPoint Moved;
    } cases[] = {
        {"3 px stays", true, {3, 3}, {0, 0}},
        {"5 px moves a step", true, {5, -5}, {8, -8}},
        {"4 px, half a step, stays (ties to even)", true, {4, 0}, {0, 0}},
        {"12 px, a step and a half, moves two", true, {12, 20}, {16, 16}},
        {"without snapping the pointer's distance", false, {3, 5}, {3, 5}},
    };
    auto* a = Add<TTestLabel>("A", {80, 80, 40, 20});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Designer->SetSnapToGrid(c.Snap);
        a->SetBounds(80, 80, 40, 20);
        Drag({90, 90}, QPoint(90, 90) + c.By);
        EXPECT_EQ(a->BoundsRect(), QRect(QPoint(80, 80) + c.Moved, QSize(40, 20)));
        EXPECT_EQ(Selected(), QList<TControl*>{a});
        EXPECT_EQ(VisibleHandles(a).size(), 8);
    }
}

TEST_F(DesignSurfaceMouse, EveryHandleSizesItsEdges) {
    struct TCase {
        TDSelCtrlItemPointPos Pos;
        QPoint By;
        QRect Expected;
    } cases[] = {
        {ppTopLeft, {-16, -8}, {64, 72, 96, 48}},
        {ppTop, {16, -8}, {80, 72, 80, 48}},  // X fixed: only top and height change
        {ppTopRight, {16, 8}, {80, 88, 96, 32}},
        {ppRight, {16, 24}, {80, 80, 96, 40}},  // Y fixed
        {ppBottomRight, {-16, 8}, {80, 80, 64, 48}},
        {ppBottom, {24, 8}, {80, 80, 80, 48}},
        {ppBottomLeft, {8, -8}, {88, 80, 72, 32}},
        {ppLeft, {-8, 40}, {72, 80, 88, 40}},
        // Past the opposite edge the rectangle flips: its left is the old right.
        {ppLeft, {96, 0}, {160, 80, 16, 40}},
        {ppTop, {0, 56}, {80, 120, 80, 16}},
    };
    auto* a = Add<TTestLabel>("A", {80, 80, 80, 40});
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "handle " << c.Pos << " by " << c.By.x() << "," << c.By.y());
        a->SetBounds(80, 80, 80, 40);
        Click({100, 100});
        const QPoint h = HandleCentre(a, c.Pos);
        Drag(h, h + c.By);
        EXPECT_EQ(a->BoundsRect(), c.Expected);
        EXPECT_EQ(Selected(), QList<TControl*>{a});
    }
}

// The pressed handle hides as the sizing starts; the release must still end
// it, and later moves and clicks must leave the size alone.
TEST_F(DesignSurfaceMouse, HandleSizingEndsOnRelease) {
    auto* a = Add<TTestLabel>("A", {80, 80, 80, 40});
    auto* b = Add<TTestLabel>("B", {280, 200, 60, 20});
    Click({100, 100});
    const QPoint h = HandleCentre(a, ppBottomRight);
    Drag(h, h + QPoint(32, 16));
    const QRect sized(80, 80, 112, 56);
    EXPECT_EQ(a->BoundsRect(), sized);
    EXPECT_FALSE(Designer->Engine()->IsInDrawMode()) << "the sizing outlives the release";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // The pointer wanders off with no button held, then clicks elsewhere.
    for (QPoint p : {QPoint(240, 160), QPoint(300, 250), QPoint(20, 280)}) Mouse(QEvent::MouseMove, p, Qt::NoButton);
    EXPECT_EQ(a->BoundsRect(), sized);
    Click({290, 205});
    EXPECT_EQ(a->BoundsRect(), sized);
    EXPECT_EQ(Selected(), QList<TControl*>{b});
    EXPECT_EQ(VisibleHandles(b).size(), 8);
}

TEST_F(DesignSurfaceMouse, HandlesOfResizeLockedControlDoNotSize) {
    auto* a = Add<TTestLabel>("A", {80, 80, 80, 40});
    Designer->LockControl(a, {lmNoResize});
    Click({100, 100});
    const QPoint h = HandleCentre(a, ppBottomRight);
    Drag(h, h + QPoint(40, 40));
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 80, 40));
}

TEST_F(DesignSurfaceMouse, InsertDragCreatesTheControl) {
    const TClassInfo* label = FindClass("TWKLabel");
    int inserted = 0;
    Designer->OnControlInserting = [&](const TClassInfo*& cls) { cls = label; };
    Designer->OnControlInserted = [&](TControl*) { ++inserted; };
    struct TCase {
        const char* What;
        QPoint From, To;
        QRect Expected;
    } cases[] = {
        {"a dragged rectangle from the grid point below the start", {21, 19}, {61, 43}, {16, 16, 40, 24}},
        {"a click gets the default size", {21, 19}, {21, 19}, {16, 16, 65, 17}},
        {"one pixel is still a click", {100, 100}, {101, 101}, {96, 96, 65, 17}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Drag(c.From, c.To);
        auto* made = qobject_cast<TTestLabel*>(Selected().value(0));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(Selected().size(), 1);
        EXPECT_EQ(made->BoundsRect(), c.Expected);
        EXPECT_EQ(made->parentWidget(), Root);
        EXPECT_EQ(made->Owner(), Root);
        EXPECT_TRUE(made->IsDesigning());
        delete made;
    }
    EXPECT_EQ(inserted, 3);
}

TEST_F(DesignSurfaceMouse, InsertGoesIntoTheContainerUnlessItIsLocked) {
    auto* panel = Add<TTestPanel>("P", {100, 100, 200, 100});
    const TClassInfo* label = FindClass("TWKLabel");
    Designer->OnControlInserting = [&](const TClassInfo*& cls) { cls = label; };
    Drag({124, 124}, {164, 148});
    ASSERT_EQ(Selected().size(), 1);
    EXPECT_EQ(Selected()[0]->parentWidget(), panel);
    // The start goes down to the form's grid (120, 120), which is (20, 20) in the panel.
    EXPECT_EQ(Selected()[0]->BoundsRect(), QRect(20, 20, 40, 24));

    Designer->LockControl(panel, {lmNoInsertIn});
    const int before = Root->ComponentCount();
    Drag({250, 170}, {280, 190});
    EXPECT_EQ(Root->ComponentCount(), before);
}

TEST_F(DesignSurfaceMouse, EscDuringAMoveLeavesEverythingInPlace) {
    auto* a = Add<TTestLabel>("A", {80, 80, 40, 20});
    auto* b = Add<TTestLabel>("B", {160, 80, 40, 20});
    Click({90, 90});
    Click({170, 90}, Qt::ShiftModifier);
    PressAndMove({90, 90}, {150, 130});
    ASSERT_EQ(Panel->Form()->findChildren<TDEngCanvas*>().size(), 1);
    EXPECT_EQ(Panel->Form()->findChildren<TDEngCanvas*>()[0]->Outlines().size(), 2);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Panel->Form()->findChildren<TDEngCanvas*>().size(), 0);
    Mouse(QEvent::MouseButtonRelease, {150, 130});
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 40, 20));
    EXPECT_EQ(b->BoundsRect(), QRect(160, 80, 40, 20));
    EXPECT_EQ(Selected(), (QList<TControl*>{a, b}));
    EXPECT_EQ(VisibleHandles(a).size(), 4);
}

TEST_F(DesignSurfaceMouse, MoveLockedControlsStay) {
    auto* a = Add<TTestLabel>("A", {80, 80, 40, 20});
    auto* b = Add<TTestLabel>("B", {160, 80, 40, 20});
    Designer->LockControl(a, {lmNoMove});
    Drag({90, 90}, {130, 130});
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 40, 20));
    EXPECT_EQ(Selected(), QList<TControl*>{a});
    // Dragging the group by an unlocked member moves only the unlocked ones.
    Click({170, 90}, Qt::ShiftModifier);
    Drag({170, 90}, {186, 106});
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 40, 20));
    EXPECT_EQ(b->BoundsRect(), QRect(176, 96, 40, 20));
    // The locked control's handles are filled with the locked colour.
    Click({90, 90});
    EXPECT_EQ(Designer->SelectedControls().Items(0)->Point(ppTopLeft)->Fill(), Designer->LockedHandleClr);
}

TEST_F(DesignSurfaceMouse, ClaimedClicksReachTheControl) {
    auto* tabs = Add<TTestTabs>("Tabs", {40, 40, 200, 40});
    Click({60, 60});
    EXPECT_EQ(tabs->Presses, 1);
    EXPECT_EQ(Selected(), QList<TControl*>{Root});
    Click({200, 60});
    EXPECT_EQ(tabs->Presses, 1);
    EXPECT_EQ(Selected(), QList<TControl*>{tabs});
}

TEST_F(DesignSurfaceMouse, ControlsAddedLaterAreDesignedToo) {
    auto* late = Add<TTestPanel>("Late", {40, 40, 100, 60});
    auto* inner = Add<TTestLabel>("Inner", {10, 10, 30, 20}, late);
    Click({55, 55});
    EXPECT_EQ(Selected(), QList<TControl*>{inner});
    EXPECT_TRUE(inner->IsDesigning());
}

TEST_F(DesignSurfaceMouse, DeactivationDuringADragCancelsIt) {
    auto* a = Add<TTestLabel>("A", {80, 80, 40, 20});
    PressAndMove({90, 90}, {150, 150});
    Designer->SetActive(false);
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 40, 20));
    EXPECT_FALSE(a->IsDesigning());
    // The root is back where it was.
    EXPECT_EQ(Root->parentWidget(), Window.get());
    EXPECT_EQ(Root->BoundsRect(), QRect(10, 10, 400, 300));
    EXPECT_EQ(DesignHookOf(Panel->Form()), nullptr);
    EXPECT_EQ(Panel->Form()->findChildren<TDEngCanvas*>().size(), 0);
}

TEST_F(DesignSurfaceMouse, HintsShowNamesPositionsAndSizes) {
    auto* a = Add<TTestLabel>("WKLabel1", {80, 80, 40, 20});
    ApplicationHintPauses().Show = 0;
    QLabel* hint = DesignHintWindow();
    ASSERT_NE(hint, nullptr);
    Mouse(QEvent::MouseMove, {90, 90}, Qt::NoButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return hint->isVisible(); }));
    EXPECT_EQ(hint->text(), "WKLabel1: TWKLabel");
    EXPECT_GT(hint->y(), Root->mapToGlobal(QPoint(90, 90)).y());  // below the pointer
    Mouse(QEvent::MouseMove, {300, 250}, Qt::NoButton);
    EXPECT_FALSE(hint->isVisible());
    // A control hint goes after the hide pause by itself.
    ApplicationHintPauses().Hide = 0;
    Mouse(QEvent::MouseMove, {90, 90}, Qt::NoButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return hint->isVisible(); }));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !hint->isVisible(); }));
    Mouse(QEvent::MouseMove, {300, 250}, Qt::NoButton);
    // One window serves every surface, and goes with the last of them.
    {
        TFormDesigner second;
        TControl form;
        second.SetDesignControl(&form);
        second.SetActive(true);
        EXPECT_EQ(DesignHintWindow(), hint);
    }
    EXPECT_EQ(DesignHintWindow(), hint);

    PressAndMove({90, 90}, {106, 98});
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), "96, 88");
    Mouse(QEvent::MouseButtonRelease, {106, 98});
    EXPECT_FALSE(hint->isVisible());

    const QPoint h = HandleCentre(a, ppBottomRight);
    PressAndMove(h, h + QPoint(16, 8));
    EXPECT_EQ(hint->text(), "56 x 28");
    Mouse(QEvent::MouseButtonRelease, h + QPoint(16, 8));

    Designer->SetShowingHints({htControl});
    PressAndMove({100, 100}, {140, 140});
    EXPECT_FALSE(hint->isVisible());
    Mouse(QEvent::MouseButtonRelease, {140, 140});
}

TEST_F(DesignSurfaceMouse, RightClickAsksForTheContextMenu) {
    auto* a = Add<TTestLabel>("A", {80, 80, 40, 20});
    QPoint asked;
    Designer->OnContextPopup = [&](const QPoint& pos, bool& handled) {
        asked = pos;
        handled = true;
    };
    Mouse(QEvent::MouseButtonPress, {90, 90}, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, {90, 90}, Qt::RightButton);
    EXPECT_EQ(Selected(), QList<TControl*>{a});
    EXPECT_EQ(asked, Root->mapToGlobal(QPoint(90, 90)));

    int doubleClicks = 0;
    Designer->OnDblClick = [&] { ++doubleClicks; };
    Click({90, 90});
    Mouse(QEvent::MouseButtonDblClick, {90, 90});
    Mouse(QEvent::MouseButtonRelease, {90, 90});
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(a->BoundsRect(), QRect(80, 80, 40, 20));
}
}  // namespace

namespace {
QImage Shot(QWidget* w, const char* name) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray dir = qgetenv("WK_TEST_ARTIFACTS"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    return image;
}

TEST_F(DesignSurfaceMouse, TheSurfaceShowsGridHandlesAndOutlines) {
    Designer->Grid()->SetColor(TColor(0x0000FF));  // red dots
    Designer->HandleClr = TColor(0xFF0000);         // blue handles
    auto* a = Add<TTestLabel>("A", {40, 40, 80, 24});
    Add<TTestLabel>("B", {200, 120, 60, 20});
    Click({50, 50});
    // Root (0, 0) is window (1, 1): the panel's border is one pixel.
    const QImage still = Shot(Window.get(), "design-surface-selected");
    EXPECT_EQ(still.pixelColor(201, 201), QColor(Qt::red));     // a grid point
    EXPECT_NE(still.pixelColor(204, 203), QColor(Qt::red));     // between grid points
    EXPECT_EQ(still.pixelColor(120, 53), QColor(Qt::blue));     // inside the right handle
    EXPECT_EQ(still.pixelColor(118, 51), QColor(Qt::black));    // its border
    EXPECT_NE(still.pixelColor(126, 53), QColor(Qt::blue));     // beside it

    PressAndMove({50, 50}, {66, 66});
    const QImage moving = Shot(Window.get(), "design-surface-moving");
    EXPECT_EQ(moving.pixelColor(58, 71), QColor(0x80, 0x80, 0x80));  // the outline's left edge, 16 px on
    Mouse(QEvent::MouseButtonRelease, {66, 66});
    EXPECT_EQ(a->BoundsRect(), QRect(56, 56, 80, 24));

    Designer->Grid()->SetVisible(false);
    EXPECT_NE(Shot(Window.get(), "design-surface-no-grid").pixelColor(201, 201), QColor(Qt::red));
}
}  // namespace
