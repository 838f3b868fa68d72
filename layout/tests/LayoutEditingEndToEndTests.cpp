// A design-mode view edited through the mouse and the keys: every step
// undoes and redoes; the view is grabbed for a look.
#include "LayoutTestSupport.h"

#include "PrintView.h"
#include "UIServices.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

TEST(LayoutEditingEndToEnd, MouseAndKeyEditsUndoAndRedoStepByStep) {
    const auto ui = std::make_shared<TScriptedUIServices>();
    const auto oldUI = SetUIServices(ui);
    TPrintDocument doc;
    doc.SetIsDesigner(true);
    doc.SetGridStep(10);
    TFillItem* first = AddFill(&doc, 20, 20, 40, 30, 0x0000FF);
    TFillItem* second = AddFill(&doc, 90, 30, 50, 40, 0x00A000);
    TSketchView view;
    view.resize(800, 600);
    view.SetMainView(true);
    view.SetDocument(&doc);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    auto px = [&](double x, double y) { return view.Device().AbsPrj(x, y); };

    auto layout = [&] { return LayoutText(doc); };
    QStringList texts{layout()};
    QStringList steps;
    auto step = [&](const QString& what) {
        ASSERT_EQ(doc.CurAction(), nullptr) << what.toStdString();
        ASSERT_EQ(doc.DoneCount(), texts.size()) << what.toStdString();
        texts << layout();
        steps << what;
    };

    // Select the first item and drag it 10 mm right and 10 mm down.
    QTest::mousePress(&view, Qt::LeftButton, {}, px(40, 35));
    QTest::mouseMove(&view, px(45, 40));
    QTest::mouseMove(&view, px(50, 45));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, px(50, 45));
    step("drag");
    EXPECT_EQ(first->GetAbsPos(), QPoint(30, 30));

    QTest::keyClick(&view, Qt::Key_Left);
    step("key left");
    EXPECT_EQ(first->GetAbsPos(), QPoint(29, 30));

    // Widen the second item by its right edge.
    QTest::mouseClick(&view, Qt::LeftButton, {}, px(115, 50));
    ASSERT_EQ(doc.Selection(), QList<TPrintItem*>{second});
    QTest::mousePress(&view, Qt::LeftButton, {}, px(138.8, 50));
    QTest::mouseMove(&view, px(150, 50));
    QTest::mouseMove(&view, px(158.8, 50));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, px(158.8, 50));
    step("resize");
    EXPECT_EQ(second->Width(), 70);

    // Both selected, moved down by the keys, then aligned on the top.
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ShiftModifier, px(40, 40));
    ASSERT_EQ(doc.Selection().size(), 2);
    QTest::keyClick(&view, Qt::Key_Down);
    step("key down");
    doc.AlignSelection(asBottom);
    step("align");
    EXPECT_EQ(first->GetAbsTop() + first->Height(), second->GetAbsTop() + second->Height());

    for (int round = 0; round < 2; ++round) {
        for (int i = int(steps.size()) - 1; i >= 0; --i) {
            doc.Undo();
            EXPECT_EQ(layout(), texts[i]) << "undo " << steps[i].toStdString();
        }
        for (int i = 0; i < steps.size(); ++i) {
            doc.Redo();
            EXPECT_EQ(layout(), texts[i + 1]) << "redo " << steps[i].toStdString();
        }
    }

    // The first item alone selected, the top-left of page 1 in sight.
    QTest::mouseClick(&view, Qt::LeftButton, {}, px(180, 150));
    ASSERT_TRUE(doc.Selection().isEmpty());
    QTest::mouseClick(&view, Qt::LeftButton, {}, px(first->GetAbsLeft() + 15, first->GetAbsTop() + 10));
    ASSERT_EQ(doc.Selection(), QList<TPrintItem*>{first});
    view.GoTop();
    view.SetLeftOffset(15);
    const QImage grabbed = view.grab().toImage();
    EXPECT_EQ(view.Device().TopPage, 1);
    EXPECT_EQ(grabbed.size(), QSize(800, 600));
    const QPoint inside = px(first->GetAbsLeft() + 5, first->GetAbsTop() + 5);
    EXPECT_EQ(QColor(grabbed.pixel(inside)), QColor(Qt::red));
    const QPoint pageCorner = px(0, 0);
    EXPECT_EQ(QColor(grabbed.pixel(pageCorner + QPoint(-8, -8))), ColorToQColor(TColor(TScreenDevice::BackgroundColor)));
    if (const QString dir = ArtifactsDir(); !dir.isEmpty()) grabbed.save(dir + "/view.png");
    view.SetDocument(nullptr);
    SetUIServices(oldUI);
}
