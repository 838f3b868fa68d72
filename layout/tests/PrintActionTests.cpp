// Editing actions: every kind undoes to the text form before it and redoes to
// the one after it; the edge cases of deleting, moving, ordering and pasting.
#include "LayoutTestSupport.h"
#include "PrintLabels.h"
#include "PrintPictures.h"

#include "ClipboardFormats.h"
#include "QtPrinters.h"
#include "UIServices.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TEditFixture {
    TEditFixture() : UI(std::make_shared<TScriptedUIServices>()), OldUI(SetUIServices(UI)) {
        Doc.SetIsDesigner(true);
        A = AddFill(&Doc, 10, 10, 30, 20, 0x0000FF);
        B = AddFill(&Doc, 50, 40, 20, 30, 0x00FF00);
        C = AddFill(&Doc, 20, 80, 40, 30, 0xFF0000);
        D = AddFill(C, 2, 2, 5, 5, 0x808000);
        Doc.Changed(dcContents);
    }
    ~TEditFixture() { SetUIServices(OldUI); }
    QString Text() { return Doc.GetAsText(); }
    void SelectOnly(QList<TPrintItem*> items) {
        Doc.DeselectAll();
        for (TPrintItem* i : items) i->Select(true);
    }
    QList<QUuid> Ids(TPrintItem* parent) {
        QList<QUuid> ids;
        for (TPrintItem* i : parent->Items()) ids << i->ID();
        return ids;
    }
    // Undo and redo, three times over, give the texts before and after.
    void ExpectUndoRedo(const QString& before, const QString& after) {
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            Doc.Undo();
            EXPECT_EQ(Text(), before);
            Doc.Redo();
            EXPECT_EQ(Text(), after);
        }
    }
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    TPrintDocument Doc;
    TFillItem *A, *B, *C, *D;
};
}  // namespace

TEST(PrintAction, EveryKindUndoesAndRedoesToTheTextForms) {
    struct TCase {
        const char* What;
        std::function<void(TEditFixture&)> Select;
        std::function<void(TEditFixture&)> Act;
        QString Caption;
    };
    const auto selectAB = [](TEditFixture& f) { f.SelectOnly({f.B, f.A}); };
    const TCase cases[] = {
        {"delete one item", {}, [](TEditFixture& f) { f.Doc.DeleteItem(f.B); }, "Удалить объекты"},
        {"delete the selection", selectAB, [](TEditFixture& f) { f.Doc.DeleteSelection(); }, "Удалить объекты"},
        {"place", {}, [](TEditFixture& f) {
             auto* item = AddFill(f.C, 5, 5, 3, 3);
             f.Doc.PlaceItem(item);
         }, "Добавить объект"},
        {"set an item up", {}, [](TEditFixture& f) {
             f.A->SetupColor = 0x123456;
             f.Doc.SetupItem(f.A);
         }, "Настроить объект"},
        {"set the document up", {}, [](TEditFixture& f) {
             const QString old = f.Doc.GetAsText();
             f.Doc.SetFormName("Новое имя");
             f.Doc.SetStartPage(3);
             (new TPrintSetupAction(&f.Doc, &f.Doc, old))->Finish();
         }, "Настроить объект"},
        {"align left", selectAB, [](TEditFixture& f) { f.Doc.AlignSelection(asLeft); }, "Выровнять объекты"},
        {"align vertical centre", selectAB, [](TEditFixture& f) { f.Doc.AlignSelection(asVertCenter); }, "Выровнять объекты"},
        {"align to the page centre", selectAB, [](TEditFixture& f) { f.Doc.AlignSelection(asHorScrCenter); }, "Выровнять объекты"},
        {"align bottom", selectAB, [](TEditFixture& f) { f.Doc.AlignSelection(asBottom); }, "Выровнять объекты"},
        {"to front", [](TEditFixture& f) { f.SelectOnly({f.A}); }, [](TEditFixture& f) { f.Doc.BringSelectionToFront(); }, "Изменить порядок объектов"},
        {"to back", [](TEditFixture& f) { f.SelectOnly({f.C, f.B}); }, [](TEditFixture& f) { f.Doc.SendSelectionToBack(); }, "Изменить порядок объектов"},
        {"paste", [](TEditFixture& f) {
             f.SelectOnly({f.C});
             f.Doc.CopySelectionToClipboard();
             f.Doc.DeselectAll();
         }, [](TEditFixture& f) { f.Doc.PasteFromClipboard(); }, "Вставить объекты"},
        {"move by keys", selectAB, [](TEditFixture& f) {
             (new TPrintMoveAction(3, -2, nullptr, &f.Doc))->Finish();
         }, "Переместить объекты"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TEditFixture f;
        if (c.Select) c.Select(f);
        const QString before = f.Text();
        c.Act(f);
        const QString after = f.Text();
        EXPECT_NE(before, after);
        ASSERT_EQ(f.Doc.DoneCount(), 1);
        EXPECT_EQ(f.Doc.LastDone()->GetName(), c.Caption);
        f.ExpectUndoRedo(before, after);
    }
}

TEST(PrintAction, SetupUndoOfTheDocumentBringsBackOmittedDefaults) {
    TEditFixture f;
    const QString old = f.Doc.GetAsText();
    f.Doc.SetStartPage(2);
    f.Doc.SetGridStep(5);
    (new TPrintSetupAction(&f.Doc, &f.Doc, old))->Finish();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.StartPage(), 0);
    EXPECT_EQ(f.Doc.GridStep(), 10);
    EXPECT_EQ(f.Doc.ItemCount(), 3);
}

