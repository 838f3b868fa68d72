// The comment, comment list, automatic-comment, layer and correlation line
// dialogs, each filled and confirmed by a script through the UI services and
// undone through the setup action; and the layer as a printer draws it.
#include "WellLogTestSupport.h"

#include "DLLMan.h"
#include "EditControls.h"
#include "ItemSetup.h"
#include "Logsheaf10.h"
#include "ModalDialogs.h"
#include "PrintComments.h"
#include "PrintDevices.h"
#include "PrintLabels.h"
#include "PrintView.h"
#include "RegIniFile.h"
#include "Swatchbox.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "dlg_SetupAutoComment.h"
#include "dlg_SetupComment.h"
#include "dlg_SetupComments.h"
#include "dlg_SetupCorLine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEngine>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {

// Presses OK as a user would; the result tells whether the dialog closed.
int PressOk(QDialog& dialog) {
    dialog.setResult(QDialog::Rejected);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    return DialogResult(dialog);
}

// What the user looks at, kept when the run asks for it.
void SaveDialog(QWidget& dialog, const QString& name) {
    const QString dir = ArtifactsDir();
    if (dir.isEmpty()) return;
    dialog.adjustSize();
    dialog.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

template <class TDialog, class F>
void Script(TScriptedUIServices& ui, F script) {
    ui.ScriptDialogOnce(QString::fromLatin1(TDialog::staticMetaObject.className()), [script](QObject* d) {
        auto* dialog = qobject_cast<TDialog*>(d);
        if (!dialog) {
            ADD_FAILURE() << "not the dialog expected";
            return int(mrCancel);
        }
        return script(*dialog);
    });
}

// Scripted UI services, fresh dialogs and annotation defaults for each test.
struct TDialogTest : ::testing::Test {
    void SetUp() override {
        Old = SetUIServices(UI);
        ResetLayoutDialogs();
        ResetAnnotationDefaults();
    }
    void TearDown() override {
        ResetLayoutDialogs();
        ResetAnnotationDefaults();
        SetUIServices(Old);
    }
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> Old;
};

// A depth document with one track and its comments root.
struct TCommentDoc {
    explicit TCommentDoc(int dataClass = 1) {
        SetUpDepthDocument(Doc, 1000, 1100, 0.5, 10);
        Doc.SetDataClass(dataClass);
        Doc.SetClock([] { return Today + 0.9; });
        Field = AddTrack(&Doc, 10, 10, 80);
        Root = new TPrintCommentsRoot(Field);
    }
    TPrintComment* Find(const QUuid& id) { return qobject_cast<TPrintComment*>(Doc.FindItem(id)); }
    TPrintCommentsRoot* FindRoot() {
        for (TPrintItem* item : Field->Items())
            if (auto* root = qobject_cast<TPrintCommentsRoot*>(item)) return root;
        return nullptr;
    }
    QStringList Texts() {
        QStringList texts;
        if (TPrintCommentsRoot* root = FindRoot())
            for (const TPrintComment* c : root->Comments()) texts << c->Comment();
        return texts;
    }
    static constexpr TDateTime Today = 45000;  // 15.03.2023
    TSketchDocument Doc;
    TPrintField* Field;
    TPrintCommentsRoot* Root;
};

QFont ChosenFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(20);
    font.setBold(true);
    return font;
}

using CommentSetupDialogs = TDialogTest;

