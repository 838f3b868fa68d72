// The formula frame and the formula properties dialog: insertion and caret,
// the live check, the parameter button and the close checks.
#include "VisualTestSupport.h"

#include "Express.h"
#include "StateTree.h"
#include "dlg_FormulaProperties.h"
#include "dlg_SelectParam.h"
#include "fr_SetupFormula.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
using FormulaEditors = VisualTest;

QString ButtonCaption(QButtonGroup& group, int index) { return group.button(index)->text(); }

// The memo's text with the caret shown as '|'.
QString WithCaret(const QPlainTextEdit& memo) {
    QString text = memo.toPlainText();
    return text.insert(memo.textCursor().position(), QLatin1Char('|'));
}

// Makes the picker choose the parameter named name (a click on it, then OK).
void PickNamed(TScriptedUIServices& ui, const QString& name, TSensSelection* asked = nullptr) {
    ScriptOnce<TdlgSelectParam>(ui, "TdlgSelectParam", [name, asked](TdlgSelectParam& dlg) {
        if (asked) *asked = dlg.Selection;
        dlg.show();
        for (TTreeNode* n : dlg.tvParams->Nodes())
            if (n->text(0) == name) {
                dlg.tvParams->scrollToItem(n);
                const QRect r = dlg.tvParams->visualItemRect(n);
                QTest::mouseClick(dlg.tvParams->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 3, r.center().y()));
            }
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
}

TEST_F(FormulaEditors, ButtonsInsertAtTheCaret) {
    struct TCase {
        const char* What;
        const char* Before;  // '|' the caret, '[...]' the selection
        int Button;
        const char* After;
    };
    const TCase cases[] = {
        {"If between the last comma and the bracket", "|", 2, "If(,,|)"},
        {"PI after the text", "S1*|", 13, "S1*PI|"},
        {"power after the text", "S1|", 12, "S1^|"},
        {"a function replaces the selection", "S1+[S2]", 4, "S1+Sin(|)"},
        {"an operator in the middle", "S1| S2", 0, "S1Or| S2"},
    };
    TfrSetupFormula frame;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        QString before = QString::fromUtf8(c.Before);
        const qsizetype open = before.indexOf('['), close = before.indexOf(']');
        QTextCursor cursor(frame.memFormula->document());
        if (open >= 0) {
            before.remove(close, 1).remove(open, 1);
            frame.SetFormula(before);
            cursor.setPosition(int(open));
            cursor.setPosition(int(close - 1), QTextCursor::KeepAnchor);
        } else {
            const qsizetype caret = before.indexOf('|');
            frame.SetFormula(before.remove(caret, 1));
            cursor.setPosition(int(caret));
        }
        frame.memFormula->setTextCursor(cursor);
        frame.bgFunctions->button(c.Button)->click();
        EXPECT_EQ(WithCaret(*frame.memFormula), QString::fromUtf8(c.After));
    }
    // The two button tables differ in their first four.
    TdlgFormulaProperties dlg;
    QStringList frameFirst, dialogFirst;
    for (int i = 0; i < 4; ++i) {
        frameFirst << ButtonCaption(*frame.bgFunctions, i);
        dialogFirst << ButtonCaption(*dlg.bgFunctions, i);
    }
    EXPECT_EQ(frameFirst, (QStringList{"Or", "And", "If(,,)", "<>"}));
    EXPECT_EQ(dialogFirst, (QStringList{"+", "-", "/", "*"}));
    EXPECT_EQ(ButtonCaption(*dlg.bgFunctions, 14), "Параметр...");
    EXPECT_EQ(dlg.bgFunctions->button(8)->toolTip(), "Квадратный корень");
    EXPECT_EQ(frame.bgFunctions->button(13)->toolTip(), "Число Пи");
    EXPECT_EQ(frame.bgFunctions->button(0)->width(), 74);
}

