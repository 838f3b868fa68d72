// The layout view: scroll bars, user actions at the pointer, mouse and key
// input offscreen, views scrolling together and the scroll cache.
#include "LayoutTestSupport.h"

#include "PrintView.h"
#include "UIServices.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TViewFixture {
    explicit TViewFixture(QSize size = {800, 600}) : UI(std::make_shared<TScriptedUIServices>()), OldUI(SetUIServices(UI)) {
        Doc.SetIsDesigner(true);
        A = AddFill(&Doc, 10, 10, 30, 20, 0x0000FF);
        B = AddFill(&Doc, 60, 40, 20, 30, 0x00FF00);
        View.resize(size);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~TViewFixture() {
        View.SetDocument(nullptr);
        SetUIServices(OldUI);
    }
    // The view pixel of a point in millimetres.
    QPoint Px(double x, double y) const { return View.Device().AbsPrj(x, y); }
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    TPrintDocument Doc;
    TFillItem *A, *B;
    TSketchView View;
};
}  // namespace

TEST(SketchView, ScrollLayoutCentresOnlySheetsMuchNarrowerThanTheWindow) {
    struct TCase { const char* What; QSize Sheet, Client, Offset; bool HRange; int HMin, HMax, HOffset; };
    const TCase cases[] = {
        {"20 px narrower", {780, 100}, {800, 600}, {10, 10}, true, -15, -5, 10},
        {"30 px narrower: centred", {770, 100}, {800, 600}, {10, 10}, false, 0, 0, 15},
        {"wider, offset too far right", {1000, 100}, {800, 600}, {40, 10}, true, -15, 215, 15},
        {"wider, offset too far left", {1000, 100}, {800, 600}, {-500, 10}, true, -15, 215, -215},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TScrollLayout l = CalcScrollLayout(c.Sheet, c.Client, c.Offset);
        EXPECT_EQ(l.Horizontal.HasRange, c.HRange);
        EXPECT_EQ(l.Horizontal.Offset, c.HOffset);
        if (c.HRange) {
            EXPECT_EQ(l.Horizontal.Min, c.HMin);
            EXPECT_EQ(l.Horizontal.Max, c.HMax);
            EXPECT_EQ(l.Horizontal.Position, -c.HOffset);
            EXPECT_GE(l.Horizontal.LargeChange, 1) << "a page step never scrolls backwards";
            EXPECT_GE(l.Horizontal.SmallChange, 1);
        }
        EXPECT_FALSE(l.Vertical.HasRange);
        EXPECT_EQ(l.Vertical.Offset, 15);
    }
    const TScrollLayout tall = CalcScrollLayout({700, 3000}, {800, 600}, {10, -5000});
    EXPECT_TRUE(tall.Vertical.HasRange);
    EXPECT_EQ(tall.Vertical.Offset, 600 - 3000 - 15);
    EXPECT_EQ(tall.Vertical.LargeChange, 300);
    EXPECT_EQ(tall.Vertical.SmallChange, 30);
}

TEST(SketchView, GoTopAndGoBottom) {
    TViewFixture f;
    AddFill(&f.Doc, 0, 1000, 10, 10);
    f.Doc.Changed(dcContents);
    ASSERT_GT(f.Doc.PageCount(), 3);
    f.View.GoBottom();
    const QSize sheet = f.View.Device().GetSheetSize(f.Doc.PageCount());
    EXPECT_EQ(f.View.GetTopOffset() + sheet.height(), f.View.ClientArea().height() - 15)
        << "the last page's bottom 15 pixels above the window's bottom";
    f.View.GoTop();
    EXPECT_EQ(f.View.GetTopOffset(), 15);
    EXPECT_NEAR(f.View.GetPosition(), -15 / ScreenPixelsPerMM, 0.3);
    f.View.PageDown();
    EXPECT_EQ(f.View.GetTopOffset(), 15 - f.View.LargeChange().height());
    f.View.LineUp();
    EXPECT_EQ(f.View.GetTopOffset(), 15 - f.View.LargeChange().height() + f.View.SmallChange().height());
    f.View.SetPosition(500);
    EXPECT_NEAR(f.View.GetPosition(), 500, 0.3);
}