TEST_F(CommentSetupDialogs, CommentDialogChecksConfirmsAndUndoes) {
    TCommentDoc f;
    TPrintComment* comment = AddComment(f.Root, 5, 1040, "Приток");
    const QUuid id = comment->ID();
    const QString before = comment->GetAsText();
    UI->FontAnswers.push_back({ChosenFont(), clRed});
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка комментария");
        EXPECT_EQ(d.meText->toPlainText(), "Приток");
        EXPECT_EQ(d.edPosition->text(), "1040");
        EXPECT_EQ(d.edOffset->text(), "5");
        EXPECT_FALSE(d.cbNoClip->isChecked());
        EXPECT_EQ(d.cbAngle->currentIndex(), 0);
        EXPECT_EQ(d.rgAlign->ItemIndex(), 0);
        d.meText->setPlainText("Приток воды");
        d.edOffset->setText("пять");
        EXPECT_EQ(PressOk(d), mrCancel) << "a wrong offset keeps the dialog open";
        EXPECT_EQ(UI->Messages.value(0), "'пять' is not a valid floating point value");
        d.edOffset->setText("7.5");
        d.edPosition->setText("1055,5");
        EXPECT_EQ(PressOk(d), mrCancel) << "a wrong position keeps the dialog open";
        EXPECT_EQ(UI->Messages.size(), 2);
        d.edPosition->setText("1055.5");
        d.cbAngle->setCurrentIndex(2);
        d.rgAlign->SetItemIndex(2);
        d.cbNoClip->setChecked(true);
        d.btFont->click();
        SaveDialog(d, QStringLiteral("comment-dialog"));
        return PressOk(d);
    });
    f.Doc.SetupItem(comment);
    comment = f.Find(id);
    EXPECT_EQ(comment->Comment(), "Приток воды");
    EXPECT_EQ(comment->XOffset(), 7.5);
    EXPECT_EQ(comment->YOffset(), 1055.5);
    EXPECT_EQ(comment->TextAngle(), 180);
    EXPECT_EQ(comment->TextAlign(), TPrintComment::taCenter);
    EXPECT_FALSE(comment->Clip());
    EXPECT_EQ(comment->Font()->Name(), "Courier New");
    EXPECT_EQ(comment->Font()->Height(), -20);
    EXPECT_EQ(comment->Font()->Color(), clRed);
    // The choice is the one for comments placed next.
    ASSERT_NE(LastCommentFont(), nullptr);
    EXPECT_EQ(LastCommentFont()->Name(), "Courier New");
    EXPECT_TRUE(LastCommentNoClip());
    const QString after = comment->GetAsText();
    ASSERT_EQ(f.Doc.DoneCount(), 1);
    f.Doc.Undo();
    EXPECT_EQ(f.Find(id)->GetAsText(), before);
    f.Doc.Redo();
    EXPECT_EQ(f.Find(id)->GetAsText(), after);

    // Cancel after editing changes nothing and records nothing.
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
        d.meText->setPlainText("другое");
        d.edOffset->setText("1");
        d.reject();
        return DialogResult(d);
    });
    f.Doc.SetupItem(f.Find(id));
    EXPECT_EQ(f.Find(id)->GetAsText(), after);
    EXPECT_EQ(f.Doc.DoneCount(), 1);
    // Confirmed without a change: the exact position stays and nothing is recorded.
    f.Find(id)->SetYOffset(1055.123456789);
    const QString exact = f.Find(id)->GetAsText();
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) { return PressOk(d); });
    f.Doc.SetupItem(f.Find(id));
    EXPECT_EQ(f.Find(id)->GetAsText(), exact);
    EXPECT_EQ(f.Doc.DoneCount(), 1);
}

TEST_F(CommentSetupDialogs, CommentPositionByDocumentKind) {
    struct TCase {
        int DataClass;
        const char* Typed;
        double Expected;  // NaN: refused
    };
    const double today = TCommentDoc::Today;
    const TCase cases[] = {
        {1, "1500.25", 1500.25},
        {1, "12:30", Empty},
        {0, "12:30", today + 0.5 + 1.0 / 48},
        {0, "16.03.2023 06:00", today + 1.25},
        {0, "1500", Empty},
        {0, "25:99", Empty},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Typed) + (c.DataClass == 0 ? " in time" : " in depth"));
        UI->Messages.clear();
        TCommentDoc f(c.DataClass);
        TPrintComment* comment = AddComment(f.Root, 5, c.DataClass == 0 ? today + 0.25 : 1040, "Текст");
        const QUuid id = comment->ID();
        bool refused = false;
        Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
            if (c.DataClass == 0) {
                EXPECT_EQ(d.edPosition->text(), "15.03.2023 06:00:00");
            }
            d.edPosition->setText(c.Typed);
            if (PressOk(d) == mrOk) return int(mrOk);
            refused = true;
            d.reject();
            return DialogResult(d);
        });
        f.Doc.SetupItem(comment);
        if (std::isnan(c.Expected)) {
            EXPECT_TRUE(refused);
            EXPECT_EQ(UI->Messages.size(), 1);
            EXPECT_EQ(f.Doc.DoneCount(), 0);
        } else {
            EXPECT_FALSE(refused) << UI->Messages.join('\n').toStdString();
            EXPECT_NEAR(f.Find(id)->YOffset(), c.Expected, 1e-9);
        }
    }
}