TEST_F(FormulaEditors, ParameterButtonWritesIdentifiers) {
    TSensDescr strId;
    strId.GID = 0;
    strId.Name = "Нагрузка";
    strId.SystemID = "Boremont";
    strId.StrID = "WOB";
    TSensDescr plain;
    plain.GID = 115;
    plain.Name = "Долото";
    const TGetCustomParams source = [&](const QString&) { return TSensDescrArray{strId, plain}; };

    TfrSetupFormula frame;
    frame.FOnGetCustomParams = source;
    TSensSelection asked;
    PickNamed(*UI, "Нагрузка", &asked);
    frame.bgFunctions->button(14)->click();
    EXPECT_EQ(WithCaret(*frame.memFormula), "{Boremont.WOB}|");
    EXPECT_EQ(asked, (TSensSelection{ssDepth, ssHidePrimary}));
    frame.FIsDateTime = true;
    frame.bgFunctions->button(0)->click();
    PickNamed(*UI, "Долото", &asked);
    frame.bgFunctions->button(14)->click();
    EXPECT_EQ(WithCaret(*frame.memFormula), "{Boremont.WOB}OrS115|");
    EXPECT_EQ(asked, (TSensSelection{ssTime, ssForemostStream, ssHidePrimary}));
    // A cancelled pick leaves the text as it was.
    frame.bgFunctions->button(14)->click();
    EXPECT_EQ(frame.Formula(), "{Boremont.WOB}OrS115");

    TdlgFormulaProperties dlg;
    dlg.FOnGetCustomParams = source;
    PickNamed(*UI, "Долото", &asked);
    dlg.bgFunctions->button(14)->click();
    EXPECT_EQ(dlg.dbmText->toPlainText(), "S115");
    EXPECT_EQ(asked, (TSensSelection{ssTime, ssForemostStream, ssHidePrimary}));
}

TEST_F(FormulaEditors, LiveCheckShowsTheFirstErrorAndGuardsOk) {
    using namespace ExpressTexts;
    struct TCase {
        const char* Text;
        QString Message;
    };
    const TCase cases[] = {
        {"S101*2", {}},
        {"", EmptyString},
        {"   ", EmptyString},
        {"(1+2", MissingCloseBracket},
        {"1+2)", ExtraCloseBracket},
        {"Foo+1", UnknownIdentifier + "Foo"},
    };
    TfrSetupFormula frame;
    TdlgFormulaProperties dlg;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        frame.SetFormula(QString::fromUtf8(c.Text));
        EXPECT_EQ(frame.lblError->text(), c.Message);
        EXPECT_EQ(frame.IsValid(), c.Message.isEmpty());
        dlg.dbmText->setPlainText(QString::fromUtf8(c.Text));
        EXPECT_EQ(dlg.lblError->text(), c.Message);
        EXPECT_EQ(dlg.OKBtn->isEnabled(), c.Message.isEmpty());
    }
    // The frame's own parser when one is given.
    TRParser own;
    frame.FParser = &own;
    EXPECT_EQ(&frame.GetParser(), &own);
    frame.SetFormula("S101");
    EXPECT_EQ(frame.lblError->text(), UnknownIdentifier + "S101");  // a bare parser knows no sensors
}

TEST_F(FormulaEditors, CloseChecksKeepTheDialogOpen) {
    struct TCase {
        const char* Name;
        const char* Text;
        const char* Message;
    };
    const TCase cases[] = {
        {"  ", "1+1", "Необходимо ввести название формулы"},
        {"Имя", "", "Необходимо ввести текст формулы"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        TdlgFormulaProperties dlg;
        int posted = 0;
        dlg.FPostRow = [&](const TFormulaRow&) { ++posted; };
        dlg.SetRow({QString::fromUtf8(c.Name), QString::fromUtf8(c.Text), {}, {}, "A"});
        UI->Messages.clear();
        dlg.accept();
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_EQ(UI->Messages, QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(posted, 0);
    }
    // A refused post is reported; the row is kept for another try.
    TdlgFormulaProperties dlg;
    dlg.FPostRow = [](const TFormulaRow&) { throw EDatabaseError("Формула с таким названием уже существует"); };
    dlg.SetRow({"Ф", "1", "о", {}, "A"});
    UI->Messages.clear();
    dlg.accept();
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(UI->Messages, QStringList{"Формула с таким названием уже существует"});
    TFormulaRow stored;
    dlg.FPostRow = [&](const TFormulaRow& r) { stored = r; };
    dlg.accept();
    EXPECT_EQ(dlg.result(), int(mrOk));
    EXPECT_EQ(stored.FORMULANAME, "Ф");
    EXPECT_EQ(stored.DESCRIPTION, "о");
    EXPECT_EQ(stored.SUBSET, "A");
}
}  // namespace