TEST(PrintAction, DeletingTheMiddleOfFiveAndUndoingRestoresItsPlace) {
    for (const bool wholeSelection : {false, true}) {
        SCOPED_TRACE(wholeSelection);
        TEditFixture f;
        TFillItem* box = AddFill(&f.Doc, 100, 100, 50, 50);
        QList<TFillItem*> five;
        for (int i = 0; i < 5; ++i) five << AddFill(box, i * 5, 0, 4, 4);
        const QList<QUuid> order = f.Ids(box);
        if (wholeSelection) {
            f.SelectOnly({five[2]});
            f.Doc.DeleteSelection();
        } else {
            f.Doc.DeleteItem(five[2]);
        }
        EXPECT_EQ(box->ItemCount(), 4);
        f.Doc.Undo();
        EXPECT_EQ(f.Ids(box), order);
    }
}

TEST(PrintAction, NonContiguousSelectionDeletedInReverseClickOrderComesBackInOrder) {
    TEditFixture f;
    TFillItem* box = AddFill(&f.Doc, 100, 100, 50, 50);
    QList<TFillItem*> five;
    for (int i = 0; i < 5; ++i) five << AddFill(box, i * 5, 0, 4, 4);
    const QList<QUuid> order = f.Ids(box);
    f.SelectOnly({five[3], five[1]});
    f.Doc.DeleteSelection();
    EXPECT_EQ(box->ItemCount(), 3);
    f.Doc.Undo();
    EXPECT_EQ(f.Ids(box), order);
}

TEST(PrintAction, AParentDeletedWithItsChildComesBackOnce) {
    TEditFixture f;
    const QUuid child = f.D->ID();
    f.SelectOnly({f.D, f.C});
    const QString before = f.Text();
    f.Doc.DeleteSelection();
    EXPECT_EQ(f.Doc.FindItem(child), nullptr);
    EXPECT_TRUE(f.Doc.Selection().isEmpty());
    f.Doc.Undo();
    int copies = 0;
    f.Doc.Enum([&](TPrintItem* i) { copies += i->ID() == child; });
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(f.Text(), before);
}

TEST(PrintAction, MovingAParentAndItsChildMovesTheChildOnce) {
    TEditFixture f;
    f.SelectOnly({f.D, f.C});
    const QPoint child = f.D->GetAbsPos();
    (new TPrintMoveAction(5, 7, nullptr, &f.Doc))->Finish();
    EXPECT_EQ(f.D->GetAbsPos(), child + QPoint(5, 7));
    EXPECT_EQ(f.D->Left(), 2);
    f.Doc.Undo();
    EXPECT_EQ(f.D->GetAbsPos(), child);
}

TEST(PrintAction, PasteTwiceGivesNewIdentitiesAndUndoRemovesOnlyTheSecond) {
    TEditFixture f;
    f.SelectOnly({f.C});
    f.Doc.CopySelectionToClipboard();
    f.Doc.DeselectAll();
    f.Doc.PasteFromClipboard();
    f.Doc.PasteFromClipboard();
    ASSERT_EQ(f.Doc.ItemCount(), 5);
    QSet<QUuid> ids;
    f.Doc.Enum([&](TPrintItem* i) { ids.insert(i->ID()); });
    EXPECT_EQ(ids.size(), 1 + 4 + 2 * 2) << "document, A to D and two copies of C with D, all different";
    const QUuid first = f.Doc.Items()[3]->ID();
    f.Doc.Undo();
    ASSERT_EQ(f.Doc.ItemCount(), 4);
    EXPECT_EQ(f.Doc.Items()[3]->ID(), first);
}

TEST(PrintAction, PasteMoveUndoUndoRedoRedoKeepsTheMove) {
    TEditFixture f;
    f.SelectOnly({f.B});
    f.Doc.CopySelectionToClipboard();
    f.Doc.DeselectAll();
    f.Doc.PasteFromClipboard();
    TPrintItem* pasted = f.Doc.Items().last();
    f.SelectOnly({pasted});
    (new TPrintMoveAction(10, 0, nullptr, &f.Doc))->Finish();
    const QString moved = LayoutText(f.Doc);
    f.Doc.Undo();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.ItemCount(), 3);
    f.Doc.Redo();
    f.Doc.Redo();
    EXPECT_EQ(LayoutText(f.Doc), moved);
    EXPECT_EQ(f.Doc.Items().last()->GetAbsLeft(), f.B->GetAbsLeft() + 10);
}