TEST_F(CommentSetupDialogs, CommentListEditsCopiesUntilConfirmed) {
    TCommentDoc f;
    AddComment(f.Root, 5, 1060, "Третий");
    AddComment(f.Root, 5, 1020.256, "Первый");
    AddComment(f.Root, 5, 1040, "Второй");
    const QString before = f.Root->GetAsText();
    // Cancel after deleting, adding and moving rows: the root is as it was.
    Script<TdlgSetupComments>(*UI, [&](TdlgSetupComments& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка комментариев");
        EXPECT_EQ(d.sgComments->rowCount(), 3);
        const QStringList rows{d.sgComments->item(0, 0)->text() + " " + d.sgComments->item(0, 1)->text(),
                               d.sgComments->item(1, 0)->text() + " " + d.sgComments->item(1, 1)->text(),
                               d.sgComments->item(2, 0)->text() + " " + d.sgComments->item(2, 1)->text()};
        EXPECT_EQ(rows, (QStringList{"1020.26 Первый", "1040 Второй", "1060 Третий"})) << "sorted by position";
        d.sgComments->selectRow(0);
        d.btDelete->click();
        UI->InputAnswers.push_back("12");
        d.sgComments->selectAll();
        d.btOffset->click();
        EXPECT_EQ(d.List().size(), 2u);
        EXPECT_EQ(d.List()[0]->XOffset(), 12.0);
        d.reject();
        return DialogResult(d);
    });
    f.Doc.SetupItem(f.Root);
    EXPECT_EQ(f.Root->GetAsText(), before);
    EXPECT_EQ(f.Doc.DoneCount(), 0);
    EXPECT_EQ(UI->Prompts.value(0), "Ввод отступа комментариев: Отступ (мм):");

    // Confirmed: font and offset on the selected rows, one deleted, one added
    // from the current row through the comment dialog, one edited.
    UI->FontAnswers.push_back({ChosenFont(), clBlue});
    UI->InputAnswers.push_back("3,5");  // refused, nothing changes
    UI->InputAnswers.push_back("9");
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
        EXPECT_EQ(d.meText->toPlainText(), "Второй") << "pre-filled from the current row";
        d.meText->setPlainText("Новый");
        d.edPosition->setText("1050");
        return PressOk(d);
    });
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
        EXPECT_EQ(d.meText->toPlainText(), "Первый");
        d.meText->setPlainText("Первый, исправлен");
        return PressOk(d);
    });
    Script<TdlgSetupComments>(*UI, [&](TdlgSetupComments& d) {
        // Rows 1 and 2 (1040, 1060) selected as a range.
        d.sgComments->setCurrentCell(1, 0);
        d.sgComments->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
        EXPECT_FALSE(d.btProps->isEnabled()) << "properties need a single row";
        d.btFont->click();
        d.btOffset->click();
        EXPECT_EQ(UI->Messages.value(0), "'3,5' is not a valid floating point value");
        d.btOffset->click();
        d.sgComments->clearSelection();
        d.sgComments->setCurrentCell(2, 0);
        d.sgComments->selectRow(2);
        d.btDelete->click();
        d.sgComments->setCurrentCell(1, 0);
        d.sgComments->selectRow(1);
        d.btAdd->click();
        d.sgComments->clearSelection();
        d.sgComments->setCurrentCell(0, 0);
        d.sgComments->selectRow(0);
        EXPECT_TRUE(d.btProps->isEnabled());
        d.btProps->click();
        return PressOk(d);
    });
    f.Doc.SetupItem(f.Root);
    TPrintCommentsRoot* root = f.FindRoot();
    ASSERT_EQ(root->Comments().size(), 3);
    EXPECT_EQ(f.Texts(), (QStringList{"Первый, исправлен", "Второй", "Новый"}));
    const TPrintComment* second = root->Comments()[1];
    EXPECT_EQ(second->XOffset(), 9.0);
    EXPECT_EQ(second->Font()->Name(), "Courier New");
    EXPECT_EQ(root->Comments()[0]->XOffset(), 5.0);
    EXPECT_EQ(root->Comments()[0]->Font()->Name(), "Arial");
    EXPECT_EQ(root->Comments()[0]->YOffset(), 1020.256) << "an untouched position keeps every digit";
    EXPECT_EQ(root->Comments()[2]->YOffset(), 1050.0);
    EXPECT_EQ(root->Comments()[2]->Font()->Name(), "Courier New") << "the added one copies the current row";
    f.Doc.Undo();
    EXPECT_EQ(f.FindRoot()->GetAsText(), before);
    f.Doc.Redo();
    EXPECT_EQ(f.Texts(), (QStringList{"Первый, исправлен", "Второй", "Новый"}));
}

