// Editing labels and comments in place with keys typed offscreen.
#include "WellLogTestSupport.h"

#include "PrintComments.h"
#include "PrintLabels.h"
#include "PrintView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TEditView {
    TEditView() {
        SetUpDepthDocument(Doc, 0, 100, 0.5, 10);
        Doc.SetIsDesigner(true);
        Label = new TPrintLabel(&Doc);
        Label->SetLeft(120);
        Label->SetTop(20);
        Field = new TPrintField(&Doc);
        Field->SetLeft(10);
        Field->SetTop(10);
        Field->SetWidth(60);
        auto* root = new TPrintCommentsRoot(Field);
        Comment = new TPrintComment(root);
        Comment->SetXOffset(5);
        Comment->SetYOffset(40);
        Comment->SetComment("Приток");
        View.resize(700, 600);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~TEditView() { View.SetDocument(nullptr); }
    QPoint LabelPoint() const {
        const QRect b = Label->Bounds();
        return View.Device().AbsPrj(b.left() + b.width() / 2.0, b.top() + b.height() / 2.0);
    }
    TSketchDocument Doc;
    TPrintLabel* Label;
    TPrintField* Field;
    TPrintComment* Comment;
    TSketchView View;
};
}  // namespace

TEST(InplaceEdit, LabelTextTypedAndUndone) {
    TEditView f;
    QTest::mouseClick(&f.View, Qt::LeftButton, Qt::ShiftModifier, f.LabelPoint());
    TPrintInplaceTextEditor* editor = f.Label->Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(f.Label->HasState(TPrintItem::psEditing));
    const int width = editor->width();
    QTest::keyClicks(editor, "Well number seven, pad three");
    EXPECT_EQ(editor->toPlainText(), "Well number seven, pad three") << "the placeholder is replaced";
    EXPECT_GT(editor->width(), width) << "the editor grows with its text";
    const int grown = editor->width();
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->width(), grown) << "and never shrinks";
    f.Label->EndInplaceEdit();
    EXPECT_EQ(f.Label->Editor(), nullptr);
    EXPECT_FALSE(f.Label->HasState(TPrintItem::psEditing));
    EXPECT_EQ(f.Label->Caption(), "Well number seven, pad thre");
    ASSERT_EQ(f.Doc.DoneCount(), 1);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Редактирование текста");
    const QUuid id = f.Label->ID();
    f.Doc.Undo();
    EXPECT_EQ(qobject_cast<TPrintLabel*>(f.Doc.FindItem(id))->Caption(), "[Пустая строка]");
    f.Doc.Redo();
    EXPECT_EQ(qobject_cast<TPrintLabel*>(f.Doc.FindItem(id))->Caption(), "Well number seven, pad thre");

    // Opened and closed without a change: no action.
    auto* label = qobject_cast<TPrintLabel*>(f.Doc.FindItem(id));
    label->BeginInplaceEdit(&f.View);
    ASSERT_NE(label->Editor(), nullptr);
    label->EndInplaceEdit();
    EXPECT_EQ(f.Doc.DoneCount(), 1);
}

TEST(InplaceEdit, EditorsNeverOutliveTheirItemOrView) {
    {
        TEditView f;
        f.Label->BeginInplaceEdit(&f.View);
        QPointer<TPrintInplaceTextEditor> editor = f.Label->Editor();
        ASSERT_FALSE(editor.isNull());
        f.Doc.PrepareDocument();
        EXPECT_EQ(f.Label->Editor(), nullptr) << "a prepare ends the editing";
        f.Label->BeginInplaceEdit(&f.View);
        editor = f.Label->Editor();
        delete f.Label;
        EXPECT_TRUE(editor.isNull()) << "deleting the label frees its editor";
        f.Comment->BeginInplaceEdit(&f.View);
        editor = f.Comment->Editor();
        ASSERT_FALSE(editor.isNull());
        f.View.SetDocument(nullptr);
        EXPECT_EQ(f.Comment->Editor(), nullptr) << "a detaching view ends the editing";
    }
}

TEST(InplaceEdit, AnEmptiedCommentIsDeletedAndComesBack) {
    TEditView f;
    const QRect r = f.Comment->GetAbsBounds(f.View.Device());
    EXPECT_EQ(f.Comment->GetUserAction(&f.View, r.center().x(), r.center().y(), Qt::ShiftModifier),
              (TPrintEditActions{saModify}));
    QTest::mouseClick(&f.View, Qt::LeftButton, Qt::ShiftModifier, r.center());
    TPrintInplaceTextEditor* editor = f.Comment->Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, "  ");
    const QUuid id = f.Comment->ID();
    f.Comment->EndInplaceEdit();
    EXPECT_EQ(f.Doc.FindItem(id), nullptr);
    f.Doc.Undo();
    auto* back = qobject_cast<TPrintComment*>(f.Doc.FindItem(id));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Comment(), "Приток");

    // A changed comment keeps its new text, undoably.
    back->BeginInplaceEdit(&f.View);
    QTest::keyClicks(back->Editor(), " gas");
    back->EndInplaceEdit();
    EXPECT_EQ(back->Comment(), "Приток gas");
    f.Doc.Undo();
    EXPECT_EQ(qobject_cast<TPrintComment*>(f.Doc.FindItem(id))->Comment(), "Приток");
}

TEST(InplaceEdit, DraggingAnEdgeMovesTheLabel) {
    TEditView f;
    f.Label->SetCaption("Well");
    f.Doc.Changed(dcContents);
    f.Label->BeginInplaceEdit(&f.View);
    TPrintInplaceTextEditor* editor = f.Label->Editor();
    ASSERT_NE(editor, nullptr);
    QWidget* surface = editor->viewport();
    const QPoint edge(0, surface->height() / 2), to = edge - QPoint(40, 0);
    QTest::mousePress(surface, Qt::LeftButton, {}, edge);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), surface->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    EXPECT_TRUE(editor->RectChanged());
    const int left = f.Label->Left();
    f.Label->EndInplaceEdit();
    const double mm = 40 / f.View.Device().XResScl();
    EXPECT_NEAR(f.Label->Left(), left - mm, 1.5);
    EXPECT_EQ(f.Label->Caption(), "Well");
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Редактирование текста");
}