TEST(PrintAction, ClipboardThatIsNoItemTextPastesNothing) {
    const QStringList texts = {
        "object TPrintDocument\r\n  FormName = 'x'\r\nend\r\nяя",
        "object TNoSuchItem\r\nend\r\nяя",
        "garbage\r\nяя",
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        TEditFixture f;
        const QString before = f.Text();
        f.UI->Clipboard().SetAsText(text);
        f.Doc.PasteFromClipboard();
        EXPECT_EQ(f.Text(), before);
        EXPECT_EQ(f.Doc.DoneCount(), 1) << "the empty paste stays on the done list";
    }
    // Plain words are no item text: they become a label.
    TEditFixture f;
    f.UI->Clipboard().SetAsText("plain words");
    f.Doc.PasteFromClipboard();
    auto* label = qobject_cast<TPrintLabel*>(f.Doc.Items().last());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), "plain words");
}

TEST(PrintAction, BringingTheLastItemToFrontKeepsTheOrder) {
    TEditFixture f;
    const QList<QUuid> order = f.Ids(&f.Doc);
    f.SelectOnly({f.C});
    f.Doc.BringSelectionToFront();
    EXPECT_EQ(f.Ids(&f.Doc), order);
    f.SelectOnly({f.A, f.B});
    f.Doc.BringSelectionToFront();
    EXPECT_EQ(f.Ids(&f.Doc), (QList<QUuid>{f.C->ID(), f.A->ID(), f.B->ID()}));
    f.Doc.Undo();
    EXPECT_EQ(f.Ids(&f.Doc), order) << "every index restored";
}

TEST(PrintAction, FinishingAfterTwoUndosClearsRedo) {
    TEditFixture f;
    f.SelectOnly({f.A});
    (new TPrintMoveAction(1, 0, nullptr, &f.Doc))->Finish();
    (new TPrintMoveAction(1, 0, nullptr, &f.Doc))->Finish();
    f.Doc.Undo();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.UndoneCount(), 2);
    (new TPrintMoveAction(0, 1, nullptr, &f.Doc))->Finish();
    EXPECT_EQ(f.Doc.UndoneCount(), 0);
    const QString now = f.Text();
    f.Doc.Redo();
    EXPECT_EQ(f.Text(), now);
}

TEST(PrintAction, ChangedCountsUndoPastTheSavePoint) {
    QTemporaryDir dir;
    TEditFixture f;
    f.SelectOnly({f.A});
    (new TPrintMoveAction(1, 0, nullptr, &f.Doc))->Finish();
    EXPECT_TRUE(f.Doc.GetChanged());
    f.Doc.Save(dir.filePath("a.lay"));
    EXPECT_FALSE(f.Doc.GetChanged());
    f.Doc.Undo();
    EXPECT_TRUE(f.Doc.GetChanged()) << "undone past the save point";
    f.Doc.Redo();
    EXPECT_FALSE(f.Doc.GetChanged()) << "back at the save point";
}

TEST(PrintAction, ScreenCentreWithoutAViewUsesTheDocumentPage) {
    TEditFixture f;
    f.Doc.SetIsFixedPageSize(true);
    f.Doc.SetStrPageSize("A5, 148mm x 210mm");
    f.SelectOnly({f.B});
    f.Doc.AlignSelection(asHorScrCenter);
    EXPECT_EQ(f.B->GetAbsLeft(), 74 - 10);
    f.Doc.AlignSelection(asVertScrCenter);
    EXPECT_EQ(f.B->GetAbsTop(), 105 - 15);
}

TEST(PrintAction, UndoSkipsItemsThatAreGone) {
    TEditFixture f;
    f.SelectOnly({f.A, f.B});
    (new TPrintMoveAction(4, 4, nullptr, &f.Doc))->Finish();
    const QPoint b = f.B->GetAbsPos();
    delete f.A;
    f.Doc.Undo();
    EXPECT_EQ(f.B->GetAbsPos(), b - QPoint(4, 4));
    f.Doc.Redo();
    EXPECT_EQ(f.B->GetAbsPos(), b);
}

TEST(PrintAction, APictureOnTheClipboardBecomesTheItemOfTheClassThatTakesIt) {
    TEditFixture f;
    QImage picture(189, 76, QImage::Format_RGB32);  // 50 x 20 mm at 96 dots per inch
    picture.fill(Qt::blue);
    f.UI->Clipboard().SetImage(picture);
    EXPECT_EQ(ClipboardFormatNumbers(f.UI->Clipboard()), (QList<int>{CF_BITMAP, CF_DIB}));
    f.Doc.PasteFromClipboard();
    ASSERT_EQ(f.Doc.ItemCount(), 4);
    auto* item = qobject_cast<TPrintImage*>(f.Doc.Items().last());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetBounds().size(), QSize(50, 21)) << "the physical size, rounded up to whole millimetres";
    f.UI->Clipboard().SetAsText("x");
    EXPECT_EQ(ClipboardFormatNumbers(f.UI->Clipboard()), QList<int>{CF_TEXT});
}