TEST_F(CommentSetupDialogs, CommentListCopiesAndPastesThroughTheClipboard) {
    TCommentDoc f;
    AddComment(f.Root, 5, 1020, "Первый");
    AddComment(f.Root, 5, 1040.5, "Второй");
    // Three lines, one without a tab: two comments styled by the template.
    UI->Clipboard().SetAsText("1070\tПласт A\r\n1080 без табуляции\r\n1090.5\tПласт B");
    UI->FontAnswers.push_back({ChosenFont(), clGreen});
    Script<TdlgSetupComment>(*UI, [&](TdlgSetupComment& d) {
        EXPECT_TRUE(d.TemplateMode());
        EXPECT_EQ(d.meText->toPlainText(), "Пример");
        EXPECT_TRUE(d.meText->isReadOnly());
        EXPECT_TRUE(d.edPosition->isHidden());
        EXPECT_EQ(d.edOffset->text(), "2") << "an empty offset starts at 2";
        d.btFont->click();
        d.cbAngle->setCurrentIndex(1);
        d.rgAlign->SetItemIndex(1);
        d.cbNoClip->setChecked(true);
        return PressOk(d);
    });
    Script<TdlgSetupComments>(*UI, [&](TdlgSetupComments& d) {
        d.btPaste->click();
        EXPECT_EQ(d.List().size(), 4u);
        SaveDialog(d, QStringLiteral("comment-list-dialog"));
        // The first two rows go to the clipboard.
        d.sgComments->setCurrentCell(0, 0);
        d.sgComments->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
        d.btCopy->click();
        return PressOk(d);
    });
    f.Doc.SetupItem(f.Root);
    EXPECT_EQ(UI->Clipboard().AsText(), "1020\tПервый\r\n1040.5\tВторой");
    const QList<TPrintComment*> comments = f.FindRoot()->Comments();
    ASSERT_EQ(comments.size(), 4);
    EXPECT_EQ(f.Texts(), (QStringList{"Первый", "Второй", "Пласт A", "Пласт B"}));
    for (const TPrintComment* pasted : {comments[2], comments[3]}) {
        EXPECT_EQ(pasted->XOffset(), 2.0);
        EXPECT_EQ(pasted->TextAngle(), 90);
        EXPECT_EQ(pasted->TextAlign(), TPrintComment::taRightJustify);
        EXPECT_FALSE(pasted->Clip());
        EXPECT_EQ(pasted->Font()->Name(), "Courier New");
        EXPECT_EQ(pasted->Font()->Color(), clGreen);
    }
    EXPECT_EQ(comments[3]->YOffset(), 1090.5);
    EXPECT_EQ(comments[0]->Font()->Name(), "Arial") << "the others keep theirs";

    // The template dialog cancelled: nothing is pasted.
    Script<TdlgSetupComment>(*UI, [](TdlgSetupComment& d) {
        d.reject();
        return DialogResult(d);
    });
    Script<TdlgSetupComments>(*UI, [&](TdlgSetupComments& d) {
        d.btPaste->click();
        EXPECT_EQ(d.List().size(), 4u);
        return PressOk(d);
    });
    f.Doc.SetupItem(f.FindRoot());
    EXPECT_EQ(f.FindRoot()->Comments().size(), 4);
    EXPECT_EQ(f.Doc.DoneCount(), 1);
}