TEST(SketchView, UserActionAtThePointer) {
    struct TCase {
        const char* What;
        std::function<void(TViewFixture&)> Setup;
        QPointF MM;
        Qt::KeyboardModifiers Shift;
        bool Double;
        TPrintEditActions Expected;
    };
    const auto selectA = [](TViewFixture& f) { f.A->Select(true); };
    const TCase cases[] = {
        {"1 mm inside the left edge", selectA, {11.2, 20}, {}, false, {saLeft}},
        {"2 mm inside the left edge", selectA, {12.2, 20}, {}, false, {saMove}},
        {"1 mm inside the top-left corner", selectA, {11.2, 11.2}, {}, false, {saLeft, saTop}},
        {"1 mm inside the bottom-right corner", selectA, {38.8, 28.8}, {}, false, {saRight, saBottom}},
        {"an autosize item has no edges", [](TViewFixture& f) {
             f.A->Select(true);
             f.A->SetStateFlag(TPrintItem::psAutosize, true);
         }, {11.2, 20}, {}, false, {saMove}},
        {"Shift on a selected item with an in-place editor", [](TViewFixture& f) {
             f.A->Select(true);
             f.A->SetStateFlag(TPrintItem::psInplaceEditor, true);
         }, {20, 20}, Qt::ShiftModifier, false, {saModify}},
        {"Shift on a selected item without one", selectA, {20, 20}, Qt::ShiftModifier, false, {}},
        {"Shift on an unselected editor with nothing selected", [](TViewFixture& f) {
             f.A->SetStateFlag(TPrintItem::psInplaceEditor, true);
         }, {20, 20}, Qt::ShiftModifier, false, {saModify}},
        {"an unselected selectable item", {}, {20, 20}, {}, false, {saMove}},
        {"several selected: a selected item", [](TViewFixture& f) {
             f.A->Select(true);
             f.B->Select(true);
         }, {20, 20}, {}, false, {saMove}},
        {"several selected: an unselected item", [](TViewFixture& f) {
             f.B->Select(true);
             AddFill(&f.Doc, 100, 100, 10, 10)->Select(true);
             f.Doc.Changed(dcContents);
         }, {20, 20}, {}, false, {}},
        {"empty paper", {}, {150, 150}, {}, false, {}},
        {"double click on an item that can be set up", [](TViewFixture& f) {
             f.A->SetStateFlag(TPrintItem::psCanSetup, true);
         }, {20, 20}, {}, true, {saSetup}},
        {"run mode: an item that can be set up", [](TViewFixture& f) {
             f.Doc.SetIsDesigner(false);
             f.A->SetStateFlag(TPrintItem::psCanSetup, true);
         }, {20, 20}, {}, false, {saSetup}},
        {"run mode: any other item", [](TViewFixture& f) { f.Doc.SetIsDesigner(false); }, {20, 20}, {}, false, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TViewFixture f;
        if (c.Setup) c.Setup(f);
        const QPoint p = f.Px(c.MM.x(), c.MM.y());
        EXPECT_EQ(f.View.GetUserAction(c.Shift, p.x(), p.y(), c.Double).Bits(), c.Expected.Bits());
    }
}

TEST(SketchView, DraggingMovesAndReleasingOnTheSpotDoesNothing) {
    TViewFixture f;
    const QPoint start = f.Px(20, 20);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, start);
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, start);
    EXPECT_TRUE(f.A->Selected());
    EXPECT_EQ(f.Doc.DoneCount(), 0) << "released on the spot";
    EXPECT_EQ(f.Doc.CurAction(), nullptr);

    QTest::mousePress(&f.View, Qt::LeftButton, {}, start);
    QTest::mouseMove(&f.View, start + QPoint(19, 38));
    EXPECT_FALSE(f.View.Device().Frames().isEmpty()) << "the frame follows the pointer";
    QTest::mouseMove(&f.View, start + QPoint(38, 76));
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, start + QPoint(38, 76));
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
    EXPECT_EQ(f.Doc.DoneCount(), 1);
    EXPECT_EQ(f.A->GetAbsPos(), QPoint(20, 30)) << "moved by 38 and 76 pixels: 10 and 20 mm";
}

TEST(SketchView, RightButtonCancelsADrag) {
    TViewFixture f;
    const QPoint start = f.Px(20, 20);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, start);
    QTest::mouseMove(&f.View, start + QPoint(40, 40));
    ASSERT_NE(f.Doc.CurAction(), nullptr);
    QTest::mousePress(&f.View, Qt::RightButton, {}, start + QPoint(40, 40));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, start + QPoint(40, 40));
    EXPECT_EQ(f.A->GetAbsPos(), QPoint(10, 10));
    EXPECT_EQ(f.Doc.DoneCount(), 0);
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
}

TEST(SketchView, AnotherWindowTakingTheFocusCancelsADrag) {
    TViewFixture f;
    const QPoint start = f.Px(20, 20);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, start);
    QTest::mouseMove(&f.View, start + QPoint(40, 40));
    ASSERT_NE(f.Doc.CurAction(), nullptr);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&f.View, &lost);
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, start + QPoint(40, 40));
    EXPECT_EQ(f.A->GetAbsPos(), QPoint(10, 10));
}

TEST(SketchView, ShiftClicksToggleTheSelection) {
    TViewFixture f;
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.Px(20, 20));
    QTest::mouseClick(&f.View, Qt::LeftButton, Qt::ShiftModifier, f.Px(70, 50));
    EXPECT_EQ(f.Doc.Selection().size(), 2);
    QTest::mouseClick(&f.View, Qt::LeftButton, Qt::ShiftModifier, f.Px(20, 20));
    EXPECT_EQ(f.Doc.Selection(), QList<TPrintItem*>{f.B});
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.Px(150, 150));
    EXPECT_TRUE(f.Doc.Selection().isEmpty()) << "a click on the paper clears the selection";
    EXPECT_EQ(f.Doc.DoneCount(), 0);
}

