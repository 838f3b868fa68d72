// Dialog controls of the outside packages and the old class library: number
// edit, colour box, radio group, check list, state tree, shape.
#include "CommonDialogs.h"
#include "EditControls.h"
#include "Numfield.h"
#include "StateTree.h"
#include "Swatchbox.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct TSeamScope {
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> Previous = SetUIServices(UI);
    ~TSeamScope() { SetUIServices(Previous); }
};

TEST(DialogWidgets, NumberEditRefusesWhatIsNotANumber) {
    struct TCase {
        const char* Typed;
        int Decimals;
        const char* Shown;
        bool Valid;
    };
    const TCase cases[] = {
        {"12a3", 0, "123", true},     {"-4.5", 0, "-45", true},     {"-4.5", 2, "-4.5", true},
        {"1.234", 2, "1.23", true},   {"abc", 2, "", false},        {"1,5", 1, "15", true},
        {"-", 0, "-", false},         {"99999", 0, "99999", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        TNumField edit;
        edit.SetDecimals(c.Decimals);
        edit.SetRange(-1000, 1000);
        edit.clear();
        QTest::keyClicks(&edit, c.Typed);
        EXPECT_EQ(edit.text(), c.Shown);
        EXPECT_EQ(edit.IsValid(), c.Valid);
    }
    TNumField edit;
    edit.SetDecimals(2);
    edit.SetValue(3.14159);
    EXPECT_EQ(edit.text(), "3.14");
    EXPECT_DOUBLE_EQ(edit.Value(), 3.14);
    edit.SetDecimals(0);
    edit.SetValue(2.5);
    EXPECT_EQ(edit.AsInteger(), 2);  // half to even, as the old rounding
}

TEST(DialogWidgets, ColorBoxAnnouncesChangesAndAsksOnClick) {
    TSeamScope seam;
    TColorRect box;
    box.resize(40, 20);
    QSignalSpy changed(&box, &TColorRect::OnChangeColor);
    box.SetColor(clRed);
    box.SetColor(clRed);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<TColor>(), clRed);

    QTest::mouseClick(&box, Qt::LeftButton);  // cancelled: nothing changes
    EXPECT_EQ(box.Color(), clRed);
    seam.UI->ColorAnswers.push_back(clBlue);
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(box.Color(), clBlue);
    EXPECT_EQ(changed.size(), 2);

    QImage shot(box.size(), QImage::Format_ARGB32);
    box.render(&shot);
    EXPECT_EQ(shot.pixelColor(20, 10), ColorToQColor(clBlue));
}

TEST(DialogWidgets, RadioGroupSelectsOneOrNone) {
    TRadioGroup group(" Выравнивание ", {"a", "b", "c"});
    EXPECT_EQ(group.ItemIndex(), -1);
    QSignalSpy changed(&group, &TRadioGroup::ItemIndexChanged);
    group.SetItemIndex(2);
    EXPECT_EQ(group.ItemIndex(), 2);
    group.Button(1)->click();
    EXPECT_EQ(group.ItemIndex(), 1);
    group.SetItemIndex(7);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(changed.size(), 2);
    group.SetItems({"x"});
    EXPECT_EQ(group.Items(), QStringList{"x"});
    EXPECT_EQ(group.Button(1), nullptr);
}

TEST(DialogWidgets, CheckListKeepsChecksPerItem) {
    TCheckListBox list({"one", "two", "three"});
    list.SetChecked(1, true);
    list.SetChecked(5, true);  // out of range: nothing
    EXPECT_FALSE(list.Checked(0));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_FALSE(list.Checked(5));
    EXPECT_EQ(list.Count(), 3);
}

TEST(DialogWidgets, StateTreeReportsPressesOnStateImagesOnly) {
    TStateTreeView tree;
    tree.resize(300, 200);
    tree.show();
    TTreeNode* group = tree.AddChild(nullptr, "Группа");
    TTreeNode* b = tree.AddChild(group, "b");
    TTreeNode* a = tree.AddChild(group, "a");
    b->SetStateIndex(1);
    a->SetStateIndex(2);
    EXPECT_EQ(a->checkState(0), Qt::Checked);
    tree.expandAll();
    tree.CustomSort([](const TTreeNode& x, const TTreeNode& y) { return x.text(0) < y.text(0); });
    EXPECT_EQ(tree.Nodes(), (QList<TTreeNode*>{group, a, b}));

    QSignalSpy pressed(&tree, &TStateTreeView::StateImagePressed);
    const QRect row = tree.visualItemRect(b);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.right() - 5, row.center().y()));
    EXPECT_EQ(pressed.size(), 0);  // on the text
    EXPECT_EQ(tree.Selected(), b);
    QPoint check;
    for (int x = row.left(); x < row.right() && check.isNull(); ++x)
        if (tree.StateImageAt(QPoint(x, row.center().y()))) check = QPoint(x + 2, row.center().y());
    ASSERT_FALSE(check.isNull());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, check);
    ASSERT_EQ(pressed.size(), 1);
    EXPECT_EQ(pressed[0][0].value<TTreeNode*>(), b);
    EXPECT_EQ(b->StateIndex(), 1);  // the tree never toggles by itself
    const QRect groupRow = tree.visualItemRect(group);
    EXPECT_EQ(tree.StateImageAt(QPoint(check.x(), groupRow.center().y())), nullptr);
}

TEST(DialogWidgets, ShapeReportsPressesWithTheButton) {
    TShape shape;
    shape.resize(30, 20);
    QSignalSpy down(&shape, &TShape::MouseDown);
    QTest::mousePress(&shape, Qt::RightButton);
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0][0].value<Qt::MouseButton>(), Qt::RightButton);
}

TEST(DialogWidgets, DialogComponentsKeepTheConfirmedChoice) {
    TSeamScope seam;
    TColorDialog cd;
    cd.Color = clGreen;
    EXPECT_FALSE(cd.Execute());
    EXPECT_EQ(cd.Color, clGreen);
    seam.UI->ColorAnswers.push_back(clMaroon);
    EXPECT_TRUE(cd.Execute());
    EXPECT_EQ(cd.Color, clMaroon);
    TOpenPictureDialog od;
    seam.UI->OpenFileAnswers.push_back("/tmp/a.png");
    EXPECT_TRUE(od.Execute());
    EXPECT_EQ(od.FileName(), "/tmp/a.png");
    ASSERT_EQ(seam.UI->FileDialogs.size(), 1u);
    EXPECT_TRUE(seam.UI->FileDialogs[0].Picture);
    EXPECT_TRUE(seam.UI->FileDialogs[0].MustExist);
}
}  // namespace