TEST_F(CommentSetupDialogs, AnEmptyCommentListOffersOnlyAdding) {
    TCommentDoc f;
    Script<TdlgSetupComment>(*UI, [](TdlgSetupComment& d) {
        EXPECT_TRUE(d.meText->toPlainText().isEmpty());
        EXPECT_EQ(d.edPosition->text(), "1000") << "the top of the document's range";
        d.meText->setPlainText("Начало");
        return PressOk(d);
    });
    Script<TdlgSetupComments>(*UI, [](TdlgSetupComments& d) {
        EXPECT_EQ(d.sgComments->rowCount(), 1) << "one empty row";
        for (QPushButton* b : {d.btProps, d.btFont, d.btOffset, d.btDelete, d.btCopy}) EXPECT_FALSE(b->isEnabled());
        d.btCopy->click();
        d.btAdd->click();
        EXPECT_TRUE(d.btDelete->isEnabled());
        return PressOk(d);
    });
    UI->Clipboard().SetAsText("прежнее");
    f.Doc.SetupItem(f.Root);
    EXPECT_EQ(f.Texts(), QStringList{"Начало"});
    EXPECT_EQ(f.FindRoot()->Comments()[0]->YOffset(), 1000.0);
    EXPECT_EQ(UI->Clipboard().AsText(), "прежнее");
}

TEST_F(CommentSetupDialogs, CommentsRecreatedByTheListKeepTheirMovesUndoable) {
    TCommentDoc f;
    TPrintComment* comment = AddComment(f.Root, 5, 1040, "Приток");
    AddComment(f.Root, 5, 1080, "Уход");
    const QUuid id = comment->ID();
    TSketchView view;
    view.resize(600, 600);
    view.SetMainView(true);
    view.SetDocument(&f.Doc);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    f.Doc.Changed(dcContents);
    const QRect r = comment->GetAbsBounds(view.Device());
    const QPoint border(r.left() + 1, r.center().y());
    QTest::mousePress(&view, Qt::LeftButton, {}, border);
    QTest::mouseMove(&view, border + QPoint(0, 80));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, border + QPoint(0, 80));
    ASSERT_EQ(f.Doc.DoneCount(), 1);
    const double moved = f.Find(id)->YOffset();
    ASSERT_GT(moved, 1050);

    Script<TdlgSetupComment>(*UI, [](TdlgSetupComment& d) {
        d.meText->setPlainText("Уход бурового раствора");
        return PressOk(d);
    });
    Script<TdlgSetupComments>(*UI, [](TdlgSetupComments& d) {
        d.sgComments->setCurrentCell(1, 0);
        d.sgComments->selectRow(1);
        d.btProps->click();
        return PressOk(d);
    });
    f.Doc.SetupItem(f.Root);
    ASSERT_EQ(f.Doc.DoneCount(), 2);
    ASSERT_NE(f.Find(id), nullptr) << "the re-created comment keeps its GUID";
    EXPECT_EQ(f.Find(id)->YOffset(), moved);
    f.Doc.Undo();
    EXPECT_EQ(f.Texts(), (QStringList{"Приток", "Уход"}));
    f.Doc.Undo();
    EXPECT_EQ(f.Find(id)->YOffset(), 1040.0) << "the move is undone on the re-created comment";
    f.Doc.Redo();
    EXPECT_EQ(f.Find(id)->YOffset(), moved);
    f.Doc.Redo();
    EXPECT_EQ(f.Texts(), (QStringList{"Приток", "Уход бурового раствора"}));
    // The list edited again: the move of a re-created comment still undoes.
    f.Doc.Undo();
    f.Doc.Undo();
    EXPECT_EQ(f.Find(id)->YOffset(), 1040.0);
    view.SetDocument(nullptr);
}