TEST(SketchView, LeftEdgeDraggedPastTheRightStopsTwoPixelsShort) {
    TViewFixture f;
    f.A->Select(true);
    const QPoint start = f.Px(11.2, 20);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, start);
    auto* size = dynamic_cast<TPrintSizeAction*>(f.Doc.CurAction());
    ASSERT_NE(size, nullptr);
    QTest::mouseMove(&f.View, start + QPoint(300, 0));
    EXPECT_EQ(size->NewScreenBounds().width(), 2);
    ASSERT_EQ(f.View.Device().Frames().size(), 1);
    EXPECT_EQ(f.View.Device().Frames().first().width(), 4) << "the frame grown by a pixel each side";
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, start + QPoint(300, 0));
    EXPECT_GE(f.A->Width(), 1);
    EXPECT_EQ(f.A->GetAbsLeft() + f.A->Width(), 40);
    f.Doc.Undo();
    EXPECT_EQ(f.A->GetBounds(), QRect(10, 10, 30, 20));
}

TEST(SketchView, AFailingItemCancelsTheActionAndTheViewGoesOn) {
    TViewFixture f;
    f.A->FailUserAction = true;
    QTest::mousePress(&f.View, Qt::LeftButton, {}, f.Px(20, 20));
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, f.Px(20, 20));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    f.A->FailUserAction = false;
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.Px(70, 50));
    EXPECT_EQ(f.Doc.Selection(), QList<TPrintItem*>{f.B});
}

TEST(SketchView, KeysMoveTheSelectionAndScroll) {
    TViewFixture f;
    f.A->Select(true);
    f.View.setFocus();
    QTest::keyClick(&f.View, Qt::Key_Right);
    QTest::keyClick(&f.View, Qt::Key_Down);
    EXPECT_EQ(f.A->GetAbsPos(), QPoint(11, 11));
    EXPECT_EQ(f.Doc.DoneCount(), 2);
    AddFill(&f.Doc, 0, 900, 10, 10);
    f.Doc.Changed(dcContents);
    QTest::keyClick(&f.View, Qt::Key_End);
    EXPECT_LT(f.View.GetTopOffset(), -1000);
    QTest::keyClick(&f.View, Qt::Key_Home);
    EXPECT_EQ(f.View.GetTopOffset(), 15);
}

TEST(SketchView, ViewsOfOneDocumentScrollTogetherHorizontally) {
    TViewFixture f({400, 300});
    TSketchView other;
    other.resize(400, 300);
    other.SetDocument(&f.Doc);
    other.show();
    ASSERT_TRUE(f.View.HorzScrollBar()->isVisible()) << "a sheet wider than the window";
    f.View.SetLeftOffset(-200);
    EXPECT_EQ(f.View.GetLeftOffset(), -200);
    EXPECT_EQ(other.GetLeftOffset(), -200);
    other.SetDocument(nullptr);
}

TEST(SketchView, ScrollPositionComesBackWithTheDocument) {
    TViewFixture f;
    AddFill(&f.Doc, 0, 1000, 10, 10);
    f.Doc.Changed(dcContents);
    f.View.SetTopOffset(-700);
    TPrintDocument second;
    f.View.SetDocument(&second);
    EXPECT_EQ(f.View.GetTopOffset(), 10) << "a document new to the view starts at the initial offset";
    f.View.SetDocument(&f.Doc);
    EXPECT_EQ(f.View.GetTopOffset(), -700);
    f.View.SetDocument(nullptr);
}

TEST(SketchView, PasteAtThePointerPlacesTheCopyWhereTheMouseLeftIt) {
    TViewFixture f;
    f.A->Select(true);
    f.Doc.CopySelectionToClipboard();
    f.Doc.DeselectAll();
    f.Doc.SetEditMode(emPasteComponents);
    ASSERT_NE(dynamic_cast<TPrintPasteAtAction*>(f.Doc.CurAction()), nullptr);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, f.Px(100, 100));
    EXPECT_EQ(f.View.Device().Frames().size(), 1);
    QTest::mouseMove(&f.View, f.Px(120, 130));
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, f.Px(120, 130));
    EXPECT_EQ(f.Doc.EditMode(), emNormal);
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    ASSERT_EQ(f.Doc.ItemCount(), 3);
    TPrintItem* pasted = f.Doc.Items().last();
    EXPECT_EQ(pasted->GetBounds(), QRect(120, 130, 30, 20));
    EXPECT_NE(pasted->ID(), f.A->ID());
    const QString after = f.Doc.GetAsText();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.ItemCount(), 2);
    f.Doc.Redo();
    EXPECT_EQ(f.Doc.GetAsText(), after);
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
}