TEST_F(CommentSetupDialogs, LayerAndCorrelationLineDialogs) {
    TCommentDoc f;
    auto* layer = new TPrintCollector(f.Field);
    layer->SetColor(TColor(0xFF0000));
    auto* line = new TPrintCorellationLine(&f.Doc);
    line->AddPoint(20, 1010);
    line->AddPoint(60, 1030);
    const QUuid layerID = layer->ID(), lineID = line->ID();
    const QString layerBefore = layer->GetAsText(), lineBefore = line->GetAsText();

    UI->ColorAnswers.push_back(clYellow);
    Script<TdlgSetupCollector>(*UI, [](TdlgSetupCollector& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка полосы");
        EXPECT_EQ(d.sbColor->Color(), clYellow) << "the colour shown on white";
        d.sbColor->SetColor(clRed);
        d.sbColor->Button()->click();
        return PressOk(d);
    });
    f.Doc.SetupItem(layer);
    EXPECT_EQ(int(qobject_cast<TPrintCollector*>(f.Doc.FindItem(layerID))->Color()), 0xFF0000);
    EXPECT_EQ(f.Doc.DoneCount(), 0) << "the same colour chosen changes nothing";
    Script<TdlgSetupCollector>(*UI, [](TdlgSetupCollector& d) {
        d.sbColor->SetColor(clAqua);
        return PressOk(d);
    });
    f.Doc.SetupItem(layer);
    EXPECT_EQ(int(qobject_cast<TPrintCollector*>(f.Doc.FindItem(layerID))->Color()), 0x0000FF);

    Script<TdlgSetupCorLine>(*UI, [](TdlgSetupCorLine& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка линии");
        EXPECT_EQ(d.sbColor->Color(), clNavy);
        EXPECT_EQ(d.cbWidth->count(), 5);
        EXPECT_EQ(d.cbWidth->currentIndex(), 1);
        d.sbColor->SetColor(clLime);
        d.cbWidth->setCurrentIndex(4);
        SaveDialog(d, QStringLiteral("correlation-line-dialog"));
        return PressOk(d);
    });
    f.Doc.SetupItem(line);
    auto* changed = qobject_cast<TPrintCorellationLine*>(f.Doc.FindItem(lineID));
    EXPECT_EQ(changed->Color(), clLime);
    EXPECT_EQ(changed->PenWidth(), 5);
    EXPECT_EQ(changed->Points().Count(), 2);
    ASSERT_EQ(f.Doc.DoneCount(), 2);
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(lineID)->GetAsText(), lineBefore);
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(layerID)->GetAsText(), layerBefore);

    // Cancel changes nothing.
    for (TPrintItem* item : {f.Doc.FindItem(layerID), f.Doc.FindItem(lineID)}) {
        const auto cancel = [](auto& d) {
            d.sbColor->SetColor(clFuchsia);
            d.reject();
            return DialogResult(d);
        };
        Script<TdlgSetupCollector>(*UI, cancel);
        Script<TdlgSetupCorLine>(*UI, [&](TdlgSetupCorLine& d) { return cancel(d); });
        const QString text = item->GetAsText();
        f.Doc.SetupItem(item);
        EXPECT_EQ(item->GetAsText(), text);
    }
    EXPECT_EQ(f.Doc.DoneCount(), 0);
}

// Draws into an image through an engine that is no raster image, as a
// printer or a PDF file offers, claiming raster operations and blend modes
// (as Qt's PDF engine does) or not; what it paints is only the source.
class TPrinterLikeCanvas : public QPaintDevice {
public:
    TPrinterLikeCanvas(QSize size, bool claims) : Image(size, QImage::Format_RGB32), FClaims(claims) {
        Image.fill(Qt::white);
    }
    ~TPrinterLikeCanvas() override = default;
    QPaintEngine* paintEngine() const override {
        if (!FEngine) FEngine = std::make_unique<TEngine>(const_cast<TPrinterLikeCanvas&>(*this));
        return FEngine.get();
    }
    QImage Image;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return Image.width();
        case PdmHeight: return Image.height();
        case PdmWidthMM: return int(Image.width() * 25.4 / 96);
        case PdmHeightMM: return int(Image.height() * 25.4 / 96);
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 1 << 24;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class TEngine : public QPaintEngine {
    public:
        explicit TEngine(TPrinterLikeCanvas& canvas)
            : QPaintEngine(Features(canvas.FClaims)), FCanvas(canvas) {}
        bool begin(QPaintDevice*) override { return FPainter.begin(&FCanvas.Image); }
        bool end() override { return FPainter.end(); }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return User; }
        void drawRects(const QRectF* rects, int count) override {
            Sync();
            FPainter.drawRects(rects, count);
        }
        void drawRects(const QRect* rects, int count) override {
            Sync();
            FPainter.drawRects(rects, count);
        }
        void drawLines(const QLineF* lines, int count) override {
            Sync();
            FPainter.drawLines(lines, count);
        }
        void drawPath(const QPainterPath& path) override {
            Sync();
            FPainter.drawPath(path);
        }
        void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
            Sync();
            if (mode == PolylineMode) FPainter.drawPolyline(points, count);
            else FPainter.drawPolygon(points, count);
        }
        void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
            Sync();
            FPainter.drawPixmap(r, pm, sr);
        }
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            Sync();
            FPainter.setFont(item.font());
            FPainter.drawText(p, item.text());
        }

    private:
        static PaintEngineFeatures Features(bool claims) {
            PaintEngineFeatures features(AllFeatures);
            if (!claims) features &= ~(RasterOpModes | BlendModes);
            return features;
        }
        void Sync() {
            const QPainter* p = painter();
            FPainter.setTransform(p->transform());
            FPainter.setPen(p->pen());
            FPainter.setBrush(p->brush());
            FPainter.setOpacity(p->opacity());
            FPainter.setClipping(false);
        }
        TPrinterLikeCanvas& FCanvas;
        QPainter FPainter;
    };
    mutable std::unique_ptr<TEngine> FEngine;
    bool FClaims;
};

TEST(LayerOnPaper, LayerOnAPrinterShowsItsColourOnWhite) {
    struct TCase {
        const char* What;
        bool Claims;
    };
    const TCase cases[] = {{"claiming-raster-ops", true}, {"claiming-nothing", false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        SetUpDepthDocument(doc, 0, 100, 0.5, 10);
        TPrintField* field = AddTrack(&doc, 10, 10, 60);
        // A black band under half of the layer shows how it lies over drawing.
        AddFill(field, 0, 0, 20, 200, 0x000000);
        auto* layer = new TPrintCollector(field);
        layer->SetStart(20);
        layer->SetStop(40);
        layer->SetShownColor(clYellow);
        doc.PrepareDocument();
        TPrinterLikeCanvas canvas(QSize(800, 1200), c.Claims);
        {
            TBitmapDevice device;
            const QSizeF page = doc.PageSizeMM();
            device.PageWidth = page.width();
            device.PageHeight = page.height();
            QPainter painter(&canvas);
            device.BeginRender(&painter);
            device.SetPageNo(1);
            doc.RenderCurrentPage(device);
            device.EndRender(&painter);
        }
        if (const QString dir = ArtifactsDir(); !dir.isEmpty())
            canvas.Image.save(dir + QStringLiteral("/layer-on-paper-%1.png").arg(c.What));
        const auto px = [](double mm) { return int(Round(mm * ScreenPixelsPerMM)); };
        const int y = px(field->PrjVertValueToMM(30));
        const QRect client = field->ClientRect();
        const QColor onWhite = canvas.Image.pixelColor(px(client.left() + 40), y);
        // Yellow at half strength over white paper.
        EXPECT_EQ(onWhite.red(), 255);
        EXPECT_EQ(onWhite.green(), 255);
        EXPECT_NEAR(onWhite.blue(), 127, 1);
        const QColor overBlack = canvas.Image.pixelColor(px(client.left() + 10), y);
        EXPECT_NEAR(overBlack.red(), 128, 1) << "the black shows, tinted";
        EXPECT_NEAR(overBlack.green(), 128, 1);
        EXPECT_EQ(overBlack.blue(), 0);
        // Outside the layer the paper stays white.
        EXPECT_EQ(canvas.Image.pixelColor(px(client.left() + 40), px(field->PrjVertValueToMM(50))), QColor(Qt::white));
    }
}

TEST_F(CommentSetupDialogs, AutoCommentDialogBindsATableOfAPlugin) {
    TTempXdgHome home;
    QTemporaryDir lasDir;
    {
        TLogsheaf t;
        t.SetFileName(lasDir.filePath("well7.las"));
        t.LASFieldDefs()->Add("DEPT", "M", "Depth");
        t.LASFieldDefs()->Add("GR", "API", "Gamma ray");
        t.SetWell("WELL 7");
        t.CreateTable();
        t.Open();
        t.Append();
        t.Fields(0)->SetAsFloat(10);
        t.Fields(1)->SetAsFloat(50);
        t.Post();
        t.Close();
    }
    TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", lasDir.path());
    PluginManager().Activate(atPath, BinDir() + "/Plugins");
    const QList<TSystemTable> tables = SystemTableList(PluginManager());
    const auto well = std::find_if(tables.begin(), tables.end(), [](const TSystemTable& t) { return t.Table.TableName == "well7.las"; });
    ASSERT_NE(well, tables.end()) << UI->Messages.join('\n').toStdString();
    ASSERT_FALSE(well->Table.Fields.isEmpty());

    TCommentDoc f;
    auto* series = new TPrintAutoCommentSeries(f.Field);
    series->SetText("Пласт ");
    series->SetOffset(4);
    auto* curve = AddLineCurve(f.Field, "GR", 0, 100, clRed);
    curve->SetGroup("Скв. 7");
    const QUuid id = series->ID();
    // Laid out first: the curve's range and state as the document leaves them.
    f.Doc.PrepareDocument();
    const QString before = series->GetAsText();
    Script<TdlgSetupAutoComment>(*UI, [&](TdlgSetupAutoComment& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка авто-комментария");
        EXPECT_TRUE(d.edPosition->isHidden());
        EXPECT_EQ(d.cbSource->itemText(0), "[Нет источника]");
        EXPECT_EQ(d.cbSource->currentIndex(), 0);
        EXPECT_EQ(d.cbSource->count(), tables.size() + 1);
        EXPECT_EQ(d.cbGroup->count(), 1) << "only the document's non-empty groups";
        EXPECT_EQ(d.cbGroup->itemText(0), "Скв. 7");
        EXPECT_EQ(d.edOffset->text(), "4");
        d.cbSource->setCurrentIndex(int(well - tables.begin()) + 1);
        EXPECT_EQ(d.lbVariables->count(), well->Table.Fields.size());
        d.lbVariables->setCurrentRow(0);
        QTextCursor caret = d.meText->textCursor();
        caret.movePosition(QTextCursor::End);
        d.meText->setTextCursor(caret);
        d.btAddVariable->click();
        d.cbGroup->setEditText("Скв. 7");
        d.cbAngle->setCurrentIndex(3);
        d.edOffset->setText("2.5");
        EXPECT_EQ(PressOk(d), mrCancel);
        EXPECT_EQ(UI->Messages.value(0), "Смещение должно быть целым числом");
        d.edOffset->setText("3");
        SaveDialog(d, QStringLiteral("auto-comment-dialog"));
        return PressOk(d);
    });
    f.Doc.SetupItem(series);
    auto* set = qobject_cast<TPrintAutoCommentSeries*>(f.Doc.FindItem(id));
    EXPECT_EQ(set->Text(), "Пласт {~" + well->Table.Fields[0].ID + "}");
    EXPECT_EQ(set->BlockName(), well->Table.BlockName);
    EXPECT_EQ(set->TableName(), "well7.las");
    EXPECT_EQ(set->SourceID(), well->SystemID);
    EXPECT_EQ(set->Group(), "Скв. 7");
    EXPECT_EQ(set->Rotation(), 270);
    EXPECT_EQ(set->Offset(), 3);
    const QString after = set->GetAsText();

    // Opened again the bound table is chosen; "[Нет источника]" clears the binding.
    Script<TdlgSetupAutoComment>(*UI, [&](TdlgSetupAutoComment& d) {
        EXPECT_EQ(d.cbSource->currentIndex(), int(well - tables.begin()) + 1);
        d.cbSource->setCurrentIndex(0);
        EXPECT_EQ(d.lbVariables->count(), 0);
        return PressOk(d);
    });
    f.Doc.SetupItem(set);
    set = qobject_cast<TPrintAutoCommentSeries*>(f.Doc.FindItem(id));
    EXPECT_TRUE(set->BlockName().isEmpty() && set->TableName().isEmpty() && set->SourceID().isEmpty());
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(id)->GetAsText(), after);
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(id)->GetAsText().toStdString(), before.toStdString());
    // Cancel changes nothing.
    Script<TdlgSetupAutoComment>(*UI, [](TdlgSetupAutoComment& d) {
        d.meText->setPlainText("x");
        d.reject();
        return DialogResult(d);
    });
    f.Doc.SetupItem(f.Doc.FindItem(id));
    EXPECT_EQ(f.Doc.FindItem(id)->GetAsText(), before);
}

TEST(LayoutAddActions, PlacingATrackPictureShowsTheCross) {
    TCommentDoc f;
    TSketchView view;
    view.resize(600, 600);
    view.SetMainView(true);
    view.SetDocument(&f.Doc);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    f.Doc.Changed(dcContents);
    view.setCursor(Qt::ArrowCursor);
    f.Doc.SetCurAction(new TPrintAddFieldImage(&f.Doc));
    QTest::mouseMove(&view, view.Device().AbsPrj(40, 60));
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
    f.Doc.CurAction()->Cancel();
    view.SetDocument(nullptr);
}

}  // namespace
